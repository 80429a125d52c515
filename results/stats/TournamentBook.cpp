#include "TournamentBook.h"

#include "Integers.h"
#include "StatWrites.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <map>
#include <optional>

namespace {

// The book's tables as data/base.sql makes them, for a file made before the book.
// "IF NOT EXISTS" lets a file that has some of them already get the others.
constexpr const char16_t *kBookSchema[] = {
    u"CREATE TABLE IF NOT EXISTS tournament (id INTEGER PRIMARY KEY, written TEXT NOT NULL)",
    u"CREATE TABLE IF NOT EXISTS tournament_player ("
    u"tournament INTEGER NOT NULL REFERENCES tournament (id) ON DELETE CASCADE, "
    u"row INTEGER NOT NULL CHECK (row BETWEEN 1 AND 3), player TEXT NOT NULL, team TEXT, "
    u"wins INTEGER NOT NULL, draws INTEGER NOT NULL, losses INTEGER NOT NULL, scored INTEGER NOT NULL, "
    u"conceded INTEGER NOT NULL, difference INTEGER NOT NULL, points INTEGER NOT NULL, "
    u"place INTEGER NOT NULL CHECK (place BETWEEN 1 AND 3), stat_id INTEGER, "
    u"stat_created INTEGER NOT NULL DEFAULT 0, PRIMARY KEY (tournament, row)) WITHOUT ROWID",
    u"CREATE INDEX IF NOT EXISTS tournament_player_player ON tournament_player (player)",
    u"CREATE TABLE IF NOT EXISTS tournament_match ("
    u"tournament INTEGER NOT NULL REFERENCES tournament (id) ON DELETE CASCADE, "
    u"home_row INTEGER NOT NULL CHECK (home_row BETWEEN 1 AND 3), "
    u"away_row INTEGER NOT NULL CHECK (away_row BETWEEN 1 AND 3 AND away_row <> home_row), "
    u"home_goals INTEGER NOT NULL, away_goals INTEGER NOT NULL, "
    u"PRIMARY KEY (tournament, home_row, away_row)) WITHOUT ROWID",
};

// The book's tables with every column that the program reads or writes.
struct BookTable {
    const char16_t *name;
    const char16_t *columns;
};
constexpr std::array<BookTable, 3> kBookTables = {{
    {u"tournament", u"id, written"},
    {u"tournament_player", u"tournament, row, player, team, wins, draws, losses, scored, conceded, difference, "
                           u"points, place, stat_id, stat_created"},
    {u"tournament_match", u"tournament, home_row, away_row, home_goals, away_goals"},
}};

QString nothingToUndo() {
    return QStringLiteral("Отменять нечего: в книге турниров нет ни одного турнира. Турниры, записанные прежней "
                          "версией программы, отменить нельзя.");
}

QString newerVersionText(int version) {
    return QStringLiteral("его записала более новая версия программы (книга турниров версии %1, а эта версия "
                          "программы знает только версию %2). Чтобы не испортить файл, программа его не меняет: "
                          "пользуйтесь более новой версией")
        .arg(version)
        .arg(Book::SchemaVersion);
}

// Runs one statement with its values bound in order; an invalid error on success.
QSqlError run(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {}) {
    QSqlQuery query(db);
    if (!query.prepare(statement)) {
        return query.lastError();
    }
    for (const QVariant &value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        return query.lastError();
    }
    return {};
}

QVariant integerOf(const QString &text) {
    return QVariant(parseInteger(text).value_or(0));
}

QSqlError recordPlayer(const QSqlDatabase &db, qint64 tournament, int row, const PlayerFigures &figures,
                       const QString &team, const StatTarget &target) {
    const QVariant teamValue = team.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(team);
    return run(db,
               QStringLiteral("INSERT INTO tournament_player (tournament, row, player, team, wins, draws, losses, "
                              "scored, conceded, difference, points, place, stat_id, stat_created) "
                              "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
               {tournament, row, figures.name.isNull() ? QStringLiteral("") : figures.name, teamValue,
                integerOf(figures.wins), integerOf(figures.draws), integerOf(figures.losses), integerOf(figures.scored),
                integerOf(figures.conceded), integerOf(figures.difference), integerOf(figures.points),
                integerOf(figures.place), target.id.isValid() ? target.id : QVariant(QMetaType::fromType<qint64>()),
                target.created ? 1 : 0});
}

} // namespace

Result<int> bookVersion(const QSqlDatabase &db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        return Failure{query.lastError().text()};
    }
    return query.value(0).toInt();
}

BookState inspectBook(const QSqlDatabase &db) {
    BookState state;
    {
        QSqlQuery version(db);
        if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next()) {
            state.error = version.lastError();
            return state;
        }
        state.version = version.value(0).toInt();
    }
    std::array<bool, 3> exists{};
    for (std::size_t k = 0; k < kBookTables.size(); ++k) {
        QSqlQuery table(db);
        table.prepare(
            QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"));
        table.addBindValue(QString::fromUtf16(kBookTables[k].name));
        if (!table.exec() || !table.next()) {
            state.error = table.lastError();
            return state;
        }
        exists[k] = table.value(0).toInt() > 0;
    }
    const bool all = std::all_of(exists.begin(), exists.end(), [](bool e) { return e; });
    if (state.version == 0 && !all) {
        return state;
    }
    for (std::size_t k = 0; k < kBookTables.size(); ++k) {
        const QString name = QString::fromUtf16(kBookTables[k].name);
        if (!exists[k]) {
            state.damage = QStringLiteral("нет таблицы «%1»").arg(name);
            break;
        }
        // Every column the program reads and writes, in one statement that only prepares.
        QSqlQuery columns(db);
        if (!columns.prepare(
                QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(QString::fromUtf16(kBookTables[k].columns), name))) {
            state.damage =
                QStringLiteral("в таблице «%1» не те графы (%2)").arg(name, columns.lastError().databaseText());
            break;
        }
    }
    if (!state.damage.isEmpty() && state.version > Book::SchemaVersion) {
        state.damage = newerVersionText(state.version);
    }
    state.present = state.damage.isEmpty();
    return state;
}

QString damagedBookText(const QString &filePath, const QString &damage) {
    return QStringLiteral("Книга турниров в файле базы статистики «%1» повреждена: %2. Программа не читает и не "
                          "меняет повреждённую книгу, чтобы таблица статистики и книга не разошлись; восстановите "
                          "файл из копии.")
        .arg(filePath, damage);
}

Status ensureBookSchema(const QSqlDatabase &db) {
    const Result<int> version = bookVersion(db);
    if (!version.ok()) {
        return version.status();
    }
    if (version.value() > Book::SchemaVersion) {
        return Failure{newerVersionText(version.value())};
    }
    if (version.value() < Book::SchemaVersion) {
        for (const char16_t *statement : kBookSchema) {
            if (const QSqlError error = run(db, QString::fromUtf16(statement)); error.isValid()) {
                return Failure{error.text()};
            }
        }
        // PRAGMA takes no bound value; the version is the program's own number.
        if (const QSqlError error = run(db, QStringLiteral("PRAGMA user_version = %1").arg(Book::SchemaVersion));
            error.isValid()) {
            return Failure{error.text()};
        }
    }
    // A table made by hand, or one that lost a column, would take the tournament
    // into the wrong places or not at all.
    const BookState state = inspectBook(db);
    if (state.error.isValid()) {
        return Failure{state.error.text()};
    }
    if (!state.damage.isEmpty()) {
        return Failure{QStringLiteral("книга турниров в нём повреждена: %1. Чтобы таблица статистики и книга не "
                                      "разошлись, в файл ничего не пишется; восстановите его из копии")
                           .arg(state.damage)};
    }
    return {};
}

QSqlError recordTournament(const QSqlDatabase &db, const PerPlayer<PlayerFigures> &rows,
                           const PerPlayer<StatTarget> &targets, const TournamentEntry &entry) {
    const QDateTime written = entry.written.isValid() ? entry.written : QDateTime::currentDateTime();
    QSqlQuery tournament(db);
    tournament.prepare(QStringLiteral("INSERT INTO tournament (written) VALUES (?)"));
    tournament.addBindValue(written.toString(Book::WrittenFormat));
    if (!tournament.exec()) {
        return tournament.lastError();
    }
    const qint64 id = tournament.lastInsertId().toLongLong();
    for (int k = 0; k < kPlayers; ++k) {
        if (QSqlError error = recordPlayer(db, id, k + 1, rows[k], entry.teams[k], targets[k]); error.isValid()) {
            return error;
        }
    }
    for (const Match &match : entry.matches) {
        if (QSqlError error = run(db,
                                  QStringLiteral("INSERT INTO tournament_match (tournament, home_row, away_row, "
                                                 "home_goals, away_goals) VALUES (?,?,?,?,?)"),
                                  {id, match.homeRow, match.awayRow, match.homeGoals, match.awayGoals});
            error.isValid()) {
            return error;
        }
    }
    return {};
}

namespace {

// What one tournament added to one row of "stat", over all its rows that went
// there (one player may stand in two rows).
struct Added {
    QString player;
    bool created = false;
    std::array<qint64, 10> figures{};
};

// Added::figures follows the columns of statFigureColumns(); the book's
// columns give them (the place counts come from "place").
constexpr int kDifference = 5;
// The place counts follow the seven figures of a row, first place first.
constexpr int kFirstPlaceCount = 7;

// Why the undo stops: a reason in the user's words, or the statement that failed.
// A plain reason is shown as it is, without "Турнир не отменён".
struct UndoFailure {
    QString reason;
    QSqlError error;
    bool plain = false;
};

std::optional<qint64> newestId(const QSqlDatabase &db, QSqlError &error) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT max(id) FROM tournament")) || !query.next()) {
        error = query.lastError();
        return std::nullopt;
    }
    if (query.value(0).isNull()) {
        return std::nullopt;
    }
    return query.value(0).toLongLong();
}

// What the tournament added, row of "stat" by row.
std::optional<std::map<qint64, Added>> addedByTournament(const QSqlDatabase &db, qint64 id, QSqlError &error) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT stat_id, stat_created, player, wins, draws, losses, scored, conceded, "
                                 "difference, points, place FROM tournament_player "
                                 "WHERE tournament=? AND stat_id IS NOT NULL"));
    query.addBindValue(id);
    if (!query.exec()) {
        error = query.lastError();
        return std::nullopt;
    }
    std::map<qint64, Added> added;
    while (query.next()) {
        Added &row = added[query.value(0).toLongLong()];
        row.created = row.created || query.value(1).toBool();
        row.player = query.value(2).toString();
        for (int k = 0; k < kFirstPlaceCount; ++k) {
            row.figures[k] += query.value(3 + k).toLongLong();
        }
        const int place = query.value(10).toInt();
        if (place >= 1 && place <= kPlayers) {
            row.figures[kFirstPlaceCount + place - 1] += 1;
        }
    }
    return added;
}

// Whether the row of "stat" is still there, under the same name, and holds at
// least what the tournament added (the difference may be anything).
std::optional<UndoFailure> checkStillHolds(const QSqlDatabase &db, qint64 statId, const Added &added) {
    QStringList conditions{QStringLiteral("Игрок IS ?")};
    QVariantList values{added.player};
    for (int k = 0; k < 10; ++k) {
        if (k != kDifference) {
            // A figure stored as the text of a number compares as the number.
            conditions.append(QStringLiteral("CAST(%1 AS INTEGER) >= ?").arg(statFigureColumns()[k]));
            values.append(added.figures[k]);
        }
    }
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT %1 FROM stat WHERE id=?").arg(conditions.join(QStringLiteral(" AND "))));
    for (const QVariant &value : values) {
        query.addBindValue(value);
    }
    query.addBindValue(statId);
    if (!query.exec()) {
        return UndoFailure{{}, query.lastError()};
    }
    if (!query.next()) {
        return UndoFailure{QStringLiteral("строки игрока «%1» (id %2) больше нет в таблице статистики")
                               .arg(added.player, QString::number(statId)),
                           {}};
    }
    if (!query.value(0).toBool()) {
        return UndoFailure{QStringLiteral("строку игрока «%1» (id %2) в таблице статистики с тех пор меняли, и в ней "
                                          "нет того, что добавил турнир")
                               .arg(added.player, QString::number(statId)),
                           {}};
    }
    return std::nullopt;
}

// Subtracts what the tournament added; deletes the row that it created once the
// row is back to all zeros.
QSqlError subtract(const QSqlDatabase &db, qint64 statId, const Added &added) {
    QStringList assignments;
    QStringList zeros;
    QVariantList values;
    for (int k = 0; k < 10; ++k) {
        const QString &column = statFigureColumns()[k];
        assignments.append(QStringLiteral("%1=%1-?").arg(column));
        zeros.append(QStringLiteral("%1=0").arg(column));
        values.append(added.figures[k]);
    }
    values.append(statId);
    if (QSqlError error = run(db, QStringLiteral("UPDATE stat SET %1 WHERE id=?").arg(assignments.join(u',')), values);
        error.isValid() || !added.created) {
        return error;
    }
    return run(db, QStringLiteral("DELETE FROM stat WHERE id=? AND %1").arg(zeros.join(QStringLiteral(" AND "))),
               {statId});
}

std::optional<UndoFailure> takeBack(const StatsConnection &connection, std::optional<qint64> expected) {
    const QSqlDatabase db = connection.database();
    const BookState book = inspectBook(db);
    if (book.error.isValid()) {
        return UndoFailure{{}, book.error};
    }
    if (book.version > Book::SchemaVersion) {
        return UndoFailure{
            QStringLiteral("Файл базы статистики «%1»: %2.").arg(connection.filePath(), newerVersionText(book.version)),
            {},
            true};
    }
    if (!book.damage.isEmpty()) {
        return UndoFailure{damagedBookText(connection.filePath(), book.damage), {}, true};
    }
    QSqlError error;
    const std::optional<qint64> id = book.present ? newestId(db, error) : std::nullopt;
    if (!id) {
        return UndoFailure{error.isValid() ? QString() : nothingToUndo(), error, !error.isValid()};
    }
    if (expected && *expected != *id) {
        return UndoFailure{QStringLiteral("с тех пор в книгу записан другой турнир; откройте книгу заново"), {}};
    }
    const std::optional<std::map<qint64, Added>> added = addedByTournament(db, *id, error);
    if (!added) {
        return UndoFailure{{}, error};
    }
    for (const auto &[statId, row] : *added) {
        if (const StatRowCheck checked = checkStatRowFigures(db, statId); !checked.ok()) {
            return UndoFailure{checked.problem.isEmpty() ? QString()
                                                         : QStringLiteral("Турнир не отменён.\n") + checked.problem,
                               checked.error, !checked.error.isValid()};
        }
        if (std::optional<UndoFailure> refused = checkStillHolds(db, statId, row)) {
            return refused;
        }
    }
    for (const auto &[statId, row] : *added) {
        if (error = subtract(db, statId, row); error.isValid()) {
            return UndoFailure{{}, error};
        }
    }
    for (const char16_t *table : {u"tournament_match", u"tournament_player"}) {
        if (error = run(db, QStringLiteral("DELETE FROM %1 WHERE tournament=?").arg(QString::fromUtf16(table)), {*id});
            error.isValid()) {
            return UndoFailure{{}, error};
        }
    }
    if (error = run(db, QStringLiteral("DELETE FROM tournament WHERE id=?"), {*id}); error.isValid()) {
        return UndoFailure{{}, error};
    }
    return std::nullopt;
}

QString undoFailureText(const StatsConnection &connection, const UndoFailure &failure) {
    if (failure.error.isValid()) {
        return QStringLiteral("Турнир не отменён.\n") + databaseErrorText(connection.filePath(), failure.error);
    }
    if (failure.plain) {
        return failure.reason;
    }
    return QStringLiteral("Турнир не отменён: %1.").arg(failure.reason);
}

} // namespace

Result<NewestTournament> newestTournament(const StatsConnection &connection) {
    const StatsConnection::LockWaitScope wait(connection);
    const QSqlDatabase db = connection.database();
    // Another program's lock on the inspection is told as such.
    const BookState book = inspectBook(db);
    if (book.error.isValid()) {
        return Failure{databaseErrorText(connection.filePath(), book.error)};
    }
    if (book.version > Book::SchemaVersion) {
        return Failure{QStringLiteral("Файл базы статистики «%1»: %2.")
                           .arg(connection.filePath(), newerVersionText(book.version))};
    }
    if (!book.damage.isEmpty()) {
        return Failure{damagedBookText(connection.filePath(), book.damage)};
    }
    if (!book.present) {
        return Failure{nothingToUndo()};
    }
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT t.id, t.written, p.player FROM tournament t JOIN tournament_player p "
                                   "ON p.tournament = t.id WHERE t.id = (SELECT max(id) FROM tournament) "
                                   "ORDER BY p.row"))) {
        return Failure{databaseErrorText(connection.filePath(), query.lastError())};
    }
    NewestTournament newest;
    int row = 0;
    while (query.next() && row < kPlayers) {
        newest.id = query.value(0).toLongLong();
        newest.written = QDateTime::fromString(query.value(1).toString(), Book::WrittenFormat);
        newest.players[row++] = query.value(2).toString();
    }
    if (row == 0) {
        return Failure{nothingToUndo()};
    }
    return newest;
}

Status undoNewestTournament(const StatsConnection &connection, std::optional<qint64> expected) {
    const StatsConnection::LockWaitScope wait(connection);
    const QSqlDatabase db = connection.database();
    if (const Status ended = endLeftoverTransaction(connection); !ended.ok()) {
        return Failure{QStringLiteral("Турнир не отменён.\n") + ended.error() + undoRollbackWords().nothingChanged};
    }
    QSqlQuery begin(db);
    if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        return Failure{QStringLiteral("Турнир не отменён.\n") +
                       databaseErrorText(connection.filePath(), begin.lastError()) +
                       undoRollbackWords().nothingChanged};
    }
    if (const std::optional<UndoFailure> failure = takeBack(connection, expected)) {
        return Failure{rolledBack(db, undoRollbackWords(), undoFailureText(connection, *failure))};
    }
    QSqlQuery commit(db);
    if (!commit.exec(QStringLiteral("COMMIT"))) {
        return Failure{rolledBack(db, undoRollbackWords(),
                                  QStringLiteral("Турнир не отменён.\n") +
                                      databaseErrorText(connection.filePath(), commit.lastError()))};
    }
    return {};
}
