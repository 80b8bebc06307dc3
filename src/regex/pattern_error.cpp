#include "regex/pattern_error.h"

namespace tildo {

std::string PatternErrorText(int code)
{
    switch (code) {
    case PatternNoErrors:
        return "No errors";
    case PatternNullArgument:
        return "Pattern(comp): Null Argument";
    case PatternTooBig:
        return "Pattern(comp): Regexp Too Big";
    case PatternTooManyGroups:
        return "Pattern(comp): ParseReg Too Many ()";
    case PatternUnmatchedOpen:
    case PatternUnmatchedClose:
        return "Pattern(comp): ParseReg Unmatched ()";
    case PatternJunkOnEnd:
        return "Pattern(comp): ParseReg Junk On End";
    case PatternEmptyOperand:
        return "Pattern(comp): *+ Operand Could Be Empty";
    case PatternNestedQuantifier:
        return "Pattern(comp): Nested *?+";
    case PatternBadHexDigit:
        return "Pattern(comp): Bad Hex Digit";
    case PatternInvalidRange:
        return "Pattern(comp): Invalid [] Range";
    case PatternSetTrailingBackslash:
        return "Pattern(comp): Parse Atom Trailing \\";
    case PatternNoHexCode:
        return "Pattern(comp): No Hex Code After \\x";
    case PatternHexCodeTooBig:
        return "Pattern(comp): Hex Code After \\x Is Too Big";
    case PatternUnmatchedSet:
        return "Pattern(comp): Unmatched []";
    case PatternInternalUrp:
        return "Pattern(comp): Internal Urp";
    case PatternQuantifierFollowsNothing:
        return "Pattern(comp): ?+*{ Follows Nothing";
    case PatternTrailingBackslash:
        return "Pattern(comp): Trailing \\";
    case PatternAtomDisaster:
        return "Pattern(comp): RarseAtom Internal Disaster";
    case PatternBoundTooBig:
        return "Pattern(comp): BRACES Argument Too Big";
    case PatternBoundMinAboveMax:
        return "Pattern(comp): BRACE Min Param Greater then Max";
    case PatternUnclosedComment:
        return "Pattern(comp): Unclosed (?#Comment)";
    case PatternBadModifier:
        return "Pattern(comp): Urecognized Modifier";
    case PatternBadPairedSeparator:
        return "Pattern(comp): LinePairedSeparator must countain two different chars or no chars at all";
    case PatternNoSuchGroup:
        return "Pattern(comp): Backreference To A Group That Does Not Exist";
    case PatternRepeatMisused:
        return "Pattern(exec): RegRepeat Called Inappropriately";
    case PatternMemoryCorruption:
        return "Pattern(exec): MatchPrim Memory Corruption";
    case PatternCorruptedPointers:
        return "Pattern(exec): MatchPrim Corrupted Pointers";
    case PatternNoExpression:
        return "Pattern(exec): Not Assigned Expression Property";
    case PatternCorruptedProgram:
        return "Pattern(exec): Corrupted Program";
    case PatternNoInputString:
        return "Pattern(exec): No Input String Specified";
    case PatternBadOffset:
        return "Pattern(exec): Offset Must Be Greater Then 0";
    case PatternExecNextWithoutExec:
        return "Pattern(exec): ExecNext Without Exec[Pos]";
    case PatternNoInputToRead:
        return "Pattern(exec): GetInputString Without InputString";
    case PatternCorruptedOpcode:
        return "Pattern(dump): Corrupted Opcode";
    case PatternLoopStackExceeded:
        return "Pattern(exec): Loop Stack Exceeded";
    case PatternLoopWithoutEntry:
        return "Pattern(exec): Loop Without LoopEntry !";
    case PatternBacktrackLimit:
        return "Pattern(exec): Backtrack Stack Exceeded";
    case PatternStepLimit:
        return "Pattern(exec): Step Budget Exceeded (pattern backtracks too much)";
    case PatternBadImport:
        return "Pattern(misc): Bad p-code imported";
    default:
        return "Unknown error";
    }
}

namespace {

std::string ErrorMessage(int code, int position)
{
    std::string text = PatternErrorText(code);
    if (position != EPatternError::NoPosition)
        text += " (pos " + std::to_string(position) + ")";
    return text;
}

} // namespace

EPatternError::EPatternError(int code, int position)
    : std::runtime_error(ErrorMessage(code, position))
    , m_code(code)
    , m_position(position)
{
}

} // namespace tildo
