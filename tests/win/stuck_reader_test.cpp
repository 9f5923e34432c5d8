// The library's reader thread frozen in the middle of a read (SuspendThread stands in
// for a driver call that does not return), over a simulated register on KORVEX_TEST_COM:
// the session's Stop ends its worker by force while it waits inside the library's Close;
// the next Close must end the frozen reader, the next run must receive the dump exactly,
// and nothing of the frozen reader may stay behind (threads, handles, its reference to
// the library).
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "link/CommLibrary.h"
#include "support/MainWindowTest.h"
#include "support/SessionDriver.h"
#include "support/WinTestSupport.h"

using namespace wintest;

namespace {
std::vector<DWORD> ThreadIds()
{
    std::vector<DWORD> ids;
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te = {};
    te.dwSize = sizeof te;
    for (BOOL ok = ::Thread32First(snap, &te); ok; ok = ::Thread32Next(snap, &te)) {
        if (te.th32OwnerProcessID == ::GetCurrentProcessId())
            ids.push_back(te.th32ThreadID);
    }
    ::CloseHandle(snap);
    return ids;
}

DWORD HandleCount()
{
    DWORD n = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &n);
    return n;
}

// The thread that runs code of the given module: the library's reader.
HANDLE OpenThreadStartedIn(HMODULE module)
{
    using PFN_NtQueryInformationThread = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = ExportOf<PFN_NtQueryInformationThread>(::GetModuleHandleA("ntdll.dll"),
                                                              "NtQueryInformationThread");
    const auto base = reinterpret_cast<const char*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const char* end = base + nt->OptionalHeader.SizeOfImage;
    for (DWORD id : ThreadIds()) {
        HANDLE t = ::OpenThread(THREAD_ALL_ACCESS, FALSE, id);
        const char* start = nullptr;
        if (t && query && query(t, 9 /* ThreadQuerySetWin32StartAddress */, &start, sizeof start, nullptr) == 0 &&
            start >= base && start < end)
            return t;
        if (t)
            ::CloseHandle(t);
    }
    return nullptr;
}

std::vector<std::string> ExpectedLines(const std::string& path)
{
    std::vector<std::string> lines;
    const std::string text = ReadFileBytes(path);
    for (size_t at = 0, crlf; (crlf = text.find("\r\n", at)) != std::string::npos; at = crlf + 2)
        lines.push_back(text.substr(at, crlf - at));
    return lines;
}

}  // namespace

TEST(StuckReader, AFrozenReaderNeverTouchesTheNextRunAndLeavesNothingBehind)
{
    const char* com = std::getenv("KORVEX_TEST_COM");
    const char* dump = std::getenv("KORVEX_TEST_DUMP");
    if (!com || !dump)
        GTEST_SKIP() << "KORVEX_TEST_COM / KORVEX_TEST_DUMP not set";
    const std::string samples = std::string(dump).substr(0, std::string(dump).find_last_of('\\') + 1);
    const std::vector<std::string> expected = ExpectedLines(samples + "fiscal_dump.expected.txt");
    ASSERT_FALSE(expected.empty());

    ASSERT_EQ(TestApp().m_commLibrary.LoadDll((ExeDir() + "Quorlink.dll").c_str()), 1);
    const int port = std::atoi(com);
    const std::string tabFile = samples + "Korvex_Tab.txt", invalidFile = samples + "Korvex_Invalid.txt";
    {
        SessionDriver run(TestApp().m_commLibrary);
        auto start = [&] { return run.Start(port, 115200, tabFile, invalidFile); };
        // One plain run first, so that what the library keeps for good already exists.
        ASSERT_TRUE(start());
        PumpFor(200);
        run.Stop();
        PumpFor(200);
        const DWORD handles = HandleCount();
        const size_t threads = ThreadIds().size();

        // The reader is frozen inside its read once the dump is in: frozen in the middle
        // of a call that takes locks of the system's own, it would hold them for good.
        ASSERT_TRUE(start());
        ASSERT_TRUE(run.WaitLines(expected.size(), 10000));
        PumpFor(300);
        HANDLE reader = OpenThreadStartedIn(::GetModuleHandleA("Quorlink.dll"));
        ASSERT_NE(reader, nullptr);
        ASSERT_NE(::SuspendThread(reader), static_cast<DWORD>(-1));

        // The worker sees the stop and waits in Close for the frozen reader: it is
        // ended by force there.
        const DWORD t0 = ::GetTickCount();
        run.Stop();
        EXPECT_LT(::GetTickCount() - t0, 3000u);
        EXPECT_FALSE(run.session.IsRunning());
        const size_t before = run.lines.size();

        // The next Close finds the frozen reader where the ended one left it, and ends it
        // (the simulated register must see the port closed before it sends again).
        const DWORD t1 = ::GetTickCount();
        TestApp().m_commLibrary.Close(0);
        EXPECT_LT(::GetTickCount() - t1, 5000u);
        PumpFor(300);
        ASSERT_TRUE(start());
        EXPECT_TRUE(run.WaitLines(before + expected.size(), 20000));
        PumpFor(300);
        run.Stop();
        ASSERT_EQ(run.lines.size(), before + expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(run.lines[before + i], expected[i]) << "line " << i;

        ::CloseHandle(reader);
        PumpFor(300);
        EXPECT_EQ(ThreadIds().size(), threads);
        EXPECT_EQ(HandleCount(), handles);
    }
    TestApp().m_commLibrary.Close(0);
    TestApp().m_commLibrary.FreeDll();
    EXPECT_EQ(::GetModuleHandleA("Quorlink.dll"), nullptr) << "every reference to the library was given back";
}
