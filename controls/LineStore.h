// The text view's lines: kept in arrival order, grown in whole steps of 1024 positions,
// with the length of the longest line as the basis of the horizontal scroll range.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CLineStore {
public:
    static constexpr int kGrowStep = 1024;

    // Appends one line (a null text stores an empty line) and returns its index, or -1
    // when the store cannot grow any further.
    int AddLine(const char* text);
    // Grows once for the whole batch, then appends in order; false when not every line
    // fitted.
    // The lines are taken by value: a caller that hands them over with std::move
    // saves copying every line.
    bool AddLines(std::vector<std::string> lines);
    // Takes a text's length into the longest line without storing it (the single-text
    // mode of the view counts it too).
    void NoteLength(const char* text);
    // Forgets the lines and the longest line; the capacity stays.
    void Reset();

    int Count() const { return static_cast<int>(m_lines.size()); }
    int Capacity() const { return m_capacity; }
    int Longest() const { return m_longest; }
    // The line at index i; an empty line for an index outside the store.
    const std::string& Line(int i) const;
    // Exactly Count() lines, for the output file and the printer.
    const std::vector<std::string>& Lines() const { return m_lines; }

    // The length the view measures and draws: bytes up to the first NUL.
    static int VisibleLength(const std::string& line);

private:
    void TakeLength(size_t length);

    std::vector<std::string> m_lines;
    // The capacity the view reports. The vector itself grows geometrically: reserving it
    // in fixed steps of 1024 would move every stored line once per step, which makes a
    // million appends quadratic.
    int m_capacity = kGrowStep;
    int m_longest = 0;
};
