#include "Startup.h"

#include "GiftCatalogue.h"
#include "Pool.h"
#include "Seams.h"
#include "Text.h"

#include <QFile>
#include <algorithm>

namespace {

struct RunList {
    QString file;
    LineFile lines;
    bool exhausted = false;
};
using RunLists = std::array<RunList, 5>;

void measure(RunLists &lists, const UsedTeams &used) {
    for (RunList &list : lists) {
        list.exhausted = isExhausted(list.lines, used);
    }
}

const RunList &listOf(const RunLists &lists, const QString &file) {
    for (const RunList &list : lists) {
        if (list.file == file) {
            return list;
        }
    }
    Q_UNREACHABLE();
}

// One of the lists that can still serve, each with the same chance; empty when
// none can.
QString pickList(const RunLists &lists, std::initializer_list<QString> candidates) {
    QList<QString> open;
    for (const QString &file : candidates) {
        if (!listOf(lists, file).exhausted) {
            open.append(file);
        }
    }
    if (open.isEmpty()) {
        return {};
    }
    return open.size() == 1 ? open.front() : open[randomGenerator().below(static_cast<int>(open.size()))];
}

// Shows the failure of a file operation, if it failed; true when it did.
template <typename Outcome> bool reportFailure(const Outcome &result) {
    if (result.ok()) {
        return false;
    }
    messages().error(result.error());
    return true;
}

bool clearLog(LineFile &log) {
    messages().information(kAllLastClearedMessage);
    if (reportFailure(writeFileBytes(DataFile::UsedTeamsLog, {}))) {
        return false;
    }
    log = LineFile();
    return true;
}

} // namespace

QByteArray teamChoicePrizePath() {
    return toCp1251(giftPicturePath(kTeamChoicePicture)).value_or(QByteArray());
}

StartupOutcome runStartupSequence(const QByteArray &prizePath) {
    StartupOutcome outcome;
    StartupState &state = outcome.state;

    // Count the lines of the five lists.
    RunLists lists;
    for (std::size_t i = 0; i < kRunLists.size(); ++i) {
        lists[i].file = kRunLists[i];
        Result<QByteArray> bytes = readFileBytes(kRunLists[i]);
        if (reportFailure(bytes)) {
            return outcome;
        }
        if (const std::optional<TextProblem> problem = checkCp1251Text(bytes.value())) {
            messages().information(QStringLiteral("Файл «%1», строка %2: %3. Названия команд из него могут "
                                                  "отображаться неверно; сохраните файл в кодировке Windows-1251.")
                                       .arg(kRunLists[i])
                                       .arg(problem->line)
                                       .arg(problem->reason));
        }
        lists[i].lines = LineFile(std::move(bytes).value());
        state.TotalListLines += lists[i].lines.size();
    }

    // Count the log, creating it empty when it is missing.
    LineFile log;
    if (!QFile::exists(DataFile::UsedTeamsLog)) {
        if (reportFailure(writeFileBytes(DataFile::UsedTeamsLog, {}))) {
            return outcome;
        }
    } else {
        Result<LineFile> read = readLineFile(DataFile::UsedTeamsLog);
        if (reportFailure(read)) {
            return outcome;
        }
        log = std::move(read).value();
    }
    state.UsedTeamsCount = log.size();

    // The log may not grow to the size of all lists together.
    if (state.UsedTeamsCount >= state.TotalListLines - 2 && !clearLog(log)) {
        return outcome;
    }

    // Nor may it exhaust every list.
    UsedTeams used(log);
    measure(lists, used);
    if (std::all_of(lists.cbegin(), lists.cend(), [](const RunList &list) { return list.exhausted; })) {
        if (!clearLog(log)) {
            return outcome;
        }
        used = UsedTeams(log);
        measure(lists, used);
    }

    // Settings.
    Lines settings;
    if (!QFile::exists(DataFile::Settings)) {
        messages().information(kSettingsCreatedMessage);
        settings = defaultSettingsLines();
        // Without the file on disk the run goes on with the default values.
        reportFailure(writeLines(DataFile::Settings, settings));
        state.AskAtStart = "1";
    } else {
        Result<Lines> read = readLines(DataFile::Settings);
        if (reportFailure(read)) {
            return outcome;
        }
        settings = std::move(read).value();
        state.AskAtStart = lineAt(settings, 0);
        state.DefaultKind = lineAt(settings, 1);
    }

    // Kind of teams.
    Random &random = randomGenerator();
    random.seedFromClock();
    state.TeamKind = 0;
    if (state.AskAtStart == "1") {
        switch (messages().askYesNoCancel(kKindQuestion)) {
        case Messages::Answer::Yes:
            state.TeamKind = 0;
            break;
        case Messages::Answer::No:
            state.TeamKind = 1;
            break;
        default: // Cancel, or the box closed
            state.TeamKind = random.below(2);
            break;
        }
    } else if (state.AskAtStart == "0") {
        if (state.DefaultKind == "natteams") {
            state.TeamKind = 1;
        } else if (state.DefaultKind == "random") {
            state.TeamKind = random.below(2);
        }
    }

    // The list of the run: a list of the chosen kind that is not exhausted,
    // else one of the other kind.
    const std::initializer_list<QString> nationalLists = {DataFile::NatTeams45, DataFile::NatTeams5};
    const std::initializer_list<QString> clubLists = {DataFile::Teams4, DataFile::Teams45, DataFile::Teams5};
    if (state.TeamKind == 1) {
        state.CurrentPoolFile = pickList(lists, nationalLists);
        if (state.CurrentPoolFile.isEmpty()) {
            state.CurrentPoolFile = pickList(lists, clubLists);
        }
    } else {
        state.TeamKind = 0;
        state.CurrentPoolFile = pickList(lists, clubLists);
        if (state.CurrentPoolFile.isEmpty()) {
            state.CurrentPoolFile = pickList(lists, nationalLists);
        }
    }
    if (state.CurrentPoolFile.isEmpty()) {
        messages().information(kNoListMessage);
    }

    // The drop-downs get the unused teams of the list of the run, which are
    // also written to "temp"; without a list "temp" is written empty, so that
    // no earlier run's teams stay in it.
    Lines remainder;
    if (!state.CurrentPoolFile.isEmpty()) {
        remainder = poolRemainder(listOf(lists, state.CurrentPoolFile).lines, used);
    }
    if (reportFailure(writeLines(DataFile::PoolRemainder, remainder))) {
        return outcome;
    }
    outcome.poolItems = std::move(remainder);

    // The prize of a free choice of team.
    Result<Lines> gift = readLines(DataFile::Gift);
    if (reportFailure(gift)) {
        return outcome;
    }
    outcome.teamChoicePrize = !prizePath.isEmpty() && lineAt(gift.value(), 0) == prizePath;

    // The last tournament.
    Result<Lines> last = readLines(DataFile::LastTournament);
    if (reportFailure(last)) {
        return outcome;
    }
    for (qsizetype i = 0; i < 4; ++i) {
        state.LastTournament[i] = lineAt(last.value(), i);
    }
    outcome.lastTournamentRead = true;

    // Player names.
    outcome.players = readPlayerNames(settings);

    // Used-teams mode.
    const Result<int> logAll = logAllTeams(settings);
    if (!reportFailure(logAll)) {
        outcome.logAllTeams = logAll.value() == 1;
    }
    outcome.completed = true;
    return outcome;
}
