// Back end of the test builds of the library: no serial port; what it reports is
// scripted by a test through the Test_ exports (see QuorlinkTest.h).
#pragma once

#include <atomic>
#include <cstdint>

#include "quorlink/QuorlinkTest.h"

class CScriptedLink {
public:
    constexpr CScriptedLink() = default;
    CScriptedLink(const CScriptedLink&) = delete;
    CScriptedLink& operator=(const CScriptedLink&) = delete;

    int SetInterface(int iface, int option);
    int ListPorts(int* ports, int* count);
    int Open(int port, int baud, int option);
    int Read(unsigned char* buffer, int size, unsigned int* count, int option);
    // The "hang" build: counts the call, then never returns.
    [[noreturn]] void ReadForever(int size, int option);
    int Close(int option);

    void Reset();
    void SetPorts(const int* ports, int count);
    void SetOpenResult(int status) { m_openResult.store(status); }
    int QueueRead(bool raw, int result, const unsigned char* data, int length, unsigned reported);
    void GetStats(QuorlinkTestStats* stats) const;

    static constexpr int kMaxPorts = 256;
    static constexpr uint32_t kMaxEntries = 65536;
    static constexpr uint32_t kDataSize = 1u << 20;

private:
    // One read as scripted (Read adds the timing around it).
    int Take(unsigned char* buffer, int size, unsigned int* count);

    // The test thread appends scripted reads (kept in zero-initialised storage of the
    // .cpp) and publishes them through m_queued; the thread calling ReadComBuffer
    // consumes them through m_next. No lock: the program may end its reading thread by
    // force at any moment.
    std::atomic<uint32_t> m_queued{0};
    std::atomic<uint32_t> m_next{0};
    uint32_t m_dataUsed = 0;   // test thread only
    uint32_t m_entryDone = 0;  // reader only: bytes of the current entry already handed out

    int m_ports[kMaxPorts] = {1, 2};
    std::atomic<int> m_portCount{2};
    std::atomic<int> m_openResult{0};

    std::atomic<int> m_setInterfaceCalls{0};
    std::atomic<int> m_getComInstalledCalls{0};
    std::atomic<int> m_openCalls{0};
    std::atomic<int> m_closeCalls{0};
    std::atomic<int> m_readCalls{0};
    std::atomic<int> m_lastInterface{0};
    std::atomic<int> m_lastInterfaceOption{0};
    std::atomic<int> m_lastOpenPort{0};
    std::atomic<int> m_lastOpenBaud{0};
    std::atomic<int> m_lastOpenOption{0};
    std::atomic<int> m_lastReadSize{0};
    std::atomic<int> m_lastReadOption{0};
    std::atomic<int> m_lastCloseOption{0};
    std::atomic<int> m_lastPortCapacity{0};
    std::atomic<int> m_portOpen{0};
    // The gaps between reads; m_lastReadEnd (0: none since Open) is the reader's own.
    int64_t m_lastReadEnd = 0;
    bool m_lastReadDelivered = false;
    std::atomic<int> m_minGapAfterDelivery{-1};
    std::atomic<int> m_minGapAfterNothing{-1};
};
