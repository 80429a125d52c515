#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Team names and every other line of the data files are kept as the bytes that
// stand in the file (Windows-1251). These helpers turn them into text for the
// controls and back.

QString fromCp1251(QByteArrayView bytes);
QStringList fromCp1251(const QList<QByteArray> &lines);

// Empty when the text holds a character that Windows-1251 cannot represent;
// such text is never written with a substitute character.
std::optional<QByteArray> toCp1251(const QString &text);

// The first character of a text that cannot stand on one line of a data file:
// a line break, or a character that Windows-1251 cannot represent.
std::optional<char32_t> unstorableOnALine(const QString &text);

// Why a file's bytes are not Windows-1251 text, when they are not.
struct TextProblem {
    qsizetype line = 0; // 1-based
    QString reason;
};

// Finds bytes that no Windows-1251 text contains (control characters other than
// tab, the unassigned byte 0x98) and files that were evidently saved as UTF-8.
std::optional<TextProblem> checkCp1251Text(QByteArrayView data);
