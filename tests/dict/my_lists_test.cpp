#include "dict/my_lists.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace tildo
