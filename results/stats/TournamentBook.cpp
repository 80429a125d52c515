#include "TournamentBook.h"

#include "Integers.h"
#include "StatAdditions.h"
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
    u"CREATE TABLE IF NOT EXISTS tournament_correction ("
    u"id INTEGER PRIMARY KEY, tournament INTEGER NOT NULL REFERENCES tournament (id) ON DELETE CASCADE, "
    u"newest INTEGER NOT NULL, made TEXT NOT NULL, previous TEXT NOT NULL)",
    u"CREATE TABLE IF NOT EXISTS tournament_undone (id INTEGER PRIMARY KEY, "
    u"kind TEXT NOT NULL CHECK (kind IN ('write', 'correction')), tournament INTEGER NOT NULL, "
    u"written TEXT NOT NULL, correction INTEGER, newest INTEGER, made TEXT, previous TEXT, corrected TEXT)",
    u"CREATE TABLE IF NOT EXISTS undone_player ("
    u"undone INTEGER NOT NULL REFERENCES tournament_undone (id) ON DELETE CASCADE, row INTEGER NOT NULL, "
    u"player TEXT NOT NULL, team TEXT, wins INTEGER NOT NULL, draws INTEGER NOT NULL, losses INTEGER NOT NULL, "
    u"scored INTEGER NOT NULL, conceded INTEGER NOT NULL, difference INTEGER NOT NULL, points INTEGER NOT NULL, "
    u"place INTEGER NOT NULL, stat_id INTEGER, stat_created INTEGER NOT NULL DEFAULT 0, "
    u"PRIMARY KEY (undone, row)) WITHOUT ROWID",
    u"CREATE TABLE IF NOT EXISTS undone_match ("
    u"undone INTEGER NOT NULL REFERENCES tournament_undone (id) ON DELETE CASCADE, home_row INTEGER NOT NULL, "
    u"away_row INTEGER NOT NULL, home_goals INTEGER NOT NULL, away_goals INTEGER NOT NULL, "
    u"PRIMARY KEY (undone, home_row, away_row)) WITHOUT ROWID",
};

// The book's tables with every column that the program reads or writes.
// The first three make the book; the corrections and the changes taken back
// came with version 2.
struct BookTable {
    const char16_t *name;
    const char16_t *columns;
    int sinceVersion;
};
constexpr std::array<BookTable, 7> kBookTables = {{
    {u"tournament", u"id, written", 1},
    {u"tournament_player",
     u"tournament, row, player, team, wins, draws, losses, scored, conceded, difference, points, place, stat_id, "
     u"stat_created",
     1},
    {u"tournament_match", u"tournament, home_row, away_row, home_goals, away_goals", 1},
    {u"tournament_correction", u"id, tournament, newest, made, previous", 2},
    {u"tournament_undone", u"id, kind, tournament, written, correction, newest, made, previous, corrected", 2},
    {u"undone_player",
     u"undone, row, player, team, wins, draws, losses, scored, conceded, difference, points, place, stat_id, "
     u"stat_created",
     2},
    {u"undone_match", u"undone, home_row, away_row, home_goals, away_goals", 2},
}};
constexpr std::size_t kBookMakingTables = 3;

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

QVariant integerOf(const QString &text) {
    return QVariant(parseInteger(text).value_or(0));
}

QSqlError recordPlayer(const QSqlDatabase &db, qint64 tournament, int row, const PlayerFigures &figures,
                       const QString &team, const StatTarget &target) {
    const QVariant teamValue = team.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(team);
    return runStatement(
        db,
        QStringLiteral("INSERT INTO tournament_player (tournament, row, player, team, wins, draws, losses, "
                       "scored, conceded, difference, points, place, stat_id, stat_created) "
                       "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        {tournament, row, figures.name.isNull() ? QStringLiteral("") : figures.name, teamValue, integerOf(figures.wins),
         integerOf(figures.draws), integerOf(figures.losses), integerOf(figures.scored), integerOf(figures.conceded),
         integerOf(figures.difference), integerOf(figures.points), integerOf(figures.place),
         target.id.isValid() ? target.id : QVariant(QMetaType::fromType<qint64>()), target.created ? 1 : 0});
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
    std::array<bool, kBookTables.size()> exists{};
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
    const bool all = std::all_of(exists.begin(), exists.begin() + kBookMakingTables, [](bool e) { return e; });
    if (state.version == 0 && !all) {
        return state;
    }
    for (std::size_t k = 0; k < kBookTables.size(); ++k) {
        if (kBookTables[k].sinceVersion > std::max(state.version, 1)) {
            continue;
        }
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
    state.corrections = state.present && state.version >= 2;
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
            if (const QSqlError error = runStatement(db, QString::fromUtf16(statement)); error.isValid()) {
                return Failure{error.text()};
            }
        }
        // PRAGMA takes no bound value; the version is the program's own number.
        if (const QSqlError error =
                runStatement(db, QStringLiteral("PRAGMA user_version = %1").arg(Book::SchemaVersion));
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

QSqlError forgetUndoneChanges(const QSqlDatabase &db) {
    for (const char16_t *table : {u"undone_match", u"undone_player", u"tournament_undone"}) {
        if (QSqlError error = runStatement(db, QStringLiteral("DELETE FROM %1").arg(QString::fromUtf16(table)));
            error.isValid()) {
            return error;
        }
    }
    return {};
}

QSqlError recordTournament(const QSqlDatabase &db, const PerPlayer<PlayerFigures> &rows,
                           const PerPlayer<StatTarget> &targets, const TournamentEntry &entry) {
    if (QSqlError error = forgetUndoneChanges(db); error.isValid()) {
        return error;
    }
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
        if (QSqlError error =
                runStatement(db,
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

// Subtracts what the tournament added; deletes the row that it created once the
// row is back to all zeros.
QSqlError subtract(const QSqlDatabase &db, qint64 statId, const Added &added) {
    StatFigures negated{};
    QStringList zeros;
    for (std::size_t k = 0; k < negated.size(); ++k) {
        negated[k] = -added.figures[k];
        zeros.append(QStringLiteral("%1=0").arg(statFigureColumns()[k]));
    }
    if (QSqlError error = addToStatRow(db, statId, negated); error.isValid() || !added.created) {
        return error;
    }
    return runStatement(
        db, QStringLiteral("DELETE FROM stat WHERE id=? AND %1").arg(zeros.join(QStringLiteral(" AND "))), {statId});
}

// Keeps the tournament as it is before it leaves the book, so that
// "Вернуть отменённое..." can write it back as it was.
QSqlError recordUndoneWrite(const QSqlDatabase &db, qint64 id) {
    QSqlQuery undone(db);
    undone.prepare(QStringLiteral("INSERT INTO tournament_undone (kind, tournament, written) "
                                  "SELECT 'write', id, written FROM tournament WHERE id=?"));
    undone.addBindValue(id);
    if (!undone.exec()) {
        return undone.lastError();
    }
    const QVariant undoneId = undone.lastInsertId();
    if (QSqlError error =
            runStatement(db,
                         QStringLiteral("INSERT INTO undone_player SELECT ?, row, player, team, wins, "
                                        "draws, losses, scored, conceded, difference, points, place, "
                                        "stat_id, stat_created FROM tournament_player WHERE tournament=?"),
                         {undoneId, id});
        error.isValid()) {
        return error;
    }
    return runStatement(db,
                        QStringLiteral("INSERT INTO undone_match SELECT ?, home_row, away_row, home_goals, away_goals "
                                       "FROM tournament_match WHERE tournament=?"),
                        {undoneId, id});
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
    if (book.corrections) {
        // A correction made after the tournament was written is the newer change:
        // taking the tournament back first would lose what the correction replaced.
        QSqlQuery newer(db);
        newer.prepare(QStringLiteral("SELECT count(*) FROM tournament_correction WHERE newest >= ?"));
        newer.addBindValue(*id);
        if (!newer.exec() || !newer.next()) {
            return UndoFailure{{}, newer.lastError()};
        }
        if (newer.value(0).toLongLong() > 0) {
            return UndoFailure{QStringLiteral("последнее изменение книги — исправление турнира, сделанное после "
                                              "записи этого; сначала отмените его"),
                               {}};
        }
    }
    const std::optional<std::map<qint64, Added>> added = addedByTournament(db, *id, error);
    if (!added) {
        return UndoFailure{{}, error};
    }
    for (const auto &[statId, row] : *added) {
        if (const std::optional<StatRowRefusal> refused = checkStatRowGivesBack(db, statId, row)) {
            if (refused->sentences) {
                return UndoFailure{QStringLiteral("Турнир не отменён.\n") + refused->reason, {}, true};
            }
            return UndoFailure{refused->reason, refused->error};
        }
    }
    if (book.version < Book::SchemaVersion) {
        if (const Status schema = ensureBookSchema(db); !schema.ok()) {
            return UndoFailure{schema.error(), {}};
        }
    }
    if (error = recordUndoneWrite(db, *id); error.isValid()) {
        return UndoFailure{{}, error};
    }
    for (const auto &[statId, row] : *added) {
        if (error = subtract(db, statId, row); error.isValid()) {
            return UndoFailure{{}, error};
        }
    }
    for (const char16_t *table : {u"tournament_match", u"tournament_player"}) {
        if (error = runStatement(db, QStringLiteral("DELETE FROM %1 WHERE tournament=?").arg(QString::fromUtf16(table)),
                                 {*id});
            error.isValid()) {
            return UndoFailure{{}, error};
        }
    }
    if (error = runStatement(db, QStringLiteral("DELETE FROM tournament WHERE id=?"), {*id}); error.isValid()) {
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
