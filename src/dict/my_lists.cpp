#include "my_lists.h"

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

void TStringBuffer::Grow()
{
    // Twice the slots, the entries moved to the front in order.
    std::vector<std::string> slots(m_slots.empty() ? 8 : m_slots.size() * 2);
    for (std::size_t i = 0; i < m_count; ++i)
        slots[i].swap(m_slots[(m_head + i) & m_mask]);
    m_slots.swap(slots);
    m_mask = m_slots.size() - 1;
    m_head = 0;
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
