#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tildo {

// A file-system path with its letters lower-cased by the CP1251 rules, for
// comparing paths without regard to letter case; other characters unchanged.
std::string FoldPathCase(std::string_view path);

struct TRecentEntry
{
    std::string Path;
    int Position = 0; // caret offset
};

// The recently opened texts, oldest first, at most nine, never two paths that
// are equal without regard to letter case.
class TRecentFiles
{
public:
    static constexpr int Capacity = 9;

    // 1-based number of the entry for path; 0 for an empty path or none.
    int Index(std::string_view path) const;
    // The stored position of path's entry, or 0.
    int Position(std::string_view path) const;
    // Adds an entry at the end, dropping the oldest when the list is full;
    // false (and nothing changes) for an empty path or one listed already.
    bool Add(const std::string& path, int position);
    // Stores the position in every entry for path.
    void SetPosition(std::string_view path, int position);
    void Clear();

    int Count() const { return static_cast<int>(m_entries.size()); }
    bool Empty() const { return m_entries.empty(); }
    // Entry number 1 … Count().
    const TRecentEntry& Entry(int number) const { return m_entries[static_cast<std::size_t>(number - 1)]; }
    std::vector<std::string> Paths() const;
    // True once an entry has been added during this run, even if the list was
    // cleared since: then the settings file gets all nine entries written.
    bool Started() const { return m_started; }

private:
    std::vector<TRecentEntry> m_entries;
    bool m_started = false;
};

} // namespace tildo
