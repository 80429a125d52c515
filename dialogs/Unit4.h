#pragma once

#include <QWidget>

class QLabel;
class QMovie;
class QWindow;

// The borderless congratulation window with the animated picture "grats.gif"
// from the program's directory. Every activation loads the picture anew, so the
// animation starts from its first frame; it hides as soon as another window of
// the program becomes active. Created hidden at start-up and kept for the whole run.
class TForm4 : public QWidget {
    Q_OBJECT

public:
    explicit TForm4(QWidget *parent = nullptr);

    static QString picturePath();
    QMovie *movie() const { return m_movie; }

public slots:
    // Brings the window up over the others and makes it the active window.
    void showCongratulation();

protected:
    bool event(QEvent *event) override;

private:
    void FormActivate();
    void FormDeactivate(QWindow *nowActive);

    QLabel *WebBrowser1 = nullptr;
    QMovie *m_movie = nullptr;
};
