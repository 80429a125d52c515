#include "Standings.h"

#include "Integers.h"

namespace {

// One row's matches as box indices (Edit number - 1): the row's own goals and the
// opponent's goals in the same match, in the order in which the computation reads them.
struct RowBoxes {
    std::array<int, 4> own;
    std::array<int, 4> opponent;
};

constexpr PerPlayer<RowBoxes> kRows = {{
    {{0, 8, 3, 5}, {1, 9, 2, 4}},   // row 1: Edit1, Edit9, Edit4, Edit6 against Edit2, Edit10, Edit3, Edit5
    {{2, 10, 1, 7}, {3, 11, 0, 6}}, // row 2: Edit3, Edit11, Edit2, Edit8 against Edit4, Edit12, Edit1, Edit7
    {{4, 6, 9, 11}, {5, 7, 8, 10}}, // row 3: Edit5, Edit7, Edit10, Edit12 against Edit6, Edit8, Edit9, Edit11
}};

// The score boxes as numbers, each read once; an empty box value is a text
// that is not an integer, shown by its text.
struct BoxValues {
    std::array<std::optional<qint64>, kScoreBoxes> values{};
    const ScoreTexts *texts = nullptr;
};

// Sums the boxes of one row's goals in order; the first box that is not an
// integer ends the computation.
std::optional<qint64> sumOf(const BoxValues &boxes, const std::array<int, 4> &indices, QString &failedText) {
    qint64 total = 0;
    for (const int index : indices) {
        const std::optional<qint64> &value = boxes.values[index];
        if (!value) {
            failedText = boxes.texts ? (*boxes.texts)[index] : QString();
            return std::nullopt;
        }
        total += *value;
    }
    return total;
}

// A win gives three points, a draw one.
constexpr int kPointsForWin = 3;

// Rows rank by points, then by goal difference.
std::pair<int, qint64> rankOf(const RowFigures &row) {
    return {row.points, row.difference};
}

// "1" above both other rows, "3" below both, "2" otherwise: rows level on points
// and difference share the place, so a shared top or bottom is "2".
QString placeOf(const PerPlayer<RowFigures> &rows, int row) {
    const auto own = rankOf(rows[row]);
    const auto first = rankOf(rows[(row + 1) % kPlayers]);
    const auto second = rankOf(rows[(row + 2) % kPlayers]);
    if (own > first && own > second) {
        return QStringLiteral("1");
    }
    if (own < first && own < second) {
        return QStringLiteral("3");
    }
    return QStringLiteral("2");
}

StandingsTable computeStandings(const BoxValues &boxes) {
    StandingsTable table;
    QString failedText;
    bool failed = false;
    for (int r = 0; r < kPlayers; ++r) {
        RowFigures &row = table.rows[r];
        const std::optional<qint64> scored = sumOf(boxes, kRows[r].own, failedText);
        if (!scored) {
            failed = true;
            break;
        }
        row.scored = *scored;
        table.scoredOfNextRow = true;
        const std::optional<qint64> conceded = sumOf(boxes, kRows[r].opponent, failedText);
        if (!conceded) {
            failed = true;
            break;
        }
        table.scoredOfNextRow = false;
        row.conceded = *conceded;
        row.difference = row.scored - row.conceded;
        // Every box of the row was read without failure by now.
        for (int m = 0; m < 4; ++m) {
            const qint64 own = *boxes.values[kRows[r].own[m]];
            const qint64 opponent = *boxes.values[kRows[r].opponent[m]];
            if (own > opponent) {
                ++row.wins;
            } else if (own == opponent) {
                ++row.draws;
            } else {
                ++row.losses;
            }
        }
        row.points = kPointsForWin * row.wins + row.draws;
        table.rowsDone = r + 1;
    }
    if (failed) {
        table.error = notAnIntegerMessage(failedText);
        return table;
    }
    for (int r = 0; r < kPlayers; ++r) {
        table.places[r] = placeOf(table.rows, r);
    }
    return table;
}

} // namespace

StandingsTable Standings(const ScoreTexts &texts) {
    BoxValues boxes;
    boxes.texts = &texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (const std::optional<int> value = parseInt(texts[i])) {
            boxes.values[i] = *value;
        }
    }
    return computeStandings(boxes);
}

StandingsTable standingsOf(const Matches &matches) {
    BoxValues boxes;
    for (std::size_t k = 0; k < matches.size(); ++k) {
        boxes.values[kMatchCells[k].homeBox] = matches[k].homeGoals;
        boxes.values[kMatchCells[k].awayBox] = matches[k].awayGoals;
    }
    return computeStandings(boxes);
}

std::array<QString, 7> figureTexts(const RowFigures &row) {
    return {QString::number(row.wins),   QString::number(row.draws),    QString::number(row.losses),
            QString::number(row.scored), QString::number(row.conceded), QString::number(row.difference),
            QString::number(row.points)};
}
