#include "StatWrites.h"

#include "Elide.h"
#include "Integers.h"
#include "TournamentBook.h"

#include <QSqlQuery>
#include <variant>
#include <vector>

namespace {

// A value bound as text, never as NULL: an empty label text is an empty text.
QVariant boundText(const QString &value) {
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

const QString &nothingWritten() {
    return writeRollbackWords().nothingChanged;
}

// The columns of "stat" that a tournament adds its figures to, in the order of the write.
struct FigureColumn {
    const char16_t *name;
    QString PlayerFigures::*figure;
};
constexpr FigureColumn kFigureColumns[] = {
    {u"Побед", &PlayerFigures::wins},         {u"Ничьих", &PlayerFigures::draws},
    {u"Поражений", &PlayerFigures::losses},   {u"Забито", &PlayerFigures::scored},
    {u"Пропущено", &PlayerFigures::conceded}, {u"Разница", &PlayerFigures::difference},
    {u"Очки", &PlayerFigures::points},
};
// The place counts: a tournament adds 1 to the one of its place.
constexpr std::array<const char16_t *, kPlayers> kPlaceColumns = {u"Первый", u"Второй", u"Третий"};

// Every column that a tournament adds to, with what it adds, in one order.
std::vector<std::pair<QString, QVariant>> addedFigures(const PlayerFigures &row) {
    std::vector<std::pair<QString, QVariant>> added;
    for (const FigureColumn &column : kFigureColumns) {
        added.emplace_back(QString::fromUtf16(column.name), boundText(row.*column.figure));
    }
    for (int k = 0; k < kPlayers; ++k) {
        const bool taken = row.place == QString::number(k + 1);
        added.emplace_back(QString::fromUtf16(kPlaceColumns[k]), taken ? QStringLiteral("1") : QStringLiteral("0"));
    }
    return added;
}

QString columnList(const std::vector<std::pair<QString, QVariant>> &added, const QString &pattern) {
    QStringList parts;
    for (const auto &[column, value] : added) {
        parts.append(pattern.arg(column));
    }
    return parts.join(u',');
}

} // namespace

const std::array<QString, 10> &statFigureColumns() {
    static const std::array<QString, 10> columns = [] {
        std::array<QString, 10> names;
        std::size_t k = 0;
        for (const FigureColumn &column : kFigureColumns) {
            names[k++] = QString::fromUtf16(column.name);
        }
        for (const char16_t *column : kPlaceColumns) {
            names[k++] = QString::fromUtf16(column);
        }
        return names;
    }();
    return columns;
}

StatRowCheck checkStatRowFigures(const QSqlDatabase &db, const QVariant &id) {
    const std::array<QString, 10> &columns = statFigureColumns();
    QStringList quoted;
    for (const QString &column : columns) {
        quoted.append(u'"' + column + u'"');
    }
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT Игрок, %1 FROM stat WHERE id=?").arg(quoted.join(u',')));
    query.addBindValue(id);
    if (!query.exec()) {
        return {{}, query.lastError()};
    }
    if (!query.next()) {
        return {};
    }
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const QVariant value = query.value(static_cast<int>(k) + 1);
        const bool whole =
            !value.isNull() && (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int ||
                                (value.typeId() == QMetaType::QString && parseInteger(value.toString()).has_value()));
        if (!whole) {
            const QString shown =
                value.isNull() ? QStringLiteral("пусто") : QStringLiteral("стоит «%1»").arg(elided(value.toString()));
            return {QStringLiteral("В таблице статистики у игрока «%1» (id %2) в графе «%3» %4, а нужно целое число: "
                                   "программа не может к этому прибавить или вычесть. Исправьте ячейку (например, в "
                                   "DB Browser for SQLite) и повторите.")
                        .arg(elided(query.value(0).toString()), id.toString(), columns[k], shown),
                    {}};
        }
    }
    return {};
}

Status checkPlayerFigures(const PlayerFigures &figures) {
    if (figures.place != u"1" && figures.place != u"2" && figures.place != u"3") {
        return Failure{QStringLiteral("Места ещё не посчитаны: сначала нажмите «Посчитать результат».")};
    }
    for (const FigureColumn &column : kFigureColumns) {
        const QString &value = figures.*column.figure;
        if (!parseInteger(value)) {
            return Failure{QStringLiteral("Игрок «%1»: в графе «%2» стоит «%3», а нужно целое число.")
                               .arg(figures.name, QString::fromUtf16(column.name), value)};
        }
    }
    return {};
}

namespace {

// The player's row as the lookup finds it: the first row's id and name, or no
// id and the empty text when there is none; and whether a second row follows.
struct Lookup {
    QVariant id;
    QString readBack;
    bool moreRows = false;
};

std::variant<Lookup, QSqlError> lookUp(const QSqlDatabase &db, const QString &name) {
    QSqlQuery lookup(db);
    lookup.prepare(QStringLiteral("SELECT id, Игрок FROM stat WHERE Игрок=?"));
    lookup.addBindValue(boundText(name));
    if (!lookup.exec()) {
        return lookup.lastError();
    }
    Lookup found;
    if (lookup.next()) {
        found.id = lookup.value(0);
        found.readBack = lookup.value(1).toString();
        found.moreRows = lookup.next();
    }
    lookup.finish();
    return found;
}

// A row the write must not add to, and why.
struct Refusal {
    QString text;
};
// The lookup found only other players' rows, so nothing was written for this
// player: the name of the first row found.
struct LeftAlone {
    QString found;
};
// What writing one player's figures did to "stat", or the failure.
using PlayerWrite = std::variant<StatTarget, QSqlError, Refusal, LeftAlone>;

PlayerWrite execWrite(QSqlQuery &command, const std::vector<std::pair<QString, QVariant>> &added,
                      const QVariant &lastValue, StatTarget target) {
    for (const auto &[column, value] : added) {
        command.addBindValue(value);
    }
    if (lastValue.isValid()) {
        command.addBindValue(lastValue);
    }
    if (!command.exec()) {
        return command.lastError();
    }
    if (target.created) {
        target.id = command.lastInsertId();
    }
    return target;
}

// One player's figures added to "stat": the update of the player's row when the
// lookup finds it, else the insert of a new row. The update changes that one row
// by its id, so that a tournament never counts twice in a table that holds the
// name twice (or ignores letter case).
PlayerWrite writePlayer(const QSqlDatabase &db, const PlayerFigures &row) {
    const std::variant<Lookup, QSqlError> looked = lookUp(db, row.name);
    if (const QSqlError *error = std::get_if<QSqlError>(&looked)) {
        return *error;
    }
    const Lookup &found = std::get<Lookup>(looked);
    const std::vector<std::pair<QString, QVariant>> added = addedFigures(row);
    QSqlQuery command(db);
    if (found.readBack == row.name) {
        if (!found.id.isValid()) {
            // An empty name and no row without one: there is nothing to update.
            return LeftAlone{};
        }
        if (const StatRowCheck checked = checkStatRowFigures(db, found.id); !checked.ok()) {
            if (checked.error.isValid()) {
                return checked.error;
            }
            return Refusal{checked.problem};
        }
        command.prepare(
            QStringLiteral("UPDATE stat SET %1 WHERE id=?").arg(columnList(added, QStringLiteral("%1=%1+?"))));
        return execWrite(command, added, found.id, StatTarget{found.id, false});
    }
    if (found.moreRows) {
        // Two or more rows and the first differs from the name: nothing is written.
        return LeftAlone{found.readBack};
    }
    command.prepare(QStringLiteral("INSERT INTO stat (Игрок,%1) VALUES (?%2)")
                        .arg(columnList(added, QStringLiteral("%1")), QStringLiteral(",?").repeated(added.size())));
    command.addBindValue(boundText(row.name));
    return execWrite(command, added, {}, StatTarget{{}, true});
}

} // namespace

namespace {

// Every row's figures, before anything is written.
Status checkRows(const PerPlayer<PlayerFigures> &rows) {
    for (const PlayerFigures &row : rows) {
        if (const Status checked = checkPlayerFigures(row); !checked.ok()) {
            return Failure{checked.error() + nothingWritten()};
        }
    }
    return {};
}

} // namespace

Result<Matches> checkTournament(const PerPlayer<PlayerFigures> &rows, const ScoreTexts &scores) {
    if (const Status checked = checkRows(rows); !checked.ok()) {
        return checked;
    }
    Result<Matches> matches = parseScores(scores);
    if (!matches.ok()) {
        return Failure{matches.error() + nothingWritten()};
    }
    return matches;
}

Status WritePlayerStats(const QSqlDatabase &db, const QString &name, const QString &wins, const QString &draws,
                        const QString &losses, const QString &scored, const QString &conceded,
                        const QString &difference, const QString &points, const QString &place) {
    const PlayerFigures row{name, wins, draws, losses, scored, conceded, difference, points, place};
    if (Status checked = checkPlayerFigures(row); !checked.ok()) {
        return checked;
    }
    const PlayerWrite written = writePlayer(db, row);
    if (const QSqlError *error = std::get_if<QSqlError>(&written)) {
        return Failure{QStringLiteral("Игрок «%1» не записан в базу: %2").arg(name, error->text())};
    }
    if (const Refusal *refused = std::get_if<Refusal>(&written)) {
        return Failure{refused->text};
    }
    return {};
}

namespace {

// What the user reads about a row of the result window that left "stat" alone.
QString leftAloneNotice(const PlayerFigures &row, const LeftAlone &left) {
    if (row.name.isEmpty()) {
        return QStringLiteral("У строки без имени игрока нет строки в таблице статистики: её результаты туда не "
                              "записаны, только в книгу турниров.");
    }
    return QStringLiteral("Игрок «%1» не записан в таблицу статистики: поиск по имени нашёл там только строки других "
                          "игроков (первая — «%2»). Похоже, графа «Игрок» в файле сравнивает имена без учёта "
                          "регистра букв. Турнир записан в книгу турниров; строку игрока в таблице статистики "
                          "исправьте вручную.")
        .arg(row.name, left.found);
}

// The rows of "stat" that the tournament touched, and the notices about the
// rows it left alone.
struct WrittenRows {
    PerPlayer<StatTarget> targets;
    QStringList notices;
};

// The three rows of "stat", in the open transaction; the failure is the text
// to show before the rollback.
Result<WrittenRows> writeRows(const StatsConnection &connection, const PerPlayer<PlayerFigures> &rows,
                              const std::function<void(int)> &afterRow) {
    WrittenRows written;
    for (int k = 0; k < kPlayers; ++k) {
        const PlayerWrite player = writePlayer(connection.database(), rows[k]);
        if (const QSqlError *error = std::get_if<QSqlError>(&player)) {
            return Failure{QStringLiteral("Игрок «%1» не записан в базу.\n").arg(rows[k].name) +
                           databaseErrorText(connection.filePath(), *error)};
        }
        if (const Refusal *refused = std::get_if<Refusal>(&player)) {
            return Failure{refused->text};
        }
        if (const LeftAlone *left = std::get_if<LeftAlone>(&player)) {
            written.notices.append(leftAloneNotice(rows[k], *left));
        } else {
            written.targets[k] = std::get<StatTarget>(player);
        }
        if (afterRow) {
            afterRow(k + 1);
        }
    }
    return written;
}

} // namespace

Result<QStringList> writeTournament(const StatsConnection &connection, const PerPlayer<PlayerFigures> &rows,
                                    const TournamentEntry &entry, const std::function<void(int)> &afterRow) {
    if (const Status checked = checkRows(rows); !checked.ok()) {
        return checked;
    }
    const StatsConnection::LockWaitScope wait(connection);
    const QSqlDatabase db = connection.database();
    if (const Status ended = endLeftoverTransaction(connection); !ended.ok()) {
        return Failure{ended.error() + nothingWritten()};
    }
    // IMMEDIATE takes the file for writing at once: while another program writes,
    // the write stops here, before any row.
    QSqlQuery begin(db);
    if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        return Failure{databaseErrorText(connection.filePath(), begin.lastError()) + nothingWritten()};
    }
    // A file made before the book gets its tables in this transaction, so that a
    // failed write leaves it as it was.
    if (const Status schema = ensureBookSchema(db); !schema.ok()) {
        return Failure{
            rolledBack(db, writeRollbackWords(),
                       QStringLiteral("Файл базы статистики «%1»: %2.").arg(connection.filePath(), schema.error()))};
    }
    const Result<WrittenRows> written = writeRows(connection, rows, afterRow);
    if (!written.ok()) {
        return Failure{rolledBack(db, writeRollbackWords(), written.error())};
    }
    if (const QSqlError error = recordTournament(db, rows, written.value().targets, entry); error.isValid()) {
        return Failure{rolledBack(db, writeRollbackWords(),
                                  QStringLiteral("Турнир не записан в книгу турниров.\n") +
                                      databaseErrorText(connection.filePath(), error))};
    }
    // A reader of another program keeps the commit waiting; when the wait runs
    // out the transaction is still open and is rolled back.
    QSqlQuery commit(db);
    if (!commit.exec(QStringLiteral("COMMIT"))) {
        return Failure{
            rolledBack(db, writeRollbackWords(), databaseErrorText(connection.filePath(), commit.lastError()))};
    }
    return written.value().notices;
}

Status deleteStatRow(const StatsConnection &connection, const QVariant &id) {
    const StatsConnection::LockWaitScope wait(connection);
    if (const Status ended = endLeftoverTransaction(connection); !ended.ok()) {
        return Failure{QStringLiteral("Строка не удалена из базы.\n") + ended.error()};
    }
    QSqlQuery command(connection.database());
    command.prepare(QStringLiteral("DELETE FROM stat WHERE id=:id"));
    command.bindValue(QStringLiteral(":id"), id);
    if (!command.exec()) {
        return Failure{QStringLiteral("Строка не удалена из базы.\n") +
                       databaseErrorText(connection.filePath(), command.lastError())};
    }
    return {};
}
