#include "lookup_cache.h"

#include "dict/main_dictionary.h"

#include <bit>
#include <cstring>
#include <limits>

namespace tildo {

namespace {

static_assert(std::endian::native == std::endian::little, "keys are packed from little-endian loads");

constexpr std::size_t InitialSlots = 1u << 12;
// A text with more different words than this starts the cache afresh rather
// than let it grow without bound.
constexpr int MaxEntries = 1 << 20;
constexpr std::size_t MaxArena = std::numeric_limits<std::uint32_t>::max() / 2;

// Size bytes from p as a little-endian number (the machine's order is
// irrelevant: keys are only ever compared with keys made the same way).
template <std::size_t Size> std::uint64_t Load(const char* p)
{
    if constexpr (Size == 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        return v;
    } else {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
}

std::uint64_t Mix(std::uint64_t h)
{
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 31);
}

} // namespace

TLookupCache::TProbeKey TLookupCache::MakeKey(std::string_view word)
{
    TProbeKey k { word, 0, { 0, 0 } };
    const char* p = word.data();
    const std::size_t n = word.size();
    // The first 16 bytes, zero-padded, with fixed-size (overlapping) loads only.
    if (n >= 8) {
        k.Key[0] = Load<8>(p);
        if (n >= 16)
            k.Key[1] = Load<8>(p + 8);
        else if (n > 8)
            k.Key[1] = Load<8>(p + n - 8) >> (8 * (16 - n));
    } else if (n >= 4) {
        k.Key[0] = Load<4>(p) | (Load<4>(p + n - 4) << (8 * (n - 4)));
    } else {
        for (std::size_t i = 0; i < n; ++i)
            k.Key[0] |= std::uint64_t(static_cast<unsigned char>(p[i])) << (8 * i);
    }
    std::uint64_t h = Mix((word.size() + 1) * 0x9E3779B97F4A7C15ull ^ k.Key[0]);
    h = Mix(h ^ k.Key[1]);
    // Bytes past the first 16 count too.
    for (std::size_t i = InlineKey; i < n; ++i)
        h = Mix(h ^ static_cast<unsigned char>(p[i]));
    k.Hash = h | 1; // never 0, which marks an empty slot
    return k;
}

std::size_t TLookupCache::Probe(const TProbeKey& key) const
{
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = static_cast<std::size_t>(key.Hash) & mask;
    for (;;) {
        const TSlot& s = m_slots[i];
        if (s.Hash == 0)
            return i;
        if (s.Hash == key.Hash && s.KeyLength == key.Word.size() && s.Key[0] == key.Key[0]
            && s.Key[1] == key.Key[1]
            && (key.Word.size() <= InlineKey
                || std::memcmp(m_arena.data() + s.KeyOffset, key.Word.data(), key.Word.size()) == 0))
            return i;
        i = (i + 1) & mask;
    }
}

bool TLookupCache::Find(std::string_view word, bool& found, TDicEntry& entry) const
{
    if (m_slots.empty())
        return false;
    const TSlot& s = m_slots[Probe(MakeKey(word))];
    if (s.Hash == 0)
        return false;
    found = s.Found;
    entry.Index = s.Index;
    entry.IsRule = s.IsRule;
    if (s.FormLength == 0)
        entry.Form.clear();
    else
        entry.Form.assign(m_arena, s.FormOffset, s.FormLength);
    return true;
}

bool TLookupCache::IsKnownMissing(std::string_view word) const
{
    if (m_slots.empty())
        return false;
    const TSlot& s = m_slots[Probe(MakeKey(word))];
    return s.Hash != 0 && !s.Found;
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
    const TProbeKey key = MakeKey(word);
    TSlot& s = m_slots[Probe(key)];
    if (s.Hash != 0)
        return;
    s.Hash = key.Hash;
    s.Key[0] = key.Key[0];
    s.Key[1] = key.Key[1];
    s.KeyLength = static_cast<std::uint16_t>(word.size());
    s.KeyOffset = static_cast<std::uint32_t>(m_arena.size());
    if (word.size() > InlineKey)
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
        if (s.Hash == 0)
            continue;
        std::size_t i = static_cast<std::size_t>(s.Hash) & mask;
        while (m_slots[i].Hash != 0)
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
