#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace Ui {
class TForm2;
}

// The team lists window: one tab per team list, each with its list in a memo,
// the number of its lines, and the buttons to edit it and to save it. Created
// hidden at start-up and kept for the whole run; closing it only hides it, and
// a tab left in editing stays in editing.
class TForm2 : public QWidget {
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;

public slots:
    // Shows the window, then loads the five lists afresh. A list that cannot be
    // read stops the loading there; the window stays open.
    void openLists();

private:
    struct Tab {
        QPlainTextEdit *memo;
        QLabel *count;
        QPushButton *edit; // "Править"
        QPushButton *ok;
        QString file;
    };

    // Button1Click to Button5Click: the tab's memo becomes writable.
    void ButtonClick(const Tab &tab);
    // BitBtn1Click to BitBtn5Click: the tab's memo is saved to its list.
    void BitBtnClick(const Tab &tab);

    std::unique_ptr<Ui::TForm2> ui;
    std::array<Tab, 5> m_tabs; // in the order in which the lists are loaded
};
