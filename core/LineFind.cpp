// Finding a text in the view's lines.
//
// Every line is searched on its own, so a match never runs from one line into the next.
// The search looks for one byte of the text (the anchor) with memchr and compares the
// whole text only where it is found; when case does not count, the anchor is a byte with
// no other case form where the text has one, so memchr still does the scanning.
#include "core/LineFind.h"

#include <cstring>

namespace {
CaseFold MakeAsciiFold()
{
    CaseFold fold{};
    for (int b = 0; b < 256; ++b)
        fold[static_cast<size_t>(b)] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
    return fold;
}

CaseFold IdentityFold()
{
    CaseFold fold{};
    for (int b = 0; b < 256; ++b)
        fold[static_cast<size_t>(b)] = static_cast<unsigned char>(b);
    return fold;
}
}  // namespace

const CaseFold& AsciiCaseFold()
{
    static const CaseFold fold = MakeAsciiFold();
    return fold;
}

CLineFinder::CLineFinder(std::string_view text, bool matchCase, const CaseFold& fold)
    : m_text(text), m_matchCase(matchCase),
      m_findable(!text.empty() && text.find('\0') == std::string_view::npos),
      m_fold(matchCase ? IdentityFold() : fold)
{
    if (!m_findable)
        return;
    // The bytes that count as the text's byte at `at`.
    const auto formsOf = [this](size_t at) {
        const unsigned char wanted = m_fold[static_cast<unsigned char>(m_text[at])];
        int forms = 0;
        for (int b = 1; b < 256; ++b)
            if (m_fold[static_cast<size_t>(b)] == wanted)
                ++forms;
        return forms;
    };
    m_anchorAt = 0;
    for (size_t at = 0; at < m_text.size(); ++at) {
        if (formsOf(at) == 1) {
            m_anchorAt = at;
            break;
        }
    }
    const unsigned char wanted = m_fold[static_cast<unsigned char>(m_text[m_anchorAt])];
    for (int b = 1; b < 256; ++b) {
        if (m_fold[static_cast<size_t>(b)] != wanted)
            continue;
        m_isAnchor[static_cast<size_t>(b)] = true;
        if (m_anchorForms < 2)
            m_anchor[m_anchorForms] = static_cast<unsigned char>(b);
        ++m_anchorForms;
    }
}

const char* CLineFinder::NextCandidate(const char* at, const char* last) const
{
    if (at > last)
        return nullptr;
    const size_t span = static_cast<size_t>(last - at) + 1;
    if (m_anchorForms == 1)
        return static_cast<const char*>(std::memchr(at, m_anchor[0], span));
    if (m_anchorForms == 2) {
        const char* first = static_cast<const char*>(std::memchr(at, m_anchor[0], span));
        const size_t before = first ? static_cast<size_t>(first - at) : span;
        const char* second = static_cast<const char*>(std::memchr(at, m_anchor[1], before));
        return second ? second : first;
    }
    for (const char* p = at; p <= last; ++p)
        if (m_isAnchor[static_cast<unsigned char>(*p)])
            return p;
    return nullptr;
}

bool CLineFinder::SameAt(const char* at) const
{
    if (m_matchCase)
        return std::memcmp(at, m_text.data(), m_text.size()) == 0;
    for (size_t i = 0; i < m_text.size(); ++i)
        if (m_fold[static_cast<unsigned char>(at[i])] != m_fold[static_cast<unsigned char>(m_text[i])])
            return false;
    return true;
}

bool CLineFinder::Matches(std::string_view line) const
{
    const size_t n = m_text.size();
    if (!m_findable || line.size() < n)
        return false;
    const char* at = line.data() + m_anchorAt;
    const char* last = line.data() + (line.size() - n) + m_anchorAt;
    while (const char* anchor = NextCandidate(at, last)) {
        if (SameAt(anchor - m_anchorAt))
            return true;
        at = anchor + 1;
    }
    return false;
}

int CLineFinder::Find(const CLineStore& lines, int start, bool down) const
{
    const int count = lines.Count();
    if (count <= 0 || !m_findable)
        return -1;
    int first = start % count;
    if (first < 0)
        first += count;
    if (down) {
        for (int i = first; i < count; ++i)
            if (Matches(lines.Line(i)))
                return i;
        for (int i = 0; i < first; ++i)
            if (Matches(lines.Line(i)))
                return i;
    } else {
        for (int i = first; i >= 0; --i)
            if (Matches(lines.Line(i)))
                return i;
        for (int i = count - 1; i > first; --i)
            if (Matches(lines.Line(i)))
                return i;
    }
    return -1;
}
