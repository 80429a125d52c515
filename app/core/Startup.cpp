#include "Startup.h"

#include "Cp1251.h"
#include "GiftCatalogue.h"
#include "Pool.h"
#include "Seams.h"
#include "Settings.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <future>

// Start-up runs as named steps. Each step returns its value together with what
// the user must be told, in order; the sequence below tells it through the
// message seam before the next step runs, so that a notice still comes before
// the question that follows it, and a failed step ends the sequence.

namespace {

struct Notice {
    enum class Kind { Information, Error } kind;
    QString text;
};
using Notices = QList<Notice>;

// A step's value with its notices; a failure ends the sequence after them.
template <typename T> struct Step {
    std::optional<T> value;
    Notices notices;
};

template <typename T> Step<T> failedStep(Notices notices, const QString &error) {
    notices.append({Notice::Kind::Error, error});
    return {std::nullopt, std::move(notices)};
}

// A step without notices: the value, or the failure.
template <typename T> Step<T> fromResult(Result<T> result) {
    return result.ok() ? Step<T>{std::move(result).value(), {}} : failedStep<T>({}, result.error());
}

// Tells the notices; true when the step gave its value.
template <typename T> bool told(const Step<T> &step) {
    for (const Notice &notice : step.notices) {
        if (notice.kind == Notice::Kind::Error) {
            messages().error(notice.text);
        } else {
            messages().information(notice.text);
        }
    }
    return step.value.has_value();
}

struct RunList {
    QString file;
    QByteArray bytes;
    ListCount count; // against the log as it stands in the file
    bool exhausted = false;
};
using RunLists = std::array<RunList, 5>;

// The log as found: missing, read, or unreadable (with the reason).
struct LogFound {
    bool missing = false;
    Status read;
    UsedTeams used; // empty unless the log was read
};

struct ListsRead {
    RunLists lists;
    qsizetype totalLines = 0;
    LogFound log;
};

// What the user reads about a list that is not Windows-1251 text.
Notice encodingNotice(const QString &file, const TextProblem &problem) {
    return {Notice::Kind::Information,
            QStringLiteral("Файл «%1», строка %2: %3. Названия команд из него могут отображаться неверно; "
                           "сохраните файл в кодировке Windows-1251.")
                .arg(file)
                .arg(problem.line)
                .arg(problem.reason)};
}

// The log as it stands, with its table when it could be read. Nothing is made
// or told here.
LogFound findLog() {
    LogFound log;
    log.missing = !QFile::exists(DataFile::UsedTeamsLog);
    if (!log.missing) {
        Result<QByteArray> bytes = readFileBytes(DataFile::UsedTeamsLog);
        log.read = bytes.status();
        if (bytes.ok()) {
            log.used = UsedTeams(std::move(bytes).value());
        }
    }
    return log;
}

// A second thread pays for its start only when it has hundreds of kilobytes to
// go through; below this many bytes the work stays on one thread.
constexpr qint64 kBytesForASecondThread = 256 * 1024;

std::launch launchFor(qint64 bytes) {
    // Should no thread be had, the work runs when its result is asked for.
    return bytes >= kBytesForASecondThread ? std::launch::async | std::launch::deferred : std::launch::deferred;
}

// Counts every list against the log, on two threads for long lists, each
// taking the next list that is not taken yet.
void countRunLists(RunLists &lists, const UsedTeams &used) {
    std::atomic<std::size_t> next{0};
    const auto countLists = [&lists, &used, &next] {
        for (std::size_t i = next++; i < lists.size(); i = next++) {
            lists[i].count = countList(lists[i].bytes, used);
        }
    };
    qint64 bytes = 0;
    for (const RunList &list : lists) {
        bytes += list.bytes.size();
    }
    // A helper that did not start runs at get(), when nothing is left to it.
    std::future<void> helper = std::async(launchFor(bytes), countLists);
    countLists();
    helper.get();
}

// The five lists and the log, each read once and walked once: every list's walk
// checks the encoding, counts the lines and counts the matches with the log all
// together. For that the log is read, on a second thread while this one reads
// the lists, before the lists are walked; it is still made, or its failure told,
// only after the lists' notices, as its own step. A list that is not
// Windows-1251 text is told.
Step<ListsRead> readRunLists() {
    std::future<LogFound> logFound = std::async(launchFor(QFileInfo(DataFile::UsedTeamsLog).size()), findLog);
    Step<ListsRead> step{ListsRead{}, {}};
    RunLists &lists = step.value->lists;
    for (std::size_t i = 0; i < kRunLists.size(); ++i) {
        Result<QByteArray> bytes = readFileBytes(kRunLists[i]);
        if (!bytes.ok()) {
            // The lists before it are still checked, so that their notices come first.
            for (std::size_t j = 0; j < i; ++j) {
                if (const std::optional<TextProblem> problem = checkCp1251Text(lists[j].bytes)) {
                    step.notices.append(encodingNotice(lists[j].file, *problem));
                }
            }
            return failedStep<ListsRead>(step.notices, bytes.error());
        }
        lists[i].file = kRunLists[i];
        lists[i].bytes = std::move(bytes).value();
    }

    LogFound &log = step.value->log;
    log = logFound.get();
    countRunLists(lists, log.used);
    for (const RunList &list : lists) {
        if (list.count.problem) {
            step.notices.append(encodingNotice(list.file, *list.count.problem));
        }
        step.value->totalLines += list.count.lines;
    }
    return step;
}

// The used-teams log, made empty when it is missing.
Step<UsedTeams> takeLog(LogFound &log) {
    if (log.missing) {
        const Status made = writeFileBytes(DataFile::UsedTeamsLog, {});
        return made.ok() ? Step<UsedTeams>{UsedTeams(), {}} : failedStep<UsedTeams>({}, made.error());
    }
    return log.read.ok() ? Step<UsedTeams>{std::move(log.used), {}} : failedStep<UsedTeams>({}, log.read.error());
}

void markExhausted(RunLists &lists) {
    for (RunList &list : lists) {
        list.exhausted = isExhausted(list.count);
    }
}

// Keeps the log from growing to the size of all lists together, and from using
// up every list: either empties it. The value is what the log holds afterwards.
// An emptied log matches nothing, so the lists' counts need no new walk.
Step<UsedTeams> keepLogWithinLists(UsedTeams used, RunLists &lists, qsizetype totalLines) {
    Notices notices;
    const auto clear = [&notices, &used, &lists]() {
        notices.append({Notice::Kind::Information, kAllLastClearedMessage});
        const Status cleared = writeFileBytes(DataFile::UsedTeamsLog, {});
        used = UsedTeams();
        for (RunList &list : lists) {
            list.count.matches = 0;
        }
        return cleared;
    };
    if (used.lines() >= totalLines - 2) {
        if (const Status cleared = clear(); !cleared.ok()) {
            return failedStep<UsedTeams>(notices, cleared.error());
        }
    }
    markExhausted(lists);
    if (std::all_of(lists.cbegin(), lists.cend(), [](const RunList &list) { return list.exhausted; })) {
        if (const Status cleared = clear(); !cleared.ok()) {
            return failedStep<UsedTeams>(notices, cleared.error());
        }
        markExhausted(lists);
    }
    return {std::move(used), notices};
}

// The settings; a missing file is made with the defaults, and the run goes on
// with them even when the file cannot be written.
struct SettingsRead {
    Settings settings;
    bool madeNow = false;
};

Step<SettingsRead> readOrMakeSettings() {
    if (QFile::exists(DataFile::Settings)) {
        Result<Settings> read = readSettings(DataFile::Settings);
        return read.ok() ? Step<SettingsRead>{SettingsRead{std::move(read).value()}, {}}
                         : failedStep<SettingsRead>({}, read.error());
    }
    Step<SettingsRead> step{SettingsRead{defaultSettings(), true},
                            {{Notice::Kind::Information, kSettingsCreatedMessage}}};
    if (const Status written = writeSettings(DataFile::Settings, step.value->settings); !written.ok()) {
        step.notices.append({Notice::Kind::Error, written.error()});
    }
    return step;
}

// 0 clubs, 1 national teams: asked, taken from the settings, or drawn.
int chooseKind(const StartupState &state) {
    Random &random = randomGenerator();
    random.seedFromClock();
    if (state.AskAtStart == "1") {
        switch (messages().askYesNoCancel(kKindQuestion)) {
        case Messages::Answer::Yes:
            return 0;
        case Messages::Answer::No:
            return 1;
        default: // Cancel, or the box closed
            return random.below(2);
        }
    }
    if (state.AskAtStart == "0") {
        if (state.DefaultKind == "natteams") {
            return 1;
        }
        if (state.DefaultKind == "random") {
            return random.below(2);
        }
    }
    return 0;
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

// A list of the chosen kind that is not exhausted, else one of the other kind;
// empty, with the message that says so, when none can serve.
Step<QString> chooseRunList(const RunLists &lists, int kind) {
    const std::initializer_list<QString> nationalLists = {DataFile::NatTeams45, DataFile::NatTeams5};
    const std::initializer_list<QString> clubLists = {DataFile::Teams4, DataFile::Teams45, DataFile::Teams5};
    QString file = pickList(lists, kind == 1 ? nationalLists : clubLists);
    if (file.isEmpty()) {
        file = pickList(lists, kind == 1 ? clubLists : nationalLists);
    }
    if (file.isEmpty()) {
        return {file, {{Notice::Kind::Information, kNoListMessage}}};
    }
    return {file, {}};
}

// The unused teams of the list of the run, which also go to "temp"; without a
// list "temp" is written empty, so that no earlier run's teams stay in it.
Step<Lines> writePoolRemainder(const RunLists &lists, const QString &runList, const UsedTeams &used) {
    const QByteArrayView list = runList.isEmpty() ? QByteArrayView() : QByteArrayView(listOf(lists, runList).bytes);
    Result<Lines> remainder = storePoolRemainder(list, used);
    return remainder.ok() ? Step<Lines>{std::move(remainder).value(), {}} : failedStep<Lines>({}, remainder.error());
}

// The prize, the last tournament, the names and the used-teams mode, as far as
// the files can be read.
void readTheRest(StartupOutcome &outcome, const Settings &settings, const QByteArray &prizePath) {
    const Step<Lines> gift = fromResult(readLines(DataFile::Gift));
    if (!told(gift)) {
        return;
    }
    outcome.teamChoicePrize = !prizePath.isEmpty() && lineAt(*gift.value, 0) == prizePath;
    const Step<Lines> last = fromResult(readLines(DataFile::LastTournament));
    if (!told(last)) {
        return;
    }
    for (qsizetype i = 0; i < 4; ++i) {
        outcome.state.LastTournament[i] = lineAt(*last.value, i);
    }
    outcome.lastTournamentRead = true;
    outcome.players = settings.players;
    const Step<int> logAll = fromResult(settings.logAllTeamsNumber());
    outcome.logAllTeams = told(logAll) && *logAll.value == 1;
    outcome.completed = true;
}

} // namespace

QByteArray teamChoicePrizePath() {
    return toCp1251(giftPicturePath(kTeamChoicePicture)).value_or(QByteArray());
}

StartupOutcome runStartupSequence(const QByteArray &prizePath) {
    StartupOutcome outcome;
    StartupState &state = outcome.state;
    Step<ListsRead> lists = readRunLists();
    if (!told(lists)) {
        return outcome;
    }
    state.TotalListLines = lists.value->totalLines;
    Step<UsedTeams> log = takeLog(lists.value->log);
    if (!told(log)) {
        return outcome;
    }
    state.UsedTeamsCount = log.value->lines();
    const Step<UsedTeams> used = keepLogWithinLists(std::move(*log.value), lists.value->lists, state.TotalListLines);
    if (!told(used)) {
        return outcome;
    }
    const Step<SettingsRead> settings = readOrMakeSettings();
    if (!told(settings)) {
        return outcome;
    }
    // A file made just now leaves the kind to the question.
    state.AskAtStart = settings.value->settings.askAtStart;
    state.DefaultKind = settings.value->madeNow ? QByteArray() : settings.value->settings.kind;
    state.TeamKind = chooseKind(state);
    const Step<QString> runList = chooseRunList(lists.value->lists, state.TeamKind);
    told(runList);
    state.CurrentPoolFile = *runList.value;
    const Step<Lines> remainder = writePoolRemainder(lists.value->lists, state.CurrentPoolFile, *used.value);
    if (!told(remainder)) {
        return outcome;
    }
    outcome.poolItems = *remainder.value;
    readTheRest(outcome, settings.value->settings, prizePath);
    return outcome;
}
