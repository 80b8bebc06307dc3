#pragma once

// The compiled form of a pattern, shared by the compiler and the matcher and
// seen by nothing else.
//
// The program is a byte string. Its first byte is ProgramMagic; then come the
// nodes. A node is one opcode byte, a signed 32-bit offset from the node to the
// next one (0: none yet) and the opcode's operands:
//
//   Exactly, ExactlyCI   length byte (1-255) and that many characters
//   AnyOf                32-byte bit set of the 256 codes
//   AnyOfShort           count byte (0-4) and that many characters
//   Open, Close          group number byte (1-14)
//   BackRef, BackRefCI   group number byte (1-9)
//   Repeat, RepeatLazy   32-bit minimum and maximum, then the one-character
//                        operand node
//   Loop, LoopLazy       32-bit minimum and maximum, 32-bit offset back to the
//                        LoopEntry node whose body it closes
//
// Alternatives are chains of Branch nodes: a Branch's operand is the node right
// after it, its next is the following alternative, and the last Branch's next
// is the common tail (never a Branch), so one Branch alone is no choice.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tildo::pattern {

constexpr unsigned char ProgramMagic = 0xA7;

enum TOpcode : unsigned char {
    OpEnd = 1, // the whole pattern matched
    OpBot, // start of the whole text
    OpEot, // end of the whole text
    OpMBol, // start of a line
    OpMEol, // end of a line
    OpBound, // word boundary
    OpNotBound,
    OpAny, // any character
    OpAnyButEol, // any character but a line separator
    OpDigit,
    OpNotDigit,
    OpSpace,
    OpNotSpace,
    OpWord,
    OpNotWord,
    OpAnyOf,
    OpAnyOfShort,
    OpExactly,
    OpExactlyCI,
    OpNothing,
    OpBranch,
    OpBack, // jump to an earlier node
    OpOpen,
    OpClose,
    OpBackRef,
    OpBackRefCI,
    OpRepeat,
    OpRepeatLazy,
    OpLoopEntry,
    OpLoop,
    OpLoopLazy,
    OpLast = OpLoopLazy,
};

constexpr int NodeHeader = 5;
constexpr int RepeatOperand = NodeHeader + 8; // offset of a Repeat's operand node
constexpr int LoopBackField = NodeHeader + 8;
constexpr std::int32_t Unbounded = INT32_MAX;
constexpr int MaxGroups = 14; // groups 1..14; group 0 is the whole match
constexpr int MaxLoopDepth = 10;
constexpr int ShortSetMax = 4;

// Modifier bits, in the order of their public indexes 1..6.
enum TModifierBit : unsigned {
    ModI = 1u << 0, // case-insensitive
    ModR = 1u << 1, // а-я and А-Я include ё and Ё
    ModS = 1u << 2, // . matches line separators too
    ModG = 1u << 3, // quantifiers greedy
    ModM = 1u << 4, // ^ and $ at every line
    ModX = 1u << 5, // blanks and # comments in the pattern ignored
};
constexpr unsigned DefaultModifiers = ModR | ModS | ModG;

inline std::int32_t ReadInt(const unsigned char* p)
{
    std::int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void WriteInt(unsigned char* p, std::int32_t v)
{
    std::memcpy(p, &v, sizeof v);
}

// A set of byte codes.
struct TByteSet
{
    std::array<unsigned char, 32> Bits {};

    bool Has(unsigned char c) const { return (Bits[c >> 3] >> (c & 7)) & 1; }
    void Add(unsigned char c) { Bits[c >> 3] = static_cast<unsigned char>(Bits[c >> 3] | (1 << (c & 7))); }
    void AddAll() { Bits.fill(0xFF); }
    void Invert()
    {
        for (auto& b : Bits)
            b = static_cast<unsigned char>(~b);
    }
    int Count() const
    {
        int n = 0;
        for (int c = 0; c < 256; ++c)
            n += Has(static_cast<unsigned char>(c));
        return n;
    }
};

// What the search needs to know before running the program.
struct TStartHints
{
    int FirstChar = -1; // every match begins with this character
    bool AnchoredStart = false; // only the start offset can match
    bool LineStart = false; // matches begin only at line starts
    std::string RequiredLiteral; // must occur from the start offset on
    bool HasStartSet = false; // matches begin only with a character of StartSet
    TByteSet StartSet;
};

struct TCompiledPattern
{
    std::vector<unsigned char> Program;
    int GroupCount = 0; // highest group number the pattern uses
    TStartHints Hints;
};

} // namespace tildo::pattern

#include "text/letters.h"

namespace tildo::pattern {

// The word set: ASCII digits, Latin letters and "_"; no Cyrillic letter.
constexpr bool IsWordByte(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

constexpr bool IsSpaceByte(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

constexpr bool IsDigitByte(unsigned char c)
{
    return c >= '0' && c <= '9';
}

constexpr bool IsLineSeparator(unsigned char c)
{
    return c == '\r' || c == '\n';
}

// The other-case form of a character in CP1251: its upper-case form, or its
// lower-case form when the upper-case form is the character itself.
constexpr unsigned char OtherCase(unsigned char c)
{
    const auto upper = static_cast<unsigned char>(UpperChar(static_cast<char>(c)));
    return upper != c ? upper : static_cast<unsigned char>(LowerChar(static_cast<char>(c)));
}

constexpr bool SameIgnoringCase(unsigned char a, unsigned char b)
{
    return a == b || OtherCase(a) == b;
}

// Adds the members of the class escape \d, \D, \s, \S, \w or \W (by its letter).
inline void AddClassMembers(TByteSet& set, char e)
{
    for (int c = 0; c < 256; ++c) {
        const auto b = static_cast<unsigned char>(c);
        bool in = false;
        switch (e) {
        case 'd':
        case 'D':
            in = IsDigitByte(b);
            break;
        case 's':
        case 'S':
            in = IsSpaceByte(b);
            break;
        default:
            in = IsWordByte(b);
            break;
        }
        if (e == 'D' || e == 'S' || e == 'W')
            in = !in;
        if (in)
            set.Add(b);
    }
}

} // namespace tildo::pattern
