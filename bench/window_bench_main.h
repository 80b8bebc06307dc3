#pragma once
// The main of a benchmark that needs windows: Qt on the offscreen platform
// unless one is named, the benchmarks, then the run's own report.
#include <QApplication>

#include <benchmark/benchmark.h>

namespace tildo {

template <typename TReport> int RunWindowBenchmarks(int argc, char** argv, TReport report)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    report();
    return 0;
}

} // namespace tildo
