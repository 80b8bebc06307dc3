// The dictionary editor's window and the statistics window against the same
// work without a window, in the same run.
//
// Editor: on the shipped dictionary (~107 000 lines), opening it in the
// dictionary pane, "Сортировать словарь", "Удалить дубли из словаря" and "Найти
// следующую ошибку в словаре" (from the first line), each run by the window's
// command and followed by the repaint, beside the same command of the editor's
// logic over in-memory panes. Goal: each within three times.
//
// Statistics: after a pass over ~10 MB of the corpus with the shipped
// dictionary, filling the statistics window's tables beside building their
// rows alone (goal: within two times), and the whole opening, with the window
// shown and painted, beside the same rows.
#include "dic_edit_form.h"
#include "engine/yoficator.h"
#include "line_pane.h"
#include "qt_user_interface.h"
#include "stat_form.h"
#include "text/memory_document.h"
#include "tools/dic_editor.h"
#include "tools/dic_lines.h"
#include "window_fixture.h"

#include <QAction>
#include <QLabel>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tildo {
namespace {

constexpr std::size_t StatTextBytes = 10u << 20;
const std::string ShippedDictionary = TILDO_DATA_DIR "/tildo.dat";

TBenchDir& BenchDir()
{
    static TBenchDir dir;
    return dir;
}

// The window's user interface, answering every box with its default button
// and choosing no file, so that nothing waits for a user.
class TQuietQtUi : public TQtUserInterface
{
public:
    using TQtUserInterface::TQtUserInterface;

protected:
    QMessageBox::StandardButton ShowBox(QMessageBox::Icon, const QString&, const QString&,
        QMessageBox::StandardButtons, QMessageBox::StandardButton defaultButton) override
    {
        return defaultButton;
    }
    QString ShowOpenDialog(const QString&, const QString&) override { return {}; }
    QString ShowSaveDialog(const QString&, const QString&) override { return {}; }
};

enum class TOp { Open, Sort, DelDoubles, CheckDic };

const char* OpName(TOp op)
{
    switch (op) {
    case TOp::Open:
        return "open the dictionary";
    case TOp::Sort:
        return "Sort1";
    case TOp::DelDoubles:
        return "DelDoubles1";
    case TOp::CheckDic:
        return "CheckDic1";
    }
    return "";
}

// Wall clock and processor time of one side, summed over its runs.
struct TTimes
{
    double Wall = 0;
    double Cpu = 0;
    int Runs = 0;
    double MeanWall() const { return Runs > 0 ? Wall / Runs : 0; }
    double MeanCpu() const { return Runs > 0 ? Cpu / Runs : 0; }
};

// Measures one run of work into times.
template <class Work> void Measure(TTimes& times, Work work)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuNow();
    work();
    times.Cpu += CpuNow() - cpuStart;
    times.Wall += Since(start);
    ++times.Runs;
}

std::map<TOp, TTimes> HeadlessTimes;
std::map<TOp, TTimes> WindowTimes;

void PrintRatio(const char* what, const TTimes& window, const TTimes& base, const char* goal)
{
    std::printf("%-28s wall %.3f / %.3f ms = %.2f; processor %.3f / %.3f ms = %.2f%s\n", what,
        window.MeanWall() * 1e3, base.MeanWall() * 1e3, window.MeanWall() / base.MeanWall(),
        window.MeanCpu() * 1e3, base.MeanCpu() * 1e3, window.MeanCpu() / base.MeanCpu(), goal);
}

// The editor's logic over two in-memory panes.
struct THeadlessEditor
{
    MemoryDocument Dic;
    MemoryDocument Word;
    TNullUserInterface Ui;
    TBufferLimits Limits;
    TDicEditor Editor { Dic, Word, Ui, Setup() };
    TDicEditorSetup Setup()
    {
        TDicEditorSetup setup;
        setup.ProgramDir = BenchDir().Path;
        setup.WorkDir = BenchDir().Path;
        setup.Limits = &Limits;
        return setup;
    }
};

void BM_HeadlessEditor(benchmark::State& state, TOp op)
{
    THeadlessEditor e;
    TTimes& times = HeadlessTimes[op];
    for (auto _ : state) {
        state.PauseTiming();
        if (op == TOp::Open)
            e.Dic.SetText({});
        else
            e.Editor.LoadDicFile(ShippedDictionary, "tildo.dat");
        e.Editor.SetModified(false);
        e.Dic.Select(0, 0);
        state.ResumeTiming();
        Measure(times, [&] {
            switch (op) {
            case TOp::Open:
                e.Editor.OpenDic(ShippedDictionary);
                break;
            case TOp::Sort:
                e.Editor.Sort1Click();
                break;
            case TOp::DelDoubles:
                e.Editor.DelDoubles1Click();
                break;
            case TOp::CheckDic:
                e.Editor.CheckDic1Click();
                break;
            }
        });
    }
}

TDicEditForm& Window()
{
    static TDicEditForm* form = [] {
        static TBufferLimits limits;
        TDicEditForm::TContext context;
        context.ProgramDir = BenchDir().Path;
        context.Limits = &limits;
        auto* f = new TDicEditForm(context,
            [](QWidget& window, QLabel& status) { return std::make_unique<TQuietQtUi>(window, status); });
        f->Open(QRect(20, 20, 900, 700), {}, false);
        QApplication::processEvents();
        return f;
    }();
    return *form;
}

void BM_WindowEditor(benchmark::State& state, TOp op)
{
    TDicEditForm& form = Window();
    TTimes& times = WindowTimes[op];
    for (auto _ : state) {
        state.PauseTiming();
        if (op == TOp::Open)
            form.DicPane().SetText({});
        else
            form.Logic().LoadDicFile(ShippedDictionary, "tildo.dat");
        form.Logic().SetModified(false);
        form.DicPane().Select(0, 0);
        form.DicPane().setFocus();
        QApplication::processEvents();
        state.ResumeTiming();
        Measure(times, [&] {
            switch (op) {
            case TOp::Open:
                form.Logic().OpenDic(ShippedDictionary);
                break;
            case TOp::Sort:
                form.Command("Sort1")->trigger();
                break;
            case TOp::DelDoubles:
                form.Command("DelDoubles1")->trigger();
                break;
            case TOp::CheckDic:
                form.Command("CheckDic1")->trigger();
                break;
            }
            // The user waits for the pane to be painted too.
            QApplication::processEvents();
        });
    }
}

BENCHMARK_CAPTURE(BM_HeadlessEditor, Open, TOp::Open)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_WindowEditor, Open, TOp::Open)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_HeadlessEditor, Sort, TOp::Sort)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_WindowEditor, Sort, TOp::Sort)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_HeadlessEditor, DelDoubles, TOp::DelDoubles)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_WindowEditor, DelDoubles, TOp::DelDoubles)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_HeadlessEditor, CheckDic, TOp::CheckDic)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_WindowEditor, CheckDic, TOp::CheckDic)->Unit(benchmark::kMillisecond)->Iterations(5);

// --- the statistics window ------------------------------------------------------------

const std::string& CorpusText()
{
    static const std::string text = RepeatedTo(CorpusCp1251(), StatTextBytes);
    return text;
}

class TDottedAsker : public Asker
{
public:
    TAnswer Ask(const TQuestion&) override { return TAnswer::Dotted; }
};

// The dictionaries with their counters after one pass over the text.
struct TCountedDictionaries : TShippedDictionaries
{
    TCountedDictionaries()
    {
        ReadCombinations();
        Ui.SetCommandChecked("CombiWords1", true);
        Ui.SetCommandChecked("CheckYo1", true);
        MemoryDocument doc = MemoryDocument::FromCp1251(CorpusText());
        TDottedAsker asker;
        TYoficator engine(doc, Ui, asker, Dic, Combi, Window, Limits);
        engine.DoYoficate(0, 1);
    }
};

TCountedDictionaries& Counted()
{
    static TCountedDictionaries counted;
    return counted;
}

TTimes StatRowsTimes;
TTimes StatFillTimes;
TTimes StatWindowTimes;
std::size_t StatRows = 0;

void BM_StatisticsRows(benchmark::State& state)
{
    const TCountedDictionaries& c = Counted();
    TStatGrid words;
    TStatGrid combis;
    for (auto _ : state)
        Measure(StatRowsTimes, [&] { FillStatistics(c.Dic, c.Combi, words, combis); });
    StatRows = words.Rows.size() + combis.Rows.size();
    state.counters["rows"] = static_cast<double>(StatRows);
}

// The rows put into the window's tables, the window already shown.
void BM_StatisticsFill(benchmark::State& state)
{
    const TCountedDictionaries& c = Counted();
    TNullUserInterface ui;
    TStatForm form(ui, BenchDir().Path);
    form.show();
    QApplication::processEvents();
    for (auto _ : state)
        Measure(StatFillTimes, [&] { form.Fill(c.Dic, c.Combi); });
}

// The whole opening: the rows, the window shown and painted.
void BM_StatisticsWindow(benchmark::State& state)
{
    const TCountedDictionaries& c = Counted();
    TNullUserInterface ui;
    TStatForm form(ui, BenchDir().Path);
    for (auto _ : state) {
        Measure(StatWindowTimes, [&] {
            form.Fill(c.Dic, c.Combi);
            form.show();
            QApplication::processEvents();
        });
        state.PauseTiming();
        form.hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_StatisticsRows)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StatisticsFill)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StatisticsWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

// The run's report: each window against the same work without one.
void PrintReport()
{
    for (const TOp op : { TOp::Open, TOp::Sort, TOp::DelDoubles, TOp::CheckDic }) {
        if (HeadlessTimes[op].Runs > 0 && WindowTimes[op].Runs > 0)
            PrintRatio(OpName(op), WindowTimes[op], HeadlessTimes[op], " (goal: at most 3)");
    }
    if (StatRowsTimes.Runs > 0 && StatFillTimes.Runs > 0) {
        std::printf("statistics: %zu rows\n", StatRows);
        PrintRatio("the window's tables / rows", StatFillTimes, StatRowsTimes, " (goal: at most 2)");
    }
    if (StatRowsTimes.Runs > 0 && StatWindowTimes.Runs > 0)
        PrintRatio("shown and painted / rows", StatWindowTimes, StatRowsTimes, "");
}

} // namespace
} // namespace tildo

int main(int argc, char** argv)
{
    return tildo::RunWindowBenchmarks(argc, argv, tildo::PrintReport);
}
