#include "dict/my_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace tildo {
namespace {

TEST(Lists, IntegerListsBehaveAsOrderedLists)
{
    TIntegerList list;
    EXPECT_EQ(list.Add(10), 0);
    EXPECT_EQ(list.Add(30), 1);
    list.Insert(1, 20);
    list.Insert(3, 40);
    EXPECT_EQ(list.Count(), 4);
    list.Move(0, 3);
    EXPECT_EQ(list.Get(0), 20);
    EXPECT_EQ(list.Get(3), 10);
    list.Set(3, -5);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(2), -5);

    TShortIntList shorts;
    shorts.Add(-1);
    shorts.Add(127);
    EXPECT_EQ(shorts.Get(0), -1);
    EXPECT_EQ(shorts.Get(1), 127);
    shorts.Clear();
    EXPECT_EQ(shorts.Count(), 0);

    // Resized to zeros within the capacity or beyond it, old values never show.
    for (const int count : { 2, 100000 }) {
        shorts.Resize(2, 7);
        shorts.Clear();
        shorts.Resize(count, 0);
        EXPECT_EQ(shorts.Get(0), 0);
        EXPECT_EQ(shorts.Get(count - 1), 0);
        list.Resize(3 + count, 0);
        EXPECT_EQ(list.Get(2), -5);
        EXPECT_EQ(list.Get(3), 0);
        EXPECT_EQ(list.Get(2 + count), 0);
    }
}

TEST(Lists, BoundedBuffersDropTheOldest)
{
    TBufferLimits limits; // WordsBufferLength 3
    EXPECT_EQ(limits.BufferCapacity(), 4);
    EXPECT_EQ(limits.MaxCombiWords(), 3);
    TStringBuffer words(limits);
    for (const char* w : { "a", "b", "c" })
        words.PushBounded(w);
    EXPECT_EQ(words.Count(), 3);
    words.PushBounded("d");
    words.PushBounded("e");
    ASSERT_EQ(words.Count(), 4);
    EXPECT_EQ(words[0], "b");
    EXPECT_EQ(words[3], "e");
    words.Add("f"); // the ordinary append is unbounded
    EXPECT_EQ(words.Count(), 5);

    TIntegerBuffer one(limits);
    one.PushBounded(7);
    one.DropOldest();
    EXPECT_EQ(one.Count(), 0);

    limits.WordsBufferLength = 1; // the buffers read the current capacity at each push
    TIntegerBuffer small(limits);
    small.PushBounded(1);
    small.PushBounded(2);
    small.PushBounded(3);
    EXPECT_EQ(small.Count(), 2);
    EXPECT_EQ(small.Get(0), 2);
    EXPECT_EQ(small.Get(1), 3);
}

TEST(Lists, WordBufferKeepsItsListsInStep)
{
    TBufferLimits limits;
    TWordBuffer window(limits);
    window.Candidates.Add("x");
    for (int i = 0; i < 6; ++i) {
        window.Push(i * 10, "w" + std::to_string(i), " ");
        window.Decisions.Set(window.Decisions.Count() - 1, 2);
    }
    window.Push(60, "w6", ",");
    EXPECT_EQ(window.Positions.Count(), 4);
    EXPECT_EQ(window.Decisions.Count(), 4);
    EXPECT_EQ(window.Words.Count(), 4);
    EXPECT_EQ(window.Separators.Count(), 4);
    EXPECT_EQ(window.Decisions.Get(3), 0); // a new word starts undecided
    EXPECT_EQ(window.Words[0], "w3");
    EXPECT_EQ(window.Positions.Get(0), 30);
    window.DropOldest();
    EXPECT_EQ(window.Words.Count(), 3);
    EXPECT_EQ(window.Candidates.Count(), 1); // DropOldest leaves the candidates
    window.Clear();
    EXPECT_EQ(window.Candidates.Count(), 0);
    EXPECT_EQ(window.Words.Count(), 0);
}

TEST(Lists, StringBufferReusesItsSlotsInOrder)
{
    // Random bounded pushes, appends, drops and changes against a plain queue;
    // texts long enough to leave the strings' own storage now and then.
    TBufferLimits limits;
    TStringBuffer buffer(limits);
    std::deque<std::string> expected;
    std::mt19937 random(3);
    for (int step = 0; step < 20000; ++step) {
        const std::string text(
            random() % 5 == 0 ? random() % 3000 : random() % 40, static_cast<char>('a' + step % 26));
        switch (random() % 6) {
        case 0:
        case 1:
            buffer.PushBounded(text);
            if (static_cast<int>(expected.size()) >= limits.BufferCapacity())
                expected.pop_front();
            expected.push_back(text);
            break;
        case 2:
            if (!expected.empty() && random() % 2 == 0) {
                // An entry of its own, as a view, pushed again.
                const std::size_t i = random() % expected.size();
                const std::string copy = expected[i];
                buffer.PushBounded(buffer[static_cast<int>(i)]);
                if (static_cast<int>(expected.size()) >= limits.BufferCapacity())
                    expected.pop_front();
                expected.push_back(copy);
                break;
            }
            EXPECT_EQ(buffer.Add(text), static_cast<int>(expected.size()));
            expected.push_back(text);
            break;
        case 3:
            buffer.DropOldest();
            if (!expected.empty())
                expected.pop_front();
            break;
        case 4:
            if (!expected.empty()) {
                const int i = static_cast<int>(random() % expected.size());
                std::string& e = expected[static_cast<std::size_t>(i)];
                const std::size_t cut = e.empty() ? 0 : 1;
                buffer.Set(i, std::string_view(buffer[i]).substr(cut)); // from its own text
                e = e.substr(cut);
            }
            break;
        default:
            if (random() % 50 == 0) {
                buffer.Clear();
                expected.clear();
            }
        }
        ASSERT_EQ(buffer.Count(), static_cast<int>(expected.size()));
        for (int i = 0; i < buffer.Count(); ++i)
            ASSERT_EQ(buffer[i], expected[static_cast<std::size_t>(i)]);
    }
}

TEST(Lists, PackedStringsReadBackAsAppendedAndSearchLikeAVector)
{
    // Texts of every length up to one that needs many appends to fit, a
    // text with a zero byte, and empty ones in between.
    TPackedStringList packed;
    EXPECT_TRUE(packed.empty());
    EXPECT_EQ(packed.begin(), packed.end());
    std::vector<std::string> expected;
    std::mt19937 random(7);
    packed.reserve(4, 8); // smaller than what comes: the lists grow past it
    for (int i = 0; i < 3000; ++i) {
        std::string text(i == 1000 ? 70000 : random() % 20, static_cast<char>('a' + i % 26));
        if (i == 5)
            text = std::string("\0x", 3);
        packed.push_back(text);
        expected.push_back(text);
    }
    ASSERT_EQ(packed.size(), expected.size());
    EXPECT_FALSE(packed.empty());
    EXPECT_EQ(packed.back(), expected.back());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(packed[i], expected[i]) << i;
    EXPECT_TRUE(std::equal(packed.begin(), packed.end(), expected.begin(), expected.end()));
    EXPECT_EQ(packed.end() - packed.begin(), static_cast<std::ptrdiff_t>(expected.size()));

    // The last text changed in place leaves the others alone.
    packed.push_back("ab");
    packed.LastData()[1] = 'z';
    EXPECT_EQ(packed.back(), "az");
    EXPECT_EQ(packed[packed.size() - 2], expected.back());

    // A sorted list: bisection over it finds what it finds in a vector.
    TPackedStringList sorted;
    std::vector<std::string> words { "", "a", "ab", "abc", "b", "ba", "c" };
    for (const std::string& w : words)
        sorted.push_back(w);
    for (const std::string probe : { "", "a", "aa", "abc", "abd", "b", "c", "d" }) {
        const auto inPacked = std::lower_bound(sorted.begin(), sorted.end(), std::string_view(probe));
        const auto inVector = std::lower_bound(words.begin(), words.end(), probe);
        EXPECT_EQ(inPacked - sorted.begin(), inVector - words.begin()) << probe;
    }

    packed.clear();
    EXPECT_TRUE(packed.empty());
    EXPECT_EQ(packed.size(), 0U);
    packed.push_back("x");
    EXPECT_EQ(packed[0], "x");
}

} // namespace
} // namespace tildo
