#include "my_lists.h"

#include <algorithm>

namespace tildo {

void ThrowIndexError()
{
    throw std::out_of_range("list index out of range");
}

void TIntegerBuffer::Append(std::int32_t value)
{
    Add(value);
}

void TIntegerBuffer::DropOldest()
{
    Delete(0);
}

void TStringBuffer::Set(int index, std::string_view value)
{
    // The text goes after the others, like a new one; the old text's
    // characters are reclaimed with the dropped ones.
    const std::size_t offset = Place(value);
    Entry(index) = { offset, value.size() };
}

void TStringBuffer::GrowEntries()
{
    // Twice the entries, moved to the front in order.
    std::vector<TEntry> entries(m_entries.empty() ? 8 : m_entries.size() * 2);
    for (std::size_t i = 0; i < m_count; ++i)
        entries[i] = m_entries[(m_head + i) & m_mask];
    m_entries.swap(entries);
    m_mask = m_entries.size() - 1;
    m_head = 0;
}

void TStringBuffer::MakeRoom(std::size_t size)
{
    constexpr std::size_t MinimumText = 4096;
    std::size_t live = 0;
    for (std::size_t i = 0; i < m_count; ++i)
        live += m_entries[(m_head + i) & m_mask].Length;
    // At least half the buffer free after the move, so that moves are rare.
    std::size_t capacity = std::max(m_text.size(), MinimumText);
    while (live + size > capacity / 2)
        capacity *= 2;
    if (m_spare.size() < capacity)
        m_spare.assign(capacity, '\0');
    std::size_t used = 0;
    for (std::size_t i = 0; i < m_count; ++i) {
        TEntry& e = m_entries[(m_head + i) & m_mask];
        if (e.Length != 0)
            std::memcpy(m_spare.data() + used, m_text.data() + e.Offset, e.Length);
        e.Offset = used;
        used += e.Length;
    }
    m_text.swap(m_spare);
    m_used = used;
}

void TWordBuffer::DropOldest()
{
    Positions.DropOldest();
    Decisions.DropOldest();
    Words.DropOldest();
    Separators.DropOldest();
}

void TWordBuffer::Clear()
{
    Positions.Clear();
    Decisions.Clear();
    Words.Clear();
    Separators.Clear();
    Candidates.Clear();
}

} // namespace tildo
