#pragma once

#include "Result.h"
#include "Tournament.h"

#include <QDate>
#include <QString>
#include <array>
#include <optional>

// Rewrites "last.txt" with the tournament: the teams of players 1, 2 and 3 and
// the date in the system's short format, one line each. A team that cannot be
// written as one line of Windows-1251 is a failure naming it, and the file
// stays as it was.
Status recordLastTournament(const PerPlayer<QString> &teams, const QDate &date);
// The date as "last.txt" records it.
QString lastTournamentDate(const QDate &date);

// The tournament that "last.txt" records: its three teams with the players
// given, no first round, and its date as written there. Nothing when the file
// holds no team.
struct RecordedTournament {
    Tournament tournament;
    QString date;
};
Result<std::optional<RecordedTournament>> readLastTournament(const PerPlayer<QString> &players);

// The tournament as the result table lists it: a row for each team in the order
// of the first round (match 1's two teams, then match 2's first-named team),
// each with the player whose team field holds it.
Tournament inResultTableOrder(const Tournament &tournament);

// The player of each team in the order given: the player whose team field holds
// that team (the first such player, should two hold it).
PerPlayer<QString> playersOfTeams(const PerPlayer<QString> &order, const PerPlayer<QString> &teams,
                                  const PerPlayer<QString> &players);
