// Gathering every question of a 10 MB text for a review, beside the pass that
// `tildo-cli --unanswered keep` makes over it (its asker records each question
// and keeps the word), in the same run. The text is the corpus in CP1251 with
// every ё typed as е, repeated to about 10 MB; the dictionary is the shipped
// one with the design-time options. The goal: gathering within 1.5 times the
// pass.
#include "batch/question_log.h"
#include "corpus_fixture.h"
#include "engine/question_collector.h"
#include "engine/yoficator.h"
#include "text/letters.h"
#include "text/memory_document.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tildo {
namespace {

constexpr std::size_t TargetTextBytes = 10u << 20;

const std::string& Text()
{
    static const std::string text = [] {
        std::string one = CorpusCp1251();
        FoldDottedEInPlace(one);
        std::string all;
        while (!one.empty() && all.size() < TargetTextBytes)
            all += one;
        return all;
    }();
    return text;
}

struct TSetup : TShippedDictionaries
{
    MemoryDocument Original = MemoryDocument::FromCp1251(Text());

    TSetup()
    {
        Ui.SetCommandChecked("Mark1", true);
        Ui.SetCommandChecked("ProposeLast1", true);
    }
};

TSetup& Setup()
{
    static TSetup setup;
    return setup;
}

double PassSeconds = 0;
double CollectSeconds = 0;
std::size_t PassQuestions = 0;
std::size_t CollectedQuestions = 0;

void BM_KeepPass(benchmark::State& state)
{
    TSetup& s = Setup();
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MemoryDocument doc = s.Original;
        TCliAsker asker(doc, {}, TUnanswered::Keep);
        TYoficator engine(doc, s.Ui, asker, s.Dic, s.Combi, s.Window, s.Limits);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        engine.DoYoficate(0, 1);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        PassQuestions = asker.Records().size();
    }
    PassSeconds = total / static_cast<double>(state.iterations());
    state.counters["questions"] = static_cast<double>(PassQuestions);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Text().size()));
}

void BM_Collect(benchmark::State& state)
{
    TSetup& s = Setup();
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TQuestionCollector collector(s.Dic, s.Combi, s.Window, s.Limits);
        const std::vector<TCollectedQuestion> found = collector.Collect(s.Original, s.Ui);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        CollectedQuestions = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    CollectSeconds = total / static_cast<double>(state.iterations());
    state.counters["questions"] = static_cast<double>(CollectedQuestions);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Text().size()));
}

BENCHMARK(BM_KeepPass)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Collect)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
} // namespace tildo

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (tildo::PassSeconds > 0 && tildo::CollectSeconds > 0) {
        std::printf("text %zu bytes; questions: pass %zu, gathered %zu\n", tildo::Text().size(),
            tildo::PassQuestions, tildo::CollectedQuestions);
        std::printf("gathering / pass with --unanswered keep: %.1f ms / %.1f ms = %.2f (goal: at most 1.5)\n",
            tildo::CollectSeconds * 1e3, tildo::PassSeconds * 1e3,
            tildo::CollectSeconds / tildo::PassSeconds);
    }
    return 0;
}
