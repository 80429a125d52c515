// The history window over a book of 10,000 tournaments: its creation, its first
// reading and its first showing, and the chart's first showing.
#include "BenchMain.h"
#include "BookCorrection.h"
#include "BookReader.h"
#include "BookUndo.h"
#include "CorrectionPreview.h"
#include "DataFiles.h"
#include "FinishGrid.h"
#include "LeagueBook.h"
#include "Ratings.h"
#include "Records.h"
#include "Seasons.h"
#include "SharePicture.h"
#include "StatsConnection.h"
#include "Unit10.h"

#include <QApplication>
#include <QTabWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr int kTournaments = 10000;

// Ten players in turn, three to a tournament, each with a team of forty, and
// six matches of small scores; the figures need not add up for the reading.
bool makeBook(const QString &fileName) {
    const Result<QByteArray> schema = readFileBytes(QStringLiteral(KORVANA_SCHEMA));
    if (!schema.ok() || !createStatsDatabase(fileName, QString::fromUtf8(schema.value())).ok()) {
        return false;
    }
    const QByteArray sql =
        QStringLiteral(
            "BEGIN;"
            "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < %1) "
            "INSERT INTO tournament (id, written) SELECT k, datetime('2020-01-01', '+' || k || ' hours') FROM n;"
            "WITH r(row) AS (VALUES (1), (2), (3)) "
            "INSERT INTO tournament_player (tournament, row, player, team, wins, draws, losses, scored, conceded, "
            "difference, points, place) SELECT t.id, r.row, 'Игрок ' || ((t.id + r.row * 3) % 10), "
            "'Команда ' || ((t.id * 7 + r.row) % 40), r.row % 3, 1, 2 - r.row % 3, 4 + r.row, 5, r.row - 1, "
            "3 * (r.row % 3) + 1, r.row FROM tournament t, r;"
            "WITH c(h, a) AS (VALUES (1, 2), (2, 1), (1, 3), (3, 1), (2, 3), (3, 2)) "
            "INSERT INTO tournament_match SELECT t.id, c.h, c.a, (t.id + c.h) % 4, (t.id + c.a) % 3 "
            "FROM tournament t, c;"
            "INSERT INTO stat (\"Игрок\") SELECT DISTINCT player FROM tournament_player;"
            "COMMIT;")
            .arg(kTournaments)
            .toUtf8();
    sqlite3 *db = nullptr;
    bool made = sqlite3_open(fileName.toUtf8().constData(), &db) == SQLITE_OK &&
                sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!made) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
    }
    sqlite3_close(db);
    return made;
}

// From nothing to the window shown with its list, cross table, head-to-head
// and teams read: what a click on "История турниров..." costs the first time.
void BM_HistoryWindowOpens(benchmark::State &state) {
    for (auto _ : state) {
        TForm10 window;
        window.openHistory();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HistoryWindowOpens)->Unit(benchmark::kMillisecond);

// Each reading of the window's first showing on its own.
template <typename Read> void readOnce(benchmark::State &state, Read read) {
    Result<std::unique_ptr<StatsConnection>> opened = StatsConnection::open(StatsDb::FileName);
    if (!opened.ok()) {
        state.SkipWithError("cannot open the database");
        return;
    }
    for (auto _ : state) {
        auto result = read(*opened.value());
        benchmark::DoNotOptimize(result.ok());
    }
}
void BM_ReadTournaments(benchmark::State &state) {
    readOnce(state, [](const StatsConnection &c) { return readTournaments(c); });
}
void BM_ReadPlayers(benchmark::State &state) {
    readOnce(state, [](const StatsConnection &c) { return readBookPlayers(c); });
}
void BM_ReadHeadToHead(benchmark::State &state) {
    readOnce(state, [](const StatsConnection &c) {
        return readHeadToHead(c, QStringLiteral("Игрок 0"), QStringLiteral("Игрок 1"));
    });
}
void BM_ReadTeamRecords(benchmark::State &state) {
    readOnce(state, [](const StatsConnection &c) { return readTeamRecords(c); });
}
void BM_ReadPointsProgress(benchmark::State &state) {
    readOnce(state, [](const StatsConnection &c) { return readPointsProgress(c); });
}
BENCHMARK(BM_ReadTournaments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPlayers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadHeadToHead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTeamRecords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPointsProgress)->Unit(benchmark::kMillisecond);

// Each figure of the league as a tab reads it: the book read in one pass, then
// computed in memory.
template <typename Compute> void readLeague(benchmark::State &state, Compute compute) {
    readOnce(state, [&compute](const StatsConnection &c) {
        Result<LeagueBook> book = readLeagueBook(c);
        if (book.ok()) {
            benchmark::DoNotOptimize(compute(book.value()));
        }
        return book;
    });
}
void BM_LeagueBookRead(benchmark::State &state) {
    readLeague(state, [](const LeagueBook &book) { return book.size(); });
}
void BM_LeagueRatings(benchmark::State &state) {
    readLeague(state, [](const LeagueBook &book) { return rateBook(book).players.size(); });
}
void BM_LeagueSeasons(benchmark::State &state) {
    readLeague(state, [](const LeagueBook &book) {
        const Ratings ratings = rateBook(book);
        return seasonTable(book, ratings, std::nullopt).size() + seasonChampions(book, ratings).size();
    });
}
void BM_LeagueRecords(benchmark::State &state) {
    readLeague(state, [](const LeagueBook &book) { return findRecords(book, rateBook(book)).size(); });
}
void BM_LeagueFinishGrid(benchmark::State &state) {
    readLeague(state, [](const LeagueBook &book) { return finishGrid(book).players.size(); });
}
// "Поделиться...": the book read and rated, the newest tournament drawn and
// encoded as PNG.
void BM_SharePicture(benchmark::State &state) {
    readLeague(state, [](const LeagueBook &book) {
        const Ratings ratings = rateBook(book);
        const std::size_t last = book.size() - 1;
        const SharePicture picture =
            drawSharePicture(book[last], ratings.tournamentChanges[last], ratings.ratingsAfter[last]);
        return sharePictureBytes(picture.image).size();
    });
}
BENCHMARK(BM_SharePicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LeagueBookRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LeagueRatings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LeagueSeasons)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LeagueRecords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LeagueFinishGrid)->Unit(benchmark::kMillisecond);

// "Исправить турнир..." on the oldest tournament, whose correction moves every
// rating after it: what opening the window costs (the tournament and the book
// read, the league computed once, the first preview), and what each change of
// a score costs (the league computed again with the new scores in place).
std::unique_ptr<CorrectionPreviewer> openCorrection(const StatsConnection &connection) {
    Result<TournamentToCorrect> tournament = readTournamentToCorrect(connection, 1);
    Result<LeagueBook> book = readLeagueBook(connection);
    if (!tournament.ok() || !book.ok()) {
        return nullptr;
    }
    return std::make_unique<CorrectionPreviewer>(std::move(tournament).value(), std::move(book).value());
}
Matches changedScores(const TournamentToCorrect &tournament, qint64 goals) {
    Matches matches = tournament.matches;
    matches[0].homeGoals = goals;
    return matches;
}
void BM_CorrectionOpens(benchmark::State &state) {
    readOnce(state, [](const StatsConnection &c) -> Status {
        std::unique_ptr<CorrectionPreviewer> previewer = openCorrection(c);
        if (!previewer) {
            return Failure{QStringLiteral("the correction did not open")};
        }
        benchmark::DoNotOptimize(previewer->preview(previewer->tournament().matches).ratings.size());
        return {};
    });
}
void BM_CorrectionPreview(benchmark::State &state) {
    Result<std::unique_ptr<StatsConnection>> connection = StatsConnection::open(StatsDb::FileName);
    std::unique_ptr<CorrectionPreviewer> previewer = connection.ok() ? openCorrection(*connection.value()) : nullptr;
    if (!previewer) {
        state.SkipWithError("the correction did not open");
        return;
    }
    qint64 goals = 0;
    for (auto _ : state) {
        const CorrectionPreview preview = previewer->preview(changedScores(previewer->tournament(), 5 + goals++ % 5));
        benchmark::DoNotOptimize(preview.ratings.size() + preview.records.size());
    }
}
// "Сохранить" and then "Отменить последнее изменение...": the two transactions.
void BM_CorrectionSavedAndTakenBack(benchmark::State &state) {
    Result<std::unique_ptr<StatsConnection>> connection = StatsConnection::open(StatsDb::FileName);
    if (!connection.ok()) {
        state.SkipWithError("no connection");
        return;
    }
    const StatsConnection &c = *connection.value();
    for (auto _ : state) {
        const Result<TournamentToCorrect> tournament = readTournamentToCorrect(c, 1);
        const bool saved =
            tournament.ok() && correctTournament(c, tournament.value(), changedScores(tournament.value(), 9)).ok();
        const Result<NewestChange> newest = newestChange(c);
        if (!saved || !newest.ok() || !undoNewestChange(c, newest.value()).ok()) {
            state.SkipWithError("the correction or its undo failed");
            return;
        }
    }
}
BENCHMARK(BM_CorrectionOpens)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrectionPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrectionSavedAndTakenBack)->Unit(benchmark::kMillisecond);

// The chart's tab shown the first time: the points read and the lines filled.
void BM_HistoryChartShown(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        TForm10 window;
        window.openHistory();
        QApplication::processEvents();
        auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
        state.ResumeTiming();
        tabs->setCurrentIndex(tabs->count() - 1);
        QApplication::processEvents();
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HistoryChartShown)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    return runBenchmarks(argc, argv, [] { return makeBook(StatsDb::FileName); });
}
