#pragma once

#include "Result.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <chrono>
#include <memory>

class RussianCollator;
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
    // another program's lock as one operation, and every later operation waits
    // at most lockWait (tests shorten it). The failure names the file.
    static Result<std::unique_ptr<StatsConnection>> open(const QString &fileName,
                                                         std::chrono::milliseconds lockWait = kProgramLockWait);
    ~StatsConnection();
    StatsConnection(const StatsConnection &) = delete;
    StatsConnection &operator=(const StatsConnection &) = delete;

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
    StatsConnection(QString name, QString filePath, std::chrono::milliseconds lockWait);

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

// The words that end a change of the file that stopped before its commit: that
// nothing was changed, and that the change begun could not be taken back.
struct RollbackWords {
    QString nothingChanged;
    QString notTakenBack;
};
// A write of a tournament, and an undo of one.
const RollbackWords &writeRollbackWords();
const RollbackWords &undoRollbackWords();

// Ends the caller's transaction without its changes and says so after the
// failure that stopped it; a failed rollback is told too (the transaction then
// stays open and the next change does not start).
QString rolledBack(const QSqlDatabase &db, const RollbackWords &words, const QString &failure);

// True when a statement failed because another connection holds the file
// (SQLITE_BUSY or SQLITE_LOCKED), told by SQLite's result code.
bool isLockedError(const QSqlError &error);
// What went wrong with the database file, in the user's words: the file's path
// and the cause. A lock says which program to close; other causes add SQLite's
// own text as detail.
QString databaseErrorText(const QString &filePath, const QSqlError &error);

// Makes a new database file from the schema text (data/base.sql): the build makes
// the empty database that ships with it, and tests make theirs. Fails when the
// file exists.
Status createStatsDatabase(const QString &fileName, const QString &schemaSql);
