#include "Integers.h"
#include "Standings.h"

#include <gtest/gtest.h>
#include <map>
#include <utility>

namespace {

// Scores by cell of the cross table: {row, column} -> {row's goals, column's goals}.
using Cells = std::map<std::pair<int, int>, std::pair<int, int>>;

// The boxes (left, right) of each cell, as Edit numbers.
const std::map<std::pair<int, int>, std::pair<int, int>> kCellBoxes = {
    {{1, 2}, {1, 2}}, {{1, 3}, {9, 10}}, {{2, 1}, {3, 4}}, {{2, 3}, {11, 12}}, {{3, 1}, {5, 6}}, {{3, 2}, {7, 8}},
};

ScoreTexts boxesOf(const Cells &cells) {
    ScoreTexts boxes;
    boxes.fill(QStringLiteral("0"));
    for (const auto &[cell, score] : cells) {
        const auto [left, right] = kCellBoxes.at(cell);
        boxes[left - 1] = QString::number(score.first);
        boxes[right - 1] = QString::number(score.second);
    }
    return boxes;
}

// scored, conceded, difference, points, wins, draws, losses
std::array<qint64, 7> figures(const RowFigures &row) {
    return {row.scored, row.conceded, row.difference, row.points, row.wins, row.draws, row.losses};
}

std::array<QString, 3> places(const char *a, const char *b, const char *c) {
    return {QString::fromLatin1(a), QString::fromLatin1(b), QString::fromLatin1(c)};
}

} // namespace

TEST(Standings, AllZeroIsFourDrawsEachAndNoWinner) {
    const StandingsTable table = Standings(boxesOf({}));
    ASSERT_TRUE(table.complete());
    for (const RowFigures &row : table.rows) {
        EXPECT_EQ(figures(row), (std::array<qint64, 7>{0, 0, 0, 4, 0, 4, 0}));
    }
    EXPECT_EQ(table.places, places("2", "2", "2"));
}

TEST(Standings, CountsGoalsResultsAndPointsFromBothMeetings) {
    const StandingsTable table = Standings(boxesOf(
        {{{1, 2}, {2, 1}}, {{1, 3}, {3, 0}}, {{2, 1}, {1, 1}}, {{2, 3}, {2, 2}}, {{3, 1}, {0, 1}}, {{3, 2}, {1, 0}}}));
    ASSERT_TRUE(table.complete());
    EXPECT_EQ(figures(table.rows[0]), (std::array<qint64, 7>{7, 2, 5, 10, 3, 1, 0}));
    EXPECT_EQ(figures(table.rows[1]), (std::array<qint64, 7>{4, 6, -2, 2, 0, 2, 2}));
    EXPECT_EQ(figures(table.rows[2]), (std::array<qint64, 7>{3, 6, -3, 4, 1, 1, 2}));
    EXPECT_EQ(table.places, places("1", "3", "2"));
}

TEST(Standings, PlacesGoByPointsThenByGoalDifference) {
    // Points 5, 5, 6 with differences 4, 0, -4: the points leader is first whatever
    // the differences, and the difference orders the two level on points.
    StandingsTable table = Standings(boxesOf({{{1, 3}, {5, 0}}, {{3, 1}, {1, 0}}, {{2, 3}, {1, 0}}, {{3, 2}, {1, 0}}}));
    ASSERT_TRUE(table.complete());
    EXPECT_EQ(table.rows[0].points, 5);
    EXPECT_EQ(table.rows[0].difference, 4);
    EXPECT_EQ(table.rows[2].points, 6);
    EXPECT_EQ(table.places, places("2", "3", "1"));

    // A three-way tie on 5 points with differences 1, -1, 0 is broken by the differences.
    table = Standings(boxesOf({{{1, 2}, {2, 0}}, {{2, 3}, {1, 0}}, {{3, 1}, {1, 0}}}));
    EXPECT_EQ(table.places, places("1", "3", "2"));

    // Level on points and difference at the top: two second places, no first.
    table = Standings(boxesOf(
        {{{1, 2}, {1, 1}}, {{2, 1}, {1, 1}}, {{1, 3}, {1, 0}}, {{3, 1}, {0, 1}}, {{2, 3}, {1, 0}}, {{3, 2}, {0, 1}}}));
    EXPECT_EQ(table.places, places("2", "2", "3"));

    // Level at the bottom: two second places, no third.
    table = Standings(boxesOf({{{1, 2}, {1, 0}}, {{1, 3}, {1, 0}}}));
    EXPECT_EQ(table.places, places("1", "2", "2"));
}

TEST(Standings, NegativeScoresCountWithTheirSign) {
    ScoreTexts boxes = boxesOf({});
    boxes[0] = QStringLiteral("-1"); // Edit1: row 1's goals against row 2
    boxes[1] = QStringLiteral("+2");
    const StandingsTable table = Standings(boxes);
    ASSERT_TRUE(table.complete());
    EXPECT_EQ(figures(table.rows[0]), (std::array<qint64, 7>{-1, 2, -3, 3, 0, 3, 1}));
    EXPECT_EQ(table.rows[1].conceded, -1);
}

TEST(Standings, StopsAtTheFirstBoxThatIsNotAnIntegerKeepingWhatCameBefore) {
    struct Case {
        int edit;
        const char *text;
        int rowsDone;
        bool scoredOfNextRow;
    };
    // Row 1 reads Edit1, 9, 4, 6 then 2, 10, 3, 5; row 2 adds Edit11, 8 then 12, 7.
    const Case cases[] = {{6, "", 0, false}, {5, "x", 0, true}, {8, "1.5", 1, false}, {7, " 1", 1, true}};
    for (const Case &c : cases) {
        ScoreTexts boxes = boxesOf({{{1, 2}, {3, 0}}});
        boxes[c.edit - 1] = QString::fromLatin1(c.text);
        const StandingsTable table = Standings(boxes);
        EXPECT_FALSE(table.complete()) << c.edit;
        EXPECT_EQ(table.error, QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(c.text)));
        EXPECT_EQ(table.rowsDone, c.rowsDone) << c.edit;
        EXPECT_EQ(table.scoredOfNextRow, c.scoredOfNextRow) << c.edit;
        EXPECT_EQ(table.places, places("", "", "")) << c.edit;
    }
    // The first failing read names its box, even when a later box is wrong too.
    ScoreTexts boxes = boxesOf({});
    boxes[11] = QStringLiteral("later");
    boxes[3] = QStringLiteral("first");
    EXPECT_EQ(Standings(boxes).error, QStringLiteral("'first' is not a valid integer value"));
}

TEST(Standings, ScoreBoxHoldsASignedDecimalIntegerAndNothingElse) {
    EXPECT_EQ(parseInt(QStringLiteral("00")), 0);
    EXPECT_EQ(parseInt(QStringLiteral("-7")), -7);
    EXPECT_EQ(parseInt(QStringLiteral("+7")), 7);
    EXPECT_EQ(parseInt(QStringLiteral("2147483647")), 2147483647);
    for (const char *text : {"", "-", "+", "1 ", " 1", "0x10", "1e2", "2147483648", "٣"}) {
        EXPECT_FALSE(parseInt(QString::fromUtf8(text))) << text;
    }
}

// The write checks the table on show against the matches parsed from the same
// boxes: both ways of reading a tournament must give the same table, and the
// parse must put each box into its match of the cross table.
TEST(Standings, ParsedMatchesGiveTheTableOfTheirBoxes) {
    const ScoreTexts boxes = boxesOf(
        {{{1, 2}, {2, 1}}, {{1, 3}, {3, 0}}, {{2, 1}, {1, 4}}, {{2, 3}, {2, 2}}, {{3, 1}, {0, 1}}, {{3, 2}, {5, 0}}});
    const Result<Matches> matches = parseScores(boxes);
    ASSERT_TRUE(matches.ok()) << matches.error().toStdString();
    EXPECT_EQ(matches.value()[1].homeRow, 1);
    EXPECT_EQ(matches.value()[1].awayRow, 3);
    EXPECT_EQ(matches.value()[1].homeGoals, 3);
    EXPECT_EQ(matches.value()[1].awayGoals, 0);
    const StandingsTable fromTexts = Standings(boxes);
    const StandingsTable fromMatches = standingsOf(matches.value());
    ASSERT_TRUE(fromMatches.complete());
    for (int r = 0; r < kPlayers; ++r) {
        EXPECT_EQ(figures(fromMatches.rows[r]), figures(fromTexts.rows[r])) << "row " << r + 1;
    }
    EXPECT_EQ(fromMatches.places, fromTexts.places);

    ScoreTexts bad = boxes;
    bad[6] = QStringLiteral(" 5");
    const Result<Matches> refused = parseScores(bad);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().contains(QStringLiteral("матча 3 против 2"))) << refused.error().toStdString();
}
