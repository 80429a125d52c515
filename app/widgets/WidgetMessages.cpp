#include "WidgetMessages.h"

#include "Elide.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

namespace {

// A message quotes names and lines of files, which may be of any length: each
// line of the box is cut, so that the box stays the size of a box.
constexpr qsizetype kMessageLineLength = 300;

QString boundedLines(const QString &text) {
    QStringList lines = text.split(u'\n');
    for (QString &line : lines) {
        line = elided(line, kMessageLineLength);
    }
    return lines.join(u'\n');
}

QMessageBox::StandardButton show(QMessageBox::Icon icon, const QString &text, QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
    QMessageBox box(icon, QApplication::applicationName(), boundedLines(text), buttons, QApplication::activeWindow());
    // Messages quote file contents and typed names, which are never markup.
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton) {
        box.setDefaultButton(defaultButton);
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

void WidgetMessages::information(const QString &text) {
    show(QMessageBox::NoIcon, text, QMessageBox::Ok);
}

void WidgetMessages::error(const QString &text) {
    show(QMessageBox::Critical, text, QMessageBox::Ok);
}

Messages::Answer WidgetMessages::askYesNo(const QString &text) {
    // The questions with Yes and No ask before something is destroyed: a reflex Enter answers No.
    const QMessageBox::StandardButton answer =
        show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Messages::Answer WidgetMessages::askYesNoCancel(const QString &text) {
    switch (show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

Messages::Answer WidgetMessages::askOkCancel(const QString &text) {
    return show(QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok ? Answer::Ok
                                                                                                       : Answer::Cancel;
}

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

QFont programFont() {
    const QString preferred = QStringLiteral("MS Sans Serif");
    // Asking for the one family is a single match, where a list of every
    // installed family would make the font system describe them all.
    QFont wanted(preferred, 8);
    wanted.setStyleStrategy(QFont::NoFontMerging);
    if (QFontInfo(wanted).family().compare(preferred, Qt::CaseInsensitive) == 0) {
        return QFont(preferred, 8);
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(8);
    // The windows place their controls for the narrow "MS Sans Serif", whose 52
    // Latin letters take about 300 pixels at 8 points. A wider desktop font is
    // narrowed to that width so that the captions fit their controls.
    constexpr qreal kMsSansSerifAlphabetWidth = 300.0;
    const qreal width =
        QFontMetricsF(font).horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    if (width > kMsSansSerifAlphabetWidth) {
        font.setStretch(qMax(70, qRound(100.0 * kMsSansSerifAlphabetWidth / width)));
    }
    return font;
}
