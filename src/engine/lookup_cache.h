#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

struct TDicEntry;

// The results of the main dictionary's lookup for the words of one scan. A
// text repeats its words many times, and a lookup (two bisections and two
// scans of the rules for a word the dictionary does not know) costs far more
// than a hash probe. Entries live in one open-addressing table; a word of up to
// 16 bytes is kept in its slot, longer words and the ё forms in a shared arena,
// so a hit allocates nothing and usually touches one cache line. The
// dictionary must not change while the cache is in use: the scan clears it
// when it starts.
class TLookupCache
{
public:
    // Gives the cached lookup of word in entry; false when the word is not cached.
    bool Find(std::string_view word, bool& found, TDicEntry& entry) const;
    // The word is cached as not in the dictionary.
    bool IsKnownMissing(std::string_view word) const;
    // Starts loading the slot where word's lookup lies, for a lookup soon
    // after: a text's words are spread over a table larger than the
    // processor's caches, and a word waits in the combination window long
    // enough for the load to arrive.
    void Prefetch(std::string_view word) const
    {
        if (!m_slots.empty())
            __builtin_prefetch(&m_slots[static_cast<std::size_t>(MakeKey(word).Hash) & (m_slots.size() - 1)]);
    }
    void Insert(std::string_view word, bool found, const TDicEntry& entry);
    void Clear();
    int Count() const { return m_count; }

private:
    static constexpr std::size_t InlineKey = 16;
    struct TSlot
    {
        std::uint64_t Hash = 0; // 0: empty
        std::uint64_t Key[2] = { 0, 0 }; // the word's first 16 bytes, zero-padded
        std::uint32_t KeyOffset = 0; // the whole word in the arena, for longer words
        std::uint32_t FormOffset = 0;
        std::int32_t Index = -1;
        std::uint16_t KeyLength = 0;
        std::uint16_t FormLength = 0;
        bool Found = false;
        bool IsRule = false;
    };
    struct TProbeKey
    {
        std::string_view Word;
        std::uint64_t Hash;
        std::uint64_t Key[2];
    };
    static TProbeKey MakeKey(std::string_view word);
    std::size_t Probe(const TProbeKey& key) const;
    void Grow();

    std::vector<TSlot> m_slots;
    std::string m_arena;
    int m_count = 0;
};

} // namespace tildo
