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
// than a hash probe. Entries are kept in one open-addressing table with their
// texts in a shared arena, so a hit allocates nothing. The dictionary must not
// change while the cache is in use: the scan clears it when it starts.
class TLookupCache
{
public:
    // Gives the cached lookup of word in entry; false when the word is not cached.
    bool Find(std::string_view word, bool& found, TDicEntry& entry) const;
    void Insert(std::string_view word, bool found, const TDicEntry& entry);
    void Clear();
    int Count() const { return m_count; }

private:
    struct TSlot
    {
        std::uint64_t Hash = 0;
        std::uint32_t KeyOffset = 0;
        std::uint32_t FormOffset = 0;
        std::uint16_t KeyLength = 0;
        std::uint16_t FormLength = 0;
        std::int32_t Index = -1;
        bool Used = false;
        bool Found = false;
        bool IsRule = false;
    };
    static std::uint64_t HashOf(std::string_view word);
    std::size_t Probe(std::string_view word, std::uint64_t hash) const;
    void Grow();

    std::vector<TSlot> m_slots;
    std::string m_arena;
    int m_count = 0;
};

} // namespace tildo
