#include "recent_files.h"

#include "text/cp1251.h"
#include "text/letters.h"

namespace tildo {

std::string FoldPathCase(std::string_view path)
{
    std::string out;
    out.reserve(path.size());
    std::size_t i = 0;
    while (i < path.size()) {
        const std::size_t start = i;
        char32_t ch = 0;
        if (!NextUtf8(path, i, ch)) {
            // Not UTF-8: a byte of a CP1251 name.
            out += LowerChar(path[start]);
            continue;
        }
        const int b = UnicodeToCp1251(ch);
        if (b < 0) {
            out.append(path.substr(start, i - start));
            continue;
        }
        AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(LowerChar(static_cast<char>(b)))));
    }
    return out;
}

int TRecentFiles::Index(std::string_view path) const
{
    if (path.empty())
        return 0;
    const std::string key = FoldPathCase(path);
    for (std::size_t k = 0; k < m_entries.size(); ++k) {
        if (FoldPathCase(m_entries[k].Path) == key)
            return static_cast<int>(k) + 1;
    }
    return 0;
}

int TRecentFiles::Position(std::string_view path) const
{
    const int index = Index(path);
    return index == 0 ? 0 : Entry(index).Position;
}

bool TRecentFiles::Add(const std::string& path, int position)
{
    if (path.empty() || Index(path) != 0)
        return false;
    m_started = true;
    if (Count() >= Capacity)
        m_entries.erase(m_entries.begin());
    m_entries.push_back(TRecentEntry { path, position });
    return true;
}

void TRecentFiles::SetPosition(std::string_view path, int position)
{
    if (path.empty())
        return;
    const std::string key = FoldPathCase(path);
    for (auto& entry : m_entries) {
        if (FoldPathCase(entry.Path) == key)
            entry.Position = position;
    }
}

void TRecentFiles::Clear()
{
    m_entries.clear();
}

std::vector<std::string> TRecentFiles::Paths() const
{
    std::vector<std::string> out;
    out.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        out.push_back(entry.Path);
    return out;
}

} // namespace tildo
