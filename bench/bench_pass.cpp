// Speed of a whole restoration pass over a large text, beside a loop that only
// cuts the same text into words. The text is the corpus converted to CP1251 and
// repeated to about 10 MB; the dictionary is data/tildo.dat when it exists,
// otherwise a deterministic one of 150 000 word forms built from the corpus's
// words and padded with made-up entries.

#include "corpus_fixture.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "engine/yoficator.h"
#include "platform/file_io.h"
#include "platform/null_user_interface.h"
#include "text/collation.h"
#include "text/cp1251.h"
#include "text/letters.h"
#include "text/memory_document.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

namespace tildo {
namespace {

constexpr std::size_t TargetTextBytes = 10u << 20;
constexpr int DictionarySize = 150000;

// A desktop that answers from a fixed set of check marks and does nothing else.
class TQuietUi : public TNullUserInterface
{
};

const std::string& CorpusText()
{
    static const std::string text = [] {
        const std::string one = CorpusCp1251();
        std::string all;
        if (one.empty())
            return all;
        all.reserve(TargetTextBytes + one.size());
        while (all.size() < TargetTextBytes)
            all += one;
        return all;
    }();
    return text;
}

std::uint32_t Hash(std::string_view s)
{
    std::uint32_t h = 2166136261u;
    for (const char c : s)
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
}

// Lines of a dictionary file in file order: about one in eight of the corpus's
// words with е gets a ё form (so a pass changes a realistic share of words),
// one in twelve of those is a variant, and made-up ё words fill up the rest.
std::vector<std::string> GeneratedDictionary()
{
    std::unordered_set<std::string> seen;
    std::vector<std::string> forms;
    const std::string& text = CorpusText();
    std::size_t i = 0;
    while (i < text.size() && seen.size() < 200000) {
        while (i < text.size() && !IsRussianLetter(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && IsRussianLetter(text[i]))
            ++i;
        std::string word = ToLower(std::string_view(text).substr(start, i - start));
        const std::size_t e = word.find(LetterE);
        if (word.size() < 2 || e == std::string::npos || !seen.insert(word).second)
            continue;
        if (Hash(word) % 20 != 0)
            continue;
        word[e] = LetterYo;
        forms.push_back(word + ((Hash(word) >> 16) % 12 == 0 ? "?" : ""));
    }
    // Made-up words: syllables with ё, never met in the corpus.
    const char* syllables[] = { "бра", "вё", "гло", "дрё", "жу", "зё", "клы", "мё", "нто", "пшё", "рви",
        "стё", "фу", "хлё", "цы", "чё", "шмо", "щё" };
    std::uint32_t state = 12345;
    while (forms.size() < static_cast<std::size_t>(DictionarySize)) {
        std::string word;
        const int n = 3 + static_cast<int>(state % 3);
        for (int k = 0; k < n; ++k) {
            state = state * 1103515245u + 12345u;
            word += Cp(syllables[(state >> 16) % (sizeof syllables / sizeof *syllables)]);
        }
        if (seen.insert(FoldDottedE(word)).second)
            forms.push_back(word);
    }
    std::sort(forms.begin(), forms.end(),
        [](const std::string& a, const std::string& b) { return CompareEntries(a, b) < 0; });
    forms.erase(std::unique(forms.begin(), forms.end(),
                    [](const std::string& a, const std::string& b) { return CompareEntries(a, b) == 0; }),
        forms.end());
    // A few rules, as a real dictionary has them among its forms.
    for (const char* rule : { "*съёмка", "полёт*?", "*рублёв*", "*ёвывать", "трёх*", "четырёх*", "*ённость",
             "*ёхонький", "*чётный", "подъём*" })
        forms.push_back(Cp(rule));
    return forms;
}

struct TSetup
{
    TQuietUi ui;
    TBufferLimits limits;
    TDic dic;
    TCombiWordsDic combi { limits };
    TCombiWordsDic shippedCombi { limits }; // data/combi.dat, what the command-line tool loads by default
    TWordBuffer window { limits };
    // What "Решать по контексту" reads: data/tags.dat and data/rare_yo.dat.
    TTagDictionary tags;
    TRareYoList rare;

    TSetup()
    {
        tags.Load(std::string(TILDO_DATA_DIR) + "/tags.dat", ui);
        rare.Load(std::string(TILDO_DATA_DIR) + "/rare_yo.dat", ui);
        const std::string shipped = std::string(TILDO_DATA_DIR) + "/tildo.dat";
        if (FileExists(shipped)) {
            dic.FileName = shipped;
            dic.ReadDic(ui);
        } else {
            for (const std::string& line : GeneratedDictionary()) {
                const TDicLine parsed = ParseDicLine(line);
                if (parsed.IsRule)
                    dic.AddRule(parsed.StarBefore ? "*" : "", parsed.Body, parsed.StarAfter ? "*" : "",
                        parsed.Variant);
                else
                    dic.AddForm(parsed.Body, parsed.Variant);
            }
        }
        for (const char* line :
            { "\\0 лет", "всё-таки", "всё равно", "ещё раз", "о чём", "при всём", "тем не менее" })
            combi.AddCombination(Cp(line), ui);
        shippedCombi.FileName = std::string(TILDO_DATA_DIR) + "/combi.dat";
        if (FileExists(shippedCombi.FileName))
            shippedCombi.ReadCombiDic(ui);
        // The options at their design-time defaults.
        ui.SetCommandChecked("Mark1", true);
        ui.SetCommandChecked("ProposeLast1", true);
    }
};

TSetup& Setup()
{
    static TSetup setup;
    return setup;
}

const MemoryDocument& Original()
{
    static const MemoryDocument doc = MemoryDocument::FromCp1251(CorpusText());
    return doc;
}

// Only cuts the text into words, line by line as the pass reads it.
void BM_SplitWords(benchmark::State& state)
{
    const MemoryDocument& doc = Original();
    for (auto _ : state) {
        std::size_t words = 0;
        std::size_t letters = 0;
        for (int i = 0; i < doc.LineCount(); ++i) {
            const std::string line = doc.Line(i);
            std::size_t k = 0;
            while (k < line.size()) {
                while (k < line.size() && !IsRussianLetter(line[k]))
                    ++k;
                const std::size_t start = k;
                while (k < line.size() && IsRussianLetter(line[k]))
                    ++k;
                if (k > start) {
                    ++words;
                    letters += k - start;
                }
            }
        }
        benchmark::DoNotOptimize(words);
        benchmark::DoNotOptimize(letters);
        state.counters["words"] = static_cast<double>(words);
        int variants = 0;
        for (int k = 0; k < Setup().dic.FormCount(); ++k)
            variants += Setup().dic.FormVariant[k];
        state.counters["forms"] = Setup().dic.FormCount();
        state.counters["variants"] = variants;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * doc.Length());
}
BENCHMARK(BM_SplitWords)->Unit(benchmark::kMillisecond);

// One option mark a run sets.
struct TOptionMark
{
    TCommandName Command;
    bool On;
};

void RunPass(benchmark::State& state, const std::vector<TOptionMark>& options,
    TCombiWordsDic* combi = nullptr, bool context = false)
{
    TSetup& s = Setup();
    if (combi == nullptr)
        combi = &s.combi;
    for (const TOptionMark& option : options)
        s.ui.SetCommandChecked(option.Command, option.On);
    TPlainAsker asker;
    long long changed = 0;
    long long byContext = 0;
    TContextJudge judge(s.tags, s.rare);
    s.ui.SetCommandChecked("Context1", context);
    for (auto _ : state) {
        state.PauseTiming();
        MemoryDocument doc = Original();
        TYoficator engine(doc, s.ui, asker, s.dic, *combi, s.window, s.limits);
        if (context)
            engine.SetContextJudge(&judge);
        state.ResumeTiming();
        engine.DoYoficate(0, 1);
        changed = engine.Counters().NewDottedCount + engine.Counters().NewPlainCount;
        byContext = engine.Counters().ContextDecisionCount;
    }
    if (context)
        state.counters["by context"] = static_cast<double>(byContext);
    s.ui.SetCommandChecked("Context1", false);
    state.counters["questions"]
        = static_cast<double>(asker.Questions) / static_cast<double>(state.iterations());
    state.counters["changed"] = static_cast<double>(changed);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * Original().Length());
    for (const TOptionMark& option : options)
        s.ui.SetCommandChecked(option.Command, false);
    s.ui.SetCommandChecked("Mark1", true);
    s.ui.SetCommandChecked("ProposeLast1", true);
}

// Default options, every question answered at once.
void BM_Pass(benchmark::State& state)
{
    RunPass(state, {});
}
BENCHMARK(BM_Pass)->Unit(benchmark::kMillisecond);

// Only undisputed replacements: no question at all.
void BM_PassNoVariants(benchmark::State& state)
{
    RunPass(state, { { "NoVarOnly1", true } });
}
BENCHMARK(BM_PassNoVariants)->Unit(benchmark::kMillisecond);

// Only undisputed replacements, and the caret moves only for questions.
void BM_PassFastScroll(benchmark::State& state)
{
    RunPass(state, { { "NoVarOnly1", true }, { "FastScroll1", true } });
}
BENCHMARK(BM_PassFastScroll)->Unit(benchmark::kMillisecond);

// With the combination analysis and the fast scroll.
void BM_PassCombinations(benchmark::State& state)
{
    RunPass(state, { { "CombiWords1", true }, { "FastScroll1", true } });
}
BENCHMARK(BM_PassCombinations)->Unit(benchmark::kMillisecond);

// The same with the shipped combination dictionary (some hundreds of entries).
void BM_PassShippedCombinations(benchmark::State& state)
{
    if (Setup().shippedCombi.Count() == 0) {
        state.SkipWithError("data/combi.dat is missing");
        return;
    }
    state.counters["entries"] = Setup().shippedCombi.Count();
    RunPass(state, { { "CombiWords1", true }, { "FastScroll1", true } }, &Setup().shippedCombi);
}
BENCHMARK(BM_PassShippedCombinations)->Unit(benchmark::kMillisecond);

// The same deciding by context: the judge reads the words around every
// variant that no combination settled (compare with the one above).
void BM_PassShippedCombinationsContext(benchmark::State& state)
{
    if (Setup().shippedCombi.Count() == 0 || !Setup().tags.Loaded()) {
        state.SkipWithError("data/combi.dat or data/tags.dat is missing");
        return;
    }
    RunPass(state, { { "CombiWords1", true }, { "FastScroll1", true } }, &Setup().shippedCombi, true);
}
BENCHMARK(BM_PassShippedCombinationsContext)->Unit(benchmark::kMillisecond);

// Default options deciding by context (compare with BM_Pass).
void BM_PassContext(benchmark::State& state)
{
    if (!Setup().tags.Loaded()) {
        state.SkipWithError("data/tags.dat is missing");
        return;
    }
    RunPass(state, {}, nullptr, true);
}
BENCHMARK(BM_PassContext)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tildo

BENCHMARK_MAIN();
