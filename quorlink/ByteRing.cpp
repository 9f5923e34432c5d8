// Lock-free byte ring of the reader thread and ReadComBuffer.
#include "quorlink/ByteRing.h"

#include <cstring>

uint32_t CByteRing::Available() const
{
    return m_head.load(std::memory_order_acquire) - m_tail.load(std::memory_order_acquire);
}

uint32_t CByteRing::Free() const
{
    return m_capacity - Available();
}

unsigned char* CByteRing::WriteSpace(uint32_t* contiguous)
{
    const uint32_t head = m_head.load(std::memory_order_relaxed);
    const uint32_t index = head & (m_capacity - 1);
    const uint32_t free = Free();
    const uint32_t toEnd = m_capacity - index;
    *contiguous = free < toEnd ? free : toEnd;
    return m_storage + index;
}

void CByteRing::Commit(uint32_t count)
{
    m_head.store(m_head.load(std::memory_order_relaxed) + count, std::memory_order_release);
}

uint32_t CByteRing::Take(unsigned char* out, uint32_t max)
{
    uint32_t tail = m_tail.load(std::memory_order_acquire);
    const uint32_t head = m_head.load(std::memory_order_acquire);
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

void CByteRing::Discard()
{
    m_tail.store(m_head.load(std::memory_order_acquire), std::memory_order_release);
}
