#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

class TCombiWordsDic;
class TWordBuffer;

// A quick "certainly not" for combination candidates. Nearly every word of a
// text brings several candidate texts, and almost none of them is a
// combination; each lookup in the dictionary is two bisections and a copy.
// The filter holds a tree of a normal form of the entries that every way of
// matching an entry preserves (case ignored, ё read as е, backslashes dropped,
// each run of digits read as one '0'), so a candidate it rejects cannot match,
// and one it passes is looked up as usual.
//
// A candidate grows from an earlier one by a separator and a word, so a walk
// through the tree can be extended the same way: once no entry begins like a
// text, no text built on it needs a look, and no candidate string needs to be
// built at all to know that none of them can match.
class TCombinationFilter
{
public:
    // Where a walk stands after a text.
    struct TWalk
    {
        std::int32_t Node = 0; // -1: no entry's normal form begins like the text
        bool InDigits = false; // the text's normal form ends in a run of digits
        bool Empty = true; // the text is empty
    };

    void Build(const TCombiWordsDic& combi);
    bool Built() const { return !m_nodes.empty(); }
    void Clear();
    bool MayMatch(std::string_view candidate) const;

    // The walk of Trim(text + a + b), given the walk of text; Trim removes the
    // characters up to 32 from both ends. The text must be trimmed already.
    TWalk Extend(TWalk text, std::string_view a, std::string_view b) const;
    // Whether any combination candidate of the window's oldest word that the
    // pass tries (every one but the oldest word alone) may match an entry,
    // worked out with walks instead of candidate strings. True when the filter
    // is not built.
    bool AnyCandidateMayMatch(const TWordBuffer& window, int maxWords) const;
    // The text walked to may be a combination.
    bool Accepts(const TWalk& walk) const
    {
        return !walk.Empty && walk.Node >= 0 && m_nodes[static_cast<std::size_t>(walk.Node)].Terminal;
    }

private:
    struct TNode
    {
        std::uint32_t FirstEdge = 0;
        std::uint32_t EdgeCount = 0;
        bool Terminal = false;
    };

    // Appends the normal form of text: lower case, ё as е, backslashes
    // dropped, each run of digits as one '0'.
    static void AppendNormalForm(std::string& form, std::string_view text);
    void Walk(TWalk& walk, std::string_view text) const;
    // Whether the normal form of some entry begins like that of the text a + b,
    // judged by its first two characters when they are plain ones.
    bool MayBegin(std::string_view a, std::string_view b) const;
    // Hash of the normal form of a word of letters only (never 0); 0 when it
    // holds anything else.
    static std::uint64_t FirstWordHash(std::string_view word);
    bool HasFirstWord(std::uint64_t hash) const;
    // AnyCandidateMayMatch past its quick look, out of line so that the quick
    // look stays cheap.
    [[gnu::noinline]] bool WalkCandidates(const TWordBuffer& window, int maxWords) const;
    TWalk Extended(TWalk text, std::string_view a, std::string_view b) const;
    std::int32_t Child(std::int32_t node, unsigned char c) const;

    std::vector<TNode> m_nodes; // node 0 is the root
    std::vector<unsigned char> m_edgeChars; // each node's edges sorted by character
    std::vector<std::int32_t> m_edgeTargets;
    std::array<std::int32_t, 256> m_rootChildren {}; // the root's edges, -1 for none
    std::vector<std::uint64_t> m_beginnings; // bit 256 * c1 + c2: some normal form begins with c1 c2
    // Hashes of the first runs of letters of the normal forms: an open table, 0 for a free slot.
    std::vector<std::uint64_t> m_firstWords;
};

} // namespace tildo
