#include "Elide.h"

QString elided(const QString &text, qsizetype maxChars) {
    if (text.size() <= maxChars || maxChars < 1) {
        return text;
    }
    qsizetype kept = maxChars - 1;
    if (kept > 0 && text.at(kept - 1).isHighSurrogate()) {
        --kept;
    }
    return text.left(kept) + QChar(0x2026);
}
