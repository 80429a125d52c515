#include "DataFolderLock.h"
#include "Program.h"
#include "Unit1.h"
#include "WidgetMessages.h"

#include <QApplication>
#include <QDesktopServices>

// The program reads no command line and no environment: its data files are the
// ones in the working directory.
int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvana 3"));
    QApplication::setFont(programFont());

    WidgetMessages widgetMessages;
    setMessages(&widgetMessages);
    setDesktopOpener([](const QUrl &url) { return QDesktopServices::openUrl(url); });

    int exitCode = 0;
    const Result<std::unique_ptr<DataFolderLock>> folder = claimDataFolder(QStringLiteral("."));
    if (!folder.ok()) {
        messages().error(folder.error());
        exitCode = 1;
    } else {
        Program program;
        // A window that could not be set up (the statistics database) ends the
        // program before it is shown.
        if (const std::optional<int> end = pendingProgramEnd()) {
            exitCode = *end;
        } else {
            program.Form1->show();
            exitCode = QApplication::exec();
        }
    }
    setDesktopOpener({});
    setMessages(nullptr);
    return exitCode;
}
