// Finding a text in the view's lines: forward or backward from a start line, going round
// the end once, with or without regard to letter case.
#pragma once

#include "core/LineStore.h"

#include <array>
#include <string>
#include <string_view>

// When letter case does not count, two bytes are the same letter when they have the same
// entry here (each byte's lower-case form in the code page of the lines).
using CaseFold = std::array<unsigned char, 256>;

// The 26 ASCII letters go to lower case; every other byte stays itself.
const CaseFold& AsciiCaseFold();

class CLineFinder {
public:
    // A text that holds a 0 byte is never found: no line holds one.
    CLineFinder(std::string_view text, bool matchCase, const CaseFold& fold = AsciiCaseFold());

    const std::string& Text() const { return m_text; }
    // Whether the line holds the text; a line never holds an empty text.
    bool Matches(std::string_view line) const;
    // The first line that holds the text, looking at every line once: from `start` on
    // towards the end and then from the first line (down), or from `start` back towards
    // the first line and then from the last (up). A start outside the lines is taken
    // round the end first (the line count is line 0, -1 the last line). -1 when no line
    // holds it.
    int Find(const CLineStore& lines, int start, bool down) const;

private:
    bool SameAt(const unsigned char* at) const;

    std::string m_text;
    std::string m_folded;  // each byte of the text in its folded form
    bool m_matchCase;
    bool m_findable;
    CaseFold m_fold{};
    // How far the text may move on when the byte under its last position is b: from the
    // end of the text back to the last earlier byte that counts as b.
    std::array<size_t, 256> m_shift{};
    // A one-byte text with no other case form is found with memchr.
    bool m_singleByte = false;
};
