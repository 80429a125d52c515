// Backups of a statistics database of 100,000 players and a book of 10,000
// tournaments: the backup after a write (copy, check, rename, rotation), the
// check of the database that runs once the main window is shown, and a restore.
#include "BackupRestore.h"
#include "Backups.h"
#include "BenchMain.h"
#include "DataFiles.h"
#include "DatabaseCheck.h"
#include "StatsConnection.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr int kPlayers = 100000;
constexpr int kTournaments = 10000;

// Players with figures of every size, and tournaments of three of them with six
// matches each; the figures need not add up for a copy.
bool makeData() {
    const Result<QByteArray> schema = readFileBytes(QStringLiteral(KORVANA_SCHEMA));
    if (!schema.ok() || !createStatsDatabase(StatsDb::FileName, QString::fromUtf8(schema.value())).ok()) {
        return false;
    }
    const QByteArray sql =
        QStringLiteral(
            "BEGIN;"
            "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < %1) "
            "INSERT INTO stat (\"Игрок\", \"Побед\", \"Ничьих\", \"Поражений\", \"Забито\", \"Пропущено\", "
            "\"Разница\", \"Очки\", \"Первый\", \"Второй\", \"Третий\") SELECT 'Игрок номер ' || k, k % 50, k % 7, "
            "k % 30, k % 400, k % 380, k % 400 - k % 380, 3 * (k % 50) + k % 7, k % 11, k % 13, k % 17 FROM n;"
            "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < %2) "
            "INSERT INTO tournament (id, written) SELECT k, datetime('2020-01-01', '+' || k || ' hours') FROM n;"
            "WITH r(row) AS (VALUES (1), (2), (3)) "
            "INSERT INTO tournament_player (tournament, row, player, team, wins, draws, losses, scored, conceded, "
            "difference, points, place, stat_id) SELECT t.id, r.row, 'Игрок номер ' || ((t.id * 3 + r.row) % %1 + 1), "
            "'Команда ' || ((t.id * 7 + r.row) % 40), r.row % 3, 1, 2 - r.row % 3, 4 + r.row, 5, r.row - 1, "
            "3 * (r.row % 3) + 1, r.row, (t.id * 3 + r.row) % %1 + 1 FROM tournament t, r;"
            "WITH c(h, a) AS (VALUES (1, 2), (2, 1), (1, 3), (3, 1), (2, 3), (3, 2)) "
            "INSERT INTO tournament_match SELECT t.id, c.h, c.a, (t.id + c.h) % 4, (t.id + c.a) % 3 "
            "FROM tournament t, c;"
            "COMMIT;")
            .arg(kPlayers)
            .arg(kTournaments)
            .toUtf8();
    sqlite3 *db = nullptr;
    const bool made = sqlite3_open(StatsDb::FileName.toUtf8().constData(), &db) == SQLITE_OK &&
                      sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!made) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
    }
    sqlite3_close(db);
    if (!made) {
        return false;
    }
    // The text files of a data folder in use: five lists and a long log.
    Lines teams;
    for (int i = 0; i < 10000; ++i) {
        teams.append("Team " + QByteArray::number(i));
    }
    for (const QString &list : kRunLists) {
        if (!writeLines(list, teams).ok()) {
            return false;
        }
    }
    return writeLines(DataFile::UsedTeamsLog, teams + teams + teams + teams).ok();
}

// One backup as after a write, with the twenty backups before it that rotation
// weighs; each run is a minute later, so each makes a new backup and removes one.
void BM_BackupAfterWrite(benchmark::State &state) {
    QDateTime now(QDate(2026, 1, 1), QTime(20, 0));
    std::printf("database: %lld bytes\n", static_cast<long long>(QFileInfo(StatsDb::FileName).size()));
    for (auto _ : state) {
        now = now.addSecs(60);
        const Result<BackupEntry> made = makeBackup(QStringLiteral("."), now, StatsConnection::kProgramLockWait);
        if (!made.ok()) {
            state.SkipWithError(made.error().toUtf8().constData());
            return;
        }
    }
}
BENCHMARK(BM_BackupAfterWrite)->Unit(benchmark::kMillisecond);

// The check of base.mdb that runs once the main window is shown.
void BM_StartCheck(benchmark::State &state) {
    for (auto _ : state) {
        const DatabaseCheck check = checkDatabaseFile(StatsDb::FileName, StatsConnection::kProgramLockWait);
        if (check.verdict != DatabaseCheck::Verdict::Good) {
            state.SkipWithError(check.reason.toUtf8().constData());
            return;
        }
    }
}
BENCHMARK(BM_StartCheck)->Unit(benchmark::kMillisecond);

// A restore of the newest backup: staging, the record, the renames.
void BM_Restore(benchmark::State &state) {
    const std::vector<BackupEntry> backups = listBackups(QStringLiteral("."));
    if (backups.empty() && !makeBackup(QStringLiteral("."), QDateTime::currentDateTime(), {}).ok()) {
        state.SkipWithError("no backup");
        return;
    }
    const BackupEntry newest = listBackups(QStringLiteral(".")).front();
    for (auto _ : state) {
        const Status restored = restoreBackup(QStringLiteral("."), newest, StatsConnection::kProgramLockWait);
        if (!restored.ok()) {
            state.SkipWithError(restored.error().toUtf8().constData());
            return;
        }
    }
}
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    return runBenchmarks(argc, argv, makeData);
}
