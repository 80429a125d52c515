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
    QObject::connect(main, &TForm1::twoPlayerDrawRequested, Form7.get(), &QWidget::show);
    QObject::connect(main, &TForm1::congratulationRequested, Form4.get(), &TForm4::showCongratulation);
    QObject::connect(main, &TForm1::teamListsRequested, Form2.get(), &TForm2::openLists);
    QObject::connect(main, &TForm1::usedTeamsRequested, Form8.get(), &TForm8::openLog);

    // The settings window edits the player names that the main window shows,
    // saves its "Не использовать ВСЕ последние" and gives it back its input.
    TForm6 *const settings = Form6.get();
    QObject::connect(main, &TForm1::settingsRequested, settings, &TForm6::openWith);
    QObject::connect(settings, &TForm6::namesSaved, main, &TForm1::setPlayerNames);
    QObject::connect(settings, &TForm6::mainWindowReleased, main, [main] { main->setEnabled(true); });
    QObject::connect(settings, &TForm6::catalogueRequested, Form5.get(), &TForm5::showCatalogue);
    settings->setLogAllTeamsSource([main] { return main->logAllTeamsChecked(); });

    // The result window: for the statistics, and after the final table.
    QObject::connect(main, &TForm1::statisticsRequested, Form9.get(), &TForm9::openForStatistics);
    QObject::connect(main, &TForm1::resultTableRequested, Form9.get(), &TForm9::openAfterFinalTable);
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
