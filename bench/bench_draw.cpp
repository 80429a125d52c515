// The fill at full size: a list of the run of 10,000 lines and a used-teams log
// of 45,000 lines that holds all but 10 of its teams, with "Не использовать ВСЕ
// последние" checked, so that each player needs about a thousand attempts.
#include "BenchMain.h"
#include "Cp1251.h"
#include "DataFiles.h"
#include "Draw.h"
#include "Seams.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kListLines = 10000;
constexpr int kLogLines = 45000;
constexpr int kFreeTeams = 10;

void writeFiles() {
    const QByteArray stem = toCp1251(QStringLiteral("Команда номер ")).value();
    Lines list;
    for (int i = 0; i < kListLines; ++i) {
        list.append(stem + QByteArray::number(i));
    }
    Lines log = list.mid(kFreeTeams);
    for (int i = 0; log.size() < kLogLines; ++i) {
        log.append(stem + "other " + QByteArray::number(i));
    }
    (void)writeLines(DataFile::Teams4, list);
    (void)writeLines(DataFile::UsedTeamsLog, log);
}

void BM_FillWithEveryUsedTeamRejected(benchmark::State &state) {
    FillRequest request;
    request.poolFile = DataFile::Teams4;
    request.teams = {QByteArray(), QByteArray(), QByteArray()};
    request.exclude = request.teams;
    request.previous = {QByteArray("a"), QByteArray("b"), QByteArray("c")};
    request.skipAllUsed = true;
    for (auto _ : state) {
        const Result<FillOutcome> outcome = fillTeams(request, randomGenerator());
        if (!outcome.ok() || outcome.value().end != FillOutcome::End::Filled) {
            state.SkipWithError("the fill did not give three teams");
            break;
        }
        benchmark::DoNotOptimize(outcome.value().teams);
    }
}
BENCHMARK(BM_FillWithEveryUsedTeamRejected)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    return runBenchmarks(argc, argv, [] {
        writeFiles();
        return true;
    });
}
