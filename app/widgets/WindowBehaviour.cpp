#include "WindowBehaviour.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>

bool pressButtonForEnter(QWidget *window, const QKeyEvent *event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    auto *focused = qobject_cast<QPushButton *>(QApplication::focusWidget());
    if (focused && focused->isEnabled() && window->isAncestorOf(focused)) {
        focused->click();
        return true;
    }
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        if (button->isDefault() && button->isEnabled() && button->isVisible()) {
            button->click();
            return true;
        }
    }
    return false;
}

Qt::WindowFlags fixedWindowFlags() {
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint;
}

void bringToFront(QWidget *window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void closeOnEscape(QWidget *window) {
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}
