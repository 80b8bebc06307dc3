#pragma once
// Set-up shared by the benchmarks that need windows: Qt on the offscreen
// platform, the main window started from a program directory of its own, and
// the lines of the run's report that set a window against the same work
// without one.
#include "corpus_fixture.h"
#include "main_form.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace tildo {

// The main window as a user starts it: from a program directory (removed
// afterwards) that holds the shipped dictionary and, when given, a tildo.ini;
// 900 × 700, shown, its first events handled.
struct TStartedWindow
{
    TBenchDir Dir;
    TMainForm Form;

    explicit TStartedWindow(const std::string& settings = {})
    {
        std::filesystem::copy_file(TILDO_DATA_DIR "/tildo.dat", Dir.Path + "/tildo.dat");
        if (!settings.empty())
            std::ofstream(Dir.Path + "/tildo.ini") << settings;
        Form.Start({}, Dir.Path);
        Form.DeferredStart();
        Form.resize(900, 700);
        Form.show();
        QApplication::processEvents();
    }
};

// Seconds of wall clock since start, and of processor time used by the program.
inline double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
inline double CpuNow()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// "what: 12.3 ms / 4.5 ms = 2.73" and the goal, when both sides were measured.
inline void PrintRatio(const char* what, double seconds, double baseSeconds, const char* goal = "")
{
    if (seconds > 0 && baseSeconds > 0)
        std::printf("%s: %.1f ms / %.1f ms = %.2f%s\n", what, seconds * 1e3, baseSeconds * 1e3,
            seconds / baseSeconds, goal);
}

// The main of a benchmark that needs windows: Qt on the offscreen platform
// unless one is named, the benchmarks, then the run's own report.
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
