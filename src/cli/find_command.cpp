// tildo-cli find: every match of a pattern, as the find dialog steps through them.

#include "batch/pass_setup.h"
#include "batch/text_input.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "regex/find_all.h"
#include "regex/pattern_engine.h"

#include <string>

namespace tildo {

namespace {

// Matches go out in blocks of about this size, so that a search with millions
// of matches needs no more memory than one block.
constexpr std::size_t OutputBlock = 1 << 16;

std::string PatternMessage(const EPatternError& e)
{
    if (e.ErrorCode() == PatternStepLimit)
        return "образец слишком сложен для этого текста: перебор вариантов превысил предел, поиск остановлен "
               "("
            + std::string(e.what()) + ")";
    return e.what();
}

} // namespace

int RunFind(const TFindOptions& options)
{
    const TEncodingChoice encoding = ParseEncodingChoice(options.Encoding);
    const std::string pattern = ArgumentToCp1251(options.Pattern);
    const TInputText input = ReadInputText(options.File, encoding, options.Format);
    const MemoryDocument& doc = input.Document;

    TPatternEngine engine;
    SetFindModifiers(engine, options.IgnoreCase);
    TSourceRanges source(input);
    std::string out;
    const auto print = [&](const TFoundMatch& match) {
        const int line = doc.LineOf(match.Offset);
        const int column = match.Offset - doc.LineStart(line) + 1;
        out += std::to_string(line + 1);
        out += ':';
        out += std::to_string(column);
        out += ':';
        out += source.Range(match.Offset, match.Length);
        out += '\n';
        if (out.size() >= OutputBlock) {
            WriteStandardOutput(out);
            out.clear();
        }
    };
    try {
        ForEachMatch(engine, pattern, doc.TextRef(), print);
    } catch (const EPatternError& e) {
        // What was found before the error has been printed; finish its lines.
        WriteStandardOutput(out);
        throw ECliError(ExitUsage, PatternMessage(e));
    }
    WriteStandardOutput(out);
    return ExitDone;
}

} // namespace tildo
