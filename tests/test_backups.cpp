#include "BackupRestore.h"
#include "Backups.h"
#include "BookFixture.h"
#include "DatabaseCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QDateTime kFirst(QDate(2026, 1, 24), QTime(21, 0));
const QDateTime kSecond(QDate(2026, 1, 31), QTime(21, 5));

// A fourth tournament, written as the program writes one.
QStringList fourthTournamentSql() {
    return {QStringLiteral("INSERT INTO tournament (id, written) VALUES (4, '2026-01-31 21:00:00')"),
            QStringLiteral("INSERT INTO tournament_player (tournament, row, player, team, wins, draws, losses, scored, "
                           "conceded, difference, points, place) VALUES "
                           "(4, 1, 'Гена', 'Бавария', 4, 0, 0, 8, 1, 7, 12, 1), "
                           "(4, 2, 'Аня', 'Порту', 1, 0, 3, 3, 5, -2, 3, 2), "
                           "(4, 3, 'Вова', 'Аякс', 1, 0, 3, 2, 7, -5, 3, 3)"),
            QStringLiteral("UPDATE stat SET \"Побед\" = \"Побед\" + 4, \"Очки\" = \"Очки\" + 12 WHERE \"Игрок\" = "
                           "'Гена'")};
}

class BackupTest : public WorkDirTest {
protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        writeStandardFiles(3, 3, 3, 3, 3);
        makeStatsDatabase(path(StatsDb::FileName));
        execOnStats(path(StatsDb::FileName), threeTournamentsSql());
    }
    void TearDown() override {
        setBackupStepHook({});
        WorkDirTest::TearDown();
    }

    QString data() const { return dir.path(); }
    Result<BackupEntry> backUp(const QDateTime &now) const { return makeBackup(data(), now, kTestLockWait); }
    // The text files that a backup holds, name and bytes.
    QStringList textFiles() const {
        QStringList files;
        for (const QString &name : dataFileNames()) {
            if (name != DataFile::PoolRemainder && QFileInfo::exists(path(name))) {
                files.append(name + u'=' + QString::fromLatin1(read(name).toHex()));
            }
        }
        return files;
    }
    QStringList backupsFolder() const { return folderEntries(path(Backups::FolderName)); }

    // Runs the function in a child process that is killed at the step-th step
    // the library takes, or before the step-th rename of any file it writes;
    // false when the function finished before that step.
    static bool killedAtStep(int step, const std::function<void()> &work) {
        const pid_t child = fork();
        if (child == 0) {
            int taken = 0;
            const auto count = [&taken, step] {
                if (++taken == step) {
                    ::raise(SIGKILL);
                }
            };
            setBackupStepHook([&count](const char *) { count(); });
            const auto rename = fileSystemCalls().rename;
            fileSystemCalls().rename = [&count, rename](const char *from, const char *to) {
                count();
                return rename(from, to);
            };
            work();
            ::_exit(0);
        }
        int status = 0;
        EXPECT_EQ(waitpid(child, &status, 0), child);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
};

TEST_F(BackupTest, ADiskDamagedFileIsSeenAndTheNewestBackupBringsBackExactlyTheLastWrite) {
    ASSERT_TRUE(backUp(kFirst).ok());
    execOnStats(path(StatsDb::FileName), fourthTournamentSql());
    write(DataFile::LastTournament, cp("Бавария\r\nПорту\r\nАякс\r\n"));
    ASSERT_TRUE(backUp(kSecond).ok());
    const QStringList lastWrite = dumpDatabase(path(StatsDb::FileName));
    const QStringList lastFiles = textFiles();
    const QByteArray sound = read(StatsDb::FileName);
    ASSERT_GE(sound.size(), 4 * 4096);

    const std::vector<std::pair<const char *, QByteArray>> damages = {
        {"truncated", sound.left(sound.size() / 2)},
        {"page of garbage", sound.left(4096) + QByteArray(4096, '\x5a') + sound.mid(2 * 4096)},
        {"zero bytes", QByteArray()},
    };
    for (const auto &[kind, bytes] : damages) {
        SCOPED_TRACE(kind);
        write(StatsDb::FileName, bytes);
        write(DataFile::LastTournament, "changed since\r\n");
        EXPECT_EQ(checkDatabaseFile(path(StatsDb::FileName), kTestLockWait).verdict, DatabaseCheck::Verdict::Damaged);

        const std::vector<BackupEntry> list = listBackups(data());
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[0].taken, kSecond.addMSecs(-kSecond.time().msec()));
        const DatabaseCheck newest = checkDatabaseFile(list[0].databasePath, kTestLockWait);
        ASSERT_EQ(newest.verdict, DatabaseCheck::Verdict::Good) << newest.reason.toStdString();
        EXPECT_EQ(newest.summary.tournaments, 4);
        EXPECT_EQ(newest.summary.players, 4);
        EXPECT_EQ(newest.summary.newestWritten, u"2026-01-31 21:00:00");
        EXPECT_EQ(newest.summary.newestPlayers,
                  (QStringList{QStringLiteral("Гена"), QStringLiteral("Аня"), QStringLiteral("Вова")}));

        const Result<QString> kept = keepDamagedDatabase(data(), kSecond);
        ASSERT_TRUE(kept.ok()) << kept.error().toStdString();
        EXPECT_EQ(QFile(kept.value()).size(), bytes.size());

        const Status restored = restoreBackup(data(), list[0], kTestLockWait);
        ASSERT_TRUE(restored.ok()) << restored.error().toStdString();
        EXPECT_EQ(dumpDatabase(path(StatsDb::FileName)), lastWrite);
        EXPECT_EQ(textFiles(), lastFiles);
        EXPECT_FALSE(QFileInfo::exists(path(Backups::RestoreIntentName)));
    }
    // The copies of the damaged files are no backups and rotation leaves them.
    EXPECT_EQ(listBackups(data()).size(), 2u);
    EXPECT_EQ(rotateBackups(data(), kSecond.date()), 0);
    EXPECT_EQ(backupsFolder().filter(QStringLiteral("damaged-")).size(), 3);
}

TEST_F(BackupTest, ARestoreIsUndoneByRestoringTheBackupMadeJustBeforeIt) {
    ASSERT_TRUE(backUp(kFirst).ok());
    const QStringList three = dumpDatabase(path(StatsDb::FileName));
    const QStringList threeFiles = textFiles();
    execOnStats(path(StatsDb::FileName), fourthTournamentSql());
    write(DataFile::Gift, cp("Пицца\r\n"));
    const QStringList four = dumpDatabase(path(StatsDb::FileName));
    const QStringList fourFiles = textFiles();

    // The restore of the older backup, with the state before it saved first.
    const Result<BackupEntry> before = backUp(kSecond);
    ASSERT_TRUE(before.ok()) << before.error().toStdString();
    ASSERT_TRUE(restoreBackup(data(), listBackups(data()).back(), kTestLockWait).ok());
    EXPECT_EQ(dumpDatabase(path(StatsDb::FileName)), three);
    EXPECT_EQ(textFiles(), threeFiles);

    // ... and undone.
    ASSERT_TRUE(restoreBackup(data(), before.value(), kTestLockWait).ok());
    EXPECT_EQ(dumpDatabase(path(StatsDb::FileName)), four);
    EXPECT_EQ(textFiles(), fourFiles);
}

TEST_F(BackupTest, RotationOverTwoYearsOfWeeklyTournamentsKeepsTheNewestTwentyEachMonthOfAYearAndEachYear) {
    // A user's own files in the folder, some with names close to the program's.
    QDir().mkpath(path(Backups::FolderName));
    const QStringList users = {QStringLiteral("notes.txt"), QStringLiteral("base-20240101-000000.mdb.bak"),
                               QStringLiteral("base-old.mdb")};
    for (const QString &name : users) {
        write(Backups::FolderName + u'/' + name, "mine");
    }

    // Every Saturday of 2025 and 2026, a tournament and its backup.
    const QDate last(2026, 12, 26);
    for (QDate day(2025, 1, 4); day <= last; day = day.addDays(7)) {
        execOnStats(path(StatsDb::FileName), {QStringLiteral("UPDATE stat SET \"Очки\" = \"Очки\" + 1")});
        const Result<BackupEntry> made = backUp(QDateTime(day, QTime(20, 30)));
        ASSERT_TRUE(made.ok()) << made.error().toStdString();
    }

    QStringList kept;
    for (const BackupEntry &entry : listBackups(data())) {
        kept.append(entry.taken.date().toString(Qt::ISODate));
        EXPECT_TRUE(QFileInfo(entry.filesFolder).isDir());
    }
    // The newest twenty: 26 Dec back to 15 Aug 2026. The last Saturday of each
    // month from January to July. The last of 2025.
    QStringList expected;
    for (QDate day = last; day >= QDate(2026, 8, 15); day = day.addDays(-7)) {
        expected.append(day.toString(Qt::ISODate));
    }
    expected += QStringList{QStringLiteral("2026-07-25"), QStringLiteral("2026-06-27"), QStringLiteral("2026-05-30"),
                            QStringLiteral("2026-04-25"), QStringLiteral("2026-03-28"), QStringLiteral("2026-02-28"),
                            QStringLiteral("2026-01-31"), QStringLiteral("2025-12-27")};
    EXPECT_EQ(kept, expected);

    // Nothing but the kept backups and the user's files.
    QStringList expectedEntries = users;
    for (const BackupEntry &entry : listBackups(data())) {
        expectedEntries += {entry.name, entry.name + QStringLiteral(".mdb")};
    }
    QStringList entries = backupsFolder();
    entries.sort();
    expectedEntries.sort();
    EXPECT_EQ(entries, expectedEntries);

    // Years before the twelve months keep one each, the newest.
    const std::vector<bool> keep = backupsToKeep({QDateTime(QDate(2024, 12, 1), {}), QDateTime(QDate(2024, 11, 1), {}),
                                                  QDateTime(QDate(2023, 5, 1), {}), QDateTime(QDate(2023, 4, 1), {})},
                                                 QDate(2030, 1, 1));
    EXPECT_EQ(keep, (std::vector<bool>{true, true, true, true}));
    std::vector<QDateTime> many;
    for (int i = 0; i < 25; ++i) {
        many.push_back(QDateTime(QDate(2020, 6, 30).addDays(-i), {}));
    }
    const std::vector<bool> rotated = backupsToKeep(many, QDate(2030, 1, 1));
    EXPECT_EQ(std::count(rotated.begin(), rotated.end(), true), 20);
}

TEST_F(BackupTest, AFullDiskOrAnotherProgramsLockFailsTheBackupAndLeavesNothingHalfMade) {
    ASSERT_TRUE(backUp(kFirst).ok());
    const QStringList before = backupsFolder();

    // The database copy is the biggest file; its write fails part way.
    Result<BackupEntry> full = Failure{};
    {
        const FileSizeLimit disk(8192);
        full = backUp(kSecond);
    }
    ASSERT_FALSE(full.ok());
    EXPECT_TRUE(full.error().startsWith(QStringLiteral("Резервная копия не сделана"))) << full.error().toStdString();
    EXPECT_EQ(backupsFolder(), before);

    {
        OtherProgram other(path(StatsDb::FileName));
        other.holdExclusive();
        const Result<BackupEntry> locked = backUp(kSecond);
        ASSERT_FALSE(locked.ok());
        EXPECT_TRUE(locked.error().contains(QStringLiteral("занят другой программой"))) << locked.error().toStdString();
        EXPECT_EQ(backupsFolder(), before);

        // A restore under the lock changes nothing either.
        const QByteArray held = read(StatsDb::FileName);
        const Status restored = restoreBackup(data(), listBackups(data()).front(), kTestLockWait);
        ASSERT_FALSE(restored.ok());
        EXPECT_TRUE(restored.error().startsWith(QStringLiteral("Ничего не восстановлено")));
        other.release();
        EXPECT_EQ(read(StatsDb::FileName), held);
    }
    EXPECT_FALSE(folderEntries(data()).join(u' ').contains(QLatin1StringView(Backups::kStagedMarker)));

    // A folder "backups" that is a file.
    QDir(path(Backups::FolderName)).removeRecursively();
    write(Backups::FolderName, "a file");
    const Result<BackupEntry> noFolder = backUp(kSecond);
    ASSERT_FALSE(noFolder.ok());
    EXPECT_EQ(read(Backups::FolderName), "a file");
}

TEST_F(BackupTest, AKillAtEveryStepOfABackupLeavesOnlyWholeBackups) {
    ASSERT_TRUE(backUp(kFirst).ok());
    write(Backups::FolderName + QStringLiteral("/mine.txt"), "mine");
    int step = 1;
    for (; killedAtStep(step, [this] { (void)backUp(kSecond); }); ++step) {
        SCOPED_TRACE(step);
        // Whatever is listed is whole: its database passes the check, its folder is there.
        for (const BackupEntry &entry : listBackups(data())) {
            EXPECT_EQ(checkDatabaseFile(entry.databasePath, kTestLockWait).verdict, DatabaseCheck::Verdict::Good);
            EXPECT_TRUE(QFileInfo(entry.filesFolder).isDir());
        }
        // The start's clean-up takes the rest, and only that.
        removeBackupLeftovers(data());
        QStringList expected{QStringLiteral("mine.txt")};
        for (const BackupEntry &entry : listBackups(data())) {
            expected += {entry.name, entry.name + QStringLiteral(".mdb")};
        }
        QStringList entries = backupsFolder();
        entries.sort();
        expected.sort();
        EXPECT_EQ(entries, expected);
        for (const BackupEntry &entry : listBackups(data())) {
            if (entry.taken.date() == kSecond.date()) {
                QDir(entry.filesFolder).removeRecursively();
                QFile::remove(entry.databasePath);
            }
        }
    }
    EXPECT_GE(step, 6);
}

TEST_F(BackupTest, AKillAtEveryStepOfARestoreLeavesTheOldOrTheNewStateWhole) {
    const Result<BackupEntry> backup = backUp(kFirst);
    ASSERT_TRUE(backup.ok());
    const QStringList newDb = dumpDatabase(path(StatsDb::FileName));
    const QStringList newFiles = textFiles();
    execOnStats(path(StatsDb::FileName), fourthTournamentSql());
    write(DataFile::Settings, "changed\r\n");
    write(DataFile::UsedTeamsLog, cp("Бавария\r\n"));
    const QStringList oldDb = dumpDatabase(path(StatsDb::FileName));
    const QStringList oldFiles = textFiles();
    const QByteArray oldDbBytes = read(StatsDb::FileName);
    const std::map<QString, QByteArray> oldBytes = [this] {
        std::map<QString, QByteArray> bytes;
        for (const QString &name : dataFileNames()) {
            bytes[name] = QFileInfo::exists(path(name)) ? read(name) : QByteArray();
        }
        return bytes;
    }();

    int step = 1;
    bool sawOld = false;
    bool sawNew = false;
    for (; killedAtStep(step, [&] { (void)restoreBackup(data(), backup.value(), kTestLockWait); }); ++step) {
        SCOPED_TRACE(step);
        // The next start.
        const Status finished = finishInterruptedRestore(data(), kTestLockWait);
        ASSERT_TRUE(finished.ok()) << finished.error().toStdString();
        const QStringList db = dumpDatabase(path(StatsDb::FileName));
        ASSERT_TRUE(db == oldDb || db == newDb);
        EXPECT_EQ(textFiles(), db == oldDb ? oldFiles : newFiles);
        sawOld = sawOld || db == oldDb;
        sawNew = sawNew || db == newDb;
        EXPECT_FALSE(QFileInfo::exists(path(Backups::RestoreIntentName)));
        EXPECT_FALSE(folderEntries(data()).join(u' ').contains(QLatin1StringView(Backups::kStagedMarker)));
        // Back to the old state for the next step.
        write(StatsDb::FileName, oldDbBytes);
        for (const auto &[name, bytes] : oldBytes) {
            if (!bytes.isEmpty()) {
                write(name, bytes);
            }
        }
    }
    EXPECT_TRUE(sawOld);
    EXPECT_TRUE(sawNew);
    EXPECT_GE(step, 4);
}

TEST_F(BackupTest, AJournalThatAKilledWriterLeftIsNotPlayedIntoTheRestoredFile) {
    const Result<BackupEntry> backup = backUp(kFirst);
    ASSERT_TRUE(backup.ok());
    const QStringList restored = dumpDatabase(backup.value().databasePath);
    // Another program dies in the middle of a big write: its pages are in the
    // file and the old ones in the journal beside it.
    const pid_t child = fork();
    if (child == 0) {
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(path(StatsDb::FileName)).constData(), &db);
        sqlite3_exec(db,
                     "PRAGMA cache_size = 1; BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                     "WHERE i < 3000) INSERT INTO stat (\"Игрок\") SELECT 'игрок ' || i FROM n;",
                     nullptr, nullptr, nullptr);
        ::raise(SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(QFileInfo::exists(path(StatsDb::FileName + QStringLiteral("-journal"))));

    ASSERT_TRUE(restoreBackup(data(), backup.value(), kTestLockWait).ok());
    EXPECT_EQ(dumpDatabase(path(StatsDb::FileName)), restored);
    EXPECT_FALSE(QFileInfo::exists(path(StatsDb::FileName + QStringLiteral("-journal"))));
}

TEST_F(BackupTest, TheExportIsACheckedCopyAndTheImportTakesOnlyTheProgramsBook) {
    const QString exported = path(QStringLiteral("копия #1.mdb"));
    ASSERT_TRUE(exportDatabase(data(), exported, kTestLockWait).ok());
    EXPECT_EQ(dumpDatabase(exported), dumpDatabase(path(StatsDb::FileName)));
    const QStringList exportedDump = dumpDatabase(exported);
    execOnStats(path(StatsDb::FileName), fourthTournamentSql());

    // Not SQLite, someone else's SQLite, a newer book: refused, nothing changes.
    write(QStringLiteral("text.mdb"), "SQLite format 3 or not");
    {
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(path(QStringLiteral("other.db"))).constData(), &db);
        sqlite3_exec(db, "CREATE TABLE notes (text)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    QFile::copy(exported, path(QStringLiteral("newer.mdb")));
    execOnStats(path(QStringLiteral("newer.mdb")), {QStringLiteral("PRAGMA user_version = 99")});
    const QByteArray current = read(StatsDb::FileName);
    for (const QString &name : {QStringLiteral("text.mdb"), QStringLiteral("other.db"), QStringLiteral("newer.mdb"),
                                QStringLiteral("missing.mdb")}) {
        SCOPED_TRACE(name.toStdString());
        const Status refused = restoreDatabaseFile(data(), path(name), kTestLockWait);
        ASSERT_FALSE(refused.ok());
        EXPECT_TRUE(refused.error().contains(QStringLiteral("не подходит"))) << refused.error().toStdString();
        EXPECT_EQ(read(StatsDb::FileName), current);
    }

    // The program's own copy comes in; the text files stay as they are.
    const QStringList files = textFiles();
    ASSERT_TRUE(restoreDatabaseFile(data(), exported, kTestLockWait).ok());
    EXPECT_EQ(dumpDatabase(path(StatsDb::FileName)), exportedDump);
    EXPECT_EQ(textFiles(), files);
}

} // namespace
