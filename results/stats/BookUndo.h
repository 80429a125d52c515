#pragma once

#include "Result.h"
#include "Tournament.h"

#include <QDateTime>
#include <QString>

class StatsConnection;

// The undo of the newest change of the book, whichever it is: the write of a
// tournament or the correction of one (see BookCorrection.h). Each change is
// taken back whole, newest first, and kept so that the newest one taken back
// can be brought back; a new write or correction forgets them.

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

// The newest change taken back, which "Вернуть отменённое..." brings back.
struct UndoneChange {
    // Its row of "tournament_undone".
    qint64 id = 0;
    // The change as it was before the undo.
    NewestChange change;
};
// The failure says why there is none (nothing taken back since the last write
// or correction, or a file the program cannot read).
Result<UndoneChange> newestUndone(const StatsConnection &connection);

// Brings the newest change taken back into the book again, in one transaction,
// as it was before the undo: a tournament with its id, date, rows and matches,
// its figures added to "stat" again (a row of "stat" that the undo deleted comes
// back with its id); a correction with its record. Refuses, changing nothing,
// when that is no longer `expected`, or when "stat" or the tournament were
// changed since in a way that would not add up.
Status redoNewestUndone(const StatsConnection &connection, const UndoneChange &expected);
