// Lock-free single-producer/single-consumer byte ring between the library's reader
// thread and ReadComBuffer. No lock is ever taken, so a consumer ended by force in the
// middle of a read leaves nothing held; bytes it copied but did not commit are simply
// delivered again to the next reader.
#pragma once

#include <atomic>
#include <cstdint>

class CByteRing {
public:
    // capacity must be a power of two; storage must outlive the ring (static storage in
    // the library, so that a late caller can never touch freed memory).
    constexpr CByteRing(unsigned char* storage, uint32_t capacity)
        : m_storage(storage), m_capacity(capacity)
    {
    }
    CByteRing(const CByteRing&) = delete;
    CByteRing& operator=(const CByteRing&) = delete;

    uint32_t Capacity() const { return m_capacity; }
    uint32_t Available() const;
    uint32_t Free() const;

    // Producer: where the next bytes go and how many fit there without wrapping; the
    // producer fills that space, then publishes what it wrote with Commit.
    unsigned char* WriteSpace(uint32_t* contiguous);
    void Commit(uint32_t count);

    // Consumer: copies up to max bytes, oldest first, and removes them. Returns the
    // number taken; 0 when empty or when a Discard raced with the copy (the copy is then
    // thrown away rather than handed out twice).
    uint32_t Take(unsigned char* out, uint32_t max);

    // Drops everything buffered. Only while no producer runs (the port is closed).
    void Discard();

private:
    unsigned char* const m_storage;
    const uint32_t m_capacity;
    // Free-running counters; their difference is the fill level. m_head is written only
    // by the producer; m_tail moves by compare-and-swap, so Take and Discard can meet.
    std::atomic<uint32_t> m_head{0};
    std::atomic<uint32_t> m_tail{0};
};
