#pragma once

#include "Result.h"

#include <QString>
#include <QtGlobal>
#include <array>

// The shape of a tournament: three players, each with a team, meet each other
// twice, so there are six matches with two score boxes each. The first round is
// the three matches in which every team meets every other once.
inline constexpr int kPlayers = 3;
inline constexpr int kMatches = kPlayers * (kPlayers - 1);
inline constexpr int kScoreBoxes = 2 * kMatches;
inline constexpr int kFirstRoundMatches = kMatches / 2;

// One value per player, in player order (row 1 of the result table first).
template <typename T> using PerPlayer = std::array<T, kPlayers>;

// The texts of the result window's score boxes Edit1 to Edit12; index 0 holds Edit1.
using ScoreTexts = std::array<QString, kScoreBoxes>;

// The first round, match by match: the first-named team, then the second-named.
using FirstRoundTeams = std::array<std::array<QString, 2>, kFirstRoundMatches>;

// One match of the cross table: the row player's goals against the column
// player's; rows and columns are 1 to kPlayers.
struct Match {
    int homeRow = 0;
    int awayRow = 0;
    qint64 homeGoals = 0;
    qint64 awayGoals = 0;
};
using Matches = std::array<Match, kMatches>;

// Where each match stands in the score boxes (0-based), in the order in which
// the book keeps the matches: (1,2) Edit1:Edit2, (1,3) Edit9:Edit10,
// (2,1) Edit3:Edit4, (2,3) Edit11:Edit12, (3,1) Edit5:Edit6, (3,2) Edit7:Edit8.
struct MatchCell {
    int homeRow;
    int awayRow;
    int homeBox;
    int awayBox;
};
inline constexpr std::array<MatchCell, kMatches> kMatchCells = {
    {{1, 2, 0, 1}, {1, 3, 8, 9}, {2, 1, 2, 3}, {2, 3, 10, 11}, {3, 1, 4, 5}, {3, 2, 6, 7}}};

// The six matches of the score boxes, the one place where a tournament's scores
// become numbers. Fails, naming the match and the text, when a box is not an
// integer.
Result<Matches> parseScores(const ScoreTexts &boxes);

// One tournament as it grows through the evening: who plays with which team
// (a team is empty where none was drawn), the first round once it is drawn, and
// the six matches once their scores are in. The windows build it from their
// controls; below them it is the one value that names a tournament.
struct Tournament {
    PerPlayer<QString> players;
    PerPlayer<QString> teams;
    FirstRoundTeams firstRound{};
    Matches matches{};
};
