#pragma once

#include "Startup.h"
#include "Tournament.h"
#include "TournamentSheet.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

struct Fixtures;
class QComboBox;
class Spreadsheet;
class QStringListModel;
class QUrl;

namespace Ui {
class TForm1;
}

// The main window. Its creation runs the start-up sequence; the values that the
// sequence decides stay beside the window for the whole run.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 520;
    static constexpr int kClientHeight = 303;
    static constexpr int kGiftPanelHeight = 431; // the client height that shows the gifts
    static const QString kHomePage;
    static const QString kCredits;

    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    const StartupState &state() const { return m_state; }
    Ui::TForm1 &controls() { return *ui; }

    // Sets the height of the area below the menu; the window keeps a fixed size.
    void setClientHeight(int height);

    // The player names as the captions of Label16, Label17 and Label18 show them.
    QStringList playerNames() const;
    // The players, their teams and the first round as the window shows them.
    Tournament tournamentOnShow() const;
    void setPlayerNames(const QStringList &names);
    // The data files were replaced by a restore: the player names of
    // "settings.ini" and the last tournament of "last.txt" are read again.
    void rereadDataFiles();
    // "Не использовать ВСЕ последние", which the settings window saves.
    bool logAllTeamsChecked() const;

    // Where the final table gets a new spreadsheet for every press; the
    // program's own spreadsheet unless another is installed.
    using SpreadsheetFactory = std::function<std::unique_ptr<Spreadsheet>()>;
    void setSpreadsheetFactory(SpreadsheetFactory factory);

    // The desktop's opener, started for a file or an address, ended with a
    // failure: the sheet of the last "Полная таблица и печать" is then shown in
    // the program's own preview; anything else is told.
    void desktopCouldNotOpen(const QUrl &url);

signals:
    // What the main window asks of the other windows. Program connects these to
    // the windows it creates, so that no window needs to know another.
    void twoPlayerDrawRequested();                        // "2" in "Количество команд:"
    void congratulationRequested();                       // a fill gave "Барселона"
    void teamListsRequested();                            // "&Команды..."
    void usedTeamsRequested();                            // "..." beside CheckBox4
    void settingsRequested(const QStringList &players);   // "&Настройки..."
    void statisticsRequested(const QStringList &players); // "Статистика..."
    void historyRequested();                              // "История турниров..."
    void backupsRequested();                              // "Резервные копии..."
    // "Полная таблица и печать": the result window gets the tournament with its
    // teams in schedule order and the player of each.
    void resultTableRequested(const Tournament &tournament);
    // "Печать листа турнира...", and "Полная таблица и печать" when the desktop
    // could not open the spreadsheet: the sheet to preview and print.
    void sheetPreviewRequested(const TournamentSheet &sheet);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void applyStartup(const StartupOutcome &outcome);
    void showLastTournament();
    void Button2Click();
    void Button1Click();
    // Shows the first round, or hides the one on show when there is none.
    void showFirstRound(const Fixtures *round);
    void BitBtn1Click();
    void awardGifts();
    void ComboBox1Change();
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox4Click();
    void Label12Click();
    void N2Click();
    void N3Click();
    void N5Click();
    void N6Click();
    void N8Click();
    void N9Click();
    void N10Click();
    void N11Click();
    void Button3Click();
    // The "Кроме:" drop-downs and the players' own team drop-downs, which list
    // the same teams.
    std::array<QComboBox *, 6> teamDropDowns() const;

    std::unique_ptr<Ui::TForm1> ui;
    StartupState m_state;
    // One sorted model serves all six team drop-downs.
    QStringListModel *m_poolModel = nullptr;
    SpreadsheetFactory m_newSpreadsheet;
    // The sheet of the last "Полная таблица и печать" of this run.
    std::optional<TournamentSheet> m_lastSheet;
    // The file it was written to; empty when it could not be written.
    QString m_lastSheetFile;
};
