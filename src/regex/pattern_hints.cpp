#include "regex/pattern_hints.h"

namespace tildo::pattern {
namespace {

class TStartAnalyser
{
public:
    explicit TStartAnalyser(const std::vector<unsigned char>& code)
        : m_code(code)
    {
    }

    // Adds to `set` the characters that can begin a match of the chain from
    // `node`; true when the chain can match without consuming a character (or
    // the analysis gave up), so that no start character can be relied on.
    bool First(int node, TByteSet& set, int depth);

private:
    unsigned char Op(int node) const { return m_code[static_cast<std::size_t>(node)]; }
    int Next(int node) const { return node + ReadInt(&m_code[static_cast<std::size_t>(node) + 1]); }
    void AddOne(int node, TByteSet& set) const;

    const std::vector<unsigned char>& m_code;
    int m_budget = 20000;
};

void TStartAnalyser::AddOne(int node, TByteSet& set) const
{
    const unsigned char* p = &m_code[static_cast<std::size_t>(node)];
    switch (p[0]) {
    case OpAny:
        set.AddAll();
        break;
    case OpAnyButEol:
        for (int c = 0; c < 256; ++c) {
            if (!IsLineSeparator(static_cast<unsigned char>(c)))
                set.Add(static_cast<unsigned char>(c));
        }
        break;
    case OpDigit:
    case OpNotDigit:
    case OpSpace:
    case OpNotSpace:
    case OpWord:
    case OpNotWord:
        AddClassMembers(set, "dDsSwW"[p[0] - OpDigit]);
        break;
    case OpAnyOf:
        for (int i = 0; i < 32; ++i)
            set.Bits[static_cast<std::size_t>(i)] |= p[NodeHeader + i];
        break;
    case OpAnyOfShort:
        for (int i = 0; i < p[NodeHeader]; ++i)
            set.Add(p[NodeHeader + 1 + i]);
        break;
    case OpExactly:
        set.Add(p[NodeHeader + 1]);
        break;
    case OpExactlyCI:
        set.Add(p[NodeHeader + 1]);
        set.Add(OtherCase(p[NodeHeader + 1]));
        break;
    default:
        set.AddAll();
        break;
    }
}

bool TStartAnalyser::First(int node, TByteSet& set, int depth)
{
    for (;;) {
        if (--m_budget < 0 || depth > 64) {
            set.AddAll();
            return true;
        }
        const unsigned char* p = &m_code[static_cast<std::size_t>(node)];
        switch (p[0]) {
        case OpEnd:
        case OpBack:
        case OpBackRef:
        case OpBackRefCI:
            set.AddAll();
            return true;
        case OpBot:
        case OpEot:
        case OpMBol:
        case OpMEol:
        case OpBound:
        case OpNotBound:
        case OpNothing:
        case OpOpen:
        case OpClose:
        case OpLoop:
        case OpLoopLazy:
            node = Next(node);
            break;
        case OpBranch: {
            if (Op(Next(node)) != OpBranch) {
                node += NodeHeader;
                break;
            }
            bool empty = false;
            for (int branch = node; Op(branch) == OpBranch; branch = Next(branch))
                empty = First(branch + NodeHeader, set, depth + 1) || empty;
            return empty;
        }
        case OpRepeat:
        case OpRepeatLazy:
            AddOne(node + RepeatOperand, set);
            if (ReadInt(p + NodeHeader) > 0)
                return false;
            node = Next(node);
            break;
        case OpLoopEntry: {
            const int loop = Next(node);
            const bool empty = First(node + NodeHeader, set, depth + 1);
            if (ReadInt(&m_code[static_cast<std::size_t>(loop) + NodeHeader]) > 0)
                return empty;
            node = Next(loop);
            if (empty)
                return true;
            break;
        }
        default:
            AddOne(node, set);
            return false;
        }
    }
}

} // namespace

void AnalyseStart(TCompiledPattern& compiled, bool starStart)
{
    const std::vector<unsigned char>& code = compiled.Program;
    TStartHints& hints = compiled.Hints;
    auto op = [&code](int node) { return code[static_cast<std::size_t>(node)]; };
    auto next = [&code](int node) { return node + ReadInt(&code[static_cast<std::size_t>(node) + 1]); };
    const int top = 1;
    if (op(next(top)) != OpBranch) {
        int first = top + NodeHeader;
        while (op(first) == OpOpen || (op(first) == OpBranch && op(next(first)) != OpBranch))
            first = op(first) == OpOpen ? next(first) : first + NodeHeader;
        if (op(first) == OpExactly)
            hints.FirstChar = code[static_cast<std::size_t>(first) + NodeHeader + 1];
        else if (op(first) == OpBot)
            hints.AnchoredStart = true;
        else if (op(first) == OpMBol)
            hints.LineStart = true;
        if (starStart) {
            // The longest literal on the main chain: every match holds it.
            for (int node = top + NodeHeader; op(node) != OpEnd; node = next(node)) {
                const std::size_t at = static_cast<std::size_t>(node);
                if (op(node) == OpExactly && code[at + NodeHeader] > hints.RequiredLiteral.size())
                    hints.RequiredLiteral.assign(
                        reinterpret_cast<const char*>(&code[at + NodeHeader + 1]), code[at + NodeHeader]);
            }
        }
    }
    TByteSet set;
    TStartAnalyser analyser(code);
    if (!analyser.First(top, set, 0)) {
        hints.HasStartSet = true;
        hints.StartSet = set;
        // One possible first character is searched for like a literal's.
        if (hints.FirstChar < 0 && set.Count() == 1) {
            for (int c = 0; c < 256; ++c) {
                if (set.Has(static_cast<unsigned char>(c)))
                    hints.FirstChar = c;
            }
        }
    }
}

} // namespace tildo::pattern
