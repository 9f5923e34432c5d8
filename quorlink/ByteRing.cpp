// Lock-free byte ring of the reader thread and ReadComBuffer.
#include "quorlink/ByteRing.h"

#include <cstring>

uint32_t CByteRing::Available() const
{
    return Head() - m_tail.load(std::memory_order_acquire);
}

uint32_t CByteRing::Free() const
{
    return m_capacity - Available();
}

unsigned char* CByteRing::WriteSpace(uint32_t* contiguous)
{
    const uint32_t head = Head();
    const uint32_t index = head & (m_capacity - 1);
    const uint32_t free = Free();
    const uint32_t toEnd = m_capacity - index;
    *contiguous = free < toEnd ? free : toEnd;
    return m_storage + index;
}

namespace {
uint64_t Word(uint32_t epoch, uint32_t head)
{
    return static_cast<uint64_t>(epoch) << 32 | head;
}
}  // namespace

bool CByteRing::Commit(uint32_t count, uint32_t epoch)
{
    uint64_t word = m_head.load(std::memory_order_acquire);
    const uint64_t expected = Word(epoch, static_cast<uint32_t>(word));
    if (word != expected)
        return false;
    return m_head.compare_exchange_strong(word, Word(epoch, static_cast<uint32_t>(word) + count),
                                          std::memory_order_acq_rel);
}

uint32_t CByteRing::Epoch() const
{
    return static_cast<uint32_t>(m_head.load(std::memory_order_acquire) >> 32);
}

uint32_t CByteRing::Take(unsigned char* out, uint32_t max)
{
    uint32_t tail = m_tail.load(std::memory_order_acquire);
    const uint32_t head = Head();
    uint32_t n = head - tail;
    if (n > m_capacity)  // a Discard moved the tail between the two loads
        return 0;
    if (n > max)
        n = max;
    if (n == 0)
        return 0;
    const uint32_t index = tail & (m_capacity - 1);
    const uint32_t first = n < m_capacity - index ? n : m_capacity - index;
    std::memcpy(out, m_storage + index, first);
    std::memcpy(out + first, m_storage, n - first);
    if (!m_tail.compare_exchange_strong(tail, tail + n, std::memory_order_acq_rel))
        return 0;
    return n;
}

void CByteRing::Discard(uint32_t epoch)
{
    uint64_t word = m_head.load(std::memory_order_acquire);
    while (!m_head.compare_exchange_weak(word, Word(epoch, static_cast<uint32_t>(word)),
                                         std::memory_order_acq_rel)) {
    }
    m_tail.store(static_cast<uint32_t>(word), std::memory_order_release);
}
