// Loading and lookup speed of the main dictionary on a generated 150 000-line
// file, measured beside the cost of merely reading the same lines with
// std::getline in the same run, plus the memory the loaded dictionary takes and
// the heap allocations a lookup makes (there should be none).
#include "dict/main_dictionary.h"
#include "platform/null_user_interface.h"
#include "text/collation.h"
#include "text/letters.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <new>
#include <random>
#include <set>
#include <string>
#include <unistd.h>

#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

static std::atomic<long> g_allocations { 0 };

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace tildo;

class TQuietUi : public TNullUserInterface {
public:
    void ErrorBox(const std::string& text) override { std::fprintf(stderr, "error box: %s\n", text.c_str()); }
};

struct TFixture {
    std::string path;
    std::vector<std::string> formWords; // text words (е spelling) that hit a form
    std::vector<std::string> ruleWords;
    std::vector<std::string> missWords;

    TFixture()
    {
        // Russian-looking forms: consonant-vowel syllables with one ё, unique after folding.
        const char* consonants = "\xE1\xE2\xE3\xE4\xE6\xE7\xEA\xEB\xEC\xED\xEF\xF0\xF1\xF2\xF4\xF5\xF7\xF8";
        const char* vowels = "\xE0\xE8\xEE\xF3\xFB\xFF\xE5";
        std::mt19937 rng(2024);
        std::set<std::string> keys;
        std::vector<std::string> forms;
        while (forms.size() < 150000) {
            std::string w;
            const int syllables = 2 + static_cast<int>(rng() % 3);
            const int yoAt = static_cast<int>(rng() % static_cast<unsigned>(syllables));
            for (int s = 0; s < syllables; ++s) {
                w += consonants[rng() % 18];
                w += s == yoAt ? LetterYo : vowels[rng() % 7];
            }
            if (keys.insert(FoldDottedE(w)).second)
                forms.push_back(w);
        }
        std::sort(forms.begin(), forms.end(), [](const auto& a, const auto& b) { return CompareFolded(a, b) < 0; });
        path = "/tmp/tildo-bench-dict-" + std::to_string(::getpid()) + ".dat";
        std::ofstream out(path, std::ios::binary);
        out << "# generated\r\n";
        for (int r = 0; r < 20; ++r)
            out << "*" << consonants[r % 18] << "\xEE\xEB" << LetterYo << "\xF2*\r\n"; // *?олёт*
        for (std::size_t i = 0; i < forms.size(); ++i)
            out << forms[i] << (i % 50 == 0 ? "?" : "") << "\r\n";
        for (std::size_t i = 0; i < 1000; ++i) {
            formWords.push_back(FoldDottedE(forms[(i * 7919) % forms.size()]));
            ruleWords.push_back(std::string("\xEF\xF0\xE8") + consonants[i % 18] + "\xEE\xEB\xE5\xF2\xE0\xEC\xE8");
            missWords.push_back(std::string("\xEC\xE8\xF0") + consonants[i % 18] + "\xEE\xE2\xEE\xE9");
        }
    }
    ~TFixture() { std::remove(path.c_str()); }
};

TFixture& Fixture()
{
    static TFixture f;
    return f;
}

void BM_GetlineBaseline(benchmark::State& state)
{
    const std::string& path = Fixture().path;
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        long bytes = 0;
        while (std::getline(in, line))
            bytes += static_cast<long>(line.size());
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_GetlineBaseline)->Unit(benchmark::kMillisecond);

void BM_ReadDic(benchmark::State& state)
{
    TQuietUi ui;
    TDic dic;
    for (auto _ : state) {
        dic.FileName = Fixture().path;
        dic.ReadDic(ui);
        benchmark::DoNotOptimize(dic.Keys.size());
    }
    // The goal is a ratio: loading within 2x of merely reading the lines.
    auto seconds = [](auto&& work) {
        const auto start = std::chrono::steady_clock::now();
        for (int k = 0; k < 20; ++k)
            work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    const double getline = seconds([] {
        std::ifstream in(Fixture().path, std::ios::binary);
        std::string line;
        long bytes = 0;
        while (std::getline(in, line))
            bytes += static_cast<long>(line.size());
        benchmark::DoNotOptimize(bytes);
    });
    const double load = seconds([&] {
        dic.FileName = Fixture().path;
        dic.ReadDic(ui);
    });
    state.counters["x_getline"] = load / getline;
    // Memory of the loaded dictionary: heap in use after a fresh load minus before.
    TDic fresh;
    fresh.FileName = Fixture().path;
    const std::size_t before = mallinfo2().uordblks;
    fresh.ReadDic(ui);
    const std::size_t after = mallinfo2().uordblks;
    state.counters["MB_loaded"] = static_cast<double>(after - before) / (1024.0 * 1024.0);
    state.counters["forms"] = static_cast<double>(fresh.FormCount());
}
BENCHMARK(BM_ReadDic)->Unit(benchmark::kMillisecond);

void RunLookups(benchmark::State& state, const std::vector<std::string>& words, bool expectHit)
{
    TQuietUi ui;
    static TDic dic;
    if (!dic.HasEntries()) {
        dic.FileName = Fixture().path;
        dic.ReadDic(ui);
    }
    TDicEntry entry;
    entry.Form.reserve(64);
    std::size_t i = 0;
    long hits = 0;
    const long allocationsBefore = g_allocations.load();
    for (auto _ : state) {
        hits += dic.Lookup(words[i], entry) ? 1 : 0;
        if (++i == words.size())
            i = 0;
    }
    const long allocations = g_allocations.load() - allocationsBefore;
    if ((hits > 0) != expectHit)
        state.SkipWithError("unexpected lookup result");
    state.counters["lookups_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["allocs_per_lookup"] = static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

void BM_LookupFormHit(benchmark::State& state) { RunLookups(state, Fixture().formWords, true); }
void BM_LookupRuleHit(benchmark::State& state) { RunLookups(state, Fixture().ruleWords, true); }
void BM_LookupMiss(benchmark::State& state) { RunLookups(state, Fixture().missWords, false); }
BENCHMARK(BM_LookupFormHit);
BENCHMARK(BM_LookupRuleHit);
BENCHMARK(BM_LookupMiss);

} // namespace

BENCHMARK_MAIN();
