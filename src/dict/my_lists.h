#pragma once

#include <algorithm>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildo {

// The one place where the length of the word window decides both the window's
// capacity and the longest combination: read from the settings key
// WordsBufferLength at start-up and fixed for the run.
struct TBufferLimits
{
    int WordsBufferLength = 3;

    int BufferCapacity() const { return WordsBufferLength + 1; }
    int MaxCombiWords() const { return WordsBufferLength; }
};

// Throws std::out_of_range for a list index out of range (kept out of line, off the hot paths).
[[noreturn]] void ThrowIndexError();

// Storage for the lists of small values: fresh blocks come zeroed from
// calloc (a large one as pages the system maps on first touch), and an entry
// made without a value is left as the block holds it. A pass sizes its state
// lists to the whole dictionary and touches the entries of its own words.
template <class T> struct TZeroedAllocator
{
    using value_type = T;
    TZeroedAllocator() = default;
    template <class U> TZeroedAllocator(const TZeroedAllocator<U>&) noexcept { }
    T* allocate(std::size_t n)
    {
        void* p = std::calloc(n, sizeof(T));
        if (p == nullptr)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) noexcept { std::free(p); }
    template <class U, class... A> void construct(U* p, A&&... args)
    {
        if constexpr (sizeof...(A) == 0)
            ::new (static_cast<void*>(p)) U;
        else
            ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
    template <class U> bool operator==(const TZeroedAllocator<U>&) const noexcept { return true; }
};

// Ordered growable list of values, indexed from 0.
template <class T> class TValueList
{
public:
    int Add(T value)
    {
        m_items.push_back(value);
        return static_cast<int>(m_items.size()) - 1;
    }
    void Insert(int index, T value)
    {
        if (index < 0 || index > Count())
            throw std::out_of_range("list index out of range");
        // Shifted by hand: the lists hold a handful to a few hundred thousand
        // small values, and g++ 12 misreads vector::insert/erase at -O2.
        m_items.push_back(value);
        for (std::size_t i = m_items.size() - 1; i > static_cast<std::size_t>(index); --i)
            m_items[i] = m_items[i - 1];
        m_items[static_cast<std::size_t>(index)] = value;
    }
    T Get(int index) const { return m_items[static_cast<std::size_t>(index)]; }
    void Set(int index, T value) { m_items[static_cast<std::size_t>(index)] = value; }
    T operator[](int index) const { return Get(index); }
    int Count() const { return static_cast<int>(m_items.size()); }
    void Clear() { m_items.clear(); }
    void Delete(int index)
    {
        if (index < 0 || index >= Count())
            throw std::out_of_range("list index out of range");
        for (std::size_t i = static_cast<std::size_t>(index); i + 1 < m_items.size(); ++i)
            m_items[i] = m_items[i + 1];
        m_items.pop_back();
    }
    // Removes entry 0 and appends value: Delete(0) and Add in one pass.
    void ShiftIn(T value)
    {
        if (m_items.empty())
            ThrowIndexError();
        // Each entry takes the place of the one before it: one block move
        // (the word window does this twice for every word of a text).
        std::move(m_items.begin() + 1, m_items.end(), m_items.begin());
        m_items.back() = std::move(value);
    }
    void Move(int from, int to)
    {
        const T value = Get(from);
        Delete(from);
        Insert(to, value);
    }
    // Grows or shrinks to count entries; new entries get value.
    void Resize(int count, T value)
    {
        const auto n = static_cast<std::size_t>(count);
        // Zeros beyond the capacity come from a fresh calloc block; within it
        // the old entries' bytes remain, and are overwritten.
        if (value == T {} && n > m_items.capacity())
            m_items.resize(n);
        else
            m_items.resize(n, value);
    }
    void Reserve(int count) { m_items.reserve(static_cast<std::size_t>(count)); }
    // Sets every entry to value.
    void Fill(T value) { std::fill(m_items.begin(), m_items.end(), value); }

private:
    std::vector<T, TZeroedAllocator<T>> m_items;
};

// 32-bit signed integers.
using TIntegerList = TValueList<std::int32_t>;
// 8-bit signed integers: flags and answers (0, 1, 2).
using TShortIntList = TValueList<std::int8_t>;

// A TIntegerList whose bounded push never lets it hold more than its capacity.
class TIntegerBuffer : public TIntegerList
{
public:
    explicit TIntegerBuffer(const TBufferLimits& limits)
        : m_limits(&limits)
    {
    }
    void PushBounded(std::int32_t value)
    {
        if (Count() >= m_limits->BufferCapacity())
            ShiftIn(value);
        else
            Append(value);
    }
    // Removes entry 0; the buffer must not be empty.
    void DropOldest();

private:
    // Add, out of line: a window grows only while it fills.
    void Append(std::int32_t value);

    const TBufferLimits* m_limits;
};

// A string list with the same bounded push beside its ordinary append. The
// word window pushes and drops a string for every word of a text, so the
// texts are kept one after another in a buffer of characters of their own,
// and the entries (where each text lies) in a ring that is never shifted;
// the texts of dropped entries are reclaimed when the buffer is full.
//
// An entry reads as a view of the buffer: it stays valid until the next
// change of this list (Add, PushBounded, Set).
class TStringBuffer
{
public:
    explicit TStringBuffer(const TBufferLimits& limits)
        : m_limits(&limits)
    {
    }
    int Add(std::string_view value)
    {
        Append(value);
        return Count() - 1;
    }
    void PushBounded(std::string_view value)
    {
        if (Count() >= m_limits->BufferCapacity())
            DropOldest();
        Append(value);
    }
    // Removes entry 0; nothing happens to an empty buffer.
    void DropOldest()
    {
        if (m_count == 0)
            return;
        m_head = (m_head + 1) & m_mask;
        --m_count;
    }
    std::string_view operator[](int index) const
    {
        const TEntry& e = Entry(index);
        return { m_text.data() + e.Offset, e.Length };
    }
    std::string_view Get(int index) const { return (*this)[index]; }
    void Set(int index, std::string_view value);
    int Count() const { return static_cast<int>(m_count); }
    void Clear() { m_head = m_count = m_used = 0; }

private:
    struct TEntry
    {
        std::size_t Offset = 0;
        std::size_t Length = 0;
    };
    TEntry& Entry(int index) { return m_entries[(m_head + static_cast<std::size_t>(index)) & m_mask]; }
    const TEntry& Entry(int index) const
    {
        return m_entries[(m_head + static_cast<std::size_t>(index)) & m_mask];
    }
    // A new last entry with the text.
    void Append(std::string_view value)
    {
        if (m_count == m_entries.size())
            GrowEntries();
        const std::size_t offset = Place(value);
        m_entries[(m_head + m_count++) & m_mask] = { offset, value.size() };
    }
    // Copies the text after the texts in use; returns where it went. The
    // text may come from this list: it lies before m_used, or in the old
    // buffer after a move, never where it goes.
    std::size_t Place(std::string_view value)
    {
        if (value.size() > m_text.size() - m_used)
            MakeRoom(value.size());
        const std::size_t offset = m_used;
        CopyText(m_text.data() + offset, value.data(), value.size());
        m_used += value.size();
        return offset;
    }
    // memcpy, without a library call for the few bytes of a word or a gap.
    static void CopyText(char* to, const char* from, std::size_t size)
    {
        if (size >= 8 && size <= 16) {
            std::uint64_t a;
            std::uint64_t b;
            std::memcpy(&a, from, 8);
            std::memcpy(&b, from + size - 8, 8);
            std::memcpy(to, &a, 8);
            std::memcpy(to + size - 8, &b, 8);
        } else if (size >= 4 && size < 8) {
            std::uint32_t a;
            std::uint32_t b;
            std::memcpy(&a, from, 4);
            std::memcpy(&b, from + size - 4, 4);
            std::memcpy(to, &a, 4);
            std::memcpy(to + size - 4, &b, 4);
        } else if (size < 4) {
            if (size == 0)
                return;
            // 1 to 3 bytes: the first, the middle and the last cover them.
            const char first = from[0];
            const char middle = from[size / 2];
            const char last = from[size - 1];
            to[0] = first;
            to[size / 2] = middle;
            to[size - 1] = last;
        } else {
            std::memcpy(to, from, size);
        }
    }
    void GrowEntries();
    // Moves the texts of the entries to the front of a buffer with room for
    // size more characters. The old characters stay readable until the next
    // call (a text being placed may come from them).
    void MakeRoom(std::size_t size);

    const TBufferLimits* m_limits;
    std::vector<TEntry> m_entries; // a ring, a power of two of them, or none
    std::size_t m_mask = 0; // entry count - 1
    std::size_t m_head = 0; // the place of entry 0
    std::size_t m_count = 0;
    std::vector<char> m_text; // the texts, [0, m_used) written
    std::vector<char> m_spare; // the buffer of the texts before the last move
    std::size_t m_used = 0;
};

// A list of many short texts kept one after another in one buffer, with where
// each begins: a dictionary of a few hundred thousand words then costs its
// characters and four bytes a word, where a vector of strings costs 32 bytes
// a word and an allocation for each longer one, and loading it allocates a
// few times instead of once a word. Texts are only ever appended; an entry
// reads as a view that stays valid until the next append or clear.
class TPackedStringList
{
public:
    class TIterator
    {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        TIterator() = default;
        TIterator(const TPackedStringList* list, std::size_t index)
            : m_list(list)
            , m_index(index)
        {
        }
        std::string_view operator*() const { return (*m_list)[m_index]; }
        std::string_view operator[](difference_type n) const
        {
            return (*m_list)[m_index + static_cast<std::size_t>(n)];
        }
        TIterator& operator++()
        {
            ++m_index;
            return *this;
        }
        TIterator operator++(int)
        {
            TIterator old = *this;
            ++m_index;
            return old;
        }
        TIterator& operator--()
        {
            --m_index;
            return *this;
        }
        TIterator operator--(int)
        {
            TIterator old = *this;
            --m_index;
            return old;
        }
        TIterator& operator+=(difference_type n)
        {
            m_index += static_cast<std::size_t>(n);
            return *this;
        }
        TIterator& operator-=(difference_type n)
        {
            m_index -= static_cast<std::size_t>(n);
            return *this;
        }
        friend TIterator operator+(TIterator it, difference_type n) { return it += n; }
        friend TIterator operator+(difference_type n, TIterator it) { return it += n; }
        friend TIterator operator-(TIterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const TIterator& a, const TIterator& b)
        {
            return static_cast<difference_type>(a.m_index) - static_cast<difference_type>(b.m_index);
        }
        friend bool operator==(const TIterator& a, const TIterator& b) { return a.m_index == b.m_index; }
        friend auto operator<=>(const TIterator& a, const TIterator& b) { return a.m_index <=> b.m_index; }

    private:
        const TPackedStringList* m_list = nullptr;
        std::size_t m_index = 0;
    };

    std::size_t size() const { return m_starts.size() - 1; }
    bool empty() const { return m_starts.size() == 1; }
    std::string_view operator[](std::size_t index) const
    {
        const std::uint32_t begin = m_starts[index];
        return { m_text.data() + begin, m_starts[index + 1] - begin };
    }
    std::string_view back() const { return (*this)[size() - 1]; }
    TIterator begin() const { return { this, 0 }; }
    TIterator end() const { return { this, size() }; }

    void clear()
    {
        m_text.clear();
        m_starts.assign(1, 0);
    }
    // Room for count more texts of bytes characters in all.
    void reserve(std::size_t count, std::size_t bytes)
    {
        m_starts.reserve(m_starts.size() + count);
        m_text.reserve(m_text.size() + bytes);
    }
    void push_back(std::string_view text)
    {
        if (text.size() > MaxBytes - m_text.size())
            throw std::length_error("word list too large");
        m_text.append(text);
        m_starts.push_back(static_cast<std::uint32_t>(m_text.size()));
    }
    // The characters of the last text, to be changed in place.
    char* LastData() { return m_text.data() + m_starts[m_starts.size() - 2]; }
    // Gives back the room reserved beyond the texts.
    void ShrinkToFit()
    {
        m_text.shrink_to_fit();
        m_starts.shrink_to_fit();
    }

private:
    static constexpr std::size_t MaxBytes = 0xFFFFFFFFu;

    std::string m_text;
    std::vector<std::uint32_t> m_starts
        = std::vector<std::uint32_t>(1, 0); // text i is [m_starts[i], m_starts[i + 1])
};

// The window of the most recent words of the text, oldest first. The first
// four lists always hold the same number of entries; Candidates is separate.
class TWordBuffer
{
public:
    explicit TWordBuffer(const TBufferLimits& limits)
        : Positions(limits)
        , Decisions(limits)
        , Words(limits)
        , Separators(limits)
        , Candidates(limits)
    {
    }

    TIntegerBuffer Positions; // offset of the word's first letter
    TIntegerBuffer Decisions; // 0 none, 1 е, 2 ё, set by a matched combination
    TStringBuffer Words; // the word as written
    TStringBuffer Separators; // the text before the word, blanks collapsed
    TStringBuffer Candidates; // combination texts for the oldest word, unbounded

    void Push(std::int32_t position, std::string_view word, std::string_view separator)
    {
        Positions.PushBounded(position);
        Decisions.PushBounded(0);
        Words.PushBounded(word);
        Separators.PushBounded(separator);
    }
    void DropOldest();
    void Clear();
};

} // namespace tildo
