// A library whose entry points are cdecl (the caller pops the arguments) instead of
// stdcall: the program's calls must come back with the stack intact, over a whole
// acquisition.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "link/CommLibrary.h"
#include "quorlink/QuorlinkTest.h"
#include "support/MainWindowTest.h"
#include "support/SessionDriver.h"
#include "support/WinTestSupport.h"

using namespace wintest;

TEST(CallingConvention, AnAcquisitionThroughACdeclLibraryKeepsEveryLine)
{
    const std::string lib = ExeDir() + "testlibs\\cdecl\\Quorlink.dll";
    ASSERT_EQ(TestApp().m_commLibrary.LoadDll(lib.c_str()), 1);
    HMODULE m = ::GetModuleHandleA(lib.c_str());
    const auto reset = ExportOf<PFN_Test_Reset>(m, "Test_Reset");
    const auto queue = ExportOf<PFN_Test_QueueRead>(m, "Test_QueueRead");
    const auto stats = ExportOf<PFN_Test_GetStats>(m, "Test_GetStats");
    ASSERT_TRUE(reset && queue && stats);
    reset();

    // The start-up calls first.
    TestApp().m_commLibrary.SetInterface(3, 0);
    int ports[8] = {};
    int count = 8;
    TestApp().m_commLibrary.GetCOM_Installed(ports, &count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(ports[1], 2);
    int directReads = 0;
#if defined(__i386__)
    // Not a byte of drift, however many calls (the worker's own frame might hide it).
    uintptr_t before = 0, after = 0;
    unsigned char buffer[512];
    unsigned int got = 0;
    asm volatile("movl %%esp, %0" : "=r"(before));
    for (; directReads < 100; ++directReads)
        TestApp().m_commLibrary.ReadComBuffer(buffer, sizeof buffer, &got, 0);
    asm volatile("movl %%esp, %0" : "=r"(after));
    EXPECT_EQ(after, before);
#endif

    TempDir dir;
    const std::string tabFile = dir.File("Tab.txt");
    std::string table = "hdr\n";  // identity for digits, zero elsewhere
    for (int row = 0; row < 16; ++row) {
        table += std::to_string(row);
        for (int col = 0; col < 16; ++col)
            table += ";" + std::to_string(row == 3 && col < 10 ? 0x30 + col : 0);
        table += "\n";
    }
    WriteFileBytes(tabFile, table);
    const int lines = 40;  // the worker pauses 50 ms after each read
    {
        SessionDriver run(TestApp().m_commLibrary);
        // One line per read, and an empty read between them: each of these calls would
        // leave the worker's stack 16 bytes off if the caller did not restore it.
        for (int i = 0; i < lines; ++i) {
            const std::string line = std::to_string(i) + "\r";
            queue(reinterpret_cast<const unsigned char*>(line.data()), static_cast<int>(line.size()));
            queue(nullptr, 0);
        }
        ASSERT_TRUE(run.Start(2, 9600, tabFile));
        EXPECT_TRUE(run.WaitLines(lines, 20000));
        run.Stop();
        ASSERT_EQ(run.lines.size(), static_cast<size_t>(lines));
        for (int i = 0; i < lines; ++i)
            ASSERT_EQ(run.lines[i], std::to_string(i)) << "line " << i;
        EXPECT_FALSE(run.session.IsRunning());
        EXPECT_EQ(run.ends, std::vector<std::string>{""}) << "the run ended once, without an error";
    }
    QuorlinkTestStats s = {};
    stats(&s);
    EXPECT_EQ(s.openCalls, 1);
    EXPECT_EQ(s.closeCalls, 1);
    EXPECT_GE(s.readCalls, 2 * lines - 1 + directReads);  // the last, empty one may come after Stop
    EXPECT_EQ(s.lastReadSize, 512);
    TestApp().m_commLibrary.Close(0);
    TestApp().m_commLibrary.FreeDll();
}
