#include "my_lists.h"

namespace tildo {

void TIntegerBuffer::PushBounded(std::int32_t value)
{
    if (Count() >= m_limits->BufferCapacity())
        Delete(0);
    Add(value);
}

void TIntegerBuffer::DropOldest()
{
    Delete(0);
}

void TStringBuffer::PushBounded(std::string value)
{
    if (Count() >= m_limits->BufferCapacity())
        m_items.erase(m_items.begin());
    m_items.push_back(std::move(value));
}

void TStringBuffer::DropOldest()
{
    m_items.erase(m_items.begin());
}

void TWordBuffer::Push(std::int32_t position, std::string word, std::string separator)
{
    Positions.PushBounded(position);
    Decisions.PushBounded(0);
    Words.PushBounded(std::move(word));
    Separators.PushBounded(std::move(separator));
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
