// The text view's line store.
#include "controls/LineStore.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

namespace {
// The largest capacity that is still a whole number of steps and fits an int.
constexpr int kMaxCapacity = INT_MAX / CLineStore::kGrowStep * CLineStore::kGrowStep;
}  // namespace

void CLineStore::FreeBytes::operator()(char* p) const
{
    std::free(p);
}

CLineStore::CLineStore(const CLineStore& other)
    : m_starts(other.m_starts), m_capacity(other.m_capacity), m_longest(other.m_longest)
{
    if (!Reserve(other.m_used))
        throw std::bad_alloc();
    if (other.m_used)
        std::memcpy(m_bytes.get(), other.m_bytes.get(), other.m_used);
    m_used = other.m_used;
}

CLineStore& CLineStore::operator=(const CLineStore& other)
{
    if (this != &other) {
        CLineStore copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CLineStore::CLineStore(CLineStore&& other) noexcept
    : m_bytes(std::move(other.m_bytes)), m_used(other.m_used), m_reserved(other.m_reserved),
      m_starts(std::move(other.m_starts)), m_capacity(other.m_capacity), m_longest(other.m_longest)
{
    other.m_used = other.m_reserved = 0;
    other.m_starts.clear();
    other.m_longest = 0;
}

CLineStore& CLineStore::operator=(CLineStore&& other) noexcept
{
    m_bytes = std::move(other.m_bytes);
    m_used = std::exchange(other.m_used, 0);
    m_reserved = std::exchange(other.m_reserved, 0);
    m_starts = std::move(other.m_starts);
    other.m_starts.clear();
    m_capacity = other.m_capacity;
    m_longest = std::exchange(other.m_longest, 0);
    return *this;
}

bool CLineStore::Reserve(size_t bytes, bool exact)
{
    if (bytes <= m_reserved)
        return true;
    size_t want = exact ? bytes : m_reserved < 4096 ? 4096 : m_reserved;
    while (want < bytes)
        want = want > SIZE_MAX / 2 ? bytes : want * 2;
    char* grown = static_cast<char*>(std::realloc(m_bytes.get(), want));
    if (!grown) {
        // Doubling may not fit where the exact size still does.
        want = bytes;
        grown = static_cast<char*>(std::realloc(m_bytes.get(), want));
        if (!grown)
            return false;
    }
    m_bytes.release();
    m_bytes.reset(grown);
    m_reserved = want;
    return true;
}

// Takes the capacity up to hold `lines` more lines, in whole steps; false when it cannot.
bool CLineStore::GrowFor(size_t lines)
{
    const int64_t wanted = static_cast<int64_t>(Count()) + static_cast<int64_t>(lines);
    if (wanted > m_capacity) {
        const int64_t need = wanted - m_capacity;
        const int64_t grown = m_capacity + (need + kGrowStep - 1) / kGrowStep * kGrowStep;
        m_capacity = grown > kMaxCapacity ? kMaxCapacity : static_cast<int>(grown);
    }
    return wanted <= m_capacity;
}

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

int CLineStore::Append(const char* text, size_t length)
{
    if (length > SIZE_MAX - m_used - 1 || !Reserve(m_used + length + 1))
        return -1;
    try {
        m_starts.push_back(m_used);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    char* at = m_bytes.get() + m_used;
    std::memcpy(at, text, length);
    at[length] = '\0';
    m_used += length + 1;
    TakeLength(length);
    return Count() - 1;
}

int CLineStore::AddLine(const char* text)
{
    if (Count() >= m_capacity) {
        if (m_capacity > kMaxCapacity - kGrowStep)
            return -1;
        m_capacity += kGrowStep;
    }
    return text ? Append(text, std::strlen(text)) : Append("", 0);
}

bool CLineStore::AddLines(const std::vector<std::string>& lines)
{
    GrowFor(lines.size());
    for (const std::string& line : lines) {
        if (Count() >= m_capacity || Append(line.c_str(), std::strlen(line.c_str())) < 0)
            return false;
    }
    return true;
}

bool CLineStore::AddLines(CLineStore&& lines)
{
    const bool fits = GrowFor(lines.m_starts.size());
    if (m_starts.empty() && fits) {
        const int capacity = m_capacity;
        const int longest = m_longest > lines.m_longest ? m_longest : lines.m_longest;
        *this = std::move(lines);
        m_capacity = capacity;
        m_longest = longest;
        return true;
    }
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string_view line = lines.Line(i);
        if (Count() >= m_capacity || Append(line.data(), line.size()) < 0)
            return false;
    }
    return true;
}

void CLineStore::Reset()
{
    m_starts.clear();
    m_used = 0;
    m_longest = 0;
}

std::string_view CLineStore::Line(int i) const
{
    if (i < 0 || i >= Count())
        return std::string_view("", 0);
    const char* text = m_bytes.get() + m_starts[static_cast<size_t>(i)];
    return std::string_view(text, std::strlen(text));
}

char* CLineStore::Buffer(size_t size)
{
    Reset();
    if (size > m_reserved) {
        m_bytes.reset();
        m_reserved = 0;
    }
    return Reserve(size == 0 ? 1 : size, true) ? m_bytes.get() : nullptr;
}

bool CLineStore::ReserveLines(size_t lines)
{
    try {
        m_starts.reserve(lines);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool CLineStore::Commit(size_t start, size_t length)
{
    if (Count() >= m_capacity && !GrowFor(1))
        return false;
    try {
        m_starts.push_back(start);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_used = m_reserved;
    TakeLength(length);
    return true;
}
