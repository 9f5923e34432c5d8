// The text view's lines: kept in arrival order, grown in whole steps of 1024 positions,
// with the length of the longest line as the basis of the horizontal scroll range.
// All lines live in one block of bytes, each followed by a 0 byte, and one array of
// their start offsets: a million lines are two allocations, not a million, and a copy
// of the store (the printer's snapshot) is two block copies.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CLineStore {
public:
    static constexpr int kGrowStep = 1024;

    CLineStore() = default;
    CLineStore(const CLineStore& other);
    CLineStore& operator=(const CLineStore& other);
    CLineStore(CLineStore&& other) noexcept;
    CLineStore& operator=(CLineStore&& other) noexcept;

    // Appends one line, its bytes up to the first NUL (a null text stores an empty line),
    // and returns its index; -1 when the store cannot grow any further.
    int AddLine(const char* text);
    // Grows once for the whole batch, then appends in order (each line up to its first
    // NUL); false when not every line fitted.
    bool AddLines(const std::vector<std::string>& lines);
    // The same for the lines of another store; an empty store simply takes them over.
    bool AddLines(CLineStore&& lines);
    // Takes a text's length into the longest line without storing it (the single-text
    // mode of the view counts it too).
    void NoteLength(const char* text);
    // Forgets the lines and the longest line; the capacity stays.
    void Reset();

    int Count() const { return static_cast<int>(m_starts.size()); }
    int Capacity() const { return m_capacity; }
    int Longest() const { return m_longest; }
    // The line at index i, its data() 0-terminated; an empty line for an index outside
    // the store. Valid until the store next changes.
    std::string_view Line(int i) const;

    // Building a store from a file's bytes in place: Buffer(n) empties the store and
    // gives room for exactly n bytes (null when memory is short); the caller fills it and
    // rewrites it so that every line is followed by a 0 byte, then names each line's
    // start and length, in order, with Commit (ReserveLines first, when the number is
    // known, saves growing the offsets on the way). Bytes between the end of one line and the
    // start of the next are never read.
    char* Buffer(size_t size);
    bool ReserveLines(size_t lines);
    bool Commit(size_t start, size_t length);

private:
    struct FreeBytes {
        void operator()(char* p) const;
    };
    bool Reserve(size_t bytes, bool exact = false);
    bool GrowFor(size_t lines);
    void TakeLength(size_t length);
    int Append(const char* text, size_t length);

    std::unique_ptr<char, FreeBytes> m_bytes;
    size_t m_used = 0;
    size_t m_reserved = 0;
    std::vector<size_t> m_starts;
    // The capacity the view reports; the arrays themselves grow geometrically.
    int m_capacity = kGrowStep;
    int m_longest = 0;
};
