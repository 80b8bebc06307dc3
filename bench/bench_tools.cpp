// The dictionary editor's long walks on a generated 150 000-line dictionary,
// against the baseline of reading its lines once (from the file, and from the
// pane's text). Each walk should cost a few baselines, never grow with the
// square of the pane.
#include "corpus_fixture.h"
#include "platform/null_user_interface.h"
#include "text/letters.h"
#include "text/memory_document.h"
#include "tools/dic_editor.h"
#include "tools/dic_lines.h"
#include "tools/dic_operations.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>

namespace tildo {
namespace {

constexpr int DictionaryLines = 150000;

// A user interface that shows nothing and never sees Esc.
class TQuietUi : public TNullUserInterface
{
public:
    std::string ChooseOpenFile(const TFileChoice&) override { return OpenAnswer; }
    std::string OpenAnswer;
};

// Sorted, valid word forms with ё, distinct even with ё folded, after a few
// comment lines.
const TStringList& Dictionary()
{
    static const TStringList lines = [] {
        std::mt19937 random(2024);
        std::set<std::string> folded;
        TStringList words;
        while (static_cast<int>(words.size()) < DictionaryLines - 3) {
            const int length = 4 + static_cast<int>(random() % 10);
            std::string word;
            for (int i = 0; i < length; ++i)
                word += static_cast<char>(0xE0 + random() % 32);
            word[random() % word.size()] = LetterYo;
            if (folded.insert(FoldDottedE(word)).second)
                words.push_back(word);
        }
        SortFolded(words);
        TStringList result { "# generated", "# for the benchmark", "#" };
        result.insert(result.end(), words.begin(), words.end());
        return result;
    }();
    return lines;
}

TBenchDir& BenchDir()
{
    static TBenchDir dir;
    return dir;
}

std::string DictionaryFile()
{
    static const std::string path = [] {
        const std::string p = BenchDir().Path + "/bench.dat";
        WriteDicFileLines(p, Dictionary());
        return p;
    }();
    return path;
}

// An editor over two in-memory panes, working in the benchmark's directory.
struct TBenchEditor
{
    MemoryDocument Dic;
    MemoryDocument Word;
    TQuietUi Ui;
    TBufferLimits Limits;
    TDicEditor Editor;
    TBenchEditor()
        : Editor(Dic, Word, Ui, Setup())
    {
    }
    TDicEditorSetup Setup()
    {
        TDicEditorSetup setup;
        setup.ProgramDir = BenchDir().Path;
        setup.WorkDir = BenchDir().Path;
        setup.Limits = &Limits;
        return setup;
    }
};

// --- baselines ---------------------------------------------------------------

void BM_ReadLinesFromFile(benchmark::State& state)
{
    const std::string path = DictionaryFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadDicFileLines(path));
}
BENCHMARK(BM_ReadLinesFromFile)->Unit(benchmark::kMillisecond);

void BM_ReadLinesFromPane(benchmark::State& state)
{
    MemoryDocument doc;
    SetPaneLines(doc, Dictionary());
    for (auto _ : state)
        benchmark::DoNotOptimize(PaneLines(doc));
}
BENCHMARK(BM_ReadLinesFromPane)->Unit(benchmark::kMillisecond);

// --- the editor's commands ---------------------------------------------------------

template <class Prepare, class Run> void RunOnPane(benchmark::State& state, Prepare prepare, Run run)
{
    TBenchEditor e;
    for (auto _ : state) {
        state.PauseTiming();
        prepare(e);
        state.ResumeTiming();
        run(e);
    }
}

void BM_Sort1_Sorted(benchmark::State& state)
{
    RunOnPane(
        state, [](TBenchEditor& e) { SetPaneLines(e.Dic, Dictionary()); },
        [](TBenchEditor& e) { e.Editor.Sort1Click(); });
}
BENCHMARK(BM_Sort1_Sorted)->Unit(benchmark::kMillisecond);

void BM_Sort1_Shuffled(benchmark::State& state)
{
    TStringList shuffled = Dictionary();
    std::shuffle(shuffled.begin() + 3, shuffled.end(), std::mt19937(5));
    RunOnPane(
        state, [&](TBenchEditor& e) { SetPaneLines(e.Dic, shuffled); },
        [](TBenchEditor& e) { e.Editor.Sort1Click(); });
}
BENCHMARK(BM_Sort1_Shuffled)->Unit(benchmark::kMillisecond);

void BM_SortFolded_Shuffled(benchmark::State& state)
{
    TStringList shuffled = Dictionary();
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(5));
    for (auto _ : state) {
        state.PauseTiming();
        TStringList lines = shuffled;
        state.ResumeTiming();
        SortFolded(lines);
    }
}
BENCHMARK(BM_SortFolded_Shuffled)->Unit(benchmark::kMillisecond);

void BM_CheckDic1_WholeValidDictionary(benchmark::State& state)
{
    RunOnPane(
        state,
        [](TBenchEditor& e) {
            if (e.Dic.Length() == 0)
                SetPaneLines(e.Dic, Dictionary());
            e.Dic.Select(0, 0);
        },
        [](TBenchEditor& e) { e.Editor.CheckDic1Click(); });
}
BENCHMARK(BM_CheckDic1_WholeValidDictionary)->Unit(benchmark::kMillisecond);

void BM_DelDoubles1_EveryTenthRepeated(benchmark::State& state)
{
    TStringList lines;
    for (std::size_t i = 0; i < Dictionary().size(); ++i) {
        lines.push_back(Dictionary()[i]);
        if (i % 10 == 5)
            lines.push_back(Dictionary()[i]);
    }
    RunOnPane(
        state, [&](TBenchEditor& e) { SetPaneLines(e.Dic, lines); },
        [](TBenchEditor& e) { e.Editor.DelDoubles1Click(); });
}
BENCHMARK(BM_DelDoubles1_EveryTenthRepeated)->Unit(benchmark::kMillisecond);

void BM_Subtract1_EveryOtherLine(benchmark::State& state)
{
    TStringList other;
    for (std::size_t i = 0; i < Dictionary().size(); i += 2)
        other.push_back(Dictionary()[i]);
    const std::string otherPath = BenchDir().Path + "/other.dat";
    WriteDicFileLines(otherPath, other);
    RunOnPane(
        state,
        [&](TBenchEditor& e) {
            SetPaneLines(e.Dic, Dictionary());
            e.Ui.OpenAnswer = otherPath;
        },
        [](TBenchEditor& e) { e.Editor.Subtract1Click(); });
}
BENCHMARK(BM_Subtract1_EveryOtherLine)->Unit(benchmark::kMillisecond);

void BM_SweepWordEditor1_HalfKnown(benchmark::State& state)
{
    TStringList words;
    for (std::size_t i = 0; i < Dictionary().size(); ++i)
        words.push_back(i % 2 == 0 ? Dictionary()[i] : Dictionary()[i] + "x");
    RunOnPane(
        state,
        [&](TBenchEditor& e) {
            if (e.Dic.Length() == 0)
                SetPaneLines(e.Dic, Dictionary());
            SetPaneLines(e.Word, words);
        },
        [](TBenchEditor& e) { e.Editor.SweepWordEditor1Click(); });
}
BENCHMARK(BM_SweepWordEditor1_HalfKnown)->Unit(benchmark::kMillisecond);

// --- the same walks on lists of lines, without the pane and the scratch file ---

void BM_Lines_SortFolded_Sorted(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TStringList lines = Dictionary();
        state.ResumeTiming();
        SortFolded(lines);
    }
}
BENCHMARK(BM_Lines_SortFolded_Sorted)->Unit(benchmark::kMillisecond);

void BM_Lines_FindNextError(benchmark::State& state)
{
    TQuietUi ui;
    for (auto _ : state)
        benchmark::DoNotOptimize(FindNextError(Dictionary(), 0, TCheckMode {}, ui));
}
BENCHMARK(BM_Lines_FindNextError)->Unit(benchmark::kMillisecond);

void BM_Lines_DeleteDoubles(benchmark::State& state)
{
    TQuietUi ui;
    for (auto _ : state) {
        state.PauseTiming();
        TStringList lines = Dictionary();
        state.ResumeTiming();
        benchmark::DoNotOptimize(DeleteDoubles(lines, ui));
    }
}
BENCHMARK(BM_Lines_DeleteDoubles)->Unit(benchmark::kMillisecond);

void BM_Lines_SubtractLines_EveryOtherLine(benchmark::State& state)
{
    TStringList other;
    for (std::size_t i = 0; i < Dictionary().size(); i += 2)
        other.push_back(Dictionary()[i]);
    for (auto _ : state) {
        state.PauseTiming();
        TStringList lines = Dictionary();
        state.ResumeTiming();
        benchmark::DoNotOptimize(SubtractLines(lines, other));
    }
}
BENCHMARK(BM_Lines_SubtractLines_EveryOtherLine)->Unit(benchmark::kMillisecond);

void BM_Lines_SubtractLines_Shuffled(benchmark::State& state)
{
    TStringList other;
    for (std::size_t i = 0; i < Dictionary().size(); i += 2)
        other.push_back(Dictionary()[i]);
    std::shuffle(other.begin(), other.end(), std::mt19937(3));
    for (auto _ : state) {
        state.PauseTiming();
        TStringList lines = Dictionary();
        state.ResumeTiming();
        benchmark::DoNotOptimize(SubtractLines(lines, other));
    }
}
BENCHMARK(BM_Lines_SubtractLines_Shuffled)->Unit(benchmark::kMillisecond);

void BM_Lines_SubtractLines_UnorderedHalf(benchmark::State& state)
{
    // The first half shuffled: its lines follow the bisection over the
    // shrinking list one by one.
    TStringList base = Dictionary();
    std::shuffle(base.begin(), base.begin() + static_cast<std::ptrdiff_t>(base.size() / 2), std::mt19937(4));
    TStringList other;
    for (std::size_t i = 0; i < base.size(); i += 2)
        other.push_back(base[i]);
    for (auto _ : state) {
        state.PauseTiming();
        TStringList lines = base;
        state.ResumeTiming();
        benchmark::DoNotOptimize(SubtractLines(lines, other));
    }
}
BENCHMARK(BM_Lines_SubtractLines_UnorderedHalf)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tildo

BENCHMARK_MAIN();
