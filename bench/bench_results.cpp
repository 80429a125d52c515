// The statistics database at full size: a table "stat" of 100,000 players, and
// one of 1,000,000 for the orders and the scrolling that must stay usable there.
#include "BenchMain.h"
#include "DataFiles.h"
#include "StatTable.h"
#include "StatWrites.h"
#include "TournamentBook.h"
#include "Unit9.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int kBookPlayers = 100000;
constexpr int kMillion = 1000000;
const QString kMillionFile = QStringLiteral("million.mdb");

// The columns clicked in the benchmarks: the player and the points.
constexpr int kPlayerColumn = 1;
constexpr int kPointsColumn = 8;
// About as many rows as the grid of the result window shows.
constexpr int kVisibleRows = 10;

// Player names as a club's table has them: three Russian syllables, most often
// with a capital, some with ё, made unique by a number. The ids do not follow
// the alphabet. The database is filled by SQL of the same making (below).
const char16_t *const kSyllables[] = {u"ан", u"бо", u"ве", u"гр", u"до", u"ёж", u"жу", u"за", u"ки", u"ло", u"ми",
                                      u"ну", u"ор", u"пе", u"ря", u"се", u"ту", u"фё", u"ха", u"це", u"чи", u"ша",
                                      u"щу", u"эл", u"юр", u"яс", u"ев", u"ёл", u"ос", u"ил", u"ам", u"ук"};

QString playerName(int k) {
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

// A database of `players` rows, made by one statement that SQLite runs on its
// own, so that even a million rows take only seconds, in the sanitizers' build
// too. The names are those of playerName(): checked on three of them.
bool makeDatabase(const QString &fileName, int players) {
    const Result<QByteArray> schema = readFileBytes(QStringLiteral(KORVANA_SCHEMA));
    if (!schema.ok() || !createStatsDatabase(fileName, QString::fromUtf8(schema.value())).ok()) {
        return false;
    }
    QString lower;
    for (const char16_t *syllable : kSyllables) {
        lower += QString::fromUtf16(syllable);
    }
    QString upper = lower;
    for (qsizetype k = 0; k < upper.size(); k += 2) {
        upper[k] = upper[k].toUpper();
    }
    const QByteArray sql =
        QStringLiteral("WITH RECURSIVE n(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM n WHERE k + 1 < %1), "
                       "h(k, x) AS (SELECT k, k * 2654435761 %% 4294967296 FROM n) "
                       "INSERT INTO stat (Игрок, Побед, Забито, Очки) "
                       "SELECT substr(CASE WHEN x / 32768 %% 5 = 0 THEN '%2' ELSE '%3' END, x %% 32 * 2 + 1, 2) "
                       "|| substr('%2', x / 32 %% 32 * 2 + 1, 2) || substr('%2', x / 1024 %% 32 * 2 + 1, 2) "
                       "|| ' ' || k, k %% 7, k %% 101, k * 40503 %% 4294967296 %% 97 FROM h")
            .arg(players)
            .arg(lower, upper)
            .replace(QStringLiteral("%%"), QStringLiteral("%"))
            .toUtf8();
    sqlite3 *db = nullptr;
    bool made = sqlite3_open_v2(fileName.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr) == SQLITE_OK;
    // The indexes of the schema are made again after the rows: one sort instead of
    // a million inserts at random places.
    std::vector<std::pair<QByteArray, QByteArray>> indexes;
    sqlite3_stmt *listed = nullptr;
    made =
        made && sqlite3_prepare_v2(db, "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL",
                                   -1, &listed, nullptr) == SQLITE_OK;
    while (made && sqlite3_step(listed) == SQLITE_ROW) {
        indexes.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(listed, 0)),
                             reinterpret_cast<const char *>(sqlite3_column_text(listed, 1)));
    }
    sqlite3_finalize(listed);
    for (const auto &[name, definition] : indexes) {
        const QByteArray drop = "DROP INDEX \"" + name + '"';
        made = made && sqlite3_exec(db, drop.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    made = made && sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    for (const auto &[name, definition] : indexes) {
        made = made && sqlite3_exec(db, definition.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_stmt *check = nullptr;
    made = made && sqlite3_prepare_v2(db, "SELECT Игрок FROM stat WHERE id = ?", -1, &check, nullptr) == SQLITE_OK;
    for (const int k : {0, 17, players - 1}) {
        sqlite3_bind_int(check, 1, k + 1);
        made = made && sqlite3_step(check) == SQLITE_ROW &&
               QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(check, 0))) == playerName(k);
        sqlite3_reset(check);
    }
    sqlite3_finalize(check);
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
const TournamentEntry kEntry{{"Arsenal", "Milan", "Porto"},
                             parseScores({"2", "1", "0", "0", "1", "2", "1", "1", "3", "1", "2", "2"}).value(),
                             {}};

// One tournament of three known players: three lookups, three updates, the
// book's tournament, three rows and six matches, one commit.
void BM_WriteTournament(benchmark::State &state) {
    const std::unique_ptr<StatsConnection> connection = openOrSkip(state, StatsDb::FileName);
    if (!connection) {
        return;
    }
    for (auto _ : state) {
        if (!writeTournament(*connection, kTournament, kEntry).ok()) {
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
        TForm9 window(TForm9::openDatabase(StatsConnection::kProgramLockWait), QDate::currentDate());
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
        if (!writeTournament(*connection, kTournament, kEntry).ok() || !table.reload().ok()) {
            state.SkipWithError("the write or the reading failed");
            break;
        }
        readVisibleRows(table);
    }
    view.setModel(nullptr);
}
BENCHMARK(BM_WriteThenReread)->Arg(kPlayerColumn)->Arg(kPointsColumn)->Unit(benchmark::kMillisecond);

// The scroll bar of a grid of a million rows, in the order it opens with, dragged
// from the top to the end: the rows the grid shows at each of a thousand places,
// a page read for each.
// Reports how many rows the table holds in memory at the end.
void BM_DragScrollBarMillion(benchmark::State &state) {
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
    constexpr int kPlaces = 1000;
    for (auto _ : state) {
        for (int place = 1; place <= kPlaces; ++place) {
            const int top = static_cast<int>(static_cast<qint64>(table.rowCount() - kVisibleRows) * place / kPlaces);
            for (int r = top; r < top + kVisibleRows; ++r) {
                for (int column = 0; column < table.columnCount(); ++column) {
                    benchmark::DoNotOptimize(table.data(table.index(r, column)));
                }
            }
        }
    }
    state.counters["held_rows"] = table.heldRows();
}
BENCHMARK(BM_DragScrollBarMillion)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    return runBenchmarks(argc, argv, [] {
        if (!makeDatabase(StatsDb::FileName, kBookPlayers)) {
            std::fprintf(stderr, "cannot make the database of %d players\n", kBookPlayers);
            return false;
        }
        return true;
    });
}
