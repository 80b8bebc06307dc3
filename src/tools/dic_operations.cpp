#include "dic_operations.h"

#include "dict/main_dictionary.h"
#include "platform/user_interface.h"
#include "text/cp1251.h"
#include "text/letters.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tildo {

TStringList TakeLeadingComments(TStringList& lines)
{
    std::size_t n = 0;
    while (n < lines.size() && !lines[n].empty() && lines[n][0] == '#')
        ++n;
    TStringList header(std::make_move_iterator(lines.begin()),
        std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(n)));
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n));
    return header;
}

namespace {

// A line's sort key in one shared buffer: the lower-cased folded bytes of its
// entry (the line without its variant mark), then the entry's folded bytes;
// the first eight lower-cased bytes also as one big-endian number, which
// settles most comparisons without touching the buffer. Ordering keys by
// (lower-cased folded bytes, folded bytes) as unsigned bytes, a prefix first,
// is exactly CompareEntries: the order the dictionary's reader and the
// editor's check demand, so that a sorted dictionary passes both.
struct TSortKey
{
    std::uint64_t Prefix;
    std::size_t Offset;
    std::size_t Length;
    std::size_t Index;
};

std::uint64_t KeyPrefix(const char* bytes, std::size_t length)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        prefix <<= 8;
        if (i < length)
            prefix |= static_cast<unsigned char>(bytes[i]);
    }
    return prefix;
}

} // namespace

void SortFolded(TStringList& lines)
{
    const std::size_t n = lines.size();
    bool sorted = true;
    for (std::size_t i = 1; i < n && sorted; ++i)
        sorted = CompareEntries(lines[i - 1], lines[i]) <= 0;
    if (sorted)
        return;

    std::size_t total = 0;
    for (const auto& line : lines)
        total += 2 * line.size();
    std::string buffer;
    buffer.reserve(total);
    std::vector<TSortKey> keys;
    keys.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view line = detail::DropOneMark(lines[i]);
        const std::size_t offset = buffer.size();
        for (const char c : line)
            buffer += LowerChar(FoldChar(c));
        for (const char c : line)
            buffer += FoldChar(c);
        keys.push_back({ KeyPrefix(buffer.data() + offset, line.size()), offset, line.size(), i });
    }
    const char* base = buffer.data();
    std::sort(keys.begin(), keys.end(), [base](const TSortKey& a, const TSortKey& b) {
        if (a.Prefix != b.Prefix)
            return a.Prefix < b.Prefix;
        const std::size_t common = std::min(a.Length, b.Length);
        int d = std::memcmp(base + a.Offset, base + b.Offset, common);
        if (d != 0)
            return d < 0;
        if (a.Length != b.Length)
            return a.Length < b.Length;
        d = std::memcmp(base + a.Offset + a.Length, base + b.Offset + b.Length, a.Length);
        if (d != 0)
            return d < 0;
        return a.Index < b.Index;
    });

    TStringList result;
    result.reserve(n);
    for (const auto& key : keys)
        result.push_back(std::move(lines[key.Index]));
    lines.swap(result);
}

TNextError FindNextError(const TStringList& lines, int start, const TCheckMode& mode, UserInterface& ui)
{
    TNextError result;
    const int count = static_cast<int>(lines.size());
    for (int i = std::max(start, 0); i < count; ++i) {
        if (ui.IsEscPressed()) {
            result.Aborted = true;
            result.StopLine = i;
            return result;
        }
        const std::string& line = lines[static_cast<std::size_t>(i)];
        if (i % ProgressStep == 0)
            ui.SetStatusText(line);
        if (IsCommentLine(line))
            continue;
        TLineCheck check = CheckDicLine(line, mode);
        if (check.Bad) {
            result.Line = i;
            result.Message = std::move(check.Message);
            return result;
        }
        if (i > 0) {
            const int d = CompareEntries(lines[static_cast<std::size_t>(i) - 1], line);
            if (d < 0)
                continue;
            result.Line = i;
            result.Message = d == 0 ? Cp("Ошибка: повторение слова") : Cp("Ошибка: нарушен порядок слов");
            return result;
        }
    }
    result.StopLine = count;
    return result;
}

TDoublesResult DeleteDoubles(TStringList& lines, UserInterface& ui)
{
    TDoublesResult result;
    TStringList kept;
    kept.reserve(lines.size());
    std::size_t next = 0; // the line the walk stands on is kept.size() in the shrinking list
    while (next < lines.size()) {
        if (ui.IsEscPressed()) {
            result.Aborted = true;
            break;
        }
        std::string& line = lines[next];
        if (kept.size() % ProgressStep == 0)
            ui.SetStatusText(line);
        ++next;
        if (IsCommentLine(line)) {
            kept.push_back(std::move(line));
            continue;
        }
        if (!kept.empty() && line == kept.back()) {
            ++result.Removed;
            continue;
        }
        if (IsRuleLine(line))
            ++result.RuleCount;
        else
            ++result.WordFormCount;
        kept.push_back(std::move(line));
    }
    for (; next < lines.size(); ++next)
        kept.push_back(std::move(lines[next]));
    lines.swap(kept);
    return result;
}

std::string DoublesStatus(const TDoublesResult& result)
{
    std::string status = CountsStatus(result.WordFormCount, result.RuleCount) + Cp(", удалено дублей: ")
        + std::to_string(result.Removed);
    if (result.Aborted)
        status = Cp("Операция прервана. ") + status;
    return status;
}

namespace {

// The lines not yet removed, addressed by their rank among the remaining ones,
// so that a bisection sees exactly the list it would see had every removal
// been an erase. Ranks map to positions through a Fenwick tree of the
// remaining lines, built when a rank is first asked for after a removal: each
// access and each removal then costs O(log n) instead of the O(n) of erasing
// from the middle of a list.
class TRemainingLines
{
public:
    explicit TRemainingLines(const TStringList& lines)
        : m_lines(lines)
        , m_count(lines.size())
    {
    }

    std::size_t size() const { return m_count; }
    const std::string& operator[](std::size_t rank) const { return m_lines[Position(rank)]; }

    void RemoveRank(std::size_t rank) { RemovePosition(Position(rank)); }

    void RemovePosition(std::size_t position)
    {
        if (m_removed.empty())
            m_removed.assign(m_lines.size(), false);
        m_removed[position] = true;
        --m_count;
        if (!m_tree.empty()) {
            for (std::size_t i = position + 1; i < m_tree.size(); i += i & (~i + 1))
                --m_tree[i];
        }
    }

    bool IsRemoved(std::size_t position) const { return !m_removed.empty() && m_removed[position]; }

private:
    void BuildTree() const
    {
        const std::size_t n = m_lines.size();
        m_tree.assign(n + 1, 0);
        for (std::size_t i = 1; i <= n; ++i) {
            m_tree[i] += IsRemoved(i - 1) ? 0 : 1;
            const std::size_t parent = i + (i & (~i + 1));
            if (parent <= n)
                m_tree[parent] += m_tree[i];
        }
        m_highBit = 1;
        while (m_highBit * 2 <= n)
            m_highBit *= 2;
    }

    // The position of the remaining line of the given rank.
    std::size_t Position(std::size_t rank) const
    {
        if (m_count == m_lines.size())
            return rank;
        if (m_tree.empty())
            BuildTree();
        std::size_t position = 0;
        std::size_t wanted = rank + 1;
        for (std::size_t step = m_highBit; step != 0; step /= 2) {
            const std::size_t next = position + step;
            if (next < m_tree.size() && static_cast<std::size_t>(m_tree[next]) < wanted) {
                position = next;
                wanted -= static_cast<std::size_t>(m_tree[next]);
            }
        }
        return position;
    }

    const TStringList& m_lines;
    std::size_t m_count;
    std::vector<bool> m_removed;
    mutable std::vector<int> m_tree; // 1-based Fenwick tree over "still there" flags
    mutable std::size_t m_highBit = 1;
};

// Where the strictly ascending (by CompareFolded) tail of lines begins.
std::size_t AscendingTail(const TStringList& lines)
{
    std::size_t start = lines.size();
    while (start > 1 && CompareFolded(lines[start - 2], lines[start - 1]) < 0)
        --start;
    return start == 0 ? 0 : start - 1;
}

} // namespace

int SubtractLines(TStringList& lines, const TStringList& other)
{
    // A dictionary is a head in no particular order (its comment block, say)
    // and a tail that strictly ascends. For a line that sorts after every line
    // of the head, the shrinking list is ordered as far as that line can tell
    // and holds at most one equal of it, so every bisection lands on that equal
    // when it is still there, and wherever else it lands the line is not
    // identical: the equal is looked up in the tail directly, from where the
    // previous line was found, by galloping (a sorted file costs one merge).
    // Any other line follows the bisection over the shrinking list exactly.
    const auto cmp = [](const std::string& item, const std::string& key) { return CompareFolded(item, key); };
    const auto less = [](const std::string& a, const std::string& b) { return CompareFolded(a, b) < 0; };
    const std::size_t n = lines.size();
    const std::size_t tail = AscendingTail(lines);
    const std::string* headMax = nullptr;
    for (std::size_t i = 0; i < tail; ++i) {
        if (headMax == nullptr || CompareFolded(*headMax, lines[i]) < 0)
            headMax = &lines[i];
    }

    TRemainingLines rest(lines);
    int removed = 0;
    std::size_t from = tail;
    const std::string* previous = nullptr;
    for (const std::string& line : other) {
        if (rest.size() == 0)
            break;
        if (headMax != nullptr && CompareFolded(*headMax, line) >= 0) {
            const int k = FindInsertPos(rest, 0, static_cast<int>(rest.size()) - 1, cmp, line);
            if (k >= 0 && k < static_cast<int>(rest.size()) && rest[static_cast<std::size_t>(k)] == line) {
                rest.RemoveRank(static_cast<std::size_t>(k));
                ++removed;
            }
            continue;
        }
        const bool backwards = previous != nullptr && CompareFolded(*previous, line) > 0;
        previous = &line;
        std::size_t k = from;
        if (backwards) {
            // At or before where the previous line belongs.
            const auto last = static_cast<std::ptrdiff_t>(std::min(from + 1, n));
            k = static_cast<std::size_t>(std::lower_bound(lines.begin() + static_cast<std::ptrdiff_t>(tail),
                                             lines.begin() + last, line, less)
                - lines.begin());
        } else if (k < n && less(lines[k], line)) {
            std::size_t bound = 1;
            while (k + bound < n && less(lines[k + bound], line))
                bound *= 2;
            const auto first = static_cast<std::ptrdiff_t>(k + bound / 2 + 1);
            const auto last = static_cast<std::ptrdiff_t>(std::min(k + bound, n));
            k = static_cast<std::size_t>(
                std::lower_bound(lines.begin() + first, lines.begin() + last, line, less) - lines.begin());
        }
        from = k;
        if (k < n && !rest.IsRemoved(k) && lines[k] == line) {
            rest.RemovePosition(k);
            ++removed;
        }
    }
    if (removed == 0)
        return 0;
    TStringList result;
    result.reserve(rest.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!rest.IsRemoved(i))
            result.push_back(std::move(lines[i]));
    }
    lines.swap(result);
    return removed;
}

TSweepResult SweepWords(TStringList& words, const TStringList& dicLines, UserInterface& ui)
{
    TSweepResult result;
    const auto cmp = [](const std::string& item, const std::string& key) { return CompareFolded(item, key); };
    TStringList kept;
    kept.reserve(words.size());
    std::size_t next = 0; // the word the walk stands on is kept.size() in the shrinking list
    while (next < words.size()) {
        std::string& word = words[next];
        ui.SetStatusText(word);
        const int found = FindExact(dicLines, word, cmp);
        if (found >= 0 && dicLines[static_cast<std::size_t>(found)] == word)
            ++result.Removed;
        else
            kept.push_back(std::move(word));
        ++next;
        if (ui.IsEscPressed())
            break;
    }
    result.CaretLine = static_cast<int>(kept.size());
    for (; next < words.size(); ++next)
        kept.push_back(std::move(words[next]));
    words.swap(kept);
    if (result.CaretLine >= static_cast<int>(words.size()))
        result.CaretLine = std::max(static_cast<int>(words.size()) - 1, 0);
    return result;
}

std::string SweepMessage(int removed)
{
    std::string ending;
    CountEnding(removed, 2, ending);
    return std::to_string(removed) + Cp(" слов") + ending + Cp(" убрано из окна слов");
}

} // namespace tildo
