// The bare form: the main window's design through setupUi and nothing else,
// shown. The cold start-up benchmark holds the program against it.
#include "FirstPaint.h"
#include "ui_Unit1.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QMainWindow window;
    Ui::TForm1 form;
    form.setupUi(&window);
    new FirstPaintReporter(window);
    window.show();
    return QApplication::exec();
}
