// Start-up over the data files at three sizes: lists of a few dozen lines like
// the shipped ones, five team lists of 10,000 lines with a used-teams log of
// 45,000 lines, and five lists of 20,000 lines with a log of 95,000 lines. The
// log takes the same share from each list, so that no clear rule fires and no
// list is exhausted. Each size lives in a folder of its own.
#include "BenchMain.h"
#include "Cp1251.h"
#include "DataFiles.h"
#include "Pool.h"
#include "Program.h"
#include "Seams.h"
#include "Startup.h"
#include "Unit1.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTranslator>
#include <benchmark/benchmark.h>

namespace {

struct DataSize {
    int listLines;
    int logLinesPerList;
};
constexpr DataSize kTiny{40, 4};
constexpr DataSize kLarge{10000, 9000};
constexpr DataSize kHuge{20000, 19000};
constexpr DataSize kSizes[] = {kTiny, kLarge, kHuge};

// The benchmarks' own folder; each size has a subfolder named by its list length.
QString &baseFolder() {
    static QString folder;
    return folder;
}

QString folderFor(const DataSize &size) {
    return baseFolder() + '/' + QString::number(size.listLines);
}

bool writeFiles(const DataSize &size) {
    const QString folder = folderFor(size);
    if (!QDir().mkpath(folder)) {
        return false;
    }
    const QByteArray stem = toCp1251(QStringLiteral("Команда номер ")).value();
    Lines log;
    bool written = true;
    for (const QString &list : kRunLists) {
        Lines lines;
        for (int i = 0; i < size.listLines; ++i) {
            lines.append(stem + list.toLatin1() + ' ' + QByteArray::number(i));
        }
        log += lines.mid(0, size.logLinesPerList);
        written &= writeLines(folder + '/' + list, lines).ok();
    }
    written &= writeLines(folder + '/' + DataFile::UsedTeamsLog, log).ok();
    written &= writeLines(folder + '/' + DataFile::Settings,
                          {"0", "clubs", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1"})
                   .ok();
    written &= writeLines(folder + '/' + DataFile::Gift, {}).ok();
    written &= writeLines(folder + '/' + DataFile::LastTournament, {"X", "Y", "Z", "01.12.2026"}).ok();
    return written;
}

// Works in the folder of the size that the benchmark's argument names.
DataSize enterFolder(const benchmark::State &state) {
    for (const DataSize &size : kSizes) {
        if (size.listLines == state.range(0)) {
            QDir::setCurrent(folderFor(size));
            return size;
        }
    }
    Q_UNREACHABLE();
}

void sizeArguments(benchmark::internal::Benchmark *benchmark) {
    for (const DataSize &size : kSizes) {
        benchmark->Arg(size.listLines);
    }
    benchmark->ArgName("list_lines")->Unit(benchmark::kMillisecond);
}

void BM_IsListExhausted(benchmark::State &state) {
    enterFolder(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(IsListExhausted(DataFile::Teams4, DataFile::UsedTeamsLog).value());
    }
}
BENCHMARK(BM_IsListExhausted)->Arg(kLarge.listLines)->ArgName("list_lines")->Unit(benchmark::kMillisecond);

void BM_BuildPoolRemainder(benchmark::State &state) {
    enterFolder(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(BuildPoolRemainder(DataFile::Teams45).ok());
    }
}
BENCHMARK(BM_BuildPoolRemainder)->Arg(kLarge.listLines)->ArgName("list_lines")->Unit(benchmark::kMillisecond);

void BM_FileHasLineAbsent(benchmark::State &state) {
    enterFolder(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(FileHasLine(DataFile::UsedTeamsLog, "no such team").value());
    }
}
BENCHMARK(BM_FileHasLineAbsent)->Arg(kLarge.listLines)->ArgName("list_lines")->Unit(benchmark::kMillisecond);

// The start-up sequence over the files, without a window.
// Qt's Russian translation as the start takes it: found, read and installed.
void BM_LoadQtTranslation(benchmark::State &state) {
    for (auto _ : state) {
        std::unique_ptr<QTranslator> translation = qtTranslation();
        if (!translation || !QCoreApplication::installTranslator(translation.get())) {
            state.SkipWithError("qtbase_ru.qm is not installed");
            return;
        }
        QCoreApplication::removeTranslator(translation.get());
    }
}
BENCHMARK(BM_LoadQtTranslation)->Unit(benchmark::kMicrosecond);

void BM_StartupSequence(benchmark::State &state) {
    const DataSize size = enterFolder(state);
    for (auto _ : state) {
        const StartupOutcome outcome = runStartupSequence(teamChoicePrizePath());
        if (!outcome.completed || outcome.poolItems->size() != size.listLines - size.logLinesPerList) {
            state.SkipWithError("start-up did not complete as expected");
            break;
        }
    }
}
BENCHMARK(BM_StartupSequence)->Apply(sizeArguments);

// The whole creation of the main window: the form, the sequence and the six
// drop-downs with their sorted items.
void BM_MainWindowStartup(benchmark::State &state) {
    enterFolder(state);
    for (auto _ : state) {
        TForm1 form;
        benchmark::DoNotOptimize(form.windowTitle());
    }
}
BENCHMARK(BM_MainWindowStartup)->Apply(sizeArguments);

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    return runBenchmarks(argc, argv, [] {
        baseFolder() = QDir::currentPath();
        bool written = true;
        for (const DataSize &size : kSizes) {
            written &= writeFiles(size);
        }
        return written;
    });
}
