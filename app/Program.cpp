#include "Program.h"

#include "DataFolderLock.h"
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
#include "WidgetMessages.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// The window, created hidden the first time it is wanted.
template <typename Window> Window &made(std::unique_ptr<Window> &window) {
    if (!window) {
        window = std::make_unique<Window>();
    }
    return *window;
}

} // namespace

Program::Program(std::chrono::milliseconds lockWait)
    : Form1(std::make_unique<TForm1>()), m_startDate(QDate::currentDate()), m_lockWait(lockWait) {
    // A start-up that already ended the program leaves the database alone.
    if (!pendingProgramEnd()) {
        m_statistics = TForm9::openDatabase(m_lockWait);
    }
    connectMainWindow();
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
        // The history window, when made, shows the tournament just written.
        QObject::connect(Form9.get(), &TForm9::tournamentWritten, Form9.get(), [this] {
            if (Form10) {
                Form10->reread();
            }
        });
    }
    return *Form9;
}

// The history window opens a connection of its own to the statistics database.
// A tournament it takes back changes "stat", which the result window's grid
// then reads again.
TForm10 &Program::form10() {
    if (!Form10) {
        Form10 = std::make_unique<TForm10>(m_lockWait);
        QObject::connect(Form10.get(), &TForm10::tournamentUndone, Form10.get(), [this] {
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

QList<QWidget *> Program::windowsMade() const {
    QList<QWidget *> windows{Form1.get()};
    for (QWidget *window :
         std::initializer_list<QWidget *>{Form2.get(), Form4.get(), Form6.get(), Form5.get(), Form7.get(), Form8.get(),
                                          Form9.get(), Form10.get(), m_sheetPreview.get()}) {
        if (window) {
            windows.append(window);
        }
    }
    return windows;
}

// The secondary windows go first, the main window last.
Program::~Program() {
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
            if (shown) {
                shown(program.form1());
            }
            exitCode = QApplication::exec();
        }
    }
    setMessages(nullptr);
    return exitCode;
}
