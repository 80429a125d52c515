#pragma once

#include "Result.h"
#include "Standings.h"
#include "StatWrites.h"

#include <QDateTime>
#include <QSqlError>
#include <QString>
#include <QVariant>
#include <array>
#include <optional>

class QSqlDatabase;
class StatsConnection;

// The tournament book: every tournament written to the statistics database,
// kept in the tables "tournament", "tournament_player" and "tournament_match"
// beside the running totals of "stat" (the schema is in data/base.sql). The
// book is written in the same transaction as the three rows of "stat", so the
// two never disagree; a file made before the book gets its tables inside its
// first write's transaction.

namespace Book {
// The schema's version, kept in PRAGMA user_version: 0 is a file without the
// book, 1 the book without corrections, 2 the book as data/base.sql makes it,
// with the record of the corrections that lets the newest one be taken back.
// A file of an older version gets the newer tables at its first change.
inline constexpr int SchemaVersion = 2;
// How "written" is stored: local time, sorted as text in the order of time.
inline const QString WrittenFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
} // namespace Book

// What the write records besides the figures of the three rows.
struct TournamentEntry {
    // The row titles of the result window; an empty text means the titles were
    // never set (a window opened from "Статистика..."), stored as NULL.
    PerPlayer<QString> teams;
    // The six matches of the score boxes.
    Matches matches{};
    // When it is written; the write fills in the current time when this is null.
    QDateTime written;
};

// Where the write put one row's figures in "stat": the row's id, null when the
// write left "stat" alone for the player, and whether the write inserted it.
struct StatTarget {
    QVariant id;
    bool created = false;
};

// Adds the tournament, its three rows and its six matches to the book; runs in
// the caller's transaction, after the rows of "stat". An invalid error on success.
QSqlError recordTournament(const QSqlDatabase &db, const PerPlayer<PlayerFigures> &rows,
                           const PerPlayer<StatTarget> &targets, const TournamentEntry &entry);

// Forgets the changes taken back that "Вернуть отменённое..." could bring back:
// a new write or correction makes them stale. Runs in the caller's transaction,
// on a book of the current version.
QSqlError forgetUndoneChanges(const QSqlDatabase &db);

// The schema version of the open file (PRAGMA user_version).
Result<int> bookVersion(const QSqlDatabase &db);

// What the file holds of the book. A file made before the book (version 0,
// not all three tables) has none and reads as an empty book; any other file must
// have the three tables with every column the program uses, or its book is
// damaged: nothing reads it as empty and nothing writes to it.
struct BookState {
    int version = 0;
    bool present = false;
    // Whether it has the table of corrections (version 2 on).
    bool corrections = false;
    // What is wrong with the book, in the user's words; empty when nothing is.
    QString damage;
    // A statement of the inspection itself failed (another program's lock).
    QSqlError error;
};
BookState inspectBook(const QSqlDatabase &db);
// The message about a damaged book of the file.
QString damagedBookText(const QString &filePath, const QString &damage);
// Gives a file without the book its tables and version; runs in the caller's
// transaction. A file of a newer version, or with a damaged book, is refused and
// left alone.
Status ensureBookSchema(const QSqlDatabase &db);

// The newest tournament of the book, for the undo's question.
struct NewestTournament {
    qint64 id = 0;
    QDateTime written;
    PerPlayer<QString> players;
};
// The newest tournament; a failure says why there is none to undo (no book
// entry at all, or a file the program cannot read).
Result<NewestTournament> newestTournament(const StatsConnection &connection);

// Takes the newest tournament back, in one transaction: subtracts from "stat"
// exactly what it added (every figure and the place counts), deletes a row of
// "stat" that this tournament created when it is back to all zeros, and removes
// the tournament from the book, keeping it among the changes taken back (see
// BookUndo.h). A book of the first version gets the newer tables in the same
// transaction. Refuses, changing nothing, when the book is
// empty or when "stat" no longer holds what the tournament added. Given the id
// that newestTournament() showed the user, refuses as well when that is no
// longer the newest (another program wrote one since). One operation for the
// lock wait.
Status undoNewestTournament(const StatsConnection &connection, std::optional<qint64> expected = std::nullopt);
