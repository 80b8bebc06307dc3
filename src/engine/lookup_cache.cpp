#include "lookup_cache.h"

#include "dict/main_dictionary.h"

#include <cstring>
#include <limits>

namespace tildo {

namespace {

constexpr std::size_t InitialSlots = 1u << 12;
// A text with more different words than this starts the cache afresh rather
// than let it grow without bound.
constexpr int MaxEntries = 1 << 20;
constexpr std::size_t MaxArena = std::numeric_limits<std::uint32_t>::max() / 2;

} // namespace

std::uint64_t TLookupCache::HashOf(std::string_view word)
{
    // Eight bytes at a time: a word is rarely longer than two such blocks.
    const char* p = word.data();
    std::size_t n = word.size();
    std::uint64_t h = (n + 1) * 0x9E3779B97F4A7C15ull;
    while (n >= 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        h = (h ^ v) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        std::uint64_t v = 0;
        std::memcpy(&v, p, n);
        h = (h ^ v) * 0x94D049BB133111EBull;
        h ^= h >> 29;
    }
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return h | 1; // never 0, so that a hash alone tells nothing about an empty slot
}

std::size_t TLookupCache::Probe(std::string_view word, std::uint64_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = static_cast<std::size_t>(hash) & mask;
    for (;;) {
        const TSlot& s = m_slots[i];
        if (!s.Used)
            return i;
        if (s.Hash == hash && s.KeyLength == word.size()
            && std::memcmp(m_arena.data() + s.KeyOffset, word.data(), word.size()) == 0)
            return i;
        i = (i + 1) & mask;
    }
}

bool TLookupCache::Find(std::string_view word, bool& found, TDicEntry& entry) const
{
    if (m_slots.empty())
        return false;
    const TSlot& s = m_slots[Probe(word, HashOf(word))];
    if (!s.Used)
        return false;
    found = s.Found;
    entry.Index = s.Index;
    entry.IsRule = s.IsRule;
    entry.Form.assign(m_arena, s.FormOffset, s.FormLength);
    return true;
}

void TLookupCache::Insert(std::string_view word, bool found, const TDicEntry& entry)
{
    // Words and forms longer than a slot can describe are simply not cached.
    if (word.size() > 0xFFFF || entry.Form.size() > 0xFFFF)
        return;
    if (m_count >= MaxEntries || m_arena.size() + word.size() + entry.Form.size() > MaxArena)
        Clear();
    if (m_slots.empty() || static_cast<std::size_t>(m_count + 1) * 2 > m_slots.size())
        Grow();
    const std::uint64_t hash = HashOf(word);
    TSlot& s = m_slots[Probe(word, hash)];
    if (s.Used)
        return;
    s.Used = true;
    s.Hash = hash;
    s.KeyOffset = static_cast<std::uint32_t>(m_arena.size());
    s.KeyLength = static_cast<std::uint16_t>(word.size());
    m_arena.append(word);
    s.FormOffset = static_cast<std::uint32_t>(m_arena.size());
    s.FormLength = static_cast<std::uint16_t>(entry.Form.size());
    m_arena.append(entry.Form);
    s.Index = entry.Index;
    s.Found = found;
    s.IsRule = entry.IsRule;
    ++m_count;
}

void TLookupCache::Grow()
{
    std::vector<TSlot> old;
    old.swap(m_slots);
    m_slots.assign(old.empty() ? InitialSlots : old.size() * 2, TSlot {});
    const std::size_t mask = m_slots.size() - 1;
    for (const TSlot& s : old) {
        if (!s.Used)
            continue;
        std::size_t i = static_cast<std::size_t>(s.Hash) & mask;
        while (m_slots[i].Used)
            i = (i + 1) & mask;
        m_slots[i] = s;
    }
}

void TLookupCache::Clear()
{
    m_slots.clear();
    m_arena.clear();
    m_count = 0;
}

} // namespace tildo
