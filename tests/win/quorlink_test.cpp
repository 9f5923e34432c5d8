// Our Quorlink.dll and its test variants, loaded the way the program loads them: by
// LoadLibrary and GetProcAddress of every export name. With KORVEX_TEST_COM set (a COM
// number mapped to korvex-regsim sending KORVEX_TEST_DUMP on every open), the library
// also reads a real dump over a serial line; with KORVEX_TEST_REPLUG_COM (the same, but
// the adapter is pulled out in the middle of each dump), across a replug. The variables
// with "_LOG" added name each simulator's log, from which a test learns that its port
// was seen closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "quorlink/ByteRing.h"
#include "quorlink/Quorlink.h"
#include "quorlink/QuorlinkExports.h"
#include "quorlink/QuorlinkTest.h"
#include "support/WinTestSupport.h"

namespace {
typedef int(QUORLINK_CALL* PFN_Unsupported)(void);

std::string BinDir()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of("\\/") + 1);
}

// One loaded copy of a Quorlink.dll; released when the test ends, so that the next
// test can load another variant of the same name.
class Library {
public:
    explicit Library(const std::string& relativePath)
        : m_module(LoadLibraryA((BinDir() + relativePath).c_str()))
    {
    }
    ~Library()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    bool Loaded() const { return m_module != nullptr; }
    HMODULE Handle() const { return m_module; }
    FARPROC Proc(const char* name) const { return GetProcAddress(m_module, name); }
    template <typename Fn>
    Fn Get(const char* name) const
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(Proc(name)));
    }

private:
    HMODULE m_module;
};

struct Entry {
    explicit Entry(const Library& lib)
        : setInterface(lib.Get<PFN_SetInterface>("SetInterface")),
          getComInstalled(lib.Get<PFN_GetCOM_Installed>("GetCOM_Installed")),
          open(lib.Get<PFN_Open>("Open")),
          read(lib.Get<PFN_ReadComBuffer>("ReadComBuffer")),
          close(lib.Get<PFN_Close>("Close"))
    {
    }
    PFN_SetInterface setInterface;
    PFN_GetCOM_Installed getComInstalled;
    PFN_Open open;
    PFN_ReadComBuffer read;
    PFN_Close close;
};

bool IsUsed(const std::string& name)
{
    return name == "SetInterface" || name == "GetCOM_Installed" || name == "Open" ||
           name == "ReadComBuffer" || name == "Close";
}

DWORD Elapsed(DWORD since) { return GetTickCount() - since; }

struct BlockingCall {
    PFN_ReadComBuffer read;
    std::atomic<bool> returned{false};
};

DWORD WINAPI CallRead(void* param)
{
    auto* call = static_cast<BlockingCall*>(param);
    unsigned char buffer[512];
    unsigned int count = 0;
    call->read(buffer, sizeof buffer, &count, 0);
    call->returned = true;
    return 0;
}
}  // namespace

TEST(QuorlinkLibrary, ExportsEveryNameAndRejectsWhatItDoesNotImplement)
{
    Library lib("Quorlink.dll");
    ASSERT_TRUE(lib.Loaded());
    int stubs = 0;
    for (const char* name : g_QuorlinkExportNames) {
        FARPROC proc = lib.Proc(name);
        ASSERT_NE(proc, nullptr) << name;
        if (!IsUsed(name)) {
            EXPECT_EQ(reinterpret_cast<PFN_Unsupported>(reinterpret_cast<void (*)()>(proc))(),
                      QUORLINK_NOT_SUPPORTED)
                << name;
            ++stubs;
        }
    }
    EXPECT_EQ(stubs, 121);
    EXPECT_EQ(lib.Proc("Test_Reset"), nullptr);  // the hooks exist only in test builds
    Entry e(lib);
    EXPECT_EQ(e.setInterface(3, 0), QUORLINK_OK);
}

TEST(QuorlinkLibrary, ClosedPortIsHarmless)
{
    Library lib("Quorlink.dll");
    ASSERT_TRUE(lib.Loaded());
    Entry e(lib);
    EXPECT_EQ(e.close(0), QUORLINK_OK);
    EXPECT_EQ(e.close(0), QUORLINK_OK);

    unsigned char buffer[16];
    unsigned int count = 77;
    const DWORD start = GetTickCount();
    EXPECT_EQ(e.read(buffer, sizeof buffer, &count, 0), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_GE(Elapsed(start), 15u) << "an idle read waits instead of returning at once";
    EXPECT_EQ(e.read(nullptr, 16, &count, 0), 0);
    EXPECT_EQ(e.read(buffer, -1, &count, 0), 0);
    EXPECT_EQ(e.read(buffer, 16, nullptr, 0), 0);
}

TEST(QuorlinkLibrary, OpenRefusesBadPortsAndRates)
{
    Library lib("Quorlink.dll");
    ASSERT_TRUE(lib.Loaded());
    Entry e(lib);
    // A port that is not there: the device was opened on the reader's thread, and its
    // reason is handed to the caller.
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(e.open(250, 9600, 0), QUORLINK_ERR_OPEN_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(e.open(0, 9600, 0), QUORLINK_ERR_BAD_PORT);
    EXPECT_EQ(e.open(-3, 9600, 0), QUORLINK_ERR_BAD_PORT);
    EXPECT_EQ(e.open(256, 9600, 0), QUORLINK_ERR_BAD_PORT);
    EXPECT_EQ(e.open(1, 0, 0), QUORLINK_ERR_BAD_BAUD);
    EXPECT_EQ(e.close(0), QUORLINK_OK);
}

TEST(QuorlinkLibrary, ListsInstalledPortsWithinTheCapacity)
{
    Library lib("Quorlink.dll");
    ASSERT_TRUE(lib.Loaded());
    Entry e(lib);
    std::vector<int> ports(65536, -1);
    int count = 65536;
    EXPECT_EQ(e.getComInstalled(ports.data(), &count), QUORLINK_OK);
    ASSERT_GE(count, 0);
    ASSERT_LE(count, QUORLINK_MAX_PORT);
    for (int i = 0; i < count; ++i) {
        EXPECT_GE(ports[i], 1);
        EXPECT_LE(ports[i], QUORLINK_MAX_PORT);
        if (i > 0) {
            EXPECT_LT(ports[i - 1], ports[i]) << "ascending, no duplicates";
        }
    }
    EXPECT_EQ(ports[count], -1) << "nothing written beyond the ports found";
    if (const char* com = std::getenv("KORVEX_TEST_COM")) {
        bool listed = false;
        for (int i = 0; i < count; ++i)
            listed = listed || ports[i] == std::atoi(com);
        EXPECT_TRUE(listed) << "COM" << com << " is mapped but not listed";
    }

    if (count > 0) {
        int first = -1;
        int one = 1;
        EXPECT_EQ(e.getComInstalled(&first, &one), QUORLINK_OK);
        EXPECT_EQ(one, 1);
        EXPECT_EQ(first, ports[0]);
    }
    int zero = 0;
    EXPECT_EQ(e.getComInstalled(ports.data(), &zero), QUORLINK_OK);
    EXPECT_EQ(zero, 0);
    int negative = -5;
    EXPECT_NE(e.getComInstalled(ports.data(), &negative), QUORLINK_OK);
    EXPECT_EQ(negative, 0);
    int capacity = 10;
    EXPECT_NE(e.getComInstalled(nullptr, &capacity), QUORLINK_OK);
    EXPECT_EQ(capacity, 0);
    EXPECT_NE(e.getComInstalled(ports.data(), nullptr), QUORLINK_OK);
}

TEST(QuorlinkVariants, MissingLacksOnlyTheLastEntryPoint)
{
    Library lib("testlibs\\missing\\Quorlink.dll");
    ASSERT_TRUE(lib.Loaded());
    for (int i = 0; i < QUORLINK_EXPORT_COUNT - 1; ++i)
        EXPECT_NE(lib.Proc(g_QuorlinkExportNames[i]), nullptr) << g_QuorlinkExportNames[i];
    EXPECT_EQ(lib.Proc("AddDataToWriteDump2"), nullptr);
}

TEST(QuorlinkVariants, HangBlocksInReadUntilEndedByForce)
{
    Library lib("testlibs\\hang\\Quorlink.dll");
    ASSERT_TRUE(lib.Loaded());
    Entry e(lib);
    auto reset = lib.Get<PFN_Test_Reset>("Test_Reset");
    auto stats = lib.Get<PFN_Test_GetStats>("Test_GetStats");
    ASSERT_TRUE(reset && stats);
    reset();
    ASSERT_EQ(e.open(1, 9600, 0), QUORLINK_OK);

    BlockingCall call;
    call.read = e.read;
    HANDLE thread = CreateThread(nullptr, 0, CallRead, &call, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 300), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(TerminateThread(thread, 1));
    EXPECT_EQ(WaitForSingleObject(thread, 1000), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_FALSE(call.returned);
    EXPECT_EQ(e.close(0), QUORLINK_OK);

    QuorlinkTestStats s = {};
    stats(&s);
    EXPECT_EQ(s.readCalls, 1);
    EXPECT_EQ(s.lastReadSize, 512);
    EXPECT_EQ(s.closeCalls, 1);
}

TEST(QuorlinkVariants, ScriptedReportsWhatTheTestSets)
{
    Library lib("testlibs\\scripted\\Quorlink.dll");
    ASSERT_TRUE(lib.Loaded());
    Entry e(lib);
    auto reset = lib.Get<PFN_Test_Reset>("Test_Reset");
    auto setPorts = lib.Get<PFN_Test_SetPorts>("Test_SetPorts");
    auto setOpenResult = lib.Get<PFN_Test_SetOpenResult>("Test_SetOpenResult");
    auto queueRead = lib.Get<PFN_Test_QueueRead>("Test_QueueRead");
    auto queueRawRead = lib.Get<PFN_Test_QueueRawRead>("Test_QueueRawRead");
    auto getStats = lib.Get<PFN_Test_GetStats>("Test_GetStats");
    ASSERT_TRUE(reset && setPorts && setOpenResult && queueRead && queueRawRead && getStats);
    reset();
    // The program loads "Quorlink.dll" by bare name: it gets the variant already loaded.
    HMODULE byName = LoadLibraryA("Quorlink.dll");
    EXPECT_EQ(byName, lib.Handle());
    FreeLibrary(byName);

    int ports[8] = {};
    int count = 8;
    EXPECT_EQ(e.getComInstalled(ports, &count), QUORLINK_OK);
    EXPECT_EQ(count, 2);  // the default list, COM1 and COM2
    const int unsorted[] = {3, 1, 3};
    setPorts(unsorted, 3);
    count = 2;
    EXPECT_EQ(e.getComInstalled(ports, &count), QUORLINK_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(ports[0], 3);
    EXPECT_EQ(ports[1], 1);
    setPorts(nullptr, 0);
    count = 8;
    EXPECT_EQ(e.getComInstalled(ports, &count), QUORLINK_OK);
    EXPECT_EQ(count, 0);

    EXPECT_EQ(e.setInterface(3, 0), QUORLINK_OK);
    setOpenResult(7);
    EXPECT_EQ(e.open(4, 19200, 0), 7);
    setOpenResult(0);
    EXPECT_EQ(e.open(5, 115200, 0), 0);

    // One plain read split by the caller's size, an empty delivery, a bogus count.
    std::vector<unsigned char> big(700);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<unsigned char>(i);
    EXPECT_EQ(queueRead(big.data(), static_cast<int>(big.size())), 1);
    EXPECT_EQ(queueRawRead(1, nullptr, 0, 0), 1);
    EXPECT_EQ(queueRawRead(1, big.data(), 600, 10000), 1);

    unsigned char buffer[520];
    unsigned int got = 0;
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(e.read(buffer, 512, &got, 0), 1);
    EXPECT_EQ(got, 512u);
    EXPECT_EQ(buffer[511], static_cast<unsigned char>(511 & 0xFF));
    EXPECT_EQ(buffer[512], 0xEE) << "never writes beyond size";
    EXPECT_EQ(e.read(buffer, 512, &got, 0), 1);
    EXPECT_EQ(got, 188u);
    EXPECT_EQ(buffer[0], static_cast<unsigned char>(512 & 0xFF));
    EXPECT_EQ(e.read(buffer, 512, &got, 0), 1);
    EXPECT_EQ(got, 0u);
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(e.read(buffer, 512, &got, 0), 1);
    EXPECT_EQ(got, 10000u);
    EXPECT_EQ(buffer[512], 0xEE) << "a bogus count still copies at most size bytes";
    EXPECT_EQ(e.read(buffer, 512, &got, 0), 0) << "script exhausted";
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(e.close(0), QUORLINK_OK);

    QuorlinkTestStats s = {};
    getStats(&s);
    EXPECT_EQ(s.setInterfaceCalls, 1);
    EXPECT_EQ(s.getComInstalledCalls, 3);
    EXPECT_EQ(s.openCalls, 2);
    EXPECT_EQ(s.lastOpenPort, 5);
    EXPECT_EQ(s.lastOpenBaud, 115200);
    EXPECT_EQ(s.readCalls, 5);
    EXPECT_EQ(s.lastReadSize, 512);
    EXPECT_EQ(s.closeCalls, 1);
    EXPECT_EQ(s.pendingReads, 0);
}

// The ring between the reader thread and ReadComBuffer, under a small capacity so that
// it wraps and fills constantly: every byte arrives once and in order.
// On one thread, every edge in turn: full, empty, a write that only partly fits, the
// contiguous space that ends at the end of the storage, and takes across it. The
// expected figures are worked out by hand for a ring of 8.
TEST(QuorlinkRing, WrapsAndFillsAtItsEdgesOnOneThread)
{
    static unsigned char storage[8];
    CByteRing ring(storage, sizeof storage);
    unsigned char written = 0, taken = 0;  // the stream is 1, 2, 3... as bytes
    struct Step {
        char op;  // 'w': write up to n bytes into the contiguous space; 't': take up to n
        uint32_t n, done, available, contiguous;
    };
    const Step steps[] = {
        {'w', 8, 8, 8, 0},  // fills it exactly
        {'w', 1, 0, 8, 0},  // nothing fits when full
        {'t', 3, 3, 5, 3},  // the freed room is at the start of the storage
        {'w', 5, 3, 8, 0},  // only that room is taken
        {'t', 8, 8, 0, 5},  // a take across the end of the storage empties it
        {'w', 8, 5, 5, 3},  // a write stops at the end of the storage
        {'t', 1, 1, 4, 4},
        {'w', 4, 4, 8, 0},
        {'t', 8, 8, 0, 4},  // across the end again, from the middle
        {'w', 2, 2, 2, 2},
        {'t', 5, 2, 0, 2},  // asking for more than there is
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(1, step.op) + std::to_string(step.n) + " after byte " + std::to_string(written));
        uint32_t done = 0;
        if (step.op == 'w') {
            uint32_t space = 0;
            unsigned char* p = ring.WriteSpace(&space);
            done = step.n < space ? step.n : space;
            for (uint32_t i = 0; i < done; ++i)
                p[i] = ++written;
            EXPECT_TRUE(ring.Commit(done, 0));
        } else {
            unsigned char out[16] = {};
            done = ring.Take(out, step.n);
            for (uint32_t i = 0; i < done; ++i)
                EXPECT_EQ(out[i], ++taken) << "byte " << i << " of the take";
        }
        EXPECT_EQ(done, step.done);
        EXPECT_EQ(ring.Available(), step.available);
        EXPECT_EQ(ring.Free(), 8 - step.available);
        uint32_t contiguous = 99;
        ring.WriteSpace(&contiguous);
        EXPECT_EQ(contiguous, step.contiguous);
    }
}

// Two threads through a small ring, each giving up after a deadline rather than waiting
// for ever on a ring that no longer moves.
TEST(QuorlinkRing, CarriesAStreamInOrderWhileWrappingAndFull)
{
    static unsigned char storage[64];
    CByteRing ring(storage, sizeof storage);
    const uint32_t total = 200000;
    const ULONGLONG deadline = ::GetTickCount64() + 20000;
    std::atomic<bool> producerStuck{false};
    std::thread producer([&] {
        uint32_t next = 0;
        unsigned seed = 1;
        while (next < total) {
            if (::GetTickCount64() > deadline) {
                producerStuck = true;
                return;
            }
            uint32_t space = 0;
            unsigned char* p = ring.WriteSpace(&space);
            seed = seed * 1103515245u + 12345u;
            uint32_t n = 1 + (seed >> 16) % 40;
            if (n > space)
                n = space;
            if (n > total - next)
                n = total - next;
            for (uint32_t i = 0; i < n; ++i)
                p[i] = static_cast<unsigned char>((next + i) * 7);
            ring.Commit(n, 0);
            next += n;
            if (n == 0)
                std::this_thread::yield();
        }
    });
    uint32_t received = 0;
    bool inOrder = true;
    unsigned char out[50];
    unsigned seed = 2;
    while (received < total && inOrder && ::GetTickCount64() <= deadline) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t n = ring.Take(out, 1 + (seed >> 16) % 50);
        for (uint32_t i = 0; i < n; ++i)
            inOrder = inOrder && out[i] == static_cast<unsigned char>((received + i) * 7);
        received += n;
        if (n == 0)
            std::this_thread::yield();
    }
    producer.join();
    EXPECT_FALSE(producerStuck) << "the producer found no room for 20 s";
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(received, total);
    EXPECT_EQ(ring.Available(), 0u);
    EXPECT_EQ(ring.Free(), 64u);
}

// --- Over a serial line: korvex-regsim sends KORVEX_TEST_DUMP each time the port opens.

namespace {
// Where two byte strings first differ, without printing thousands of bytes.
::testing::AssertionResult SameBytes(const std::vector<unsigned char>& got,
                                     const std::vector<unsigned char>& expected)
{
    if (got == expected)
        return ::testing::AssertionSuccess();
    const size_t at = static_cast<size_t>(
        std::mismatch(got.begin(), got.begin() + std::min(got.size(), expected.size()), expected.begin()).first -
        got.begin());
    return ::testing::AssertionFailure() << got.size() << " bytes instead of " << expected.size()
                                         << ", first difference at offset " << at;
}
class QuorlinkSerial : public ::testing::Test {
protected:
    virtual const char* PortVariable() const { return "KORVEX_TEST_COM"; }

    void SetUp() override
    {
        const char* com = std::getenv(PortVariable());
        const char* dump = std::getenv("KORVEX_TEST_DUMP");
        if (!com || !dump)
            GTEST_SKIP() << PortVariable() << " / KORVEX_TEST_DUMP not set";
        m_port = std::atoi(com);
        FILE* f = std::fopen(dump, "rb");
        ASSERT_NE(f, nullptr) << dump;
        int c;
        while ((c = std::fgetc(f)) != EOF)
            m_expected.push_back(static_cast<unsigned char>(c));
        std::fclose(f);
        ASSERT_FALSE(m_expected.empty());
        ASSERT_TRUE(m_lib.Loaded());
        m_closesBefore = SimulatorCloses();
    }
    void TearDown() override
    {
        if (m_lib.Loaded())
            Entry(m_lib).close(0);
        // The simulator sends again once it has seen the port closed. Opened again before
        // it looked (a busy machine), the port would find it still waiting for this test
        // to leave, and the next test would wait in vain for a dump.
        const DWORD start = GetTickCount();
        while (m_closesBefore >= 0 && SimulatorCloses() <= m_closesBefore && Elapsed(start) < 5000)
            Sleep(10);
    }

    // How many closes of the port the simulator's log (PortVariable() + "_LOG") tells
    // of; -1 without one.
    int SimulatorCloses() const
    {
        const char* path = std::getenv((std::string(PortVariable()) + "_LOG").c_str());
        if (!path || !wintest::FileExists(path))
            return -1;
        const std::string text = wintest::ReadFileBytes(path);
        int closes = 0;
        for (size_t at = 0; (at = text.find("port closed", at)) != std::string::npos; at += 11)
            ++closes;
        return closes;
    }

    // Reads until the whole dump is in or 30 s pass; every count is checked against size.
    std::vector<unsigned char> ReadDump(int size, DWORD pauseAfterDelivery, bool* countsWithinSize)
    {
        Entry e(m_lib);
        std::vector<unsigned char> got;
        std::vector<unsigned char> buffer(size + 16, 0xEE);
        *countsWithinSize = true;
        const DWORD start = GetTickCount();
        while (got.size() < m_expected.size() && Elapsed(start) < 30000) {
            unsigned int count = 0;
            if (e.read(buffer.data(), size, &count, 0) == 0)
                continue;
            if (count > static_cast<unsigned>(size) || buffer[size] != 0xEE) {
                *countsWithinSize = false;
                break;
            }
            got.insert(got.end(), buffer.begin(), buffer.begin() + count);
            if (pauseAfterDelivery)
                Sleep(pauseAfterDelivery);
        }
        return got;
    }

    // Opens the port and reads the whole dump as the program does (512 bytes, 50 ms
    // after each delivery, slower than the line): every byte in order, no count beyond
    // the buffer.
    void ReadsTheWholeDumpAtTheProgramsPace()
    {
        ASSERT_EQ(Entry(m_lib).open(m_port, 115200, 0), QUORLINK_OK);
        bool within = false;
        const std::vector<unsigned char> got = ReadDump(512, 50, &within);
        EXPECT_TRUE(within);
        ASSERT_TRUE(SameBytes(got, m_expected));
    }

    Library m_lib{"Quorlink.dll"};
    int m_port = 0;
    std::vector<unsigned char> m_expected;
    int m_closesBefore = -1;
};
}  // namespace

TEST_F(QuorlinkSerial, ReadsTheDumpByteForByteAtTheProgramsPace)
{
    // The library must buffer what the program's pace leaves behind.
    ASSERT_NO_FATAL_FAILURE(ReadsTheWholeDumpAtTheProgramsPace());
    Entry e(m_lib);

    // Idle: each read waits for data instead of returning at once.
    int calls = 0;
    int delivered = 0;
    const DWORD start = GetTickCount();
    while (Elapsed(start) < 500) {
        unsigned char buffer[512];
        unsigned int count = 0;
        delivered += e.read(buffer, sizeof buffer, &count, 0) != 0;
        ++calls;
    }
    EXPECT_EQ(delivered, 0);
    EXPECT_LT(calls, 100);
    EXPECT_GE(calls, 5);
}

TEST_F(QuorlinkSerial, KeepsReceivingWhileTheCallerSleeps)
{
    Entry e(m_lib);
    ASSERT_EQ(e.open(m_port, 115200, 0), QUORLINK_OK);
    // Everything that arrived while nobody called ReadComBuffer waits in the library
    // and comes out in one call, in order.
    Sleep(2500);
    std::vector<unsigned char> buffer(m_expected.size() * 2);
    unsigned int count = 0;
    ASSERT_NE(e.read(buffer.data(), static_cast<int>(buffer.size()), &count, 0), 0);
    ASSERT_EQ(count, m_expected.size()) << "everything is waiting in one piece";
    EXPECT_TRUE(std::equal(m_expected.begin(), m_expected.end(), buffer.begin()));
}

namespace {
struct ReadingLoop {
    PFN_ReadComBuffer read;
    std::atomic<long> delivered{0};
};

DWORD WINAPI ReadLikeTheProgram(void* param)
{
    auto* loop = static_cast<ReadingLoop*>(param);
    for (;;) {
        unsigned char buffer[512];
        unsigned int count = 0;
        if (loop->read(buffer, sizeof buffer, &count, 0) != 0) {
            loop->delivered += count;
            Sleep(50);
        }
    }
}
}  // namespace

// The program ends a worker that does not stop in time by force, wherever it is.
TEST_F(QuorlinkSerial, SurvivesAReaderEndedByForce)
{
    Entry e(m_lib);
    ASSERT_EQ(e.open(m_port, 115200, 0), QUORLINK_OK);
    ReadingLoop loop;
    loop.read = e.read;
    HANDLE thread = CreateThread(nullptr, 0, ReadLikeTheProgram, &loop, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    Sleep(700);  // mid-dump: the open delay has passed, bytes are flowing
    EXPECT_TRUE(TerminateThread(thread, 1));
    WaitForSingleObject(thread, 1000);
    CloseHandle(thread);
    EXPECT_GT(loop.delivered.load(), 0);

    const DWORD start = GetTickCount();
    EXPECT_EQ(e.close(0), QUORLINK_OK);
    EXPECT_LT(Elapsed(start), 1000u);
    Sleep(300);
    ASSERT_EQ(e.open(m_port, 115200, 0), QUORLINK_OK);
    bool within = false;
    const std::vector<unsigned char> got = ReadDump(512, 0, &within);
    ASSERT_EQ(got.size(), m_expected.size());
    EXPECT_TRUE(got == m_expected);
}

TEST_F(QuorlinkSerial, SmallReadsNeverExceedTheirSize)
{
    Entry e(m_lib);
    ASSERT_EQ(e.open(m_port, 115200, 0), QUORLINK_OK);
    bool within = false;
    const std::vector<unsigned char> got = ReadDump(7, 0, &within);
    EXPECT_TRUE(within);
    ASSERT_EQ(got.size(), m_expected.size());
    EXPECT_TRUE(got == m_expected);
}

TEST_F(QuorlinkSerial, OpenWhileOpenStartsAfresh)
{
    Entry e(m_lib);
    ASSERT_EQ(e.open(m_port, 9600, 0), QUORLINK_OK);
    Sleep(100);  // part of the dump arrives and is dropped by the second Open
    ASSERT_EQ(e.open(m_port, 115200, 0), QUORLINK_OK);
    EXPECT_EQ(e.close(0), QUORLINK_OK);
    Sleep(300);  // the simulator sees the port closed, and sends again at the next open
    ASSERT_EQ(e.open(m_port, 115200, 0), QUORLINK_OK);
    bool within = false;
    const std::vector<unsigned char> got = ReadDump(512, 0, &within);
    ASSERT_EQ(got.size(), m_expected.size());
    EXPECT_TRUE(got == m_expected);
    EXPECT_EQ(e.close(0), QUORLINK_OK);
    EXPECT_EQ(e.close(0), QUORLINK_OK);
}

// --- Across a replug: korvex-regsim on KORVEX_TEST_REPLUG_COM pulls the adapter out in
// the middle of every dump; the adapter comes back already holding the next bytes, and
// the register sends on at once, before the library has opened the port again.

namespace {
class QuorlinkReplug : public QuorlinkSerial {
protected:
    const char* PortVariable() const override { return "KORVEX_TEST_REPLUG_COM"; }
};

}  // namespace

TEST_F(QuorlinkReplug, DeliversWhatWaitedInTheReturningPortAndWhatFollowed)
{
    ReadsTheWholeDumpAtTheProgramsPace();
}
