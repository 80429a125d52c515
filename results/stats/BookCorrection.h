#pragma once

#include "BookReader.h"
#include "Result.h"
#include "StatAdditions.h"
#include "Tournament.h"

#include <QDateTime>
#include <QString>
#include <map>
#include <optional>

class StatsConnection;

// Corrections of a past tournament of the book.
//
// A correction replaces a tournament's six scores: its rows get the figures
// that the standings rule gives for the new scores, and every row of "stat" it
// added to gets the difference, so that "stat" stays the sum of the book. The
// tournament keeps its id and date, and so its place in the order. What it
// replaced is kept in "tournament_correction" until the correction is taken
// back, with the newest tournament of the book at that time: a tournament
// written later is a newer change.

// A tournament of the book as its correction starts from it.
struct TournamentToCorrect {
    qint64 id = 0;
    QString written;
    PerPlayer<BookRow> rows;
    // The row of "stat" each row added to; none where the write left "stat" alone.
    PerPlayer<std::optional<qint64>> statIds;
    // In the order of kMatchCells.
    Matches matches{};
    // The rows of "stat" the tournament added to, as they stood when it was read.
    std::map<qint64, StatFigures> statRows;
    // Why it cannot be corrected, in the user's words; empty when it can.
    QString problem;
};

Result<TournamentToCorrect> readTournamentToCorrect(const StatsConnection &connection, qint64 id);

// The rows of the tournament as the standings rule gives them for these scores:
// names and teams kept, figures and places new.
PerPlayer<BookRow> correctedRows(const PerPlayer<BookRow> &rows, const Matches &matches);

// What the rows add to "stat", row of "stat" by row.
std::map<qint64, StatFigures> addedToStat(const PerPlayer<BookRow> &rows,
                                          const PerPlayer<std::optional<qint64>> &statIds);

// Whether the scores differ from the tournament's.
bool changesScores(const TournamentToCorrect &tournament, const Matches &matches);

// Saves the correction in one transaction. Refuses, changing nothing and saying
// why, when the scores are the same, when "stat" cannot give back what the
// tournament added (as the undo refuses), and when the tournament or its rows of
// "stat" are no longer as they were read (another program changed them). A file
// of the book's first version gets the table of corrections in the same
// transaction. `made` is when; null means now.
Status correctTournament(const StatsConnection &connection, const TournamentToCorrect &read, const Matches &matches,
                         const QDateTime &made = {});
