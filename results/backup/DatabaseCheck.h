#pragma once

#include "Result.h"

#include <QString>
#include <QStringList>
#include <chrono>

// The check of a database file with SQLite before it is listed or used, and what
// a restore of one would change in the book of tournaments.

// What a database file holds, as the list of backups shows it.
struct BookSummary {
    int version = 0;
    qint64 tournaments = 0;
    qint64 players = 0; // rows of "stat"
    QString newestWritten;
    QStringList newestPlayers;
};

// The outcome of checking a database file with SQLite.
struct DatabaseCheck {
    enum class Verdict {
        Good,       // SQLite's check passes and the file holds the program's tables
        Damaged,    // not SQLite, the check fails, the tables are missing, or there is no file
        Unreadable, // another program holds it, or it cannot be opened for another reason
        Foreign,    // a sound SQLite file that is not the program's, or of a newer version
    };
    Verdict verdict = Verdict::Unreadable;
    // Why it is not good, in the user's words.
    QString reason;
    BookSummary summary;
};
// Checks the file read-only: PRAGMA quick_check, the table "stat" with its
// columns, the book's tables for a version that has them, and a user_version
// that the program knows. Waits at most lockWait for another program's lock.
DatabaseCheck checkDatabaseFile(const QString &path, std::chrono::milliseconds lockWait);
// The same without PRAGMA quick_check, which reads the whole file: for a list of
// many backups, each of which the restore checks in full before it is used.
DatabaseCheck inspectDatabaseFile(const QString &path, std::chrono::milliseconds lockWait);

// What a restore does to the book: the tournaments of the restored file that the
// current one lacks come back, those of the current one that it lacks go away. A
// tournament is known by its number and the time it was written.
struct BookChange {
    qint64 comeBack = 0;
    qint64 goAway = 0;
};
Result<BookChange> compareBooks(const QString &current, const QString &restored, std::chrono::milliseconds lockWait);
