// A pass that asks about every word it may, over the corpus (about 5 MB in
// CP1251) as it is, in lines, and over the same text joined into one line.
// The one-line pass must stay within twice the time of the pass in lines:
// nothing the pass does for a word may cost the length of the line it is in.
// The same holds for the one line streamed as tildo-cli streams it.

#include "batch/stream_document.h"
#include "batch/stream_io.h"
#include "corpus_fixture.h"
#include "engine/yoficator.h"
#include "platform/file_io.h"
#include "text/memory_document.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tildo {
namespace {

constexpr std::size_t TargetTextBytes = 5u << 20;

// The shipped dictionary asking about every word it may.
struct TSetup : TShippedDictionaries
{
    std::string Lines = RepeatedTo(CorpusCp1251(), TargetTextBytes);
    std::string OneLine;

    TSetup()
    {
        Ui.SetCommandChecked("AlwaysAsk1", true);
        OneLine = Lines;
        std::replace(OneLine.begin(), OneLine.end(), '\n', ' ');
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
    TPlainAsker asker;
    const MemoryDocument original = MemoryDocument::FromCp1251(text);
    for (auto _ : state) {
        state.PauseTiming();
        MemoryDocument doc = original;
        TYoficator engine(doc, s.Ui, asker, s.Dic, s.Combi, s.Window, s.Limits);
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
    RunPass(state, Setup().Lines);
}
BENCHMARK(BM_PassInLines)->Unit(benchmark::kMillisecond);

void BM_PassOneLine(benchmark::State& state)
{
    RunPass(state, Setup().OneLine);
}
BENCHMARK(BM_PassOneLine)->Unit(benchmark::kMillisecond);

void BM_StreamedOneLine(benchmark::State& state)
{
    TSetup& s = Setup();
    const std::string path = (std::filesystem::temp_directory_path() / "tildo-bench-one-line.txt").string();
    WriteScratchFile(path, s.OneLine);
    TPlainAsker asker;
    std::uint64_t written = 0;
    for (auto _ : state) {
        TByteInput input(path);
        TStreamDocument doc(
            input, TTextEncoding::Cp1251, [&](std::string_view bytes) { written += bytes.size(); },
            s.Limits.BufferCapacity(), 20);
        TYoficator engine(doc, s.Ui, asker, s.Dic, s.Combi, s.Window, s.Limits);
        engine.ContextAddLetters = 20;
        engine.DoYoficate(0, 1);
        doc.Finish();
    }
    std::filesystem::remove(path);
    if (written != s.OneLine.size() * static_cast<std::uint64_t>(state.iterations()))
        state.SkipWithError("the streamed text came out with another length");
    state.counters["questions"]
        = static_cast<double>(asker.Questions) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(s.OneLine.size()));
}
BENCHMARK(BM_StreamedOneLine)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tildo

BENCHMARK_MAIN();
