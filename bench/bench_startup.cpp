// Start-up at full size: five team lists of 10,000 lines and a used-teams log of
// 45,000 lines, 9,000 from each list, so that no clear rule fires and no list is
// exhausted.
#include "BenchMain.h"
#include "DataFiles.h"
#include "Pool.h"
#include "Seams.h"
#include "Startup.h"
#include "Text.h"
#include "Unit1.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kListLines = 10000;
constexpr int kLogLinesPerList = 9000;

void writeFullSizeFiles() {
    const QByteArray stem = toCp1251(QStringLiteral("Команда номер ")).value();
    Lines log;
    for (const QString &list : kRunLists) {
        Lines lines;
        for (int i = 0; i < kListLines; ++i) {
            lines.append(stem + list.toLatin1() + ' ' + QByteArray::number(i));
        }
        log += lines.mid(0, kLogLinesPerList);
        (void)writeLines(list, lines);
    }
    (void)writeLines(DataFile::UsedTeamsLog, log);
    (void)writeLines(DataFile::Settings,
                     {"0", "clubs", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1"});
    (void)writeLines(DataFile::Gift, {});
    (void)writeLines(DataFile::LastTournament, {"X", "Y", "Z", "01.12.2026"});
}

void BM_IsListExhausted(benchmark::State &state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(IsListExhausted(DataFile::Teams4, DataFile::UsedTeamsLog).value());
    }
}
BENCHMARK(BM_IsListExhausted)->Unit(benchmark::kMillisecond);

void BM_BuildPoolRemainder(benchmark::State &state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(BuildPoolRemainder(DataFile::Teams45).ok());
    }
}
BENCHMARK(BM_BuildPoolRemainder)->Unit(benchmark::kMillisecond);

void BM_FileHasLineAbsent(benchmark::State &state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(FileHasLine(DataFile::UsedTeamsLog, "no such team").value());
    }
}
BENCHMARK(BM_FileHasLineAbsent)->Unit(benchmark::kMillisecond);

// The start-up sequence over the files, without a window.
void BM_StartupSequence(benchmark::State &state) {
    for (auto _ : state) {
        const StartupOutcome outcome = runStartupSequence(teamChoicePrizePath());
        if (!outcome.completed || outcome.poolItems->size() != kListLines - kLogLinesPerList) {
            state.SkipWithError("start-up did not complete as expected");
            break;
        }
    }
}
BENCHMARK(BM_StartupSequence)->Unit(benchmark::kMillisecond);

// The whole creation of the main window: the form, the sequence and the six
// drop-downs with their sorted items.
void BM_MainWindowStartup(benchmark::State &state) {
    for (auto _ : state) {
        TForm1 form;
        benchmark::DoNotOptimize(form.windowTitle());
    }
}
BENCHMARK(BM_MainWindowStartup)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    return runBenchmarks(argc, argv, [] {
        writeFullSizeFiles();
        return true;
    });
}
