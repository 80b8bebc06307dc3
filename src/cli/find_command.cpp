// tildo-cli find: every match of a pattern, as the find dialog steps through them.

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/pass_setup.h"
#include "cli/text_input.h"
#include "regex/find_all.h"
#include "regex/pattern_engine.h"

#include <string>

namespace tildo {

int RunFind(const TFindOptions& options)
{
    const TEncodingChoice encoding = ParseEncodingChoice(options.Encoding);
    const std::string pattern = ArgumentToCp1251(options.Pattern);
    const TInputText input = ReadInputText(options.File, encoding, options.Format);
    const MemoryDocument& doc = input.Document;

    TPatternEngine engine;
    SetFindModifiers(engine, options.IgnoreCase);
    std::vector<TFoundMatch> matches;
    try {
        matches = FindAll(engine, pattern, doc.TextRef());
    } catch (const EPatternError& e) {
        throw ECliError(ExitUsage, e.what());
    }

    TSourceRanges source(input);
    std::string out;
    for (const TFoundMatch& match : matches) {
        const int line = doc.LineOf(match.Offset);
        const int column = match.Offset - doc.LineStart(line) + 1;
        out += std::to_string(line + 1);
        out += ':';
        out += std::to_string(column);
        out += ':';
        out += source.Range(match.Offset, match.Length);
        out += '\n';
    }
    WriteStandardOutput(out);
    return ExitDone;
}

} // namespace tildo
