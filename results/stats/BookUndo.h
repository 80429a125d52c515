#pragma once

#include "Result.h"
#include "Tournament.h"

#include <QDateTime>
#include <QString>

class StatsConnection;

// The undo of the newest change of the book, whichever it is: the write of a
// tournament or the correction of one (see BookCorrection.h). Each change is
// taken back whole, newest first.

// The newest change of the book, which the undo takes back.
struct NewestChange {
    enum class Kind { Write, Correction };
    Kind kind = Kind::Write;
    qint64 tournament = 0;
    // The correction's id; 0 for a write.
    qint64 correction = 0;
    QDateTime written;
    // When the correction was made; null for a write.
    QDateTime made;
    PerPlayer<QString> players;
};
Result<NewestChange> newestChange(const StatsConnection &connection);

// What the undo's question says it takes back.
QString describeChange(const NewestChange &change);

// Takes back the newest change, in one transaction: a write as
// undoNewestTournament() does, a correction by giving the tournament back the
// figures and scores it had, with "stat" changed by the difference. Refuses,
// changing nothing, when that is no longer `expected` (another program changed
// the book since the question) or when "stat" cannot give back what the change
// added.
Status undoNewestChange(const StatsConnection &connection, const NewestChange &expected);
