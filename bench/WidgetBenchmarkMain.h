#pragma once

// The entry point of a benchmark that drives widgets: an application on the
// offscreen platform (unless the caller chose one), then Google Benchmark.

#include <QApplication>

#include <benchmark/benchmark.h>

inline int runWidgetBenchmarks(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
