#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tildo {

// The four letters the program revolves around, as CP1251 bytes.
constexpr char LetterE = '\xE5'; // е
constexpr char LetterCapitalE = '\xC5'; // Е
constexpr char LetterYo = '\xB8'; // ё
constexpr char LetterCapitalYo = '\xA8'; // Ё

namespace detail {

struct TCaseTables
{
    std::array<unsigned char, 256> lower {};
    std::array<unsigned char, 256> upper {};
};

// The case pairs of the Windows Cyrillic code page: Latin, А–Я/а–я, Ё/ё and the
// other Cyrillic letters of the page. Lengths never change under them.
constexpr TCaseTables MakeCaseTables()
{
    TCaseTables t {};
    for (int b = 0; b < 256; ++b) {
        t.lower[static_cast<std::size_t>(b)] = static_cast<unsigned char>(b);
        t.upper[static_cast<std::size_t>(b)] = static_cast<unsigned char>(b);
    }
    auto pair = [&t](int upper, int lower) {
        t.lower[static_cast<std::size_t>(upper)] = static_cast<unsigned char>(lower);
        t.upper[static_cast<std::size_t>(lower)] = static_cast<unsigned char>(upper);
    };
    for (int b = 'A'; b <= 'Z'; ++b)
        pair(b, b + 32);
    for (int b = 0xC0; b <= 0xDF; ++b)
        pair(b, b + 32);
    const int others[][2] = { { 0xA8, 0xB8 }, { 0x80, 0x90 }, { 0x81, 0x83 }, { 0x8A, 0x9A }, { 0x8C, 0x9C },
        { 0x8D, 0x9D }, { 0x8E, 0x9E }, { 0x8F, 0x9F }, { 0xA1, 0xA2 }, { 0xA3, 0xBC }, { 0xA5, 0xB4 },
        { 0xAA, 0xBA }, { 0xAF, 0xBF }, { 0xB2, 0xB3 }, { 0xBD, 0xBE } };
    for (const auto& p : others)
        pair(p[0], p[1]);
    return t;
}

inline constexpr TCaseTables CaseTables = MakeCaseTables();

} // namespace detail

// --- one byte ---------------------------------------------------------------

constexpr bool IsRussianLetter(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0xC0 || b == 0xA8 || b == 0xB8;
}

constexpr bool IsRussianCapital(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0xC0 && b <= 0xDF) || b == 0xA8;
}

constexpr bool IsPatternChar(char c)
{
    return IsRussianLetter(c) || c == '*' || c == '?';
}

constexpr bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of a hexadecimal digit in either case; -1 for any other byte.
constexpr int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

constexpr bool IsBlank(char c)
{
    return c == '\t' || c == ' ' || c == '\xA0';
}

constexpr char LowerChar(char c)
{
    return static_cast<char>(detail::CaseTables.lower[static_cast<unsigned char>(c)]);
}

constexpr char UpperChar(char c)
{
    return static_cast<char>(detail::CaseTables.upper[static_cast<unsigned char>(c)]);
}

constexpr char FoldChar(char c)
{
    return c == LetterYo ? LetterE : (c == LetterCapitalYo ? LetterCapitalE : c);
}

constexpr bool IsDottedE(char c)
{
    return c == LetterYo || c == LetterCapitalYo;
}

constexpr bool IsAnyE(char c)
{
    return c == LetterE || c == LetterCapitalE || c == LetterYo || c == LetterCapitalYo;
}

// --- string tests -------------------------------------------------------------

bool AllRussianLetters(std::string_view s);
bool AllPatternChars(std::string_view s);
bool HasRussianCapital(std::string_view s);
bool HasDottedE(std::string_view s);
bool HasAnyE(std::string_view s);
// Worth looking up: holds е/Е (unless collecting new ё words), or ё/Ё when the
// placement of ё is to be checked too.
bool IsCandidate(std::string_view word, bool collecting, bool checkDotted);

// The е and ё letters of a word in one look, for hot loops that need several
// of the answers above: bit ELetters::Plain for е/Е, ELetters::Dotted for ё/Ё.
struct ELetters
{
    static constexpr unsigned Plain = 1;
    static constexpr unsigned Dotted = 2;
};
inline unsigned ELettersOf(std::string_view word)
{
    unsigned flags = 0;
    for (const char c : word) {
        if (c == LetterE || c == LetterCapitalE)
            flags |= ELetters::Plain;
        else if (IsDottedE(c))
            flags |= ELetters::Dotted;
    }
    return flags;
}
// IsCandidate from a word's ELettersOf.
constexpr bool IsCandidateLetters(unsigned eLetters, bool collecting, bool checkDotted)
{
    return (!collecting && (eLetters & ELetters::Plain) != 0)
        || (checkDotted && (eLetters & ELetters::Dotted) != 0);
}
// Number of maximal runs of Russian letters.
int CountWords(std::string_view s);
// The same, and the offset of the first run in firstWord (npos when none).
int CountWords(std::string_view s, std::size_t& firstWord);

// a and b are equal once both are lower-cased; no copies.
constexpr bool EqualLower(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerChar(a[i]) != LowerChar(b[i]))
            return false;
    }
    return true;
}

// --- transformations ------------------------------------------------------------

std::string ToLower(std::string_view s);
std::string ToUpper(std::string_view s);
std::string FoldDottedE(std::string_view s);
// First byte kept, the rest lower-cased (ВСЕ gives Все).
std::string LowerTail(std::string_view s);
// The dictionary form with the capitals of the text word carried onto it;
// capitals are only ever added.
std::string ApplyCase(std::string_view form, std::string_view word);
std::string CollapseBlanks(std::string_view s);
// Appends s to a text that has its blanks collapsed already, so that the
// result is CollapseBlanks of the whole: text collected piece by piece is
// collapsed as it grows.
void AppendCollapsingBlanks(std::string& collapsed, std::string_view s);
std::string LastChar(std::string_view s);
std::string DropLastChar(std::string_view s);
// Position (from 1) of the first occurrence of sub in s that begins at or after
// position start (from 1); 0 when there is none.
std::size_t PosFrom(std::string_view sub, std::string_view s, std::size_t start);
// The Russian noun ending for a count: kind 1 "%d словоформ", kind 2 "%d правил",
// kind 3 "%d словосочетани". Any other kind leaves ending as it was.
void CountEnding(long long n, int kind, std::string& ending);

// In-place variants for hot paths.
void ToLowerInPlace(std::string& s);
void FoldDottedEInPlace(std::string& s);

} // namespace tildo
