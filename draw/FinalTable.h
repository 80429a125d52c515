#pragma once

#include "Result.h"
#include "Tournament.h"

#include <QDate>
#include <QString>
#include <array>

// Rewrites "last.txt" with the tournament: the teams of players 1, 2 and 3 and
// the date in the system's short format, one line each. A team that cannot be
// written as one line of Windows-1251 is a failure naming it, and the file
// stays as it was.
Status recordLastTournament(const PerPlayer<QString> &teams, const QDate &date);

// The player of each team in the order given: the player whose team field holds
// that team (the first such player, should two hold it).
// The tournament as the result table lists it: a row for each team in the order
// of the first round (match 1's two teams, then match 2's first-named team),
// each with the player whose team field holds it.
Tournament inResultTableOrder(const Tournament &tournament);

PerPlayer<QString> playersOfTeams(const PerPlayer<QString> &order, const PerPlayer<QString> &teams,
                                  const PerPlayer<QString> &players);
