// The text view's line store.
#include "controls/LineStore.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {
// The largest capacity that is still a whole number of steps and fits an int.
constexpr int kMaxCapacity = INT_MAX / CLineStore::kGrowStep * CLineStore::kGrowStep;

const std::string& EmptyLine()
{
    static const std::string empty;
    return empty;
}
}  // namespace

void CLineStore::TakeLength(size_t length)
{
    const int len = length > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(length);
    if (len > m_longest)
        m_longest = len;
}

void CLineStore::NoteLength(const char* text)
{
    if (text)
        TakeLength(std::strlen(text));
}

int CLineStore::AddLine(const char* text)
{
    const int index = Count();
    if (index >= m_capacity) {
        if (m_capacity > kMaxCapacity - kGrowStep)
            return -1;
        m_capacity += kGrowStep;
    }
    NoteLength(text);
    m_lines.emplace_back(text ? text : "");
    return index;
}

bool CLineStore::AddLines(std::vector<std::string> lines)
{
    const int64_t wanted = static_cast<int64_t>(Count()) + static_cast<int64_t>(lines.size());
    if (wanted > m_capacity) {
        const int64_t need = wanted - m_capacity;
        const int64_t grown = m_capacity + (need + kGrowStep - 1) / kGrowStep * kGrowStep;
        m_capacity = grown > kMaxCapacity ? kMaxCapacity : static_cast<int>(grown);
    }
    for (std::string& line : lines) {
        if (Count() >= m_capacity)
            return false;
        TakeLength(static_cast<size_t>(VisibleLength(line)));
        m_lines.push_back(std::move(line));
    }
    return true;
}

void CLineStore::Reset()
{
    m_lines.clear();
    m_longest = 0;
}

const std::string& CLineStore::Line(int i) const
{
    if (i < 0 || i >= Count())
        return EmptyLine();
    return m_lines[static_cast<size_t>(i)];
}

int CLineStore::VisibleLength(const std::string& line)
{
    const size_t len = std::strlen(line.c_str());
    return len > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(len);
}
