// Finding a text in the view's lines.
//
// Every line is searched on its own, so a match never runs from one line into the next.
// Within a line the text is looked for from left to right by the byte under its last
// position, moving on as far as that byte allows (Horspool's method); letter case is
// taken into the table of moves, so a search without case costs no more than one with.
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
    const size_t n = m_text.size();
    const auto folded = [this](char c) { return m_fold[static_cast<unsigned char>(c)]; };
    m_folded = m_text;
    for (char& c : m_folded)
        c = static_cast<char>(folded(c));
    std::array<size_t, 256> byFolded{};
    byFolded.fill(n);
    for (size_t j = 0; j + 1 < n; ++j)
        byFolded[folded(m_text[j])] = n - 1 - j;
    for (size_t b = 0; b < 256; ++b)
        m_shift[b] = byFolded[m_fold[b]];
    if (n == 1) {
        int forms = 0;
        for (size_t b = 1; b < 256; ++b)
            forms += m_fold[b] == folded(m_text[0]) ? 1 : 0;
        m_singleByte = forms == 1;
    }
}

bool CLineFinder::SameAt(const unsigned char* at) const
{
    if (m_matchCase)
        return std::memcmp(at, m_text.data(), m_text.size()) == 0;
    for (size_t i = 0; i < m_folded.size(); ++i)
        if (m_fold[at[i]] != static_cast<unsigned char>(m_folded[i]))
            return false;
    return true;
}

bool CLineFinder::Matches(std::string_view line) const
{
    const size_t n = m_text.size();
    if (!m_findable || line.size() < n)
        return false;
    if (m_singleByte)
        return std::memchr(line.data(), m_text[0], line.size()) != nullptr;
    const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
    const unsigned char last = static_cast<unsigned char>(m_folded[n - 1]);
    for (size_t at = 0; at + n <= line.size(); at += m_shift[bytes[at + n - 1]]) {
        if (m_fold[bytes[at + n - 1]] == last && SameAt(bytes + at))
            return true;
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
    // Each line is read once here, its length with it.
    const auto holds = [&](int i) {
        const char* text = lines.Text(i);
        return Matches(std::string_view(text, std::strlen(text)));
    };
    if (down) {
        for (int i = first; i < count; ++i)
            if (holds(i))
                return i;
        for (int i = 0; i < first; ++i)
            if (holds(i))
                return i;
    } else {
        for (int i = first; i >= 0; --i)
            if (holds(i))
                return i;
        for (int i = count - 1; i > first; --i)
            if (holds(i))
                return i;
    }
    return -1;
}
