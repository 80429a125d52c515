#include "BookUndo.h"

#include "BookChangeSteps.h"
#include "Elide.h"
#include "StatsConnection.h"
#include "TournamentBook.h"

#include <QSqlQuery>
#include <QStringList>

using namespace BookSteps;

namespace {

// The newest correction of the book when it is newer than the newest write, in
// the caller's transaction; nothing when the newest change is a write.
struct NewestCorrection {
    qint64 id = 0;
    qint64 tournament = 0;
    qint64 newest = 0;
    QString made;
    QString previous;
};
std::variant<std::optional<NewestCorrection>, QSqlError> newestCorrection(const QSqlDatabase &db) {
    QSqlQuery query(db);
    if (!query.exec(
            QStringLiteral("SELECT c.id, c.tournament, c.newest, c.made, c.previous FROM tournament_correction c "
                           "WHERE c.id = (SELECT max(id) FROM tournament_correction) "
                           "AND c.newest >= (SELECT coalesce(max(id), 0) FROM tournament)"))) {
        return query.lastError();
    }
    if (!query.next()) {
        return std::optional<NewestCorrection>{};
    }
    return std::optional<NewestCorrection>{NewestCorrection{query.value(0).toLongLong(), query.value(1).toLongLong(),
                                                            query.value(2).toLongLong(), query.value(3).toString(),
                                                            query.value(4).toString()}};
}

std::optional<Refusal> takeBackCorrection(const QSqlDatabase &db, const NewestCorrection &correction) {
    std::variant<TournamentToCorrect, Refusal> loaded = loadTournament(db, correction.tournament);
    if (Refusal *refused = std::get_if<Refusal>(&loaded)) {
        return *refused;
    }
    const TournamentToCorrect &now = std::get<TournamentToCorrect>(loaded);
    if (!now.problem.isEmpty()) {
        return Refusal{now.problem, {}};
    }
    const std::optional<std::pair<PerPlayer<BookRow>, Matches>> previous =
        decodePrevious(correction.previous, now.rows);
    if (!previous) {
        return Refusal{QStringLiteral("запись о том, что было до исправления, повреждена"), {}};
    }
    if (std::optional<Refusal> refused = replaceFigures(db, now, previous->first, previous->second)) {
        return refused;
    }
    // Kept among the changes taken back, with what it made of the tournament.
    if (QSqlError error = runStatement(db,
                                       QStringLiteral("INSERT INTO tournament_undone (kind, tournament, written, "
                                                      "correction, newest, made, previous, corrected) "
                                                      "VALUES ('correction',?,?,?,?,?,?,?)"),
                                       {now.id, now.written, correction.id, correction.newest, correction.made,
                                        correction.previous, encodePrevious(now.rows, now.matches)});
        error.isValid()) {
        return Refusal{{}, error};
    }
    if (QSqlError error =
            runStatement(db, QStringLiteral("DELETE FROM tournament_correction WHERE id=?"), {correction.id});
        error.isValid()) {
        return Refusal{{}, error};
    }
    return std::nullopt;
}

QString shortDate(const QDateTime &when) {
    return when.isValid() ? when.toString(QStringLiteral("dd.MM.yyyy")) : QStringLiteral("(дата не записана)");
}

} // namespace

Result<NewestChange> newestChange(const StatsConnection &connection) {
    // The newest write and the newest correction from one state of the file.
    const StatsConnection::LockWaitScope wait(connection);
    ReadTransaction transaction(connection);
    if (!transaction.begun().ok()) {
        return transaction.begun();
    }
    // It refuses a newer or damaged book, and an empty one: nothing to undo.
    const Result<NewestTournament> newest = newestTournament(connection);
    if (!newest.ok()) {
        return newest.status();
    }
    NewestChange change;
    change.tournament = newest.value().id;
    change.written = newest.value().written;
    change.players = newest.value().players;
    const QSqlDatabase db = connection.database();
    const Result<int> version = bookVersion(db);
    if (!version.ok()) {
        return version.status();
    }
    // The corrections came with the book's second version.
    if (version.value() >= 2) {
        auto found = newestCorrection(db);
        if (const QSqlError *error = std::get_if<QSqlError>(&found)) {
            return Failure{databaseErrorText(connection.filePath(), *error)};
        }
        if (const std::optional<NewestCorrection> &correction = std::get<std::optional<NewestCorrection>>(found)) {
            std::variant<TournamentToCorrect, Refusal> loaded = loadTournament(db, correction->tournament);
            if (const Refusal *refused = std::get_if<Refusal>(&loaded)) {
                return Failure{refusalText(connection, *refused, QStringLiteral("Книга турниров не прочитана"))};
            }
            const TournamentToCorrect &t = std::get<TournamentToCorrect>(loaded);
            change.kind = NewestChange::Kind::Correction;
            change.tournament = t.id;
            change.correction = correction->id;
            change.written = QDateTime::fromString(t.written, Book::WrittenFormat);
            change.made = QDateTime::fromString(correction->made, Book::WrittenFormat);
            for (std::size_t k = 0; k < t.rows.size(); ++k) {
                change.players[k] = t.rows[k].player;
            }
        }
    }
    if (const Status ended = transaction.end(); !ended.ok()) {
        return ended;
    }
    return change;
}

QString describeChange(const NewestChange &change) {
    QStringList names;
    for (const QString &player : change.players) {
        names.append(elided(player));
    }
    const QString players = names.join(QStringLiteral(", "));
    if (change.kind == NewestChange::Kind::Write) {
        const QString when = change.written.isValid() ? change.written.toString(QStringLiteral("dd.MM.yyyy HH:mm"))
                                                      : QStringLiteral("(дата не записана)");
        return QStringLiteral("запись турнира %1: %2").arg(when, players);
    }
    return QStringLiteral("исправление турнира от %1 (%2), сделанное %3")
        .arg(shortDate(change.written), players,
             change.made.isValid() ? change.made.toString(QStringLiteral("dd.MM.yyyy HH:mm"))
                                   : QStringLiteral("(когда — не записано)"));
}

Status undoNewestChange(const StatsConnection &connection, const NewestChange &expected) {
    if (expected.kind == NewestChange::Kind::Write) {
        return undoNewestTournament(connection, expected.tournament);
    }
    return inWriteTransaction(
        connection, QStringLiteral("Исправление не отменено"), [&](const QSqlDatabase &db) -> std::optional<Refusal> {
            const BookState book = inspectBook(db);
            if (std::optional<Refusal> refused = bookRefusal(connection, book)) {
                return refused;
            }
            std::variant<std::optional<NewestCorrection>, QSqlError> found =
                book.corrections ? newestCorrection(db) : std::optional<NewestCorrection>{};
            if (const QSqlError *error = std::get_if<QSqlError>(&found)) {
                return Refusal{{}, *error};
            }
            const std::optional<NewestCorrection> &correction = std::get<std::optional<NewestCorrection>>(found);
            if (!correction || correction->id != expected.correction) {
                return Refusal{QStringLiteral("с тех пор книгу турниров изменила другая программа, и это исправление "
                                              "уже не последнее изменение; откройте книгу заново"),
                               {}};
            }
            return takeBackCorrection(db, *correction);
        });
}
