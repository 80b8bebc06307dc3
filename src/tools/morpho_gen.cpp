#include "morpho_gen.h"

#include "platform/file_io.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tildo {

TEndingMatch MatchEnding(std::string_view word, std::string_view pattern)
{
    TEndingMatch result;
    while (!pattern.empty() && !word.empty()) {
        std::string_view element = pattern.substr(pattern.size() - 1);
        std::size_t elementStart = pattern.size() - 1;
        if (pattern.back() == ']' && pattern.size() >= 2) {
            const std::size_t open = pattern.rfind('[', pattern.size() - 2);
            if (open != std::string_view::npos) {
                element = pattern.substr(open + 1, pattern.size() - open - 2);
                elementStart = open;
            }
        }
        pattern = pattern.substr(0, elementStart);
        ++result.Length;
        if (element.find(word.back()) == std::string_view::npos)
            return result;
        word.remove_suffix(1);
    }
    result.Matched = true;
    return result;
}

TStringList MakeForms(std::string_view baseWord, int cut, std::string_view endings)
{
    std::string_view stem = baseWord;
    if (cut > 0 && static_cast<std::size_t>(cut) <= baseWord.size())
        stem.remove_suffix(static_cast<std::size_t>(cut));
    TStringList forms;
    for (;;) {
        const std::size_t comma = endings.find(',');
        std::string form(stem);
        form += endings.substr(0, comma);
        forms.push_back(std::move(form));
        if (comma == std::string_view::npos)
            break;
        endings.remove_prefix(comma + 1);
    }
    return forms;
}

void TMorphoGen::Clear()
{
    Titles.clear();
    Patterns.clear();
    Cuts.Clear();
    Endings.clear();
    MorphsLoaded = false;
}

namespace {

// A non-negative decimal number that fits a 32-bit signed integer.
bool ParseCut(std::string_view field, int& cut)
{
    if (field.empty())
        return false;
    long long value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int>::max())
            return false;
    }
    cut = static_cast<int>(value);
    return true;
}

} // namespace

void TMorphoGen::AddMorphLine(std::string_view line, std::string& partOfSpeech)
{
    if (line.empty() || line[0] == '#')
        return;
    if (line[0] == '=') {
        partOfSpeech = std::string(line.substr(1));
        return;
    }
    const std::size_t first = line.find(':');
    if (first == std::string_view::npos)
        return;
    const std::size_t second = line.find(':', first + 1);
    if (second == std::string_view::npos)
        return;
    const std::size_t third = line.find(':', second + 1);
    if (third == std::string_view::npos)
        return;
    int cut = 0;
    if (!ParseCut(line.substr(second + 1, third - second - 1), cut))
        return;
    Titles.push_back(partOfSpeech + " (" + std::string(line.substr(0, first)) + ")");
    Patterns.emplace_back(line.substr(first + 1, second - first - 1));
    Cuts.Add(cut);
    Endings.emplace_back(line.substr(third + 1));
}

void TMorphoGen::LoadMorphs(const std::string& fileName)
{
    Clear();
    std::string partOfSpeech;
    TLineReader reader(fileName);
    std::string_view line;
    while (reader.Next(line))
        AddMorphLine(line, partOfSpeech);
    MorphsLoaded = true;
}

void TMorphoGen::LoadMorphsText(std::string_view bytes)
{
    Clear();
    std::string partOfSpeech;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        if (!line.empty() && line.back() == '\r') // as TLineReader: CR LF and a final CR end a line
            line.remove_suffix(1);
        AddMorphLine(line, partOfSpeech);
        if (end == std::string_view::npos)
            break;
        bytes.remove_prefix(end + 1);
    }
    MorphsLoaded = true;
}

namespace {

// The candidates' order as a tree keyed by list position (a treap with
// random priorities) in which each subtree knows its smallest cut: finding
// the first candidate whose cut is below a length and inserting there take
// logarithmic time, so that a rules file with many paradigms matching one
// word is not quadratic.
class TCandidateOrder
{
public:
    // Inserts `item` with `cut` before the first candidate whose cut is below
    // length, or at the end.
    void Insert(int item, int cut, int length)
    {
        const int position = FirstCutBelow(length);
        m_nodes.push_back(TNode { -1, -1, NextPriority(), 1, cut, cut, item });
        int left = -1;
        int right = -1;
        Split(m_root, position, left, right);
        m_root = Merge(Merge(left, static_cast<int>(m_nodes.size()) - 1), right);
    }

    // The items in list order.
    std::vector<int> Items() const
    {
        std::vector<int> items;
        std::vector<int> stack;
        int node = m_root;
        while (node >= 0 || !stack.empty()) {
            for (; node >= 0; node = At(node).Left)
                stack.push_back(node);
            node = stack.back();
            stack.pop_back();
            items.push_back(At(node).Item);
            node = At(node).Right;
        }
        return items;
    }

private:
    struct TNode
    {
        int Left;
        int Right;
        std::uint32_t Priority;
        int Size;
        int Cut;
        int MinCut;
        int Item;
    };

    TNode& At(int n) { return m_nodes[static_cast<std::size_t>(n)]; }
    const TNode& At(int n) const { return m_nodes[static_cast<std::size_t>(n)]; }
    int Size(int n) const { return n < 0 ? 0 : At(n).Size; }
    int MinCut(int n) const { return n < 0 ? std::numeric_limits<int>::max() : At(n).MinCut; }

    std::uint32_t NextPriority()
    {
        m_seed = m_seed * 1664525u + 1013904223u;
        return m_seed;
    }

    void Update(int n)
    {
        TNode& node = At(n);
        node.Size = 1 + Size(node.Left) + Size(node.Right);
        node.MinCut = std::min({ node.Cut, MinCut(node.Left), MinCut(node.Right) });
    }

    int FirstCutBelow(int length) const
    {
        int position = 0;
        int node = m_root;
        while (node >= 0 && MinCut(node) < length) {
            const TNode& n = At(node);
            if (MinCut(n.Left) < length) {
                node = n.Left;
            } else if (n.Cut < length) {
                return position + Size(n.Left);
            } else {
                position += Size(n.Left) + 1;
                node = n.Right;
            }
        }
        return node < 0 ? position : position + Size(node);
    }

    // The first `count` positions of tree n to left, the rest to right. The
    // depth of the recursion is the treap's height, logarithmic in expectation.
    void Split(int n, int count, int& left, int& right)
    {
        if (n < 0) {
            left = right = -1;
            return;
        }
        if (Size(At(n).Left) < count) {
            Split(At(n).Right, count - Size(At(n).Left) - 1, At(n).Right, right);
            left = n;
        } else {
            Split(At(n).Left, count, left, At(n).Left);
            right = n;
        }
        Update(n);
    }

    int Merge(int left, int right)
    {
        if (left < 0 || right < 0)
            return left < 0 ? right : left;
        if (At(left).Priority > At(right).Priority) {
            At(left).Right = Merge(At(left).Right, right);
            Update(left);
            return left;
        }
        At(right).Left = Merge(left, At(right).Left);
        Update(right);
        return right;
    }

    std::vector<TNode> m_nodes;
    int m_root = -1;
    std::uint32_t m_seed = 2463534242u;
};

} // namespace

std::vector<TParadigmCandidate> TMorphoGen::FindParadigms(std::string_view baseWord) const
{
    TCandidateOrder order;
    for (int i = 0; i < Count(); ++i) {
        const TEndingMatch match = MatchEnding(baseWord, Patterns[static_cast<std::size_t>(i)]);
        if (match.Matched)
            order.Insert(i, Cuts[i], match.Length);
    }
    std::vector<TParadigmCandidate> candidates;
    for (const int i : order.Items()) {
        const auto k = static_cast<std::size_t>(i);
        candidates.push_back(TParadigmCandidate { Titles[k], Cuts[i], Endings[k] });
    }
    return candidates;
}

} // namespace tildo
