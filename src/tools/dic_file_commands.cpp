#include "dic_file_commands.h"

#include "platform/null_user_interface.h"
#include "text/cp1251.h"
#include "tools/dic_lines.h"
#include "tools/dic_operations.h"
#include "tools/morpho_gen.h"

namespace tildo {

namespace {

// A user interface nobody looks at: the walks' progress goes nowhere and Esc is
// never pressed.
class THeadlessUi : public TNullUserInterface
{
public:
    void ErrorBox(const std::string& text) override { Errors.push_back(text); }
    std::vector<std::string> Errors;
};

// The counts of the result and the order-break box, as the editor shows them.
void CountInto(TDicToolResult& result)
{
    const TDicCounts counts = CountDicLines(result.Lines);
    if (counts.FirstOrderBreak != -1)
        result.Errors.push_back(
            OrderBreakMessage(result.Lines[static_cast<std::size_t>(counts.FirstOrderBreak)]));
    result.Status = CountsStatus(counts.WordFormCount, counts.RuleCount);
}

} // namespace

std::string TDicToolResult::Text() const
{
    return DicFileBytes(Lines);
}

std::vector<TDicLineError> CheckDictionaryFile(
    const std::string& path, bool combinations, int wordsBufferLength)
{
    const TStringList lines = ReadDicFileLines(path);
    const TCheckMode mode { combinations, wordsBufferLength };
    THeadlessUi ui;
    std::vector<TDicLineError> errors;
    int start = 0;
    for (;;) {
        TNextError error = FindNextError(lines, start, mode, ui);
        if (error.Line < 0)
            break;
        errors.push_back({ error.Line + 1, std::move(error.Message) });
        start = error.Line + 1;
    }
    return errors;
}

TDicToolResult SortDictionaryFile(const std::string& path)
{
    TDicToolResult result;
    TStringList lines = ReadDicFileLines(path);
    result.Lines = TakeLeadingComments(lines);
    SortFolded(lines);
    // The counts and the order check cover the sorted part, as in the editor.
    TDicToolResult sorted;
    sorted.Lines = std::move(lines);
    CountInto(sorted);
    result.Status = std::move(sorted.Status);
    result.Errors = std::move(sorted.Errors);
    result.Lines.insert(result.Lines.end(), std::make_move_iterator(sorted.Lines.begin()),
        std::make_move_iterator(sorted.Lines.end()));
    return result;
}

TDicToolResult DedupeDictionaryFile(const std::string& path)
{
    TDicToolResult result;
    result.Lines = ReadDicFileLines(path);
    THeadlessUi ui;
    const TDoublesResult doubles = DeleteDoubles(result.Lines, ui);
    result.Status = DoublesStatus(doubles);
    return result;
}

TDicToolResult SubtractDictionaryFile(const std::string& path, const std::string& otherPath)
{
    TDicToolResult result;
    result.Lines = ReadDicFileLines(path);
    SubtractLines(result.Lines, ReadDicFileLines(otherPath));
    CountInto(result);
    return result;
}

TDicToolResult SweepWordsFile(const std::string& wordsPath, const std::string& dicPath)
{
    TDicToolResult result;
    result.Lines = ReadDicFileLines(wordsPath);
    THeadlessUi ui;
    const TSweepResult sweep = SweepWords(result.Lines, ReadDicFileLines(dicPath), ui);
    result.Status = SweepMessage(sweep.Removed);
    return result;
}

std::vector<TWordFormsParadigm> WordFormsFor(const std::string& rulesPath, std::string_view word)
{
    TMorphoGen morphs;
    morphs.LoadMorphs(rulesPath);
    const bool variant = !word.empty() && word.back() == '?';
    if (variant)
        word.remove_suffix(1);
    std::vector<TWordFormsParadigm> result;
    for (const TParadigmCandidate& candidate : morphs.FindParadigms(word)) {
        TWordFormsParadigm paradigm { candidate.Title, MakeForms(word, candidate.Cut, candidate.Endings) };
        if (variant) {
            for (auto& form : paradigm.Forms)
                form += '?';
        }
        result.push_back(std::move(paradigm));
    }
    return result;
}

} // namespace tildo
