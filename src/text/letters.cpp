#include "letters.h"

#include "cp1251.h"
#include "text/byte_lanes.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace tildo {

bool AllRussianLetters(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return IsRussianLetter(c); });
}

bool AllPatternChars(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return IsPatternChar(c); });
}

bool HasRussianCapital(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return IsRussianCapital(c); });
}

bool HasDottedE(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return IsDottedE(c); });
}

bool HasAnyE(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return IsAnyE(c); });
}

bool IsCandidate(std::string_view word, bool collecting, bool checkDotted)
{
    for (const char c : word) {
        if (!collecting && (c == LetterE || c == LetterCapitalE))
            return true;
        if (checkDotted && IsDottedE(c))
            return true;
    }
    return false;
}

using lanes::BytesEqual;
using lanes::Highs;
using lanes::LetterBytes;
using lanes::Ones;

int CountWords(std::string_view s)
{
    std::size_t first = 0;
    return CountWords(s, first);
}

int CountWords(std::string_view s, std::size_t& firstWord)
{
    // Eight bytes at a time: a word starts at a letter whose left neighbour
    // is none; the marks are summed by one multiplication into the top byte.
    int count = 0;
    firstWord = std::string_view::npos;
    std::uint64_t before = 0; // the high bit of byte 0 set when the byte in front is a letter
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t v = 0;
        std::memcpy(&v, s.data() + i, sizeof v);
        const std::uint64_t letters = LetterBytes(v);
        const std::uint64_t starts = letters & ~((letters << 8) | before);
        if (starts != 0) {
            if (count == 0)
                firstWord = i + static_cast<std::size_t>(std::countr_zero(starts)) / 8;
            count += static_cast<int>((((starts >> 7) * Ones) >> 56));
        }
        before = letters >> 56;
    }
    bool inWord = before != 0;
    for (; i < s.size(); ++i) {
        const bool letter = IsRussianLetter(s[i]);
        if (letter && !inWord) {
            if (count == 0)
                firstWord = i;
            ++count;
        }
        inWord = letter;
    }
    return count;
}

void ToLowerInPlace(std::string& s)
{
    for (char& c : s)
        c = LowerChar(c);
}

void FoldDottedEInPlace(std::string& s)
{
    for (char& c : s)
        c = FoldChar(c);
}

std::string ToLower(std::string_view s)
{
    std::string r(s);
    ToLowerInPlace(r);
    return r;
}

std::string ToUpper(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = UpperChar(c);
    return r;
}

std::string FoldDottedE(std::string_view s)
{
    std::string r(s);
    FoldDottedEInPlace(r);
    return r;
}

std::string LowerTail(std::string_view s)
{
    std::string r(s);
    for (std::size_t i = 1; i < r.size(); ++i)
        r[i] = LowerChar(r[i]);
    return r;
}

std::string ApplyCase(std::string_view form, std::string_view word)
{
    std::string r(form);
    const std::size_t n = std::min(form.size(), word.size());
    for (std::size_t p = 0; p < n; ++p) {
        if (IsRussianCapital(word[p]))
            r[p] = UpperChar(r[p]);
    }
    return r;
}

std::string CollapseBlanks(std::string_view s)
{
    std::string r;
    r.reserve(s.size());
    bool previousBlank = false;
    for (const char c : s) {
        const bool blank = IsBlank(c);
        if (!(blank && previousBlank))
            r += blank ? ' ' : c;
        previousBlank = blank;
    }
    return r;
}

namespace {

// Length of the start of s that collapsing leaves as it is (no tab, no
// no-break space, no two spaces in a row), given whether the text before it
// ends in a blank; whole blocks of eight bytes only.
std::size_t UnchangedBlocks(std::string_view s, bool afterBlank)
{
    static_assert(std::endian::native == std::endian::little, "byte order of the blocks");
    std::size_t i = 0;
    std::uint64_t carry = afterBlank ? 1 : 0;
    while (s.size() - i >= 8) {
        std::uint64_t v;
        std::memcpy(&v, s.data() + i, 8);
        const std::uint64_t spaces = BytesEqual(v, ' ');
        if ((BytesEqual(v, '\t') | BytesEqual(v, 0xA0)) != 0 || (spaces & (spaces << 8)) != 0
            || (carry != 0 && (spaces & 0x80) != 0))
            break;
        carry = spaces >> 63;
        i += 8;
    }
    return i;
}

} // namespace

void AppendCollapsingBlanks(std::string& collapsed, std::string_view s)
{
    // A collapsed text ends in a space exactly when the text it comes from
    // ends in a blank. Most text needs no change and is copied in blocks; a
    // block that needs one is collapsed byte by byte.
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t unchanged
            = UnchangedBlocks(s.substr(i), !collapsed.empty() && collapsed.back() == ' ');
        collapsed.append(s.data() + i, unchanged);
        i += unchanged;
        for (const std::size_t stop = std::min(s.size(), i + 8); i < stop; ++i) {
            if (!IsBlank(s[i]))
                collapsed += s[i];
            else if (collapsed.empty() || collapsed.back() != ' ')
                collapsed += ' ';
        }
    }
}

std::string LastChar(std::string_view s)
{
    return s.empty() ? std::string() : std::string(1, s.back());
}

std::string DropLastChar(std::string_view s)
{
    return s.empty() ? std::string() : std::string(s.substr(0, s.size() - 1));
}

std::size_t PosFrom(std::string_view sub, std::string_view s, std::size_t start)
{
    if (start == 0)
        start = 1;
    if (start > s.size())
        return 0;
    const std::size_t at = s.find(sub, start - 1);
    return at == std::string_view::npos ? 0 : at + 1;
}

void CountEnding(long long n, int kind, std::string& ending)
{
    if (kind < 1 || kind > 3)
        return;
    const long long d = ((n % 10) + 10) % 10;
    const long long h = ((n % 100) + 100) % 100;
    int form = 3;
    if (!(d == 0 || d >= 5 || (h >= 11 && h <= 14)))
        form = d == 1 ? 1 : 2;
    static const char* const endings[3][3] = {
        { "а", "ы", "" },
        { "о", "а", "" },
        { "е", "я", "й" },
    };
    ending = Cp(endings[kind - 1][form - 1]);
}

} // namespace tildo
