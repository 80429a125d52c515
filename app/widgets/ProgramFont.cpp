#include "ProgramFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QString>

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
