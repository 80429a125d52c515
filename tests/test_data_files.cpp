#include "DataFiles.h"
#include "Support.h"
#include "Text.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

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

TEST(Settings, DefaultFileHasTheTenLines) {
    EXPECT_EQ(joinLines(defaultSettingsLines()),
              QByteArray("1\r\nclubs\r\n[players]\r\nPlayer 1\r\nPlayer 2\r\nPlayer 3\r\n[gift]\r\n1\r\n"
                         "[log all teams]\r\n1\r\n"));
}

TEST(Settings, WriterLeavesOutAnUnsetKind) {
    SettingsValues values;
    values.askAtStart = false;
    values.players = {cp("Вася"), cp("Петя"), cp("Коля")};
    values.randomGifts = false;
    values.logAllTeams = false;
    const Lines lines = settingsLines(values);
    EXPECT_EQ(lines,
              (Lines{"0", "[players]", cp("Вася"), cp("Петя"), cp("Коля"), "[gift]", "0", "[log all teams]", "0"}));
    EXPECT_EQ(readPlayerNames(lines), (PlayerNames{cp("Вася"), cp("Петя"), cp("Коля")}));
    EXPECT_EQ(readGiftValue(lines), "0");
    EXPECT_EQ(readLogAllTeamsValue(lines), "0");
}

TEST(Settings, MarkersAreFoundFromTheTopAndMatchedExactly) {
    const Lines lines{"0", "[players]",       "A", "B",      "C", "[gift] ", "x", "[gift]",
                      "0", "[log all teams]", "1", "[gift]", "1"};
    EXPECT_EQ(readPlayerNames(lines), (PlayerNames{"A", "B", "C"}));
    EXPECT_EQ(readGiftValue(lines), "0") << "the first exact marker counts, not one with a blank";
    EXPECT_EQ(findMarker(lines, SettingsMarker::Players), 1);
}

TEST(Settings, MissingMarkersGiveTheDefaultValues) {
    const Lines lines{"1", "clubs"};
    EXPECT_EQ(readPlayerNames(lines), (PlayerNames{"Player 1", "Player 2", "Player 3"}));
    EXPECT_EQ(readGiftValue(lines), "1");
    EXPECT_EQ(readLogAllTeamsValue(lines), "1");
}

TEST(Settings, ValueLinesThatTheFileLacksAreEmpty) {
    EXPECT_EQ(readPlayerNames({"1", "clubs", "[players]", "Only one"}), (PlayerNames{"Only one", "", ""}));
    EXPECT_EQ(readLogAllTeamsValue({"[log all teams]"}), "");
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

TEST_F(DataFileIo, ReadingADirectoryFailsWithAMessage) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("gift.txt"));
    const Result<Lines> lines = readLines(QStringLiteral("gift.txt"));
    ASSERT_FALSE(lines.ok());
    EXPECT_TRUE(lines.error().contains(QStringLiteral("gift.txt")));
}
