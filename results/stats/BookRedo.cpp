#include "BookChangeSteps.h"
#include "BookUndo.h"
#include "Elide.h"
#include "StatAdditions.h"
#include "StatWrites.h"
#include "StatsConnection.h"
#include "TournamentBook.h"

#include <QSqlQuery>
#include <QStringList>

using namespace BookSteps;

namespace {

const QString &notBroughtBack() {
    static const QString text = QStringLiteral("Изменение не возвращено");
    return text;
}

QString nothingToRedo() {
    return QStringLiteral("Возвращать нечего: с последней записи или исправления турнира ни одно изменение книги "
                          "турниров не отменено.");
}

// The newest row of "tournament_undone", in the caller's transaction.
struct UndoneRow {
    qint64 id = 0;
    QString kind;
    qint64 tournament = 0;
    QString written;
    qint64 correction = 0;
    qint64 newest = 0;
    QString made;
    QString previous;
    QString corrected;
};
std::variant<std::optional<UndoneRow>, QSqlError> newestUndoneRow(const QSqlDatabase &db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT id, kind, tournament, written, correction, newest, made, previous, "
                                   "corrected FROM tournament_undone ORDER BY id DESC LIMIT 1"))) {
        return query.lastError();
    }
    if (!query.next()) {
        return std::optional<UndoneRow>{};
    }
    return std::optional<UndoneRow>{
        UndoneRow{query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toLongLong(),
                  query.value(3).toString(), query.value(4).toLongLong(), query.value(5).toLongLong(),
                  query.value(6).toString(), query.value(7).toString(), query.value(8).toString()}};
}

// Adds what the tournament taken back added to "stat" again: to its rows where
// they are still the players', or into the rows that the undo deleted, with
// their ids.
std::optional<Refusal> addBackToStat(const QSqlDatabase &db, qint64 undone) {
    QSqlError error;
    const std::optional<std::map<qint64, Added>> added =
        addedByTournament(db, undone, error, QStringLiteral("undone_player"), QStringLiteral("undone"));
    if (!added) {
        return Refusal{{}, error};
    }
    for (const auto &[statId, row] : *added) {
        QSqlQuery owner(db);
        owner.prepare(QStringLiteral("SELECT Игрок IS ? FROM stat WHERE id=?"));
        owner.addBindValue(row.player);
        owner.addBindValue(statId);
        if (!owner.exec()) {
            return Refusal{{}, owner.lastError()};
        }
        if (owner.next()) {
            if (!owner.value(0).toBool()) {
                return Refusal{QStringLiteral("строка id %1 таблицы статистики, куда турнир добавлял результаты игрока "
                                              "«%2», теперь принадлежит другому игроку")
                                   .arg(QString::number(statId), elided(row.player)),
                               {}};
            }
            if (const StatRowCheck checked = checkStatRowFigures(db, statId); !checked.ok()) {
                return Refusal{checked.problem, checked.error, true};
            }
            if (error = addToStatRow(db, statId, row.figures); error.isValid()) {
                return Refusal{{}, error};
            }
            continue;
        }
        if (!row.created) {
            return Refusal{QStringLiteral("строки игрока «%1» (id %2) больше нет в таблице статистики")
                               .arg(elided(row.player), QString::number(statId)),
                           {}};
        }
        QStringList columns{QStringLiteral("id"), QStringLiteral("Игрок")};
        QVariantList values{statId, row.player};
        for (std::size_t k = 0; k < row.figures.size(); ++k) {
            columns.append(statFigureColumns()[k]);
            values.append(row.figures[k]);
        }
        if (error = runStatement(db,
                                 QStringLiteral("INSERT INTO stat (%1) VALUES (?%2)")
                                     .arg(columns.join(u','), QStringLiteral(",?").repeated(values.size() - 1)),
                                 values);
            error.isValid()) {
            return Refusal{{}, error};
        }
    }
    return std::nullopt;
}

std::optional<Refusal> bringBackWrite(const QSqlDatabase &db, const UndoneRow &undone) {
    QSqlQuery taken(db);
    taken.prepare(QStringLiteral("SELECT count(*) FROM tournament WHERE id=?"));
    taken.addBindValue(undone.tournament);
    if (!taken.exec() || !taken.next()) {
        return Refusal{{}, taken.lastError()};
    }
    if (taken.value(0).toLongLong() > 0) {
        return Refusal{QStringLiteral("в книге турниров уже есть другой турнир под тем же номером"), {}};
    }
    if (std::optional<Refusal> refused = addBackToStat(db, undone.id)) {
        return refused;
    }
    const QVariantList keys{undone.tournament, undone.id};
    for (const QString &statement :
         {QStringLiteral("INSERT INTO tournament (id, written) SELECT ?, written FROM tournament_undone WHERE id=?"),
          QStringLiteral("INSERT INTO tournament_player (tournament, row, player, team, wins, draws, losses, scored, "
                         "conceded, difference, points, place, stat_id, stat_created) SELECT ?, row, player, team, "
                         "wins, draws, losses, scored, conceded, difference, points, place, stat_id, stat_created "
                         "FROM undone_player WHERE undone=?"),
          QStringLiteral("INSERT INTO tournament_match (tournament, home_row, away_row, home_goals, away_goals) "
                         "SELECT ?, home_row, away_row, home_goals, away_goals FROM undone_match WHERE undone=?")}) {
        if (QSqlError error = runStatement(db, statement, keys); error.isValid()) {
            return Refusal{{}, error};
        }
    }
    return std::nullopt;
}

std::optional<Refusal> bringBackCorrection(const QSqlDatabase &db, const UndoneRow &undone) {
    std::variant<TournamentToCorrect, Refusal> loaded = loadTournament(db, undone.tournament);
    if (Refusal *refused = std::get_if<Refusal>(&loaded)) {
        return *refused;
    }
    const TournamentToCorrect &now = std::get<TournamentToCorrect>(loaded);
    const auto before = decodePrevious(undone.previous, now.rows);
    const auto corrected = decodePrevious(undone.corrected, now.rows);
    if (!before || !corrected) {
        return Refusal{QStringLiteral("запись об отменённом исправлении повреждена"), {}};
    }
    const bool asTheUndoLeftIt = sameMatches(now.matches, before->second) &&
                                 std::equal(now.rows.begin(), now.rows.end(), before->first.begin(), sameRow);
    if (!now.problem.isEmpty() || !asTheUndoLeftIt) {
        return Refusal{QStringLiteral("турнир в книге с тех пор изменила другая программа"), {}};
    }
    if (std::optional<Refusal> refused = replaceFigures(db, now, corrected->first, corrected->second)) {
        return refused;
    }
    if (QSqlError error =
            runStatement(db,
                         QStringLiteral("INSERT INTO tournament_correction (id, tournament, newest, "
                                        "made, previous) VALUES (?,?,?,?,?)"),
                         {undone.correction, undone.tournament, undone.newest, undone.made, undone.previous});
        error.isValid()) {
        return Refusal{{}, error};
    }
    return std::nullopt;
}

} // namespace

Result<UndoneChange> newestUndone(const StatsConnection &connection) {
    const StatsConnection::LockWaitScope wait(connection);
    ReadTransaction transaction(connection);
    const Result<BookState> book =
        beginBookReading(connection, transaction, QStringLiteral("Книга турниров не прочитана"));
    if (!book.ok()) {
        return book.status();
    }
    if (!book.value().corrections) {
        return Failure{nothingToRedo()};
    }
    const QSqlDatabase db = connection.database();
    auto found = newestUndoneRow(db);
    if (const QSqlError *error = std::get_if<QSqlError>(&found)) {
        return Failure{databaseErrorText(connection.filePath(), *error)};
    }
    const std::optional<UndoneRow> &row = std::get<std::optional<UndoneRow>>(found);
    if (!row) {
        return Failure{nothingToRedo()};
    }
    UndoneChange undone;
    undone.id = row->id;
    NewestChange &change = undone.change;
    const bool write = row->kind == u"write";
    change.kind = write ? NewestChange::Kind::Write : NewestChange::Kind::Correction;
    change.tournament = row->tournament;
    change.correction = row->correction;
    change.written = QDateTime::fromString(row->written, Book::WrittenFormat);
    change.made = QDateTime::fromString(row->made, Book::WrittenFormat);
    QSqlQuery players(db);
    players.prepare(write ? QStringLiteral("SELECT player FROM undone_player WHERE undone=? ORDER BY row")
                          : QStringLiteral("SELECT player FROM tournament_player WHERE tournament=? ORDER BY row"));
    players.addBindValue(write ? row->id : row->tournament);
    if (!players.exec()) {
        return Failure{databaseErrorText(connection.filePath(), players.lastError())};
    }
    for (std::size_t k = 0; k < change.players.size() && players.next(); ++k) {
        change.players[k] = players.value(0).toString();
    }
    if (const Status ended = transaction.end(); !ended.ok()) {
        return ended;
    }
    return undone;
}

Status redoNewestUndone(const StatsConnection &connection, const UndoneChange &expected) {
    return inWriteTransaction(connection, notBroughtBack(), [&](const QSqlDatabase &db) -> std::optional<Refusal> {
        const BookState book = inspectBook(db);
        if (std::optional<Refusal> refused = bookRefusal(connection, book)) {
            return refused;
        }
        auto found = book.corrections ? newestUndoneRow(db) : std::optional<UndoneRow>{};
        if (const QSqlError *error = std::get_if<QSqlError>(&found)) {
            return Refusal{{}, *error};
        }
        const std::optional<UndoneRow> &row = std::get<std::optional<UndoneRow>>(found);
        if (!row || row->id != expected.id) {
            return Refusal{QStringLiteral("с тех пор книгу турниров изменила другая программа; откройте книгу заново"),
                           {}};
        }
        std::optional<Refusal> refused =
            row->kind == u"write" ? bringBackWrite(db, *row) : bringBackCorrection(db, *row);
        if (refused) {
            return refused;
        }
        for (const QString &statement : {QStringLiteral("DELETE FROM undone_match WHERE undone=?"),
                                         QStringLiteral("DELETE FROM undone_player WHERE undone=?"),
                                         QStringLiteral("DELETE FROM tournament_undone WHERE id=?")}) {
            if (QSqlError error = runStatement(db, statement, {row->id}); error.isValid()) {
                return Refusal{{}, error};
            }
        }
        return std::nullopt;
    });
}
