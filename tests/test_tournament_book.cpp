#include "BookReader.h"
#include "DataFiles.h"
#include "ProgramTest.h"
#include "StatTable.h"
#include "StatWrites.h"
#include "TournamentBook.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

PlayerFigures figures(const char *name, const char *w, const char *d, const char *l, const char *scored,
                      const char *conceded, const char *points, const char *place) {
    const qint64 difference = QByteArray(scored).toLongLong() - QByteArray(conceded).toLongLong();
    return {QString::fromUtf8(name), w, d, l, scored, conceded, QString::number(difference), points, place};
}

// Edit k holds k: every match shows which boxes it came from.
const ScoreTexts kBoxes{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};

TournamentEntry entry(std::array<QString, 3> teams = {"Арсенал", "Милан", "Порту"}) {
    return {std::move(teams), parseScores(kBoxes).value(), QDateTime(QDate(2026, 12, 8), QTime(15, 30, 5))};
}

const std::array<PlayerFigures, 3> kFirst = {figures("Алла", "2", "0", "0", "5", "1", "6", "1"),
                                             figures("Вася", "1", "0", "1", "3", "3", "3", "2"),
                                             figures("Борис", "0", "0", "2", "1", "5", "0", "3")};

// The statements of data/base.sql before the book: the file of the program
// before the book.
QString schemaBeforeTheBook() {
    const Result<QByteArray> schema = readFileBytes(QStringLiteral(KORVANA_SCHEMA));
    EXPECT_TRUE(schema.ok());
    const QString text = QString::fromUtf8(schema.value());
    return text.left(text.indexOf(QStringLiteral("-- The tournament book")));
}

} // namespace

// The book on a real SQLite file, read back with plain SQL on the connection.
class TournamentBookTest : public StatsFileTest {
protected:
    void openFile(const QString &schema = {}) {
        if (schema.isEmpty()) {
            makeStatsDatabase(path(StatsDb::FileName));
        } else {
            ASSERT_TRUE(createStatsDatabase(path(StatsDb::FileName), schema).ok());
        }
        openConnection();
    }

    // Every row of a query, its fields joined by '|', NULL as "NULL".
    QStringList select(const QString &statement) const {
        QSqlQuery query(connection->database());
        EXPECT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
        QStringList rows;
        while (query.next()) {
            QStringList fields;
            for (int k = 0; k < query.record().count(); ++k) {
                fields.append(query.isNull(k) ? QStringLiteral("NULL") : query.value(k).toString());
            }
            rows.append(fields.join(u'|'));
        }
        return rows;
    }
    // Every row of "stat" with its id and the type of every cell.
    QStringList stat() const {
        return select(QStringLiteral("SELECT id, Игрок, Побед, Ничьих, Поражений, Забито, Пропущено, Разница, Очки, "
                                     "Первый, Второй, Третий, typeof(Побед) || typeof(Разница) FROM stat ORDER BY id"));
    }
    int tournaments() const { return select(QStringLiteral("SELECT count(*) FROM tournament")).value(0).toInt(); }
    void exec(const QString &statement) const { select(statement); }
    Status write(const std::array<PlayerFigures, 3> &rows, const TournamentEntry &with = entry()) const {
        return writeTournament(*connection, rows, with).status();
    }
};

TEST_F(TournamentBookTest, AWriteRecordsTheTournamentItsRowsAndItsMatches) {
    openFile();
    exec(QStringLiteral("INSERT INTO stat (Игрок, Побед, Очки, Первый) VALUES ('Вася', 4, 12, 2)"));
    // Петя in two rows: the first inserts his row, the second adds to it.
    const std::array<PlayerFigures, 3> rows = {figures("Вася", "2", "0", "0", "5", "1", "6", "1"),
                                               figures("Петя", "1", "0", "1", "3", "3", "3", "2"),
                                               figures("Петя", "0", "0", "2", "1", "5", "0", "3")};
    ASSERT_TRUE(write(rows, entry({"Арсенал", "", "Порту"})).ok());

    EXPECT_EQ(select(QStringLiteral("SELECT id, written FROM tournament")), QStringList{"1|2026-12-08 15:30:05"});
    EXPECT_EQ(select(QStringLiteral("SELECT row, player, team, wins, draws, losses, scored, conceded, difference, "
                                    "points, place, stat_id, stat_created FROM tournament_player ORDER BY row")),
              (QStringList{"1|Вася|Арсенал|2|0|0|5|1|4|6|1|1|0", "2|Петя|NULL|1|0|1|3|3|0|3|2|2|1",
                           "3|Петя|Порту|0|0|2|1|5|-4|0|3|2|0"}));
    EXPECT_EQ(select(QStringLiteral("SELECT home_row, away_row, home_goals, away_goals FROM tournament_match "
                                    "ORDER BY home_row, away_row")),
              (QStringList{"1|2|1|2", "1|3|9|10", "2|1|3|4", "2|3|11|12", "3|1|5|6", "3|2|7|8"}));
    EXPECT_EQ(select(QStringLiteral("SELECT typeof(wins), typeof(place) FROM tournament_player WHERE row=1")),
              QStringList{"integer|integer"});

    const Result<NewestTournament> newest = newestTournament(*connection);
    ASSERT_TRUE(newest.ok()) << newest.error().toStdString();
    EXPECT_EQ(newest.value().id, 1);
    EXPECT_EQ(newest.value().written, entry().written);
    EXPECT_EQ(newest.value().players, (std::array<QString, 3>{"Вася", "Петя", "Петя"}));

    // A table that holds a name twice (edited by hand): the tournament counts
    // once, in the row the lookup finds first, and the book names that row.
    exec(QStringLiteral("INSERT INTO stat (Игрок) VALUES ('Вася')"));
    ASSERT_TRUE(write(kFirst).ok());
    EXPECT_EQ(select(QStringLiteral("SELECT Побед FROM stat WHERE Игрок='Вася' ORDER BY id")), (QStringList{"7", "0"}));
    EXPECT_EQ(select(QStringLiteral("SELECT stat_id, stat_created FROM tournament_player WHERE tournament=2 AND "
                                    "player='Вася'")),
              QStringList{"1|0"});
}

TEST_F(TournamentBookTest, AFileWithoutTheBookGetsItInsideItsFirstWriteAndKeepsItsRows) {
    openFile(schemaBeforeTheBook());
    exec(QStringLiteral("INSERT INTO stat (Игрок, Побед, Разница, Второй) VALUES ('Алла', 3, -2, 1), "
                        "('Гена', 1, 5, 0), ('Вася', 0, 0, 4)"));
    const QStringList before = stat();
    EXPECT_EQ(bookVersion(connection->database()).value(), 0);
    const Result<NewestTournament> none = newestTournament(*connection);
    ASSERT_FALSE(none.ok());
    EXPECT_TRUE(none.error().contains(QStringLiteral("прежней версией программы"))) << none.error().toStdString();

    // A write that fails takes the new tables back with it.
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON stat BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    ASSERT_FALSE(write(kFirst).ok());
    EXPECT_EQ(bookVersion(connection->database()).value(), 0);
    EXPECT_EQ(select(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name LIKE 'tournament%'")),
              QStringList{"0"});
    EXPECT_EQ(stat(), before);

    exec(QStringLiteral("DROP TRIGGER refuse"));
    ASSERT_TRUE(write(kFirst).ok());
    EXPECT_EQ(bookVersion(connection->database()).value(), Book::SchemaVersion);
    EXPECT_EQ(stat().value(0), QStringLiteral("1|Алла|5|0|0|5|1|2|6|1|1|0|integerinteger"));
    EXPECT_EQ(stat().value(1), before.value(1)) << "a row the write did not touch";
    EXPECT_EQ(tournaments(), 1);

    // The tables the write made are those that data/base.sql makes.
    const auto bookSchema = [](const StatsConnection &on) {
        QSqlQuery read(on.database());
        EXPECT_TRUE(read.exec(QStringLiteral("SELECT type, name, sql FROM sqlite_master "
                                             "WHERE name LIKE 'tournament%' ORDER BY name")));
        QString text;
        while (read.next()) {
            text += read.value(0).toString() + read.value(1).toString() + read.value(2).toString();
        }
        return text.remove(QRegularExpression(QStringLiteral("--[^\n]*"))).remove(QRegularExpression("\\s"));
    };
    makeStatsDatabase(path(QStringLiteral("new.mdb")));
    const Result<std::unique_ptr<StatsConnection>> made = StatsConnection::open(QStringLiteral("new.mdb"));
    ASSERT_TRUE(made.ok());
    EXPECT_EQ(bookVersion(made.value()->database()).value(), Book::SchemaVersion);
    EXPECT_EQ(bookSchema(*connection), bookSchema(*made.value()));
    EXPECT_FALSE(bookSchema(*connection).isEmpty());
}

TEST_F(TournamentBookTest, AFailureAfterTheRowsOfStatChangesNeitherStatNorTheBook) {
    openFile();
    ASSERT_TRUE(write(kFirst).ok());
    const QStringList before = stat();
    const std::array<PlayerFigures, 3> second = {figures("Алла", "1", "0", "1", "2", "2", "3", "2"),
                                                 figures("Коля", "2", "0", "0", "4", "1", "6", "1"),
                                                 figures("Борис", "0", "0", "2", "1", "4", "0", "3")};

    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON tournament_match "
                        "BEGIN SELECT RAISE(ABORT, 'match refused'); END"));
    Status written = write(second);
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(QStringLiteral("match refused"))) << written.error().toStdString();
    EXPECT_TRUE(written.error().contains(QStringLiteral("ничего не записано")));
    EXPECT_EQ(stat(), before);
    EXPECT_EQ(tournaments(), 1);
    exec(QStringLiteral("DROP TRIGGER refuse"));

    // A score box that is not an integer stops the write before anything: the
    // scores become matches before the write, and the check names the match.
    ScoreTexts bad = kBoxes;
    bad[9] = QStringLiteral("два");
    const Result<Matches> refused = checkTournament(second, bad);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().contains(QStringLiteral("матча 1 против 3"))) << refused.error().toStdString();
    EXPECT_TRUE(refused.error().contains(QStringLiteral("«два»")));
    EXPECT_TRUE(refused.error().contains(QStringLiteral("ничего не записано")));

    // A full disk: not even the journal can be written. SQLite may roll the
    // transaction back itself; the write and the undo still say that nothing changed.
    Status undone;
    {
        const FileSizeLimit full(1024);
        written = write(second);
        undone = undoNewestTournament(*connection);
    }
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(QStringLiteral("ничего не записано"))) << written.error().toStdString();
    ASSERT_FALSE(undone.ok());
    EXPECT_TRUE(undone.error().contains(QStringLiteral("Ничего не изменено"))) << undone.error().toStdString();
    EXPECT_EQ(stat(), before);
    EXPECT_EQ(tournaments(), 1);

    // Another program's write in progress: the write, the undo and its question
    // stop before anything.
    {
        OtherProgram other(path(StatsDb::FileName));
        other.holdExclusive();
        for (const Status &refused :
             {write(second), undoNewestTournament(*connection), newestTournament(*connection).status()}) {
            ASSERT_FALSE(refused.ok());
            EXPECT_TRUE(refused.error().contains(QStringLiteral("занят другой программой")))
                << refused.error().toStdString();
        }
        other.release();
    }
    EXPECT_EQ(stat(), before);
    EXPECT_EQ(tournaments(), 1);
    ASSERT_TRUE(write(second).ok()) << "no transaction was left open";
}

TEST_F(TournamentBookTest, UndoTakesBackExactlyWhatTheNewestTournamentAdded) {
    openFile();
    exec(QStringLiteral("INSERT INTO stat (Игрок, Побед, Ничьих, Забито, Пропущено, Разница, Очки, Первый, Третий) "
                        "VALUES ('Алла', 5, 1, 20, 9, 11, 16, 2, 1), ('Вася', 0, 0, 3, 8, -5, 0, 0, 3)"));
    const QStringList initial = stat();
    ASSERT_TRUE(write(kFirst).ok());
    const QStringList afterFirst = stat();
    // Вася known, Коля new and twice.
    ASSERT_TRUE(
        write({figures("Вася", "2", "0", "0", "4", "1", "6", "1"), figures("Коля", "0", "1", "1", "2", "4", "1", "3"),
               figures("Коля", "0", "1", "1", "2", "3", "1", "2")})
            .ok());
    ASSERT_NE(stat(), afterFirst);

    // The question named the first tournament; the second was written since.
    const Status stale = undoNewestTournament(*connection, 1);
    ASSERT_FALSE(stale.ok());
    EXPECT_TRUE(stale.error().contains(QStringLiteral("другой турнир"))) << stale.error().toStdString();
    ASSERT_TRUE(undoNewestTournament(*connection, 2).ok());
    EXPECT_EQ(stat(), afterFirst);
    EXPECT_EQ(tournaments(), 1);
    EXPECT_EQ(select(QStringLiteral("SELECT count(*) FROM tournament_player WHERE tournament<>1")), QStringList{"0"});
    EXPECT_EQ(select(QStringLiteral("SELECT count(*) FROM tournament_match WHERE tournament<>1")), QStringList{"0"});

    // Борис's row was made by the first tournament; an older program added to it
    // since, so it stays with what that program added.
    ASSERT_TRUE(WritePlayerStats(connection->database(), "Борис", "1", "0", "0", "2", "0", "2", "3", "1").ok());
    ASSERT_TRUE(undoNewestTournament(*connection).ok());
    EXPECT_EQ(stat(), initial + QStringList{"3|Борис|1|0|0|2|0|2|3|1|0|0|integerinteger"});
    exec(QStringLiteral("DELETE FROM stat WHERE Игрок='Борис'"));
    EXPECT_EQ(stat(), initial);

    const Status empty = undoNewestTournament(*connection);
    ASSERT_FALSE(empty.ok());
    EXPECT_TRUE(empty.error().startsWith(QStringLiteral("Отменять нечего"))) << empty.error().toStdString();
    EXPECT_TRUE(empty.error().contains(QStringLiteral("прежней версией программы")));
    EXPECT_EQ(stat(), initial);
}

TEST_F(TournamentBookTest, UndoRefusesWhenStatNoLongerHoldsWhatTheTournamentAdded) {
    openFile();
    ASSERT_TRUE(write(kFirst).ok());
    const auto refusedNaming = [this](const char *player) {
        const QStringList before = stat();
        const Status undone = undoNewestTournament(*connection);
        ASSERT_FALSE(undone.ok());
        EXPECT_TRUE(undone.error().contains(QString::fromUtf8(player))) << undone.error().toStdString();
        EXPECT_TRUE(undone.error().contains(QStringLiteral("Ничего не изменено")));
        EXPECT_EQ(stat(), before);
        EXPECT_EQ(tournaments(), 1);
    };
    exec(QStringLiteral("UPDATE stat SET Поражений = 1 WHERE Игрок='Борис'"));
    refusedNaming("Борис");
    exec(QStringLiteral("UPDATE stat SET Поражений = 2 WHERE Игрок='Борис'"));
    // The place counts too: Алла's first place was taken off by hand.
    exec(QStringLiteral("UPDATE stat SET Первый = 0 WHERE Игрок='Алла'"));
    refusedNaming("Алла");
    exec(QStringLiteral("UPDATE stat SET Первый = 1 WHERE Игрок='Алла'"));
    exec(QStringLiteral("UPDATE stat SET Третий = 0 WHERE Игрок='Борис'"));
    refusedNaming("Борис");
    exec(QStringLiteral("UPDATE stat SET Третий = 1 WHERE Игрок='Борис'"));
    exec(QStringLiteral("UPDATE stat SET Поражений = 2 WHERE Игрок='Борис'"));
    exec(QStringLiteral("DELETE FROM stat WHERE Игрок='Вася'"));
    refusedNaming("Вася");
    // A new row under the deleted row's id is not the row the tournament added to.
    exec(QStringLiteral("INSERT INTO stat (id, Игрок, Побед, Поражений, Забито, Пропущено, Очки, Второй) "
                        "VALUES (2, 'Гена', 9, 9, 9, 9, 9, 9)"));
    refusedNaming("Вася");
}

// A row of "stat" that was there before the tournament stays after its undo,
// even at all zeros: only a row the tournament made goes with it.
TEST_F(TournamentBookTest, UndoKeepsARowItDidNotMakeEvenAtAllZeros) {
    openFile();
    exec(QStringLiteral("INSERT INTO stat (Игрок) VALUES ('Вася')"));
    ASSERT_TRUE(write(kFirst).ok());
    ASSERT_TRUE(undoNewestTournament(*connection).ok());
    EXPECT_EQ(stat(), QStringList{"1|Вася|0|0|0|0|0|0|0|0|0|0|integerinteger"});
}

// SQLite adds to a text or a NULL without a word ('abc' + 3 is 3) and compares a
// text above every number, so such a cell would give wrong totals and an undo
// below zero. Both stop, name the player and the column, and change nothing.
TEST_F(TournamentBookTest, AFigureOfStatThatIsNoWholeNumberStopsTheWriteAndTheUndo) {
    openFile();
    ASSERT_TRUE(write(kFirst).ok());
    // (The shipped table refuses NULL; a table made by hand may hold it, and the
    // check treats it as it treats a text.)
    for (const char *cell : {"'abc'", "1.5", "''", "x'01'"}) {
        SCOPED_TRACE(cell);
        exec(QStringLiteral("UPDATE stat SET Ничьих = %1 WHERE Игрок='Вася'").arg(QString::fromLatin1(cell)));
        const QStringList before = stat();
        for (const Status &refused : {write(kFirst), undoNewestTournament(*connection)}) {
            ASSERT_FALSE(refused.ok());
            EXPECT_TRUE(refused.error().contains(QStringLiteral("у игрока «Вася»"))) << refused.error().toStdString();
            EXPECT_TRUE(refused.error().contains(QStringLiteral("в графе «Ничьих»")));
        }
        EXPECT_EQ(stat(), before);
        EXPECT_EQ(tournaments(), 1);
    }
    exec(QStringLiteral("UPDATE stat SET Ничьих = 0 WHERE Игрок='Вася'"));
    ASSERT_TRUE(undoNewestTournament(*connection).ok());
    EXPECT_EQ(tournaments(), 0);
}

// A book whose version says it is there but whose table is gone or changed is
// neither an empty book nor one to write to: the write, the undo and every
// reading say so, and the grid of "stat" still reads.
TEST_F(TournamentBookTest, ADamagedBookIsToldAndNeverReadAsEmptyOrWritten) {
    openFile();
    ASSERT_TRUE(write(kFirst).ok());
    const QStringList before = stat();
    for (const auto &[damage, named] :
         {std::pair{QStringLiteral("ALTER TABLE tournament_match RENAME TO old_match"),
                    QStringLiteral("нет таблицы «tournament_match»")},
          std::pair{QStringLiteral("ALTER TABLE tournament_player RENAME COLUMN place TO rank"),
                    QStringLiteral("в таблице «tournament_player» не те графы")}}) {
        SCOPED_TRACE(damage.toStdString());
        exec(damage);
        const Status written = write(kFirst);
        ASSERT_FALSE(written.ok());
        EXPECT_TRUE(written.error().contains(named)) << written.error().toStdString();
        EXPECT_TRUE(written.error().contains(QStringLiteral("ничего не записано")));
        for (const Status &refused : {undoNewestTournament(*connection), newestTournament(*connection).status(),
                                      readTournaments(*connection).status(), readExportTables(*connection).status(),
                                      readBookPlayers(*connection).status()}) {
            ASSERT_FALSE(refused.ok());
            EXPECT_TRUE(refused.error().contains(QStringLiteral("повреждена"))) << refused.error().toStdString();
            EXPECT_TRUE(refused.error().contains(named)) << refused.error().toStdString();
        }
        EXPECT_EQ(stat(), before);
        StatTable grid(*connection);
        EXPECT_TRUE(grid.reload().ok());
        EXPECT_EQ(grid.rowCount(), 3);
        exec(damage.startsWith(QStringLiteral("ALTER TABLE tournament_match"))
                 ? QStringLiteral("ALTER TABLE old_match RENAME TO tournament_match")
                 : QStringLiteral("ALTER TABLE tournament_player RENAME COLUMN rank TO place"));
    }
    EXPECT_TRUE(write(kFirst).ok()) << "the mended book is written again";
}

TEST_F(TournamentBookTest, AFileOfANewerBookIsLeftAlone) {
    openFile();
    ASSERT_TRUE(write(kFirst).ok());
    exec(QStringLiteral("PRAGMA user_version = %1").arg(Book::SchemaVersion + 1));
    const QStringList before = stat();
    const Status written = write(kFirst);
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(connection->filePath())) << written.error().toStdString();
    EXPECT_TRUE(written.error().contains(QStringLiteral("более новая версия программы")));
    EXPECT_TRUE(written.error().contains(QStringLiteral("ничего не записано")));
    for (const QString &refused : {undoNewestTournament(*connection).error(), newestTournament(*connection).error()}) {
        EXPECT_TRUE(refused.contains(QStringLiteral("более новая версия программы"))) << refused.toStdString();
    }
    EXPECT_EQ(stat(), before);
    EXPECT_EQ(tournaments(), 1);
    EXPECT_EQ(bookVersion(connection->database()).value(), Book::SchemaVersion + 1);
}
