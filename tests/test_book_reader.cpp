#include "BookFixture.h"
#include "BookReader.h"
#include "CsvWriter.h"
#include "DataFiles.h"
#include "FileWriting.h"
#include "StatsConnection.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>

// The readings of the book on a real file in the test's working directory.
class BookReaderTest : public StatsFileTest {
protected:
    void openWithThreeTournaments() {
        makeStatsDatabase(path(StatsDb::FileName));
        execOnStats(path(StatsDb::FileName), threeTournamentsSql());
        openConnection();
    }
};

TEST_F(BookReaderTest, TournamentsComeNewestFirstWithTheirRowsAndTheCrossTableByRow) {
    openWithThreeTournaments();
    const Result<std::vector<BookTournament>> tournaments = readTournaments(*connection);
    ASSERT_TRUE(tournaments.ok()) << tournaments.error().toStdString();
    ASSERT_EQ(tournaments.value().size(), 3U);
    EXPECT_EQ(tournaments.value()[0].id, 3);
    EXPECT_EQ(tournaments.value()[2].id, 1);
    const BookTournament &second = tournaments.value()[1];
    EXPECT_EQ(second.written, u8("2026-01-17 20:00:00"));
    EXPECT_EQ(second.rows[0].player, u8("Вова"));
    EXPECT_EQ(second.rows[2].team, u8("Рома"));
    EXPECT_EQ(second.rows[2].points, 2);
    EXPECT_EQ(second.rows[0].place, 1);
    EXPECT_TRUE(tournaments.value()[0].rows[1].team.isEmpty());

    const Result<BookCrossTable> cross = readCrossTable(*connection, 1);
    ASSERT_TRUE(cross.ok()) << cross.error().toStdString();
    using Cell = std::optional<std::pair<qint64, qint64>>;
    // Row participant's goals first: Аня (row 1) beat Боря (column 2) 2:1 and
    // drew 0:0 where Боря was the row.
    EXPECT_EQ(cross.value().cells[0][1], Cell(std::pair<qint64, qint64>{2, 1}));
    EXPECT_EQ(cross.value().cells[1][0], Cell(std::pair<qint64, qint64>{0, 0}));
    EXPECT_EQ(cross.value().cells[0][2], Cell(std::pair<qint64, qint64>{1, 3}));
    EXPECT_EQ(cross.value().cells[2][1], Cell(std::pair<qint64, qint64>{0, 1}));
    EXPECT_EQ(cross.value().cells[1][1], Cell());
    EXPECT_EQ(cross.value().tournament.rows[1].player, u8("Боря"));

    const Result<BookCrossTable> gone = readCrossTable(*connection, 42);
    ASSERT_FALSE(gone.ok());
    EXPECT_TRUE(gone.error().contains(u8("нет в истории")));
}

// The figures below were worked out by hand from the matches of the fixture.
TEST_F(BookReaderTest, HeadToHeadCountsBothCellsOfEveryTournamentFromTheFirstPlayersSide) {
    openWithThreeTournaments();
    const Result<HeadToHead> anyaBorya = readHeadToHead(*connection, u8("Аня"), u8("Боря"));
    ASSERT_TRUE(anyaBorya.ok()) << anyaBorya.error().toStdString();
    const HeadToHead &ab = anyaBorya.value();
    EXPECT_EQ(ab.played, 4);
    EXPECT_EQ(ab.wins, 2);
    EXPECT_EQ(ab.draws, 2);
    EXPECT_EQ(ab.losses, 0);
    EXPECT_EQ(ab.goalsFor, 7);
    EXPECT_EQ(ab.goalsAgainst, 5);
    ASSERT_EQ(ab.matches.size(), 4U);
    EXPECT_EQ(ab.matches[0].team, u8("Милан"));
    EXPECT_EQ(ab.matches[0].otherTeam, u8("Рома"));
    EXPECT_EQ(ab.matches[0].goalsFor, 2);
    EXPECT_EQ(ab.matches[0].goalsAgainst, 1);
    EXPECT_EQ(ab.matches[3].written, u8("2026-01-24 20:00:00"));
    EXPECT_EQ(ab.matches[3].goalsFor, 2);
    EXPECT_EQ(ab.matches[3].goalsAgainst, 1);

    // The same matches from the other side.
    const Result<HeadToHead> boryaAnya = readHeadToHead(*connection, u8("Боря"), u8("Аня"));
    ASSERT_TRUE(boryaAnya.ok());
    EXPECT_EQ(boryaAnya.value().wins, 0);
    EXPECT_EQ(boryaAnya.value().losses, 2);
    EXPECT_EQ(boryaAnya.value().goalsFor, 5);
    EXPECT_EQ(boryaAnya.value().goalsAgainst, 7);

    // Аня and Вова met in all three, in rows 1/3, 2/1 and 1/3.
    const Result<HeadToHead> anyaVova = readHeadToHead(*connection, u8("Аня"), u8("Вова"));
    ASSERT_TRUE(anyaVova.ok());
    EXPECT_EQ(anyaVova.value().played, 6);
    EXPECT_EQ(anyaVova.value().wins, 0);
    EXPECT_EQ(anyaVova.value().draws, 3);
    EXPECT_EQ(anyaVova.value().losses, 3);
    EXPECT_EQ(anyaVova.value().goalsFor, 5);
    EXPECT_EQ(anyaVova.value().goalsAgainst, 9);
    ASSERT_EQ(anyaVova.value().matches.size(), 6U);
    EXPECT_EQ(anyaVova.value().matches[2].team, u8("Челси"));
    EXPECT_EQ(anyaVova.value().matches[2].goalsFor, 0);
    EXPECT_EQ(anyaVova.value().matches[2].goalsAgainst, 1);

    // Never met, and a player against himself.
    EXPECT_EQ(readHeadToHead(*connection, u8("Гена"), u8("Боря")).value().played, 0);
    EXPECT_EQ(readHeadToHead(*connection, u8("Аня"), u8("Аня")).value().played, 0);
}

TEST_F(BookReaderTest, TeamRecordsSumEveryTitledRowAndNameWhoPlayedThem) {
    openWithThreeTournaments();
    const Result<std::vector<TeamRecord>> records = readTeamRecords(*connection);
    ASSERT_TRUE(records.ok()) << records.error().toStdString();
    // Tournament 3 had no titles and adds no team.
    ASSERT_EQ(records.value().size(), 4U);
    const TeamRecord &milan = records.value()[0];
    EXPECT_EQ(milan.team, u8("Милан"));
    EXPECT_EQ(milan.tournaments, 2);
    const std::vector<std::pair<QString, int>> players{{u8("Аня"), 1}, {u8("Вова"), 1}};
    EXPECT_EQ(milan.players, players);
    EXPECT_EQ(milan.wins, 3);
    EXPECT_EQ(milan.draws, 4);
    EXPECT_EQ(milan.losses, 1);
    EXPECT_EQ(milan.goalsFor, 10);
    EXPECT_EQ(milan.goalsAgainst, 9);
    const TeamRecord &roma = records.value()[1];
    EXPECT_EQ(roma.team, u8("Рома"));
    EXPECT_EQ(roma.wins, 2);
    EXPECT_EQ(roma.losses, 3);
    EXPECT_EQ(roma.goalsFor, 8);
    EXPECT_EQ(records.value()[2].team, u8("Челси"));
    EXPECT_EQ(records.value()[3].team, u8("Ювентус"));
    EXPECT_EQ(records.value()[3].goalsAgainst, 8);
}

TEST_F(BookReaderTest, PointsAddUpOverTheBookInTheOrderOfWriting) {
    openWithThreeTournaments();
    const Result<PointsProgress> progress = readPointsProgress(*connection);
    ASSERT_TRUE(progress.ok()) << progress.error().toStdString();
    EXPECT_EQ(progress.value().tournaments, 3);
    ASSERT_EQ(progress.value().curves.size(), 4U);
    using Points = std::vector<std::pair<int, int>>;
    EXPECT_EQ(progress.value().curves[0].player, u8("Аня"));
    EXPECT_EQ(progress.value().curves[0].points, (Points{{1, 5}, {2, 10}, {3, 15}}));
    EXPECT_EQ(progress.value().curves[1].points, (Points{{1, 7}, {3, 12}}));
    EXPECT_EQ(progress.value().curves[2].points, (Points{{1, 4}, {2, 12}, {3, 17}}));
    EXPECT_EQ(progress.value().curves[3].player, u8("Гена"));
    EXPECT_EQ(progress.value().curves[3].points, (Points{{2, 2}}));

    const Result<QStringList> players = readBookPlayers(*connection);
    ASSERT_TRUE(players.ok());
    EXPECT_EQ(players.value(), (QStringList{u8("Аня"), u8("Боря"), u8("Вова"), u8("Гена")}));
}

// One name on two rows of a tournament (a hand entry with a name typed twice)
// is one point of the chart with the sum of both rows.
TEST_F(BookReaderTest, PointsOfOneNameOnTwoRowsMakeOnePoint) {
    openWithThreeTournaments();
    execOnStats(path(StatsDb::FileName),
                {QStringLiteral("INSERT INTO tournament (id, written) VALUES (4, '2026-01-31 20:00:00')"),
                 u8("INSERT INTO tournament_player (tournament, row, player, wins, draws, losses, scored, conceded, "
                    "difference, points, place) VALUES (4, 1, 'Гена', 1, 0, 1, 2, 2, 0, 3, 2), "
                    "(4, 2, 'Гена', 2, 0, 0, 3, 1, 2, 6, 1), (4, 3, 'Вова', 0, 0, 2, 1, 3, -2, 0, 3)")});
    const Result<PointsProgress> progress = readPointsProgress(*connection);
    ASSERT_TRUE(progress.ok()) << progress.error().toStdString();
    EXPECT_EQ(progress.value().tournaments, 4);
    using Points = std::vector<std::pair<int, int>>;
    EXPECT_EQ(progress.value().curves[3].player, u8("Гена"));
    EXPECT_EQ(progress.value().curves[3].points, (Points{{2, 2}, {4, 11}}));
    EXPECT_EQ(progress.value().curves[2].points, (Points{{1, 4}, {2, 12}, {3, 17}, {4, 17}}));
}

// A file made before the book has "stat" only and user_version 0.
TEST_F(BookReaderTest, AFileWithoutTheBookReadsAsAnEmptyBook) {
    const Result<QByteArray> schema = readFileBytes(QStringLiteral(KORVANA_SCHEMA));
    ASSERT_TRUE(schema.ok());
    const QString text = QString::fromUtf8(schema.value());
    const Status made = createStatsDatabase(StatsDb::FileName, text.left(text.indexOf(u8("CREATE TABLE tournament"))));
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
    execOnStats(path(StatsDb::FileName), {u8("INSERT INTO stat (\"Игрок\", \"Очки\") VALUES ('Аня', 7)")});
    openConnection();

    const Result<std::vector<BookTournament>> tournaments = readTournaments(*connection);
    ASSERT_TRUE(tournaments.ok()) << tournaments.error().toStdString();
    EXPECT_TRUE(tournaments.value().empty());
    EXPECT_TRUE(readBookPlayers(*connection).value().isEmpty());
    EXPECT_EQ(readHeadToHead(*connection, u8("Аня"), u8("Боря")).value().played, 0);
    EXPECT_TRUE(readTeamRecords(*connection).value().empty());
    EXPECT_EQ(readPointsProgress(*connection).value().tournaments, 0);
    EXPECT_FALSE(readCrossTable(*connection, 1).ok());
    const Result<ExportTables> tables = readExportTables(*connection);
    ASSERT_TRUE(tables.ok()) << tables.error().toStdString();
    ASSERT_EQ(tables.value().stat.rows.size(), 1U);
    EXPECT_EQ(tables.value().stat.rows[0][8], u8("7"));
    EXPECT_TRUE(tables.value().tournaments.rows.empty());
    EXPECT_EQ(tables.value().tournaments.header.size(), 13);
}

TEST_F(BookReaderTest, AReadingThatMeetsAnotherProgramsWriteSaysTheFileIsBusyAndLeavesNothingOpen) {
    openWithThreeTournaments();
    OtherProgram other(path(StatsDb::FileName));
    other.holdExclusive();
    const Result<std::vector<BookTournament>> busy = readTournaments(*connection);
    ASSERT_FALSE(busy.ok());
    EXPECT_TRUE(busy.error().contains(u8("занят другой программой"))) << busy.error().toStdString();
    other.release();
    // The failed reading left no transaction behind: another program writes at once.
    EXPECT_TRUE(other.writesAtOnce());
    EXPECT_TRUE(readTournaments(*connection).ok());
    EXPECT_TRUE(other.writesAtOnce());
}

TEST_F(BookReaderTest, TheExportJoinsEachMatchToItsTwoRows) {
    openWithThreeTournaments();
    const Result<ExportTables> tables = readExportTables(*connection);
    ASSERT_TRUE(tables.ok()) << tables.error().toStdString();
    EXPECT_EQ(tables.value().stat.rows.size(), 4U);
    ASSERT_EQ(tables.value().tournaments.rows.size(), 9U);
    EXPECT_EQ(tables.value().tournaments.rows[4],
              (QStringList{u8("2"), u8("2026-01-17 20:00:00"), u8("2"), u8("Аня"), u8("Челси"), u8("1"), u8("2"),
                           u8("1"), u8("6"), u8("4"), u8("2"), u8("5"), u8("2")}));
    ASSERT_EQ(tables.value().matches.rows.size(), 18U);
    // Tournament 1, cell (3, 2): Вова's 0 against Боря's 1.
    EXPECT_EQ(tables.value().matches.rows[5], (QStringList{u8("1"), u8("2026-01-10 20:00:00"), u8("Вова"),
                                                           u8("Ювентус"), u8("0"), u8("1"), u8("Боря"), u8("Рома")}));
}

TEST(CsvWriter, QuotesOnlyTheFieldsThatNeedItAndEndsEveryRecordWithCrLf) {
    const QByteArray bytes = csvBytes({u8("Игрок"), u8("Очки")}, {{u8("a;b"), u8("say \"hi\"")}, {u8("x\ny"), u8("")}});
    EXPECT_EQ(bytes,
              QByteArray("\xEF\xBB\xBF") + u8("Игрок;Очки\r\n\"a;b\";\"say \"\"hi\"\"\"\r\n\"x\ny\";\r\n").toUtf8());
}

// A name that a spreadsheet would run as a formula gets an apostrophe in front;
// numbers, and names that only contain such characters later, stay as they are.
TEST(CsvWriter, NeutralisesEveryFieldThatWouldOpenAsAFormula) {
    const std::vector<QStringList> rows{{u8("=HYPERLINK(\"http://x\";\"y\")"), u8("+cmd|' /C calc'!A0"),
                                         u8("@SUM(1+1)"), u8("-1+2"), u8("\t=1"), u8("\r=1")},
                                        {u8("-3"), u8("0"), u8("-"), u8("Аня=Боря"), u8("a-b"), u8("15")}};
    const QByteArray bytes = csvBytes({u8("Игрок")}, rows);
    EXPECT_EQ(bytes,
              QByteArray("\xEF\xBB\xBF") +
                  u8("Игрок\r\n\"'=HYPERLINK(\"\"http://x\"\";\"\"y\"\")\";'+cmd|' /C calc'!A0;'@SUM(1+1);'-1+2;'\t=1;"
                     "\"'\r=1\"\r\n-3;0;'-;Аня=Боря;a-b;15\r\n")
                      .toUtf8());
}

// The file is read back by real CSV readers: python's csv module, and
// LibreOffice when it is installed.
class CsvRoundTrip : public WorkDirTest {};

TEST_F(CsvRoundTrip, ANameWithSeparatorQuotesAndLineBreaksSurvivesRealReaders) {
    const QString awkward = u8("Ан;я \"Кэп\"\r\nвторая строка\nтретья");
    const QStringList header{u8("Игрок"), u8("Очки")};
    const std::vector<QStringList> rows{{awkward, u8("15")}, {u8("Боря"), u8("-3")}, {u8("=1+2"), u8("@SUM(1+1)")}};
    const QString file = path(QStringLiteral("выгрузка.csv"));
    const Status written = writeCsvFile(file, header, rows);
    ASSERT_TRUE(written.ok()) << written.error().toStdString();

    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        GTEST_SKIP() << "python3 is not installed";
    }
    QProcess reader;
    reader.start(python, {QStringLiteral("-c"),
                          QStringLiteral("import csv, json, sys\n"
                                         "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                                         "    print(json.dumps(list(csv.reader(f, delimiter=';'))))\n"),
                          file});
    ASSERT_TRUE(reader.waitForFinished(30000));
    ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    const QJsonArray read = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
    ASSERT_EQ(read.size(), 4);
    EXPECT_EQ(read[0].toArray().toVariantList(), QVariantList({header[0], header[1]}));
    EXPECT_EQ(read[1].toArray().toVariantList(), QVariantList({awkward, u8("15")}));
    EXPECT_EQ(read[2].toArray().toVariantList(), QVariantList({u8("Боря"), u8("-3")}));
    EXPECT_EQ(read[3].toArray().toVariantList(), QVariantList({u8("'=1+2"), u8("'@SUM(1+1)")}));

    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    // LibreOffice reads the file as ';'-separated UTF-8 (76) with '"' quotes and
    // writes it again with ',' between the fields, for python to read.
    QProcess office;
    office.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + path(QStringLiteral("lo-profile")),
                           QStringLiteral("--headless"), QStringLiteral("--infilter=CSV:59,34,76,1"),
                           QStringLiteral("--convert-to"), QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"),
                           QStringLiteral("--outdir"), path(QStringLiteral("out")), file});
    ASSERT_TRUE(office.waitForFinished(120000));
    ASSERT_EQ(office.exitCode(), 0) << office.readAllStandardError().toStdString();
    reader.start(python, {QStringLiteral("-c"),
                          QStringLiteral("import csv, json, sys\n"
                                         "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                                         "    print(json.dumps(list(csv.reader(f))))\n"),
                          path(QStringLiteral("out/выгрузка.csv"))});
    ASSERT_TRUE(reader.waitForFinished(30000));
    const QJsonArray calc = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
    ASSERT_EQ(calc.size(), 4) << reader.readAllStandardError().toStdString();
    // Calc keeps the line breaks inside the cell (as LF) and the number as a number.
    QString inCalc = calc[1].toArray()[0].toString();
    EXPECT_EQ(inCalc.replace(u8("\r\n"), u8("\n")), QString(awkward).replace(u8("\r\n"), u8("\n")));
    EXPECT_EQ(calc[2].toArray()[1].toString(), u8("-3"));
    // Calc evaluates a field "=1+2" to 3; the apostrophe keeps it the name it is.
    EXPECT_EQ(calc[3].toArray()[0].toString(), u8("'=1+2"));
    EXPECT_EQ(calc[3].toArray()[1].toString(), u8("'@SUM(1+1)"));
}

TEST_F(CsvRoundTrip, AFailedWriteLeavesTheOldFileAndNamesIt) {
    write(QStringLiteral("old.csv"), "old");
    const FileSizeLimit full(2);
    const Status written = writeCsvFile(path(QStringLiteral("old.csv")), {u8("Игрок")}, {{u8("Аня")}});
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(QStringLiteral("old.csv"))) << written.error().toStdString();
    EXPECT_EQ(read(QStringLiteral("old.csv")), QByteArray("old"));
}
