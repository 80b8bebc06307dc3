#include "my_lists.h"

namespace tildo {

void TIntegerBuffer::DropOldest()
{
    Delete(0);
}

void TStringBuffer::PushBounded(std::string_view value)
{
    if (Count() >= m_limits->BufferCapacity())
        DropOldest();
    NextSlot().assign(value);
}

std::string& TStringBuffer::NextSlot()
{
    if (m_count == m_slots.size()) {
        // Full ring: twice the slots, the entries moved to the front in order.
        std::vector<std::string> slots(m_slots.empty() ? 8 : m_slots.size() * 2);
        for (std::size_t i = 0; i < m_count; ++i)
            slots[i].swap(m_slots[(m_head + i) & m_mask]);
        m_slots.swap(slots);
        m_mask = m_slots.size() - 1;
        m_head = 0;
    }
    return m_slots[(m_head + m_count++) & m_mask];
}

void TWordBuffer::Push(std::int32_t position, std::string_view word, std::string_view separator)
{
    Positions.PushBounded(position);
    Decisions.PushBounded(0);
    Words.PushBounded(word);
    Separators.PushBounded(separator);
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
