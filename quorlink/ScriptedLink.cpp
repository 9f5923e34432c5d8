// Scripted back end of the test builds of the library.
#include "quorlink/ScriptedLink.h"

#include "quorlink/PortArguments.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <initializer_list>

namespace {
struct ScriptedRead {
    bool raw;
    int result;
    uint32_t offset;  // into g_scriptData
    uint32_t length;
    unsigned reported;
};

// Outside the class so that they stay zero-initialised and cost nothing in the file.
ScriptedRead g_scriptReads[CScriptedLink::kMaxEntries];
unsigned char g_scriptData[CScriptedLink::kDataSize];

int64_t NowUs()
{
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return now.QuadPart / frequency.QuadPart * 1000000 + now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

void KeepShorter(std::atomic<int>& shortest, int64_t gap)
{
    const int us = gap < INT_MAX ? static_cast<int>(gap) : INT_MAX;
    if (shortest.load() < 0 || us < shortest.load())
        shortest.store(us);
}
}  // namespace

int CScriptedLink::SetInterface(int iface, int option)
{
    ++m_setInterfaceCalls;
    m_lastInterface.store(iface);
    m_lastInterfaceOption.store(option);
    return QUORLINK_OK;
}

int CScriptedLink::ListPorts(int* ports, int* count)
{
    ++m_getComInstalledCalls;
    m_lastPortCapacity.store(count ? *count : 0);
    int capacity = 0;
    if (!TakePortCapacity(ports, count, capacity))
        return QUORLINK_ERR_BAD_ARGUMENT;
    const int n = m_portCount.load() < capacity ? m_portCount.load() : capacity;
    for (int i = 0; i < n; ++i)
        ports[i] = m_ports[i];
    *count = n;
    return QUORLINK_OK;
}

int CScriptedLink::Open(int port, int baud, int option)
{
    ++m_openCalls;
    m_lastOpenPort.store(port);
    m_lastOpenBaud.store(baud);
    m_lastOpenOption.store(option);
    m_lastReadEnd = 0;
    m_minGapAfterDelivery.store(-1);
    m_minGapAfterNothing.store(-1);
    const int result = m_openResult.load();
    if (result == QUORLINK_OK)
        m_portOpen.store(1);
    return result;
}

int CScriptedLink::Read(unsigned char* buffer, int size, unsigned int* count, int option)
{
    if (m_lastReadEnd)
        KeepShorter(m_lastReadDelivered ? m_minGapAfterDelivery : m_minGapAfterNothing, NowUs() - m_lastReadEnd);
    ++m_readCalls;
    m_lastReadSize.store(size);
    m_lastReadOption.store(option);
    const int result = Take(buffer, size, count);
    m_lastReadDelivered = result != 0;
    m_lastReadEnd = NowUs();
    return result;
}

int CScriptedLink::Take(unsigned char* buffer, int size, unsigned int* count)
{
    if (count)
        *count = 0;
    const uint32_t next = m_next.load(std::memory_order_relaxed);
    if (next == m_queued.load(std::memory_order_acquire)) {
        Sleep(QUORLINK_TEST_IDLE_WAIT_MS);
        return 0;
    }
    if (!buffer || !count || size <= 0)
        return 0;

    const ScriptedRead& e = g_scriptReads[next % kMaxEntries];
    if (e.raw && e.result == QUORLINK_TEST_STALL) {
        m_next.store(next + 1, std::memory_order_release);
        for (;;)
            Sleep(INFINITE);
    }
    const uint32_t left = e.length - m_entryDone;
    const uint32_t n = left < static_cast<uint32_t>(size) ? left : static_cast<uint32_t>(size);
    std::memcpy(buffer, g_scriptData + e.offset + m_entryDone, n);
    if (e.raw) {
        *count = e.reported;
        m_entryDone = 0;
        m_next.store(next + 1, std::memory_order_release);
        return e.result;
    }
    *count = n;
    m_entryDone += n;
    if (m_entryDone == e.length) {
        m_entryDone = 0;
        m_next.store(next + 1, std::memory_order_release);
    }
    return 1;
}

void CScriptedLink::ReadForever(int size, int option)
{
    ++m_readCalls;
    m_lastReadSize.store(size);
    m_lastReadOption.store(option);
    for (;;)
        Sleep(INFINITE);
}

int CScriptedLink::Close(int option)
{
    ++m_closeCalls;
    m_lastCloseOption.store(option);
    m_portOpen.store(0);
    return QUORLINK_OK;
}

void CScriptedLink::Reset()
{
    m_queued.store(0);
    m_next.store(0);
    m_dataUsed = 0;
    m_entryDone = 0;
    m_ports[0] = 1;
    m_ports[1] = 2;
    m_portCount.store(2);
    m_openResult.store(QUORLINK_OK);
    for (std::atomic<int>* counter :
         {&m_setInterfaceCalls, &m_getComInstalledCalls, &m_openCalls, &m_closeCalls, &m_readCalls,
          &m_lastInterface, &m_lastInterfaceOption, &m_lastOpenPort, &m_lastOpenBaud,
          &m_lastOpenOption, &m_lastReadSize, &m_lastReadOption, &m_lastCloseOption, &m_lastPortCapacity,
          &m_portOpen})
        counter->store(0);
    m_lastReadEnd = 0;
    m_minGapAfterDelivery.store(-1);
    m_minGapAfterNothing.store(-1);
}

void CScriptedLink::SetPorts(const int* ports, int count)
{
    if (!ports || count < 0)
        count = 0;
    if (count > kMaxPorts)
        count = kMaxPorts;
    for (int i = 0; i < count; ++i)
        m_ports[i] = ports[i];
    m_portCount.store(count);
}

int CScriptedLink::QueueRead(bool raw, int result, const unsigned char* data, int length,
                             unsigned reported)
{
    if (length < 0 || (length > 0 && !data))
        return 0;
    const uint32_t queued = m_queued.load(std::memory_order_relaxed);
    // An empty plain read would never be consumed; queue it as "delivered, count 0".
    if (!raw && length == 0)
        raw = true, result = 1, reported = 0;
    if (queued - m_next.load(std::memory_order_acquire) >= kMaxEntries ||
        static_cast<uint32_t>(length) > kDataSize - m_dataUsed)
        return 0;
    ScriptedRead& e = g_scriptReads[queued % kMaxEntries];
    e.raw = raw;
    e.result = result;
    e.offset = m_dataUsed;
    e.length = static_cast<uint32_t>(length);
    e.reported = reported;
    if (length > 0)
        std::memcpy(g_scriptData + m_dataUsed, data, static_cast<size_t>(length));
    m_dataUsed += static_cast<uint32_t>(length);
    m_queued.store(queued + 1, std::memory_order_release);
    return 1;
}

void CScriptedLink::GetStats(QuorlinkTestStats* stats) const
{
    if (!stats)
        return;
    stats->setInterfaceCalls = m_setInterfaceCalls.load();
    stats->getComInstalledCalls = m_getComInstalledCalls.load();
    stats->openCalls = m_openCalls.load();
    stats->closeCalls = m_closeCalls.load();
    stats->readCalls = m_readCalls.load();
    stats->lastInterface = m_lastInterface.load();
    stats->lastInterfaceOption = m_lastInterfaceOption.load();
    stats->lastOpenPort = m_lastOpenPort.load();
    stats->lastOpenBaud = m_lastOpenBaud.load();
    stats->lastOpenOption = m_lastOpenOption.load();
    stats->lastReadSize = m_lastReadSize.load();
    stats->lastReadOption = m_lastReadOption.load();
    stats->lastCloseOption = m_lastCloseOption.load();
    stats->pendingReads =
        static_cast<int>(m_queued.load() - m_next.load());
    stats->lastPortCapacity = m_lastPortCapacity.load();
    stats->portOpen = m_portOpen.load();
    stats->minGapAfterDeliveryUs = m_minGapAfterDelivery.load();
    stats->minGapAfterNothingUs = m_minGapAfterNothing.load();
}
