#include "CharacterNames.h"

QString describeCharacter(char32_t codePoint) {
    const QString code = QStringLiteral("U+%1").arg(static_cast<uint>(codePoint), 4, 16, QLatin1Char('0')).toUpper();
    if (codePoint == U'\r' || codePoint == U'\n') {
        return QStringLiteral("перевод строки (%1)").arg(code);
    }
    return QStringLiteral("«%1» (%2)").arg(QString::fromUcs4(&codePoint, 1), code);
}
