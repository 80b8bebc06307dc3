#include "regex/pattern_compiler.h"

#include "regex/pattern_error.h"
#include "regex/pattern_hints.h"
#include "text/letters.h"

#include <algorithm>

namespace tildo::pattern {
namespace {

// Upper limit of a node program: offsets stay far from overflow and a pasted
// giant pattern fails cleanly instead of eating memory.
constexpr int ProgramSizeLimit = 1 << 26;
constexpr int MaxBoundDigits = 8;
constexpr int MaxLiteralRun = 255;

// What the parser knows of an item it has built.
enum TItemFlag : unsigned {
    FlagWidth = 1, // cannot match the empty string (a back-reference counts as non-empty)
    FlagSolid = 2, // cannot match the empty string, even through a back-reference
    FlagSimple = 4, // exactly one character: repeatable by a Repeat node
    FlagStarStart = 8, // begins with a * or + repetition
};

constexpr unsigned char LowerYo = 0xB8;
constexpr unsigned char UpperYo = 0xA8;
constexpr unsigned char LowerA = 0xE0; // а
constexpr unsigned char LowerYa = 0xFF; // я
constexpr unsigned char UpperA = 0xC0; // А
constexpr unsigned char UpperYa = 0xDF; // Я

unsigned ModifierBit(char c)
{
    switch (c) {
    case 'i':
    case 'I':
        return ModI;
    case 'r':
    case 'R':
        return ModR;
    case 's':
    case 'S':
        return ModS;
    case 'g':
    case 'G':
        return ModG;
    case 'm':
    case 'M':
        return ModM;
    case 'x':
    case 'X':
        return ModX;
    default:
        return 0;
    }
}

// Escapes that stand for something other than one character outside a set.
bool IsSpecialEscape(char e)
{
    switch (e) {
    case 'A':
    case 'Z':
    case 'b':
    case 'B':
    case 'd':
    case 'D':
    case 's':
    case 'S':
    case 'w':
    case 'W':
        return true;
    default:
        return e >= '1' && e <= '9';
    }
}

bool IsClassEscape(char e)
{
    return e == 'd' || e == 'D' || e == 's' || e == 'S' || e == 'w' || e == 'W';
}

TOpcode ClassOpcode(char e)
{
    switch (e) {
    case 'd':
        return OpDigit;
    case 'D':
        return OpNotDigit;
    case 's':
        return OpSpace;
    case 'S':
        return OpNotSpace;
    case 'w':
        return OpWord;
    default:
        return OpNotWord;
    }
}

struct TQuantifier
{
    char Kind = 0; // '*', '+', '?' or '{'
    std::int32_t Min = 0;
    std::int32_t Max = 0;
};

// One member read from a set: a character or a class escape.
struct TSetItem
{
    bool IsClass = false;
    unsigned char Char = 0;
    char Class = 0;
};

class TCompiler
{
public:
    TCompiler(std::string_view pattern, unsigned modifiers)
        : m_pattern(pattern)
        , m_initialModifiers(modifiers)
    {
    }

    TCompiledPattern Compile();

private:
    // --- parsing -------------------------------------------------------------
    int ParseReg(bool paren, unsigned& flags);
    int ParseBranch(unsigned& flags);
    int ParsePiece(unsigned& flags);
    int ParseAtom(unsigned& flags);
    int ParseEscapeAtom(unsigned& flags);
    int ParseLiteralRun(unsigned& flags);
    int ParseSet(unsigned& flags);
    void ParseModifiers();
    int ReadLiteralChar();
    int DecodeEscapedChar(char e);
    int ReadHex();
    TSetItem ReadSetItem();
    void AddSetRange(TByteSet& set, unsigned char low, unsigned char high);
    void AddSetChar(TByteSet& set, unsigned char c) const;
    bool ReadQuantifier(TQuantifier& q);
    bool QuantifierAhead() const;
    bool ScanBound(std::size_t at, std::size_t& minEnd, std::size_t& maxStart, std::size_t& end) const;
    bool BoundAhead() const;
    void SkipIgnorable();
    bool AtModifierGroup() const;

    // --- building ------------------------------------------------------------
    void BuildStar(int operand);
    void BuildPlus(int operand);
    void BuildOptional(int operand);
    void BuildLoop(int operand, const TQuantifier& q, bool greedy);

    // --- emitting ------------------------------------------------------------
    void Reserve(int bytes);
    int EmitNode(TOpcode op);
    void EmitByte(unsigned char b);
    void EmitInt(std::int32_t v);
    void InsertNode(TOpcode op, int at, int operandBytes);
    void SetNext(int node, int target);
    void SetTail(int node, int target);
    int NextOf(int node) const;

    [[noreturn]] void Fail(int code) const { throw EPatternError(code, static_cast<int>(m_pos)); }
    bool AtEnd() const { return m_pos >= m_pattern.size(); }
    char Cur() const { return m_pattern[m_pos]; }
    bool Has(std::size_t at, char c) const { return at < m_pattern.size() && m_pattern[at] == c; }

    std::string_view m_pattern;
    unsigned m_initialModifiers;
    std::size_t m_pos = 0;
    unsigned m_mods = 0;
    int m_groups = 0;
    int m_highestReference = 0; // the highest group a backreference names
    std::size_t m_highestReferencePos = 0;
    bool m_emitting = false; // false while measuring, true while writing
    std::vector<unsigned char> m_code;
    int m_size = 0;
};

// ---------------------------------------------------------------------------
// Emitting. The first pass runs the same code with m_emitting off: it only
// counts bytes, so the second pass writes into a buffer of exactly that size.

void TCompiler::Reserve(int bytes)
{
    if (m_size > ProgramSizeLimit - bytes)
        Fail(PatternTooBig);
    if (m_emitting && m_size + bytes > static_cast<int>(m_code.size()))
        Fail(PatternInternalUrp);
}

int TCompiler::EmitNode(TOpcode op)
{
    Reserve(NodeHeader);
    const int at = m_size;
    if (m_emitting) {
        m_code[static_cast<std::size_t>(at)] = op;
        WriteInt(&m_code[static_cast<std::size_t>(at) + 1], 0);
    }
    m_size += NodeHeader;
    return at;
}

void TCompiler::EmitByte(unsigned char b)
{
    Reserve(1);
    if (m_emitting)
        m_code[static_cast<std::size_t>(m_size)] = b;
    ++m_size;
}

void TCompiler::EmitInt(std::int32_t v)
{
    Reserve(4);
    if (m_emitting)
        WriteInt(&m_code[static_cast<std::size_t>(m_size)], v);
    m_size += 4;
}

// Puts a node in front of the code from `at` on, which moves up; offsets
// inside the moved code are relative, so they stay valid.
void TCompiler::InsertNode(TOpcode op, int at, int operandBytes)
{
    const int bytes = NodeHeader + operandBytes;
    Reserve(bytes);
    if (m_emitting) {
        unsigned char* base = m_code.data();
        std::memmove(base + at + bytes, base + at, static_cast<std::size_t>(m_size - at));
        std::memset(base + at, 0, static_cast<std::size_t>(bytes));
        base[at] = op;
    }
    m_size += bytes;
}

void TCompiler::SetNext(int node, int target)
{
    if (m_emitting)
        WriteInt(&m_code[static_cast<std::size_t>(node) + 1], target - node);
}

int TCompiler::NextOf(int node) const
{
    const std::int32_t offset = ReadInt(&m_code[static_cast<std::size_t>(node) + 1]);
    return offset == 0 ? -1 : node + offset;
}

// Links the last node of the chain that starts at `node` to `target`.
void TCompiler::SetTail(int node, int target)
{
    if (!m_emitting)
        return;
    int scan = node;
    for (;;) {
        if (m_code[static_cast<std::size_t>(scan)] == OpBack)
            Fail(PatternInternalUrp);
        const int next = NextOf(scan);
        if (next < 0)
            break;
        scan = next;
    }
    SetNext(scan, target);
}

// ---------------------------------------------------------------------------
// Parsing.

// Skips what the pattern holds only for the reader: (?#...) comments, and with
// x blanks and "#" comments to the end of the line.
void TCompiler::SkipIgnorable()
{
    while (!AtEnd()) {
        const char c = Cur();
        if ((m_mods & ModX) && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) {
            ++m_pos;
        } else if ((m_mods & ModX) && c == '#') {
            while (!AtEnd() && Cur() != '\n' && Cur() != '\r')
                ++m_pos;
        } else if (c == '(' && Has(m_pos + 1, '?') && Has(m_pos + 2, '#')) {
            const std::size_t close = m_pattern.find(')', m_pos + 3);
            if (close == std::string_view::npos) {
                m_pos = m_pattern.size();
                Fail(PatternUnclosedComment);
            }
            m_pos = close + 1;
        } else {
            return;
        }
    }
}

bool TCompiler::AtModifierGroup() const
{
    return !AtEnd() && Cur() == '(' && Has(m_pos + 1, '?');
}

// (?imsxrg-imsxrg): the switches last to the end of the enclosing group.
void TCompiler::ParseModifiers()
{
    m_pos += 2;
    bool on = true;
    unsigned mods = m_mods;
    for (;;) {
        if (AtEnd())
            Fail(PatternBadModifier);
        const char c = Cur();
        ++m_pos;
        if (c == ')')
            break;
        if (c == '-') {
            if (!on)
                Fail(PatternBadModifier);
            on = false;
            continue;
        }
        const unsigned bit = ModifierBit(c);
        if (bit == 0)
            Fail(PatternBadModifier);
        mods = on ? (mods | bit) : (mods & ~bit);
    }
    m_mods = mods;
}

int TCompiler::ParseReg(bool paren, unsigned& flags)
{
    const unsigned savedMods = m_mods;
    int ret = -1;
    int group = 0;
    if (paren) {
        if (m_groups >= MaxGroups)
            Fail(PatternTooManyGroups);
        group = ++m_groups;
        ret = EmitNode(OpOpen);
        EmitByte(static_cast<unsigned char>(group));
    }
    unsigned branchFlags = 0;
    const int first = ParseBranch(branchFlags);
    unsigned width = branchFlags & (FlagWidth | FlagSolid);
    unsigned starStart = branchFlags & FlagStarStart;
    if (ret >= 0)
        SetNext(ret, first);
    else
        ret = first;
    int last = first;
    while (!AtEnd() && Cur() == '|') {
        ++m_pos;
        const int branch = ParseBranch(branchFlags);
        SetNext(last, branch);
        last = branch;
        width &= branchFlags;
        starStart = 0;
    }
    int ender = 0;
    if (paren) {
        ender = EmitNode(OpClose);
        EmitByte(static_cast<unsigned char>(group));
    } else {
        ender = EmitNode(OpEnd);
    }
    SetNext(last, ender);
    if (m_emitting) {
        for (int branch = first; m_code[static_cast<std::size_t>(branch)] == OpBranch;
             branch = NextOf(branch))
            SetTail(branch + NodeHeader, ender);
    }
    if (paren) {
        if (AtEnd() || Cur() != ')')
            Fail(PatternUnmatchedOpen);
        ++m_pos;
        m_mods = savedMods;
    } else if (!AtEnd()) {
        if (Cur() == ')') {
            ++m_pos;
            Fail(PatternUnmatchedClose);
        }
        Fail(PatternJunkOnEnd);
    }
    flags = width | starStart;
    return ret;
}

// One alternative: a Branch node whose operand is the chain of its pieces.
int TCompiler::ParseBranch(unsigned& flags)
{
    const int ret = EmitNode(OpBranch);
    int previous = -1;
    flags = 0;
    for (;;) {
        SkipIgnorable();
        if (AtEnd() || Cur() == '|' || Cur() == ')')
            break;
        if (AtModifierGroup()) {
            ParseModifiers();
            continue;
        }
        unsigned pieceFlags = 0;
        const int piece = ParsePiece(pieceFlags);
        if (previous < 0)
            flags |= pieceFlags & FlagStarStart;
        else
            SetTail(previous, piece);
        flags |= pieceFlags & (FlagWidth | FlagSolid);
        previous = piece;
    }
    if (previous < 0)
        EmitNode(OpNothing);
    return ret;
}

int TCompiler::ParsePiece(unsigned& flags)
{
    const int operand = m_size;
    unsigned atomFlags = 0;
    ParseAtom(atomFlags);
    SkipIgnorable();
    TQuantifier q;
    if (!ReadQuantifier(q)) {
        flags = atomFlags;
        return operand;
    }
    if (q.Kind != '?' && !(atomFlags & FlagWidth))
        Fail(PatternEmptyOperand);
    SkipIgnorable();
    bool lazy = false;
    if (!AtEnd() && Cur() == '?') {
        ++m_pos;
        lazy = true;
    }
    const bool greedy = (m_mods & ModG) && !lazy;
    if (atomFlags & FlagSimple) {
        InsertNode(greedy ? OpRepeat : OpRepeatLazy, operand, 8);
        if (m_emitting) {
            WriteInt(&m_code[static_cast<std::size_t>(operand) + NodeHeader], q.Min);
            WriteInt(&m_code[static_cast<std::size_t>(operand) + NodeHeader + 4], q.Max);
        }
    } else if (greedy && q.Kind == '*' && (atomFlags & FlagSolid)) {
        BuildStar(operand);
    } else if (greedy && q.Kind == '+' && (atomFlags & FlagSolid)) {
        BuildPlus(operand);
    } else if (greedy && q.Kind == '?') {
        BuildOptional(operand);
    } else {
        BuildLoop(operand, q, greedy);
    }
    flags = q.Min > 0 ? (atomFlags & (FlagWidth | FlagSolid)) : 0;
    if (q.Kind == '*' || q.Kind == '+')
        flags |= FlagStarStart;
    SkipIgnorable();
    if (QuantifierAhead()) {
        ++m_pos;
        Fail(PatternNestedQuantifier);
    }
    return operand;
}

// x* of a longer operand:
//   L1: Branch -> L2   operand: x -> Back(L1)
//   L2: Branch -> L3   operand: Nothing -> L3
//   L3: Nothing
void TCompiler::BuildStar(int operand)
{
    InsertNode(OpBranch, operand, 0);
    const int back = EmitNode(OpBack);
    SetNext(back, operand);
    SetTail(operand + NodeHeader, back);
    const int second = EmitNode(OpBranch);
    const int nothing = EmitNode(OpNothing);
    const int tail = EmitNode(OpNothing);
    SetNext(operand, second);
    SetNext(second, tail);
    SetNext(nothing, tail);
}

// x+ of a longer operand:
//   x -> L1
//   L1: Branch -> L2   operand: Back(x)
//   L2: Branch -> L3   operand: Nothing -> L3
//   L3: Nothing
void TCompiler::BuildPlus(int operand)
{
    const int first = EmitNode(OpBranch);
    SetTail(operand, first);
    const int back = EmitNode(OpBack);
    SetNext(back, operand);
    const int second = EmitNode(OpBranch);
    const int nothing = EmitNode(OpNothing);
    const int tail = EmitNode(OpNothing);
    SetNext(first, second);
    SetNext(second, tail);
    SetNext(nothing, tail);
}

// x? of a longer operand:
//   L1: Branch -> L2   operand: x -> L3
//   L2: Branch -> L3   operand: Nothing -> L3
//   L3: Nothing
void TCompiler::BuildOptional(int operand)
{
    InsertNode(OpBranch, operand, 0);
    const int second = EmitNode(OpBranch);
    const int nothing = EmitNode(OpNothing);
    const int tail = EmitNode(OpNothing);
    SetNext(operand, second);
    SetNext(second, tail);
    SetNext(nothing, tail);
    SetTail(operand + NodeHeader, tail);
}

// Bounded or non-greedy repetition of a longer operand, and any repetition of
// an operand that may turn out empty through a back-reference:
//   LoopEntry -> Loop   body: x -> Loop
//   Loop(min, max, back to LoopEntry)
void TCompiler::BuildLoop(int operand, const TQuantifier& q, bool greedy)
{
    InsertNode(OpLoopEntry, operand, 0);
    const int loop = EmitNode(greedy ? OpLoop : OpLoopLazy);
    EmitInt(q.Min);
    EmitInt(q.Max);
    EmitInt(operand - loop);
    SetTail(operand + NodeHeader, loop);
    SetNext(operand, loop);
}

int TCompiler::ParseAtom(unsigned& flags)
{
    flags = 0;
    switch (Cur()) {
    case '^':
        ++m_pos;
        return EmitNode((m_mods & ModM) ? OpMBol : OpBot);
    case '$':
        ++m_pos;
        return EmitNode((m_mods & ModM) ? OpMEol : OpEot);
    case '.':
        ++m_pos;
        flags = FlagWidth | FlagSolid | FlagSimple;
        return EmitNode((m_mods & ModS) ? OpAny : OpAnyButEol);
    case '[':
        ++m_pos;
        return ParseSet(flags);
    case '(': {
        ++m_pos;
        unsigned groupFlags = 0;
        const int node = ParseReg(true, groupFlags);
        flags = groupFlags & (FlagWidth | FlagSolid | FlagStarStart);
        return node;
    }
    case '|':
    case ')':
        Fail(PatternAtomDisaster);
    case '*':
    case '+':
    case '?':
        ++m_pos;
        Fail(PatternQuantifierFollowsNothing);
    case '{':
        if (BoundAhead()) {
            ++m_pos;
            Fail(PatternQuantifierFollowsNothing);
        }
        return ParseLiteralRun(flags);
    case '\\':
        return ParseEscapeAtom(flags);
    default:
        return ParseLiteralRun(flags);
    }
}

int TCompiler::ParseEscapeAtom(unsigned& flags)
{
    if (m_pos + 1 >= m_pattern.size()) {
        ++m_pos;
        Fail(PatternTrailingBackslash);
    }
    const char e = m_pattern[m_pos + 1];
    if (!IsSpecialEscape(e))
        return ParseLiteralRun(flags);
    m_pos += 2;
    if (IsClassEscape(e)) {
        flags = FlagWidth | FlagSolid | FlagSimple;
        return EmitNode(ClassOpcode(e));
    }
    if (e >= '1' && e <= '9') {
        // A second digit belongs to the number (\12 is group 12), and the
        // group must exist somewhere in the pattern: a reference to nothing
        // would quietly never match.
        int group = e - '0';
        if (m_pos < m_pattern.size() && m_pattern[m_pos] >= '0' && m_pattern[m_pos] <= '9')
            group = group * 10 + (m_pattern[m_pos++] - '0');
        if (group > MaxGroups)
            Fail(PatternNoSuchGroup);
        if (group > m_highestReference) {
            m_highestReference = group;
            m_highestReferencePos = m_pos;
        }
        // Counted as non-empty so that (.)\1+ is allowed; the loop that repeats
        // it stops on an empty round.
        flags = FlagWidth;
        const int node = EmitNode((m_mods & ModI) ? OpBackRefCI : OpBackRef);
        EmitByte(static_cast<unsigned char>(group));
        return node;
    }
    switch (e) {
    case 'A':
        return EmitNode(OpBot);
    case 'Z':
        return EmitNode(OpEot);
    case 'b':
        return EmitNode(OpBound);
    default:
        return EmitNode(OpNotBound);
    }
}

// Ordinary characters in a row become one literal node. When a quantifier
// follows a run of several, the last character is left for the next atom, so
// that the quantifier applies to it alone.
int TCompiler::ParseLiteralRun(unsigned& flags)
{
    unsigned char run[MaxLiteralRun];
    int length = 0;
    while (length < MaxLiteralRun) {
        const std::size_t charStart = m_pos;
        const int c = ReadLiteralChar();
        if (c < 0)
            break;
        SkipIgnorable();
        const bool quantified = QuantifierAhead();
        if (quantified && length > 0) {
            m_pos = charStart;
            break;
        }
        run[length++] = static_cast<unsigned char>(c);
        if (quantified)
            break;
    }
    if (length == 0)
        Fail(PatternAtomDisaster);
    bool folds = false;
    if (m_mods & ModI) {
        for (int i = 0; i < length; ++i)
            folds = folds || OtherCase(run[i]) != run[i];
    }
    const int node = EmitNode(folds ? OpExactlyCI : OpExactly);
    EmitByte(static_cast<unsigned char>(length));
    for (int i = 0; i < length; ++i)
        EmitByte(run[i]);
    flags = FlagWidth | FlagSolid | (length == 1 ? unsigned(FlagSimple) : 0u);
    return node;
}

// The character at the parse position when it stands for itself (plainly or
// escaped), consuming it; -1, consuming nothing, otherwise.
int TCompiler::ReadLiteralChar()
{
    if (AtEnd())
        return -1;
    const char c = Cur();
    switch (c) {
    case '^':
    case '$':
    case '.':
    case '[':
    case '(':
    case ')':
    case '|':
    case '*':
    case '+':
    case '?':
        return -1;
    case '{':
        if (BoundAhead())
            return -1;
        break;
    case '\\': {
        if (m_pos + 1 >= m_pattern.size() || IsSpecialEscape(m_pattern[m_pos + 1]))
            return -1;
        const char e = m_pattern[m_pos + 1];
        m_pos += 2;
        return DecodeEscapedChar(e);
    }
    default:
        break;
    }
    ++m_pos;
    return static_cast<unsigned char>(c);
}

// The character an escape stands for; the parse position is past the letter.
int TCompiler::DecodeEscapedChar(char e)
{
    switch (e) {
    case 't':
        return '\t';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 'f':
        return '\f';
    case 'a':
        return 7;
    case 'e':
        return 27;
    case 'x':
        return ReadHex();
    default:
        return static_cast<unsigned char>(e);
    }
}

// \xHH (exactly two digits) or \x{H...} (any number of digits, value at most FF).
int TCompiler::ReadHex()
{
    if (!AtEnd() && Cur() == '{') {
        ++m_pos;
        unsigned value = 0;
        int digits = 0;
        for (;;) {
            if (AtEnd())
                Fail(PatternBadHexDigit);
            const char h = Cur();
            ++m_pos;
            if (h == '}')
                break;
            const int d = HexValue(h);
            if (d < 0)
                Fail(PatternBadHexDigit);
            value = std::min(value * 16 + static_cast<unsigned>(d), 0x1000u);
            ++digits;
        }
        if (digits == 0)
            Fail(PatternNoHexCode);
        if (value > 0xFF)
            Fail(PatternHexCodeTooBig);
        return static_cast<int>(value);
    }
    const int high = AtEnd() ? -1 : HexValue(Cur());
    if (high < 0)
        Fail(PatternNoHexCode);
    ++m_pos;
    if (AtEnd())
        Fail(PatternBadHexDigit);
    const int low = HexValue(Cur());
    ++m_pos;
    if (low < 0)
        Fail(PatternBadHexDigit);
    return high * 16 + low;
}

// ---------------------------------------------------------------------------
// Sets.

void TCompiler::AddSetChar(TByteSet& set, unsigned char c) const
{
    set.Add(c);
    if (m_mods & ModI)
        set.Add(OtherCase(c));
}

void TCompiler::AddSetRange(TByteSet& set, unsigned char low, unsigned char high)
{
    if (m_mods & ModR) {
        // а-я, А-Я and а-Я name alphabets, which hold ё and Ё outside the byte ranges.
        const bool lower = low == LowerA && (high == LowerYa || high == UpperYa);
        const bool upper = (low == UpperA && high == UpperYa) || (low == LowerA && high == UpperYa);
        if (lower || upper) {
            if (lower) {
                for (int c = LowerA; c <= LowerYa; ++c)
                    AddSetChar(set, static_cast<unsigned char>(c));
                AddSetChar(set, LowerYo);
            }
            if (upper) {
                for (int c = UpperA; c <= UpperYa; ++c)
                    AddSetChar(set, static_cast<unsigned char>(c));
                AddSetChar(set, UpperYo);
            }
            return;
        }
    }
    if (high < low)
        Fail(PatternInvalidRange);
    for (int c = low; c <= high; ++c)
        AddSetChar(set, static_cast<unsigned char>(c));
}

TSetItem TCompiler::ReadSetItem()
{
    TSetItem item;
    const char c = Cur();
    if (c != '\\') {
        ++m_pos;
        item.Char = static_cast<unsigned char>(c);
        return item;
    }
    if (m_pos + 1 >= m_pattern.size()) {
        ++m_pos;
        Fail(PatternSetTrailingBackslash);
    }
    const char e = m_pattern[m_pos + 1];
    m_pos += 2;
    if (IsClassEscape(e)) {
        item.IsClass = true;
        item.Class = e;
        return item;
    }
    item.Char = static_cast<unsigned char>(DecodeEscapedChar(e));
    return item;
}

int TCompiler::ParseSet(unsigned& flags)
{
    TByteSet set;
    bool negate = false;
    if (!AtEnd() && Cur() == '^') {
        negate = true;
        ++m_pos;
    }
    bool first = true;
    for (;;) {
        if (AtEnd())
            Fail(PatternUnmatchedSet);
        if (Cur() == ']' && !first) {
            ++m_pos;
            break;
        }
        first = false;
        const TSetItem low = ReadSetItem();
        if (low.IsClass) {
            AddClassMembers(set, low.Class);
            continue;
        }
        const bool range
            = !AtEnd() && Cur() == '-' && m_pos + 1 < m_pattern.size() && m_pattern[m_pos + 1] != ']';
        if (!range) {
            AddSetChar(set, low.Char);
            continue;
        }
        ++m_pos;
        const TSetItem high = ReadSetItem();
        if (high.IsClass) {
            AddSetChar(set, low.Char);
            set.Add('-');
            AddClassMembers(set, high.Class);
        } else {
            AddSetRange(set, low.Char, high.Char);
        }
    }
    if (negate)
        set.Invert();
    flags = FlagWidth | FlagSolid | FlagSimple;
    const int count = set.Count();
    if (count > ShortSetMax) {
        const int node = EmitNode(OpAnyOf);
        for (unsigned char b : set.Bits)
            EmitByte(b);
        return node;
    }
    const int node = EmitNode(OpAnyOfShort);
    EmitByte(static_cast<unsigned char>(count));
    for (int c = 0; c < 256; ++c) {
        if (set.Has(static_cast<unsigned char>(c)))
            EmitByte(static_cast<unsigned char>(c));
    }
    return node;
}

// ---------------------------------------------------------------------------
// Quantifiers.

// A bound "{n}", "{n,}" or "{n,m}" at `at`: the ends of its parts.
bool TCompiler::ScanBound(std::size_t at, std::size_t& minEnd, std::size_t& maxStart, std::size_t& end) const
{
    if (!Has(at, '{'))
        return false;
    auto isDigit = [this](std::size_t i) {
        return i < m_pattern.size() && IsDigitByte(static_cast<unsigned char>(m_pattern[i]));
    };
    std::size_t i = at + 1;
    while (isDigit(i))
        ++i;
    if (i == at + 1)
        return false;
    minEnd = i;
    maxStart = 0;
    if (Has(i, ',')) {
        maxStart = ++i;
        while (isDigit(i))
            ++i;
    }
    if (!Has(i, '}'))
        return false;
    end = i + 1;
    return true;
}

bool TCompiler::BoundAhead() const
{
    std::size_t minEnd = 0, maxStart = 0, end = 0;
    return ScanBound(m_pos, minEnd, maxStart, end);
}

bool TCompiler::QuantifierAhead() const
{
    if (AtEnd())
        return false;
    const char c = Cur();
    return c == '*' || c == '+' || c == '?' || (c == '{' && BoundAhead());
}

bool TCompiler::ReadQuantifier(TQuantifier& q)
{
    if (AtEnd())
        return false;
    q.Kind = Cur();
    switch (q.Kind) {
    case '*':
        q.Min = 0;
        q.Max = Unbounded;
        ++m_pos;
        return true;
    case '+':
        q.Min = 1;
        q.Max = Unbounded;
        ++m_pos;
        return true;
    case '?':
        q.Min = 0;
        q.Max = 1;
        ++m_pos;
        return true;
    case '{':
        break;
    default:
        return false;
    }
    std::size_t minEnd = 0, maxStart = 0, end = 0;
    if (!ScanBound(m_pos, minEnd, maxStart, end))
        return false;
    const std::size_t minStart = m_pos + 1;
    if (minEnd - minStart > MaxBoundDigits) {
        m_pos = minEnd;
        Fail(PatternBoundTooBig);
    }
    const std::size_t maxEnd = end - 1;
    if (maxStart != 0 && maxEnd - maxStart > MaxBoundDigits) {
        m_pos = maxEnd;
        Fail(PatternBoundTooBig);
    }
    auto number = [this](std::size_t from, std::size_t to) {
        std::int32_t v = 0;
        for (std::size_t i = from; i < to; ++i)
            v = v * 10 + (m_pattern[i] - '0');
        return v;
    };
    q.Min = number(minStart, minEnd);
    if (maxStart == 0)
        q.Max = q.Min;
    else if (maxEnd == maxStart)
        q.Max = Unbounded;
    else
        q.Max = number(maxStart, maxEnd);
    m_pos = end;
    if (q.Min > q.Max)
        Fail(PatternBoundMinAboveMax);
    return true;
}

TCompiledPattern TCompiler::Compile()
{
    int measured = 0;
    bool starStart = false;
    for (int pass = 0; pass < 2; ++pass) {
        m_emitting = pass == 1;
        m_pos = 0;
        m_mods = m_initialModifiers;
        m_groups = 0;
        m_size = 0;
        if (m_emitting)
            m_code.assign(static_cast<std::size_t>(measured), 0);
        EmitByte(ProgramMagic);
        unsigned flags = 0;
        ParseReg(false, flags);
        if (!m_emitting) {
            measured = m_size;
            starStart = (flags & FlagStarStart) != 0;
        }
    }
    if (m_size != measured)
        Fail(PatternInternalUrp);
    if (m_highestReference > m_groups) {
        m_pos = m_highestReferencePos;
        Fail(PatternNoSuchGroup);
    }
    TCompiledPattern compiled;
    compiled.Program = std::move(m_code);
    compiled.GroupCount = m_groups;
    AnalyseStart(compiled, starStart);
    return compiled;
}

} // namespace

TCompiledPattern CompilePattern(std::string_view pattern, unsigned modifiers)
{
    TCompiler compiler(pattern, modifiers);
    return compiler.Compile();
}

} // namespace tildo::pattern
