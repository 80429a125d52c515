#include "StatsDatabase.h"

#include "DataFiles.h"
#include "RussianCollator.h"
#include "Text.h"
#include "TournamentBook.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>
#include <memory>
#include <sqlite3.h>
#include <string_view>
#include <thread>
#include <variant>
#include <vector>

namespace {

// Microsoft Access files (Jet 3/4 and ACE) begin with these bytes.
bool isAccessDatabase(const QByteArray &head) {
    static const QByteArray jet("\x00\x01\x00\x00Standard Jet DB", 19);
    static const QByteArray ace("\x00\x01\x00\x00Standard ACE DB", 19);
    return head.startsWith(jet) || head.startsWith(ace);
}

QString newConnectionName() {
    static int counter = 0;
    return QStringLiteral("korvana-stat-%1").arg(++counter);
}

// The SQLite handle under a Qt connection, or nullptr.
sqlite3 *sqliteHandle(const QSqlDatabase &db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        return nullptr;
    }
    return *static_cast<sqlite3 *const *>(handle.constData());
}

int compareRussian(void *context, int lengthA, const void *a, int lengthB, const void *b) {
    const auto &collator = *static_cast<const std::shared_ptr<const RussianCollator> *>(context);
    // SQLite hands over UTF-8, lengths in bytes.
    return collator->compare(std::string_view(static_cast<const char *>(a), static_cast<std::size_t>(lengthA)),
                             std::string_view(static_cast<const char *>(b), static_cast<std::size_t>(lengthB)));
}

// Registers the collation "russian" for UTF-8, the database's own encoding, so
// that SQLite compares the stored bytes without converting them. SQLite keeps a
// share of the collator until it drops the collation.
bool registerRussianCollation(const QSqlDatabase &db, const std::shared_ptr<const RussianCollator> &collator) {
    sqlite3 *const handle = sqliteHandle(db);
    if (!handle || !collator) {
        return false;
    }
    auto share = std::make_unique<std::shared_ptr<const RussianCollator>>(collator);
    // Once registered, SQLite deletes its share with the connection; a failed
    // registration leaves it with us.
    const int registered = sqlite3_create_collation_v2(
        handle, StatsDb::RussianCollation.toUtf8().constData(), SQLITE_UTF8, share.get(), compareRussian,
        [](void *context) { delete static_cast<std::shared_ptr<const RussianCollator> *>(context); });
    if (registered != SQLITE_OK) {
        return false;
    }
    share.release();
    return true;
}

// Each sleep of the wait for another program's lock: short, so that the wait ends
// soon after the lock does.
constexpr std::chrono::milliseconds kLockPollStep{10};

std::chrono::milliseconds defaultWait = StatsConnection::kProgramLockWait;

} // namespace

struct StatsConnection::LockWaitState {
    std::chrono::milliseconds wait{0};
    int depth = 0;
    std::chrono::steady_clock::time_point deadline{};
};

namespace {

// SQLite's busy handler: sleeps while the deadline is ahead, so that SQLite tries
// the lock again; gives up (0) once it has passed. Outside a scope each busy
// statement starts its own deadline (attempt 0 is the first call for a lock).
int waitForLock(void *context, int attempt) {
    auto *state = static_cast<StatsConnection::LockWaitState *>(context);
    const auto now = std::chrono::steady_clock::now();
    if (state->depth == 0 && attempt == 0) {
        state->deadline = now + state->wait;
    }
    if (now >= state->deadline) {
        return 0;
    }
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kLockPollStep, state->deadline - now));
    return 1;
}

// A value bound as text, never as NULL: an empty label text is an empty text.
QVariant boundText(const QString &value) {
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

// SQLite's primary result code of a failed statement (the driver passes it on as
// the native code), or -1 when there is none.
int sqliteResultCode(const QSqlError &error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    // An extended code carries the primary one in its low byte.
    return ok ? code & 0xff : -1;
}

// The cause of a failure other than a lock, as the user reads it.
QString causeText(int code) {
    switch (code) {
    case SQLITE_READONLY:
        return QStringLiteral("в файл нельзя записывать: он или его папка открыты только для чтения");
    case SQLITE_FULL:
        return QStringLiteral("на диске не хватает места");
    case SQLITE_IOERR:
        return QStringLiteral("ошибка чтения или записи на диске");
    case SQLITE_CANTOPEN:
        return QStringLiteral("не открывается сам файл или журнал записи рядом с ним");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("нет доступа к файлу");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("файл повреждён или это не база SQLite");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("база отказалась принять запись");
    default:
        return QStringLiteral("ошибка базы SQLite");
    }
}

const QString kNothingWritten = QStringLiteral("\nВ базу ничего не записано.");

// Ends a transaction that did not commit. A failed rollback is told too: the
// transaction then stays open and the next write does not start.
QString rolledBack(const QSqlDatabase &db, const QString &failure) {
    QString error;
    if (rollBackTransaction(db, error)) {
        return failure + kNothingWritten;
    }
    return failure + QStringLiteral("\nНачатую запись не удалось отменить: %1").arg(error);
}

} // namespace

bool rollBackTransaction(const QSqlDatabase &db, QString &error) {
    QSqlQuery rollback(db);
    if (rollback.exec(QStringLiteral("ROLLBACK"))) {
        return true;
    }
    // After an I/O error or a full disk SQLite may have rolled the transaction
    // back itself; then nothing of it is left and the ROLLBACK has nothing to do.
    sqlite3 *const handle = sqliteHandle(db);
    if (handle != nullptr && sqlite3_get_autocommit(handle) != 0) {
        return true;
    }
    error = rollback.lastError().text();
    return false;
}

Status endLeftoverTransaction(const StatsConnection &connection) {
    sqlite3 *const handle = connection.handle();
    if (handle == nullptr || sqlite3_get_autocommit(handle) != 0) {
        return {};
    }
    sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
    if (sqlite3_get_autocommit(handle) != 0) {
        return {};
    }
    return Failure{QStringLiteral("Файл базы статистики «%1»: прежнюю запись или чтение не удалось завершить (%2), и "
                                  "файл остаётся занят этой программой. Закройте программу и запустите её снова.")
                       .arg(connection.filePath(), QString::fromUtf8(sqlite3_errmsg(handle)))};
}

ReadTransaction::ReadTransaction(const StatsConnection &connection) : m_connection(connection) {
    sqlite3 *const handle = connection.handle();
    if (handle == nullptr) {
        m_begun = Failure{
            QStringLiteral("Файл базы статистики «%1» не прочитать: нет доступа к SQLite.").arg(connection.filePath())};
        return;
    }
    if (m_begun = endLeftoverTransaction(connection); !m_begun.ok()) {
        return;
    }
    if (sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QSqlError error(QStringLiteral("Unable to begin the reading"), QString::fromUtf8(sqlite3_errmsg(handle)),
                              QSqlError::TransactionError, QString::number(sqlite3_extended_errcode(handle)));
        m_begun = Failure{databaseErrorText(connection.filePath(), error)};
        return;
    }
    m_open = true;
}

ReadTransaction::~ReadTransaction() {
    if (m_open) {
        [[maybe_unused]] const Status ended = end();
    }
}

Status ReadTransaction::end() {
    if (!m_open) {
        return {};
    }
    m_open = false;
    sqlite3 *const handle = m_connection.handle();
    // A transaction that only read has nothing to keep: when the commit fails, a
    // rollback ends it just as well.
    if (sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK || sqlite3_get_autocommit(handle)) {
        return {};
    }
    return endLeftoverTransaction(m_connection);
}

bool isLockedError(const QSqlError &error) {
    const int code = sqliteResultCode(error);
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

QString databaseErrorText(const QString &filePath, const QSqlError &error) {
    if (isLockedError(error)) {
        return QStringLiteral("Файл базы статистики «%1» занят другой программой. Закройте её и попробуйте снова.")
            .arg(filePath);
    }
    return QStringLiteral("Файл базы статистики «%1»: %2.\n(%3)")
        .arg(filePath, causeText(sqliteResultCode(error)), error.text());
}

StatsConnection::StatsConnection(QString name, QString filePath)
    : m_name(std::move(name)), m_filePath(std::move(filePath)), m_lockWait(std::make_unique<LockWaitState>()) {
    m_lockWait->wait = defaultWait;
}

void StatsConnection::setDefaultLockWait(std::chrono::milliseconds wait) {
    defaultWait = wait;
}

std::chrono::milliseconds StatsConnection::lockWait() const {
    return m_lockWait->wait;
}

void StatsConnection::setLockWait(std::chrono::milliseconds wait) {
    m_lockWait->wait = wait;
}

StatsConnection::LockWaitScope::LockWaitScope(const StatsConnection &connection)
    : LockWaitScope(connection, connection.m_lockWait->wait) {}

StatsConnection::LockWaitScope::LockWaitScope(const StatsConnection &connection, std::chrono::milliseconds wait)
    : m_connection(connection) {
    LockWaitState &state = *connection.m_lockWait;
    if (state.depth++ == 0) {
        state.deadline = std::chrono::steady_clock::now() + std::min(wait, state.wait);
    }
}

StatsConnection::LockWaitScope::~LockWaitScope() {
    --m_connection.m_lockWait->depth;
}

namespace {

// The checks that need no SQLite: the file is there, it is a regular file (a
// pipe or a device would block the reads below, or never end), and it is not a
// Microsoft Access database.
Status checkStatsFile(const QString &fileName) {
    if (Status regular = checkRegularFile(
            fileName,
            QStringLiteral("это не обычный файл (канал, устройство или сокет), а программе нужна база SQLite"));
        !regular.ok()) {
        return regular;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return Failure{fileErrorText(fileName, file.errorString())};
    }
    if (isAccessDatabase(file.read(32))) {
        return Failure{fileErrorText(
            fileName, QStringLiteral("это база Microsoft Access, а программе нужна база SQLite с таблицей stat"))};
    }
    return {};
}

} // namespace

Result<std::unique_ptr<StatsConnection>> StatsConnection::open(const QString &fileName) {
    if (const Status checked = checkStatsFile(fileName); !checked.ok()) {
        return checked;
    }
    // Declared first, so that on a failure the connection is removed after the
    // handles below are gone.
    std::unique_ptr<StatsConnection> connection(new StatsConnection(newConnectionName(), displayPath(fileName)));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection->m_name);
    if (!db.isValid()) {
        return Failure{
            fileErrorText(fileName, QStringLiteral("нет драйвера SQLite (QSQLITE): %1").arg(db.lastError().text()))};
    }
    // A URI with mode=rw opens only an existing file; the fully encoded URL keeps a
    // '#' or '?' in the path from being read as the end of the file name. The
    // driver's own wait for a lock is off: the busy handler below replaces it.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=0"));
    db.setDatabaseName(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()).toString(QUrl::FullyEncoded) +
                       QStringLiteral("?mode=rw"));
    if (!db.open()) {
        return Failure{fileErrorText(fileName, db.lastError().text())};
    }
    // Every statement of the opening waits for another program's lock under one
    // deadline, the pragma below as well as the check.
    const LockWaitScope wait(*connection);
    if (sqlite3 *const handle = connection->handle()) {
        sqlite3_busy_handler(handle, waitForLock, connection->m_lockWait.get());
        // The grid's orders read the whole table. A page cache that holds a table
        // of a couple of hundred thousand players spares the reading of its file
        // pages again at the next order, as long as no other program changed the
        // file; SQLite's default holds 2 MiB. It is a bound on memory too. A
        // failure here shows again in the check below.
        sqlite3_exec(handle, "PRAGMA cache_size = -16384", nullptr, nullptr, nullptr);
    }
    // Any file "opens"; the first statement shows whether it is a database with the
    // table and the columns that the program uses.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT id, Игрок, Побед, Ничьих, Поражений, Забито, Пропущено, Разница, Очки, "
                                   "Первый, Второй, Третий FROM stat LIMIT 0"))) {
        if (isLockedError(probe.lastError())) {
            // No "try again" here: whoever opens the file says what comes next.
            return Failure{QStringLiteral("Файл базы статистики «%1» занят другой программой: она пишет в него или "
                                          "держит его открытым. Закройте её.")
                               .arg(connection->filePath())};
        }
        return Failure{fileErrorText(fileName, probe.lastError().text())};
    }
    std::shared_ptr<const RussianCollator> collator = RussianCollator::create();
    if (registerRussianCollation(db, collator)) {
        connection->m_collator = std::move(collator);
    }
    return connection;
}

StatsConnection::~StatsConnection() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen()) {
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase StatsConnection::database() const {
    return QSqlDatabase::database(m_name, false);
}

sqlite3 *StatsConnection::handle() const {
    return sqliteHandle(database());
}

namespace {

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
constexpr const char16_t *kPlaceColumns[] = {u"Первый", u"Второй", u"Третий"};

// Every column that a tournament adds to, with what it adds, in one order.
std::vector<std::pair<QString, QVariant>> addedFigures(const PlayerFigures &row) {
    std::vector<std::pair<QString, QVariant>> added;
    for (const FigureColumn &column : kFigureColumns) {
        added.emplace_back(QString::fromUtf16(column.name), boundText(row.*column.figure));
    }
    for (int k = 0; k < 3; ++k) {
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
                value.isNull() ? QStringLiteral("пусто") : QStringLiteral("стоит «%1»").arg(value.toString());
            return {QStringLiteral("В таблице статистики у игрока «%1» (id %2) в графе «%3» %4, а нужно целое число: "
                                   "программа не может к этому прибавить или вычесть. Исправьте ячейку (например, в "
                                   "DB Browser for SQLite) и повторите.")
                        .arg(query.value(0).toString(), id.toString(), columns[k], shown),
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

// The checks before the write starts: the figures of the three rows and the
// score boxes of the six matches.
Result<std::array<BookMatch, 6>> checkTournament(const std::array<PlayerFigures, 3> &rows,
                                                 const TournamentEntry &entry) {
    for (const PlayerFigures &row : rows) {
        if (const Status checked = checkPlayerFigures(row); !checked.ok()) {
            return Failure{checked.error() + kNothingWritten};
        }
    }
    Result<std::array<BookMatch, 6>> matches = matchesOfScores(entry.scores);
    if (!matches.ok()) {
        return Failure{matches.error() + kNothingWritten};
    }
    return matches;
}

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
    std::array<StatTarget, 3> targets;
    QStringList notices;
};

// The three rows of "stat", in the open transaction; the failure is the text
// to show before the rollback.
Result<WrittenRows> writeRows(const StatsConnection &connection, const std::array<PlayerFigures, 3> &rows,
                              const std::function<void(int)> &afterRow) {
    WrittenRows written;
    for (int k = 0; k < 3; ++k) {
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

Result<QStringList> writeTournament(const StatsConnection &connection, const std::array<PlayerFigures, 3> &rows,
                                    const TournamentEntry &entry, const std::function<void(int)> &afterRow) {
    const Result<std::array<BookMatch, 6>> matches = checkTournament(rows, entry);
    if (!matches.ok()) {
        return matches.status();
    }
    const StatsConnection::LockWaitScope wait(connection);
    const QSqlDatabase db = connection.database();
    if (const Status ended = endLeftoverTransaction(connection); !ended.ok()) {
        return Failure{ended.error() + kNothingWritten};
    }
    // IMMEDIATE takes the file for writing at once: while another program writes,
    // the write stops here, before any row.
    QSqlQuery begin(db);
    if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        return Failure{databaseErrorText(connection.filePath(), begin.lastError()) + kNothingWritten};
    }
    // A file made before the book gets its tables in this transaction, so that a
    // failed write leaves it as it was.
    if (const Status schema = ensureBookSchema(db); !schema.ok()) {
        return Failure{rolledBack(
            db, QStringLiteral("Файл базы статистики «%1»: %2.").arg(connection.filePath(), schema.error()))};
    }
    const Result<WrittenRows> written = writeRows(connection, rows, afterRow);
    if (!written.ok()) {
        return Failure{rolledBack(db, written.error())};
    }
    if (const QSqlError error = recordTournament(db, rows, written.value().targets, entry, matches.value());
        error.isValid()) {
        return Failure{rolledBack(db, QStringLiteral("Турнир не записан в книгу турниров.\n") +
                                          databaseErrorText(connection.filePath(), error))};
    }
    // A reader of another program keeps the commit waiting; when the wait runs
    // out the transaction is still open and is rolled back.
    QSqlQuery commit(db);
    if (!commit.exec(QStringLiteral("COMMIT"))) {
        return Failure{rolledBack(db, databaseErrorText(connection.filePath(), commit.lastError()))};
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

Status createStatsDatabase(const QString &fileName, const QString &schemaSql) {
    if (QFileInfo::exists(fileName)) {
        return Failure{fileErrorText(fileName, QStringLiteral("файл уже есть"))};
    }
    const QString name = newConnectionName();
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(fileName);
        if (!db.open()) {
            error = db.lastError().text();
        } else if (sqlite3 *const handle = sqliteHandle(db); !handle) {
            error = QStringLiteral("нет доступа к SQLite");
        } else {
            // The schema is a script of several statements, which sqlite3_exec runs in turn.
            char *message = nullptr;
            if (sqlite3_exec(handle, schemaSql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
                error = QString::fromUtf8(message);
            }
            sqlite3_free(message);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty()) {
        QFile::remove(fileName);
        return Failure{fileErrorText(fileName, error)};
    }
    return {};
}
