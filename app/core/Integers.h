#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// A whole number as the program reads one from a file or a box: an optional "+"
// or "-" and decimal digits, nothing else (no blanks), within the range of the
// type. Empty otherwise.
std::optional<qint64> parseInteger(QStringView text);
std::optional<int> parseInt(QStringView text);
// The conversion error of a text that is not a whole number.
QString notAnIntegerMessage(const QString &text);
