#pragma once

#include "Startup.h"

#include <QMainWindow>
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

    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    const StartupState &state() const { return m_state; }
    Ui::TForm1 &controls() { return *ui; }

    // Sets the height of the area below the menu; the window keeps a fixed size.
    void setClientHeight(int height);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void applyStartup(const StartupOutcome &outcome);
    void CheckBox4Click();
    // The "Кроме:" drop-downs and the players' own team drop-downs, which list
    // the same teams.
    std::array<QComboBox *, 6> teamDropDowns() const;

    std::unique_ptr<Ui::TForm1> ui;
    StartupState m_state;
    // One sorted model serves all six team drop-downs.
    QStringListModel *m_poolModel = nullptr;
};
