#include "ProgramTest.h"
#include "RussianCollator.h"
#include "StatTable.h"
#include "StatsDatabase.h"
#include "Text.h"

#include <QCollator>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <fcntl.h>
#include <future>
#include <random>
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

} // namespace

// The database layer on a real SQLite file in the test's working directory. Rows
// are read back with plain SQL on a connection of the test's own.
class StatsDatabaseTest : public WorkDirTest {
protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        StatsConnection::setDefaultLockWait(kTestLockWait);
        makeStatsDatabase(path(StatsDb::FileName));
        Result<std::unique_ptr<StatsConnection>> opened = StatsConnection::open(StatsDb::FileName);
        ASSERT_TRUE(opened.ok()) << opened.error().toStdString();
        connection = std::move(opened).value();
    }
    void TearDown() override {
        connection.reset();
        EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty());
        StatsConnection::setDefaultLockWait(StatsConnection::kProgramLockWait);
        WorkDirTest::TearDown();
    }

    QSqlDatabase db() const { return connection->database(); }

    QStringList rows(const QString &fileName = StatsDb::FileName) const { return statRows(path(fileName)); }

    void exec(const QString &statement) const {
        QSqlQuery query(db());
        ASSERT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
    }

    std::unique_ptr<StatsConnection> connection;
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
    ASSERT_TRUE(writeTournament(*connection, tournament, [&progress](int done) { progress.push_back(done); }).ok());
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(rows(), (QStringList{"Вася 1 2 1 3 3 0 5 0 1 0", "Петя 1 2 1 4 4 0 5 0 1 0", "Коля 1 2 1 2 2 0 5 0 1 0"}))
        << "places 2, 2, 2 count a second place each";

    // The same name in two rows of one write: the second finds the first's row.
    ASSERT_TRUE(writeTournament(*connection, {row("Вася", "1", "0", "0", "1", "0", "1", "3", "1"),
                                              row("Вася", "0", "0", "1", "0", "1", "-1", "0", "3"),
                                              row("Коля", "0", "0", "0", "0", "0", "0", "0", "2")})
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
    Status written = writeTournament(*connection, {row("Вася", "00", "00", "00", "00", "00", "00", "00", "0"),
                                                   row("Петя", "00", "00", "00", "00", "00", "00", "00", "0"),
                                                   row("Коля", "00", "00", "00", "00", "00", "00", "00", "0")});
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(QStringLiteral("«Посчитать результат»"))) << written.error().toStdString();
    EXPECT_TRUE(written.error().contains(QStringLiteral("ничего не записано")));

    // SQLite would add "", "abc" and "1.5" without a word, so the third row stops
    // the whole write before the first is stored.
    for (const char *bad : {"", "abc", "1.5", " 1", "99999999999999999999"}) {
        written = writeTournament(*connection, {row("Вася", "1", "0", "0", "1", "0", "1", "3", "1"),
                                                row("Петя", "0", "1", "0", "0", "0", "0", "1", "2"),
                                                row("Коля", "0", "0", "1", bad, "1", "-1", "0", "3")});
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
    const Status failed = writeTournament(*connection, tournament, [&progress](int done) { progress.push_back(done); });
    ASSERT_FALSE(failed.ok());
    EXPECT_TRUE(failed.error().contains(QStringLiteral("Коля refused"))) << failed.error().toStdString();
    EXPECT_EQ(progress, (std::vector<int>{1, 2}));
    EXPECT_EQ(rows(), QStringList{"Вася 1 0 0 1 0 1 3 1 0 0"});

    exec(QStringLiteral("DROP TRIGGER refuse"));
    ASSERT_TRUE(writeTournament(*connection, tournament).ok());
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
        writeTournament(*connection, kTournament, [&progress](int done) { progress.push_back(done); });
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3})) << "only the commit waited";
    EXPECT_TRUE(failed.error().contains(QStringLiteral("занят другой программой"))) << failed.error().toStdString();
    EXPECT_TRUE(failed.error().contains(QStringLiteral("ничего не записано")));
    // Rolled back at once: the commit's hold on the file, which keeps new
    // readers out, is gone.
    EXPECT_TRUE(other.newReaderReadsAtOnce());

    other.release();
    EXPECT_TRUE(rows().isEmpty());
    ASSERT_TRUE(writeTournament(*connection, kTournament).ok()) << "no transaction was left open";
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
    const Status written = writeTournament(*connection, kTournament);
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
