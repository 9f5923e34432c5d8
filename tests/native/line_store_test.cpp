// The text view's line store: growth in whole steps, longest line, reset.
#include "controls/LineStore.h"

#include <gtest/gtest.h>

TEST(LineStore, AddLineGrowsByOneStepWhenFull)
{
    CLineStore store;
    EXPECT_EQ(store.Capacity(), 1024);
    for (int i = 0; i < 1024; ++i)
        ASSERT_EQ(store.AddLine("x"), i);
    EXPECT_EQ(store.Capacity(), 1024);
    EXPECT_EQ(store.AddLine("the 1025th"), 1024);
    EXPECT_EQ(store.Capacity(), 2048);
    EXPECT_EQ(store.Count(), 1025);
    EXPECT_EQ(store.Line(1024), "the 1025th");
}

TEST(LineStore, AddLinesGrowsByWholeStepsForTheBatch)
{
    CLineStore store;
    std::vector<std::string> thousand(1000, "a");
    EXPECT_TRUE(store.AddLines(thousand));
    EXPECT_EQ(store.Capacity(), 1024);

    std::vector<std::string> batch(5000);
    for (size_t i = 0; i < batch.size(); ++i)
        batch[i] = std::to_string(i);
    EXPECT_TRUE(store.AddLines(batch));
    EXPECT_EQ(store.Capacity(), 6144);
    EXPECT_EQ(store.Count(), 6000);
    EXPECT_EQ(store.Line(999), "a");
    EXPECT_EQ(store.Line(1000), "0");
    EXPECT_EQ(store.Line(5999), "4999");

    // Exactly filling the capacity does not grow it.
    CLineStore exact;
    EXPECT_TRUE(exact.AddLines(std::vector<std::string>(2048)));
    EXPECT_EQ(exact.Capacity(), 2048);
    EXPECT_TRUE(exact.AddLines(std::vector<std::string>{}));
    EXPECT_EQ(exact.Capacity(), 2048);
}

TEST(LineStore, LongestLineCountsBytesUpToNul)
{
    CLineStore store;
    store.AddLine("abc");
    EXPECT_EQ(store.Longest(), 3);
    EXPECT_EQ(store.AddLine(nullptr), 1);
    EXPECT_EQ(store.Line(1), "");
    EXPECT_EQ(store.Longest(), 3);
    store.AddLine("ab");
    EXPECT_EQ(store.Longest(), 3);

    // A line with a NUL inside ends there, as text does everywhere in the program.
    store.AddLines({std::string("abcdefgh\0xyzxyzxyz", 18)});
    EXPECT_EQ(store.Longest(), 8);
    EXPECT_EQ(store.Line(3), "abcdefgh");

    // The single text of the view is measured without being stored.
    store.NoteLength("0123456789");
    store.NoteLength(nullptr);
    EXPECT_EQ(store.Longest(), 10);
    EXPECT_EQ(store.Count(), 4);
}

TEST(LineStore, ResetKeepsCapacity)
{
    CLineStore store;
    for (int i = 0; i < 1500; ++i)
        store.AddLine("line");
    store.Reset();
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(store.Longest(), 0);
    EXPECT_EQ(store.Capacity(), 2048);
    EXPECT_EQ(store.AddLine("again"), 0);
    EXPECT_EQ(store.Line(0), "again");
    // Outside the store there is only an empty line.
    EXPECT_EQ(store.Line(1), "");
    EXPECT_EQ(store.Line(-1), "");
}

// One block of bytes behind every line: each line's data() ends in a 0 byte, a copy
// (the printer's snapshot) stays as it was while the original goes on, and a view that
// is empty takes a loaded store over whole.
TEST(LineStore, CopiesAndTakeoversKeepEveryLineIntact)
{
    CLineStore store;
    for (int i = 0; i < 3000; ++i)
        store.AddLine(std::string(static_cast<size_t>(i % 300), static_cast<char>('a' + i % 26)).c_str());
    const CLineStore snapshot = store;
    store.AddLine("after the snapshot");
    store.Reset();
    store.AddLine("reused");
    ASSERT_EQ(snapshot.Count(), 3000);
    for (int i = 0; i < 3000; ++i) {
        const std::string_view line = snapshot.Line(i);
        ASSERT_EQ(line, std::string(static_cast<size_t>(i % 300), static_cast<char>('a' + i % 26)));
        ASSERT_EQ(line.data()[line.size()], '\0');
    }
    EXPECT_EQ(snapshot.Longest(), 299);

    // Taken whole by an empty store, appended line by line to one with lines; either
    // way the capacity follows the whole-step rule.
    CLineStore empty;
    EXPECT_TRUE(empty.AddLines(CLineStore(snapshot)));
    EXPECT_EQ(empty.Count(), 3000);
    EXPECT_EQ(empty.Capacity(), 3072);
    EXPECT_EQ(empty.Line(2999), snapshot.Line(2999));
    EXPECT_TRUE(store.AddLines(CLineStore(snapshot)));
    EXPECT_EQ(store.Count(), 3001);
    EXPECT_EQ(store.Line(0), "reused");
    EXPECT_EQ(store.Line(3000), snapshot.Line(2999));
    EXPECT_EQ(store.Capacity(), 3072);
}
