#pragma once

// The main() of a benchmark program that drives real windows: a QApplication on the offscreen
// platform (unless QT_QPA_PLATFORM names another), then Google Benchmark's own steps.

#include <QApplication>

#include <benchmark/benchmark.h>

#define KORVANTA_WINDOW_BENCHMARK_MAIN()                                                           \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication app(argc, argv);                                                              \
        benchmark::Initialize(&argc, argv);                                                        \
        benchmark::RunSpecifiedBenchmarks();                                                       \
        benchmark::Shutdown();                                                                     \
        return 0;                                                                                  \
    }
