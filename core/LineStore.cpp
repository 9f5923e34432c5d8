// The text view's line store.
#include "core/LineStore.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace {
// The largest capacity that is still a whole number of steps and fits an int.
constexpr int kMaxCapacity = INT_MAX / CLineStore::kGrowStep * CLineStore::kGrowStep;
// Blocks for appended lines start small and double up to this size; a longer line gets
// a block of its own size.
constexpr size_t kFirstBlock = 4096;
constexpr size_t kLargestBlock = size_t{1} << 20;

struct FreeBlock {
    void operator()(char* p) const { ::operator delete(p); }
};

// A block of exactly `size` bytes in shared ownership; null when memory is short.
std::shared_ptr<char> NewBlock(size_t size)
{
    char* bytes = static_cast<char*>(::operator new(size, std::nothrow));
    if (!bytes)
        return nullptr;
    try {
        return std::shared_ptr<char>(bytes, FreeBlock());
    } catch (const std::bad_alloc&) {
        // The shared_ptr constructor has freed the block already.
        return nullptr;
    }
}
}  // namespace

CLineStore::CLineStore(const CLineStore& other)
    : m_blocks(other.m_blocks), m_segments(other.m_segments), m_count(other.m_count), m_long(other.m_long),
      m_capacity(other.m_capacity), m_longest(other.m_longest)
{
    // The copy never writes where the original may still write: its own lines go to
    // fresh blocks, and its last segment is copied before it takes a line.
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
    : m_blocks(std::move(other.m_blocks)), m_tail(std::exchange(other.m_tail, nullptr)),
      m_tailFree(std::exchange(other.m_tailFree, 0)), m_nextBlock(std::exchange(other.m_nextBlock, 0)),
      m_segments(std::move(other.m_segments)), m_ownsLastSegment(std::exchange(other.m_ownsLastSegment, false)),
      m_count(std::exchange(other.m_count, 0)), m_long(std::move(other.m_long)), m_capacity(other.m_capacity),
      m_longest(std::exchange(other.m_longest, 0))
{
    other.m_blocks.clear();
    other.m_segments.clear();
}

CLineStore& CLineStore::operator=(CLineStore&& other) noexcept
{
    if (this == &other)
        return *this;
    m_blocks = std::move(other.m_blocks);
    other.m_blocks.clear();
    m_tail = std::exchange(other.m_tail, nullptr);
    m_tailFree = std::exchange(other.m_tailFree, 0);
    m_nextBlock = std::exchange(other.m_nextBlock, 0);
    m_segments = std::move(other.m_segments);
    other.m_segments.clear();
    m_ownsLastSegment = std::exchange(other.m_ownsLastSegment, false);
    m_count = std::exchange(other.m_count, 0);
    m_long = std::move(other.m_long);
    m_capacity = other.m_capacity;
    m_longest = std::exchange(other.m_longest, 0);
    return *this;
}

// Takes the capacity up to hold `lines` more lines, in whole steps; false when it cannot.
bool CLineStore::GrowFor(size_t lines)
{
    const int64_t wanted = static_cast<int64_t>(Count()) +
                           static_cast<int64_t>(lines > static_cast<size_t>(INT_MAX) ? INT_MAX : lines);
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

bool CLineStore::RoomFor(size_t bytes)
{
    if (m_tail && m_tailFree >= bytes)
        return true;
    size_t size = m_nextBlock < kFirstBlock ? kFirstBlock : m_nextBlock;
    const bool ownBlock = bytes > size;
    if (ownBlock)
        size = bytes;
    std::shared_ptr<char> block = NewBlock(size);
    if (!block)
        return false;
    try {
        m_blocks.push_back(block);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_tail = block.get();
    m_tailFree = size;
    if (!ownBlock && size < kLargestBlock)
        m_nextBlock = size * 2;
    return true;
}

bool CLineStore::PushStart(const char* start, size_t length)
{
    const size_t slot = m_count & (kSegmentLines - 1);
    const size_t segment = m_count >> kSegmentShift;
    // A new segment when the last one is full, or when it is shared with the store this
    // one was copied from: then its lines so far come along into a segment of our own.
    const bool fresh = segment == m_segments.size();
    if (fresh || !m_ownsLastSegment) {
        const char** slots = new (std::nothrow) const char*[kSegmentLines];
        if (!slots)
            return false;
        if (!fresh)
            std::copy(m_segments[segment].get(), m_segments[segment].get() + slot, slots);
        try {
            // (When its bookkeeping cannot be had, the shared_ptr frees the slots itself.)
            Segment own(slots, std::default_delete<const char*[]>());
            if (fresh)
                m_segments.push_back(std::move(own));
            else
                m_segments[segment] = std::move(own);
        } catch (const std::bad_alloc&) {
            return false;
        }
        m_ownsLastSegment = true;
    }
    if (length >= kLongLine) {
        // The list of long lines may be shared with copies, which must never see it
        // change: then this store goes on with a list of its own.
        try {
            if (!m_long || m_long.use_count() > 1)
                m_long = m_long ? std::make_shared<LongLines>(*m_long) : std::make_shared<LongLines>();
            m_long->push_back({m_count, length});
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    m_segments[segment][slot] = start;
    ++m_count;
    TakeLength(length);
    return true;
}

int CLineStore::Append(const char* text, size_t length)
{
    if (length == SIZE_MAX || !RoomFor(length + 1))
        return -1;
    char* at = m_tail;
    if (!PushStart(at, length))
        return -1;
    std::memcpy(at, text, length);
    at[length] = '\0';
    m_tail += length + 1;
    m_tailFree -= length + 1;
    return Count() - 1;
}

int CLineStore::AddLine(const char* text)
{
    const bool full = Count() >= m_capacity;
    if (full && m_capacity > kMaxCapacity - kGrowStep)
        return -1;
    const int index = text ? Append(text, std::strlen(text)) : Append("", 0);
    if (index >= 0 && full)
        m_capacity += kGrowStep;
    return index;
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
    const bool fits = GrowFor(lines.m_count);
    if (m_count == 0 && fits) {
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
    m_blocks.clear();
    m_tail = nullptr;
    m_tailFree = 0;
    m_nextBlock = 0;
    m_segments.clear();
    m_ownsLastSegment = false;
    m_count = 0;
    m_long.reset();
    m_longest = 0;
}

size_t CLineStore::Length(int i) const
{
    if (i < 0 || i >= Count())
        return 0;
    const size_t index = static_cast<size_t>(i);
    const char* text = Start(index);
    const size_t shortLength = ::strnlen(text, kLongLine);
    if (shortLength < kLongLine || !m_long)
        return shortLength < kLongLine ? shortLength : std::strlen(text);
    const auto found = std::lower_bound(m_long->begin(), m_long->end(), index,
                                        [](const LongLine& l, size_t n) { return l.index < n; });
    return found != m_long->end() && found->index == index ? found->length : std::strlen(text);
}

std::string_view CLineStore::Line(int i) const
{
    if (i < 0 || i >= Count())
        return std::string_view("", 0);
    return std::string_view(Start(static_cast<size_t>(i)), Length(i));
}

char* CLineStore::Buffer(size_t size)
{
    Reset();
    std::shared_ptr<char> block = NewBlock(size == 0 ? 1 : size);
    if (!block)
        return nullptr;
    try {
        m_blocks.push_back(block);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    // The caller writes the whole block: appended lines go to a block of their own.
    return block.get();
}

bool CLineStore::ReserveLines(size_t lines)
{
    try {
        m_segments.reserve(lines / kSegmentLines + 1);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool CLineStore::Commit(size_t start, size_t length)
{
    if (m_blocks.empty() || (Count() >= m_capacity && !GrowFor(1)))
        return false;
    return PushStart(m_blocks.front().get() + start, length);
}
