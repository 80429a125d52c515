#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

// The standings of a tournament of three: every figure of the three rows
// of the result window, computed from the twelve score boxes.

// The texts of the score boxes Edit1 to Edit12; index 0 holds Edit1.
using ScoreTexts = std::array<QString, 12>;

struct RowFigures {
    qint64 scored = 0;
    qint64 conceded = 0;
    qint64 difference = 0;
    int wins = 0;
    int draws = 0;
    int losses = 0;
    int points = 0;
};

struct StandingsTable {
    std::array<RowFigures, 3> rows{};
    // The computation stops at the first box that is not an integer, as the window
    // did, and whatever it showed before that read stays shown. rowsDone rows are
    // complete; when scoredOfNextRow is set, the scored figure of the row after them
    // was computed as well. A complete computation has rowsDone == 3.
    int rowsDone = 0;
    bool scoredOfNextRow = false;
    // "1", "2" or "3" by points, then goal difference; rows level on both share
    // "2" at the top or the bottom. Empty unless the computation completed.
    std::array<QString, 3> places;
    // "'%s' is not a valid integer value" with the box's text; empty when complete.
    QString error;

    bool complete() const { return error.isEmpty(); }
};

StandingsTable Standings(const ScoreTexts &boxes);

// A row's figures as the result window shows them: wins, draws, losses, scored,
// conceded, difference, points.
std::array<QString, 7> figureTexts(const RowFigures &row);
