#include "Program.h"

#include "BackupRestore.h"
#include "Backups.h"
#include "BackupsWindow.h"
#include "DataFolderLock.h"
#include "DatabaseCheck.h"
#include "DesktopApplications.h"
#include "ProgramFont.h"
#include "SheetPreview.h"
#include "StatsConnection.h"
#include "Tournament.h"
#include "Unit1.h"
#include "Unit10.h"
#include "Unit2.h"
#include "Unit4.h"
#include "Unit51.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"
#include "Unit9.h"
#include "WaitCursor.h"
#include "WidgetMessages.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

namespace {

// The window, created hidden the first time it is wanted.
template <typename Window> Window &made(std::unique_ptr<Window> &window) {
    if (!window) {
        window = std::make_unique<Window>();
    }
    return *window;
}

const QString kDataFolder = QStringLiteral(".");

// Runs a function once, when the event loop runs again after the window's first paint.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget &window, std::function<void()> run) : QObject(&window), m_run(std::move(run)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint && m_run) {
            QTimer::singleShot(0, this, [run = std::move(m_run)] { run(); });
            m_run = nullptr;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_run;
};

// A restore that a kill cut short is finished before anything reads the files it
// replaces; when it cannot be, the program does not start on half of it.
bool prepareDataFolder(std::chrono::milliseconds lockWait) {
    removeBackupLeftovers(kDataFolder);
    const Status finished = finishInterruptedRestore(kDataFolder, lockWait);
    if (!finished.ok()) {
        messages().error(finished.error() + QStringLiteral("\nПрограмма будет закрыта."));
        endProgram(1);
    }
    return finished.ok();
}

QString manualRecoveryText() {
    return QStringLiteral("Исправной резервной копии нет. Чтобы восстановить базу вручную, закройте программу и "
                          "замените файл %1 копией, сохранённой раньше через «Резервные копии...» → «Сохранить "
                          "копию...», или копией из папки %2 другого компьютера; повреждённый файл можно попробовать "
                          "спасти командой sqlite3 (.recover).")
        .arg(displayPath(StatsDb::FileName), displayPath(Backups::FolderName));
}

} // namespace

Program::Program(std::chrono::milliseconds lockWait)
    : m_dataFolderReady(prepareDataFolder(lockWait)), Form1(std::make_unique<TForm1>()),
      m_startDate(QDate::currentDate()), m_lockWait(lockWait) {
    // A start-up that already ended the program leaves the database alone.
    if (m_dataFolderReady && !pendingProgramEnd()) {
        m_statistics = TForm9::openDatabase(m_lockWait, [this](QString &hint) {
            const DatabaseCheck check = checkDatabaseFile(StatsDb::FileName, m_lockWait);
            return check.verdict != DatabaseCheck::Verdict::Unreadable && offerBackupForDamagedFile(check.reason, hint);
        });
    }
    connectMainWindow();
}

bool Program::offerBackupForDamagedFile(const QString &reason, QString &hint) {
    std::optional<BackupEntry> newest;
    DatabaseCheck newestCheck;
    {
        const WaitCursor busy;
        for (const BackupEntry &entry : listBackups(kDataFolder)) {
            newestCheck = checkDatabaseFile(entry.databasePath, m_lockWait);
            if (newestCheck.verdict == DatabaseCheck::Verdict::Good) {
                newest = entry;
                break;
            }
        }
    }
    const QString damage =
        QStringLiteral("База статистики %1 повреждена: %2.").arg(displayPath(StatsDb::FileName), reason);
    if (!newest) {
        hint = manualRecoveryText();
        return false;
    }
    const QString when = backupTimeText(newest->taken);
    if (messages().askYesNo(QStringLiteral("%1\n\nВосстановить её из последней исправной резервной копии от %2 "
                                           "(турниров: %3)? Повреждённый файл будет сохранён в папке %4.")
                                .arg(damage, when)
                                .arg(newestCheck.summary.tournaments)
                                .arg(displayPath(Backups::FolderName))) != Messages::Answer::Yes) {
        hint = QStringLiteral("Исправная резервная копия от %1 лежит в папке %2.")
                   .arg(when, displayPath(Backups::FolderName));
        return false;
    }
    Result<QString> saved = QString();
    Status restored;
    {
        const WaitCursor busy;
        saved = saveCurrentState(kDataFolder, QDateTime::currentDateTime(), m_lockWait);
        if (saved.ok()) {
            restored = restoreBackup(kDataFolder, *newest, m_lockWait);
        }
    }
    if (!saved.ok() || !restored.ok()) {
        hint = saved.ok() ? restored.error() : saved.error();
        return false;
    }
    messages().information(
        QStringLiteral("База восстановлена из резервной копии от %1.\nПрежнее состояние сохранено: %2.")
            .arg(when, saved.value()));
    return true;
}

void Program::checkDatabaseAfterShow() {
    finishBackup();
    if (!m_statistics && !Form9) {
        return;
    }
    DatabaseCheck check;
    {
        const WaitCursor busy;
        check = checkDatabaseFile(StatsDb::FileName, m_lockWait);
    }
    // A file held by another program is not damaged; the windows say so when they read.
    if (check.verdict == DatabaseCheck::Verdict::Good || check.verdict == DatabaseCheck::Verdict::Unreadable) {
        return;
    }
    releaseDatabase();
    QString hint;
    offerBackupForDamagedFile(check.reason, hint);
    reopenDatabase();
    if (!hint.isEmpty()) {
        messages().error(QStringLiteral("База статистики %1 повреждена: %2.\n%3")
                             .arg(displayPath(StatsDb::FileName), check.reason, hint));
    }
}

void Program::releaseDatabase() {
    finishBackup();
    if (Form9) {
        Form9->releaseConnection();
    }
    m_statistics.reset();
    if (Form10) {
        Form10->releaseConnection();
    }
}

void Program::reopenDatabase() {
    Result<std::unique_ptr<StatsConnection>> opened = [this] {
        const WaitCursor busy;
        return StatsConnection::open(StatsDb::FileName, m_lockWait);
    }();
    if (!opened.ok()) {
        messages().error(QStringLiteral("База статистики не открывается.\n%1").arg(opened.error()));
    }
    std::unique_ptr<StatsConnection> connection = opened.ok() ? std::move(opened).value() : nullptr;
    if (Form9) {
        Form9->takeConnection(std::move(connection));
    } else {
        m_statistics = std::move(connection);
    }
    if (Form10) {
        Form10->reread();
    }
    Form1->rereadDataFiles();
    if (m_backups) {
        m_backups->reread();
    }
}

// The copy and its check read the whole database, which takes longer than a
// click may; the copy reads in a transaction of its own, so that a write that
// comes meanwhile waits at most for the copy's read.
void Program::backUpAfterChange() {
    finishBackup();
    m_backup = std::async(std::launch::async, [lockWait = m_lockWait, now = QDateTime::currentDateTime()] {
        return makeBackup(kDataFolder, now, lockWait);
    });
    if (!m_backupDone) {
        m_backupDone = std::make_unique<QTimer>();
        m_backupDone->setInterval(20);
        QObject::connect(m_backupDone.get(), &QTimer::timeout, m_backupDone.get(), [this] {
            if (m_backup.valid() && m_backup.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
                finishBackup();
            }
        });
    }
    m_backupDone->start();
}

void Program::finishBackup() {
    if (m_backupDone) {
        m_backupDone->stop();
    }
    if (!m_backup.valid()) {
        return;
    }
    const Result<BackupEntry> made = m_backup.get();
    if (!made.ok()) {
        messages().error(made.error() + QStringLiteral("\nСамо изменение базы сделано и сохранено."));
    }
    if (m_backups) {
        m_backups->reread();
    }
}

void Program::connectMainWindow() {
    TForm1 *const main = Form1.get();
    QObject::connect(main, &TForm1::twoPlayerDrawRequested, main, [this] { form7().show(); });
    QObject::connect(main, &TForm1::congratulationRequested, main, [this] { form4().showCongratulation(); });
    QObject::connect(main, &TForm1::teamListsRequested, main, [this] { form2().openLists(); });
    QObject::connect(main, &TForm1::usedTeamsRequested, main, [this] { form8().openLog(); });
    QObject::connect(main, &TForm1::settingsRequested, main,
                     [this](const QStringList &players) { form6().openWith(players); });
    QObject::connect(main, &TForm1::statisticsRequested, main,
                     [this](const QStringList &players) { form9().openForStatistics(players); });
    QObject::connect(main, &TForm1::historyRequested, main, [this] { form10().openHistory(); });
    QObject::connect(main, &TForm1::backupsRequested, main, [this] { backupsWindow().openBackups(); });
    QObject::connect(main, &TForm1::resultTableRequested, main,
                     [this](const Tournament &tournament) { form9().openAfterFinalTable(tournament); });
    QObject::connect(main, &TForm1::sheetPreviewRequested, main,
                     [this](const TournamentSheet &sheet) { sheetPreview().showSheet(sheet); });
}

TForm2 &Program::form2() {
    return made(Form2);
}

TForm4 &Program::form4() {
    return made(Form4);
}

TForm5 &Program::form5() {
    return made(Form5);
}

// The settings window edits the player names that the main window shows, saves
// its "Не использовать ВСЕ последние" and gives it back its input.
TForm6 &Program::form6() {
    if (!Form6) {
        Form6 = std::make_unique<TForm6>();
        TForm1 *const main = Form1.get();
        TForm6 *const settings = Form6.get();
        QObject::connect(settings, &TForm6::namesSaved, main, &TForm1::setPlayerNames);
        QObject::connect(settings, &TForm6::mainWindowReleased, main, [main] { main->setEnabled(true); });
        QObject::connect(settings, &TForm6::catalogueRequested, settings, [this] { form5().showCatalogue(); });
        settings->setLogAllTeamsSource([main] { return main->logAllTeamsChecked(); });
    }
    return *Form6;
}

TForm7 &Program::form7() {
    return made(Form7);
}

TForm8 &Program::form8() {
    return made(Form8);
}

// The result window shows the date of the start, whenever it is first opened.
TForm9 &Program::form9() {
    if (!Form9) {
        Form9 = std::make_unique<TForm9>(std::move(m_statistics), m_startDate);
        // The history window, when made, shows the tournament just written; a
        // backup keeps the new state.
        QObject::connect(Form9.get(), &TForm9::tournamentWritten, Form9.get(), [this] {
            backUpAfterChange();
            if (Form10) {
                Form10->reread();
            }
        });
    }
    return *Form9;
}

// The history window opens a connection of its own to the statistics database.
// A change it takes back, or a tournament it corrects, changes "stat", which the result window's grid
// then reads again.
TForm10 &Program::form10() {
    if (!Form10) {
        Form10 = std::make_unique<TForm10>(m_lockWait);
        QObject::connect(Form10.get(), &TForm10::bookChanged, Form10.get(), [this] {
            backUpAfterChange();
            if (Form9) {
                Form9->rereadStatistics();
            }
        });
    }
    return *Form10;
}

SheetPreview &Program::sheetPreview() {
    return made(m_sheetPreview);
}

// The backups window replaces the database's files: every window lets go of the
// file first and reads the new one afterwards.
BackupsWindow &Program::backupsWindow() {
    if (!m_backups) {
        m_backups = std::make_unique<BackupsWindow>(m_lockWait);
        QObject::connect(m_backups.get(), &BackupsWindow::databaseReleaseRequested, m_backups.get(),
                         [this] { releaseDatabase(); });
        QObject::connect(m_backups.get(), &BackupsWindow::databaseReplaced, m_backups.get(),
                         [this] { reopenDatabase(); });
    }
    return *m_backups;
}

QList<QWidget *> Program::windowsMade() const {
    QList<QWidget *> windows{Form1.get()};
    for (QWidget *window :
         std::initializer_list<QWidget *>{Form2.get(), Form4.get(), Form6.get(), Form5.get(), Form7.get(), Form8.get(),
                                          Form9.get(), Form10.get(), m_sheetPreview.get(), m_backups.get()}) {
        if (window) {
            windows.append(window);
        }
    }
    return windows;
}

// The secondary windows go first, the main window last.
Program::~Program() {
    // A backup under way ends before the folder's lock goes.
    if (m_backup.valid()) {
        m_backup.wait();
    }
    m_backupDone.reset();
    m_backups.reset();
    if (m_usesDesktop) {
        setDesktopOpener({});
    }
    m_sheetPreview.reset();
    Form10.reset();
    Form9.reset();
    m_statistics.reset();
    Form8.reset();
    Form7.reset();
    Form5.reset();
    Form6.reset();
    Form4.reset();
    Form2.reset();
}

std::optional<QString> launcherFailure(const QStringList &arguments) {
    if (arguments.size() == 3 && arguments[1] == u"--launcher-failure") {
        return arguments[2];
    }
    return std::nullopt;
}

void setUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Korvana 3"));
    // The task bar and Wayland match the windows to the menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korvana.Korvana3"));
    QApplication::setFont(programFont());
    // Every window shows the icon of the menu entry, built into the program.
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/org.korvana.Korvana3-%1.png").arg(side), QSize(side, side));
    }
    QApplication::setWindowIcon(icon);
    // Without the translation Qt's texts stay English; nothing else changes.
    if (std::unique_ptr<QTranslator> translation = qtTranslation();
        translation && QCoreApplication::installTranslator(translation.get())) {
        translation.release()->setParent(QCoreApplication::instance());
    }
}

std::unique_ptr<QTranslator> qtTranslation() {
    // Qt's own texts (the file and print dialogs, the preview's tool bar, the
    // edit boxes' menus) in Russian, from the translations Qt is installed with.
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return nullptr;
    }
    return translator;
}

void Program::useDesktop(const QString &xdgMime, const QString &xdgOpen) {
    m_usesDesktop = true;
    // A file that no application of the desktop opens is not handed over: the
    // caller then shows it itself (the sheet in the program's own preview).
    setDesktopOpener([this, xdgMime, xdgOpen](const QUrl &url) {
        if (url.isLocalFile() && !desktopHasApplicationFor(url.toLocalFile(), xdgMime)) {
            return false;
        }
        TForm1 *main = Form1.get();
        return startDesktopOpener(
            url, main, [main, url] { main->desktopCouldNotOpen(url); }, xdgOpen);
    });
}

int runProgram(int &argc, char **argv, const std::function<void(QWidget &)> &shown) {
    QApplication application(argc, argv);
    setUpApplication();

    WidgetMessages widgetMessages;
    setMessages(&widgetMessages);
    int exitCode = 0;
    if (const std::optional<QString> failure = launcherFailure(QCoreApplication::arguments())) {
        // The launcher could not prepare the data folder: its message, and no folder.
        messages().error(*failure);
        exitCode = 1;
    } else if (const Result<std::unique_ptr<DataFolderLock>> folder = claimDataFolder(QStringLiteral("."));
               !folder.ok()) {
        messages().error(folder.error());
        exitCode = 1;
    } else {
        Program program;
        program.useDesktop();
        // A start-up that could not go on (the statistics database) ends the
        // program before its window is shown.
        if (const std::optional<int> end = pendingProgramEnd()) {
            exitCode = *end;
        } else {
            program.form1().show();
            // The check reads the whole file: it waits until the window is painted.
            new AfterFirstPaint(program.form1(), [&program] { program.checkDatabaseAfterShow(); });
            if (shown) {
                shown(program.form1());
            }
            exitCode = QApplication::exec();
        }
    }
    setMessages(nullptr);
    return exitCode;
}
