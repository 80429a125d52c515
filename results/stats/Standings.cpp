#include "Standings.h"

#include "Text.h"

namespace {

// One row's matches as box indices (Edit number - 1): the row's own goals and the
// opponent's goals in the same match, in the order in which the computation reads them.
struct RowBoxes {
    std::array<int, 4> own;
    std::array<int, 4> opponent;
};

constexpr std::array<RowBoxes, 3> kRows = {{
    {{0, 8, 3, 5}, {1, 9, 2, 4}},   // row 1: Edit1, Edit9, Edit4, Edit6 against Edit2, Edit10, Edit3, Edit5
    {{2, 10, 1, 7}, {3, 11, 0, 6}}, // row 2: Edit3, Edit11, Edit2, Edit8 against Edit4, Edit12, Edit1, Edit7
    {{4, 6, 9, 11}, {5, 7, 8, 10}}, // row 3: Edit5, Edit7, Edit10, Edit12 against Edit6, Edit8, Edit9, Edit11
}};

// Reads the boxes of one sum in order; the text of the first box that is not an
// integer ends the computation.
struct ScoreSums {
    const ScoreTexts &boxes;
    QString failedText;
    bool failed = false;

    std::optional<qint64> sum(const std::array<int, 4> &indices) {
        qint64 total = 0;
        for (const int index : indices) {
            const std::optional<int> value = parseInt(boxes[index]);
            if (!value) {
                failed = true;
                failedText = boxes[index];
                return std::nullopt;
            }
            total += *value;
        }
        return total;
    }
};

// Rows rank by points, then by goal difference.
std::pair<int, qint64> rankOf(const RowFigures &row) {
    return {row.points, row.difference};
}

// "1" above both other rows, "3" below both, "2" otherwise: rows level on points
// and difference share the place, so a shared top or bottom is "2".
QString placeOf(const std::array<RowFigures, 3> &rows, int row) {
    const auto own = rankOf(rows[row]);
    const auto first = rankOf(rows[(row + 1) % 3]);
    const auto second = rankOf(rows[(row + 2) % 3]);
    if (own > first && own > second) {
        return QStringLiteral("1");
    }
    if (own < first && own < second) {
        return QStringLiteral("3");
    }
    return QStringLiteral("2");
}

} // namespace

StandingsTable Standings(const ScoreTexts &boxes) {
    StandingsTable table;
    ScoreSums sums{boxes, {}};
    for (int r = 0; r < 3; ++r) {
        RowFigures &row = table.rows[r];
        const std::optional<qint64> scored = sums.sum(kRows[r].own);
        if (!scored) {
            break;
        }
        row.scored = *scored;
        table.scoredOfNextRow = true;
        const std::optional<qint64> conceded = sums.sum(kRows[r].opponent);
        if (!conceded) {
            break;
        }
        table.scoredOfNextRow = false;
        row.conceded = *conceded;
        row.difference = row.scored - row.conceded;
        // Every box of the row was read without failure by now.
        for (int m = 0; m < 4; ++m) {
            const int own = *parseInt(boxes[kRows[r].own[m]]);
            const int opponent = *parseInt(boxes[kRows[r].opponent[m]]);
            if (own > opponent) {
                ++row.wins;
            } else if (own == opponent) {
                ++row.draws;
            } else {
                ++row.losses;
            }
        }
        row.points = 3 * row.wins + row.draws;
        table.rowsDone = r + 1;
    }
    if (sums.failed) {
        table.error = notAnIntegerMessage(sums.failedText);
        return table;
    }
    for (int r = 0; r < 3; ++r) {
        table.places[r] = placeOf(table.rows, r);
    }
    return table;
}

std::array<QString, 7> figureTexts(const RowFigures &row) {
    return {QString::number(row.wins),   QString::number(row.draws),    QString::number(row.losses),
            QString::number(row.scored), QString::number(row.conceded), QString::number(row.difference),
            QString::number(row.points)};
}
