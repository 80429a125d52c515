// The statistics database at full size: a table "stat" of 100,000 players, and
// one of 1,000,000 for the orders and the scrolling that must stay usable there.
#include "BenchMain.h"
#include "DataFiles.h"
#include "StatTable.h"
#include "StatsDatabase.h"
#include "Unit9.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr int kPlayers = 100000;
constexpr int kMillion = 1000000;
const QString kMillionFile = QStringLiteral("million.mdb");

// The columns clicked in the benchmarks: the player and the points.
constexpr int kPlayerColumn = 1;
constexpr int kPointsColumn = 8;
// About as many rows as the grid of the result window shows.
constexpr int kVisibleRows = 10;

// Player names as a club's table has them: Russian syllables, most of them
// capitalised, some with ё, each made unique by a number. The ids do not follow
// the alphabet.
QString playerName(int k) {
    static const char16_t *const kSyllables[] = {
        u"ан", u"бо", u"ве", u"гр", u"до", u"ёж", u"жу", u"за", u"ки", u"ло", u"ми", u"ну", u"ор", u"пе", u"ря", u"се",
        u"ту", u"фё", u"ха", u"це", u"чи", u"ша", u"щу", u"эл", u"юр", u"яс", u"ев", u"ёл", u"ос", u"ил", u"ам", u"ук"};
    std::uint32_t hash = static_cast<std::uint32_t>(k) * 2654435761u;
    QString name;
    for (int s = 0; s < 3; ++s) {
        name += QString::fromUtf16(kSyllables[hash % 32]);
        hash /= 32;
    }
    if (hash % 5 != 0) {
        name[0] = name[0].toUpper();
    }
    return name + u' ' + QString::number(k);
}

// A database of `players` rows, inserted through SQLite itself in one transaction
// with one prepared statement, so that even a million rows take only seconds.
bool makeDatabase(const QString &fileName, int players) {
    const Result<QByteArray> schema = readFileBytes(QStringLiteral(KORVANA_SCHEMA));
    if (!schema.ok() || !createStatsDatabase(fileName, QString::fromUtf8(schema.value())).ok()) {
        return false;
    }
    sqlite3 *db = nullptr;
    bool made = sqlite3_open_v2(fileName.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                sqlite3_exec(db, "PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt *insert = nullptr;
    made = made && sqlite3_prepare_v2(db, "INSERT INTO stat (Игрок, Побед, Забито, Очки) VALUES (?, ?, ?, ?)", -1,
                                      &insert, nullptr) == SQLITE_OK;
    for (int k = 0; made && k < players; ++k) {
        const QByteArray name = playerName(k).toUtf8();
        sqlite3_bind_text(insert, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 2, k % 7);
        sqlite3_bind_int(insert, 3, k % 101);
        sqlite3_bind_int(insert, 4, static_cast<int>((static_cast<std::uint32_t>(k) * 40503u) % 97));
        made = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
    }
    sqlite3_finalize(insert);
    made = made && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return made;
}

// The database of a million players, made by the first benchmark that needs it.
bool millionMade() {
    static const bool made = makeDatabase(kMillionFile, kMillion);
    return made;
}

std::unique_ptr<StatsConnection> openOrSkip(benchmark::State &state, const QString &fileName) {
    Result<std::unique_ptr<StatsConnection>> opened = StatsConnection::open(fileName);
    if (!opened.ok()) {
        state.SkipWithError("cannot open the database");
        return nullptr;
    }
    return std::move(opened).value();
}

// What the grid asks for to paint the rows it shows first.
void readVisibleRows(const QAbstractItemModel &model) {
    const int rows = std::min(model.rowCount(), kVisibleRows);
    for (int r = 0; r < rows; ++r) {
        for (int column = 0; column < model.columnCount(); ++column) {
            benchmark::DoNotOptimize(model.data(model.index(r, column)));
        }
    }
}

const std::array<PlayerFigures, 3> kTournament = {
    PlayerFigures{playerName(17), "3", "1", "0", "7", "2", "5", "10", "1"},
    PlayerFigures{playerName(50000), "0", "2", "2", "4", "6", "-2", "2", "3"},
    PlayerFigures{playerName(99999), "1", "1", "2", "3", "6", "-3", "4", "2"}};

// One tournament of three known players: three lookups, three updates, one commit.
void BM_WriteTournament(benchmark::State &state) {
    const std::unique_ptr<StatsConnection> connection = openOrSkip(state, StatsDb::FileName);
    if (!connection) {
        return;
    }
    for (auto _ : state) {
        if (!writeTournament(*connection, kTournament).ok()) {
            state.SkipWithError("the write failed");
            break;
        }
    }
}
BENCHMARK(BM_WriteTournament)->Unit(benchmark::kMillisecond);

// The result window's creation: the connection, the first reading of the table
// into the grid's model, and the rows that the grid shows first.
void BM_ResultWindowFirstFill(benchmark::State &state) {
    for (auto _ : state) {
        TForm9 window;
        const QAbstractItemModel *model = window.findChild<QTableView *>(QStringLiteral("DBGrid1"))->model();
        readVisibleRows(*model);
        benchmark::DoNotOptimize(model->rowCount());
    }
}
BENCHMARK(BM_ResultWindowFirstFill)->Unit(benchmark::kMillisecond);

// A click on a column's title in a grid that shows the index order: the whole
// table in the new order, and the rows the grid shows first.
void titleClick(benchmark::State &state, const QString &fileName) {
    const std::unique_ptr<StatsConnection> connection = openOrSkip(state, fileName);
    if (!connection) {
        return;
    }
    const int column = static_cast<int>(state.range(0));
    QTableView view;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<StatTable>(*connection);
        view.setModel(table.get());
        const bool read = table->reload().ok();
        state.ResumeTiming();
        if (!read || !table->orderBy(column).ok()) {
            state.SkipWithError("the reading failed");
            break;
        }
        readVisibleRows(*table);
        state.PauseTiming();
        view.setModel(nullptr);
        table.reset();
        state.ResumeTiming();
    }
}

void BM_TitleClick(benchmark::State &state) {
    titleClick(state, StatsDb::FileName);
}
BENCHMARK(BM_TitleClick)->Arg(kPlayerColumn)->Arg(kPointsColumn)->Unit(benchmark::kMillisecond);

void BM_TitleClickMillion(benchmark::State &state) {
    if (!millionMade()) {
        state.SkipWithError("cannot make the database of a million players");
        return;
    }
    titleClick(state, kMillionFile);
}
BENCHMARK(BM_TitleClickMillion)->Arg(kPlayerColumn)->Unit(benchmark::kMillisecond);

// "Записать в базу" in a grid ordered by a column: the write of three rows and
// the reading that shows them, as one wait for another program's lock.
void BM_WriteThenReread(benchmark::State &state) {
    const std::unique_ptr<StatsConnection> connection = openOrSkip(state, StatsDb::FileName);
    if (!connection) {
        return;
    }
    StatTable table(*connection);
    QTableView view;
    view.setModel(&table);
    if (!table.orderBy(static_cast<int>(state.range(0))).ok()) {
        state.SkipWithError("the reading failed");
        return;
    }
    for (auto _ : state) {
        const StatsConnection::LockWaitScope wait(*connection);
        if (!writeTournament(*connection, kTournament).ok() || !table.reload().ok()) {
            state.SkipWithError("the write or the reading failed");
            break;
        }
        readVisibleRows(table);
    }
    view.setModel(nullptr);
}
BENCHMARK(BM_WriteThenReread)->Arg(kPlayerColumn)->Arg(kPointsColumn)->Unit(benchmark::kMillisecond);

// The grid of a million rows scrolled from the top to the end, every row read.
void BM_ScrollMillion(benchmark::State &state) {
    if (!millionMade()) {
        state.SkipWithError("cannot make the database of a million players");
        return;
    }
    const std::unique_ptr<StatsConnection> connection = openOrSkip(state, kMillionFile);
    if (!connection) {
        return;
    }
    StatTable table(*connection);
    if (!table.reload().ok()) {
        state.SkipWithError("the reading failed");
        return;
    }
    for (auto _ : state) {
        for (int r = 0; r < table.rowCount(); ++r) {
            benchmark::DoNotOptimize(table.data(table.index(r, kPlayerColumn)));
        }
    }
}
BENCHMARK(BM_ScrollMillion)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    return runBenchmarks(argc, argv, [] {
        if (!makeDatabase(StatsDb::FileName, kPlayers)) {
            std::fprintf(stderr, "cannot make the database of %d players\n", kPlayers);
            return false;
        }
        return true;
    });
}
