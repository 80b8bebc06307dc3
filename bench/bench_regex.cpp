// Search speed of the pattern engine next to PCRE2 (interpreted, no JIT) on the
// same ~10 MB CP1251 Russian text: every match is found from the start, each
// search starting where the previous match ended, as the find dialog steps.
// The goal is a ratio: the engine within 2x of PCRE2 on each pattern.
#include "regex/find_all.h"
#include "regex/pattern_engine.h"
#include "text/cp1251.h"

#include <benchmark/benchmark.h>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using tildo::Cp;
using tildo::TPatternEngine;

const std::string& Text()
{
    static const std::string text = [] {
        // The environment can point elsewhere, e.g. from a worktree.
        const char* dir = std::getenv("TILDO_CORPUS_DIR");
        const std::string corpus = dir != nullptr ? dir : TILDO_CORPUS_DIR;
        std::string one;
        for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
            if (entry.path().extension() != ".txt")
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            one += tildo::Utf8ToCp1251(std::string(std::istreambuf_iterator<char>(in), {}));
        }
        if (one.empty())
            throw std::runtime_error("no corpus texts in " + corpus);
        std::string all;
        while (all.size() < 10'000'000)
            all += one;
        return all;
    }();
    return text;
}

struct TCase
{
    const char* Name; // UTF-8, as printed
    std::string Pattern; // the engine's syntax
    bool IgnoreCase;
    bool DotAll;
    std::string PcrePattern; // the same search for PCRE2
};

// Each PCRE2 pattern spells out what the engine's modifiers mean, so both find
// the same matches (the benchmark checks the counts).
const std::vector<TCase>& Cases()
{
    static const std::vector<TCase> cases = {
        { "literal word", Cp("пакет"), false, true, Cp("пакет") },
        { "case-insensitive word", Cp("пакет"), true, true, Cp("[пП][аА][кК][еЕ][тТ]") },
        { "\\bпр[а-я]+ть\\b", Cp("\\bпр[а-я]+ть\\b"), false, true, Cp("\\bпр[а-яё]+ть\\b") },
        { "^.*ё.*$ (m)", Cp("^.*ё.*$"), false, true, Cp("^.*ё.*$") },
        { "^.*ё.*$ (m, s off)", Cp("^.*ё.*$"), false, false, Cp("^.*ё.*$") },
    };
    return cases;
}

void Engine(benchmark::State& state, const TCase& c)
{
    const std::string& text = Text();
    TPatternEngine engine;
    tildo::SetFindModifiers(engine, c.IgnoreCase);
    engine.SetModifier(TPatternEngine::ModifierS, c.DotAll);
    engine.SetExpression(c.Pattern);
    engine.SetInputString(text);
    const int length = static_cast<int>(text.size());
    long matches = 0;
    for (auto _ : state) {
        matches = 0;
        int offset = 1;
        while (offset <= length + 1 && engine.ExecPos(offset)) {
            ++matches;
            const int end = engine.MatchStart(0) - 1 + engine.MatchLength(0);
            offset = end + 1 + (engine.MatchLength(0) == 0 ? 1 : 0);
        }
    }
    state.counters["matches"] = static_cast<double>(matches);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * length);
}

void Pcre2(benchmark::State& state, const TCase& c)
{
    const std::string& text = Text();
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_compile_context* compileContext = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(compileContext, PCRE2_NEWLINE_ANYCRLF);
    const uint32_t options = PCRE2_MULTILINE | PCRE2_DOLLAR_ENDONLY | (c.DotAll ? PCRE2_DOTALL : 0);
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(c.PcrePattern.data()), c.PcrePattern.size(),
        options, &error, &errorOffset, compileContext);
    if (code == nullptr) {
        state.SkipWithError("PCRE2 did not compile the pattern");
        return;
    }
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    long matches = 0;
    for (auto _ : state) {
        matches = 0;
        PCRE2_SIZE offset = 0;
        while (
            offset <= text.size() && pcre2_match(code, subject, text.size(), offset, 0, data, nullptr) >= 0) {
            ++matches;
            const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
            offset = ov[1] + (ov[1] == ov[0] ? 1 : 0);
        }
    }
    state.counters["matches"] = static_cast<double>(matches);
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    pcre2_match_data_free(data);
    pcre2_code_free(code);
    pcre2_compile_context_free(compileContext);
}

// Prints the usual table, then MB/s of both side by side with the ratio.
class TRatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string name = run.benchmark_name();
            const auto slash = name.find('/');
            auto& row = m_rows[name.substr(slash + 1)];
            const bool ours = name.compare(0, slash, "engine") == 0;
            const double mbps = run.counters.at("bytes_per_second") / 1e6;
            (ours ? row.Engine : row.Pcre) = mbps;
            (ours ? row.EngineMatches : row.PcreMatches) = run.counters.at("matches");
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf(
            "\n%-26s %12s %12s %10s %9s\n", "pattern", "engine MB/s", "PCRE2 MB/s", "PCRE2/eng", "matches");
        for (const auto& [name, row] : m_rows) {
            std::printf("%-26s %12.1f %12.1f %10.2f %9.0f%s\n", name.c_str(), row.Engine, row.Pcre,
                row.Engine > 0 ? row.Pcre / row.Engine : 0.0, row.EngineMatches,
                row.EngineMatches == row.PcreMatches ? "" : "  (PCRE2 found a different number)");
        }
    }

private:
    struct TRow
    {
        double Engine = 0, Pcre = 0, EngineMatches = 0, PcreMatches = 0;
    };
    std::map<std::string, TRow> m_rows;
};

} // namespace

int main(int argc, char** argv)
{
    for (const TCase& c : Cases()) {
        const std::string name = c.Name;
        benchmark::RegisterBenchmark(("engine/" + name).c_str(), Engine, c)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("pcre2/" + name).c_str(), Pcre2, c)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
