#pragma once

#include "Backups.h"
#include "StatsConnection.h"

#include <QDate>
#include <QStringList>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>

class BackupsWindow;
class QTimer;
class QTranslator;
class QWidget;
class SheetPreview;
class TForm1;
class TForm2;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;
class TForm10;

// The program's eight windows and the preview of the tournament sheet. The main
// window is created first, and its creation runs the start-up sequence; then the statistics database is opened
// and checked, so that a missing or broken file ends the program before any
// window is shown. Every other window is created the first time it is wanted,
// hidden, and is kept until the program ends, so that it keeps its state between
// showings. What a window takes from the start (the result window's date, the
// database connection) is taken at the start and handed to it when it is made.
//
// Program is the one place that knows every window. It connects what one window
// asks of another (the main window's signals to the slots of the others, and
// back), so that no window reaches another through a global and no library links
// the library of the main window.
class Program {
public:
    // The windows' connections to the statistics database wait at most lockWait
    // for another program's lock (tests shorten it).
    explicit Program(std::chrono::milliseconds lockWait = StatsConnection::kProgramLockWait);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    TForm1 &form1() const { return *Form1; }
    // Each creates its window on first use.
    TForm2 &form2();
    TForm4 &form4();
    TForm5 &form5();
    TForm6 &form6();
    TForm7 &form7();
    TForm8 &form8();
    TForm9 &form9();
    TForm10 &form10();
    SheetPreview &sheetPreview();
    BackupsWindow &backupsWindow();
    // The windows made so far, the main window first.
    QList<QWidget *> windowsMade() const;

    // Hands files and addresses to the desktop from now on (until the program
    // goes): a local file only where xdgMime names an application for it, then
    // xdgOpen; an opener that ends with a failure is taken up by the main window
    // (the sheet then shows in the program's preview). Tests name fakes.
    void useDesktop(const QString &xdgMime = QStringLiteral("xdg-mime"),
                    const QString &xdgOpen = QStringLiteral("xdg-open"));
    // Checks the statistics database with SQLite once the main window is on
    // screen, so that the check does not delay it. A damaged file is said, and
    // the newest backup that passes the check is offered in its place.
    void checkDatabaseAfterShow();
    // Waits for the backup under way, if any, and says when it failed. The
    // backup after a change runs beside the windows, which stay responsive.
    void finishBackup();

private:
    void connectMainWindow();
    // Every connection to the database closes while its files are replaced, and
    // opens again afterwards; every window made reads again.
    void releaseDatabase();
    void reopenDatabase();
    // Starts the backup after a write or an undo of a tournament, once the one
    // before it is done; its failure is said once, and the change it follows
    // stays done.
    void backUpAfterChange();
    // A damaged or missing database at start: offers the newest sound backup and
    // restores it when the user agrees. True when it was restored; hint says how
    // to recover by hand when there is no backup.
    bool offerBackupForDamagedFile(const QString &reason, QString &hint);

    // Finished first, before any window reads a data file: a restore that a kill
    // cut short, and the leftovers of an unfinished backup.
    bool m_dataFolderReady;
    std::unique_ptr<TForm1> Form1;
    // Opened at the start; the result window takes it over when it is made.
    std::unique_ptr<StatsConnection> m_statistics;
    QDate m_startDate;
    std::chrono::milliseconds m_lockWait;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm4> Form4;
    std::unique_ptr<TForm6> Form6;
    std::unique_ptr<TForm5> Form5;
    std::unique_ptr<TForm7> Form7;
    std::unique_ptr<TForm8> Form8;
    std::unique_ptr<TForm9> Form9;
    std::unique_ptr<TForm10> Form10;
    std::unique_ptr<SheetPreview> m_sheetPreview;
    bool m_usesDesktop = false;
    std::unique_ptr<BackupsWindow> m_backups;
    // The backup under way on a thread of its own, and the timer that looks for its end.
    std::future<Result<BackupEntry>> m_backup;
    std::unique_ptr<QTimer> m_backupDone;
};

// The one command line the program reads: "--launcher-failure <text>", with
// which the launcher has the program show why it could not start it (a data
// folder that cannot be made, a full disk), since a program started from the
// desktop's menu has no terminal to print to. The text to show, or nothing.
std::optional<QString> launcherFailure(const QStringList &arguments);

// The application's name, its desktop entry, the font, the windows' icon and
// Qt's own texts in Russian.
void setUpApplication();
// Qt's Russian translation, loaded; nullptr when it is not installed.
std::unique_ptr<QTranslator> qtTranslation();

// The whole program on the data folder in the working directory: claims the
// folder, creates the windows, shows the main one and runs until it closes.
// shown, when given, is called with the main window right after it is shown.
int runProgram(int &argc, char **argv, const std::function<void(QWidget &)> &shown = {});
