#pragma once

#include "Result.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>
#include <array>
#include <chrono>
#include <functional>
#include <memory>

class RussianCollator;
struct TournamentEntry;
struct sqlite3;

// The statistics database: the table "stat" of the SQLite file
// "base.mdb" in the working directory. The name is the one the data folder always
// had; the file is SQLite, which any SQLite tool opens.

namespace StatsDb {
inline const QString FileName = QStringLiteral("base.mdb");
// The collation that orders the player column as a Russian reader expects.
inline const QString RussianCollation = QStringLiteral("russian");
} // namespace StatsDb

// One open connection to the database, on a connection name of its own, so that
// several windows (in tests) can each have one. Destroying it removes the
// connection; every model and query on it must be gone by then.
//
// When another program holds the file (a write in progress, or an open read that
// keeps a write from finishing), SQLite reports it busy. The connection then
// waits, in short sleeps, for the other program to let go, but only up to a
// deadline: every statement of one operation together waits at most lockWait().
// An operation is the life of a LockWaitScope; a statement outside any scope
// waits lockWait() on its own.
class StatsConnection {
public:
    // What the program waits for another program's lock before it gives up.
    static constexpr std::chrono::milliseconds kProgramLockWait{2000};

    // Opens an existing regular file read-write; the program never creates it.
    // Checks that the file is SQLite with the table "stat" and its twelve columns,
    // and says so when it is a Microsoft Access database. The check waits for
    // another program's lock as one operation. The failure names the file.
    static Result<std::unique_ptr<StatsConnection>> open(const QString &fileName);
    ~StatsConnection();
    StatsConnection(const StatsConnection &) = delete;
    StatsConnection &operator=(const StatsConnection &) = delete;

    // The wait of connections opened from now on (tests shorten it).
    static void setDefaultLockWait(std::chrono::milliseconds wait);

    QSqlDatabase database() const;
    // The SQLite connection under the Qt one, for what Qt SQL does not offer;
    // nullptr when the driver does not give it.
    sqlite3 *handle() const;
    // The file's absolute path as the user reads it in messages.
    const QString &filePath() const { return m_filePath; }
    // False when the collation "russian" could not be registered on the SQLite
    // handle; the player column is then ordered by code point.
    bool hasRussianCollation() const { return m_collator != nullptr; }
    // The collator behind the collation "russian", for orders made outside SQL;
    // nullptr when the collation is not there.
    const RussianCollator *russianCollator() const { return m_collator.get(); }

    std::chrono::milliseconds lockWait() const;
    void setLockWait(std::chrono::milliseconds wait);

    // One operation: from its start, the statements run while it lives wait at
    // most lockWait() in all for another program's lock. A scope opened inside
    // another keeps the outer deadline.
    class LockWaitScope {
    public:
        explicit LockWaitScope(const StatsConnection &connection);
        // An operation that waits at most `wait` (and never more than
        // lockWait()) when no other is under way.
        LockWaitScope(const StatsConnection &connection, std::chrono::milliseconds wait);
        ~LockWaitScope();
        LockWaitScope(const LockWaitScope &) = delete;
        LockWaitScope &operator=(const LockWaitScope &) = delete;

    private:
        const StatsConnection &m_connection;
    };

    struct LockWaitState;

private:
    StatsConnection(QString name, QString filePath);

    QString m_name;
    QString m_filePath;
    std::shared_ptr<const RussianCollator> m_collator;
    // Handed to SQLite's busy handler; outlives the SQLite connection.
    std::unique_ptr<LockWaitState> m_lockWait;
};

// Ends a transaction that an earlier operation could not end (its COMMIT and
// ROLLBACK both failed), so that the next operation starts afresh instead of
// joining it; nothing of it is kept. The failure says the file stays held.
Status endLeftoverTransaction(const StatsConnection &connection);

// A transaction that only reads, so that every statement of one reading sees
// one state of the file. A transaction left over from an earlier operation is
// ended first, so the reading never sees a stale state. end() commits; a
// commit that fails is rolled back instead, and the failure says so only when
// the transaction stays open (the file then stays held for other programs).
// One that end() did not end ends when the object goes.
class ReadTransaction {
public:
    explicit ReadTransaction(const StatsConnection &connection);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction &) = delete;
    ReadTransaction &operator=(const ReadTransaction &) = delete;

    // Whether the transaction began; the failure names the file and the cause.
    const Status &begun() const { return m_begun; }
    Status end();

private:
    const StatsConnection &m_connection;
    Status m_begun;
    bool m_open = false;
};

// Ends the caller's transaction without its changes. True when none is open
// afterwards: rolled back now, or already by SQLite itself after an I/O error or
// a full disk. False, with SQLite's text in error, when it is still open.
bool rollBackTransaction(const QSqlDatabase &db, QString &error);

// True when a statement failed because another connection holds the file
// (SQLITE_BUSY or SQLITE_LOCKED), told by SQLite's result code.
bool isLockedError(const QSqlError &error);
// What went wrong with the database file, in the user's words: the file's path
// and the cause. A lock says which program to close; other causes add SQLite's
// own text as detail.
QString databaseErrorText(const QString &filePath, const QSqlError &error);

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
// refused. Nothing starts unless every row passes checkPlayerFigures and every
// score box holds an integer. The write takes
// the file for writing before the first row, so that another program's lock
// stops it before anything is done; a failed row or a failed commit is rolled
// back. afterRow(k) runs once the k-th row (1-based) is written. One operation
// for the lock wait. A figure of "stat" that is no whole number in a row the
// write would add to stops it before anything is written. The value on
// success: what the user should read about players whose rows of "stat" the
// write left alone (the lookup by name found only other players' rows).
Result<QStringList> writeTournament(const StatsConnection &connection, const std::array<PlayerFigures, 3> &rows,
                                    const TournamentEntry &entry, const std::function<void(int)> &afterRow = {});

// Deletes the row of "stat" with this id; one operation for the lock wait. The
// failure says why the row stays.
Status deleteStatRow(const StatsConnection &connection, const QVariant &id);

// Makes a new database file from the schema text (data/base.sql): the build makes
// the empty database that ships with it, and tests make theirs. Fails when the
// file exists.
Status createStatsDatabase(const QString &fileName, const QString &schemaSql);
