#include "StatsConnection.h"

#include "DataFiles.h"
#include "RussianCollator.h"

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

const RollbackWords &writeRollbackWords() {
    static const RollbackWords words{QStringLiteral("\nВ базу ничего не записано."),
                                     QStringLiteral("\nНачатую запись не удалось отменить: %1")};
    return words;
}

const RollbackWords &undoRollbackWords() {
    static const RollbackWords words{QStringLiteral("\nНичего не изменено."),
                                     QStringLiteral("\nНачатую отмену не удалось прервать: %1")};
    return words;
}

QString rolledBack(const QSqlDatabase &db, const RollbackWords &words, const QString &failure) {
    QString error;
    if (rollBackTransaction(db, error)) {
        return failure + words.nothingChanged;
    }
    return failure + words.notTakenBack.arg(error);
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

StatsConnection::StatsConnection(QString name, QString filePath, std::chrono::milliseconds lockWait)
    : m_name(std::move(name)), m_filePath(std::move(filePath)), m_lockWait(std::make_unique<LockWaitState>()) {
    m_lockWait->wait = lockWait;
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

Result<std::unique_ptr<StatsConnection>> StatsConnection::open(const QString &fileName,
                                                               std::chrono::milliseconds lockWait) {
    if (const Status checked = checkStatsFile(fileName); !checked.ok()) {
        return checked;
    }
    // Declared first, so that on a failure the connection is removed after the
    // handles below are gone.
    std::unique_ptr<StatsConnection> connection(
        new StatsConnection(newConnectionName(), displayPath(fileName), lockWait));
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
