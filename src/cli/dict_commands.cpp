// tildo-cli dict check|sort|dedupe|subtract|sweep, tildo-cli forms and
// tildo-cli tags: the dictionary tools on files, for dictionaries kept under
// version control, and what the tag dictionary knows about a word.

#include "batch/pass_setup.h"
#include "batch/text_output.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "dict/tag_dictionary.h"
#include "platform/file_io.h"
#include "text/letters.h"
#include "tools/dic_file_commands.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tildo {

namespace {

// The result on standard output, or over the file itself; the status text and
// any error the editor would have shown in a box on standard error.
int Deliver(const TDicToolResult& result, const TDictOptions& options)
{
    const std::string bytes = result.Text();
    if (options.InPlace)
        WriteFileAtomic(InPlaceTarget(options.File), bytes);
    else
        WriteStandardOutput(bytes);
    for (const std::string& error : result.Errors)
        PrintError(ForMessage(error));
    if (!result.Status.empty())
        WriteAllTo(2, ForMessage(result.Status) + "\n", "stderr");
    return ExitDone;
}

} // namespace

int RunDictCheck(const TDictOptions& options)
{
    const std::vector<TDicLineError> errors = CheckDictionaryFile(options.File, options.Combinations);
    std::string out;
    for (const TDicLineError& error : errors)
        out += std::to_string(error.Line) + ": " + ForMessage(error.Message) + "\n";
    WriteStandardOutput(out);
    return errors.empty() ? ExitDone : ExitFound;
}

int RunDictSort(const TDictOptions& options)
{
    return Deliver(SortDictionaryFile(options.File), options);
}

int RunDictDedupe(const TDictOptions& options)
{
    return Deliver(DedupeDictionaryFile(options.File), options);
}

int RunDictSubtract(const TDictOptions& options)
{
    return Deliver(SubtractDictionaryFile(options.File, options.Other), options);
}

int RunDictSweep(const TDictOptions& options)
{
    return Deliver(SweepWordsFile(options.File, options.Other), options);
}

int RunForms(const TFormsOptions& options)
{
    const std::string rules = options.RulesPath.empty() ? DefaultDataFile("morphs.dat") : options.RulesPath;
    if (!FileExists(rules))
        throw ECliError(ExitInputOutput, "файл правил \"" + rules + "\" не найден");
    const std::vector<TWordFormsParadigm> paradigms = WordFormsFor(rules, ArgumentToCp1251(options.Word));
    std::string out;
    for (const TWordFormsParadigm& paradigm : paradigms) {
        if (!out.empty())
            out += '\n';
        out += ForMessage(paradigm.Title) + "\n";
        for (const std::string& form : paradigm.Forms)
            out += ForMessage(form) + "\n";
    }
    WriteStandardOutput(out);
    if (paradigms.empty())
        PrintError("ни одно правило из \"" + rules + "\" не подходит к слову \"" + options.Word + "\"");
    return ExitDone;
}

namespace {

// The grammemes' Russian names, in the order of TGrammeme.
constexpr std::array<std::string_view, static_cast<std::size_t>(TGrammeme::Count)> RussianGrammemes
    = { "сущ.", "прил.", "кр. прил.", "сравн.", "глаг.", "инф.", "прич.", "кр. прич.", "дееприч.", "числ.",
          "нареч.", "мест.-сущ.", "предик.", "предл.", "союз", "част.", "межд.", "одуш.", "неодуш.", "м. р.",
          "ж. р.", "ср. р.", "общ. р.", "ед. ч.", "мн. ч.", "им. п.", "род. п.", "дат. п.", "вин. п.",
          "твор. п.", "предл. п.", "зват. п.", "1 л.", "2 л.", "3 л.", "наст. вр.", "прош. вр.", "буд. вр.",
          "повел.", "местоим.", "порядк.", "превосх.", "страд.", "сокр.", "имя собств.", "устар./разг." };

std::string RussianTags(TTagMask tags)
{
    std::string out;
    for (std::size_t i = 0; i < RussianGrammemes.size(); ++i) {
        if ((tags >> i & 1) == 0)
            continue;
        if (!out.empty())
            out += ' ';
        out += RussianGrammemes[i];
    }
    return out;
}

// The word (folded, CP1251) spelt with the ё letters of mask: bit i for the
// i-th е counted from the end.
std::string Spelling(std::string word, std::uint32_t mask)
{
    unsigned index = 0;
    for (auto it = word.rbegin(); it != word.rend(); ++it) {
        if (LowerChar(*it) != LetterE)
            continue;
        if (index < 32 && (mask >> index & 1) != 0)
            *it = *it == LetterE ? LetterYo : LetterCapitalYo;
        ++index;
    }
    return word;
}

} // namespace

int RunTags(const TTagsOptions& options)
{
    const std::string path = options.TagsPath.empty() ? DefaultDataFile("tags.dat") : options.TagsPath;
    TCliUserInterface ui;
    TTagDictionary tags;
    if (!tags.Load(path, ui))
        throw ECliError(ExitInputOutput,
            ui.Errors().empty() ? "словарь признаков \"" + path + "\" не прочитан"
                                : ForMessage(ui.Errors().back()));
    std::string word = ArgumentToCp1251(options.Word);
    FoldDottedEInPlace(word);
    TWordTags found;
    if (!tags.Find(word, found)) {
        PrintError("словарь признаков не знает слова \"" + options.Word + "\"");
        return ExitFound;
    }
    // Spellings in the order of their first reading, each with its readings.
    std::vector<std::uint32_t> spellings;
    for (const TTagReading& r : found.Readings) {
        if (std::find(spellings.begin(), spellings.end(), r.YoMask) == spellings.end())
            spellings.push_back(r.YoMask);
    }
    std::string out;
    for (const std::uint32_t mask : spellings) {
        out += ForMessage(Spelling(word, mask)) + "\n";
        for (const TTagReading& r : found.Readings) {
            if (r.YoMask == mask)
                out += "  " + RussianTags(r.Tags) + " (" + DescribeTags(r.Tags) + ")\n";
        }
    }
    WriteStandardOutput(out);
    return ExitDone;
}

} // namespace tildo
