#pragma once

#include "Result.h"
#include "StatsConnection.h"
#include "Tournament.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>
#include <array>
#include <functional>

struct TournamentEntry;

// The writes to the table "stat": a tournament's three rows with its entry in
// the book, the checks before them, and the deletion of a row.

// One row of the result window as the write takes it: the texts of its labels.
struct PlayerFigures {
    QString name;
    QString wins;
    QString draws;
    QString losses;
    QString scored;
    QString conceded;
    QString difference;
    QString points;
    QString place;
};

// Checks before anything is written: every figure an integer, the place "1", "2"
// or "3". The failure says what to do.
Status checkPlayerFigures(const PlayerFigures &figures);

// The columns of "stat" that a tournament adds to, in the order of the write.
const std::array<QString, 10> &statFigureColumns();

// Checks that every figure of the row of "stat" with this id is a whole number
// (an integer, or a text that spells one), since SQLite would add to a text or a
// NULL without a word and give a wrong total. The failure names the player and
// the column; an invalid error with an empty text when the row passes.
struct StatRowCheck {
    QString problem;
    QSqlError error;
    bool ok() const { return problem.isEmpty() && !error.isValid(); }
};
StatRowCheck checkStatRowFigures(const QSqlDatabase &db, const QVariant &id);

// The checks before a tournament is written: every row's figures, then the
// score boxes, parsed into the matches that the write records. The failure
// says that nothing was written.
Result<Matches> checkTournament(const PerPlayer<PlayerFigures> &rows, const ScoreTexts &scores);

// Adds one player's tournament figures to "stat": the update of the player's row
// when the lookup finds it (that one row, by its id, even when the name stands in
// several), else the insert of a new row. Figures are
// passed on as the texts they are. Checks the figures first; runs in whatever
// transaction the caller holds.
Status WritePlayerStats(const QSqlDatabase &db, const QString &name, const QString &wins, const QString &draws,
                        const QString &losses, const QString &scored, const QString &conceded,
                        const QString &difference, const QString &points, const QString &place);

// Writes the three rows of one tournament and its entry in the tournament book in
// one transaction: all three players and the book, or nothing. A file made before
// the book gets the book's tables in that transaction; a file of a newer book is
// refused. Nothing starts unless every row passes checkPlayerFigures. The write takes
// the file for writing before the first row, so that another program's lock
// stops it before anything is done; a failed row or a failed commit is rolled
// back. afterRow(k) runs once the k-th row (1-based) is written. One operation
// for the lock wait. A figure of "stat" that is no whole number in a row the
// write would add to stops it before anything is written. The value on
// success: what the user should read about players whose rows of "stat" the
// write left alone (the lookup by name found only other players' rows).
Result<QStringList> writeTournament(const StatsConnection &connection, const PerPlayer<PlayerFigures> &rows,
                                    const TournamentEntry &entry, const std::function<void(int)> &afterRow = {});

// Deletes the row of "stat" with this id; one operation for the lock wait. The
// failure says why the row stays.
Status deleteStatRow(const StatsConnection &connection, const QVariant &id);
