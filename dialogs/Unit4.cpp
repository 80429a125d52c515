#include "Unit4.h"

#include "DataFiles.h"
#include "WidgetMessages.h"
#include "WindowBehaviour.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMovie>
#include <QWindow>

TForm4::TForm4(QWidget *parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("TForm4"));
    setFixedSize(185, 185);
    move(386, 157);
    WebBrowser1 = new QLabel(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(0, 0, 185, 185);
    WebBrowser1->setAlignment(Qt::AlignCenter);
    WebBrowser1->setTextFormat(Qt::PlainText);
    // Another window of the program taking the focus hides the congratulation;
    // the focus leaving the program altogether (no focus window) does not.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &TForm4::FormDeactivate);
}

QString TForm4::picturePath() {
    return programDirectory() + QStringLiteral("grats.gif");
}

void TForm4::showCongratulation() {
    bringToFront(this);
}

bool TForm4::event(QEvent *event) {
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return QWidget::event(event);
}

void TForm4::FormActivate() {
    // A new movie reads the file again and starts from the first frame.
    auto *movie = new QMovie(picturePath(), QByteArray(), this);
    WebBrowser1->setMovie(nullptr);
    delete m_movie;
    m_movie = movie;
    if (m_movie->isValid()) {
        m_movie->setScaledSize(QSize());
        WebBrowser1->setMovie(m_movie);
        m_movie->start();
    } else {
        WebBrowser1->setText(QStringLiteral("Поздравляем!\nБарселона!"));
    }
}

void TForm4::FormDeactivate(QWindow *nowActive) {
    if (isVisible() && nowActive && nowActive != windowHandle()) {
        hide();
    }
}
