#include "Program.h"
#include "Unit1.h"
#include "WidgetMessages.h"

#include <QApplication>

// The program reads no command line and no environment: its data files are the
// ones in the working directory.
int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvana 3"));
    QApplication::setFont(programFont());

    WidgetMessages widgetMessages;
    setMessages(&widgetMessages);

    Program program;
    program.Form1->show();
    const int exitCode = QApplication::exec();
    setMessages(nullptr);
    return exitCode;
}
