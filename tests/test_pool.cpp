#include "Pool.h"
#include "Support.h"

namespace {

qsizetype matches(const Lines &list, const Lines &log) {
    return countList(joinLines(list), UsedTeams(joinLines(log))).matches;
}

} // namespace

class PoolFiles : public WorkDirTest {
protected:
    bool exhausted(const Lines &list, const Lines &log) {
        writeLines("list.txt", list);
        writeLines(DataFile::UsedTeamsLog, log);
        const Result<bool> result = IsListExhausted("list.txt", DataFile::UsedTeamsLog);
        EXPECT_TRUE(result.ok()) << result.error().toStdString();
        return result.ok() && result.value();
    }
};

TEST_F(PoolFiles, ListIsExhaustedWhenFewerThanThreeTeamsAreLeft) {
    const Lines list = teams("t", 10);
    EXPECT_FALSE(exhausted(list, list.mid(0, 7)));
    EXPECT_TRUE(exhausted(list, list.mid(0, 8)));
    EXPECT_FALSE(exhausted(teams("t", 3), {}));
    EXPECT_TRUE(exhausted(teams("t", 2), {}));
    EXPECT_TRUE(exhausted({}, {}));
}

TEST_F(PoolFiles, EveryMatchingPairCounts) {
    const Lines list = teams("t", 10);
    // Six different teams used, one of them three times: eight pairs.
    Lines log = list.mid(0, 6);
    log << list[2] << list[2];
    EXPECT_EQ(matches(list, log), 8);
    EXPECT_TRUE(exhausted(list, log));
    // A team that stands twice in the list counts twice as well.
    EXPECT_EQ(matches({"A", "A", "B"}, {"A"}), 2);
    // Empty lines are lines: one in the list against two in the log.
    EXPECT_EQ(matches({"A", "", "B"}, {"", "X", ""}), 2);
}

TEST_F(PoolFiles, TeamNamesMatchOnlyByteForByte) {
    EXPECT_EQ(matches({cp("Зенит"), "Arsenal"}, {cp("зенит"), "Arsenal ", "arsenal"}), 0);
    EXPECT_EQ(matches({cp("Зенит")}, {cp("Зенит")}), 1);
}

TEST_F(PoolFiles, RemainderLeavesOutEveryUsedTeamOnceAndKeepsFileOrder) {
    writeLines("list.txt", {"A", "B", "C"});
    writeLines(DataFile::UsedTeamsLog, {"B", "X", "B"});
    write(DataFile::PoolRemainder, "an older, longer remainder\r\nthat must go\r\n");
    ASSERT_TRUE(BuildPoolRemainder("list.txt").ok());
    EXPECT_EQ(read(DataFile::PoolRemainder), "A\r\nC\r\n");

    EXPECT_EQ(poolRemainder(joinLines({"C", "A", "", "A", "B"}), UsedTeams(joinLines({"A", ""}))), (Lines{"C", "B"}));
}

TEST_F(PoolFiles, RemainderOfAnExhaustedOrEmptyListIsEmpty) {
    writeLines("list.txt", {"A", "B"});
    writeLines(DataFile::UsedTeamsLog, {"B", "A"});
    ASSERT_TRUE(BuildPoolRemainder("list.txt").ok());
    EXPECT_EQ(read(DataFile::PoolRemainder), "");
    write("empty.txt", "");
    ASSERT_TRUE(BuildPoolRemainder("empty.txt").ok());
    EXPECT_EQ(read(DataFile::PoolRemainder), "");
}

TEST_F(PoolFiles, ListWithoutFinalLineEndGivesTheSameTeams) {
    write("a.txt", "A\r\nB\r\nC");
    write("b.txt", "A\r\nB\r\nC\r\n");
    write("c.txt", "A\nB\nC\n");
    write(DataFile::UsedTeamsLog, "C");
    for (const char *name : {"a.txt", "b.txt", "c.txt"}) {
        ASSERT_TRUE(BuildPoolRemainder(name).ok());
        EXPECT_EQ(read(DataFile::PoolRemainder), "A\r\nB\r\n") << name;
    }
}

TEST_F(PoolFiles, MissingFilesEndTheOperationWithTheirName) {
    write(DataFile::UsedTeamsLog, "");
    const Status remainder = BuildPoolRemainder("teams5.txt");
    ASSERT_FALSE(remainder.ok());
    EXPECT_TRUE(remainder.error().contains("File not found"));
    EXPECT_TRUE(remainder.error().contains("teams5.txt"));
    EXPECT_FALSE(QFile::exists(path(DataFile::PoolRemainder))) << "nothing is written after a failed read";

    writeLines("list.txt", {"A"});
    QFile::remove(path(DataFile::UsedTeamsLog));
    const Result<bool> test = IsListExhausted("list.txt", DataFile::UsedTeamsLog);
    ASSERT_FALSE(test.ok());
    EXPECT_TRUE(test.error().contains("all_last.txt"));
    EXPECT_FALSE(FileHasLine(DataFile::UsedTeamsLog, "A").ok());
}

TEST_F(PoolFiles, FileHasLineComparesWholeLines) {
    write(DataFile::UsedTeamsLog, cp("Зенит\r\nArsenal \r\nЛацио"));
    auto has = [](QByteArrayView text) {
        const Result<bool> result = FileHasLine(DataFile::UsedTeamsLog, text);
        EXPECT_TRUE(result.ok());
        return result.ok() && result.value();
    };
    EXPECT_TRUE(has(cp("Зенит")));
    EXPECT_TRUE(has(cp("Лацио"))) << "the last line without a line end";
    EXPECT_TRUE(has("Arsenal "));
    EXPECT_FALSE(has("Arsenal"));
    EXPECT_FALSE(has(cp("зенит")));
    EXPECT_FALSE(has("")) << "no empty line in the file";
    write(DataFile::UsedTeamsLog, "A\r\n\r\nB\r\n");
    EXPECT_TRUE(has(""));
}

TEST(UsedTeamsTable, CountsEveryLineOfALongLog) {
    // Lines this short make the first table too small, so it is built again larger.
    Lines log;
    for (int i = 0; i < 5000; ++i) {
        log.append(QByteArray::number(i));
        if (i % 7 == 0) {
            log.append(QByteArray::number(i));
        }
    }
    const UsedTeams used(joinLines(log));
    EXPECT_EQ(used.lines(), log.size());
    int wrong = 0;
    for (int i = 0; i < 5000; ++i) {
        wrong += used.count(QByteArray::number(i)) == (i % 7 == 0 ? 2 : 1) ? 0 : 1;
    }
    EXPECT_EQ(wrong, 0);
    for (const QByteArrayView absent : {"5000", "-1", "", "00", "1 "}) {
        EXPECT_EQ(used.count(absent), 0) << absent.toByteArray().toStdString();
    }
    EXPECT_EQ(UsedTeams().count("0"), 0);
    EXPECT_EQ(UsedTeams(QByteArray()).lines(), 0);
}

TEST(UsedTeamsTable, CountsATeamUsedThousandsOfTimes) {
    Lines log;
    for (const auto &[team, times] :
         {std::pair{"A", 1022}, std::pair{"B", 1023}, std::pair{"C", 1024}, std::pair{"D", 3000}}) {
        for (int i = 0; i < times; ++i) {
            log.append(team);
        }
    }
    log.append("E");
    const UsedTeams used(joinLines(log));
    const UsedTeams copy = used;
    for (const UsedTeams *table : {&used, &copy}) {
        EXPECT_EQ(table->count("A"), 1022);
        EXPECT_EQ(table->count("B"), 1023);
        EXPECT_EQ(table->count("C"), 1024);
        EXPECT_EQ(table->count("D"), 3000);
        EXPECT_EQ(table->count("E"), 1);
        EXPECT_EQ(table->count("F"), 0);
    }
    EXPECT_EQ(countList(QByteArray("D\nE\nD\nB"), used).matches, 3000 + 1 + 3000 + 1023);
}

TEST(UsedTeamsTable, MatchesWholeLinesOnly) {
    const UsedTeams used(cp("Реал\r\nКоманда номер 12\nБавария\r\rБарселона"));
    EXPECT_EQ(used.lines(), 5);
    for (const char *team : {"Реал", "Команда номер 12", "Бавария", "Барселона"}) {
        EXPECT_EQ(used.count(cp(team)), 1) << team;
    }
    EXPECT_EQ(used.count(""), 1) << "the empty line between the two CRs";
    for (const char *team : {"Реа", "Реал ", "Команда номер 1", "Команда номер 123", "Барселон", "Барселона\r"}) {
        EXPECT_EQ(used.count(cp(team)), 0) << team;
    }
}

TEST(UsedTeamsTable, ListsOfManyLinesCountAndLeaveTheSameTeams) {
    const Lines list = teams("t", 1000);
    Lines log;
    Lines expected;
    for (int i = 0; i < list.size(); ++i) {
        if (i % 3 == 0) {
            log << list[i];
        } else {
            expected << list[i];
        }
    }
    log << list[3] << "not in the list";
    const UsedTeams used(joinLines(log));
    const ListCount count = countList(joinLines(list), used);
    EXPECT_EQ(count.lines, 1000);
    EXPECT_EQ(count.matches, 335);
    EXPECT_FALSE(count.problem.has_value());
    EXPECT_FALSE(isExhausted(count));
    EXPECT_EQ(poolRemainder(joinLines(list), used), expected);
}

TEST(UsedTeamsTable, OneWalkOverAListAlsoFindsItsEncodingProblem) {
    const ListCount count = countList(QStringLiteral("A\r\nБразилия\r\nC").toUtf8(), UsedTeams(QByteArray("C\r\nA")));
    EXPECT_EQ(count.lines, 3);
    EXPECT_EQ(count.matches, 2);
    ASSERT_TRUE(count.problem.has_value());
    EXPECT_EQ(count.problem->line, 2);
}

TEST(ExhaustedMessage, NamesTheKindOfTheListThatRanDry) {
    EXPECT_EQ(ExhaustedMessage("teams45.txt"), QStringLiteral("Клубы 4,5* кончились. Перезапустите!"));
    EXPECT_EQ(ExhaustedMessage("natteams5.txt"), QStringLiteral("Сборные кончились. Перезапустите!"));
    EXPECT_EQ(ExhaustedMessage("natteams.txt"), QStringLiteral("Сборные кончились. Перезапустите!"));
    EXPECT_EQ(ExhaustedMessage("Teams4.txt"), QString()) << "names are compared exactly";
}

class LogAllTeamsSetting : public WorkDirTest {
protected:
    Result<int> readWith(const Lines &lines) {
        writeLines(DataFile::Settings, lines);
        return ReadLogAllTeams(DataFile::Settings);
    }
};

TEST_F(LogAllTeamsSetting, ReadsTheNumberAfterTheMarker) {
    const Result<int> one = readWith({"1", "clubs", "[log all teams]", "1"});
    ASSERT_TRUE(one.ok());
    EXPECT_EQ(one.value(), 1);
    const Result<int> zero = readWith({"[log all teams]", "0", "[log all teams]", "1"});
    ASSERT_TRUE(zero.ok());
    EXPECT_EQ(zero.value(), 0);
    const Result<int> other = readWith({"[log all teams]", "-7"});
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(other.value(), -7);
}

TEST_F(LogAllTeamsSetting, NonNumericValueIsAConversionError) {
    const Result<int> word = readWith({"[log all teams]", "yes"});
    ASSERT_FALSE(word.ok());
    EXPECT_EQ(word.error(), QStringLiteral("'yes' is not a valid integer value"));
    EXPECT_FALSE(readWith({"[log all teams]"}).ok()) << "a value line that the file lacks is empty";
    EXPECT_FALSE(readWith({"[log all teams]", "99999999999"}).ok());
    EXPECT_EQ(readWith({"[log all teams]", cp("да")}).error(), QStringLiteral("'да' is not a valid integer value"));
}

TEST_F(LogAllTeamsSetting, MissingMarkerMeansTheDefault) {
    const Result<int> value = readWith({"1", "clubs", "[players]", "A", "B", "C"});
    ASSERT_TRUE(value.ok());
    EXPECT_EQ(value.value(), 1);
    QFile::remove(path(DataFile::Settings));
    EXPECT_FALSE(ReadLogAllTeams(DataFile::Settings).ok());
}
