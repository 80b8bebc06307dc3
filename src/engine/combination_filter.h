#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tildo {

class TCombiWordsDic;

// A quick "certainly not" for combination candidates. Nearly every word of a
// text brings several candidate texts, and almost none of them is a
// combination; each lookup in the dictionary is two bisections and a copy.
// The filter keeps a few bits per entry of a normal form that every way of
// matching an entry preserves (case ignored, backslashes dropped, each run of
// digits read as one '0'), so a candidate it rejects cannot match, and one it
// passes is looked up as usual.
class TCombinationFilter
{
public:
    void Build(const TCombiWordsDic& combi);
    bool MayMatch(std::string_view candidate) const;
    void Clear() { m_bits.clear(); }

private:
    static std::uint64_t NormalHash(std::string_view text);

    std::vector<std::uint64_t> m_bits;
    std::uint64_t m_mask = 0; // bit count - 1
};

} // namespace tildo
