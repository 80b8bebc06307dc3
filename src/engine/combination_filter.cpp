#include "combination_filter.h"

#include "dict/combination_dictionary.h"
#include "dict/my_lists.h"
#include "text/letters.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace tildo {

namespace {

// The separator ends the run of letters before it in the normal form: its
// first character that the normal form keeps is there and is no letter.
bool EndsRun(std::string_view separator)
{
    for (const char c : separator) {
        if (c != '\\')
            return !IsRussianLetter(c);
    }
    return false;
}

bool HasLetter(std::string_view text)
{
    // Separators are often long runs of Latin text: plain ASCII is passed
    // over eight bytes at a time.
    std::size_t i = 0;
    for (; text.size() - i >= 8; i += 8) {
        std::uint64_t v;
        std::memcpy(&v, text.data() + i, 8);
        if ((v & 0x8080808080808080ull) != 0)
            break;
    }
    for (; i < text.size(); ++i) {
        if (IsRussianLetter(text[i]))
            return true;
    }
    return false;
}

// How a byte enters the normal form.
enum : unsigned char { Plain, Dropped, Digit };

struct TNormalTables
{
    std::array<unsigned char, 256> kind {};
    std::array<unsigned char, 256> normal {};
};

constexpr TNormalTables MakeNormalTables()
{
    TNormalTables t {};
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        t.kind[static_cast<std::size_t>(b)] = c == '\\' ? Dropped : (IsDigit(c) ? Digit : Plain);
        t.normal[static_cast<std::size_t>(b)]
            = static_cast<unsigned char>(IsDigit(c) ? '0' : LowerChar(FoldChar(c)));
    }
    return t;
}

constexpr TNormalTables Normal = MakeNormalTables();

// Edges of a node looked at one by one up to this count, by bisection beyond.
constexpr std::uint32_t LinearEdges = 8;

bool IsTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view TrimLeft(std::string_view s)
{
    while (!s.empty() && IsTrimmed(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s)
{
    while (!s.empty() && IsTrimmed(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace

void TCombinationFilter::Build(const TCombiWordsDic& combi)
{
    Clear();
    // The normal forms in order: the tree is then laid down path by path,
    // each form adding the nodes past its common start with the one before.
    std::string text; // the forms one after another
    std::size_t total = 0;
    for (const std::string& key : combi.Keys)
        total += key.size();
    text.reserve(total);
    std::vector<std::pair<std::size_t, std::size_t>> spans; // where each form lies in text
    spans.reserve(combi.Keys.size());
    for (const std::string& key : combi.Keys) {
        const std::size_t start = text.size();
        AppendNormalForm(text, key);
        spans.emplace_back(start, text.size() - start);
    }
    std::vector<std::string_view> forms;
    forms.reserve(spans.size());
    for (const auto& [start, length] : spans)
        forms.emplace_back(text.data() + start, length);
    if (!std::is_sorted(forms.begin(), forms.end())) // a file in order is nearly always in order here too
        std::sort(forms.begin(), forms.end());
    struct TEdge
    {
        std::int32_t Parent;
        unsigned char Char;
    };
    std::vector<TEdge> edges; // edge k leads to node k + 1
    std::vector<char> terminal(1, false);
    edges.reserve(text.size()); // at most one node for each character
    terminal.reserve(text.size() + 1);
    std::vector<std::int32_t> path(1, 0); // the nodes along the previous form
    std::string_view previous;
    for (const std::string_view form : forms) {
        std::size_t common = 0;
        const std::size_t n = std::min(previous.size(), form.size());
        while (common < n && previous[common] == form[common])
            ++common;
        path.resize(common + 1);
        for (std::size_t d = common; d < form.size(); ++d) {
            const auto added = static_cast<std::int32_t>(terminal.size());
            edges.push_back({ path[d], static_cast<unsigned char>(form[d]) });
            terminal.push_back(false);
            path.push_back(added);
        }
        terminal[static_cast<std::size_t>(path[form.size()])] = true;
        previous = form;
    }

    // Each node's edges together, in the order they were made: the order of
    // their characters, since the forms came in order.
    m_nodes.resize(terminal.size());
    for (const TEdge& e : edges)
        ++m_nodes[static_cast<std::size_t>(e.Parent)].EdgeCount;
    std::uint32_t first = 0;
    for (std::size_t i = 0; i < m_nodes.size(); ++i) {
        m_nodes[i].FirstEdge = first;
        first += m_nodes[i].EdgeCount;
        m_nodes[i].Terminal = terminal[i] != 0;
    }
    m_edgeChars.resize(edges.size());
    m_edgeTargets.resize(edges.size());
    std::vector<std::uint32_t> filled(m_nodes.size(), 0);
    for (std::size_t k = 0; k < edges.size(); ++k) {
        const auto parent = static_cast<std::size_t>(edges[k].Parent);
        const std::uint32_t at = m_nodes[parent].FirstEdge + filled[parent]++;
        m_edgeChars[at] = edges[k].Char;
        m_edgeTargets[at] = static_cast<std::int32_t>(k + 1);
    }
    const TNode& root = m_nodes[0];
    for (std::uint32_t e = root.FirstEdge; e < root.FirstEdge + root.EdgeCount; ++e) {
        const unsigned char c = m_edgeChars[e];
        const auto child = static_cast<std::size_t>(m_edgeTargets[e]);
        m_rootChildren[c] = m_edgeTargets[e];
        const TNode& node = m_nodes[child];
        for (std::uint32_t g = node.FirstEdge; g < node.FirstEdge + node.EdgeCount; ++g) {
            const unsigned pair = c * 256u + m_edgeChars[g];
            m_beginnings[pair / 64] |= std::uint64_t(1) << (pair % 64);
        }
    }

    // The first words: a table at most half full, so a probe ends soon.
    std::size_t slots = 16;
    while (slots < forms.size() * 2)
        slots *= 2;
    m_firstWords.assign(slots, 0);
    for (const std::string_view form : forms) {
        // The normal form keeps letters as letters and others as others.
        const auto letter = std::find_if(form.begin(), form.end(), IsRussianLetter);
        const auto after = std::find_if_not(letter, form.end(), IsRussianLetter);
        if (letter == form.end())
            continue; // no letters: it never matches a text with a word
        const std::uint64_t hash
            = FirstWordHash(std::string_view(&*letter, static_cast<std::size_t>(after - letter)));
        const std::size_t mask = slots - 1;
        std::size_t i = (hash ^ hash >> 29) & mask;
        while (m_firstWords[i] != 0 && m_firstWords[i] != hash)
            i = (i + 1) & mask;
        m_firstWords[i] = hash;
    }
}

void TCombinationFilter::AppendNormalForm(std::string& form, std::string_view text)
{
    bool inDigits = false;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (Normal.kind[b] == Dropped)
            continue;
        if (Normal.kind[b] == Digit) {
            if (inDigits)
                continue;
            inDigits = true;
        } else {
            inDigits = false;
        }
        form += static_cast<char>(Normal.normal[b]);
    }
}

inline bool TCombinationFilter::MayBegin(std::string_view a, std::string_view b) const
{
    if (a.empty()) {
        a = b;
        b = {};
    }
    if (a.empty())
        return true;
    const auto b0 = static_cast<unsigned char>(a[0]);
    if (Normal.kind[b0] != Plain)
        return true;
    const unsigned char n0 = Normal.normal[b0];
    if (a.size() == 1 && b.empty())
        return m_rootChildren[n0] >= 0;
    const auto b1 = static_cast<unsigned char>(a.size() > 1 ? a[1] : b[0]);
    if (Normal.kind[b1] != Plain)
        return m_rootChildren[n0] >= 0;
    const unsigned pair = n0 * 256u + Normal.normal[b1];
    return (m_beginnings[pair / 64] >> (pair % 64) & 1) != 0;
}

void TCombinationFilter::Clear()
{
    m_nodes.clear();
    m_edgeChars.clear();
    m_edgeTargets.clear();
    m_rootChildren.fill(-1);
    m_beginnings.assign(256 * 256 / 64, 0);
    m_firstWords.assign(1, 0);
}

[[gnu::always_inline]] inline std::int32_t TCombinationFilter::Child(std::int32_t node, unsigned char c) const
{
    if (node == 0)
        return m_rootChildren[c];
    const TNode& n = m_nodes[static_cast<std::size_t>(node)];
    const unsigned char* first = m_edgeChars.data() + n.FirstEdge;
    if (n.EdgeCount <= LinearEdges) {
        for (std::uint32_t i = 0; i < n.EdgeCount; ++i) {
            if (first[i] == c)
                return m_edgeTargets[n.FirstEdge + i];
        }
        return -1;
    }
    const unsigned char* last = first + n.EdgeCount;
    const unsigned char* at = std::lower_bound(first, last, c);
    if (at == last || *at != c)
        return -1;
    return m_edgeTargets[n.FirstEdge + static_cast<std::uint32_t>(at - first)];
}

[[gnu::always_inline]] inline void TCombinationFilter::Walk(TWalk& walk, std::string_view text) const
{
    std::int32_t node = walk.Node;
    bool inDigits = walk.InDigits;
    for (std::size_t i = 0; i < text.size() && node >= 0; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        const unsigned char kind = Normal.kind[b];
        if (kind == Dropped)
            continue;
        if (kind == Digit) {
            if (inDigits)
                continue;
            inDigits = true;
        } else {
            inDigits = false;
        }
        node = Child(node, Normal.normal[b]);
    }
    walk.Node = node;
    walk.InDigits = inDigits;
}

bool TCombinationFilter::MayMatch(std::string_view candidate) const
{
    if (!Built())
        return true; // not built: let every candidate through
    TWalk walk;
    Walk(walk, candidate);
    return walk.Node >= 0 && m_nodes[static_cast<std::size_t>(walk.Node)].Terminal;
}

TCombinationFilter::TWalk TCombinationFilter::Extend(TWalk text, std::string_view a, std::string_view b) const
{
    return Extended(text, a, b);
}

inline TCombinationFilter::TWalk TCombinationFilter::Extended(
    TWalk text, std::string_view a, std::string_view b) const
{
    if (text.Node < 0)
        return { -1, false, false };
    // Trim(text + a + b) = text + a + b without the trimmed characters at
    // the end, and, while text is empty, at the start.
    b = TrimRight(b);
    if (b.empty())
        a = TrimRight(a);
    if (text.Empty) {
        a = TrimLeft(a);
        if (a.empty())
            b = TrimLeft(b);
    }
    TWalk walk = text;
    walk.Empty = text.Empty && a.empty() && b.empty();
    Walk(walk, a);
    Walk(walk, b);
    return walk;
}

bool TCombinationFilter::AnyCandidateMayMatch(const TWordBuffer& window, int maxWords) const
{
    const int count = window.Words.Count();
    if (!Built() || count == 0)
        return true;
    // The walks below take every text they extend as trimmed; the oldest word
    // alone, the first chain, is not trimmed when it is built.
    const std::string_view oldest = window.Words[0];
    if (oldest.empty() || IsTrimmed(oldest.front()) || IsTrimmed(oldest.back()))
        return true;
    const std::string_view leading = window.Separators[0];
    const bool withLead = !(leading.size() == 1 && leading[0] == ' ');
    // Most words begin no entry, and after a plain gap every candidate begins
    // with the oldest word: a look at its first two letters settles most.
    if (!MayBegin(oldest, {}) && (!withLead || !MayBegin(TrimLeft(leading), oldest)))
        return false;
    // The oldest word is the first run of letters in the normal form of every
    // candidate, unless the separators around it let the run go on (in a
    // scanned text they hold no letters, and never backslashes alone).
    if (count == 1 || EndsRun(window.Separators[1])) {
        const std::uint64_t hash = FirstWordHash(oldest);
        if (hash != 0 && !HasFirstWord(hash) && (!withLead || !HasLetter(leading)))
            return false;
    }
    return WalkCandidates(window, maxWords);
}

std::uint64_t TCombinationFilter::FirstWordHash(std::string_view word)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : word) {
        if (!IsRussianLetter(c))
            return 0;
        hash = (hash ^ Normal.normal[static_cast<unsigned char>(c)]) * 1099511628211ull;
    }
    return hash | 1;
}

bool TCombinationFilter::HasFirstWord(std::uint64_t hash) const
{
    const std::size_t mask = m_firstWords.size() - 1;
    for (std::size_t i = (hash ^ hash >> 29) & mask;; i = (i + 1) & mask) {
        if (m_firstWords[i] == hash)
            return true;
        if (m_firstWords[i] == 0)
            return false;
    }
}

bool TCombinationFilter::WalkCandidates(const TWordBuffer& window, int maxWords) const
{
    const int count = window.Words.Count();
    const std::string_view leading = window.Separators[0];
    const bool withLead = !(leading.size() == 1 && leading[0] == ' ');
    // The candidates in the order the window builds them (TCombinationWindow),
    // each as the walk of its text.
    TWalk chain;
    TWalk leadChain;
    TWalk last;
    bool any = false;
    auto add = [&](const TWalk& walk) {
        last = walk;
        any = any || Accepts(walk);
    };
    for (int k = 0; k < count; ++k) {
        const std::string_view separator = window.Separators[k];
        const std::string_view word = window.Words[k];
        if (k == 0) {
            last = Extended(TWalk {}, word, {}); // never tried on its own
        } else {
            if (!(separator.size() == 1 && separator[0] == ' ')) {
                add(Extended(chain, separator, {}));
                if (withLead)
                    add(Extended(leadChain, separator, {}));
            }
            if (!word.empty() && k < maxWords)
                add(Extended(chain, separator, word));
        }
        chain = last;
        if (withLead && k < maxWords) {
            add(Extended(leadChain, separator, word));
            leadChain = last;
        }
        if (any)
            return true;
        // Every later text grows from one of the two chains.
        if (chain.Node < 0 && (!withLead || leadChain.Node < 0))
            return false;
    }
    return any;
}

} // namespace tildo
