// Cold start-up: the time from starting a fresh process to its main window being
// painted, for the bare form (the main window's design and nothing else) and for
// the program, on the shipped data and on full-size data (five lists of 20,000
// lines and a used-teams log of 95,000 lines). The three run in turn, round after
// round, so that a drift of the machine's speed touches each alike; the figures
// are medians, and the ratios are the medians of the ratios within each round.
//
//     bench_coldstart [--rounds N]     (default 15, after one round not counted)
//
// The windows go to the platform of the environment: offscreen unless
// QT_QPA_PLATFORM or a DISPLAY says otherwise.
#include "Cp1251.h"
#include "DataFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLargeListLines = 20000;
constexpr int kLargeLogLinesPerList = 19000;

// The settings that start without a question, so that nothing waits for a user.
const Lines kQuietSettings = {"0", "clubs", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "0"};

bool copyFile(const QString &from, const QString &to) {
    QFile::remove(to);
    return QFile::copy(from, to);
}

// The shipped lists, "last.txt", "gift.txt" and the empty statistics database.
bool prepareShipped(const QString &folder) {
    const QDir shipped(QStringLiteral(KORVANA_DATA_DIR));
    for (const QString &name : shipped.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
        if (!copyFile(shipped.filePath(name), folder + u'/' + name)) {
            return false;
        }
    }
    return copyFile(QStringLiteral(KORVANA_EMPTY_BASE), folder + QStringLiteral("/base.mdb")) &&
           writeLines(folder + u'/' + DataFile::Settings, kQuietSettings).ok() &&
           writeFileBytes(folder + u'/' + DataFile::UsedTeamsLog, {}).ok();
}

// The same with every list at full size and a log that takes most of each list
// but fires no clear rule.
bool prepareLarge(const QString &folder) {
    if (!prepareShipped(folder)) {
        return false;
    }
    const QByteArray stem = toCp1251(QStringLiteral("Команда номер ")).value();
    Lines log;
    for (const QString &list : kRunLists) {
        Lines lines;
        lines.reserve(kLargeListLines);
        for (int i = 0; i < kLargeListLines; ++i) {
            lines.append(stem + list.toLatin1() + ' ' + QByteArray::number(i));
        }
        log += lines.mid(0, kLargeLogLinesPerList);
        if (!writeLines(folder + u'/' + list, lines).ok()) {
            return false;
        }
    }
    return writeLines(folder + u'/' + DataFile::UsedTeamsLog, log).ok();
}

// Starts the program in the folder and waits for its line; the milliseconds
// from the start to the line, or a negative number when it never came.
double timeToPaint(const std::string &program, const QString &folder) {
    int out[2];
    if (pipe(out) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    // What the toolkit says on the way is not the benchmark's to show.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    const QByteArray directory = QFile::encodeName(folder);
    posix_spawn_file_actions_addchdir_np(&actions, directory.constData());
    std::vector<char *> argv{const_cast<char *>(program.c_str()), nullptr};

    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return -1;
    }
    std::string said;
    char buffer[64];
    ssize_t got = 0;
    while (said.find('\n') == std::string::npos && (got = read(out[0], buffer, sizeof buffer)) > 0) {
        said.append(buffer, static_cast<std::size_t>(got));
    }
    const Clock::time_point painted = Clock::now();
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (said.rfind("painted", 0) != 0) {
        return -1;
    }
    return std::chrono::duration<double, std::milli>(painted - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Subject {
    const char *name;
    std::string program;
    QString folder;
    std::vector<double> times;
};

} // namespace

int main(int argc, char *argv[]) {
    int rounds = 15;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0) {
            rounds = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QTemporaryDir root;
    const QString shipped = root.filePath(QStringLiteral("shipped"));
    const QString large = root.filePath(QStringLiteral("large"));
    if (!root.isValid() || !QDir().mkpath(shipped) || !QDir().mkpath(large) || !prepareShipped(shipped) ||
        !prepareLarge(large)) {
        std::fputs("bench_coldstart: cannot prepare the data folders\n", stderr);
        return 1;
    }
    std::vector<Subject> subjects{
        {"bare form", KORVANA_BARE_FORM, shipped, {}},
        {"program, shipped data", KORVANA_PROGRAM, shipped, {}},
        {"program, 5 x 20,000 lines + 95,000-line log", KORVANA_PROGRAM, large, {}},
    };
    for (int round = 0; round <= rounds; ++round) {
        for (Subject &subject : subjects) {
            const double ms = timeToPaint(subject.program, subject.folder);
            if (ms < 0) {
                std::fprintf(stderr, "bench_coldstart: %s did not report its first paint\n", subject.name);
                return 1;
            }
            if (round > 0) {
                subject.times.push_back(ms);
            }
        }
    }
    std::printf("start to main window painted, fresh process each, %d rounds (median, min-max, ms):\n", rounds);
    for (const Subject &subject : subjects) {
        std::printf("  %-46s %7.1f  (%.1f-%.1f)\n", subject.name, median(subject.times),
                    *std::min_element(subject.times.begin(), subject.times.end()),
                    *std::max_element(subject.times.begin(), subject.times.end()));
    }
    const auto ratio = [&](std::size_t a, std::size_t b) {
        std::vector<double> ratios;
        for (int i = 0; i < rounds; ++i) {
            ratios.push_back(subjects[a].times[i] / subjects[b].times[i]);
        }
        return median(ratios);
    };
    std::printf("ratios (median of the rounds' ratios):\n");
    std::printf("  program / bare form, shipped data          %.2f\n", ratio(1, 0));
    std::printf("  full-size data / shipped data              %.2f\n", ratio(2, 1));
    return 0;
}
