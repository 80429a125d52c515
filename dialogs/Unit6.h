#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QRadioButton;

namespace Ui {
class TForm6;
}

// The settings window. Created hidden at start-up and kept for the whole run;
// closing it only hides it. It edits "settings.ini": the kind of teams, the
// question at start-up, the player names and the gift mode. While it is open
// after "&Настройки..." the main window takes no input; the window gives it back
// when it is confirmed, closed or left for another window of the program.
class TForm6 : public QWidget {
    Q_OBJECT

public:
    explicit TForm6(QWidget *parent = nullptr);
    ~TForm6() override;

    // The state of the main window's "Не использовать ВСЕ последние", which the
    // file carries on its last line; asked at the moment of saving.
    void setLogAllTeamsSource(std::function<bool()> source);

public slots:
    // Shows the window with the player names in its name boxes.
    void openWith(const QStringList &players);

signals:
    // The names were saved; the main window shows them.
    void namesSaved(const QStringList &players);
    // The main window may take input again.
    void mainWindowReleased();
    // "Посмотреть подарки..." was pressed.
    void catalogueRequested();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormActivate();
    void FormDeactivate();
    void CheckBox1Click();
    void BitBtn1Click();
    void Button5Click();

    std::array<QRadioButton *, 3> kindButtons() const;
    int selectedKind() const;

    std::unique_ptr<Ui::TForm6> ui;
    std::function<bool()> m_logAllTeams;
    // Set while the window has lost the focus to something that is not another
    // window of the program: a message box of its own, or another application.
    // Coming back from there is not a return from another window.
    bool m_leftProgram = false;
};
