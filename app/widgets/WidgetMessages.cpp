#include "WidgetMessages.h"

#include "Elide.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <utility>

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
    // The buttons keep the names that the program's questions refer to ("Клубы -
    // Yes, Сборные - No, Случайно - Cancel"), whatever language Qt's own texts
    // are translated into.
    const std::pair<QMessageBox::StandardButton, const char *> names[] = {
        {QMessageBox::Yes, "&Yes"}, {QMessageBox::No, "&No"}, {QMessageBox::Cancel, "Cancel"}, {QMessageBox::Ok, "OK"}};
    for (const auto &[button, name] : names) {
        if (QAbstractButton *shown = box.button(button)) {
            shown->setText(QString::fromLatin1(name));
        }
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
