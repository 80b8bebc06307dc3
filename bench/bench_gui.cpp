// A restoration pass over a 1 MB text in the window (the Qt document over the
// editor, the window's user interface, "Быстрая промотка" and "Только
// бесспорные замены" on), beside the same pass without a window (a
// MemoryDocument and a silent interface) in the same run. The text is the
// corpus in CP1251, repeated to 1 MB; the dictionary is the shipped one.
// The goal: the window's pass within three times the headless one. The
// window's repaint after the pass is measured apart and shown beside.

#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "engine/yoficator.h"
#include "main_form.h"
#include "platform/file_io.h"
#include "platform/null_user_interface.h"
#include "qt_strings.h"
#include "qt_text_document.h"
#include "qt_user_interface.h"
#include "text/cp1251.h"
#include "text/memory_document.h"

#include <QApplication>
#include <QPlainTextEdit>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace tildo {
namespace {

constexpr std::size_t TargetTextBytes = 1u << 20;

const std::string& CorpusText()
{
    static const std::string text = [] {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(TILDO_CORPUS_DIR)) {
            if (entry.path().extension() == ".txt")
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        std::string one;
        for (const auto& file : files) {
            one += Utf8ToCp1251(ReadWholeFile(file.string()));
            if (!one.empty() && one.back() != '\n')
                one += '\n';
        }
        std::string all;
        while (!one.empty() && all.size() < TargetTextBytes)
            all += one;
        all.resize(std::min(all.size(), TargetTextBytes));
        return all;
    }();
    return text;
}

double CpuNow()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

class TQuietUi : public TNullUserInterface
{
};

class TQuickAsker : public Asker
{
public:
    TAnswer Ask(const TQuestion&) override { return TAnswer::Plain; }
};

// Mean seconds per pass of each side, wall clock and processor time, for the
// ratios printed at the end.
double HeadlessSeconds = 0;
double WindowSeconds = 0;
double HeadlessCpuSeconds = 0;
double WindowCpuSeconds = 0;
double RepaintSeconds = 0; // the window's repaint after the pass, apart
long long HeadlessChanges = 0;
long long WindowChanges = 0;

void SetPassOptions(UserInterface& ui)
{
    ui.SetCommandChecked("Mark1", true);
    ui.SetCommandChecked("FastScroll1", true);
    ui.SetCommandChecked("NoVarOnly1", true);
    ui.SetCommandChecked("VarOnly1", false);
    ui.SetCommandChecked("AlwaysAsk1", false);
    ui.SetCommandChecked("CheckYo1", false);
    ui.SetCommandChecked("CombiWords1", false);
}

void BM_HeadlessPass(benchmark::State& state)
{
    TQuietUi ui;
    SetPassOptions(ui);
    TBufferLimits limits;
    TDic dic;
    TCombiWordsDic combi(limits);
    TWordBuffer window(limits);
    dic.FileName = TILDO_DATA_DIR "/tildo.dat";
    dic.ReadDic(ui);
    TQuickAsker asker;
    double total = 0;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MemoryDocument doc = MemoryDocument::FromCp1251(CorpusText());
        TYoficator engine(doc, ui, asker, dic, combi, window, limits);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuNow();
        engine.DoYoficate(0, 1);
        cpu += CpuNow() - cpuStart;
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        HeadlessChanges = engine.Counters().NewDottedCount + engine.Counters().NewPlainCount;
    }
    HeadlessSeconds = total / static_cast<double>(state.iterations());
    HeadlessCpuSeconds = cpu / static_cast<double>(state.iterations());
    state.counters["letters"] = static_cast<double>(HeadlessChanges);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * CorpusText().size()));
}

void BM_WindowPass(benchmark::State& state)
{
    // A program directory with the shipped dictionary, as the window starts.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tildo-bench-gui";
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(
        TILDO_DATA_DIR "/tildo.dat", dir / "tildo.dat", std::filesystem::copy_options::overwrite_existing);
    TMainForm form;
    form.Start({}, dir.string());
    form.DeferredStart();
    form.resize(900, 700);
    form.show();
    SetPassOptions(form.Ui());
    const QString text = ToQString(CorpusText());
    double total = 0;
    double cpu = 0;
    double repaint = 0;
    for (auto _ : state) {
        state.PauseTiming();
        form.Editor().setPlainText(text);
        form.Engine().Counters().Reset();
        QApplication::processEvents();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuNow();
        form.RunPass(0, 1);
        cpu += CpuNow() - cpuStart;
        const auto passEnd = std::chrono::steady_clock::now();
        total += std::chrono::duration<double>(passEnd - start).count();
        // Then the window is painted anew, which the user waits for as well.
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
        repaint += std::chrono::duration<double>(std::chrono::steady_clock::now() - passEnd).count();
        WindowChanges = form.Engine().Counters().NewDottedCount + form.Engine().Counters().NewPlainCount;
    }
    WindowSeconds = total / static_cast<double>(state.iterations());
    WindowCpuSeconds = cpu / static_cast<double>(state.iterations());
    RepaintSeconds = repaint / static_cast<double>(state.iterations());
    state.counters["letters"] = static_cast<double>(WindowChanges);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * CorpusText().size()));
    std::filesystem::remove_all(dir);
}

BENCHMARK(BM_HeadlessPass)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_WindowPass)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
} // namespace tildo

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (tildo::HeadlessSeconds > 0 && tildo::WindowSeconds > 0) {
        std::printf("text %zu bytes; letters changed: headless %lld, window %lld\n",
            tildo::CorpusText().size(), tildo::HeadlessChanges, tildo::WindowChanges);
        std::printf("window / headless, wall clock: %.1f ms / %.1f ms = %.2f (goal: at most 3)\n",
            tildo::WindowSeconds * 1e3, tildo::HeadlessSeconds * 1e3,
            tildo::WindowSeconds / tildo::HeadlessSeconds);
        std::printf("window / headless, processor time: %.1f ms / %.1f ms = %.2f\n",
            tildo::WindowCpuSeconds * 1e3, tildo::HeadlessCpuSeconds * 1e3,
            tildo::WindowCpuSeconds / tildo::HeadlessCpuSeconds);
        const double withRepaint = tildo::WindowSeconds + tildo::RepaintSeconds;
        std::printf("with the window's repaint after it: %.1f ms / %.1f ms = %.2f\n", withRepaint * 1e3,
            tildo::HeadlessSeconds * 1e3, withRepaint / tildo::HeadlessSeconds);
    }
    return 0;
}
