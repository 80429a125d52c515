#include "Program.h"

#include "Unit1.h"
#include "Unit2.h"
#include "Unit4.h"
#include "Unit51.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"
#include "Unit9.h"

Program::Program()
    : Form1(std::make_unique<TForm1>()), Form2(std::make_unique<TForm2>()), Form4(std::make_unique<TForm4>()),
      Form6(std::make_unique<TForm6>()), Form5(std::make_unique<TForm5>()), Form7(std::make_unique<TForm7>()),
      Form8(std::make_unique<TForm8>()), Form9(std::make_unique<TForm9>()) {
    connectWindows();
}

void Program::connectWindows() {
    TForm1 *const main = Form1.get();
    QObject::connect(main, &TForm1::statisticsRequested, Form9.get(), &TForm9::openForStatistics);
}

// The secondary windows go first, the main window last.
Program::~Program() {
    Form9.reset();
    Form8.reset();
    Form7.reset();
    Form5.reset();
    Form6.reset();
    Form4.reset();
    Form2.reset();
}
