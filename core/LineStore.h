// The text view's lines: kept in arrival order, grown in whole steps of 1024 positions,
// with the length of the longest line as the basis of the horizontal scroll range.
//
// Lines are only ever appended (until Reset), and the bytes of a stored line never move
// or change: they live in blocks of bytes that are never reallocated, each line followed
// by a 0 byte, and the lines' start addresses live in fixed-size segments. Blocks and
// segments are held by shared ownership, so a copy of a store (the printer's snapshot)
// costs a few pointers, not the lines: it sees exactly the lines the store had when it
// was made, whatever the store does afterwards. Reset and Buffer give the store fresh
// storage and leave the old one to whatever copy still holds it.
//
// A store and its copies must be used from one thread.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CLineStore {
public:
    static constexpr int kGrowStep = 1024;
    // Lines at least this long have their length noted, so that finding the length of a
    // huge line does not mean reading all of it.
    static constexpr size_t kLongLine = 4096;

    CLineStore() = default;
    // Shares every line stored so far; throws std::bad_alloc when even the few pointers
    // it needs cannot be had.
    CLineStore(const CLineStore& other);
    CLineStore& operator=(const CLineStore& other);
    CLineStore(CLineStore&& other) noexcept;
    CLineStore& operator=(CLineStore&& other) noexcept;

    // Appends one line, its bytes up to the first NUL (a null text stores an empty line),
    // and returns its index; -1, with the store unchanged, when it cannot grow any further
    // (no capacity left, or no memory).
    int AddLine(const char* text);
    // Grows once for the whole batch, then appends in order (each line up to its first
    // NUL); false when not every line fitted.
    bool AddLines(const std::vector<std::string>& lines);
    // The same for the lines of another store; an empty store simply takes them over.
    bool AddLines(CLineStore&& lines);
    // Takes a text's length into the longest line without storing it (the single-text
    // mode of the view counts it too).
    void NoteLength(const char* text);
    // Forgets the lines and the longest line; the capacity stays. The storage is let go
    // (a copy may still hold it) and the next line starts fresh storage.
    void Reset();

    int Count() const { return static_cast<int>(m_count); }
    int Capacity() const { return m_capacity; }
    int Longest() const { return m_longest; }
    // The line at index i, its data() 0-terminated; an empty line for an index outside
    // the store. Valid as long as this store or a copy of it holds the line. Its length
    // is found without reading all of a long line.
    std::string_view Line(int i) const;
    // Length of line i in bytes (0 outside the store).
    size_t Length(int i) const;
    // The 0-terminated bytes of line i, 0 <= i < Count(), with no work to find the
    // length: for a pass over many lines that reads each line anyway.
    const char* Text(int i) const { return Start(static_cast<size_t>(i)); }

    // Building a store from a file's bytes in place: Buffer(n) empties the store and
    // gives room for exactly n bytes (null when memory is short); the caller fills it and
    // rewrites it so that every line is followed by a 0 byte, then names each line's
    // start and length, in order, with Commit (ReserveLines first, when the number is
    // known, saves growing the index on the way). Bytes between the end of one line and
    // the start of the next are never read.
    char* Buffer(size_t size);
    bool ReserveLines(size_t lines);
    bool Commit(size_t start, size_t length);

private:
    // Starts of lines per segment: 4096, so that line i is in segment i >> 12.
    static constexpr int kSegmentShift = 12;
    static constexpr size_t kSegmentLines = size_t{1} << kSegmentShift;
    using Segment = std::shared_ptr<const char*[]>;
    struct LongLine {
        size_t index;
        size_t length;
    };
    using LongLines = std::vector<LongLine>;

    const char* Start(size_t i) const
    {
        return m_segments[i >> kSegmentShift][i & (kSegmentLines - 1)];
    }
    bool GrowFor(size_t lines);
    void TakeLength(size_t length);
    // Room for `bytes` more bytes at m_tail; false when memory is short.
    bool RoomFor(size_t bytes);
    // Enters the next line's start (and its length when it is long); false, with nothing
    // changed, when memory is short.
    bool PushStart(const char* start, size_t length);
    int Append(const char* text, size_t length);

    // Every block of bytes the lines are in. Only the free room of the last block that
    // this store made itself (m_tail, m_tailFree) is ever written to.
    std::vector<std::shared_ptr<char>> m_blocks;
    char* m_tail = nullptr;
    size_t m_tailFree = 0;
    size_t m_nextBlock = 0;  // size of the next block for appended lines
    std::vector<Segment> m_segments;
    // Whether the free slots of the last segment are this store's to fill: not for a copy,
    // which shares it with the store it was made from.
    bool m_ownsLastSegment = false;
    size_t m_count = 0;
    // The long lines, by index; never changed while a copy shares the list.
    std::shared_ptr<LongLines> m_long;
    // The capacity the view reports; the storage itself grows as lines come.
    int m_capacity = kGrowStep;
    int m_longest = 0;
};
