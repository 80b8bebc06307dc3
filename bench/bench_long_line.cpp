// A pass that asks about every word it may, over the corpus (about 5 MB in
// CP1251) as it is, in lines, and over the same text joined into one line.
// The one-line pass must stay within twice the time of the pass in lines:
// nothing the pass does for a word may cost the length of the line it is in.
// The same holds for the one line streamed as tildo-cli streams it.

#include "batch/stream_document.h"
#include "batch/stream_io.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "engine/yoficator.h"
#include "platform/file_io.h"
#include "platform/null_user_interface.h"
#include "text/cp1251.h"
#include "text/memory_document.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tildo {
namespace {

constexpr std::size_t TargetTextBytes = 5u << 20;

class TAskEverything : public Asker
{
public:
    TAnswer Ask(const TQuestion&) override
    {
        ++Questions;
        return TAnswer::Plain;
    }
    long long Questions = 0;
};

std::string CorpusInLines()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(TILDO_CORPUS_DIR)) {
        if (entry.path().extension() == ".txt")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::string one;
    for (const auto& file : files)
        one += Utf8ToCp1251(ReadWholeFile(file.string())) + "\n";
    std::string all;
    while (!one.empty() && all.size() < TargetTextBytes)
        all += one;
    return all;
}

struct TSetup
{
    TNullUserInterface ui;
    TBufferLimits limits;
    TDic dic;
    TCombiWordsDic combi { limits };
    TWordBuffer window { limits };
    std::string lines = CorpusInLines();
    std::string oneLine;

    TSetup()
    {
        dic.FileName = std::string(TILDO_DATA_DIR) + "/tildo.dat";
        dic.ReadDic(ui);
        ui.SetCommandChecked("AlwaysAsk1", true);
        oneLine = lines;
        std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    }
};

TSetup& Setup()
{
    static TSetup setup;
    return setup;
}

void RunPass(benchmark::State& state, const std::string& text)
{
    TSetup& s = Setup();
    TAskEverything asker;
    const MemoryDocument original = MemoryDocument::FromCp1251(text);
    for (auto _ : state) {
        state.PauseTiming();
        MemoryDocument doc = original;
        TYoficator engine(doc, s.ui, asker, s.dic, s.combi, s.window, s.limits);
        state.ResumeTiming();
        engine.DoYoficate(0, 1);
    }
    state.counters["questions"]
        = static_cast<double>(asker.Questions) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}

void BM_PassInLines(benchmark::State& state)
{
    RunPass(state, Setup().lines);
}
BENCHMARK(BM_PassInLines)->Unit(benchmark::kMillisecond);

void BM_PassOneLine(benchmark::State& state)
{
    RunPass(state, Setup().oneLine);
}
BENCHMARK(BM_PassOneLine)->Unit(benchmark::kMillisecond);

void BM_StreamedOneLine(benchmark::State& state)
{
    TSetup& s = Setup();
    const std::string path = (std::filesystem::temp_directory_path() / "tildo-bench-one-line.txt").string();
    WriteScratchFile(path, s.oneLine);
    TAskEverything asker;
    std::uint64_t written = 0;
    for (auto _ : state) {
        TByteInput input(path);
        TStreamDocument doc(
            input, TTextEncoding::Cp1251, [&](std::string_view bytes) { written += bytes.size(); },
            s.limits.BufferCapacity(), 20);
        TYoficator engine(doc, s.ui, asker, s.dic, s.combi, s.window, s.limits);
        engine.ContextAddLetters = 20;
        engine.DoYoficate(0, 1);
        doc.Finish();
    }
    std::filesystem::remove(path);
    if (written != s.oneLine.size() * static_cast<std::uint64_t>(state.iterations()))
        state.SkipWithError("the streamed text came out with another length");
    state.counters["questions"]
        = static_cast<double>(asker.Questions) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(s.oneLine.size()));
}
BENCHMARK(BM_StreamedOneLine)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tildo

BENCHMARK_MAIN();
