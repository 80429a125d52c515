#pragma once

#include "BookReader.h"
#include "SqliteStatement.h"
#include "StatsConnection.h"
#include "TournamentBook.h"

#include <QSqlError>

// What the readings of the book share: one reading per operation, its
// statements, and the row columns of tournament_player.

inline int columnInt(sqlite3_stmt *statement, int column) {
    return sqlite3_column_int(statement, column);
}

// Goals and their sums, which the score boxes do not bound.
inline qint64 columnGoals(sqlite3_stmt *statement, int column) {
    return sqlite3_column_int64(statement, column);
}

// The reading of one operation: waits for another program's lock as one, and
// reads every statement from the same state of the file in a transaction that
// ends (its lock released) when the reading goes.
class BookReading {
public:
    explicit BookReading(const StatsConnection &connection)
        : m_connection(connection), m_wait(connection), m_transaction(connection) {
        m_handle = connection.handle();
        if (!m_transaction.begun().ok()) {
            m_failure = m_transaction.begun().error();
        }
    }
    BookReading(const BookReading &) = delete;
    BookReading &operator=(const BookReading &) = delete;

    // Ends the reading's transaction: a reading is whole only when the file is
    // let go of afterwards.
    template <typename T> Result<T> finish(T value) {
        if (failed()) {
            return failure();
        }
        if (const Status ended = m_transaction.end(); !ended.ok()) {
            return Failure{ended.error()};
        }
        return value;
    }

    bool failed() const { return !m_failure.isEmpty(); }
    Failure failure() const { return Failure{m_failure}; }

    // The statement, or nothing when it does not prepare (the failure is kept).
    Statement prepare(const char *sql) {
        sqlite3_stmt *prepared = nullptr;
        if (sqlite3_prepare_v2(m_handle, sql, -1, &prepared, nullptr) != SQLITE_OK) {
            sqlite3_finalize(prepared);
            fail();
            return nullptr;
        }
        return Statement(prepared);
    }

    // Steps the statement: true for a row; false at the end or on a failure,
    // which is kept.
    bool next(sqlite3_stmt *statement) {
        const int code = sqlite3_step(statement);
        if (code == SQLITE_ROW) {
            return true;
        }
        if (code != SQLITE_DONE) {
            fail();
        }
        return false;
    }

    // Whether the file has the book: a file made before the book has none and
    // reads as an empty book; a damaged book is a failure that says what is wrong.
    bool hasBook() {
        if (failed()) {
            return false;
        }
        const BookState state = inspectBook(m_connection.database());
        if (state.error.isValid()) {
            m_failure = databaseErrorText(m_connection.filePath(), state.error);
            return false;
        }
        if (!state.damage.isEmpty()) {
            m_failure = damagedBookText(m_connection.filePath(), state.damage);
            return false;
        }
        return state.present;
    }

    bool russianOrder() const { return m_connection.hasRussianCollation(); }

private:
    void fail() {
        const QSqlError error(QStringLiteral("Unable to read the book"), QString::fromUtf8(sqlite3_errmsg(m_handle)),
                              QSqlError::StatementError, QString::number(sqlite3_extended_errcode(m_handle)));
        m_failure = databaseErrorText(m_connection.filePath(), error);
    }

    const StatsConnection &m_connection;
    const StatsConnection::LockWaitScope m_wait;
    ReadTransaction m_transaction;
    sqlite3 *m_handle = nullptr;
    QString m_failure;
};

// The row columns of tournament_player in the order that readRow takes them,
// as they follow the tournament's id and written time.
inline constexpr const char *kTournamentRows =
    "SELECT t.id, t.written, p.row, p.player, p.team, p.wins, p.draws, p.losses, p.scored, p.conceded, "
    "p.difference, p.points, p.place FROM tournament t JOIN tournament_player p ON p.tournament = t.id ";

inline BookRow readRow(sqlite3_stmt *statement) {
    BookRow row;
    row.row = columnInt(statement, 2);
    row.player = columnText(statement, 3);
    row.team = columnText(statement, 4);
    row.wins = columnInt(statement, 5);
    row.draws = columnInt(statement, 6);
    row.losses = columnInt(statement, 7);
    row.scored = columnGoals(statement, 8);
    row.conceded = columnGoals(statement, 9);
    row.difference = columnGoals(statement, 10);
    row.points = columnInt(statement, 11);
    row.place = columnInt(statement, 12);
    return row;
}
