#pragma once

#include "letters.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

using TStringList = std::vector<std::string>;

namespace detail {

struct TIdentity {
    char operator()(std::size_t, char c) const { return c; }
};
struct TFold {
    char operator()(std::size_t, char c) const { return FoldChar(c); }
};
struct TLowerFold {
    char operator()(std::size_t, char c) const { return FoldChar(LowerChar(c)); }
};
struct TLowerTail {
    char operator()(std::size_t i, char c) const { return i == 0 ? c : LowerChar(c); }
};
struct TLower {
    char operator()(std::size_t, char c) const { return LowerChar(c); }
};

// The dictionary collation of a and b as they read after mapping each byte
// (the mapping stands for ToLower, FoldDottedE and the like, applied without
// building new strings): first the lower-cased bytes as unsigned values, a
// prefix first; then, for equal lower-cased texts, the mapped bytes themselves.
template <class MapA, class MapB>
int CompareMapped(std::string_view a, MapA mapA, std::string_view b, MapB mapB)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto la = static_cast<unsigned char>(LowerChar(mapA(i, a[i])));
        const auto lb = static_cast<unsigned char>(LowerChar(mapB(i, b[i])));
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(mapA(i, a[i]));
        const auto cb = static_cast<unsigned char>(mapB(i, b[i]));
        if (ca != cb)
            return ca > cb ? 1 : -1;
    }
    return 0;
}

inline std::string_view DropOneMark(std::string_view s)
{
    if (!s.empty() && s.back() == '?')
        s.remove_suffix(1);
    return s;
}

} // namespace detail

// The dictionary collation: CP1251 order of the lower-cased text, a prefix
// first; texts that differ only in case are ordered capital first. Zero only
// for byte-identical strings.
inline int CompareWords(std::string_view a, std::string_view b)
{
    // Same result as the mapped comparison, but the common prefix is skipped
    // with plain byte compares: bytes equal as they stand are equal lower-cased.
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    std::size_t i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    if (i == n)
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    for (std::size_t j = i; j < n; ++j) {
        const auto la = static_cast<unsigned char>(LowerChar(a[j]));
        const auto lb = static_cast<unsigned char>(LowerChar(b[j]));
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return static_cast<unsigned char>(a[i]) > static_cast<unsigned char>(b[i]) ? 1 : -1;
}

// CompareWords with ё counted as е: the order of dictionary files.
inline int CompareFolded(std::string_view a, std::string_view b)
{
    return detail::CompareMapped(a, detail::TFold {}, b, detail::TFold {});
}

// CompareFolded after dropping one trailing '?' (the variant mark) from each side.
inline int CompareEntries(std::string_view a, std::string_view b)
{
    return CompareFolded(detail::DropOneMark(a), detail::DropOneMark(b));
}

// CompareEntries of the lower-cased sides.
inline int CompareEntriesLower(std::string_view a, std::string_view b)
{
    return detail::CompareMapped(
        detail::DropOneMark(a), detail::TLowerFold {}, detail::DropOneMark(b), detail::TLowerFold {});
}

// Sort callback for a string list: CompareFolded of the items at i and j.
inline int SortCompare(const TStringList& list, int i, int j)
{
    return CompareFolded(list[static_cast<std::size_t>(i)], list[static_cast<std::size_t>(j)]);
}

// Bisection search of a sorted list for an item that cmp(item, key) finds
// equal; -1 when none. Returns whichever equal item it meets first.
template <class List, class Key, class Cmp>
int FindExact(const List& list, const Key& key, Cmp cmp)
{
    const int count = static_cast<int>(list.size());
    if (count == 0)
        return -1;
    int lo = 0;
    int hi = count - 1;
    if (cmp(list[static_cast<std::size_t>(lo)], key) == 0)
        return lo;
    if (cmp(list[static_cast<std::size_t>(hi)], key) == 0)
        return hi;
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        const int d = cmp(list[static_cast<std::size_t>(mid)], key);
        if (d == 0)
            return mid;
        if (d > 0)
            hi = mid;
        else
            lo = mid;
    }
    return -1;
}

// Bisection search for the index at which key belongs between lo and hi
// (callers pass 0 and the count, or 0 and the count minus one); for a key equal
// to an item, the index of the equal item met.
template <class List, class Key, class Cmp>
int FindInsertPos(const List& list, int lo, int hi, Cmp cmp, const Key& key)
{
    const int count = static_cast<int>(list.size());
    int mid = lo;
    for (;;) {
        const int prev = mid;
        mid = (lo + hi) / 2;
        if (lo == hi || mid == prev) {
            if (mid < count) {
                if (mid < 0)
                    return 0;
                return cmp(list[static_cast<std::size_t>(mid)], key) < 0 ? mid + 1 : mid;
            }
            return count;
        }
        const int d = mid >= 0 && mid < count ? cmp(list[static_cast<std::size_t>(mid)], key) : (mid < 0 ? -1 : 1);
        if (d == 0)
            return mid;
        if (d > 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
}

// Lookup of a text word among keys sorted by CompareWords: first the word with
// its first letter kept and the rest lower-cased, then fully lower-cased. A
// lower-case key is found for every case pattern of the word; a key with a
// capital first letter only for words that begin with that capital.
// Allocation-free.
int FindKey(const TStringList& keys, std::string_view word);
// The same over any sorted list whose items read as string views.
template <class List> int FindKey(const List& keys, std::string_view word)
{
    int i = FindExact(keys, word, [](std::string_view item, std::string_view w) {
        return detail::CompareMapped(item, detail::TIdentity {}, w, detail::TLowerTail {});
    });
    if (i == -1) {
        i = FindExact(keys, word, [](std::string_view item, std::string_view w) {
            return detail::CompareMapped(item, detail::TIdentity {}, w, detail::TLower {});
        });
    }
    return i;
}

} // namespace tildo
