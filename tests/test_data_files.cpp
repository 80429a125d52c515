#include "Cp1251.h"
#include "DataFiles.h"
#include "DataFolderLock.h"
#include "Integers.h"
#include "LineScan.h"
#include "Settings.h"
#include "Support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cerrno>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

using ::testing::ElementsAre;

TEST(LineReading, AcceptsEveryLineEndAndKeepsEmptyLines) {
    EXPECT_EQ(splitLines("A\r\nB\r\n"), (Lines{"A", "B"}));
    EXPECT_EQ(splitLines("A\r\nB"), (Lines{"A", "B"}));
    EXPECT_EQ(splitLines("A\nB\n"), (Lines{"A", "B"}));
    EXPECT_EQ(splitLines("A\rB\r"), (Lines{"A", "B"}));
    EXPECT_EQ(splitLines("A\r\r\nB"), (Lines{"A", "", "B"}));
    EXPECT_EQ(splitLines("\r\n\r\n"), (Lines{"", ""}));
    EXPECT_EQ(splitLines("\n"), (Lines{""}));
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("one line"), (Lines{"one line"}));
}

TEST(LineReading, KeepsBlanksAndCaseAsTheyStand) {
    EXPECT_EQ(splitLines(" Arsenal \r\narsenal\r\n"), (Lines{" Arsenal ", "arsenal"}));
}

TEST(Cp1251, DecodesEveryByteAsTheSystemCodecDoes) {
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<char>(i);
    }
    const QString text = fromCp1251(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(toCp1251(text), all) << "every byte survives a round trip";

    QStringDecoder system("windows-1251");
    if (system.isValid()) {
        const QString expected = system.decode(all);
        for (int i = 0; i < 256; ++i) {
            if (i != 0x98) { // unassigned: the system codec's choice for it does not matter
                EXPECT_EQ(text[i], expected[i]) << "byte " << i;
            }
        }
    }
    EXPECT_EQ(fromCp1251(cp("Барселона")), QStringLiteral("Барселона"));
    EXPECT_EQ(cp("Барселона"), QByteArray("\xC1\xE0\xF0\xF1\xE5\xEB\xEE\xED\xE0"));
    EXPECT_EQ(cp("Ёё№«»"), QByteArray("\xA8\xB8\xB9\xAB\xBB"));
}

TEST(Cp1251, RefusesCharactersItCannotHold) {
    EXPECT_FALSE(toCp1251(QStringLiteral("Мюнхен ✓")).has_value());
    EXPECT_FALSE(toCp1251(QStringLiteral("Čukarički")).has_value());
    EXPECT_TRUE(toCp1251(QStringLiteral("Kot-d'Ivoire €")).has_value());
}

TEST(Cp1251, ReportsBytesThatAreNotText) {
    EXPECT_FALSE(checkCp1251Text(cp("Барселона\r\nРеал\r\n\tЗенит")).has_value());
    EXPECT_FALSE(checkCp1251Text("").has_value());

    const auto nul = checkCp1251Text(QByteArray("A\r\nB\r\nC\0D\r\n", 11));
    ASSERT_TRUE(nul.has_value());
    EXPECT_EQ(nul->line, 3);
    EXPECT_EQ(nul->reason, QStringLiteral("байт 0x00 не бывает в тексте Windows-1251"));

    const auto unassigned = checkCp1251Text("A\n\x98");
    ASSERT_TRUE(unassigned.has_value());
    EXPECT_EQ(unassigned->line, 2);

    const auto utf8 = checkCp1251Text(QStringLiteral("Arsenal\r\nБарселона\r\n").toUtf8());
    ASSERT_TRUE(utf8.has_value());
    EXPECT_EQ(utf8->line, 2);
    EXPECT_TRUE(utf8->reason.contains(QStringLiteral("UTF-8")));
}

// The walk over a file looks at eight bytes at a time; what it finds must not
// depend on where among the eight a byte falls.
TEST(LineReading, CutsLinesOfEveryLengthAtEveryKindOfLineEnd) {
    const QByteArray pattern = cp("Жa\tб ЁёZ№");
    for (const char *end : {"\r\n", "\n", "\r"}) {
        Lines expected;
        QByteArray data;
        for (int length = 0; length <= 20; ++length) {
            const QByteArray line = pattern.repeated(3).left(length);
            expected.append(line);
            data += line + end;
        }
        data += "last without an end";
        expected.append("last without an end");
        EXPECT_EQ(splitLines(data), expected);

        LineScanner checked(data);
        Lines walked;
        QByteArrayView line;
        while (checked.next(line)) {
            walked.append(line.toByteArray());
        }
        EXPECT_EQ(walked, expected) << "the walk that checks the text cuts the same lines";
        EXPECT_EQ(checked.lines(), expected.size());
        EXPECT_FALSE(checked.problem().has_value());
    }
}

TEST(Cp1251, FindsTheFirstBadByteWhereverItStands) {
    for (const char bad : {'\x00', '\x01', '\x0B', '\x1F', '\x7F', '\x98'}) {
        const QString hex = QStringLiteral("%1").arg(static_cast<unsigned char>(bad), 2, 16, QChar('0')).toUpper();
        for (int offset = 0; offset < 20; ++offset) {
            SCOPED_TRACE(testing::Message() << "byte " << hex.toStdString() << " at " << offset);
            const QByteArray data = cp("Зенит\r\nСпартак Москва\n") + QByteArray(offset, 'x') + bad + cp("Ц\r") +
                                    "\x02 a later bad byte\r\n";
            const std::optional<TextProblem> problem = checkCp1251Text(data);
            ASSERT_TRUE(problem.has_value());
            EXPECT_EQ(problem->line, 3);
            EXPECT_EQ(problem->reason, QStringLiteral("байт 0x%1 не бывает в тексте Windows-1251").arg(hex));
        }
    }
}

TEST(Cp1251, TellsAFileSavedAsUtf8FromOneThatOnlyLooksLikeIt) {
    // "И" is D0 98 in UTF-8: a 0x98 inside a sequence is no byte of its own.
    const auto utf8 = checkCp1251Text(QStringLiteral("England\r\nИталия\r\nИспания").toUtf8());
    ASSERT_TRUE(utf8.has_value());
    EXPECT_EQ(utf8->line, 2);
    EXPECT_EQ(utf8->reason, QStringLiteral("файл сохранён в UTF-8, а не в Windows-1251"));

    // "В«" (C2 AB) happens to be a UTF-8 sequence; the next line is not, so the
    // file is Windows-1251 after all.
    EXPECT_FALSE(checkCp1251Text(cp("В«Зенит»\r\nЛокомотив")).has_value());
    // A sequence cut short by the end of the file is no UTF-8.
    EXPECT_FALSE(checkCp1251Text("A\r\nB\xD0").has_value());

    // Once a high byte is not UTF-8, a lone 0x98 is a bad byte again.
    const auto unassigned = checkCp1251Text(cp("Зенит\r\n") + "A\x98\r\n");
    ASSERT_TRUE(unassigned.has_value());
    EXPECT_EQ(unassigned->line, 2);
    EXPECT_TRUE(unassigned->reason.contains(QStringLiteral("0x98")));

    // A bad byte is told even where UTF-8 text comes before it.
    const auto control = checkCp1251Text(QStringLiteral("Италия\r\n").toUtf8() + "\x7F");
    ASSERT_TRUE(control.has_value());
    EXPECT_EQ(control->line, 2);
}

TEST(Settings, DefaultFileHasTheTenLines) {
    EXPECT_EQ(joinLines(defaultSettingsLines()),
              QByteArray("1\r\nclubs\r\n[players]\r\nPlayer 1\r\nPlayer 2\r\nPlayer 3\r\n[gift]\r\n1\r\n"
                         "[log all teams]\r\n1\r\n"));
}

TEST(Settings, WriterLeavesOutAnUnsetKind) {
    Settings values;
    values.askAtStart = "0";
    values.players = {cp("Вася"), cp("Петя"), cp("Коля")};
    values.gift = "0";
    values.logAllTeams = "0";
    const Lines lines = settingsLines(values);
    EXPECT_EQ(lines,
              (Lines{"0", "[players]", cp("Вася"), cp("Петя"), cp("Коля"), "[gift]", "0", "[log all teams]", "0"}));
    const Settings read = parseSettings(lines);
    EXPECT_EQ(read.players, (PlayerNames{cp("Вася"), cp("Петя"), cp("Коля")}));
    EXPECT_EQ(read.gift, "0");
    EXPECT_EQ(read.logAllTeams, "0");
}

TEST(Settings, MarkersAreFoundFromTheTopAndMatchedExactly) {
    const Lines lines{"0", "[players]",       "A", "B",      "C", "[gift] ", "x", "[gift]",
                      "0", "[log all teams]", "1", "[gift]", "1"};
    EXPECT_EQ(parseSettings(lines).players, (PlayerNames{"A", "B", "C"}));
    EXPECT_EQ(parseSettings(lines).gift, "0") << "the first exact marker counts, not one with a blank";
    EXPECT_EQ(findMarker(lines, SettingsMarker::Players), 1);
}

TEST(Settings, MissingMarkersGiveTheDefaultValues) {
    const Settings settings = parseSettings({"1", "clubs"});
    EXPECT_EQ(settings.players, (PlayerNames{"Player 1", "Player 2", "Player 3"}));
    EXPECT_EQ(settings.gift, "1");
    EXPECT_EQ(settings.logAllTeams, "1");
}

TEST(Settings, ValueLinesThatTheFileLacksAreEmpty) {
    EXPECT_EQ(parseSettings({"1", "clubs", "[players]", "Only one"}).players, (PlayerNames{"Only one", "", ""}));
    EXPECT_EQ(parseSettings({"[log all teams]"}).logAllTeams, "");
}

TEST(Settings, EachValueHasOneRuleForEveryReader) {
    // Gifts: exactly "1", or no "[gift]" at all.
    EXPECT_TRUE(parseSettings({"1", "clubs"}).randomGifts());
    for (const QByteArray &value : {QByteArray("0"), QByteArray(""), QByteArray("1 "), QByteArray("yes")}) {
        EXPECT_FALSE(parseSettings({"[gift]", value}).randomGifts()) << value.constData();
    }
    // The used-teams mode: a whole number, read as every number of the program is.
    EXPECT_EQ(parseSettings({"[log all teams]", "+1"}).logAllTeamsNumber().value(), 1);
    EXPECT_FALSE(parseSettings({"[log all teams]", " 1"}).logAllTeamsNumber().ok());
    // A name that the file could not give back is refused before anything is written.
    Settings settings;
    settings.players[2] = "[gift]";
    EXPECT_FALSE(checkSettings(settings).ok());
    // Any line end splits the name: CR LF, a lone LF and a lone CR alike.
    for (const char *split : {"a\r\nb", "a\nb", "a\rb", "ab\r"}) {
        settings.players[2] = split;
        EXPECT_FALSE(checkSettings(settings).ok()) << split;
    }
}

TEST(Integers, TheWholeRangeAndNothingBeyond) {
    EXPECT_EQ(parseInteger(u"-9223372036854775808"), std::numeric_limits<qint64>::min());
    EXPECT_EQ(parseInteger(u"+9223372036854775807"), std::numeric_limits<qint64>::max());
    for (const char16_t *text : {u"9223372036854775808", u"-9223372036854775809", u"--1", u"+-1"}) {
        EXPECT_FALSE(parseInteger(text).has_value()) << QString::fromUtf16(text).toStdString();
    }
    EXPECT_EQ(parseInt(u"-2147483648"), std::numeric_limits<int>::min());
}

class DataFileIo : public WorkDirTest {};

TEST_F(DataFileIo, MissingFileIsReportedByName) {
    const Result<Lines> lines = readLines(QStringLiteral("teams4.txt"));
    ASSERT_FALSE(lines.ok());
    EXPECT_TRUE(lines.error().startsWith(QStringLiteral("File not found"))) << lines.error().toStdString();
    EXPECT_TRUE(lines.error().contains(QDir::toNativeSeparators(path("teams4.txt"))));
}

TEST_F(DataFileIo, ReadsBackWhatItWrote) {
    ASSERT_TRUE(::writeLines(QStringLiteral("list.txt"), {cp("Зенит"), "", " x "}).ok());
    EXPECT_EQ(read("list.txt"), cp("Зенит\r\n\r\n x \r\n"));
    const Result<Lines> lines = readLines(QStringLiteral("list.txt"));
    ASSERT_TRUE(lines.ok());
    EXPECT_EQ(lines.value(), (Lines{cp("Зенит"), "", " x "}));
}

TEST_F(DataFileIo, FailedRewriteKeepsTheOldFileAndNamesIt) {
    write("last.txt", "old\r\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    write("sub/file", "x");
    // A directory where the file should be cannot be replaced.
    const Status status = ::writeLines(QStringLiteral("sub"), {"new"});
    EXPECT_FALSE(status.ok());
    EXPECT_TRUE(status.error().contains(QStringLiteral("sub")));
    EXPECT_EQ(read("sub/file"), "x");
    // A file whose folder does not exist cannot be written either.
    EXPECT_FALSE(::writeLines(QStringLiteral("nowhere/last.txt"), {"new"}).ok());
    EXPECT_EQ(read("last.txt"), "old\r\n");
    EXPECT_THAT(QDir(dir.path()).entryList(QDir::Files), ElementsAre("last.txt")) << "no temporary file is left";
}

TEST_F(DataFileIo, ReadingADirectoryOrAPipeFailsWithAMessage) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("gift.txt"));
    const Result<Lines> lines = readLines(QStringLiteral("gift.txt"));
    ASSERT_FALSE(lines.ok());
    EXPECT_TRUE(lines.error().contains(QStringLiteral("gift.txt")));
    // Reading a pipe would wait for a writer that never comes.
    ASSERT_EQ(mkfifo(QFile::encodeName(path("last.txt")).constData(), 0600), 0);
    const Result<Lines> pipe = readLines(QStringLiteral("last.txt"));
    ASSERT_FALSE(pipe.ok());
    EXPECT_TRUE(pipe.error().contains(QStringLiteral("не обычный файл")));
}

TEST_F(DataFileIo, AFullDiskLeavesEveryRewrittenFileAsItWasAndSaysWhy) {
    const QByteArray old =
        "0\r\nclubs\r\n[players]\r\nVasya\r\nPetya\r\nKolya\r\n[gift]\r\n1\r\n[log all teams]\r\n1\r\n";
    const QStringList names = {DataFile::Settings, DataFile::LastTournament, DataFile::Gift, DataFile::Teams4,
                               DataFile::PoolRemainder};
    for (const QString &name : names) {
        write(name, old);
    }
    const Lines longer = teams("a-team-name-longer-than-the-space-left", 20);
    // An unsynced write fails the same way and leaves as much behind.
    for (const Durability durability : {Durability::Synced, Durability::Unsynced}) {
        for (const QString &name : names) {
            Status status;
            {
                const FileSizeLimit fullDisk(16);
                status = ::writeLines(name, longer, durability);
            }
            ASSERT_FALSE(status.ok()) << name.toStdString();
            EXPECT_TRUE(status.error().contains(QDir::toNativeSeparators(path(name)))) << status.error().toStdString();
            EXPECT_TRUE(status.error().contains(QStringLiteral("больше, чем разрешено записывать")))
                << status.error().toStdString();
            EXPECT_TRUE(status.error().contains(QStringLiteral("Прежнее содержимое файла не изменено")));
            EXPECT_EQ(read(name), old) << name.toStdString();
        }
    }
    // A file that did not exist is not made at all.
    {
        const FileSizeLimit fullDisk(16);
        const Status status = ::writeLines(QStringLiteral("new.txt"), longer);
        EXPECT_TRUE(status.error().endsWith(QStringLiteral("Файл не создан."))) << status.error().toStdString();
    }
    QStringList sorted = names;
    sorted.sort();
    EXPECT_EQ(folderEntries(dir.path()), sorted) << "no temporary file is left";
}

TEST_F(DataFileIo, ARewriteKeepsThePermissionsAndTheLinkOfTheFile) {
    write("real.txt", "old\r\n");
    QFile(path("real.txt")).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    const QFileDevice::Permissions permissions = QFile(path("real.txt")).permissions();
    ASSERT_TRUE(QFile::link(path("real.txt"), path("list.txt")));
    ASSERT_TRUE(::writeLines(QStringLiteral("list.txt"), {"new"}).ok());
    EXPECT_TRUE(QFileInfo(path("list.txt")).isSymLink());
    EXPECT_EQ(read("real.txt"), "new\r\n");
    EXPECT_EQ(QFile(path("real.txt")).permissions(), permissions);
    // Without the sync the file is replaced just as whole.
    ASSERT_TRUE(::writeLines(QStringLiteral("list.txt"), {"newer", "still"}, Durability::Unsynced).ok());
    EXPECT_TRUE(QFileInfo(path("list.txt")).isSymLink());
    EXPECT_EQ(read("real.txt"), "newer\r\nstill\r\n");
    EXPECT_EQ(QFile(path("real.txt")).permissions(), permissions);
    EXPECT_THAT(QDir(dir.path()).entryList(QDir::Files), ElementsAre("list.txt", "real.txt"));
}

TEST_F(DataFileIo, AnAppendIsAllItsLinesOrNothing) {
    const QString log = DataFile::UsedTeamsLog;
    write(log, "A\r\nB\r\n");
    {
        const FileSizeLimit fullDisk(12);
        const Status appended = appendLines(log, {"Team-1", "Team-2", "Team-3"});
        ASSERT_FALSE(appended.ok());
        EXPECT_TRUE(appended.error().contains(QDir::toNativeSeparators(path(log))));
        EXPECT_TRUE(appended.error().contains(QStringLiteral("В файл ничего не добавлено")));
    }
    EXPECT_EQ(read(log), "A\r\nB\r\n") << "no piece of a team stays in the log";

    // A last line that ends in a lone CR still gets the teams on lines of their own.
    write(log, "A\r");
    ASSERT_TRUE(appendLines(log, {"X", "Y", "Z"}).ok());
    EXPECT_EQ(splitLines(read(log)), (Lines{"A", "X", "Y", "Z"}));

    // A log made by the append itself is gone again when the append fails.
    QFile::remove(path(log));
    {
        const FileSizeLimit fullDisk(4);
        EXPECT_FALSE(appendLines(log, {"Team-1", "Team-2", "Team-3"}).ok());
    }
    EXPECT_FALSE(QFileInfo::exists(path(log)));
}

// A data file that nobody may write stays as it is, as the old in-place writer
// left it; the message is the one of any write that is not allowed.
TEST_F(DataFileIo, AFileWithoutWritePermissionIsRefusedAndKept) {
    write("teams4.txt", "old\r\n");
    ASSERT_TRUE(QFile(path("teams4.txt")).setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const Status status = ::writeLines(QStringLiteral("teams4.txt"), {"new"});
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error(), QStringLiteral("Не удалось сохранить файл %1: нет прав на запись. Прежнее содержимое "
                                             "файла не изменено.")
                                  .arg(QDir::toNativeSeparators(path("teams4.txt"))));
    EXPECT_EQ(read("teams4.txt"), "old\r\n");
    EXPECT_EQ(QFile(path("teams4.txt")).permissions() & QFileDevice::WriteOwner, 0);
    EXPECT_THAT(folderEntries(dir.path()), ElementsAre("teams4.txt"));
}

// The system calls of the writers, watched or made to fail one at a time.
class FileSystemCallsTest : public WorkDirTest {
protected:
    void TearDown() override {
        resetFileSystemCalls();
        WorkDirTest::TearDown();
    }
    // Records every call by name, then makes the real one.
    void watch() {
        FileSystemCalls &calls = fileSystemCalls();
        calls.fsync = [this](int fd) {
            log.append(QStringLiteral("fsync"));
            return ::fsync(fd);
        };
        calls.close = [this](int fd) {
            log.append(QStringLiteral("close"));
            return ::close(fd);
        };
        calls.rename = [this](const char *from, const char *to) {
            log.append(QStringLiteral("rename"));
            return ::rename(from, to);
        };
        calls.link = [this](const char *from, const char *to) {
            log.append(QStringLiteral("link"));
            return ::link(from, to);
        };
    }
    QStringList log;
};

TEST_F(FileSystemCallsTest, ASyncedRewriteSyncsTheNewFileBeforeTheRenameAndTheFolderAfter) {
    write("last.txt", "old\r\n");
    watch();
    ASSERT_TRUE(::writeLines(QStringLiteral("last.txt"), {"new"}).ok());
    EXPECT_EQ(log, QStringList({"fsync", "close", "rename", "fsync", "close"}));
    log.clear();
    ASSERT_TRUE(::writeLines(QStringLiteral("last.txt"), {"newer"}, Durability::Unsynced).ok());
    EXPECT_EQ(log, QStringList({"close", "rename"})) << "a scratch file is not synced";
    log.clear();
    ASSERT_TRUE(writeNewFile(path("sheet.xlsx"), "bytes").ok());
    EXPECT_EQ(log, QStringList({"fsync", "close", "link", "fsync", "close"}));
    EXPECT_EQ(read("last.txt"), "newer\r\n");
}

TEST_F(FileSystemCallsTest, AFailedSyncOrCloseKeepsTheOldFile) {
    write("last.txt", "old\r\n");
    for (const Durability durability : {Durability::Synced, Durability::Unsynced}) {
        for (const char *failing : {"fsync", "close"}) {
            SCOPED_TRACE(failing);
            resetFileSystemCalls();
            if (qstrcmp(failing, "fsync") == 0) {
                fileSystemCalls().fsync = [](int) {
                    errno = EIO;
                    return -1;
                };
            } else {
                fileSystemCalls().close = [](int fd) {
                    ::close(fd);
                    errno = EIO;
                    return -1;
                };
            }
            const Status status = ::writeLines(QStringLiteral("last.txt"), {"new"}, durability);
            if (durability == Durability::Unsynced && qstrcmp(failing, "fsync") == 0) {
                EXPECT_TRUE(status.ok()) << "nothing is synced";
                write("last.txt", "old\r\n");
                continue;
            }
            ASSERT_FALSE(status.ok());
            EXPECT_TRUE(status.error().contains(QStringLiteral("ошибка ввода-вывода"))) << status.error().toStdString();
            EXPECT_EQ(read("last.txt"), "old\r\n");
            EXPECT_THAT(folderEntries(dir.path()), ElementsAre("last.txt"));
        }
    }
}

TEST_F(FileSystemCallsTest, ANewFileNeverTakesTheNameOfOneThatAppearedMeanwhile) {
    // Another program makes the file between the look and the write.
    fileSystemCalls().link = [this](const char *from, const char *to) {
        write("sheet.xlsx", "the other program's");
        return ::link(from, to);
    };
    const Status written = writeNewFile(path("sheet.xlsx"), "mine");
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(QStringLiteral("файл с таким именем уже есть")))
        << written.error().toStdString();
    EXPECT_EQ(read("sheet.xlsx"), "the other program's");
    EXPECT_THAT(folderEntries(dir.path()), ElementsAre("sheet.xlsx"));
}

// Once the synced write is through, a failing close does not make the lines
// count as missing: a retry would log the teams twice.
TEST_F(FileSystemCallsTest, AnAppendWhoseCloseFailsReportsWhatTheFileHolds) {
    const QString log = DataFile::UsedTeamsLog;
    write(log, "A\r\n");
    fileSystemCalls().close = [](int fd) {
        ::close(fd);
        errno = EIO;
        return -1;
    };
    EXPECT_TRUE(appendLines(log, {"X", "Y", "Z"}).ok());
    EXPECT_EQ(read(log), "A\r\nX\r\nY\r\nZ\r\n");

    // A close that fails because the write was lost: the file has nothing new.
    fileSystemCalls().fsync = [this, log](int) {
        QFile::resize(path(log), 3);
        return 0;
    };
    write(log, "A\r\n");
    const Status lost = appendLines(log, {"X", "Y", "Z"});
    ASSERT_FALSE(lost.ok());
    EXPECT_TRUE(lost.error().contains(QStringLiteral("В файл ничего не добавлено"))) << lost.error().toStdString();
}

TEST_F(DataFileIo, AOneByteLastLineWithoutALineEndKeepsItsOwnLine) {
    const QString log = DataFile::UsedTeamsLog;
    write(log, "A");
    ASSERT_TRUE(appendLines(log, {"X"}).ok());
    EXPECT_EQ(read(log), "A\r\nX\r\n");
    // A one-byte file that is a line end already gets no empty line.
    for (const QByteArray &end : {QByteArray("\n"), QByteArray("\r")}) {
        write(log, end);
        ASSERT_TRUE(appendLines(log, {"X"}).ok());
        EXPECT_EQ(read(log), end + "X\r\n");
    }
    write(log, "");
    ASSERT_TRUE(appendLines(log, {"X"}).ok());
    EXPECT_EQ(read(log), "X\r\n");
}

class DataFolder : public WorkDirTest {};

TEST_F(DataFolder, BelongsToOneProgramAtATimeAndOutlivesACrash) {
    Result<std::unique_ptr<DataFolderLock>> first = claimDataFolder(dir.path());
    ASSERT_TRUE(first.ok()) << first.error().toStdString();
    const Result<std::unique_ptr<DataFolderLock>> second = claimDataFolder(dir.path());
    ASSERT_FALSE(second.ok());
    EXPECT_TRUE(second.error().contains(QStringLiteral("уже работает другая копия")));
    EXPECT_TRUE(second.error().contains(QDir::toNativeSeparators(dir.path())));

    // The lock file that a crashed program leaves stops nobody: the lock went with the process.
    first = Failure{};
    ASSERT_TRUE(QFileInfo::exists(path(DataFolderLock::FileName)));
    EXPECT_TRUE(claimDataFolder(dir.path()).ok());
}

TEST_F(DataFolder, OnlyTheProgramsOwnTemporaryFilesGoAtTheStart) {
    const QStringList leftovers = {"last.txt.korvana-tmp.LMhHnS", "settings.ini.korvana-tmp.a1B2c3",
                                   "temp.korvana-tmp.Zz9Zz9", ".all_last.txt.korvana-tmp.000000"};
    // A user's own copies beside the data files, six-letter suffixes included.
    const QStringList kept = {"last.txt",
                              "teams4.txt.backup",
                              "last.txt.202601",
                              "settings.ini.before",
                              "all_last.txt.sicher",
                              "last.txt_ABCDEF",
                              "last.txt.LMhHnS",
                              "notes.txt.korvana-tmp.LMhHnS",
                              "last.txt.korvana-tmp.LMhHn",
                              "last.txt.korvana-tmp.LMh-nS",
                              "last.txt.korvana-tmpXLMhHnS"};
    for (const QString &name : leftovers + kept) {
        write(name, "x");
    }
    {
        // A second copy whose lock failed leaves the running copy's files alone.
        Result<std::unique_ptr<DataFolderLock>> running = DataFolderLock::acquire(dir.path());
        ASSERT_TRUE(running.ok());
        ASSERT_FALSE(claimDataFolder(dir.path()).ok());
        for (const QString &name : leftovers) {
            EXPECT_TRUE(QFileInfo::exists(path(name))) << name.toStdString();
        }
    }
    ASSERT_TRUE(claimDataFolder(dir.path()).ok());
    QStringList expected = kept;
    expected.append(DataFolderLock::FileName);
    expected.sort();
    EXPECT_EQ(folderEntries(dir.path()), expected);
}

TEST_F(DataFolder, TheLockFileIsNeverOpenedThroughALinkOrAsAnotherKindOfFile) {
    QTemporaryDir elsewhere;
    const QString precious = elsewhere.filePath(QStringLiteral("precious.txt"));
    {
        QFile file(precious);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me\n");
    }
    ASSERT_TRUE(QFile::link(precious, path(DataFolderLock::FileName)));
    const Result<std::unique_ptr<DataFolderLock>> linked = claimDataFolder(dir.path());
    ASSERT_FALSE(linked.ok());
    EXPECT_TRUE(linked.error().contains(QStringLiteral("символическая ссылка"))) << linked.error().toStdString();
    QFile file(precious);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "keep me\n");
    // A dangling link makes no file at its target either.
    ASSERT_TRUE(QFile::remove(path(DataFolderLock::FileName)));
    const QString target = elsewhere.filePath(QStringLiteral("made.txt"));
    ASSERT_TRUE(QFile::link(target, path(DataFolderLock::FileName)));
    EXPECT_FALSE(claimDataFolder(dir.path()).ok());
    EXPECT_FALSE(QFileInfo::exists(target));

    ASSERT_TRUE(QFile::remove(path(DataFolderLock::FileName)));
    ASSERT_TRUE(QDir(dir.path()).mkdir(DataFolderLock::FileName));
    EXPECT_FALSE(claimDataFolder(dir.path()).ok());
}

// The shipped files are found beside the executable in a build tree and in the
// share folder of an installed tree, wherever that tree was unpacked.
TEST(ProgramFiles, AreFoundBesideTheProgramOrInItsInstalledShareFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString program = root.filePath(QStringLiteral("usr/libexec/korvana3"));
    const QString share = root.filePath(QStringLiteral("usr/share/korvana3"));
    const QString relative = QStringLiteral("../../share/korvana3");
    ASSERT_TRUE(QDir().mkpath(program));
    ASSERT_TRUE(QDir().mkpath(share));
    const auto slash = [](const QString &dir) { return QDir::toNativeSeparators(dir) + QDir::separator(); };

    EXPECT_EQ(programDirectoryFor(program, relative), slash(program))
        << "with the files nowhere, messages name the executable's folder";

    ASSERT_TRUE(QFile(share + QStringLiteral("/table.xlsx")).open(QIODevice::WriteOnly));
    EXPECT_EQ(programDirectoryFor(program, relative), slash(share));
    EXPECT_EQ(programDirectoryFor(program + QStringLiteral("/"), relative), slash(share));
    EXPECT_EQ(programDirectoryFor(program, QString()), slash(program)) << "a build without an installed folder";

    ASSERT_TRUE(QFile(program + QStringLiteral("/table.xlsx")).open(QIODevice::WriteOnly));
    EXPECT_EQ(programDirectoryFor(program, relative), slash(program)) << "the files beside the program come first";
}
