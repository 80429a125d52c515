#include "Pool.h"
#include "Startup.h"
#include "Support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <set>

using Answer = Messages::Answer;

class StartupSequence : public WorkDirTest {
protected:
    StartupOutcome run(const QByteArray &prize = "/opt/korvana/images/team.bmp") { return runStartupSequence(prize); }
    Lines logLines() { return splitLines(read(DataFile::UsedTeamsLog)); }
    int count(const QString &text) const { return static_cast<int>(boxes.texts().count(text)); }
};

TEST_F(StartupSequence, FullRunFillsEveryValue) {
    writeStandardFiles(8, 8, 8, 8, 8);
    writeLines(DataFile::UsedTeamsLog, {"teams4-1", "teams45-2", "teams5-3"});
    const StartupOutcome outcome = run();
    EXPECT_TRUE(outcome.completed);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.texts().join('\n').toStdString();
    const StartupState &state = outcome.state;
    EXPECT_EQ(state.TotalListLines, 40);
    EXPECT_EQ(state.UsedTeamsCount, 3);
    EXPECT_EQ(state.TeamKind, 0);
    EXPECT_EQ(state.AskAtStart, "0");
    EXPECT_EQ(state.DefaultKind, "clubs");
    EXPECT_TRUE(state.CurrentPoolFile == DataFile::Teams4 || state.CurrentPoolFile == DataFile::Teams45 ||
                state.CurrentPoolFile == DataFile::Teams5);
    ASSERT_TRUE(outcome.poolItems.has_value());
    EXPECT_EQ(outcome.poolItems->size(), 7);
    EXPECT_EQ(joinLines(*outcome.poolItems), read(DataFile::PoolRemainder));
    EXPECT_EQ(state.LastTournament,
              (std::array<QByteArray, 4>{cp("Ливерпуль"), cp("Наполи"), cp("Зенит"), "01.12.2026"}));
    EXPECT_EQ(outcome.players, (PlayerNames{cp("Вася"), cp("Петя"), cp("Коля")}));
    EXPECT_TRUE(outcome.logAllTeams);
    EXPECT_FALSE(outcome.teamChoicePrize);
    EXPECT_EQ(logLines().size(), 3) << "the log is kept";
}

TEST_F(StartupSequence, LogIsClearedWhenItReachesTheListsLessTwo) {
    writeStandardFiles(8, 8, 8, 8, 8);
    writeLines(DataFile::UsedTeamsLog, teams("gone", 38));
    const StartupOutcome outcome = run();
    EXPECT_EQ(count(kAllLastClearedMessage), 1);
    EXPECT_EQ(read(DataFile::UsedTeamsLog), "");
    EXPECT_EQ(outcome.state.UsedTeamsCount, 38) << "the count is taken before the clear";
    EXPECT_EQ(outcome.poolItems->size(), 8);
}

TEST_F(StartupSequence, LogBelowTheLimitIsKept) {
    writeStandardFiles(8, 8, 8, 8, 8);
    writeLines(DataFile::UsedTeamsLog, teams("gone", 37));
    run();
    EXPECT_EQ(count(kAllLastClearedMessage), 0);
    EXPECT_EQ(logLines().size(), 37);
}

TEST_F(StartupSequence, LogThatExhaustsEveryListIsClearedAndTheRunStartsAfresh) {
    writeStandardFiles();
    Lines log;
    for (const QString &list : kRunLists) {
        log += teams(QFileInfo(list).completeBaseName().toLatin1(), 8);
    }
    writeLines(DataFile::UsedTeamsLog, log); // 40 lines against 50: below the first rule
    const StartupOutcome outcome = run();
    EXPECT_EQ(boxes.texts(), QStringList{kAllLastClearedMessage});
    EXPECT_EQ(read(DataFile::UsedTeamsLog), "");
    ASSERT_TRUE(outcome.poolItems.has_value());
    EXPECT_EQ(outcome.poolItems->size(), 10) << "no team counts as used any more";
}

TEST_F(StartupSequence, BothClearRulesCanFireInOneStart) {
    // Lists of two lines are exhausted even against an empty log.
    writeStandardFiles(2, 2, 2, 2, 2);
    writeLines(DataFile::UsedTeamsLog, teams("gone", 9));
    run();
    EXPECT_EQ(count(kAllLastClearedMessage), 2);
}

TEST_F(StartupSequence, NationalKindFallsBackToAClubListWhenBothNationalListsAreExhausted) {
    writeStandardFiles(2, 2, 10, 10, 10);
    writeSettings({"0", "natteams", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1"});
    writeLines(DataFile::UsedTeamsLog, teams("natteams45", 8) + teams("natteams5", 9));
    const StartupOutcome outcome = run();
    EXPECT_EQ(outcome.state.CurrentPoolFile, DataFile::Teams5);
    EXPECT_EQ(teamListNames(outcome.state.CurrentPoolFile).captionSuffix, QStringLiteral(" - Клубы 5*"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StartupSequence, ClubKindFallsBackToANationalListWhenNoClubListCanServe) {
    writeStandardFiles(10, 10, 10, 2, 10);
    writeLines(DataFile::UsedTeamsLog, teams("teams4", 8) + teams("teams45", 10) + teams("teams5", 9));
    const StartupOutcome outcome = run();
    EXPECT_EQ(outcome.state.CurrentPoolFile, DataFile::NatTeams5);
    EXPECT_TRUE(outcome.completed);
}

TEST_F(StartupSequence, ShortListsAreNeverTheListOfTheRun) {
    writeStandardFiles(2, 1, 5, 0, 3);
    std::set<QString> chosen;
    for (int seed = 0; seed < 40; ++seed) {
        randomGenerator().fix(static_cast<std::uint64_t>(seed));
        boxes.answers.push_back(Answer::Cancel);
        writeSettings({"1", "clubs", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1"});
        chosen.insert(run().state.CurrentPoolFile);
    }
    EXPECT_EQ(chosen, (std::set<QString>{DataFile::Teams5, DataFile::NatTeams5}));
}

TEST_F(StartupSequence, WithoutAnyUsableListTheRunHasNoListAndSaysSo) {
    writeStandardFiles(2, 2, 1, 0, 2);
    write(DataFile::PoolRemainder, "left from an earlier run\r\n");
    const StartupOutcome outcome = run();
    EXPECT_EQ(read(DataFile::PoolRemainder), "") << "temp is written anew, empty";
    EXPECT_TRUE(outcome.state.CurrentPoolFile.isEmpty());
    EXPECT_EQ(boxes.texts(), (QStringList{kAllLastClearedMessage, kNoListMessage}));
    ASSERT_TRUE(outcome.poolItems.has_value());
    EXPECT_TRUE(outcome.poolItems->isEmpty());
    EXPECT_TRUE(outcome.completed) << "the names and the last tournament are still shown";
    EXPECT_TRUE(outcome.players.has_value());
}

TEST_F(StartupSequence, MissingSettingsAreCreatedAndTheKindIsAskedAtOnce) {
    writeStandardFiles();
    QFile::remove(path(DataFile::Settings));
    boxes.answers = {Answer::No};
    const StartupOutcome outcome = run();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Information);
    EXPECT_EQ(boxes.shown[0].text, kSettingsCreatedMessage);
    EXPECT_EQ(boxes.shown[1].kind, ScriptedMessages::Kind::YesNoCancel);
    EXPECT_EQ(boxes.shown[1].text, kKindQuestion);
    EXPECT_EQ(read(DataFile::Settings), joinLines(defaultSettingsLines()));
    EXPECT_EQ(outcome.state.AskAtStart, "1");
    EXPECT_EQ(outcome.state.DefaultKind, "");
    EXPECT_EQ(outcome.state.TeamKind, 1);
    EXPECT_TRUE(outcome.state.CurrentPoolFile.startsWith("natteams"));
    EXPECT_EQ(outcome.players, (PlayerNames{"Player 1", "Player 2", "Player 3"}));
    EXPECT_TRUE(outcome.logAllTeams);
}

TEST_F(StartupSequence, AnswersToTheKindQuestion) {
    writeStandardFiles();
    writeSettings({"1", "natteams", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1"});
    boxes.answers = {Answer::Yes};
    EXPECT_TRUE(run().state.CurrentPoolFile.startsWith("teams")) << "Yes means clubs, whatever the default kind";
    std::set<int> kinds;
    for (int seed = 0; seed < 30; ++seed) {
        randomGenerator().fix(static_cast<std::uint64_t>(seed));
        boxes.answers = {Answer::Cancel};
        kinds.insert(run().state.TeamKind);
    }
    EXPECT_EQ(kinds, (std::set<int>{0, 1})) << "Cancel chooses at random";
}

TEST_F(StartupSequence, DefaultKindIsUsedWithoutAsking) {
    writeStandardFiles();
    std::set<QString> lists;
    std::set<int> kinds;
    for (int seed = 0; seed < 40; ++seed) {
        randomGenerator().fix(static_cast<std::uint64_t>(seed));
        writeSettings({"0", "natteams", "[players]", "A", "B", "C"});
        lists.insert(run().state.CurrentPoolFile);
        writeSettings({"0", "random", "[players]", "A", "B", "C"});
        kinds.insert(run().state.TeamKind);
    }
    EXPECT_EQ(lists, (std::set<QString>{DataFile::NatTeams45, DataFile::NatTeams5}));
    EXPECT_EQ(kinds, (std::set<int>{0, 1}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StartupSequence, UnusualFirstLinesMeanClubsWithoutAsking) {
    writeStandardFiles();
    writeSettings({"0", "[players]", cp("Вася"), cp("Петя"), cp("Коля"), "[gift]", "1", "[log all teams]", "0"});
    StartupOutcome outcome = run();
    EXPECT_EQ(outcome.state.DefaultKind, "[players]");
    EXPECT_TRUE(outcome.state.CurrentPoolFile.startsWith("teams"));
    EXPECT_EQ(outcome.players, (PlayerNames{cp("Вася"), cp("Петя"), cp("Коля")}));
    EXPECT_FALSE(outcome.logAllTeams);

    for (const Lines &settings :
         {Lines{"2", "natteams", "[players]", "A", "B", "C"}, Lines{"0", "Natteams", "[players]", "A", "B", "C"},
          Lines{"1 ", "natteams", "[players]", "A", "B", "C"}}) {
        writeSettings(settings);
        outcome = run();
        EXPECT_EQ(outcome.state.TeamKind, 0) << settings[0].toStdString() << " " << settings[1].toStdString();
        EXPECT_TRUE(outcome.state.CurrentPoolFile.startsWith("teams"));
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StartupSequence, MissingListEndsTheSequenceAtOnce) {
    writeStandardFiles();
    QFile::remove(path(DataFile::NatTeams45));
    QFile::remove(path(DataFile::Settings));
    QFile::remove(path(DataFile::UsedTeamsLog));
    const StartupOutcome outcome = run();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.contains("File not found"));
    EXPECT_TRUE(boxes.shown[0].text.contains("natteams45.txt"));
    EXPECT_FALSE(outcome.poolItems.has_value());
    EXPECT_FALSE(outcome.players.has_value());
    EXPECT_TRUE(outcome.state.CurrentPoolFile.isEmpty());
    EXPECT_FALSE(QFile::exists(path(DataFile::Settings))) << "later steps are not done";
    EXPECT_FALSE(QFile::exists(path(DataFile::UsedTeamsLog)));
}

TEST_F(StartupSequence, MissingLogIsCreatedEmptyWithoutAMessage) {
    writeStandardFiles();
    QFile::remove(path(DataFile::UsedTeamsLog));
    EXPECT_TRUE(run().completed);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(QFile::exists(path(DataFile::UsedTeamsLog)));
    EXPECT_EQ(read(DataFile::UsedTeamsLog), "");
}

TEST_F(StartupSequence, MissingGiftFileStopsAfterTheDropDowns) {
    writeStandardFiles();
    QFile::remove(path(DataFile::Gift));
    const StartupOutcome outcome = run();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.texts().front().contains("gift.txt"));
    EXPECT_TRUE(outcome.poolItems.has_value());
    EXPECT_FALSE(outcome.lastTournamentRead);
    EXPECT_FALSE(outcome.players.has_value());
    EXPECT_FALSE(outcome.completed);
}

TEST_F(StartupSequence, MissingLastTournamentStopsBeforeTheNames) {
    writeStandardFiles();
    QFile::remove(path(DataFile::LastTournament));
    const StartupOutcome outcome = run();
    EXPECT_TRUE(boxes.texts().front().contains("last.txt"));
    EXPECT_FALSE(outcome.lastTournamentRead);
    EXPECT_FALSE(outcome.players.has_value());
}

TEST_F(StartupSequence, ShortLastTournamentReadsEmptyLines) {
    writeStandardFiles();
    write(DataFile::LastTournament, cp("Реал\r\nБавария"));
    const StartupOutcome outcome = run();
    EXPECT_EQ(outcome.state.LastTournament, (std::array<QByteArray, 4>{cp("Реал"), cp("Бавария"), "", ""}));
}

TEST_F(StartupSequence, PrizeCountsOnlyForThePictureBesideThisProgram) {
    writeStandardFiles();
    const QByteArray here = "/opt/korvana/images/team.bmp";
    writeLines(DataFile::Gift, {here});
    EXPECT_TRUE(run(here).teamChoicePrize);
    writeLines(DataFile::Gift, {"/home/old/korvana/images/team.bmp"});
    EXPECT_FALSE(run(here).teamChoicePrize) << "the program was moved after the prize was won";
    writeLines(DataFile::Gift, {"/opt/korvana/images/redcard.bmp"});
    EXPECT_FALSE(run(here).teamChoicePrize);
    writeLines(DataFile::Gift, {"/opt/korvana/images/team.bmp "});
    EXPECT_FALSE(run(here).teamChoicePrize);
    EXPECT_TRUE(teamChoicePrizePath().endsWith("images/team.bmp"));
}

TEST_F(StartupSequence, NonNumericUsedTeamsValueIsReportedAndLeavesTheBoxUnchecked) {
    writeStandardFiles();
    writeSettings({"0", "clubs", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "on"});
    const StartupOutcome outcome = run();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("'on' is not a valid integer value")});
    EXPECT_FALSE(outcome.logAllTeams);
    EXPECT_EQ(outcome.players, (PlayerNames{"A", "B", "C"})) << "the earlier steps stand";
    EXPECT_TRUE(outcome.poolItems.has_value());
}

TEST_F(StartupSequence, SettingsWithoutMarkersFallBackToTheDefaultsAndAreNotRewritten) {
    writeStandardFiles();
    writeSettings({"0", "clubs"});
    const QByteArray before = read(DataFile::Settings);
    const StartupOutcome outcome = run();
    EXPECT_EQ(outcome.players, (PlayerNames{"Player 1", "Player 2", "Player 3"}));
    EXPECT_TRUE(outcome.logAllTeams);
    EXPECT_EQ(read(DataFile::Settings), before);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StartupSequence, ListThatIsNotWindows1251TextIsReportedAndKept) {
    writeStandardFiles();
    const QByteArray utf8 = QStringLiteral("Бразилия\r\nАргентина\r\nФранция\r\n").toUtf8();
    write(DataFile::NatTeams5, utf8);
    const StartupOutcome outcome = run();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.texts().front().contains("natteams5.txt"));
    EXPECT_TRUE(boxes.texts().front().contains("UTF-8"));
    EXPECT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.state.TotalListLines, 43);
    EXPECT_EQ(read(DataFile::NatTeams5), utf8) << "the file is left as it was";
}

TEST_F(StartupSequence, EmptyAndUnterminatedListsCountTheirLines) {
    writeStandardFiles();
    write(DataFile::Teams4, "");
    write(DataFile::NatTeams45, "Lonely team");
    const StartupOutcome outcome = run();
    EXPECT_EQ(outcome.state.TotalListLines, 0 + 10 + 10 + 1 + 10);
    EXPECT_NE(outcome.state.CurrentPoolFile, DataFile::Teams4);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StartupSequence, UnreadableDataFilesEndTheSequenceAtTheirStep) {
    struct Case {
        QString file;
        bool settingsRead;
        bool poolFilled;
    };
    for (const Case &c : {Case{DataFile::UsedTeamsLog, false, false}, Case{DataFile::Settings, false, false},
                          Case{DataFile::Gift, true, true}}) {
        SCOPED_TRACE(c.file.toStdString());
        writeStandardFiles();
        QFile::remove(path(c.file));
        ASSERT_TRUE(QDir(dir.path()).mkdir(c.file)); // a folder where the file should be
        boxes.shown.clear();
        const StartupOutcome outcome = run();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
        EXPECT_TRUE(boxes.shown[0].text.contains(c.file));
        EXPECT_EQ(outcome.poolItems.has_value(), c.poolFilled);
        EXPECT_FALSE(outcome.players.has_value());
        EXPECT_TRUE(QFileInfo(path(c.file)).isDir()) << "nothing is written over it";
        ASSERT_TRUE(QDir(path(c.file)).removeRecursively());
    }
}

TEST_F(StartupSequence, SettingsThatCannotBeCreatedStillGiveADefaultRun) {
    writeStandardFiles();
    QFile::remove(path(DataFile::Settings));
    ASSERT_TRUE(QFile::link(path("no-such-folder/settings.ini"), path(DataFile::Settings)));
    boxes.answers = {Answer::Yes};
    const StartupOutcome outcome = run();
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, kSettingsCreatedMessage);
    EXPECT_EQ(boxes.shown[1].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[1].text.contains("settings.ini"));
    EXPECT_EQ(boxes.shown[2].text, kKindQuestion);
    EXPECT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.players, (PlayerNames{"Player 1", "Player 2", "Player 3"}));
}

TEST_F(StartupSequence, ScratchFileThatCannotBeWrittenStopsBeforeTheDropDowns) {
    writeStandardFiles();
    ASSERT_TRUE(QDir(dir.path()).mkdir(DataFile::PoolRemainder));
    const StartupOutcome outcome = run();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains("temp"));
    EXPECT_FALSE(outcome.state.CurrentPoolFile.isEmpty()) << "the list of the run is chosen";
    EXPECT_FALSE(outcome.poolItems.has_value());
    EXPECT_FALSE(outcome.lastTournamentRead);
}

TEST_F(StartupSequence, NoticesOfTheListsReadBeforeAMissingListComeFirst) {
    writeStandardFiles();
    write(DataFile::Teams45, QStringLiteral("Бавария\r\nРеал\r\n").toUtf8());
    QFile::remove(path(DataFile::NatTeams45));
    QFile::remove(path(DataFile::UsedTeamsLog));
    const StartupOutcome outcome = run();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Information);
    EXPECT_TRUE(boxes.shown[0].text.contains("teams45.txt"));
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("строка 1")));
    EXPECT_EQ(boxes.shown[1].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[1].text.contains("natteams45.txt"));
    EXPECT_FALSE(QFile::exists(path(DataFile::UsedTeamsLog)));
    EXPECT_FALSE(outcome.poolItems.has_value());
}

TEST_F(StartupSequence, TheLogIsMadeOrItsFailureToldOnlyAfterTheListsNotices) {
    writeStandardFiles();
    write(DataFile::NatTeams5, QStringLiteral("Бразилия\r\nАргентина\r\n").toUtf8());
    QFile::remove(path(DataFile::UsedTeamsLog));
    std::vector<bool> logExisted;
    boxes.onShow = [&] { logExisted.push_back(QFile::exists(path(DataFile::UsedTeamsLog))); };
    EXPECT_TRUE(run().completed);
    EXPECT_EQ(logExisted, std::vector<bool>{false});
    EXPECT_TRUE(QFile::exists(path(DataFile::UsedTeamsLog)));

    // A log that cannot be read is told after the notice, and ends the sequence.
    QFile::remove(path(DataFile::UsedTeamsLog));
    ASSERT_TRUE(QDir(dir.path()).mkdir(DataFile::UsedTeamsLog));
    boxes.shown.clear();
    const StartupOutcome outcome = run();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[0].text.contains("natteams5.txt"));
    EXPECT_EQ(boxes.shown[1].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[1].text.contains("all_last.txt"));
    EXPECT_EQ(outcome.state.TotalListLines, 42);
    EXPECT_FALSE(outcome.poolItems.has_value());
}

TEST_F(StartupSequence, LongListsAreCountedAndLeftExactly) {
    // Long enough for the lists and the log to be shared out between two threads,
    // for many look-ups ahead of their lines and for a table of many slots.
    constexpr int kLines = 8000;
    writeStandardFiles(kLines, kLines, kLines, kLines, kLines);
    Lines log = teams("teams4", kLines - 2); // leaves two: exhausted
    const Lines teams45 = teams("teams45", kLines);
    Lines left45;
    for (int i = 0; i < teams45.size(); ++i) {
        (i % 4 == 0 ? log : left45).append(teams45[i]);
    }
    log += teams("teams5", kLines - 2) + teams("natteams45", kLines - 100);
    writeLines(DataFile::UsedTeamsLog, log);
    ASSERT_GT(QFileInfo(path(DataFile::UsedTeamsLog)).size(), 256 * 1024);
    const StartupOutcome outcome = run();
    EXPECT_TRUE(boxes.shown.empty()) << boxes.texts().join('\n').toStdString();
    EXPECT_EQ(outcome.state.TotalListLines, 5 * kLines);
    EXPECT_EQ(outcome.state.UsedTeamsCount, log.size());
    EXPECT_EQ(outcome.state.CurrentPoolFile, DataFile::Teams45) << "the only club list that can serve";
    ASSERT_TRUE(outcome.poolItems.has_value());
    EXPECT_EQ(*outcome.poolItems, left45);
    EXPECT_EQ(read(DataFile::PoolRemainder), joinLines(left45));

    // The same lists with a list that is not text: its notice still comes alone.
    write(DataFile::NatTeams5, read(DataFile::NatTeams5) + "\x01");
    EXPECT_EQ(run().state.CurrentPoolFile, DataFile::Teams45);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("«natteams5.txt», строка %1").arg(kLines + 1)));
}
