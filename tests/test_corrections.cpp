#include "BookCorrection.h"
#include "BookUndo.h"
#include "DataFiles.h"
#include "ProgramTest.h"
#include "Standings.h"
#include "StatWrites.h"
#include "TournamentBook.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <csignal>
#include <random>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

Matches matchesOf(const std::array<qint64, kScoreBoxes> &boxes) {
    Matches matches{};
    for (std::size_t k = 0; k < kMatchCells.size(); ++k) {
        matches[k] = {kMatchCells[k].homeRow, kMatchCells[k].awayRow, boxes[kMatchCells[k].homeBox],
                      boxes[kMatchCells[k].awayBox]};
    }
    return matches;
}

// The three rows as the result window writes them for these scores.
PerPlayer<PlayerFigures> rowsFor(const PerPlayer<QString> &players, const Matches &matches) {
    const StandingsTable table = standingsOf(matches);
    PerPlayer<PlayerFigures> rows;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const std::array<QString, 7> f = figureTexts(table.rows[k]);
        rows[k] = {players[k], f[0], f[1], f[2], f[3], f[4], f[5], f[6], table.places[k]};
    }
    return rows;
}

} // namespace

// Corrections on a real SQLite file, checked against "stat" rebuilt from the book.
class CorrectionTest : public StatsFileTest {
protected:
    void SetUp() override {
        StatsFileTest::SetUp();
        makeStatsDatabase(path(StatsDb::FileName));
        openConnection();
    }

    qint64 write(const PerPlayer<QString> &players, const Matches &matches, int day = 1) {
        const TournamentEntry entry{
            {u8("Арсенал"), u8("Милан"), u8("Порту")}, matches, QDateTime(QDate(2026, 1, day), QTime(20, 0))};
        const Result<QStringList> written = writeTournament(*connection, rowsFor(players, matches), entry);
        EXPECT_TRUE(written.ok()) << written.error().toStdString();
        QSqlQuery id(connection->database());
        EXPECT_TRUE(id.exec(QStringLiteral("SELECT max(id) FROM tournament")) && id.next());
        return id.value(0).toLongLong();
    }
    TournamentToCorrect read(qint64 id) const {
        Result<TournamentToCorrect> t = readTournamentToCorrect(*connection, id);
        EXPECT_TRUE(t.ok()) << t.error().toStdString();
        return t.ok() ? std::move(t).value() : TournamentToCorrect{};
    }
    Status correct(qint64 id, const Matches &matches) const {
        return correctTournament(*connection, read(id), matches, QDateTime(QDate(2026, 6, 1), QTime(12, 0)));
    }
    Status undo() const {
        const Result<NewestChange> newest = newestChange(*connection);
        if (!newest.ok()) {
            return newest.status();
        }
        return undoNewestChange(*connection, newest.value());
    }
    Status redo() const {
        const Result<UndoneChange> newest = newestUndone(*connection);
        if (!newest.ok()) {
            return newest.status();
        }
        return redoNewestUndone(*connection, newest.value());
    }
    // The book and "stat"; fullDump() adds the record of the changes taken back.
    QStringList dump() const { return dumpBookAndStat(path(StatsDb::FileName)); }
    QStringList fullDump() const { return dumpDatabase(path(StatsDb::FileName)); }
    void exec(const QString &statement) const {
        QSqlQuery query(connection->database());
        EXPECT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
    }

    // "stat" is the sum of the book, row by row, and every tournament's rows
    // are the standings of its matches.
    void expectStatIsTheSumOfTheBook() const {
        const QSqlDatabase db = connection->database();
        QSqlQuery ids(db);
        ASSERT_TRUE(ids.exec(QStringLiteral("SELECT id FROM tournament")));
        std::map<qint64, StatFigures> sums;
        while (ids.next()) {
            const TournamentToCorrect t = read(ids.value(0).toLongLong());
            ASSERT_TRUE(t.problem.isEmpty()) << t.problem.toStdString();
            const PerPlayer<BookRow> standings = correctedRows(t.rows, t.matches);
            for (std::size_t k = 0; k < t.rows.size(); ++k) {
                EXPECT_EQ(standings[k].points, t.rows[k].points);
                EXPECT_EQ(standings[k].place, t.rows[k].place);
                EXPECT_EQ(standings[k].scored, t.rows[k].scored);
            }
            for (const auto &[statId, added] : addedToStat(t.rows, t.statIds)) {
                for (std::size_t f = 0; f < added.size(); ++f) {
                    sums[statId][f] += added[f];
                }
            }
        }
        QSqlQuery stat(db);
        ASSERT_TRUE(stat.exec(QStringLiteral("SELECT id FROM stat")));
        std::size_t rows = 0;
        while (stat.next()) {
            ++rows;
            QSqlError error;
            const qint64 id = stat.value(0).toLongLong();
            EXPECT_EQ(readStatRow(db, id, error), std::optional<StatFigures>(sums[id])) << "stat row " << id;
        }
        EXPECT_EQ(rows, sums.size());
    }
};

// Random books of up to ten tournaments among five players (now and then one
// name in two rows), each given random corrections, some of them taken back
// again and some of those brought back: after every step "stat" is what the
// book adds up to, and a correction taken back, or brought back, leaves every
// table as it was.
TEST_F(CorrectionTest, StatStaysTheSumOfTheBookThroughRandomCorrectionsAndTheirUndo) {
    const QStringList names{u8("Вася"), u8("Петя"), u8("Коля"), u8("Гена"), u8("Дима")};
    std::mt19937 random(20261209);
    const auto score = [&random] { return static_cast<qint64>(std::uniform_int_distribution<int>(0, 6)(random)); };
    const auto randomMatches = [&] {
        std::array<qint64, kScoreBoxes> boxes{};
        for (qint64 &box : boxes) {
            box = score();
        }
        return matchesOf(boxes);
    };
    int corrections = 0;
    int undone = 0;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        connection.reset();
        ASSERT_TRUE(QFile::remove(path(StatsDb::FileName)));
        makeStatsDatabase(path(StatsDb::FileName));
        openConnection();
        exec(QStringLiteral("PRAGMA synchronous = OFF"));
        // The first round is the issue's own case: the first of ten tournaments.
        const int count = round == 0 ? 10 : std::uniform_int_distribution<int>(1, 10)(random);
        std::vector<qint64> ids;
        for (int t = 0; t < count; ++t) {
            PerPlayer<QString> players;
            std::vector<QString> pool(names.begin(), names.end());
            std::shuffle(pool.begin(), pool.end(), random);
            std::copy_n(pool.begin(), kPlayers, players.begin());
            if (std::uniform_int_distribution<int>(0, 9)(random) == 0) {
                players[2] = players[0];
            }
            ids.push_back(write(players, randomMatches(), t + 1));
        }
        const int steps = std::uniform_int_distribution<int>(1, 3)(random);
        for (int step = 0; step < steps; ++step) {
            const qint64 id = round == 0 && step == 0
                                  ? ids.front()
                                  : ids[std::uniform_int_distribution<std::size_t>(0, ids.size() - 1)(random)];
            const Matches matches = randomMatches();
            const QStringList before = dump();
            const bool changes = changesScores(read(id), matches);
            const Status corrected = correct(id, matches);
            if (!changes) {
                EXPECT_FALSE(corrected.ok());
                continue;
            }
            ASSERT_TRUE(corrected.ok()) << corrected.error().toStdString();
            ++corrections;
            EXPECT_FALSE(changesScores(read(id), matches)) << "the book holds the new scores";
            expectStatIsTheSumOfTheBook();
            if (std::uniform_int_distribution<int>(0, 2)(random) == 0) {
                const QStringList after = fullDump();
                ASSERT_TRUE(undo().ok());
                ++undone;
                EXPECT_EQ(dump(), before);
                if (std::uniform_int_distribution<int>(0, 1)(random) == 0) {
                    ASSERT_TRUE(redo().ok());
                    EXPECT_EQ(fullDump(), after) << "what the undo took back comes back as it was";
                }
            }
        }
    }
    EXPECT_GT(corrections, 300);
    EXPECT_GT(undone, 60);
}

namespace {

// Вася wins all four; Петя and Коля win one each, Петя on goal difference
// second.
const Matches kVasyaWins = matchesOf({2, 0, 0, 1, 0, 3, 1, 0, 3, 0, 2, 0});
// Петя beats Вася 3:0 at home after a 0:0: level on points, Петя first on goal
// difference.
const Matches kPetyaWins = matchesOf({0, 0, 3, 0, 0, 3, 1, 0, 3, 0, 2, 0});

} // namespace

TEST_F(CorrectionTest, ACorrectionThatMakesTheWinnerSecondMovesThePlacesAndKeepsTheDateAndOrder) {
    const PerPlayer<QString> players{u8("Вася"), u8("Петя"), u8("Коля")};
    const qint64 first = write(players, kVasyaWins, 1);
    write(players, kVasyaWins, 2);
    ASSERT_EQ(read(first).rows[0].place, 1);
    ASSERT_TRUE(correct(first, kPetyaWins).ok());

    const TournamentToCorrect t = read(first);
    EXPECT_EQ(t.written, QStringLiteral("2026-01-01 20:00:00"));
    EXPECT_EQ(t.rows[0].place, 2);
    EXPECT_EQ(t.rows[1].place, 1);
    EXPECT_EQ(t.rows[1].points, 7);
    // Вася: one title left of two, and a second place; Петя: a title and a second.
    EXPECT_EQ(statRows(path(StatsDb::FileName)),
              (QStringList{u8("Вася 6 1 1 15 3 12 19 1 1 0"), u8("Петя 3 1 4 7 5 2 10 1 1 0"),
                           u8("Коля 2 0 6 2 16 -14 6 0 0 2")}));
    expectStatIsTheSumOfTheBook();
    // The second tournament is still the newest write; the correction is the newest change.
    const Result<NewestChange> newest = newestChange(*connection);
    ASSERT_TRUE(newest.ok());
    EXPECT_EQ(newest.value().kind, NewestChange::Kind::Correction);
    EXPECT_EQ(newest.value().tournament, first);
    EXPECT_TRUE(describeChange(newest.value()).startsWith(u8("исправление турнира от 01.01.2026 (Вася, Петя, Коля)")))
        << describeChange(newest.value()).toStdString();
    // A name of any length is cut in the question.
    NewestChange longName = newest.value();
    longName.players[0] = QString(100000, u'я');
    EXPECT_LT(describeChange(longName).size(), 300);
}

TEST_F(CorrectionTest, RefusalsChangeNothingAndSayWhy) {
    const PerPlayer<QString> players{u8("Вася"), u8("Петя"), u8("Коля")};
    const qint64 id = write(players, kVasyaWins);
    const QStringList before = dump();
    const auto expectRefused = [&](const Status &status, const char *words) {
        ASSERT_FALSE(status.ok()) << words;
        EXPECT_TRUE(status.error().startsWith(u8("Турнир не исправлен"))) << status.error().toStdString();
        EXPECT_TRUE(status.error().contains(QString::fromUtf8(words))) << status.error().toStdString();
    };

    // The same scores: nothing to save, and nothing recorded.
    expectRefused(correct(id, kVasyaWins), "не изменился");
    EXPECT_EQ(dump(), before);

    // Another program writes a tournament of the same players while the window is open.
    const TournamentToCorrect opened = read(id);
    write(players, kVasyaWins, 2);
    const QStringList afterOther = dump();
    expectRefused(correctTournament(*connection, opened, kPetyaWins), "другая программа");
    EXPECT_EQ(dump(), afterOther);

    // Another program changes the tournament itself in the book.
    const TournamentToCorrect again = read(id);
    execOnStats(path(StatsDb::FileName), {QStringLiteral("UPDATE tournament_match SET home_goals = 5 WHERE "
                                                         "tournament = 1 AND home_row = 1 AND away_row = 2")});
    expectRefused(correctTournament(*connection, again, kPetyaWins), "турнир в книге изменила другая программа");
    execOnStats(path(StatsDb::FileName), {QStringLiteral("UPDATE tournament_match SET home_goals = 2 WHERE "
                                                         "tournament = 1 AND home_row = 1 AND away_row = 2")});
    ASSERT_EQ(dump(), afterOther);

    // A row of "stat" edited by hand to hold less than the tournament added:
    // seen when the correction opens, and refused by the save.
    execOnStats(path(StatsDb::FileName), {u8("UPDATE stat SET Побед = 1 WHERE Игрок = 'Вася'")});
    const QStringList edited = dump();
    const TournamentToCorrect handEdited = read(id);
    EXPECT_TRUE(handEdited.problem.contains(u8("нет того, что добавил турнир"))) << handEdited.problem.toStdString();
    expectRefused(correctTournament(*connection, handEdited, kPetyaWins), "нет того, что добавил турнир");
    EXPECT_EQ(dump(), edited);

    // A figure that is no whole number.
    execOnStats(path(StatsDb::FileName), {u8("UPDATE stat SET Побед = 'много' WHERE Игрок = 'Вася'")});
    const QStringList text = dump();
    expectRefused(correctTournament(*connection, read(id), kPetyaWins), "целое число");
    EXPECT_EQ(dump(), text);

    // A full disk: the journal cannot be written, and the file stays as it was.
    {
        execOnStats(path(StatsDb::FileName), {u8("UPDATE stat SET Побед = 6 WHERE Игрок = 'Вася'")});
        const TournamentToCorrect opened = read(id);
        const QStringList full = dump();
        const FileSizeLimit limit(1024);
        const Status refused = correctTournament(*connection, opened, kPetyaWins);
        ASSERT_FALSE(refused.ok());
        EXPECT_TRUE(refused.error().startsWith(u8("Турнир не исправлен"))) << refused.error().toStdString();
        EXPECT_EQ(dump(), full);
    }

    // Another program holds the file.
    execOnStats(path(StatsDb::FileName), {u8("UPDATE stat SET Побед = 6 WHERE Игрок = 'Вася'")});
    const TournamentToCorrect free = read(id);
    ASSERT_TRUE(free.problem.isEmpty()) << free.problem.toStdString();
    const QStringList held = dump();
    {
        OtherProgram other(path(StatsDb::FileName));
        other.holdExclusive();
        expectRefused(correctTournament(*connection, free, kPetyaWins), "занят другой программой");
    }
    EXPECT_EQ(dump(), held);
    EXPECT_TRUE(correctTournament(*connection, free, kPetyaWins).ok()) << "the same correction once the file is free";
}

TEST_F(CorrectionTest, TheUndoTakesBackTheNewestChangeWhicheverItIsAndLeavesEveryTableAsBefore) {
    const PerPlayer<QString> players{u8("Вася"), u8("Петя"), u8("Коля")};
    const qint64 a = write(players, kVasyaWins, 1);
    const QStringList afterA = dump();
    const qint64 b = write({u8("Вася"), u8("Гена"), u8("Коля")}, kVasyaWins, 2);
    const QStringList afterB = dump();

    ASSERT_TRUE(correct(a, kPetyaWins).ok());
    const QStringList corrected = dump();
    // Taking back the newest write first would lose what the correction replaced.
    const Status tooEarly = undoNewestTournament(*connection, b);
    ASSERT_FALSE(tooEarly.ok());
    EXPECT_TRUE(tooEarly.error().contains(u8("сначала отмените его"))) << tooEarly.error().toStdString();
    EXPECT_EQ(dump(), corrected);

    // A question asked about the correction does not take back a later write.
    const Result<NewestChange> asked = newestChange(*connection);
    ASSERT_TRUE(asked.ok());
    const qint64 c = write(players, kPetyaWins, 3);
    const QStringList afterC = dump();
    const Status stale = undoNewestChange(*connection, asked.value());
    ASSERT_FALSE(stale.ok());
    EXPECT_TRUE(stale.error().contains(u8("другая программа"))) << stale.error().toStdString();
    EXPECT_EQ(dump(), afterC);

    // Newest first: the write of C, then the correction of A, then B, then A.
    const Result<NewestChange> newest = newestChange(*connection);
    ASSERT_TRUE(newest.ok());
    EXPECT_EQ(newest.value().kind, NewestChange::Kind::Write);
    EXPECT_EQ(newest.value().tournament, c);
    ASSERT_TRUE(undo().ok());
    EXPECT_EQ(dump(), corrected);
    ASSERT_TRUE(undo().ok());
    EXPECT_EQ(dump(), afterB) << "correcting and then undoing leaves every table byte for byte";
    ASSERT_TRUE(undo().ok());
    EXPECT_EQ(dump(), afterA);

    // Two corrections of one tournament come back one by one.
    ASSERT_TRUE(correct(a, kPetyaWins).ok());
    const QStringList once = dump();
    ASSERT_TRUE(correct(a, matchesOf({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1})).ok());
    ASSERT_TRUE(undo().ok());
    EXPECT_EQ(dump(), once);
    ASSERT_TRUE(undo().ok());
    EXPECT_EQ(dump(), afterA);
}

TEST_F(CorrectionTest, WhatTheUndoTookBackComesBackAsItWasUntilTheNextChange) {
    const qint64 a = write({u8("Вася"), u8("Петя"), u8("Коля")}, kVasyaWins, 1);
    const QStringList afterA = dump();
    // Гена's row of "stat" is made by this write, and deleted by its undo.
    write({u8("Вася"), u8("Гена"), u8("Коля")}, kVasyaWins, 2);
    const QStringList afterB = dump();
    ASSERT_TRUE(correct(a, kPetyaWins).ok());
    const QStringList corrected = fullDump();

    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(undo().ok());
    }
    const Result<UndoneChange> first = newestUndone(*connection);
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first.value().change.kind, NewestChange::Kind::Write);
    EXPECT_EQ(first.value().change.tournament, a);
    ASSERT_TRUE(redo().ok());
    EXPECT_EQ(dump(), afterA);
    ASSERT_TRUE(redo().ok());
    EXPECT_EQ(dump(), afterB) << "Гена's row comes back with its id";
    ASSERT_TRUE(redo().ok());
    EXPECT_EQ(fullDump(), corrected) << "nothing is left to bring back";
    const Status nothing = redo();
    ASSERT_FALSE(nothing.ok());
    EXPECT_TRUE(nothing.error().startsWith(u8("Возвращать нечего"))) << nothing.error().toStdString();

    // A new write forgets what was taken back.
    ASSERT_TRUE(undo().ok());
    write({u8("Вася"), u8("Петя"), u8("Коля")}, kVasyaWins, 3);
    EXPECT_FALSE(newestUndone(*connection).ok());

    // Гена's old row id taken by another player meanwhile: nothing comes back.
    ASSERT_TRUE(undo().ok());
    ASSERT_TRUE(undo().ok());
    ASSERT_EQ(dump(), afterA);
    execOnStats(path(StatsDb::FileName), {u8("INSERT INTO stat (id, Игрок) VALUES (4, 'Саша')")});
    const QStringList taken = fullDump();
    const Status refused = redo();
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().startsWith(u8("Изменение не возвращено"))) << refused.error().toStdString();
    EXPECT_TRUE(refused.error().contains(u8("другому игроку"))) << refused.error().toStdString();
    EXPECT_EQ(fullDump(), taken);
}

TEST_F(CorrectionTest, AFileOfTheFirstBookGetsTheNewerTablesWithItsFirstUndoOrCorrection) {
    connection.reset();
    ASSERT_TRUE(QFile::remove(path(StatsDb::FileName)));
    const Result<QByteArray> schema = readFileBytes(QStringLiteral(KORVANA_SCHEMA));
    ASSERT_TRUE(schema.ok());
    QString firstBook = QString::fromUtf8(schema.value());
    firstBook = firstBook.left(firstBook.indexOf(QStringLiteral("-- The corrections"))) +
                QStringLiteral("PRAGMA user_version = 1;");
    ASSERT_TRUE(createStatsDatabase(path(StatsDb::FileName), firstBook).ok());
    openConnection();
    const qint64 id = write({u8("Вася"), u8("Петя"), u8("Коля")}, kVasyaWins);
    write({u8("Вася"), u8("Петя"), u8("Гена")}, kVasyaWins, 2);
    // A file that the first book's program wrote the tournaments to.
    const auto toFirstVersion = [this] {
        for (const char *table : {"undone_match", "undone_player", "tournament_undone", "tournament_correction"}) {
            exec(QStringLiteral("DROP TABLE %1").arg(QLatin1String(table)));
        }
        exec(QStringLiteral("PRAGMA user_version = 1"));
    };
    toFirstVersion();
    ASSERT_TRUE(undo().ok()) << "a write taken back keeps what it took back in the newer tables";
    EXPECT_EQ(bookVersion(connection->database()).value(), 2);
    toFirstVersion();
    const QStringList firstVersion = dump();
    EXPECT_TRUE(firstVersion.contains(QStringLiteral("version 1")));
    ASSERT_TRUE(correct(id, kPetyaWins).ok());
    EXPECT_EQ(bookVersion(connection->database()).value(), 2);
    ASSERT_TRUE(undo().ok());
    const QStringList taken = dump();
    EXPECT_TRUE(taken.contains(QStringLiteral("version 2")));
    EXPECT_EQ(taken.filter(QStringLiteral("tournament_player|")),
              firstVersion.filter(QStringLiteral("tournament_player|")));
    EXPECT_EQ(taken.filter(QStringLiteral("stat|")), firstVersion.filter(QStringLiteral("stat|")));
}

// A child process saves the correction and is killed before its step-th
// statement; the file then holds the whole book before the correction or the
// whole book after it.
TEST_F(CorrectionTest, AKillAtEveryStepOfTheSaveLeavesTheOldBookOrTheNewOne) {
    const PerPlayer<QString> players{u8("Вася"), u8("Петя"), u8("Коля")};
    const qint64 id = write(players, kVasyaWins, 1);
    write(players, kVasyaWins, 2);
    const QStringList before = dump();
    const TournamentToCorrect opened = read(id);
    ASSERT_TRUE(QFile::copy(path(StatsDb::FileName), path(QStringLiteral("kept.mdb"))));
    const QDateTime made(QDate(2026, 6, 1), QTime(12, 0));
    ASSERT_TRUE(correctTournament(*connection, opened, kPetyaWins, made).ok());
    const QStringList after = dump();
    connection.reset();

    bool finished = false;
    int kills = 0;
    for (int step = 1; !finished && step < 200; ++step) {
        SCOPED_TRACE(step);
        ASSERT_TRUE(QFile::remove(path(StatsDb::FileName)));
        ASSERT_TRUE(QFile::copy(path(QStringLiteral("kept.mdb")), path(StatsDb::FileName)));
        const pid_t child = fork();
        if (child == 0) {
            Result<std::unique_ptr<StatsConnection>> own = StatsConnection::open(StatsDb::FileName, kTestLockWait);
            if (!own.ok()) {
                ::_exit(2);
            }
            static int remaining = 0;
            remaining = step;
            sqlite3_trace_v2(
                own.value()->handle(), SQLITE_TRACE_STMT,
                [](unsigned, void *, void *, void *) {
                    if (--remaining == 0) {
                        ::raise(SIGKILL);
                    }
                    return 0;
                },
                nullptr);
            ::_exit(correctTournament(*own.value(), opened, kPetyaWins, made).ok() ? 0 : 3);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (WIFEXITED(status)) {
            ASSERT_EQ(WEXITSTATUS(status), 0);
            finished = true;
        } else {
            ++kills;
        }
        openConnection();
        const QStringList now = dump();
        EXPECT_TRUE(now == before || now == after);
        EXPECT_EQ(now == after, finished) << "only a finished save shows";
        expectStatIsTheSumOfTheBook();
        connection.reset();
    }
    EXPECT_TRUE(finished);
    EXPECT_GT(kills, 10);
}
