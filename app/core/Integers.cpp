#include "Integers.h"

#include <limits>

std::optional<qint64> parseInteger(QStringView text) {
    const bool negative = text.startsWith(u'-');
    const QStringView digits = negative || text.startsWith(u'+') ? text.mid(1) : text;
    if (digits.isEmpty()) {
        return std::nullopt;
    }
    // Gathered on the negative side, which holds one number more than the positive.
    qint64 value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        const int digit = c.unicode() - u'0';
        if (value < (std::numeric_limits<qint64>::min() + digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == std::numeric_limits<qint64>::min()) {
            return std::nullopt;
        }
        value = -value;
    }
    return value;
}

std::optional<int> parseInt(QStringView text) {
    const std::optional<qint64> value = parseInteger(text);
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

QString notAnIntegerMessage(const QString &text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}
