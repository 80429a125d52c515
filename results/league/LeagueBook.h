#pragma once

#include "BookReader.h"
#include "Result.h"

#include <QString>
#include <vector>

class StatsConnection;

// The tournament book as the league reads it: every tournament in date order,
// with its rows and its matches, read in one pass so that every figure of the
// league (ratings, seasons, records, the finish grid) comes from one state of
// the book. Nothing of the league is stored: an undo or a restore changes it at
// once. Tournaments written before the book existed are not in it.

struct LeagueTournament {
    qint64 id = 0;
    QString written; // local time, "YYYY-MM-DD HH:MM:SS"
    PerPlayer<BookRow> rows;
    // In the order the book keeps them, which is the order of play (match 1 to 6).
    std::vector<Match> matches;

    // The calendar year of its date: its season.
    int year() const { return written.left(4).toInt(); }
    // The player of a row (1 to kPlayers).
    const QString &player(int row) const { return rows[static_cast<std::size_t>(row - 1)].player; }
};

// Oldest first; tournaments written at the same second in the order written.
using LeagueBook = std::vector<LeagueTournament>;

Result<LeagueBook> readLeagueBook(const StatsConnection &connection);

// The date of a tournament as the league's tables show it: "dd.MM.yyyy".
QString leagueDate(const QString &written);
