#include "Tournament.h"

#include "Integers.h"

#include <optional>

Result<Matches> parseScores(const ScoreTexts &boxes) {
    Matches matches;
    for (std::size_t k = 0; k < matches.size(); ++k) {
        const MatchCell &cell = kMatchCells[k];
        const std::optional<qint64> home = parseInteger(boxes[cell.homeBox]);
        const std::optional<qint64> away = parseInteger(boxes[cell.awayBox]);
        if (!home || !away) {
            const QString &bad = home ? boxes[cell.awayBox] : boxes[cell.homeBox];
            return Failure{QStringLiteral("Счёт матча %1 против %2: в поле стоит «%3», а нужно целое число.")
                               .arg(cell.homeRow)
                               .arg(cell.awayRow)
                               .arg(bad)};
        }
        matches[k] = {cell.homeRow, cell.awayRow, *home, *away};
    }
    return matches;
}
