#pragma once

#include "Seams.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <functional>

// Runs the benchmarks of a program in a fresh temporary working directory that
// `prepare` fills with the files of the measured size, with a fixed random
// sequence. The caller creates the application object first.
inline int runBenchmarks(int &argc, char *argv[], const std::function<bool()> &prepare) {
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()) || !prepare()) {
        return 1;
    }
    randomGenerator().fix(1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
