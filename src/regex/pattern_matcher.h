#pragma once

#include "regex/pattern_program.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tildo {
class UserInterface;
}

namespace tildo::pattern {

// How often, in matcher steps, the Esc key is polled during a search.
constexpr int PollInterval = 4096;

// Backtracking state is kept on the heap and capped here (16-byte entries), so
// that no text can exhaust the stack or memory.
constexpr std::size_t TrailLimit = std::size_t(1) << 21;

// The steps (characters looked at) a search may take: a fixed allowance and
// a few for each character of the text, for one match attempt (the
// characters from its start on) and for the whole search (every character of
// the text). Ordinary searches take a small part of it: an attempt rarely
// goes over the rest of the text more than twice, a search over each
// character more than a few dozen times. Patterns that backtrack
// exponentially, or polynomially over a long text, reach it within a second.
constexpr std::int64_t StepBudgetBase = 20'000'000;
constexpr std::int64_t AttemptStepsPerChar = 4;
constexpr std::int64_t SearchStepsPerChar = 64;

// Counts matcher steps and asks the user interface, every PollInterval of
// them, whether Esc was pressed; once it was, the search stops.
struct TPollState
{
    UserInterface* Ui = nullptr;
    int Countdown = PollInterval;
    bool Stopped = false;

    bool Tick()
    {
        if (--Countdown > 0)
            return false;
        return Poll();
    }
    bool Poll();
};

// Which adjacent pair of line separators counts as one line break.
struct TLineRules
{
    bool Paired = true;
    unsigned char First = '\r';
    unsigned char Second = '\n';
};

// Runs a node program against a text by backtracking. The choice points, the
// values to restore on the way back and the loop stack live in explicit
// arrays, not on the call stack.
class TMatcher
{
public:
    TMatcher(
        const TCompiledPattern& pattern, std::string_view text, const TLineRules& lines, TPollState& poll);

    // Tries to match at exactly `start`. On success the group registers hold
    // the match; false also when the poll asked to stop. An attempt, or the
    // attempts of one matcher together, over the step budget raise
    // PatternStepLimit.
    bool MatchHere(int start);
    void ClearGroups();

    int GroupStart(int n) const { return m_start[static_cast<std::size_t>(n)]; }
    int GroupEnd(int n) const { return m_end[static_cast<std::size_t>(n)]; }

    bool IsLineStart(int pos) const;
    bool IsLineEnd(int pos) const;

private:
    enum TTrailKind : std::int32_t {
        // choice points
        TrailBranch,
        TrailRepeat,
        TrailRepeatLazy,
        TrailLoopExit,
        TrailLoopIterate,
        // values to restore
        UndoOpen,
        UndoClose,
        UndoLoopFrame,
        UndoLoopPush,
        UndoLoopPop,
    };
    struct TTrail
    {
        std::int32_t Kind;
        std::int32_t Node;
        std::int32_t Pos;
        std::int32_t Extra;
    };
    struct TLoopFrame
    {
        std::int32_t Loop; // the Loop node
        std::int32_t Count; // rounds completed
        std::int32_t RoundStart; // where the current round began
    };

    int Next(int node) const;
    bool MatchOne(const unsigned char* op, unsigned char c) const;
    int CountRun(const unsigned char* op, int pos, std::int32_t max) const;
    void Charge(std::int64_t steps) const;
    bool FollowerFits(int repeat, int pos) const;
    bool StartRepeat(int& node, int& pos);
    bool StartRepeatLazy(int& node, int& pos);
    bool ResumeRepeat(const TTrail& t, int& node, int& pos);
    bool ResumeRepeatLazy(const TTrail& t, int& node, int& pos);
    void EnterLoop(int& node, int pos);
    void EndRound(int& node, int pos);
    void DecideLoop(int loop, bool emptyRound, int& node, int pos);
    void PopLoop();
    bool MatchBackRef(const unsigned char* p, int& pos) const;
    bool MatchAtom(const unsigned char* p, int& pos) const;
    bool Backtrack(int& node, int& pos);
    void PushChoice(TTrailKind kind, int node, int pos, int extra);
    void PushUndo(TTrailKind kind, int node, int pos, int extra);

    const unsigned char* m_prog;
    std::size_t m_progSize;
    const unsigned char* m_text;
    int m_length;
    int m_groupCount;
    TLineRules m_lines;
    TPollState& m_poll;

    std::array<int, MaxGroups + 1> m_start {};
    std::array<int, MaxGroups + 1> m_end {};
    std::array<int, MaxGroups + 1> m_open {};
    std::array<TLoopFrame, MaxLoopDepth> m_loops {};
    int m_loopDepth = 0;
    std::vector<TTrail> m_trail;
    int m_choices = 0; // choice points on the trail; without one nothing needs restoring
    mutable std::int64_t m_attemptStepsLeft = 0;
    mutable std::int64_t m_searchStepsLeft = 0;
};

} // namespace tildo::pattern
