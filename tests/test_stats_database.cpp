#include "NameOrder.h"
#include "ProgramTest.h"
#include "RussianCollator.h"
#include "StatTable.h"
#include "StatWrites.h"
#include "TournamentBook.h"

#include <QCollator>
#include <QDir>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <random>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

PlayerFigures row(const char *name, const char *w, const char *d, const char *l, const char *scored,
                  const char *conceded, const char *difference, const char *points, const char *place) {
    return {QString::fromUtf8(name),       QString::fromUtf8(w),      QString::fromUtf8(d),
            QString::fromUtf8(l),          QString::fromUtf8(scored), QString::fromUtf8(conceded),
            QString::fromUtf8(difference), QString::fromUtf8(points), QString::fromUtf8(place)};
}

// The score boxes of a tournament: the book records them, the figures of the
// rows come from the window's labels.
const TournamentEntry kEntry{{"Арсенал", "Милан", "Порту"},
                             parseScores({"2", "1", "0", "0", "1", "2", "1", "1", "3", "1", "2", "2"}).value(),
                             {}};

} // namespace

// The database layer on a real SQLite file in the test's working directory. Rows
// are read back with plain SQL on a connection of the test's own.
class StatsDatabaseTest : public StatsFileTest {
protected:
    void SetUp() override {
        StatsFileTest::SetUp();
        makeStatsDatabase(path(StatsDb::FileName));
        openConnection();
    }

    QSqlDatabase db() const { return connection->database(); }

    QStringList rows(const QString &fileName = StatsDb::FileName) const { return statRows(path(fileName)); }

    void exec(const QString &statement) const {
        QSqlQuery query(db());
        ASSERT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
    }
};

namespace {

const std::array<PlayerFigures, 3> kTournament = {row("Вася", "3", "1", "0", "7", "2", "5", "10", "1"),
                                                  row("Петя", "0", "2", "2", "4", "6", "-2", "2", "3"),
                                                  row("Коля", "1", "1", "2", "3", "6", "-3", "4", "2")};
const QStringList kTournamentRows{"Вася 3 1 0 7 2 5 10 1 0 0", "Петя 0 2 2 4 6 -2 2 0 0 1",
                                  "Коля 1 1 2 3 6 -3 4 0 1 0"};

QStringList tableColumn(const StatTable &table, int k) {
    QStringList values;
    for (int r = 0; r < table.rowCount(); ++r) {
        values.append(table.data(table.index(r, k)).toString());
    }
    return values;
}

} // namespace

TEST_F(StatsDatabaseTest, InsertsANewPlayerAndAddsToAKnownOne) {
    ASSERT_TRUE(WritePlayerStats(db(), "Вася", "3", "1", "0", "7", "2", "5", "10", "1").ok());
    ASSERT_TRUE(WritePlayerStats(db(), "Петя", "0", "2", "2", "4", "6", "-2", "2", "3").ok());
    EXPECT_EQ(rows(), (QStringList{"Вася 3 1 0 7 2 5 10 1 0 0", "Петя 0 2 2 4 6 -2 2 0 0 1"}));

    ASSERT_TRUE(WritePlayerStats(db(), "Петя", "1", "00", "3", "2", "9", "-7", "3", "2").ok());
    EXPECT_EQ(rows(), (QStringList{"Вася 3 1 0 7 2 5 10 1 0 0", "Петя 1 2 5 6 15 -9 5 0 1 1"}));
    EXPECT_EQ(rows().size(), 2) << "no row was added for a known player";

    // Letter case counts: "петя" is another player.
    ASSERT_TRUE(WritePlayerStats(db(), "петя", "1", "0", "0", "1", "0", "1", "3", "1").ok());
    EXPECT_EQ(rows().size(), 3);
}

TEST_F(StatsDatabaseTest, WritesATournamentInOneGoAndReportsEachRow) {
    const std::array<PlayerFigures, 3> tournament = {row("Вася", "1", "2", "1", "3", "3", "0", "5", "2"),
                                                     row("Петя", "1", "2", "1", "4", "4", "0", "5", "2"),
                                                     row("Коля", "1", "2", "1", "2", "2", "0", "5", "2")};
    std::vector<int> progress;
    ASSERT_TRUE(
        writeTournament(*connection, tournament, kEntry, [&progress](int done) { progress.push_back(done); }).ok());
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(rows(), (QStringList{"Вася 1 2 1 3 3 0 5 0 1 0", "Петя 1 2 1 4 4 0 5 0 1 0", "Коля 1 2 1 2 2 0 5 0 1 0"}))
        << "places 2, 2, 2 count a second place each";

    // The same name in two rows of one write: the second finds the first's row.
    ASSERT_TRUE(writeTournament(*connection,
                                {row("Вася", "1", "0", "0", "1", "0", "1", "3", "1"),
                                 row("Вася", "0", "0", "1", "0", "1", "-1", "0", "3"),
                                 row("Коля", "0", "0", "0", "0", "0", "0", "0", "2")},
                                kEntry)
                    .ok());
    EXPECT_EQ(rows(),
              (QStringList{"Вася 2 2 2 4 4 0 8 1 1 1", "Петя 1 2 1 4 4 0 5 0 1 0", "Коля 1 2 1 2 2 0 5 0 2 0"}));
}

TEST_F(StatsDatabaseTest, AnEmptyNameUpdatesOnlyRowsWithoutANameAndInsertsNothing) {
    ASSERT_TRUE(WritePlayerStats(db(), "", "1", "0", "0", "1", "0", "1", "3", "1").ok());
    EXPECT_TRUE(rows().isEmpty());
    exec(QStringLiteral("INSERT INTO stat (Игрок) VALUES ('')"));
    ASSERT_TRUE(WritePlayerStats(db(), QString(), "1", "0", "0", "1", "0", "1", "3", "1").ok());
    EXPECT_EQ(rows(), QStringList{" 1 0 0 1 0 1 3 1 0 0"});
}

TEST_F(StatsDatabaseTest, FiguresAndPlacesAreCheckedBeforeAnythingIsWritten) {
    ASSERT_TRUE(WritePlayerStats(db(), "Вася", "1", "0", "0", "1", "0", "1", "3", "1").ok());
    const QStringList before = rows();

    // A write without a computation: the places are still "0".
    Status written = writeTournament(*connection,
                                     {row("Вася", "00", "00", "00", "00", "00", "00", "00", "0"),
                                      row("Петя", "00", "00", "00", "00", "00", "00", "00", "0"),
                                      row("Коля", "00", "00", "00", "00", "00", "00", "00", "0")},
                                     kEntry)
                         .status();
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(QStringLiteral("«Посчитать результат»"))) << written.error().toStdString();
    EXPECT_TRUE(written.error().contains(QStringLiteral("ничего не записано")));

    // SQLite would add "", "abc" and "1.5" without a word, so the third row stops
    // the whole write before the first is stored.
    for (const char *bad : {"", "abc", "1.5", " 1", "99999999999999999999"}) {
        written = writeTournament(*connection,
                                  {row("Вася", "1", "0", "0", "1", "0", "1", "3", "1"),
                                   row("Петя", "0", "1", "0", "0", "0", "0", "1", "2"),
                                   row("Коля", "0", "0", "1", bad, "1", "-1", "0", "3")},
                                  kEntry)
                      .status();
        ASSERT_FALSE(written.ok()) << bad;
        EXPECT_TRUE(written.error().contains(QStringLiteral("Забито"))) << written.error().toStdString();
    }
    EXPECT_FALSE(WritePlayerStats(db(), "Вася", "1", "0", "0", "1", "0", "1", "3", "4").ok());
    EXPECT_EQ(rows(), before);
}

TEST_F(StatsDatabaseTest, AFailedStatementRollsBackTheTournamentAndARetryCountsOnce) {
    ASSERT_TRUE(WritePlayerStats(db(), "Вася", "1", "0", "0", "1", "0", "1", "3", "1").ok());
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON stat WHEN NEW.Игрок = 'Коля' "
                        "BEGIN SELECT RAISE(ABORT, 'Коля refused'); END"));
    const std::array<PlayerFigures, 3> tournament = {row("Вася", "2", "0", "0", "5", "1", "4", "6", "1"),
                                                     row("Петя", "1", "0", "1", "2", "3", "-1", "3", "2"),
                                                     row("Коля", "0", "0", "2", "1", "4", "-3", "0", "3")};
    std::vector<int> progress;
    const Status failed =
        writeTournament(*connection, tournament, kEntry, [&progress](int done) { progress.push_back(done); }).status();
    ASSERT_FALSE(failed.ok());
    EXPECT_TRUE(failed.error().contains(QStringLiteral("Коля refused"))) << failed.error().toStdString();
    EXPECT_EQ(progress, (std::vector<int>{1, 2}));
    EXPECT_EQ(rows(), QStringList{"Вася 1 0 0 1 0 1 3 1 0 0"});

    exec(QStringLiteral("DROP TRIGGER refuse"));
    ASSERT_TRUE(writeTournament(*connection, tournament, kEntry).ok());
    EXPECT_EQ(rows(),
              (QStringList{"Вася 3 0 0 6 1 5 9 2 0 0", "Петя 1 0 1 2 3 -1 3 0 1 0", "Коля 0 0 2 1 4 -3 0 0 0 1"}));
}

TEST_F(StatsDatabaseTest, ANameFoundOnlyWithoutRegardToCaseIsInsertedWhenAloneAndSkippedAmongOthers) {
    // A database whose player column ignores case: the lookup then finds names that
    // fail the program's exact check.
    exec(QStringLiteral("DROP TABLE stat"));
    exec(QStringLiteral("CREATE TABLE stat (id INTEGER PRIMARY KEY, Игрок TEXT COLLATE NOCASE, Побед INTEGER "
                        "NOT NULL DEFAULT 0, Ничьих INTEGER NOT NULL DEFAULT 0, Поражений INTEGER NOT NULL DEFAULT 0, "
                        "Забито INTEGER NOT NULL DEFAULT 0, Пропущено INTEGER NOT NULL DEFAULT 0, Разница INTEGER NOT "
                        "NULL DEFAULT 0, Очки INTEGER NOT NULL DEFAULT 0, Первый INTEGER NOT NULL DEFAULT 0, Второй "
                        "INTEGER NOT NULL DEFAULT 0, Третий INTEGER NOT NULL DEFAULT 0)"));
    exec(QStringLiteral("INSERT INTO stat (Игрок) VALUES ('VASYA')"));
    ASSERT_TRUE(WritePlayerStats(db(), "vasya", "1", "0", "0", "1", "0", "1", "3", "1").ok());
    EXPECT_EQ(rows(), (QStringList{"VASYA 0 0 0 0 0 0 0 0 0 0", "vasya 1 0 0 1 0 1 3 1 0 0"}))
        << "one match that differs: a new row";
    ASSERT_TRUE(WritePlayerStats(db(), "Vasya", "1", "0", "0", "1", "0", "1", "3", "1").ok());
    EXPECT_EQ(rows().size(), 2) << "two matches, the first differs: nothing is written";

    // A tournament says so of the player it left out, and writes the others.
    const Result<QStringList> written = writeTournament(*connection,
                                                        {row("Vasya", "1", "0", "0", "1", "0", "1", "3", "1"),
                                                         row("Петя", "0", "1", "0", "0", "0", "0", "1", "2"),
                                                         row("Коля", "0", "0", "1", "0", "1", "-1", "0", "3")},
                                                        kEntry);
    ASSERT_TRUE(written.ok()) << written.error().toStdString();
    ASSERT_EQ(written.value().size(), 1);
    EXPECT_TRUE(written.value()[0].startsWith(QStringLiteral("Игрок «Vasya» не записан в таблицу статистики")))
        << written.value()[0].toStdString();
    EXPECT_TRUE(written.value()[0].contains(QStringLiteral("«VASYA»")));
    EXPECT_EQ(rows().size(), 4);
}

TEST_F(StatsDatabaseTest, OpeningUnderALockWaitsOnceForTheWholeOpening) {
    constexpr std::chrono::milliseconds kWait{300};
    OtherProgram other(path(StatsDb::FileName));
    other.holdExclusive();
    const auto began = std::chrono::steady_clock::now();
    const Result<std::unique_ptr<StatsConnection>> opened = StatsConnection::open(StatsDb::FileName, kWait);
    const auto waited = std::chrono::steady_clock::now() - began;
    ASSERT_FALSE(opened.ok());
    EXPECT_TRUE(opened.error().contains(QStringLiteral("занят другой программой"))) << opened.error().toStdString();
    EXPECT_FALSE(opened.error().contains(QStringLiteral("попробуйте снова")));
    EXPECT_GE(waited, kWait);
    EXPECT_LT(waited, kWait * 3 / 2) << "every statement of the opening shares one deadline";
}

TEST_F(StatsDatabaseTest, OpeningNamesTheFileAndTheReason) {
    const auto failure = [](const QString &fileName) {
        Result<std::unique_ptr<StatsConnection>> opened = StatsConnection::open(fileName);
        EXPECT_FALSE(opened.ok()) << fileName.toStdString();
        return opened.ok() ? QString() : opened.error();
    };
    const QString missing = failure(QStringLiteral("absent.mdb"));
    EXPECT_TRUE(missing.contains(QStringLiteral("File not found"))) << missing.toStdString();
    EXPECT_TRUE(missing.contains(QDir::toNativeSeparators(path(QStringLiteral("absent.mdb")))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("absent.mdb")))) << "the program never creates the file";

    write(QStringLiteral("text.mdb"), "not a database at all, but long enough to have a header");
    EXPECT_TRUE(failure(QStringLiteral("text.mdb")).contains(QStringLiteral("file is not a database")));

    write(QStringLiteral("access.mdb"), QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(2000, 'x'));
    EXPECT_TRUE(failure(QStringLiteral("access.mdb")).contains(QStringLiteral("Microsoft Access")));

    write(QStringLiteral("empty.mdb"), {});
    EXPECT_TRUE(failure(QStringLiteral("empty.mdb")).contains(QStringLiteral("no such table: stat")));

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.mdb")));
    EXPECT_TRUE(failure(QStringLiteral("folder.mdb")).contains(QStringLiteral("Is a directory")));

    // Opening a pipe without a writer to read its header would wait for ever.
    // Should that happen, a writer comes by after a while, so that the check
    // below fails instead of hanging.
    const QByteArray pipe = path(QStringLiteral("pipe.mdb")).toLocal8Bit();
    ASSERT_EQ(mkfifo(pipe.constData(), 0600), 0);
    std::promise<void> refused;
    std::thread writer([&pipe, done = refused.get_future()] {
        if (done.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            ::close(::open(pipe.constData(), O_WRONLY | O_NONBLOCK));
        }
    });
    EXPECT_TRUE(failure(QStringLiteral("pipe.mdb")).contains(QStringLiteral("не обычный файл")));
    refused.set_value();
    writer.join();
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path(QStringLiteral("device.mdb"))));
    EXPECT_TRUE(failure(QStringLiteral("device.mdb")).contains(QStringLiteral("не обычный файл")));

    exec(QStringLiteral("ALTER TABLE stat DROP COLUMN Третий"));
    EXPECT_TRUE(failure(StatsDb::FileName).contains(QStringLiteral("Третий")));
}

TEST_F(StatsDatabaseTest, APathWithAHashOpensThatFileAndNoOther) {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("a#b?c %d/Ё")));
    const QString inside = QStringLiteral("a#b?c %d/Ё/") + StatsDb::FileName;
    makeStatsDatabase(path(inside));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    {
        Result<std::unique_ptr<StatsConnection>> opened = StatsConnection::open(inside);
        ASSERT_TRUE(opened.ok()) << opened.error().toStdString();
        ASSERT_TRUE(WritePlayerStats(opened.value()->database(), "Вася", "1", "0", "0", "1", "0", "1", "3", "1").ok());
    }
    EXPECT_EQ(rows(inside), QStringList{"Вася 1 0 0 1 0 1 3 1 0 0"});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

TEST_F(StatsDatabaseTest, TheGridOrdersByTheIndexThenByAClickedColumnAscending) {
    int points = 0;
    for (const char *name : {"Яна", "аня", "Ёжик", "Борис", "Ежов", "Алла"}) {
        ASSERT_TRUE(WritePlayerStats(db(), name, "1", "0", "0", "1", "0", "1", QString::number(points += 2), "1").ok());
    }
    ASSERT_TRUE(connection->hasRussianCollation());
    StatTable table(*connection);
    const auto column = [&table](int k) {
        QStringList values;
        for (int r = 0; r < table.rowCount(); ++r) {
            values.append(table.data(table.index(r, k)).toString());
        }
        return values;
    };
    ASSERT_TRUE(table.reload().ok());
    EXPECT_EQ(table.columnCount(), 12);
    EXPECT_EQ(table.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Игрок"));
    EXPECT_EQ(column(1), (QStringList{"Ёжик", "Алла", "Борис", "Ежов", "Яна", "аня"})) << "the index: code points";
    EXPECT_FALSE(table.flags(table.index(0, 1)) & Qt::ItemIsEditable);

    ASSERT_TRUE(table.orderBy(1).ok());
    // Ё sorts as Е, case aside.
    const QStringList russian{"Алла", "аня", "Борис", "Ёжик", "Ежов", "Яна"};
    EXPECT_EQ(column(1), russian);
    ASSERT_TRUE(table.orderBy(1).ok());
    EXPECT_EQ(column(1), russian) << "no toggle";

    ASSERT_TRUE(table.orderBy(8).ok());
    EXPECT_EQ(column(8), (QStringList{"2", "4", "6", "8", "10", "12"})) << "numbers, not texts";

    ASSERT_TRUE(table.orderBy(1).ok());
    ASSERT_TRUE(WritePlayerStats(db(), "Вера", "1", "0", "0", "1", "0", "1", "3", "1").ok());
    ASSERT_TRUE(table.reload().ok());
    EXPECT_EQ(column(1), (QStringList{"Алла", "аня", "Борис", "Вера", "Ёжик", "Ежов", "Яна"}))
        << "the order survives the reopening";
}

TEST_F(StatsDatabaseTest, AReaderThatKeepsTheCommitWaitingHasTheWriteRolledBack) {
    OtherProgram other(path(StatsDb::FileName));
    other.holdRead();
    std::vector<int> progress;
    const Status failed =
        writeTournament(*connection, kTournament, kEntry, [&progress](int done) { progress.push_back(done); }).status();
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3})) << "only the commit waited";
    EXPECT_TRUE(failed.error().contains(QStringLiteral("занят другой программой"))) << failed.error().toStdString();
    EXPECT_TRUE(failed.error().contains(QStringLiteral("ничего не записано")));
    // Rolled back at once: the commit's hold on the file, which keeps new
    // readers out, is gone.
    EXPECT_TRUE(other.newReaderReadsAtOnce());

    other.release();
    EXPECT_TRUE(rows().isEmpty());
    ASSERT_TRUE(writeTournament(*connection, kTournament, kEntry).ok()) << "no transaction was left open";
    EXPECT_EQ(rows(), kTournamentRows);
}

TEST_F(StatsDatabaseTest, ALockThatClearsWithinTheWaitOnlyDelaysTheWrite) {
    connection->setLockWait(std::chrono::seconds(20));
    OtherProgram other(path(StatsDb::FileName));
    other.holdExclusive();
    std::thread releaser([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        other.release();
    });
    const Status written = writeTournament(*connection, kTournament, kEntry).status();
    releaser.join();
    ASSERT_TRUE(written.ok()) << written.error().toStdString();
    EXPECT_EQ(rows(), kTournamentRows);
}

TEST_F(StatsDatabaseTest, FailuresAreToldByTheirSqliteCodeNotByTheirText) {
    const auto text = [](const char *code) {
        return databaseErrorText(QStringLiteral("/data/base.mdb"),
                                 QSqlError(QStringLiteral("Unable to fetch row"), QStringLiteral("database is locked"),
                                           QSqlError::StatementError, QString::fromLatin1(code)));
    };
    for (const char *busy : {"5", "6", "517"}) {
        EXPECT_TRUE(
            text(busy).startsWith(QStringLiteral("Файл базы статистики «/data/base.mdb» занят другой программой")))
            << busy;
        EXPECT_FALSE(text(busy).contains(QStringLiteral("database is locked"))) << busy;
    }
    const QString readOnly = text("8");
    EXPECT_TRUE(readOnly.contains(QStringLiteral("«/data/base.mdb»: в файл нельзя записывать")))
        << readOnly.toStdString();
    EXPECT_TRUE(readOnly.contains(QStringLiteral("database is locked"))) << "SQLite's text follows as detail";
}

TEST_F(StatsDatabaseTest, TheGridShowsCellsThatAreNotIntegersAsTheyAreStored) {
    // A file edited by hand: the counters hold whatever SQLite accepted.
    exec(QStringLiteral("INSERT INTO stat (id, Игрок, Побед, Очки) VALUES (1, 'Алла', 'много', 1.5), "
                        "(2, NULL, 3000000000, -2147483648), (3, 7, 4, 4)"));
    StatTable table(*connection);
    ASSERT_TRUE(table.reload().ok());
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(tableColumn(table, 1), (QStringList{"", "7", "Алла"})) << "NULL first, then a number, then texts";
    EXPECT_EQ(tableColumn(table, 2), (QStringList{"3000000000", "4", "много"}));
    EXPECT_EQ(tableColumn(table, 8), (QStringList{"-2147483648", "4", "1.5"}));
    EXPECT_TRUE(table.data(table.index(0, 1)).toString().isNull());

    // The first row goes; the odd cells stay with their rows.
    ASSERT_TRUE(table.deleteRow(0).ok());
    EXPECT_EQ(tableColumn(table, 2), (QStringList{"4", "много"}));
    EXPECT_EQ(tableColumn(table, 8), (QStringList{"4", "1.5"}));
    EXPECT_EQ(rows(), (QStringList{"Алла много 0 0 0 0 0 1.5 0 0 0", "7 4 0 0 0 0 0 4 0 0 0"}));
}

namespace {

int sign(int value) {
    return (value > 0) - (value < 0);
}

// Short texts of the pieces that test an order: Russian letters of both cases
// with е, ё and й, Latin letters, digits, a space, punctuation, combining marks
// (е with a diaeresis is ё) and letters of other alphabets.
class RandomTexts {
public:
    explicit RandomTexts(unsigned seed) : m_random(seed) {}
    QString next(int longest) {
        static const QStringList kPieces{"а", "А", "б", "е",      "Е",      "ё", "Ё", "ж", "и",     "й", "Й",
                                         "к", "я", "Я", "a",      "A",      "e", "z", "0", "1",     "9", " ",
                                         "-", "'", ".", "\u0308", "\u0306", "ß", "ї", "Ø", "\u200b"};
        QString text;
        for (int k = static_cast<int>(m_random() % static_cast<unsigned>(longest + 1)); k > 0; --k) {
            text += kPieces[static_cast<qsizetype>(m_random() % kPieces.size())];
        }
        return text;
    }
    unsigned number(unsigned below) { return m_random() % below; }

private:
    std::mt19937 m_random;
};

} // namespace

TEST(RussianCollatorTest, OrdersAsTheProgramsCollatorAndItsSortKeysAgree) {
    const std::shared_ptr<const RussianCollator> collator = RussianCollator::create();
    ASSERT_TRUE(collator);
    const auto compare = [&collator](const QString &a, const QString &b) {
        return sign(collator->compare(a.toUtf8().toStdString(), b.toUtf8().toStdString()));
    };
    EXPECT_EQ(compare("ёж", "еж"), 1) << "ё follows е";
    EXPECT_EQ(compare("Ёжик", "Ежов"), -1) << "but only where nothing else differs";
    EXPECT_EQ(compare("Вася", "вАСЯ"), 0) << "case is ignored";
    EXPECT_EQ(compare("Яна", "аня"), 1);
    EXPECT_EQ(compare("Игрок 10", "Игрок 9"), -1) << "numbers as texts";
    EXPECT_EQ(compare("", "\u200b"), -1) << "the empty text first, as QCollator has it";

    const QCollator program = russianCollator();
    RandomTexts texts(11);
    for (int k = 0; k < 20000; ++k) {
        const QString a = texts.next(6);
        const QString b = texts.next(6);
        const int order = compare(a, b);
        ASSERT_EQ(order, sign(program.compare(a, b))) << a.toStdString() << " / " << b.toStdString();
        if (a.isEmpty() || b.isEmpty()) {
            continue;
        }
        std::string keyA;
        std::string keyB;
        ASSERT_TRUE(collator->appendSortKey(a.toUtf8().toStdString(), keyA));
        ASSERT_TRUE(collator->appendSortKey(b.toUtf8().toStdString(), keyB));
        ASSERT_EQ(sign(keyA.compare(keyB)), order) << a.toStdString() << " / " << b.toStdString();
    }
}

namespace {

// The ids of the grid's rows, read as the grid reads them.
std::vector<qint64> gridIds(const StatTable &table) {
    std::vector<qint64> ids;
    for (int r = 0; r < table.rowCount(); ++r) {
        ids.push_back(table.data(table.index(r, 0)).toLongLong());
    }
    return ids;
}

// The ids in SQLite's own order of the statement's ORDER BY, on the connection.
std::vector<qint64> sqlIds(sqlite3 *handle, const QString &orderBy) {
    const QByteArray sql = QStringLiteral("SELECT id FROM stat ORDER BY %1, id").arg(orderBy).toUtf8();
    sqlite3_stmt *statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(handle, sql.constData(), -1, &statement, nullptr), SQLITE_OK)
        << sqlite3_errmsg(handle);
    std::vector<qint64> ids;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ids.push_back(sqlite3_column_int64(statement, 0));
    }
    sqlite3_finalize(statement);
    return ids;
}

// Inserts rows through SQLite in one transaction: `bind` binds the statement's
// values for row k.
void insertRows(sqlite3 *handle, const char *sql, int rows, const std::function<void(sqlite3_stmt *, int)> &bind) {
    ASSERT_EQ(sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt *insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(handle, sql, -1, &insert, nullptr), SQLITE_OK) << sqlite3_errmsg(handle);
    for (int k = 0; k < rows; ++k) {
        bind(insert, k);
        ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE) << sqlite3_errmsg(handle);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    ASSERT_EQ(sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
}

void insertNumberedPlayers(sqlite3 *handle, int rows) {
    insertRows(handle, "INSERT INTO stat (Игрок) VALUES (?)", rows, [](sqlite3_stmt *insert, int k) {
        const QByteArray name = QStringLiteral("игрок %1").arg(k, 4, 10, QChar(u'0')).toUtf8();
        sqlite3_bind_text(insert, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    });
}

} // namespace

TEST_F(StatsDatabaseTest, ThePlayerOrderIsTheOrderOfTheCollationInSql) {
    // More names than are sorted on one core, among them NULL, empty names,
    // names alike but for case or ё, and bytes that are not UTF-8.
    RandomTexts texts(5);
    insertRows(connection->handle(), "INSERT INTO stat (Игрок) VALUES (?)", 25000, [&texts](sqlite3_stmt *insert, int) {
        const unsigned kind = texts.number(50);
        QByteArray name = texts.next(8).toUtf8();
        if (kind == 0) {
            sqlite3_bind_null(insert, 1);
            return;
        }
        if (kind == 1) {
            name += "\xd0\xff\x80";
        }
        sqlite3_bind_text(insert, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    });
    StatTable table(*connection);
    ASSERT_TRUE(table.orderBy(1).ok());
    EXPECT_EQ(gridIds(table), sqlIds(connection->handle(), QStringLiteral("Игрок COLLATE russian")));

    // A name that is no text at all: SQLite orders the column itself.
    exec(QStringLiteral("INSERT INTO stat (Игрок) VALUES (x'00ff'), (NULL)"));
    ASSERT_TRUE(table.reload().ok());
    const std::vector<qint64> ids = gridIds(table);
    EXPECT_EQ(ids, sqlIds(connection->handle(), QStringLiteral("Игрок COLLATE russian")));
    EXPECT_EQ(ids.back(), 25001) << "a blob after every text";
}

TEST_F(StatsDatabaseTest, EveryColumnOrdersAsSqliteOrdersItEvenWithCellsThatAreNotIntegers) {
    RandomTexts texts(3);
    insertRows(connection->handle(),
               "INSERT INTO stat (Игрок, Побед, Ничьих, Поражений, Забито, Пропущено, Разница, Очки, Первый, Второй, "
               "Третий) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
               600, [&texts](sqlite3_stmt *insert, int) {
                   const QByteArray name = texts.next(4).toUtf8();
                   sqlite3_bind_text(insert, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
                   for (int column = 2; column <= 11; ++column) {
                       // Few values, so that many rows are level.
                       sqlite3_bind_int64(insert, column, static_cast<qint64>(texts.number(9)) - 4);
                   }
               });
    exec(QStringLiteral("UPDATE stat SET Пропущено = CASE id % 5 WHEN 0 THEN 'много' WHEN 1 THEN 2.5 WHEN 2 THEN '' "
                        "WHEN 3 THEN 5000000000 ELSE x'01' END WHERE id % 7 = 0"));
    StatTable table(*connection);
    for (int column : {0, 1, 2, 5, 6, 7, 8, 9, 10, 11, 3, 4}) {
        SCOPED_TRACE(column);
        ASSERT_TRUE(table.orderBy(column).ok());
        const QString name = table.headerData(column, Qt::Horizontal).toString();
        EXPECT_EQ(gridIds(table), sqlIds(connection->handle(),
                                         column == 1 ? name + QStringLiteral(" COLLATE russian") : u'"' + name + u'"'));
    }
}

TEST_F(StatsDatabaseTest, ReadingEveryRowKeepsAFewPagesAndNoLockOnTheFile) {
    constexpr int kRows = 5000;
    static_assert(kRows > StatTable::kPageRows * StatTable::kKeptPages);
    insertNumberedPlayers(connection->handle(), kRows);
    StatTable table(*connection);
    ASSERT_TRUE(table.orderBy(1).ok());
    ASSERT_EQ(table.rowCount(), kRows);
    OtherProgram other(path(StatsDb::FileName));
    int most = 0;
    // To the end and back to the top, as a grid scrolled both ways.
    for (int pass = 0; pass < 2; ++pass) {
        for (int k = 0; k < kRows; ++k) {
            const int r = pass == 0 ? k : kRows - 1 - k;
            ASSERT_EQ(table.data(table.index(r, 1)).toString(), QStringLiteral("игрок %1").arg(r, 4, 10, QChar(u'0')));
            most = std::max(most, table.heldRows());
        }
        EXPECT_TRUE(other.writesAtOnce()) << "no reading of a page is left open";
    }
    EXPECT_LE(most, StatTable::kPageRows * StatTable::kKeptPages);
    EXPECT_GE(most, StatTable::kPageRows);
}

TEST_F(StatsDatabaseTest, ARowThatAnotherProgramDeletedAfterTheOrderWasReadShowsBlank) {
    insertNumberedPlayers(connection->handle(), 300);
    StatTable table(*connection);
    ASSERT_TRUE(table.reload().ok());
    execOnStats(path(StatsDb::FileName), {QStringLiteral("DELETE FROM stat WHERE Игрок = 'игрок 0200'")});
    EXPECT_EQ(table.data(table.index(199, 1)).toString(), QStringLiteral("игрок 0199"));
    for (int column = 0; column < table.columnCount(); ++column) {
        EXPECT_FALSE(table.data(table.index(200, column)).isValid()) << column;
    }
    EXPECT_EQ(table.data(table.index(201, 1)).toString(), QStringLiteral("игрок 0201"));

    // Its deletion only takes it from the grid.
    ASSERT_TRUE(table.deleteRow(200).ok());
    EXPECT_EQ(table.rowCount(), 299);
    EXPECT_EQ(table.data(table.index(200, 1)).toString(), QStringLiteral("игрок 0201"));
    EXPECT_EQ(rows().size(), 299);
}

TEST_F(StatsDatabaseTest, APageHeldByAnotherProgramShowsBlankAndIsReadOnceTheFileIsFree) {
    insertNumberedPlayers(connection->handle(), 300);
    StatTable table(*connection);
    ASSERT_TRUE(table.reload().ok());
    OtherProgram other(path(StatsDb::FileName));
    other.holdExclusive();
    QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
    EXPECT_EQ(table.data(table.index(3, 1)).toString(), QStringLiteral("игрок 0003")) << "read with the order";
    EXPECT_FALSE(table.data(table.index(200, 1)).isValid());

    // A deletion reads the row's page again, and keeps the row when it cannot.
    const Status deleted = table.deleteRow(290);
    ASSERT_FALSE(deleted.ok());
    EXPECT_TRUE(deleted.error().contains(QStringLiteral("не удалена"))) << deleted.error().toStdString();
    EXPECT_TRUE(deleted.error().contains(QStringLiteral("занят другой программой"))) << deleted.error().toStdString();
    EXPECT_EQ(table.rowCount(), 300);

    // Still held when the page is tried again: it is tried once more later.
    ASSERT_TRUE(changed.wait(5000)) << "the grid is told to show the page again";
    EXPECT_FALSE(table.data(table.index(200, 1)).isValid());
    changed.clear();
    other.release();
    ASSERT_TRUE(changed.wait(5000)) << "and again after a second failure";
    EXPECT_EQ(table.data(table.index(200, 1)).toString(), QStringLiteral("игрок 0200"));
    EXPECT_EQ(table.data(table.index(290, 1)).toString(), QStringLiteral("игрок 0290"));
}

// An operation of several steps (the write and the reading that shows it)
// waits for another program's lock once: a step that meets the lock after an
// earlier one waited it out gives up at once.
TEST_F(StatsDatabaseTest, EveryStepOfOneOperationSharesItsDeadline) {
    constexpr std::chrono::milliseconds kWait{300};
    connection->setLockWait(kWait);
    StatTable table(*connection);
    OtherProgram other(path(StatsDb::FileName));
    other.holdExclusive();
    const auto began = std::chrono::steady_clock::now();
    {
        const StatsConnection::LockWaitScope operation(*connection);
        EXPECT_FALSE(writeTournament(*connection, kTournament, kEntry).ok());
        EXPECT_FALSE(table.reload().ok());
        EXPECT_FALSE(deleteStatRow(*connection, 1).ok());
    }
    const auto waited = std::chrono::steady_clock::now() - began;
    EXPECT_GE(waited, kWait);
    EXPECT_LT(waited, kWait * 3 / 2);
}

namespace {

// An authorizer that refuses the transaction statements named in the context
// ("COMMIT", "ROLLBACK"): SQLite then fails them as a full disk or an I/O error
// might, and the transaction stays open.
int refuseTransactions(void *context, int action, const char *operation, const char *, const char *, const char *) {
    const auto *refused = static_cast<const QList<QByteArray> *>(context);
    return action == SQLITE_TRANSACTION && operation != nullptr && refused->contains(QByteArray(operation))
               ? SQLITE_DENY
               : SQLITE_OK;
}

} // namespace

TEST_F(StatsDatabaseTest, AReadingLetsGoOfTheFileEvenWhenItsCommitFails) {
    insertNumberedPlayers(connection->handle(), 10);
    StatTable table(*connection);
    OtherProgram other(path(StatsDb::FileName));
    QList<QByteArray> refused{"COMMIT"};
    sqlite3_set_authorizer(connection->handle(), refuseTransactions, &refused);
    ASSERT_TRUE(table.reload().ok()) << "a reading's failed commit is a rollback";
    EXPECT_EQ(table.rowCount(), 10);
    EXPECT_TRUE(other.writesAtOnce()) << "the reading left no transaction open";

    // Neither commit nor rollback: the reading says that the file stays held.
    refused.append("ROLLBACK");
    const Status held = table.reload();
    ASSERT_FALSE(held.ok());
    EXPECT_TRUE(held.error().contains(QStringLiteral("остаётся занят этой программой"))) << held.error().toStdString();
    EXPECT_FALSE(other.writesAtOnce());
    // The next operation ends what was left open before it starts.
    refused.clear();
    const Result<QStringList> written = writeTournament(*connection, kTournament, kEntry);
    ASSERT_TRUE(written.ok()) << written.error().toStdString();
    EXPECT_EQ(rows().mid(10), kTournamentRows);
    EXPECT_TRUE(other.writesAtOnce());
    sqlite3_set_authorizer(connection->handle(), nullptr, nullptr);
}

TEST_F(StatsDatabaseTest, AWriteWhoseRollbackFailedDoesNotStopTheNextOne) {
    // Another program's reader keeps the commit waiting past the wait, and the
    // rollback that follows fails too.
    OtherProgram other(path(StatsDb::FileName));
    other.holdRead();
    QList<QByteArray> refused{"ROLLBACK"};
    sqlite3_set_authorizer(connection->handle(), refuseTransactions, &refused);
    const Status failed = writeTournament(*connection, kTournament, kEntry).status();
    ASSERT_FALSE(failed.ok());
    EXPECT_TRUE(failed.error().contains(QStringLiteral("не удалось отменить"))) << failed.error().toStdString();
    other.release();
    refused.clear();
    ASSERT_TRUE(writeTournament(*connection, kTournament, kEntry).ok());
    EXPECT_EQ(rows(), kTournamentRows) << "the rows of the failed write were not kept";
    sqlite3_set_authorizer(connection->handle(), nullptr, nullptr);
}
