#include "BookFixture.h"
#include "FinishGrid.h"
#include "LeagueBook.h"
#include "Ratings.h"
#include "Records.h"
#include "Seasons.h"
#include "SharePicture.h"
#include "StatsConnection.h"
#include "Unit10.h"

#include <QAction>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

namespace {

// Three tournaments across a year boundary, the figures of each row worked out
// from its six matches (in the order (1,2) (1,3) (2,1) (2,3) (3,1) (3,2)):
//   2025-12-20  Аня 1st 7 pts +5, Боря 2nd 5 pts +1, Вова 3rd 4 pts −6
//               1:1, 3:1 (a margin of 2), 0:4 (a margin of 4), 2:2, 1:0, 0:5
//   2026-01-03  Боря 1st 10 pts +6, Аня 2nd 5 pts −1, Гена 3rd 1 pt −5
//   2026-01-10  Аня 1st 10 pts +6, Боря 2nd 5 pts −1, Гена 3rd 1 pt −5
// The last two mirror each other, so that Аня and Боря tie for the 2026 season.
QStringList leagueSql() {
    return {
        u8("INSERT INTO tournament (id, written) VALUES (1, '2025-12-20 20:00:00'), (2, '2026-01-03 20:00:00'), "
           "(3, '2026-01-10 20:00:00')"),
        u8("INSERT INTO tournament_player (tournament, row, player, team, wins, draws, losses, scored, conceded, "
           "difference, points, place) VALUES "
           "(1, 1, 'Аня', 'Милан', 2, 1, 1, 8, 3, 5, 7, 1), (1, 2, 'Боря', 'Рома', 1, 2, 1, 8, 7, 1, 5, 2), "
           "(1, 3, 'Вова', 'Ювентус', 1, 1, 2, 4, 10, -6, 4, 3), "
           "(2, 1, 'Боря', 'Челси', 3, 1, 0, 7, 1, 6, 10, 1), (2, 2, 'Аня', 'Ливерпуль', 1, 2, 1, 4, 5, -1, 5, 2), "
           "(2, 3, 'Гена', 'Наполи', 0, 1, 3, 2, 7, -5, 1, 3), "
           "(3, 1, 'Аня', 'Бавария', 3, 1, 0, 7, 1, 6, 10, 1), (3, 2, 'Боря', 'Интер', 1, 2, 1, 4, 5, -1, 5, 2), "
           "(3, 3, 'Гена', 'Реал', 0, 1, 3, 2, 7, -5, 1, 3)"),
        u8("INSERT INTO tournament_match VALUES "
           "(1, 1, 2, 1, 1), (1, 1, 3, 3, 1), (1, 2, 1, 0, 4), (1, 2, 3, 2, 2), (1, 3, 1, 1, 0), (1, 3, 2, 0, 5), "
           "(2, 1, 2, 2, 0), (2, 1, 3, 3, 0), (2, 2, 1, 1, 1), (2, 2, 3, 2, 1), (2, 3, 1, 0, 1), (2, 3, 2, 1, 1), "
           "(3, 1, 2, 2, 0), (3, 1, 3, 3, 0), (3, 2, 1, 1, 1), (3, 2, 3, 2, 1), (3, 3, 1, 0, 1), (3, 3, 2, 1, 1)"),
    };
}

QString grouped(int number) {
    return QLocale(QLocale::Russian).toString(number);
}

} // namespace

class League : public StatsFileTest {
protected:
    void SetUp() override {
        StatsFileTest::SetUp();
        makeStatsDatabase(path(StatsDb::FileName));
        execOnStats(path(StatsDb::FileName), leagueSql());
        openConnection();
        Result<LeagueBook> read = readLeagueBook(*connection);
        ASSERT_TRUE(read.ok()) << read.error().toStdString();
        book = std::move(read).value();
        ratings = rateBook(book);
    }

    LeagueBook book;
    Ratings ratings;
};

TEST(LeagueElo, TheFormulaGivesTheWorldFootballFigures) {
    EXPECT_DOUBLE_EQ(expectedScore(1500, 1500), 0.5);
    EXPECT_NEAR(expectedScore(1600, 1500), 0.640065, 1e-6);
    EXPECT_DOUBLE_EQ(marginFactor(0), 1.0);
    EXPECT_DOUBLE_EQ(marginFactor(-1), 1.0);
    EXPECT_DOUBLE_EQ(marginFactor(2), 1.5);
    EXPECT_DOUBLE_EQ(marginFactor(-3), 14.0 / 8);
    EXPECT_DOUBLE_EQ(marginFactor(4), 15.0 / 8);
    EXPECT_DOUBLE_EQ(ratingChange(1500, 1500, 1, 1), 0.0);
    EXPECT_DOUBLE_EQ(ratingChange(1500, 1500, 3, 1), 15.0);
}

// Worked by hand: Аня–Вова 3:1 at 1500 each is 20·1.5·(1 − 0.5) = +15; then
// Боря (1500) – Аня (1515) 0:4 gives Боря We = 1/(10^(15/400) + 1) = 0.478427
// and 20·1.875·(0 − 0.478427) = −17.941.
TEST_F(League, RatingsFollowEveryMatchInOrder) {
    ASSERT_EQ(book.size(), 3U);
    EXPECT_EQ(book[0].matches.size(), 6U);
    ASSERT_EQ(ratings.matches.size(), 18U);
    EXPECT_DOUBLE_EQ(ratings.matches[0].change, 0.0) << "a draw between equals";
    EXPECT_DOUBLE_EQ(ratings.matches[1].change, 15.0);
    EXPECT_NEAR(ratings.matches[2].homeBefore, 1500, 1e-9);
    EXPECT_NEAR(ratings.matches[2].awayBefore, 1515, 1e-9);
    EXPECT_NEAR(ratings.matches[2].change, -17.9410, 1e-4);

    const std::vector<std::pair<const char *, double>> expected{
        {"Аня", 1551.7479}, {"Боря", 1532.2369}, {"Вова", 1475.4751}, {"Гена", 1440.5401}};
    ASSERT_EQ(ratings.players.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(ratings.players[k].player, u8(expected[k].first)) << "highest first";
        EXPECT_NEAR(ratings.players[k].rating, expected[k].second, 1e-4) << expected[k].first;
    }
    const PlayerRating *anya = ratings.find(u8("Аня"));
    ASSERT_NE(anya, nullptr);
    EXPECT_EQ(anya->tournaments, 3);
    EXPECT_NEAR(anya->lastChange, 37.2331, 1e-4);
    EXPECT_NEAR(anya->peak, 1551.7479, 1e-4);
    EXPECT_EQ(anya->peakWritten, u8("2026-01-10 20:00:00"));
    // Вова peaked inside his only tournament, not at its end.
    const PlayerRating *vova = ratings.find(u8("Вова"));
    EXPECT_NEAR(vova->peak, 1496.2889, 1e-4);
    EXPECT_NEAR(vova->lastChange, -24.5249, 1e-4);
    // Гена's line starts at his first tournament.
    const PlayerRating *gena = ratings.find(u8("Гена"));
    ASSERT_EQ(gena->history.size(), 2U);
    EXPECT_EQ(gena->history[0].first, 1U);
    EXPECT_NEAR(gena->history[0].second, 1467.2624, 1e-4);
    // Each row's change over the first tournament; the three add up to nothing.
    const PerPlayer<double> &first = ratings.tournamentChanges[0];
    EXPECT_NEAR(first[0], 21.5674, 1e-4);
    EXPECT_NEAR(first[0] + first[1] + first[2], 0.0, 1e-9);
}

TEST_F(League, SeasonsAreCalendarYearsWithTheirTablesAndChampions) {
    EXPECT_EQ(seasonYears(book), (std::vector<int>{2026, 2025}));

    const std::vector<SeasonRow> only = seasonTable(book, ratings, 2025);
    ASSERT_EQ(only.size(), 3U);
    EXPECT_EQ(only[0].player, u8("Аня"));
    EXPECT_EQ(only[0].tournaments, 1);
    EXPECT_NEAR(only[0].ratingAtEnd, 1521.5674, 1e-4) << "the rating as the season ended, not now";

    const std::vector<SeasonRow> tied = seasonTable(book, ratings, 2026);
    ASSERT_EQ(tied.size(), 3U);
    for (const SeasonRow &row : {tied[0], tied[1]}) {
        EXPECT_EQ(row.titles, 1);
        EXPECT_EQ(row.seconds, 1);
        EXPECT_EQ(row.points, 15);
        EXPECT_EQ(row.goalDifference, 5);
        EXPECT_DOUBLE_EQ(row.averagePlace, 1.5);
    }
    EXPECT_EQ(tied[2].player, u8("Гена"));
    EXPECT_EQ(tied[2].thirds, 2);

    const std::vector<SeasonRow> all = seasonTable(book, ratings, std::nullopt);
    ASSERT_EQ(all.size(), 4U);
    EXPECT_EQ(all[0].player, u8("Аня")) << "two titles";
    EXPECT_EQ(all[0].titles, 2);
    EXPECT_EQ(all[0].points, 22);
    EXPECT_NEAR(all[0].ratingAtEnd, 1551.7479, 1e-4);

    const std::vector<SeasonChampion> champions = seasonChampions(book, ratings);
    ASSERT_EQ(champions.size(), 2U);
    EXPECT_EQ(champions[0].year, 2026);
    EXPECT_EQ(champions[0].tournaments, 2);
    EXPECT_EQ(champions[0].champions, (QStringList{u8("Аня"), u8("Боря")})) << "level on titles, points and goals";
    EXPECT_EQ(champions[1].champions, QStringList{u8("Аня")});
}

TEST_F(League, RecordsKeepTheirHoldersNewestFirst) {
    const std::vector<LeagueRecord> records = findRecords(book, ratings);
    ASSERT_EQ(records.size(), 7U);
    const auto holders = [&records](RecordKind kind) {
        QStringList seen;
        for (const RecordHolding &holding : records[static_cast<std::size_t>(kind)].history) {
            seen.append(QStringLiteral("%1 %2 %3").arg(holding.holder, holding.value, holding.written.left(10)));
        }
        return seen;
    };
    // Taken over: 3:1, then 4:0 by the same player in another match, then 5:0.
    EXPECT_EQ(holders(RecordKind::BiggestWin),
              (QStringList{u8("Боря 5:0 2025-12-20"), u8("Аня 4:0 2025-12-20"), u8("Аня 3:1 2025-12-20")}));
    EXPECT_EQ(records[0].history[0].detail, u8("Вова («Ювентус») — Боря («Рома») 0:5"));
    EXPECT_EQ(holders(RecordKind::MostGoalsInMatch), (QStringList{u8("Боря 5 2025-12-20"), u8("Аня 4 2025-12-20"),
                                                                  u8("Аня 3 2025-12-20"), u8("Аня 1 2025-12-20")}));
    // Equalled is not beaten: Аня's 10 points of 2026-01-10 leave it to Боря.
    EXPECT_EQ(holders(RecordKind::MostPointsInTournament),
              (QStringList{u8("Боря 10 2026-01-03"), u8("Аня 7 2025-12-20")}));
    EXPECT_EQ(holders(RecordKind::LongestTitleRun), QStringList{u8("Аня 1 2025-12-20")});
    EXPECT_EQ(holders(RecordKind::MostTitlesInSeason), QStringList{u8("Аня 1 2025-12-20")});
    // A run that goes on replaces its own entry; a new holder adds one.
    EXPECT_EQ(holders(RecordKind::LongestUnbeatenRun),
              (QStringList{u8("Аня 7 2026-01-10"), u8("Боря 6 2026-01-03"), u8("Аня 3 2025-12-20")}));
    EXPECT_EQ(holders(RecordKind::HighestRating),
              (QStringList{u8("Аня %1 2026-01-10").arg(grouped(1552)), u8("Боря %1 2026-01-03").arg(grouped(1543)),
                           u8("Аня %1 2025-12-20").arg(grouped(1533))}));
}

// Runs of titles over the tournaments a player played, and titles counted by
// season: equalling a record leaves it, carrying one's own run further
// updates one's entry.
TEST(LeagueRecords, TitleRunsAndSeasonTitlesChangeHandsWhenBeaten) {
    const auto tournament = [](const char *written, const char *first, const char *second) {
        LeagueTournament t;
        t.written = u8(written);
        const char *players[] = {first, second, "Вова"};
        for (int k = 0; k < kPlayers; ++k) {
            BookRow &row = t.rows[static_cast<std::size_t>(k)];
            row.row = k + 1;
            row.player = u8(players[k]);
            row.place = k + 1;
            row.points = 6 - 2 * k;
        }
        return t;
    };
    const LeagueBook book{
        tournament("2025-12-30 20:00:00", "Аня", "Боря"), tournament("2026-01-05 20:00:00", "Аня", "Боря"),
        tournament("2026-01-12 20:00:00", "Боря", "Аня"), tournament("2026-01-19 20:00:00", "Боря", "Аня"),
        tournament("2026-01-26 20:00:00", "Боря", "Аня")};
    const std::vector<LeagueRecord> records = findRecords(book, rateBook(book));
    const auto holders = [&records](RecordKind kind) {
        QStringList seen;
        for (const RecordHolding &holding : records[static_cast<std::size_t>(kind)].history) {
            seen.append(QStringLiteral("%1 %2 %3").arg(holding.holder, holding.value, holding.written.left(10)));
        }
        return seen;
    };
    EXPECT_EQ(holders(RecordKind::LongestTitleRun), (QStringList{u8("Боря 3 2026-01-26"), u8("Аня 2 2026-01-05")}));
    EXPECT_EQ(holders(RecordKind::MostTitlesInSeason), (QStringList{u8("Боря 3 2026-01-26"), u8("Аня 1 2025-12-30")}));
    EXPECT_EQ(records[static_cast<std::size_t>(RecordKind::MostTitlesInSeason)].history[0].detail, u8("сезон 2026"));
    EXPECT_TRUE(records[static_cast<std::size_t>(RecordKind::BiggestWin)].history.empty()) << "no matches, no win";
}

TEST_F(League, TheFinishGridHasAPlaceWhereAPlayerPlayed) {
    const FinishGrid grid = finishGrid(book);
    EXPECT_EQ(grid.players, (std::vector<QString>{u8("Аня"), u8("Боря"), u8("Гена"), u8("Вова")}));
    ASSERT_EQ(grid.written.size(), 3U);
    EXPECT_EQ(grid.places[0], (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(grid.places[2], (std::vector<int>{0, 3, 3}));
    EXPECT_EQ(grid.places[3], (std::vector<int>{3, 0, 0}));
}

// Date order, not the order of writing: a tournament written later with an
// earlier date (a restore, a hand edit) is rated where its date puts it.
TEST_F(League, TheBookIsReadInDateOrder) {
    execOnStats(path(StatsDb::FileName), {u8("UPDATE tournament SET written = '2025-12-01 20:00:00' WHERE id = 3")});
    const Result<LeagueBook> read = readLeagueBook(*connection);
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(read.value().size(), 3U);
    EXPECT_EQ(read.value()[0].id, 3);
    EXPECT_EQ(read.value()[0].matches.size(), 6U);
    const RatedMatch first = rateBook(read.value()).matches[0];
    EXPECT_EQ(first.homeBefore, kStartRating);
    EXPECT_EQ(first.awayBefore, kStartRating);
    EXPECT_DOUBLE_EQ(first.change, 15.0) << "2:0 between newcomers";
}

// The picture for the group chat: 1080 pixels wide, every text inside it and
// at least 28 pixels high, everything a friend asks about, and small.
TEST_F(League, ThePictureOfATournamentHoldsItsResultInLargeText) {
    LeagueTournament last = book[2];
    last.rows[2].player = u8("Гена %3"); // a name that a chained arg() would eat
    // A name of 110,000 characters: cut, quickly, and never with his figures.
    last.rows[1].player = QString(u8("Борис Длиннофамильный ")).repeated(5000);
    const SharePicture picture = drawSharePicture(last, ratings.tournamentChanges[2], ratings.ratingsAfter[2]);
    EXPECT_EQ(picture.image.width(), kSharePictureWidth);
    QStringList texts;
    for (const auto &[text, box] : picture.texts) {
        texts.append(text);
        EXPECT_TRUE(picture.image.rect().contains(box)) << text.toStdString();
        EXPECT_GE(box.height(), kSmallestShareText) << text.toStdString();
        // Something was drawn there: not every pixel of the line is white.
        bool inked = false;
        for (int y = box.top(); y <= box.bottom() && !inked; ++y) {
            for (int x = box.left(); x <= box.right() && !inked; ++x) {
                inked = picture.image.pixel(x, y) != qRgb(255, 255, 255);
            }
        }
        EXPECT_TRUE(inked) << text.toStdString();
    }
    const QString all = texts.join(u'\n');
    for (const char *expected : {"Турнир 10.01.2026", "Аня («Бавария»)", "Гена %3 («Реал»)", "1. Аня  2:0  Борис",
                                 "6. Гена %3  1:1  Борис", "1. Аня", "3. Гена %3"}) {
        EXPECT_TRUE(all.contains(u8(expected))) << expected << "\n" << all.toStdString();
    }
    // Every player's figures whole, the long name's too.
    EXPECT_TRUE(texts.contains(u8("10 очк., мячи 7:1, рейтинг %1 (+37,2)").arg(grouped(1552)))) << all.toStdString();
    EXPECT_EQ(texts.filter(u8("5 очк., мячи 4:5, рейтинг ")).size(), 1) << all.toStdString();
    EXPECT_TRUE(texts.contains(u8("1 очк., мячи 2:7, рейтинг %1 (−26,7)").arg(grouped(1441)))) << all.toStdString();
    const QByteArray png = sharePictureBytes(picture.image);
    EXPECT_TRUE(png.startsWith("\x89PNG"));
    EXPECT_LE(png.size(), 400 * 1024);
}

// The league's tabs in the history window, over the same book: each shows its
// figures in Russian writing, and an undo changes them at once.
class LeagueWindow : public OpenWindowsTest {
protected:
    QString cell(const char *table, int row, int column) const {
        const QTableWidgetItem *item = findIn<QTableWidget>(&program->form10(), table)->item(row, column);
        return item ? item->text() : QString();
    }
    void showTab(const char *page) const {
        findIn<QTabWidget>(&program->form10(), "PageControl1")
            ->setCurrentWidget(findIn<QWidget>(&program->form10(), page));
    }
};

TEST_F(LeagueWindow, TabsShowRatingsSeasonsRecordsAndPlacesAndFollowAnUndo) {
    writeStandardFiles();
    makeStatsDatabase(path(StatsDb::FileName));
    execOnStats(path(StatsDb::FileName), leagueSql());
    start();
    find<QAction>("N10")->trigger();
    TForm10 &history = program->form10();

    showTab("ChartPage");
    showTab("RatingPage");
    EXPECT_EQ(cell("RatingTable", 0, 0), u8("Аня"));
    EXPECT_EQ(cell("RatingTable", 0, 1), QLocale(QLocale::Russian).toString(1551.7, 'f', 1)) << "a decimal comma";
    EXPECT_EQ(cell("RatingTable", 0, 4), u8("+37,2"));
    EXPECT_EQ(cell("RatingTable", 3, 4), u8("−26,7"));
    EXPECT_EQ(cell("RatingTable", 0, 3), u8("10.01.2026"));

    // Head to head: each one's rating before each of their matches, the oldest
    // (between newcomers) last.
    showTab("HeadToHeadPage");
    findIn<QComboBox>(&history, "FirstPlayer")->setCurrentText(u8("Боря"));
    findIn<QComboBox>(&history, "SecondPlayer")->setCurrentText(u8("Аня"));
    auto *matches = findIn<QTableWidget>(&history, "HeadToHeadMatches");
    ASSERT_EQ(matches->rowCount(), 6);
    EXPECT_EQ(cell("HeadToHeadMatches", 5, 4), QLocale(QLocale::Russian).toString(1500.0, 'f', 1));
    EXPECT_EQ(cell("HeadToHeadMatches", 4, 4), QLocale(QLocale::Russian).toString(1500.0, 'f', 1));
    EXPECT_EQ(cell("HeadToHeadMatches", 4, 5), QLocale(QLocale::Russian).toString(1515.0, 'f', 1))
        << "Аня after her 3:1, from Боря's side";

    showTab("SeasonsPage");
    EXPECT_EQ(cell("ChampionTable", 0, 2), u8("Аня, Боря (поровну)"));
    EXPECT_EQ(cell("ChampionTable", 1, 0), u8("2025"));
    auto *season = findIn<QComboBox>(&history, "SeasonChoice");
    EXPECT_EQ(season->count(), 3);
    season->setCurrentText(u8("2025"));
    EXPECT_EQ(findIn<QTableWidget>(&history, "SeasonTable")->rowCount(), 3);
    EXPECT_EQ(cell("SeasonTable", 2, 7), u8("3,00"));

    showTab("RecordsPage");
    EXPECT_EQ(cell("RecordTable", 0, 1), u8("Боря"));
    EXPECT_EQ(findIn<QTableWidget>(&history, "RecordHistory")->rowCount(), 3) << "the biggest win changed hands twice";
    findIn<QTableWidget>(&history, "RecordTable")->setCurrentCell(2, 0);
    EXPECT_EQ(findIn<QTableWidget>(&history, "RecordHistory")->rowCount(), 2);

    showTab("FinishGridPage");
    const QAbstractItemModel *grid = findIn<QTableView>(&history, "FinishGrid")->model();
    EXPECT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(grid->index(3, 0).data().toInt(), 3) << "Вова, third in the first";
    EXPECT_FALSE(grid->index(3, 1).data().isValid());

    // "Поделиться..." for the newest tournament: the picture goes to the
    // clipboard and to the file chosen, ".png" added.
    showTab("TournamentsPage");
    history.setFileChooser([this](const QString &, const QString &suggested) {
        EXPECT_EQ(suggested, u8("Турнир 10.01.2026.png"));
        return path(QStringLiteral("итог"));
    });
    boxes.answers.push_back(Messages::Answer::No);
    QTest::mouseClick(findIn<QPushButton>(&history, "ShareButton"), Qt::LeftButton);
    EXPECT_TRUE(read(QStringLiteral("итог.png")).startsWith("\x89PNG"));
    EXPECT_EQ(QGuiApplication::clipboard()->image().width(), kSharePictureWidth);
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_TRUE(boxes.shown[0].text.contains(u8("буфер обмена"))) << boxes.shown[0].text.toStdString();
    boxes.shown.clear();

    // The undo takes the newest tournament back: Боря leads the ratings again,
    // and the grid loses a column.
    boxes.answers.push_back(Messages::Answer::Yes);
    QTest::mouseClick(findIn<QPushButton>(&history, "UndoButton"), Qt::LeftButton);
    showTab("FinishGridPage");
    EXPECT_EQ(grid->columnCount(), 2);
    showTab("RatingPage");
    EXPECT_EQ(cell("RatingTable", 0, 0), u8("Боря"));
    // A player keeps his colour from the points chart to the rating chart,
    // though the rating table now lists Боря first.
    const QList<QChartView *> charts = history.findChildren<QChartView *>();
    ASSERT_EQ(charts.size(), 2);
    QHash<QString, QString> looks;
    for (const QChartView *chart : charts) {
        for (const QAbstractSeries *series : chart->chart()->series()) {
            const QPen pen = static_cast<const QLineSeries *>(series)->pen();
            const QString look = pen.color().name() + QString::number(pen.style());
            EXPECT_EQ(looks.value(series->name(), look), look) << series->name().toStdString();
            looks.insert(series->name(), look);
        }
    }
    EXPECT_EQ(looks.size(), 4);
}
