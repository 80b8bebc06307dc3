#pragma once

#include <stdexcept>
#include <string>

namespace tildo {

// Numbers of the pattern engine's errors. Compile errors (100-199) carry the
// parse position; the others do not.
enum TPatternErrorCode : int {
    PatternNoErrors = 0,
    PatternNullArgument = 100,
    PatternTooBig = 101,
    PatternTooManyGroups = 102,
    PatternUnmatchedOpen = 103,
    PatternUnmatchedClose = 104,
    PatternJunkOnEnd = 105,
    PatternEmptyOperand = 106,
    PatternNestedQuantifier = 107,
    PatternBadHexDigit = 108,
    PatternInvalidRange = 109,
    PatternSetTrailingBackslash = 110,
    PatternNoHexCode = 111,
    PatternHexCodeTooBig = 112,
    PatternUnmatchedSet = 113,
    PatternInternalUrp = 114,
    PatternQuantifierFollowsNothing = 115,
    PatternTrailingBackslash = 116,
    PatternAtomDisaster = 119,
    PatternBoundTooBig = 122,
    PatternBoundMinAboveMax = 124,
    PatternUnclosedComment = 125,
    PatternBuildOptionNotice = 126, // reserved, never raised
    PatternBadModifier = 127,
    PatternBadPairedSeparator = 128,
    PatternNoSuchGroup = 129, // a backreference to a group the pattern does not have
    PatternRepeatMisused = 1000,
    PatternMemoryCorruption = 1001,
    PatternCorruptedPointers = 1002,
    PatternNoExpression = 1003,
    PatternCorruptedProgram = 1004,
    PatternNoInputString = 1005,
    PatternBadOffset = 1006,
    PatternExecNextWithoutExec = 1007,
    PatternNoInputToRead = 1008,
    PatternCorruptedOpcode = 1011,
    PatternLoopStackExceeded = 1014,
    PatternLoopWithoutEntry = 1015,
    // A search that would need more backtracking memory than the engine allows
    // stops with this error instead of exhausting memory.
    PatternBacktrackLimit = 1016,
    // A match attempt that takes more steps than the budget allows (a pattern
    // that backtracks exponentially, like (a+)+b) stops with this error
    // instead of running for minutes.
    PatternStepLimit = 1017,
    PatternBadImport = 2000,
};

// The fixed English text of an error number; "Unknown error" for a number
// without one.
std::string PatternErrorText(int code);

// A failure of the pattern engine. what() is the text of the number, followed
// for a compile error by " (pos N)", N being the number of pattern characters
// consumed when the error was found.
class EPatternError : public std::runtime_error
{
public:
    static constexpr int NoPosition = -1;

    explicit EPatternError(int code, int position = NoPosition);

    int ErrorCode() const { return m_code; }
    // NoPosition for an error that is not about a place in the pattern.
    int CompilerErrorPos() const { return m_position; }

private:
    int m_code;
    int m_position;
};

} // namespace tildo
