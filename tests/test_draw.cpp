#include "Cp1251.h"
#include "Draw.h"
#include "FinalTable.h"
#include "GiftAward.h"
#include "RandomForTwo.h"
#include "Schedule.h"
#include "Support.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <map>
#include <set>

namespace {

TeamText t(const char *utf8) {
    return cp(utf8);
}

} // namespace

class TeamDraw : public WorkDirTest {
protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        writeLines("pool.txt", {"A", "B", "C", "D", "E"});
        write(DataFile::UsedTeamsLog, {});
        request.poolFile = "pool.txt";
        request.teams = {QByteArray(), QByteArray(), QByteArray()};
        request.exclude = request.teams;
        request.previous = request.teams;
    }
    FillOutcome fill() {
        const Result<FillOutcome> outcome = fillTeams(request, randomGenerator());
        EXPECT_TRUE(outcome.ok()) << outcome.error().toStdString();
        return outcome.ok() ? outcome.value() : FillOutcome();
    }

    FillRequest request;
};

TEST_F(TeamDraw, EveryRejectionRuleNarrowsThePlayersChoice) {
    // Each player is left exactly one team that passes every rule.
    writeLines(DataFile::UsedTeamsLog, {"C", "D", "D"});
    request.skipAllUsed = true;
    request.exclude = {t("A"), TeamText(), t("E")};
    request.previous = {t("B"), t("B"), t("A")};
    for (std::uint64_t seed = 0; seed < 20; ++seed) {
        randomGenerator().fix(seed);
        const FillOutcome outcome = fill();
        ASSERT_EQ(outcome.end, FillOutcome::End::Filled);
        // Player 1: not A (excluded), B (previous), C or D (used). Player 2: not
        // B (previous) nor E (player 1's). Player 3: not E (excluded), A
        // (previous, and player 2's): B is all that is left.
        EXPECT_EQ(outcome.teams, (std::array<TeamText, 3>{t("E"), t("A"), t("B")})) << seed;
    }
}

TEST_F(TeamDraw, RulesThatAreOffLetTheirTeamsThrough) {
    writeLines(DataFile::UsedTeamsLog, {"A", "B", "C"});
    request.previous = {t("D"), t("E"), t("D")};
    request.skipPrevious = false;
    std::set<QByteArray> drawn;
    for (std::uint64_t seed = 0; seed < 60; ++seed) {
        randomGenerator().fix(seed);
        const FillOutcome outcome = fill();
        std::set<QByteArray> distinct;
        for (const TeamText &team : outcome.teams) {
            distinct.insert(*team);
            drawn.insert(*team);
        }
        EXPECT_EQ(distinct.size(), 3u) << "three different teams";
    }
    EXPECT_EQ(drawn, (std::set<QByteArray>{"A", "B", "C", "D", "E"})) << "used and previous teams are drawn too";

    // With the previous-team rule on, only each player's own previous team is
    // kept from him: player 1 may get player 2's.
    request.skipPrevious = true;
    request.previous = {t("A"), t("B"), t("C")};
    std::set<QByteArray> firstPlayer;
    for (std::uint64_t seed = 0; seed < 60; ++seed) {
        randomGenerator().fix(seed);
        firstPlayer.insert(*fill().teams[0]);
    }
    EXPECT_FALSE(firstPlayer.count("A"));
    EXPECT_TRUE(firstPlayer.count("B"));
}

TEST_F(TeamDraw, FilledFieldsAreKeptAsTheyAre) {
    request.teams = {t("Чужая"), TeamText(QByteArray()), t("Чужая")};
    request.exclude = {t("Чужая"), TeamText(), TeamText()};
    request.teams[0] = std::nullopt; // typed text that Windows-1251 cannot hold
    const FillOutcome outcome = fill();
    EXPECT_EQ(outcome.end, FillOutcome::End::Filled);
    EXPECT_FALSE(outcome.teams[0].has_value());
    EXPECT_EQ(outcome.teams[2], t("Чужая"));
    EXPECT_TRUE(QByteArray("ABCDE").contains(*outcome.teams[1]));

    // Nothing to draw: the files are not even read.
    QFile::remove(path("pool.txt"));
    request.teams = {t("X"), t("X"), t("X")};
    EXPECT_EQ(fill().teams, request.teams);
}

TEST_F(TeamDraw, ListThatHasRunDryEndsWithItsMessage) {
    writeLines(DataFile::Teams45, {"A", "B", "C"});
    writeLines(DataFile::UsedTeamsLog, {"A", "B", "C"});
    request.poolFile = DataFile::Teams45;
    request.skipAllUsed = true;
    const QByteArray logBefore = read(DataFile::UsedTeamsLog);
    const FillOutcome outcome = fill();
    EXPECT_EQ(outcome.end, FillOutcome::End::Exhausted);
    EXPECT_EQ(outcome.player, 0);
    EXPECT_EQ(outcome.message, QStringLiteral("Клубы 4,5* кончились. Перезапустите!"));
    EXPECT_EQ(read(DataFile::UsedTeamsLog), logBefore);
}

TEST_F(TeamDraw, OneTeamLeftIsAlwaysFoundAndNeverCalledRunDry) {
    // Nine lines, of which only "I" can go to player 1: the others are used,
    // excluded or his previous team. Luck must not decide whether he gets it.
    writeLines("pool.txt", {"A", "B", "C", "D", "E", "F", "G", "H", "I"});
    writeLines(DataFile::UsedTeamsLog, {"A", "B", "C", "D", "E", "F"});
    request.skipAllUsed = true;
    request.teams = {QByteArray(), t("X"), t("Y")};
    request.exclude = {t("G"), TeamText(), TeamText()};
    request.previous = {t("H"), TeamText(), TeamText()};
    for (std::uint64_t seed = 0; seed < 400; ++seed) {
        randomGenerator().fix(seed);
        const FillOutcome outcome = fill();
        ASSERT_EQ(outcome.end, FillOutcome::End::Filled) << seed;
        ASSERT_EQ(outcome.teams[0], t("I")) << seed;
    }
    // With the log rule off the used teams come back, each as likely as "I".
    request.skipAllUsed = false;
    std::map<QByteArray, int> drawn;
    for (std::uint64_t seed = 0; seed < 700; ++seed) {
        randomGenerator().fix(seed);
        ++drawn[*fill().teams[0]];
    }
    EXPECT_EQ(drawn.size(), 7u);
    for (const auto &[team, count] : drawn) {
        EXPECT_GT(count, 60) << team.constData() << " is drawn about 100 times in 700";
    }
}

TEST_F(TeamDraw, ListWithNothingForAPlayerStopsWithoutEndingTheProgram) {
    writeLines("pool.txt", {"A", "B"});
    request.players = {QStringLiteral("Вася"), QStringLiteral("Петя"), QStringLiteral("Коля")};
    const FillOutcome outcome = fill();
    EXPECT_EQ(outcome.end, FillOutcome::End::NoCandidate);
    EXPECT_EQ(outcome.player, 2) << "players 1 and 2 take both teams";
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("«Коля»"))) << outcome.message.toStdString();
    EXPECT_EQ(outcome.teams, request.teams) << "nothing is drawn";

    // A team that a rule blocks does not make the list run dry by standing in
    // the log as well: Коля's only other team is his own exclusion.
    writeLines("pool.txt", {"A", "B", "C"});
    writeLines(DataFile::UsedTeamsLog, {"C"});
    request.skipAllUsed = true;
    request.exclude = {TeamText(), TeamText(), t("C")};
    const FillOutcome blockedTwice = fill();
    EXPECT_EQ(blockedTwice.end, FillOutcome::End::NoCandidate);
    EXPECT_EQ(blockedTwice.player, 2);
    request.skipAllUsed = false;
    request.exclude = request.teams;

    // An empty list has nothing for anyone.
    write("pool.txt", {});
    const FillOutcome empty = fill();
    EXPECT_EQ(empty.end, FillOutcome::End::NoCandidate);
    EXPECT_EQ(empty.player, 0);
}

TEST_F(TeamDraw, FileErrorsStopBeforeAnythingIsDrawn) {
    QFile::remove(path(DataFile::UsedTeamsLog));
    EXPECT_TRUE(fillTeams(request, randomGenerator()).ok()) << "the log is read only when it is asked";
    request.skipAllUsed = true;
    const Result<FillOutcome> noLog = fillTeams(request, randomGenerator());
    ASSERT_FALSE(noLog.ok());
    EXPECT_TRUE(noLog.error().startsWith("File not found")) << noLog.error().toStdString();
    request.poolFile = "missing.txt";
    EXPECT_FALSE(fillTeams(request, randomGenerator()).ok());
}

class FirstRound : public WorkDirTest {};

TEST_F(FirstRound, EveryTeamMeetsEveryOtherOnceAndEveryOrderIsEquallyLikely) {
    const std::array<QString, 3> teams = {"Alpha", "Beta", "Gamma"};
    std::map<QString, int> orders;
    constexpr int kRounds = 6000;
    int attempts = 0;
    for (int i = 0; i < kRounds; ++i) {
        const Result<Fixtures> round = drawFirstRound(teams, randomGenerator());
        ASSERT_TRUE(round.ok());
        const auto &m = round.value().matches;
        const QString x = m[0][0], y = m[0][1], z = m[1][0];
        ASSERT_EQ(m[1][1], x);
        ASSERT_EQ(m[2][0], y);
        ASSERT_EQ(m[2][1], z);
        ASSERT_EQ(std::set<QString>({x, y, z}).size(), 3u);
        ++orders[x + y + z];
        attempts += round.value().attempts;
    }
    ASSERT_EQ(orders.size(), 6u);
    for (const auto &[order, count] : orders) {
        EXPECT_NEAR(count, kRounds / 6, 120) << order.toStdString();
    }
    EXPECT_NEAR(static_cast<double>(attempts) / kRounds, 4.0, 0.2) << "one attempt in four stands";
}

TEST_F(FirstRound, EqualTeamsMakeNoRound) {
    const Result<Fixtures> round = drawFirstRound({"Alpha", "Beta", "Alpha"}, randomGenerator());
    ASSERT_FALSE(round.ok());
    EXPECT_TRUE(round.error().contains(QStringLiteral("игроков 1 и 3"))) << round.error().toStdString();
    EXPECT_FALSE(drawFirstRound({"", "", "Gamma"}, randomGenerator()).ok());
}

TEST_F(FirstRound, TeamsAreAppendedToTheLogInPlayerOrder) {
    const std::array<QByteArray, 3> teams = {cp("Реал"), "", "Milan"};
    write(DataFile::UsedTeamsLog, "Old\r\n");
    ASSERT_TRUE(appendToUsedTeamsLog(teams).ok());
    EXPECT_EQ(read(DataFile::UsedTeamsLog), "Old\r\n" + cp("Реал") + "\r\n\r\nMilan\r\n");

    // A last line without a line end, as the log editor saves it, gets one.
    write(DataFile::UsedTeamsLog, "Old");
    ASSERT_TRUE(appendToUsedTeamsLog(teams).ok());
    EXPECT_EQ(read(DataFile::UsedTeamsLog), "Old\r\n" + cp("Реал") + "\r\n\r\nMilan\r\n");
    write(DataFile::UsedTeamsLog, "Old\n");
    ASSERT_TRUE(appendToUsedTeamsLog(teams).ok());
    EXPECT_TRUE(read(DataFile::UsedTeamsLog).startsWith("Old\n" + cp("Реал")));

    QFile::remove(path(DataFile::UsedTeamsLog));
    ASSERT_TRUE(appendToUsedTeamsLog(teams).ok());
    EXPECT_EQ(read(DataFile::UsedTeamsLog), cp("Реал") + "\r\n\r\nMilan\r\n");

    QFile::remove(path(DataFile::UsedTeamsLog));
    ASSERT_TRUE(QDir(dir.path()).mkdir(DataFile::UsedTeamsLog));
    const Status failed = appendToUsedTeamsLog(teams);
    ASSERT_FALSE(failed.ok());
    EXPECT_TRUE(failed.error().contains(DataFile::UsedTeamsLog));
}

class TwoPlayerDraw : public WorkDirTest {};

TEST_F(TwoPlayerDraw, TwoDifferentTeamsFromOneList) {
    writeLines(DataFile::Teams4, {"A", "A", "B"});
    writeLines(DataFile::Teams45, {"C", "D"});
    writeLines(DataFile::Teams5, {"E", "F"});
    writeLines(DataFile::NatTeams, {cp("Бразилия"), cp("Бразилия"), cp("Чехия")});
    const QStringList before = QDir(dir.path()).entryList(QDir::Files);
    std::set<QString> lists;
    std::set<QByteArray> firsts;
    for (int i = 0; i < 60; ++i) {
        const Result<TwoTeams> clubs = drawTwoTeams(TwoPlayerKind::Clubs, randomGenerator());
        ASSERT_TRUE(clubs.ok());
        EXPECT_NE(clubs.value().first, clubs.value().second);
        const QByteArray pair = clubs.value().first + clubs.value().second;
        const QByteArray expected = clubs.value().list == DataFile::Teams4    ? "AB"
                                    : clubs.value().list == DataFile::Teams45 ? "CD"
                                                                              : "EF";
        const QByteArray reversed = expected.right(1) + expected.left(1);
        EXPECT_TRUE(pair == expected || pair == reversed) << pair.constData();
        lists.insert(clubs.value().list);
        firsts.insert(clubs.value().first);
    }
    EXPECT_EQ(lists.size(), 3u);
    EXPECT_TRUE(firsts.count("C") && firsts.count("D")) << "either order";

    const Result<TwoTeams> national = drawTwoTeams(TwoPlayerKind::NationalTeams, randomGenerator());
    ASSERT_TRUE(national.ok()) << "the national star lists are not needed";
    EXPECT_EQ(national.value().list, DataFile::NatTeams);
    EXPECT_NE(national.value().first, national.value().second);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before) << "nothing is written";
}

TEST_F(TwoPlayerDraw, ListWithoutTwoDifferentTeamsSaysSo) {
    for (const QByteArray &content : {QByteArray(), QByteArray("Solo\r\n"), QByteArray("Solo\r\nSolo\r\nSolo")}) {
        write(DataFile::NatTeams, content);
        const Result<TwoTeams> teams = drawTwoTeams(TwoPlayerKind::NationalTeams, randomGenerator());
        ASSERT_FALSE(teams.ok());
        EXPECT_TRUE(teams.error().contains(DataFile::NatTeams));
    }
    QFile::remove(path(DataFile::NatTeams));
    EXPECT_TRUE(drawTwoTeams(TwoPlayerKind::NationalTeams, randomGenerator()).error().startsWith("File not found"));
}

class GiftDrawing : public WorkDirTest {
protected:
    std::optional<GiftDraw> draw() {
        const Result<std::optional<GiftDraw>> gifts = drawGifts(randomGenerator());
        EXPECT_TRUE(gifts.ok()) << gifts.error().toStdString();
        return gifts.ok() ? gifts.value() : std::nullopt;
    }
    static QString file(const QString &path) { return path.mid(path.lastIndexOf('/') + 1); }
};

TEST_F(GiftDrawing, EachGiftComesFromItsOwnRangeAndEveryEntryOccurs) {
    writeSettings({"1", "clubs", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1"});
    std::map<QString, int> third, second, scorer;
    constexpr int kDraws = 3600;
    for (int i = 0; i < kDraws; ++i) {
        const std::optional<GiftDraw> gifts = draw();
        ASSERT_TRUE(gifts.has_value());
        ASSERT_TRUE(gifts->scorerPrize.startsWith(programDirectory() + "images/"));
        ++third[file(gifts->thirdPlace)];
        ++second[file(gifts->secondPlace)];
        ++scorer[file(gifts->scorerPrize)];
    }
    const auto names = [](const std::map<QString, int> &counts) {
        QStringList list;
        for (const auto &[name, count] : counts) {
            list.append(name);
        }
        return list;
    };
    EXPECT_EQ(names(second), (QStringList{"ball.bmp", "beer.bmp", "money.bmp", "okay.bmp", "russia.bmp", "shamp.bmp"}));
    EXPECT_EQ(names(third), (QStringList{"big_shok.bmp", "big_tea.bmp", "mid_shok.bmp", "mid_tea.bmp", "new_shok.bmp",
                                         "new_tea.bmp", "okay.bmp", "sm_shok.bmp", "sm_tea.bmp"}));
    // The dud is one scorer's prize in four (it stands once in a range of four),
    // and so is the free choice of team.
    EXPECT_EQ(names(scorer), (QStringList{"okay.bmp", "redcard.bmp", "team.bmp", "travma.bmp"}));
    EXPECT_NEAR(scorer["okay.bmp"], kDraws / 4, 120);
    EXPECT_NEAR(scorer["team.bmp"], kDraws / 4, 120);
    EXPECT_NEAR(third["okay.bmp"], kDraws / 9, 90);
}

TEST_F(GiftDrawing, OnlyAGiftSettingOfExactlyOneAwards) {
    for (const QByteArray &value : {QByteArray("0"), QByteArray(""), QByteArray("1 "), QByteArray("2")}) {
        writeSettings({"1", "clubs", "[players]", "A", "B", "C", "[gift]", value, "[log all teams]", "1"});
        EXPECT_FALSE(draw().has_value()) << value.constData();
    }
    // Without a "[gift]" line the default holds, as the settings window shows it.
    writeSettings({"1", "clubs", "[players]", "A", "B", "C", "[log all teams]", "1"});
    EXPECT_TRUE(draw().has_value()) << "no [gift] line: gifts at random";
    QFile::remove(path(DataFile::Settings));
    EXPECT_FALSE(drawGifts(randomGenerator()).ok());
}

TEST_F(GiftDrawing, ThePrizeIsRecordedAsOneLine) {
    write(DataFile::Gift, "old\r\nlines\r\n");
    ASSERT_TRUE(recordPrize(QStringLiteral("/opt/Корвана/images/team.bmp")).ok());
    EXPECT_EQ(read(DataFile::Gift), cp("/opt/Корвана/images/team.bmp") + "\r\n");
    EXPECT_FALSE(recordPrize(QStringLiteral("/opt/😀/images/team.bmp")).ok());
    EXPECT_EQ(read(DataFile::Gift), cp("/opt/Корвана/images/team.bmp") + "\r\n") << "the old record stays";
}

class LastTournamentRecord : public WorkDirTest {};

TEST_F(LastTournamentRecord, IsFourLinesOrNothing) {
    const QDate day(2026, 12, 8);
    ASSERT_TRUE(recordLastTournament({QStringLiteral("Реал"), "", "Milan"}, day).ok());
    const Lines lines = splitLines(read(DataFile::LastTournament));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], cp("Реал"));
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(fromCp1251(lines[3]), QLocale::system().toString(day, QLocale::ShortFormat));

    const QByteArray before = read(DataFile::LastTournament);
    const Status glued = recordLastTournament({"Real\r\nMilan", "B", "C"}, day);
    ASSERT_FALSE(glued.ok());
    EXPECT_TRUE(glued.error().contains(QStringLiteral("перевод строки"))) << glued.error().toStdString();
    EXPECT_FALSE(recordLastTournament({"A", QStringLiteral("Łódź"), "C"}, day).ok());
    EXPECT_EQ(read(DataFile::LastTournament), before) << "the file stays as it was";

    EXPECT_EQ(playersOfTeams({"B", "C", "A"}, {"A", "B", "C"}, {"P1", "P2", "P3"}),
              (std::array<QString, 3>{"P2", "P3", "P1"}));
    // The result table lists the teams in the order of the first round, each
    // with its own player.
    const Tournament ordered =
        inResultTableOrder({{"P1", "P2", "P3"}, {"A", "B", "C"}, {{{"B", "C"}, {"A", "B"}, {"C", "A"}}}, {}});
    EXPECT_EQ(ordered.teams, (PerPlayer<QString>{"B", "C", "A"}));
    EXPECT_EQ(ordered.players, (PerPlayer<QString>{"P2", "P3", "P1"}));
    EXPECT_EQ(ordered.firstRound[2][0], "C");
}
