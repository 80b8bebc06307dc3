#include "regex/pattern_matcher.h"

#include "platform/user_interface.h"
#include "regex/pattern_error.h"

#include <algorithm>
#include <cstring>

namespace tildo::pattern {

bool TPollState::Poll()
{
    Countdown = PollInterval;
    if (!Stopped && Ui != nullptr && Ui->IsEscPressed())
        Stopped = true;
    return Stopped;
}

TMatcher::TMatcher(
    const TCompiledPattern& pattern, std::string_view text, const TLineRules& lines, TPollState& poll)
    : m_prog(pattern.Program.data())
    , m_progSize(pattern.Program.size())
    , m_text(reinterpret_cast<const unsigned char*>(text.data()))
    , m_length(static_cast<int>(text.size()))
    , m_groupCount(pattern.GroupCount)
    , m_lines(lines)
    , m_poll(poll)
{
    m_start.fill(-1);
    m_end.fill(-1);
    m_searchStepsLeft = StepBudgetBase + SearchStepsPerChar * m_length;
    m_open.fill(-1);
    m_trail.reserve(64);
}

void TMatcher::ClearGroups()
{
    for (int g = 0; g <= m_groupCount; ++g) {
        m_start[static_cast<std::size_t>(g)] = -1;
        m_end[static_cast<std::size_t>(g)] = -1;
    }
}

bool TMatcher::IsLineStart(int pos) const
{
    if (pos == 0)
        return true;
    const unsigned char before = m_text[pos - 1];
    if (!IsLineSeparator(before))
        return false;
    return !(m_lines.Paired && pos < m_length && before == m_lines.First && m_text[pos] == m_lines.Second);
}

bool TMatcher::IsLineEnd(int pos) const
{
    if (pos == m_length)
        return true;
    const unsigned char at = m_text[pos];
    if (!IsLineSeparator(at))
        return false;
    return !(m_lines.Paired && pos > 0 && m_text[pos - 1] == m_lines.First && at == m_lines.Second);
}

int TMatcher::Next(int node) const
{
    const std::int32_t offset = ReadInt(m_prog + node + 1);
    const std::int64_t next = static_cast<std::int64_t>(node) + offset;
    if (offset == 0 || next < 1 || next >= static_cast<std::int64_t>(m_progSize))
        throw EPatternError(PatternCorruptedPointers);
    return static_cast<int>(next);
}

void TMatcher::PushChoice(TTrailKind kind, int node, int pos, int extra)
{
    if (m_trail.size() >= TrailLimit)
        throw EPatternError(PatternBacktrackLimit);
    m_trail.push_back({ kind, node, pos, extra });
    ++m_choices;
}

void TMatcher::PushUndo(TTrailKind kind, int node, int pos, int extra)
{
    if (m_choices == 0)
        return;
    if (m_trail.size() >= TrailLimit)
        throw EPatternError(PatternBacktrackLimit);
    m_trail.push_back({ kind, node, pos, extra });
}

// Whether the one-character node `op` matches c.
bool TMatcher::MatchOne(const unsigned char* op, unsigned char c) const
{
    const unsigned char* operand = op + NodeHeader;
    switch (op[0]) {
    case OpAny:
        return true;
    case OpAnyButEol:
        return !IsLineSeparator(c);
    case OpDigit:
        return IsDigitByte(c);
    case OpNotDigit:
        return !IsDigitByte(c);
    case OpSpace:
        return IsSpaceByte(c);
    case OpNotSpace:
        return !IsSpaceByte(c);
    case OpWord:
        return IsWordByte(c);
    case OpNotWord:
        return !IsWordByte(c);
    case OpAnyOf:
        return (operand[c >> 3] >> (c & 7)) & 1;
    case OpAnyOfShort:
        return std::memchr(operand + 1, c, operand[0]) != nullptr;
    case OpExactly:
        return operand[0] == 1 && operand[1] == c;
    case OpExactlyCI:
        return operand[0] == 1 && SameIgnoringCase(operand[1], c);
    default:
        throw EPatternError(PatternRepeatMisused);
    }
}

// How many characters from pos on, at most max, the one-character node matches.
int TMatcher::CountRun(const unsigned char* op, int pos, std::int32_t max) const
{
    const int limit = std::min<std::int64_t>(max, m_length - pos);
    const unsigned char* s = m_text + pos;
    int i = 0;
    switch (op[0]) {
    case OpAny:
        return limit;
    case OpAnyButEol:
        while (i < limit && !IsLineSeparator(s[i]))
            ++i;
        break;
    case OpAnyOf: {
        const unsigned char* bits = op + NodeHeader;
        while (i < limit && ((bits[s[i] >> 3] >> (s[i] & 7)) & 1))
            ++i;
        break;
    }
    case OpExactly: {
        if (op[NodeHeader] != 1)
            throw EPatternError(PatternRepeatMisused);
        const unsigned char c = op[NodeHeader + 1];
        while (i < limit && s[i] == c)
            ++i;
        break;
    }
    default:
        while (i < limit && MatchOne(op, s[i]))
            ++i;
        break;
    }
    Charge(i);
    return i;
}

// Counts work against the attempt's step budget: every character a loop
// looks at, so that a pattern cannot hide quadratic work inside one step.
void TMatcher::Charge(std::int64_t steps) const
{
    m_attemptStepsLeft -= steps;
    m_searchStepsLeft -= steps;
    if (m_attemptStepsLeft < 0 || m_searchStepsLeft < 0)
        throw EPatternError(PatternStepLimit);
}

// Whether what follows a Repeat can begin at pos: when it is a literal, its
// first character must be there, which spares trying counts that cannot work.
bool TMatcher::FollowerFits(int repeat, int pos) const
{
    const unsigned char* follower = m_prog + Next(repeat);
    if (follower[0] != OpExactly && follower[0] != OpExactlyCI)
        return true;
    if (pos >= m_length)
        return false;
    const unsigned char c = follower[NodeHeader + 1];
    const unsigned char t = m_text[pos];
    return t == c || (follower[0] == OpExactlyCI && SameIgnoringCase(c, t));
}

// Greedy repetition of one character: take as many as possible, then give
// them back one at a time.
bool TMatcher::StartRepeat(int& node, int& pos)
{
    const unsigned char* p = m_prog + node;
    const std::int32_t min = ReadInt(p + NodeHeader);
    const std::int32_t max = ReadInt(p + NodeHeader + 4);
    int count = CountRun(p + RepeatOperand, pos, max);
    if (count < min)
        return false;
    const int counted = count;
    while (count >= min && !FollowerFits(node, pos + count))
        --count;
    Charge(counted - count);
    if (count < min)
        return false;
    if (count > min)
        PushChoice(TrailRepeat, node, pos, count);
    pos += count;
    node = Next(node);
    return true;
}

bool TMatcher::ResumeRepeat(const TTrail& t, int& node, int& pos)
{
    const std::int32_t min = ReadInt(m_prog + t.Node + NodeHeader);
    int count = t.Extra - 1;
    const int counted = count;
    while (count >= min && !FollowerFits(t.Node, t.Pos + count))
        --count;
    Charge(counted - count);
    if (count < min)
        return false;
    if (count > min)
        PushChoice(TrailRepeat, t.Node, t.Pos, count);
    node = Next(t.Node);
    pos = t.Pos + count;
    return true;
}

// Non-greedy repetition of one character: take the minimum, then one more at
// a time.
bool TMatcher::StartRepeatLazy(int& node, int& pos)
{
    const unsigned char* p = m_prog + node;
    const std::int32_t min = ReadInt(p + NodeHeader);
    if (CountRun(p + RepeatOperand, pos, min) < min)
        return false;
    TTrail t { TrailRepeatLazy, node, pos, min };
    if (FollowerFits(node, pos + min)) {
        if (min < ReadInt(p + NodeHeader + 4))
            PushChoice(TrailRepeatLazy, node, pos, min);
        node = Next(node);
        pos += min;
        return true;
    }
    return ResumeRepeatLazy(t, node, pos);
}

bool TMatcher::ResumeRepeatLazy(const TTrail& t, int& node, int& pos)
{
    const unsigned char* p = m_prog + t.Node;
    const std::int32_t max = ReadInt(p + NodeHeader + 4);
    int count = t.Extra;
    do {
        if (count >= max || t.Pos + count >= m_length || !MatchOne(p + RepeatOperand, m_text[t.Pos + count]))
            return false;
        ++count;
        Charge(1);
    } while (!FollowerFits(t.Node, t.Pos + count));
    if (count < max)
        PushChoice(TrailRepeatLazy, t.Node, t.Pos, count);
    node = Next(t.Node);
    pos = t.Pos + count;
    return true;
}

// Repetition of a longer operand through the loop stack.
void TMatcher::EnterLoop(int& node, int pos)
{
    const int loop = Next(node);
    if (m_loopDepth >= MaxLoopDepth)
        throw EPatternError(PatternLoopStackExceeded);
    PushUndo(UndoLoopPush, 0, 0, 0);
    m_loops[static_cast<std::size_t>(m_loopDepth++)] = { loop, 0, pos };
    DecideLoop(loop, false, node, pos);
}

void TMatcher::EndRound(int& node, int pos)
{
    if (m_loopDepth == 0 || m_loops[static_cast<std::size_t>(m_loopDepth - 1)].Loop != node)
        throw EPatternError(PatternLoopWithoutEntry);
    TLoopFrame& frame = m_loops[static_cast<std::size_t>(m_loopDepth - 1)];
    PushUndo(UndoLoopFrame, m_loopDepth - 1, frame.RoundStart, frame.Count);
    const bool empty = pos == frame.RoundStart;
    ++frame.Count;
    DecideLoop(node, empty, node, pos);
}

// After `Count` rounds: go round again, leave, or try one and keep the other
// for backtracking. A round that matched nothing ends the loop: it would only
// match nothing again.
void TMatcher::DecideLoop(int loop, bool emptyRound, int& node, int pos)
{
    const unsigned char* p = m_prog + loop;
    const std::int32_t min = ReadInt(p + NodeHeader);
    const std::int32_t max = ReadInt(p + NodeHeader + 4);
    const int body = loop + ReadInt(p + LoopBackField) + NodeHeader;
    TLoopFrame& frame = m_loops[static_cast<std::size_t>(m_loopDepth - 1)];
    if (emptyRound && frame.Count < min)
        frame.Count = min;
    if (frame.Count < min) {
        frame.RoundStart = pos;
        node = body;
    } else if (frame.Count >= max || emptyRound) {
        PopLoop();
        node = Next(loop);
    } else if (p[0] == OpLoop) {
        PushChoice(TrailLoopExit, loop, pos, 0);
        frame.RoundStart = pos;
        node = body;
    } else {
        PushChoice(TrailLoopIterate, loop, pos, 0);
        PopLoop();
        node = Next(loop);
    }
}

void TMatcher::PopLoop()
{
    const TLoopFrame& frame = m_loops[static_cast<std::size_t>(m_loopDepth - 1)];
    PushUndo(UndoLoopPop, frame.Loop, frame.RoundStart, frame.Count);
    --m_loopDepth;
}

bool TMatcher::MatchBackRef(const unsigned char* p, int& pos) const
{
    const auto group = static_cast<std::size_t>(p[NodeHeader]);
    const int start = m_start[group];
    if (start < 0)
        return false;
    const int length = m_end[group] - start;
    if (m_length - pos < length)
        return false;
    const unsigned char* a = m_text + start;
    const unsigned char* b = m_text + pos;
    int same = 0;
    if (p[0] == OpBackRef) {
        while (same < length && a[same] == b[same])
            ++same;
    } else {
        while (same < length && SameIgnoringCase(a[same], b[same]))
            ++same;
    }
    Charge(same + 1);
    if (same < length)
        return false;
    pos += length;
    return true;
}

// Undoes the trail down to the latest choice point that still has an
// alternative and resumes there; false when none is left.
bool TMatcher::Backtrack(int& node, int& pos)
{
    while (!m_trail.empty()) {
        const TTrail t = m_trail.back();
        m_trail.pop_back();
        switch (t.Kind) {
        case UndoOpen:
            m_open[static_cast<std::size_t>(t.Node)] = t.Pos;
            break;
        case UndoClose:
            m_start[static_cast<std::size_t>(t.Node)] = t.Pos;
            m_end[static_cast<std::size_t>(t.Node)] = t.Extra;
            break;
        case UndoLoopFrame:
            m_loops[static_cast<std::size_t>(t.Node)].RoundStart = t.Pos;
            m_loops[static_cast<std::size_t>(t.Node)].Count = t.Extra;
            break;
        case UndoLoopPush:
            --m_loopDepth;
            break;
        case UndoLoopPop:
            m_loops[static_cast<std::size_t>(m_loopDepth++)] = { t.Node, t.Extra, t.Pos };
            break;
        case TrailBranch:
            --m_choices;
            node = t.Node;
            pos = t.Pos;
            return true;
        case TrailRepeat:
            --m_choices;
            if (ResumeRepeat(t, node, pos))
                return true;
            break;
        case TrailRepeatLazy:
            --m_choices;
            if (ResumeRepeatLazy(t, node, pos))
                return true;
            break;
        case TrailLoopExit:
            --m_choices;
            PopLoop();
            node = Next(t.Node);
            pos = t.Pos;
            return true;
        case TrailLoopIterate: {
            --m_choices;
            const unsigned char* p = m_prog + t.Node;
            m_loops[static_cast<std::size_t>(m_loopDepth - 1)].RoundStart = t.Pos;
            node = t.Node + ReadInt(p + LoopBackField) + NodeHeader;
            pos = t.Pos;
            return true;
        }
        default:
            throw EPatternError(PatternMemoryCorruption);
        }
    }
    return false;
}

// Nodes that match a fixed piece of text (or a position) and have no
// alternatives: whether the node matches at pos, which moves past what it took.
bool TMatcher::MatchAtom(const unsigned char* p, int& pos) const
{
    const unsigned char* const text = m_text;
    const int length = m_length;
    switch (p[0]) {
    case OpBot:
        return pos == 0;
    case OpEot:
        return pos == length;
    case OpMBol:
        return IsLineStart(pos);
    case OpMEol:
        return IsLineEnd(pos);
    case OpBound:
    case OpNotBound: {
        const bool before = pos > 0 && IsWordByte(text[pos - 1]);
        const bool after = pos < length && IsWordByte(text[pos]);
        return (before != after) == (p[0] == OpBound);
    }
    case OpExactly: {
        const int n = p[NodeHeader];
        if (length - pos < n || std::memcmp(text + pos, p + NodeHeader + 1, static_cast<std::size_t>(n)) != 0)
            return false;
        pos += n;
        return true;
    }
    case OpExactlyCI: {
        const int n = p[NodeHeader];
        if (length - pos < n)
            return false;
        for (int i = 0; i < n; ++i) {
            if (!SameIgnoringCase(p[NodeHeader + 1 + i], text[pos + i]))
                return false;
        }
        pos += n;
        return true;
    }
    case OpNothing:
    case OpBack:
        return true;
    case OpBackRef:
    case OpBackRefCI:
        return MatchBackRef(p, pos);
    default:
        if (pos >= length || !MatchOne(p, text[pos]))
            return false;
        ++pos;
        return true;
    }
}

bool TMatcher::MatchHere(int start)
{
    m_trail.clear();
    m_choices = 0;
    m_loopDepth = 0;
    int node = 1;
    int pos = start;
    m_attemptStepsLeft = StepBudgetBase + AttemptStepsPerChar * (m_length - start);
    for (;;) {
        if (m_poll.Tick())
            return false;
        Charge(1);
        const unsigned char* p = m_prog + node;
        bool ok = true;
        switch (p[0]) {
        case OpEnd:
            m_start[0] = start;
            m_end[0] = pos;
            return true;
        case OpBranch: {
            const int alternative = Next(node);
            if (m_prog[alternative] == OpBranch)
                PushChoice(TrailBranch, alternative, pos, 0);
            node += NodeHeader;
            continue;
        }
        case OpOpen: {
            const auto g = static_cast<std::size_t>(p[NodeHeader]);
            PushUndo(UndoOpen, static_cast<int>(g), m_open[g], 0);
            m_open[g] = pos;
            break;
        }
        case OpClose: {
            const auto g = static_cast<std::size_t>(p[NodeHeader]);
            PushUndo(UndoClose, static_cast<int>(g), m_start[g], m_end[g]);
            m_start[g] = m_open[g];
            m_end[g] = pos;
            break;
        }
        case OpRepeat:
            if (StartRepeat(node, pos))
                continue;
            ok = false;
            break;
        case OpRepeatLazy:
            if (StartRepeatLazy(node, pos))
                continue;
            ok = false;
            break;
        case OpLoopEntry:
            EnterLoop(node, pos);
            continue;
        case OpLoop:
        case OpLoopLazy:
            EndRound(node, pos);
            continue;
        default:
            if (p[0] == 0 || p[0] > OpLast)
                throw EPatternError(PatternMemoryCorruption);
            ok = MatchAtom(p, pos);
            break;
        }
        if (ok) {
            node = Next(node);
        } else if (!Backtrack(node, pos)) {
            return false;
        }
    }
}

} // namespace tildo::pattern
