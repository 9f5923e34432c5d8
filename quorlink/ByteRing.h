// Lock-free single-producer/single-consumer byte ring between the library's reader
// thread and ReadComBuffer. No lock is ever taken, so a consumer ended by force in the
// middle of a read leaves nothing held; bytes it copied but did not commit are simply
// delivered again to the next reader.
// The ring carries an epoch, the session of the port that fills it: Discard starts a new
// epoch, and a producer's Commit publishes its bytes only if the epoch is still the one it
// wrote for (one compare-and-swap covers both), so a reader of an earlier session that
// comes back late can never hand out bytes in a later one.
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
    // False, publishing nothing, when the ring has moved on to another epoch.
    bool Commit(uint32_t count, uint32_t epoch);

    // Consumer: copies up to max bytes, oldest first, and removes them. Returns the
    // number taken; 0 when empty or when a Discard raced with the copy (the copy is then
    // thrown away rather than handed out twice).
    uint32_t Take(unsigned char* out, uint32_t max);

    // Drops everything buffered and starts the given epoch.
    void Discard(uint32_t epoch);
    uint32_t Epoch() const;

private:
    unsigned char* const m_storage;
    const uint32_t m_capacity;
    // Free-running counters; their difference is the fill level. The head shares one
    // word with the epoch (epoch in the high half), so that a commit checks the epoch and
    // moves the head in one step; m_tail moves by compare-and-swap, so Take and Discard
    // can meet.
    uint32_t Head() const { return static_cast<uint32_t>(m_head.load(std::memory_order_acquire)); }
    std::atomic<uint64_t> m_head{0};
    std::atomic<uint32_t> m_tail{0};
};
