#pragma once

#include "BookCorrection.h"
#include "Result.h"
#include "TournamentBook.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <functional>
#include <optional>
#include <utility>
#include <variant>

class ReadTransaction;
class StatsConnection;

// The steps that a correction and the undo of one share: reading a tournament
// in the caller's transaction, the checks on "stat", replacing the figures, the
// record of what a correction replaced, and the transaction around a change.
namespace BookSteps {

bool sameRow(const BookRow &a, const BookRow &b);
bool sameMatches(const Matches &a, const Matches &b);

// Why a change stops: a reason in the user's words (a clause, or whole
// sentences), or the statement that failed.
struct Refusal {
    QString reason;
    QSqlError error;
    bool sentences = false;
};

// The tournament as the book holds it, read in the caller's transaction. A
// missing tournament is a refusal.
std::variant<TournamentToCorrect, Refusal> loadTournament(const QSqlDatabase &db, qint64 id);

// Whether every row of "stat" can give back what the rows added.
std::optional<Refusal> checkGivesBack(const QSqlDatabase &db, const PerPlayer<BookRow> &rows,
                                      const PerPlayer<std::optional<qint64>> &statIds);

// Gives the tournament, as the book holds it now, these figures and scores,
// and changes "stat" by the difference; runs in the caller's transaction.
// Refuses, changing nothing, when "stat" cannot give back what the tournament
// added now (checkGivesBack).
std::optional<Refusal> replaceFigures(const QSqlDatabase &db, const TournamentToCorrect &now,
                                      const PerPlayer<BookRow> &to, const Matches &matches);

// What a correction replaced, kept as text: the three rows' figures and place,
// then the six scores in the order of kMatchCells, every number as written.
QString encodePrevious(const PerPlayer<BookRow> &rows, const Matches &matches);
// The rows and scores a correction replaced; nothing when the text is not what
// encodePrevious() writes.
std::optional<std::pair<PerPlayer<BookRow>, Matches>> decodePrevious(const QString &text,
                                                                     const PerPlayer<BookRow> &current);

QString refusalText(const StatsConnection &connection, const Refusal &refusal, const QString &firstLine);

// Runs `change` in a transaction that takes the file for writing at once, and
// commits it; a refusal or a failure rolls everything back.
Status inWriteTransaction(const StatsConnection &connection, const QString &firstLine,
                          const std::function<std::optional<Refusal>(const QSqlDatabase &)> &change);

// A book of a newer version or a damaged one, as a refusal.
std::optional<Refusal> bookRefusal(const StatsConnection &connection, const BookState &book);

// Begins a reading of the book: the read transaction begun and the book
// inspected; a book the program cannot read is a failure that starts with firstLine.
Result<BookState> beginBookReading(const StatsConnection &connection, const ReadTransaction &transaction,
                                   const QString &firstLine);

} // namespace BookSteps
