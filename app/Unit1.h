#pragma once

#include "Startup.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <memory>

class QComboBox;
class QStringListModel;

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
    void setPlayerNames(const QStringList &names);
    // "Не использовать ВСЕ последние", which the settings window saves.
    bool logAllTeamsChecked() const;

signals:
    // What the main window asks of the other windows. Program connects these to
    // the windows it creates, so that no window needs to know another.
    void twoPlayerDrawRequested();                        // "2" in "Количество команд:"
    void congratulationRequested();                       // a fill gave "Барселона"
    void teamListsRequested();                            // "&Команды..."
    void usedTeamsRequested();                            // "..." beside CheckBox4
    void settingsRequested(const QStringList &players);   // "&Настройки..."
    void statisticsRequested(const QStringList &players); // "Статистика..."

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void applyStartup(const StartupOutcome &outcome);
    void Button2Click();
    void Button1Click();
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
    void Button3Click();
    // The "Кроме:" drop-downs and the players' own team drop-downs, which list
    // the same teams.
    std::array<QComboBox *, 6> teamDropDowns() const;

    std::unique_ptr<Ui::TForm1> ui;
    StartupState m_state;
    // One sorted model serves all six team drop-downs.
    QStringListModel *m_poolModel = nullptr;
};
