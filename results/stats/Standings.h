#pragma once

#include "Tournament.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

// The standings of a tournament of three: every figure of the three rows
// of the result window, computed from the twelve score boxes.

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
    PerPlayer<RowFigures> rows{};
    // The computation stops at the first box that is not an integer, as the window
    // did, and whatever it showed before that read stays shown. rowsDone rows are
    // complete; when scoredOfNextRow is set, the scored figure of the row after them
    // was computed as well. A complete computation has rowsDone == 3.
    int rowsDone = 0;
    bool scoredOfNextRow = false;
    // "1", "2" or "3" by points, then goal difference; rows level on both share
    // "2" at the top or the bottom. Empty unless the computation completed.
    PerPlayer<QString> places;
    // "'%s' is not a valid integer value" with the box's text; empty when complete.
    QString error;

    bool complete() const { return error.isEmpty(); }
};

// The result window's computation from the texts of the boxes, each read as an
// int the way the window reads a number.
StandingsTable Standings(const ScoreTexts &texts);
// The table of matches already parsed; always complete.
StandingsTable standingsOf(const Matches &matches);

// A row's figures as the result window shows them: wins, draws, losses, scored,
// conceded, difference, points.
std::array<QString, 7> figureTexts(const RowFigures &row);
