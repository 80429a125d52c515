#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCollator>
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

// A whole number as the program reads one from a file or a box: an optional "+"
// or "-" and decimal digits, nothing else (no blanks), within the range of the
// type. Empty otherwise.
std::optional<qint64> parseInteger(QStringView text);
std::optional<int> parseInt(QStringView text);
// The conversion error of a text that is not a whole number.
QString notAnIntegerMessage(const QString &text);

// The first character of a text that cannot stand on one line of a data file:
// a line break, or a character that Windows-1251 cannot represent.
std::optional<char32_t> unstorableOnALine(const QString &text);
// How a message names a character, an invisible one too: «Ł» (U+0141),
// перевод строки (U+000A).
QString describeCharacter(char32_t codePoint);

// Why a file's bytes are not Windows-1251 text, when they are not.
struct TextProblem {
    qsizetype line = 0; // 1-based
    QString reason;
};

// Finds bytes that no Windows-1251 text contains (control characters other than
// tab, the unassigned byte 0x98) and files that were evidently saved as UTF-8.
std::optional<TextProblem> checkCp1251Text(QByteArrayView data);

// The order in which a Russian reader expects names: alphabetical for the Russian
// locale, ignoring letter case (Ё beside Е, "арсенал" beside "Ак Барс").
QCollator russianCollator();
