// The statistics database at full size: a table "stat" of 100,000 players.
#include "BenchMain.h"
#include "DataFiles.h"
#include "StatTable.h"
#include "StatsDatabase.h"
#include "Unit9.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int kPlayers = 100000;

QString playerName(int k) {
    return QStringLiteral("Игрок %1").arg(k, 6, 10, QLatin1Char('0'));
}

bool makeFullSizeDatabase() {
    const Result<QByteArray> schema = readFileBytes(QStringLiteral(KORVANA_SCHEMA));
    if (!schema.ok() || !createStatsDatabase(StatsDb::FileName, QString::fromUtf8(schema.value())).ok()) {
        return false;
    }
    Result<std::unique_ptr<StatsConnection>> opened = StatsConnection::open(StatsDb::FileName);
    if (!opened.ok()) {
        return false;
    }
    QSqlDatabase db = opened.value()->database();
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO stat (Игрок, Побед, Очки) VALUES (?, ?, ?)"));
    for (int k = 0; k < kPlayers; ++k) {
        insert.addBindValue(playerName(k));
        insert.addBindValue(k % 7);
        insert.addBindValue(k % 31);
        if (!insert.exec()) {
            return false;
        }
    }
    return db.commit();
}

// One tournament of three known players: three lookups, three updates, one commit.
void BM_WriteTournament(benchmark::State &state) {
    Result<std::unique_ptr<StatsConnection>> opened = StatsConnection::open(StatsDb::FileName);
    if (!opened.ok()) {
        state.SkipWithError("cannot open the database");
        return;
    }
    const StatsConnection &connection = *opened.value();
    const std::array<PlayerFigures, 3> tournament = {
        PlayerFigures{playerName(17), "3", "1", "0", "7", "2", "5", "10", "1"},
        PlayerFigures{playerName(50000), "0", "2", "2", "4", "6", "-2", "2", "3"},
        PlayerFigures{playerName(99999), "1", "1", "2", "3", "6", "-3", "4", "2"}};
    for (auto _ : state) {
        if (!writeTournament(connection, tournament).ok()) {
            state.SkipWithError("the write failed");
            break;
        }
    }
}
BENCHMARK(BM_WriteTournament)->Unit(benchmark::kMillisecond);

// The result window's creation: the connection and every row of the table, read
// into the grid's model.
void BM_ResultWindowFirstFill(benchmark::State &state) {
    for (auto _ : state) {
        TForm9 window(TForm9::openDatabase(), QDate::currentDate());
        benchmark::DoNotOptimize(window.findChild<QTableView *>(QStringLiteral("DBGrid1"))->model()->rowCount());
    }
}
BENCHMARK(BM_ResultWindowFirstFill)->Unit(benchmark::kMillisecond);

// A click on the player column's title: the whole table sorted by the Russian
// collation and read.
void BM_OrderByPlayer(benchmark::State &state) {
    Result<std::unique_ptr<StatsConnection>> opened = StatsConnection::open(StatsDb::FileName);
    if (!opened.ok()) {
        state.SkipWithError("cannot open the database");
        return;
    }
    for (auto _ : state) {
        StatTable table(*opened.value());
        if (!table.orderBy(1).ok()) {
            state.SkipWithError("the ordering failed");
            break;
        }
        benchmark::DoNotOptimize(table.rowCount());
    }
}
BENCHMARK(BM_OrderByPlayer)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    return runBenchmarks(argc, argv, [] {
        if (!makeFullSizeDatabase()) {
            std::fprintf(stderr, "cannot make the database of %d players\n", kPlayers);
            return false;
        }
        return true;
    });
}
