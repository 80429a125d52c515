#include "Startup.h"

#include "Pool.h"
#include "Seams.h"
#include "Text.h"

#include <QFile>
#include <memory>

namespace {

struct RunList {
    QString file;
    LineFile lines;
};

// Which lists are exhausted against the log as it stands after the clear rules;
// each list is measured once, when it is first asked about.
class Exhaustion {
public:
    Exhaustion(const std::array<RunList, 5> &lists, const UsedTeams &used) : m_lists(lists), m_used(used) {}

    bool operator()(const QString &file) {
        for (std::size_t i = 0; i < m_lists.size(); ++i) {
            if (m_lists[i].file == file) {
                if (!m_known[i]) {
                    m_value[i] = isExhausted(m_lists[i].lines, m_used);
                    m_known[i] = true;
                }
                return m_value[i];
            }
        }
        return true;
    }

private:
    const std::array<RunList, 5> &m_lists;
    const UsedTeams &m_used;
    std::array<bool, 5> m_known{};
    std::array<bool, 5> m_value{};
};

// One of the lists that can still serve, each with the same chance; empty when
// none can.
QString pickList(std::initializer_list<QString> candidates, Exhaustion &exhausted) {
    QList<QString> open;
    for (const QString &file : candidates) {
        if (!exhausted(file)) {
            open.append(file);
        }
    }
    if (open.isEmpty()) {
        return {};
    }
    return open.size() == 1 ? open.front() : open[randomGenerator().below(static_cast<int>(open.size()))];
}

const LineFile &linesOf(const std::array<RunList, 5> &lists, const QString &file) {
    for (const RunList &list : lists) {
        if (list.file == file) {
            return list.lines;
        }
    }
    Q_UNREACHABLE();
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
    return toCp1251(programDirectory() + QStringLiteral("images/team.bmp")).value_or(QByteArray());
}

StartupOutcome runStartupSequence(const QByteArray &prizePath) {
    StartupOutcome outcome;
    StartupState &state = outcome.state;

    // 1. Count the lines of the five lists.
    std::array<RunList, 5> lists;
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

    // 2. Count the log, creating it empty when it is missing.
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

    // 3. The log may not grow to the size of all lists together.
    if (state.UsedTeamsCount >= state.TotalListLines - 2 && !clearLog(log)) {
        return outcome;
    }

    // 4. Nor may it exhaust every list.
    UsedTeams used(log);
    bool allExhausted = true;
    for (const QString &file :
         {DataFile::Teams5, DataFile::Teams4, DataFile::Teams45, DataFile::NatTeams5, DataFile::NatTeams45}) {
        if (!isExhausted(linesOf(lists, file), used)) {
            allExhausted = false;
            break;
        }
    }
    if (allExhausted) {
        if (!clearLog(log)) {
            return outcome;
        }
        used = UsedTeams(log);
    }

    // 5. Settings.
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

    // 6. Kind of teams.
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
        case Messages::Answer::Cancel:
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

    // 7. The list of the run: a list of the chosen kind that is not exhausted,
    // else one of the other kind.
    Exhaustion exhausted(lists, used);
    const std::initializer_list<QString> nationalLists = {DataFile::NatTeams45, DataFile::NatTeams5};
    const std::initializer_list<QString> clubLists = {DataFile::Teams4, DataFile::Teams45, DataFile::Teams5};
    if (state.TeamKind == 1) {
        state.CurrentPoolFile = pickList(nationalLists, exhausted);
        if (state.CurrentPoolFile.isEmpty()) {
            state.CurrentPoolFile = pickList(clubLists, exhausted);
        }
    } else {
        state.TeamKind = 0;
        state.CurrentPoolFile = pickList(clubLists, exhausted);
        if (state.CurrentPoolFile.isEmpty()) {
            state.CurrentPoolFile = pickList(nationalLists, exhausted);
        }
    }
    if (state.CurrentPoolFile.isEmpty()) {
        messages().information(kNoListMessage);
    }

    // 8 and 9. The caption comes from the list of the run; the drop-downs get its
    // unused teams, which are also written to "temp".
    if (state.CurrentPoolFile.isEmpty()) {
        outcome.poolItems = Lines();
    } else {
        Lines remainder = poolRemainder(linesOf(lists, state.CurrentPoolFile), used);
        if (reportFailure(writeLines(DataFile::PoolRemainder, remainder))) {
            return outcome;
        }
        outcome.poolItems = std::move(remainder);
    }

    // 10. The prize of a free choice of team.
    Result<Lines> gift = readLines(DataFile::Gift);
    if (reportFailure(gift)) {
        return outcome;
    }
    outcome.teamChoicePrize = !prizePath.isEmpty() && lineAt(gift.value(), 0) == prizePath;

    // 11. The last tournament.
    Result<Lines> last = readLines(DataFile::LastTournament);
    if (reportFailure(last)) {
        return outcome;
    }
    for (qsizetype i = 0; i < 4; ++i) {
        state.LastTournament[i] = lineAt(last.value(), i);
    }
    outcome.lastTournamentRead = true;

    // 12. Player names.
    outcome.players = readPlayerNames(settings);

    // 13. Used-teams mode.
    const Result<int> logAll = logAllTeams(settings);
    if (!reportFailure(logAll)) {
        outcome.logAllTeams = logAll.value() == 1;
    }
    outcome.completed = true;
    return outcome;
}
