// The text view's line store: growth in whole steps, longest line, reset, and copies
// that share the lines (the printer's snapshot).
#include "core/LineStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

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

// --- snapshots: copies that share the lines ------------------------------------------

namespace {
// Every allocation of this program goes through these, so a test can count the bytes a
// step takes, or make the next allocations of the test's own thread fail.
std::atomic<size_t> g_allocatedBytes{0};
thread_local int t_failFrom = -1;  // allocations of this thread from this number on fail
thread_local int t_allocations = 0;

void* Allocate(size_t size)
{
    if (t_failFrom >= 0 && t_allocations++ >= t_failFrom)
        return nullptr;
    g_allocatedBytes += size;
    return std::malloc(size ? size : 1);
}

struct FailAllocations {
    explicit FailAllocations(int from)
    {
        t_failFrom = from;
        t_allocations = 0;
    }
    ~FailAllocations() { t_failFrom = -1; }
};

std::string Numbered(int i)
{
    // Lengths 0 to 36, with the number inside, so that a line in the wrong place shows.
    return std::string(static_cast<size_t>(i % 29), static_cast<char>('a' + i % 26)) + std::to_string(i);
}
}  // namespace

void* operator new(size_t size)
{
    if (void* p = Allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size)
{
    if (void* p = Allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

// A copy holds exactly the lines [0, n) the store had, whatever the store does next:
// appends across blocks and index segments, long lines, Reset, and a Load into it.
// Without copying the lines: a copy of megabytes of lines takes a few pointers.
TEST(LineStoreSnapshot, SeesExactlyItsLinesWhileTheStoreGoesOn)
{
    CLineStore store;
    const int n = 9000;  // more than two segments of the index, several blocks of bytes
    const std::string longLine(3 * CLineStore::kLongLine + 7, 'L');
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(store.AddLine(i == 4321 ? longLine.c_str() : Numbered(i).c_str()), i);

    const size_t before = g_allocatedBytes;
    CLineStore snapshot(store);
    EXPECT_LT(g_allocatedBytes - before, 1024u) << "the copy took the lines' size";

    auto expectSnapshot = [&](const char* when) {
        SCOPED_TRACE(when);
        ASSERT_EQ(snapshot.Count(), n);
        EXPECT_EQ(snapshot.Longest(), static_cast<int>(longLine.size()));
        for (int i = 0; i < n; ++i) {
            const std::string_view line = snapshot.Line(i);
            ASSERT_EQ(line, i == 4321 ? longLine : Numbered(i)) << i;
            ASSERT_EQ(line.data()[line.size()], '\0');
        }
        EXPECT_EQ(snapshot.Line(n), "");
    };
    expectSnapshot("taken");

    // The store goes on into the slots and the block the snapshot shares, with a long
    // line among the new ones.
    for (int i = n; i < n + 5000; ++i)
        ASSERT_EQ(store.AddLine(i == n + 10 ? (longLine + "+").c_str() : Numbered(i).c_str()), i);
    EXPECT_EQ(store.Line(n + 10).size(), longLine.size() + 1);
    EXPECT_EQ(store.Line(n - 1), Numbered(n - 1));
    expectSnapshot("after appends");

    // The snapshot's own appends go elsewhere: neither sees the other's new lines.
    CLineStore second(snapshot);
    ASSERT_EQ(second.AddLine("only in the second copy"), n);
    ASSERT_EQ(second.AddLine(std::string(CLineStore::kLongLine, 'S').c_str()), n + 1);
    EXPECT_EQ(store.Line(n), Numbered(n));
    EXPECT_EQ(second.Line(n), "only in the second copy");
    EXPECT_EQ(second.Line(n + 1).size(), CLineStore::kLongLine);
    EXPECT_EQ(second.Line(4321), longLine);
    expectSnapshot("after the second copy's appends");

    // Clear: the store starts fresh storage; the snapshot keeps the old one.
    store.Reset();
    store.AddLine("after clear");
    EXPECT_EQ(store.Count(), 1);
    expectSnapshot("after reset");

    // Load: a store built in place from a file's bytes.
    const char file[] = "one\0two\0";
    char* bytes = store.Buffer(sizeof file - 1);
    ASSERT_NE(bytes, nullptr);
    std::memcpy(bytes, file, sizeof file - 1);
    ASSERT_TRUE(store.Commit(0, 3));
    ASSERT_TRUE(store.Commit(4, 3));
    EXPECT_EQ(store.Line(1), "two");
    expectSnapshot("after load");

    // The original may go entirely; the snapshot still reads its lines (ASan would see
    // freed memory otherwise).
    store = CLineStore();
    second = CLineStore();
    expectSnapshot("after the store is gone");
}

// A line of many megabytes: its length comes from what was noted when it was stored,
// in a store that was built in place as well as in one appended to.
TEST(LineStoreSnapshot, HugeLinesKeepTheirLengthsAndTheLongest)
{
    const size_t huge = (size_t{24} << 20) + 3;
    std::string text(huge, 'x');
    text[huge / 2] = 'M';
    CLineStore appended;
    appended.AddLine("before");
    ASSERT_EQ(appended.AddLine(text.c_str()), 1);
    appended.AddLine("after");
    EXPECT_EQ(appended.Line(1).size(), huge);
    EXPECT_EQ(appended.Line(1)[huge / 2], 'M');
    EXPECT_EQ(appended.Line(2), "after");
    EXPECT_EQ(appended.Longest(), static_cast<int>(huge));

    CLineStore loaded;
    char* bytes = loaded.Buffer(huge + 1 + 4);
    ASSERT_NE(bytes, nullptr);
    std::memcpy(bytes, text.c_str(), huge + 1);
    std::memcpy(bytes + huge + 1, "end", 4);
    ASSERT_TRUE(loaded.ReserveLines(2));
    ASSERT_TRUE(loaded.Commit(0, huge));
    ASSERT_TRUE(loaded.Commit(huge + 1, 3));
    const CLineStore copy = loaded;
    loaded.Reset();
    EXPECT_EQ(copy.Line(0).size(), huge);
    EXPECT_EQ(copy.Line(1), "end");
    EXPECT_EQ(copy.Longest(), static_cast<int>(huge));
}

// Memory that runs out on the way leaves the store as it was: AddLine says -1, and
// the same line goes in once memory is there again.
TEST(LineStoreSnapshot, AnAppendThatFindsNoMemoryChangesNothing)
{
    CLineStore store;
    for (int i = 0; i < 4096; ++i)
        store.AddLine(Numbered(i).c_str());
    // The next line needs a new segment of the index, a new block and a note of its
    // length: each allocation on the way is made to fail in turn.
    const CLineStore snapshot = store;
    const int longest = store.Longest();
    const int capacity = store.Capacity();
    const std::string longLine(CLineStore::kLongLine + 1, 'q');
    int failures = 0;
    for (int failAt = 0; failAt < 20 && store.Count() == 4096; ++failAt) {
        SCOPED_TRACE(failAt);
        int index;
        {
            FailAllocations fail(failAt);
            index = store.AddLine(longLine.c_str());
        }
        if (index >= 0) {
            EXPECT_EQ(index, 4096);
            EXPECT_EQ(store.Line(4096), longLine);
            break;
        }
        ++failures;
        EXPECT_EQ(store.Count(), 4096);
        EXPECT_EQ(store.Capacity(), capacity);
        EXPECT_EQ(store.Longest(), longest);
        EXPECT_EQ(store.Line(4095), Numbered(4095));
        EXPECT_EQ(store.Line(4096), "");
    }
    EXPECT_GE(failures, 3);
    ASSERT_EQ(store.Count(), 4097) << "the line never went in";
    EXPECT_EQ(store.Longest(), static_cast<int>(longLine.size()));
    EXPECT_EQ(snapshot.Count(), 4096);
    EXPECT_EQ(snapshot.Longest(), longest);

    // A Buffer that cannot be had is a null, not an exception.
    CLineStore loading;
    FailAllocations fail(0);
    EXPECT_EQ(loading.Buffer(1000), nullptr);
    EXPECT_EQ(loading.Count(), 0);
}
