#include "DatabaseCheck.h"

#include "BackupFiles.h"
#include "FileWriting.h"
#include "SqliteStatement.h"
#include "TournamentBook.h"

#include <QFileInfo>
#include <QSet>

using namespace BackupFiles;

namespace {

bool isDamage(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// The first column of every row of a query; the code of the step that ended it.
struct Rows {
    QStringList values;
    int code = SQLITE_OK;
};
Rows queryColumn(sqlite3 *db, const char *sql) {
    Rows rows;
    sqlite3_stmt *raw = nullptr;
    rows.code = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    const Statement statement(raw);
    if (rows.code != SQLITE_OK) {
        return rows;
    }
    while ((rows.code = sqlite3_step(raw)) == SQLITE_ROW) {
        rows.values.append(columnText(raw, 0));
    }
    if (rows.code == SQLITE_DONE) {
        rows.code = SQLITE_OK;
    }
    return rows;
}

const QStringList &statColumns() {
    static const QStringList columns = {
        QStringLiteral("id"),        QStringLiteral("Игрок"),  QStringLiteral("Побед"),     QStringLiteral("Ничьих"),
        QStringLiteral("Поражений"), QStringLiteral("Забито"), QStringLiteral("Пропущено"), QStringLiteral("Разница"),
        QStringLiteral("Очки"),      QStringLiteral("Первый"), QStringLiteral("Второй"),    QStringLiteral("Третий")};
    return columns;
}

DatabaseCheck damaged(const QString &reason) {
    return {DatabaseCheck::Verdict::Damaged, reason, {}};
}

DatabaseCheck failedQuery(sqlite3 *db, int code, const QString &path) {
    if (isBusy(code)) {
        return {DatabaseCheck::Verdict::Unreadable, busyText(path), {}};
    }
    if (isDamage(code)) {
        return damaged(sqliteText(db));
    }
    return {DatabaseCheck::Verdict::Unreadable, sqliteText(db), {}};
}

// The check of an open connection; see checkDatabaseFile().
DatabaseCheck checkOpen(sqlite3 *db, const QString &path, bool wholeFile) {
    // Reads the whole file; a damaged page shows as an error or as lines of the report.
    const Rows check = wholeFile ? queryColumn(db, "PRAGMA quick_check") : Rows{{QStringLiteral("ok")}, SQLITE_OK};
    if (check.code != SQLITE_OK) {
        return failedQuery(db, check.code, path);
    }
    if (check.values != QStringList{QStringLiteral("ok")}) {
        return damaged(check.values.mid(0, 3).join(QStringLiteral("; ")));
    }
    const Rows tables = queryColumn(db, "SELECT name FROM sqlite_master WHERE type = 'table'");
    if (tables.code != SQLITE_OK) {
        return failedQuery(db, tables.code, path);
    }
    if (tables.values.isEmpty()) {
        return damaged(QStringLiteral("в файле нет ни одной таблицы"));
    }
    const Rows columns = queryColumn(db, "SELECT name FROM pragma_table_info('stat')");
    if (columns.code != SQLITE_OK) {
        return failedQuery(db, columns.code, path);
    }
    for (const QString &column : statColumns()) {
        if (!columns.values.contains(column)) {
            return {DatabaseCheck::Verdict::Foreign,
                    columns.values.isEmpty()
                        ? QStringLiteral("в файле нет таблицы статистики «stat»")
                        : QStringLiteral("в таблице статистики «stat» нет столбца «%1»").arg(column),
                    {}};
        }
    }
    const Rows version = queryColumn(db, "PRAGMA user_version");
    if (version.code != SQLITE_OK || version.values.size() != 1) {
        return failedQuery(db, version.code, path);
    }
    BookSummary summary;
    summary.version = version.values.first().toInt();
    if (summary.version < 0 || summary.version > Book::SchemaVersion) {
        return {
            DatabaseCheck::Verdict::Foreign,
            QStringLiteral("файл сделан более новой версией программы (версия книги турниров %1)").arg(summary.version),
            {}};
    }
    const bool hasBook = tables.values.contains(QStringLiteral("tournament")) &&
                         tables.values.contains(QStringLiteral("tournament_player")) &&
                         tables.values.contains(QStringLiteral("tournament_match"));
    if (summary.version > 0 && !hasBook) {
        return {DatabaseCheck::Verdict::Foreign, QStringLiteral("в файле нет таблиц книги турниров"), {}};
    }
    const Rows players = queryColumn(db, "SELECT count(*) FROM stat");
    if (players.code != SQLITE_OK) {
        return failedQuery(db, players.code, path);
    }
    summary.players = players.values.value(0).toLongLong();
    if (hasBook) {
        const Rows count = queryColumn(db, "SELECT count(*) FROM tournament");
        const Rows newest = queryColumn(db, "SELECT written FROM tournament ORDER BY id DESC LIMIT 1");
        const Rows names = queryColumn(db, "SELECT player FROM tournament_player WHERE tournament = "
                                           "(SELECT max(id) FROM tournament) ORDER BY row");
        for (const Rows *rows : {&count, &newest, &names}) {
            if (rows->code != SQLITE_OK) {
                return failedQuery(db, rows->code, path);
            }
        }
        summary.tournaments = count.values.value(0).toLongLong();
        summary.newestWritten = newest.values.value(0);
        summary.newestPlayers = names.values;
    }
    return {DatabaseCheck::Verdict::Good, {}, summary};
}

DatabaseCheck checkFile(const QString &path, std::chrono::milliseconds lockWait, bool wholeFile) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return damaged(QStringLiteral("файла нет"));
    }
    if (!info.isFile()) {
        return damaged(QStringLiteral("это не файл"));
    }
    if (info.size() == 0) {
        return damaged(QStringLiteral("файл пуст"));
    }
    Opened opened = openSqlite(path, SQLITE_OPEN_READONLY, lockWait);
    if (!opened.db) {
        return isDamage(opened.code) ? damaged(opened.message)
                                     : DatabaseCheck{DatabaseCheck::Verdict::Unreadable, opened.message, {}};
    }
    // Nothing the check reads may stay open between its statements.
    if (const int code = sqlite3_exec(opened.db.get(), "BEGIN", nullptr, nullptr, nullptr); code != SQLITE_OK) {
        return failedQuery(opened.db.get(), code, path);
    }
    DatabaseCheck check = checkOpen(opened.db.get(), path, wholeFile);
    sqlite3_exec(opened.db.get(), "COMMIT", nullptr, nullptr, nullptr);
    return check;
}

} // namespace

DatabaseCheck checkDatabaseFile(const QString &path, std::chrono::milliseconds lockWait) {
    return checkFile(path, lockWait, true);
}

DatabaseCheck inspectDatabaseFile(const QString &path, std::chrono::milliseconds lockWait) {
    return checkFile(path, lockWait, false);
}

namespace {

Result<QSet<QString>> tournamentKeys(const QString &path, std::chrono::milliseconds lockWait) {
    Opened opened = openSqlite(path, SQLITE_OPEN_READONLY, lockWait);
    if (!opened.db) {
        return Failure{QStringLiteral("%1: %2.").arg(displayPath(path), opened.message)};
    }
    const Rows tables = queryColumn(opened.db.get(), "SELECT name FROM sqlite_master WHERE name = 'tournament'");
    if (tables.code == SQLITE_OK && tables.values.isEmpty()) {
        return QSet<QString>();
    }
    const Rows keys = queryColumn(opened.db.get(), "SELECT id || ' ' || written FROM tournament");
    if (tables.code != SQLITE_OK || keys.code != SQLITE_OK) {
        return Failure{isBusy(keys.code)
                           ? busyText(path)
                           : QStringLiteral("%1: %2.").arg(displayPath(path), sqliteText(opened.db.get()))};
    }
    return QSet<QString>(keys.values.begin(), keys.values.end());
}

} // namespace

Result<BookChange> compareBooks(const QString &current, const QString &restored, std::chrono::milliseconds lockWait) {
    const Result<QSet<QString>> now = tournamentKeys(current, lockWait);
    const Result<QSet<QString>> then = tournamentKeys(restored, lockWait);
    if (!now.ok()) {
        return now.status();
    }
    if (!then.ok()) {
        return then.status();
    }
    BookChange change;
    change.comeBack = QSet<QString>(then.value()).subtract(now.value()).size();
    change.goAway = QSet<QString>(now.value()).subtract(then.value()).size();
    return change;
}
