// Stop of the session, or closing the window, while the library is held up in a call
// that never returns: the worker is ended by force within bounds, and everything a stop
// promises holds: the run's end is delivered, the lines received so far stay, the next
// run opens the port again and delivers, and nothing of the ended run is left running
// or held.
#include <gtest/gtest.h>

#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

#include <memory>
#include <string>

#include "link/CommLibrary.h"
#include "link/LastRunRecord.h"
#include "quorlink/QuorlinkTest.h"
#include "support/MainWindowTest.h"
#include "support/SessionDriver.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace forced_stop_test {

const int kStartStop = 1005;

size_t ThreadCount()
{
    size_t n = 0;
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te = {};
    te.dwSize = sizeof te;
    for (BOOL ok = ::Thread32First(snap, &te); ok; ok = ::Thread32Next(snap, &te))
        n += te.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snap);
    return n;
}

DWORD HandleCount()
{
    DWORD n = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &n);
    return n;
}

// Whether another program could now replace the file (no one holds it against writing).
bool Writable(const std::string& path)
{
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(h);
    return true;
}

void Click(HWND window, int id)
{
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
}

TEST(ForcedStop, AHangingReadIsEndedAndTheNextRunStartsAgain)
{
    ScriptedLibrary lib = LoadScriptedControls();
    ASSERT_NE(lib.reset, nullptr);
    const auto stall = ExportOf<PFN_Test_QueueRawRead>(::GetModuleHandleA("Quorlink.dll"), "Test_QueueRawRead");
    lib.reset();
    TempDir dir;
    const std::string tabFile = dir.File("Tab.txt");
    WriteFileBytes(tabFile, IdentityTableFile());
    const std::string record = dir.File(CLastRunRecord::kFileName);
    auto stats = [&] {
        QuorlinkTestStats s = {};
        lib.getStats(&s);
        return s;
    };
    {
        SessionDriver session(TestApp().m_commLibrary);
        auto start = [&] { return session.Start(9, 57600, tabFile, std::string(), dir.Path()); };
        // The test framework starts a thread of its own at the first trace or failure of
        // a thread: that happens here, before the threads are counted.
        SCOPED_TRACE("a session with its first run");
        // One plain run first, so that what lasts as long as the session exists already.
        ASSERT_TRUE(start());
        PumpFor(100);
        session.Stop();
        ASSERT_TRUE(PumpUntil([&] { return Writable(record); }, 3000));
        const size_t threads = ThreadCount();
        const DWORD handles = HandleCount();

        for (size_t run = 1; run <= 2; ++run) {
            SCOPED_TRACE("run " + std::to_string(run));
            const std::string held = "held" + std::to_string(run), next = "next" + std::to_string(run);
            lib.Queue(held + "\r");
            stall(QUORLINK_TEST_STALL, nullptr, 0, 0);
            ASSERT_TRUE(start());
            // The first run's line is taken before the stop; the second's is still
            // queued when the stop comes, which must deliver it.
            const bool takenBefore = run == 1;
            ASSERT_TRUE(PumpUntil(
                [&] {
                    if (takenBefore)
                        session.Drain();
                    return session.lines.size() == 2 * run - (takenBefore ? 1 : 2) && stats().pendingReads == 0;
                },
                5000));
            PumpFor(100);  // the worker is now inside the read that never returns
            const size_t ends = session.ends.size();
            const DWORD t0 = ::GetTickCount();
            session.session.Stop();
            const DWORD took = ::GetTickCount() - t0;
            EXPECT_GE(took, 250u) << "the worker gets its 300 ms to see the stop";
            EXPECT_LT(took, 3000u) << "a hanging library call must not hold up Stop";
            EXPECT_FALSE(session.session.IsRunning());
            EXPECT_FALSE(session.session.HasWorker());
            // The forced end is delivered as the run's end, once, without an error.
            session.Drain();
            EXPECT_EQ(session.ends.size(), ends + 1);
            EXPECT_EQ(session.ends.back(), "");
            // The record is let go by a thread of its own, soon after.
            EXPECT_TRUE(PumpUntil([&] { return Writable(record); }, 3000)) << "the ended run's record is let go";
            ASSERT_EQ(session.lines.size(), 2 * run - 1);
            EXPECT_EQ(session.lines.back(), held) << "what arrived before the stop stays";
            EXPECT_EQ(ThreadCount(), threads) << "the worker is gone";
            EXPECT_EQ(HandleCount(), handles) << "nothing of the ended run is held";

            // The next run opens the port again, receives, and closes it at its Stop.
            const int opens = stats().openCalls;
            lib.Queue(next + "\r");
            ASSERT_TRUE(start());
            EXPECT_TRUE(session.session.IsRunning());
            ASSERT_TRUE(session.WaitLines(2 * run, 5000));
            EXPECT_EQ(session.lines[2 * run - 1], next);
            const DWORD t1 = ::GetTickCount();
            session.Stop();
            EXPECT_LT(::GetTickCount() - t1, 250u) << "a worker that is not held up ends by itself";
            const QuorlinkTestStats s = stats();
            EXPECT_EQ(s.openCalls, opens + 1);
            EXPECT_EQ(s.lastOpenPort, 9);
            EXPECT_EQ(s.lastOpenBaud, 57600);
            EXPECT_EQ(s.portOpen, 0) << "the port is closed for whatever comes next";
            EXPECT_EQ(s.closeCalls, static_cast<int>(run) + 1) << "every run that ended by itself closed the port once";
        }
        EXPECT_TRUE(PumpUntil([&] { return Writable(record) && ReadFileBytes(record) == "next2\r\n"; }, 3000))
            << "the last run's record holds its line";
    }
    TestApp().m_commLibrary.FreeDll();
}

// The window's Stop during a read that never returns, then closing the window during
// the next one.
TEST(ForcedStop, StopAndClosingTheWindowDuringAHangingReadLeaveNothingRunning)
{
    const std::string lib = ExeDir() + "testlibs\\hang\\Quorlink.dll";
    ASSERT_EQ(TestApp().m_commLibrary.LoadDll(lib.c_str()), 1);
    const auto getStats = ExportOf<PFN_Test_GetStats>(::GetModuleHandleA(lib.c_str()), "Test_GetStats");
    ResetTestApp({"COM1"});
    auto dlg = std::make_unique<CReaderDlg>(TestApp());
    ASSERT_TRUE(dlg->Create());
    auto caption = [&] {
        char text[32] = {};
        ::GetDlgItemTextA(dlg->m_hWnd, kStartStop, text, sizeof text);
        return std::string(text);
    };
    const size_t threads = ThreadCount();
    QuorlinkTestStats s = {};
    Click(dlg->m_hWnd, kStartStop);
    ASSERT_TRUE(PumpUntil([&] { return getStats(&s), s.readCalls == 1; }, 5000));
    EXPECT_EQ(caption(), "Stop");
    const DWORD stopped = ::GetTickCount();
    Click(dlg->m_hWnd, kStartStop);
    EXPECT_LT(::GetTickCount() - stopped, 3000u);
    EXPECT_EQ(caption(), "Start") << "as soon as Stop has been handled";
    PumpFor(100);
    EXPECT_EQ(caption(), "Start") << "also once the run's end has been delivered";
    EXPECT_EQ(ThreadCount(), threads) << "the stopped worker is gone";

    Click(dlg->m_hWnd, kStartStop);
    ASSERT_TRUE(PumpUntil([&] { return getStats(&s), s.readCalls == 2; }, 5000));
    {
        DialogWatcher watcher;
        watcher.QueueAnswer(IDYES);
        const DWORD t0 = ::GetTickCount();
        Click(dlg->m_hWnd, IDCANCEL);
        EXPECT_FALSE(dlg->IsWindow());
        EXPECT_LT(::GetTickCount() - t0, 3000u);
        EXPECT_EQ(watcher.Count(), 1u) << "closing during a run asks first";
    }
    EXPECT_EQ(ThreadCount(), threads) << "the worker is gone with the window";
    dlg.reset();
    // Shutdown closes the port once more; the library must still answer.
    EXPECT_EQ(TestApp().m_commLibrary.Close(0), LibraryCall::Called);
    getStats(&s);
    EXPECT_EQ(s.closeCalls, 1);
    TestApp().m_commLibrary.FreeDll();
}

}  // namespace forced_stop_test
