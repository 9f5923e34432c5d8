// The acquisition session without a window, over the scripted library: how a run ends
// (refused port, Stop), what the record and the document get when the document is full
// and when the session closes with lines still queued, and the wake-ups it posts to the
// window it was given.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "link/CommLibrary.h"
#include "link/LastRunRecord.h"
#include "quorlink/QuorlinkTest.h"
#include "support/MainWindowTest.h"
#include "support/SessionDriver.h"
#include "support/WinTestSupport.h"

using namespace wintest;

namespace acquisition_session_test {

const UINT kWakeMessage = WM_APP + 7;

class AcquisitionSessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_lib = LoadScriptedControls();
        ASSERT_NE(s_lib.reset, nullptr);
    }
    static void TearDownTestSuite() { TestApp().m_commLibrary.FreeDll(); }
    void SetUp() override
    {
        s_lib.reset();
        m_tab = m_dir.File("Tab.txt");
        WriteFileBytes(m_tab, IdentityTableFile());
    }

    QuorlinkTestStats Stats() const
    {
        QuorlinkTestStats s = {};
        s_lib.getStats(&s);
        return s;
    }
    std::string Record() const { return m_dir.File(CLastRunRecord::kFileName); }
    // The record once its writer has written it out: held no more, and holding `bytes`.
    bool RecordHolds(const std::string& bytes) const
    {
        return PumpUntil([&] { return FileExists(Record()) && ReadFileBytes(Record()) == bytes; }, 3000);
    }

    static ScriptedLibrary s_lib;
    TempDir m_dir;
    std::string m_tab;
};

ScriptedLibrary AcquisitionSessionTest::s_lib;

TEST_F(AcquisitionSessionTest, ARunEndsOnceAndOnlyAnOpenedPortStartsARecord)
{
    // A refused port, then one that opens: the same session, one after the other.
    struct Case {
        int openAnswer;
        const char* bytes;
        std::vector<std::string> lines;
        const char* endText;  // what the run's end says
        bool recorded;
    };
    const Case cases[] = {
        {5, "lost\r", {}, "port refused\nCOM6: library said 5", false},
        {0, "Z1\rq\r\rtail", {"Z1", "q", ""}, "", true},
    };
    SessionDriver run(TestApp().m_commLibrary);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.openAnswer);
        s_lib.reset();
        s_lib.setOpenResult(c.openAnswer);
        s_lib.Queue(c.bytes);
        run.lines.clear();
        run.ends.clear();
        ASSERT_TRUE(run.Start(6, 38400, m_tab, std::string(), m_dir.Path()));
        EXPECT_TRUE(run.session.IsRunning());
        if (c.recorded) {
            ASSERT_TRUE(run.WaitLines(c.lines.size(), 5000));
            PumpFor(100);
            run.Stop();
        } else {
            ASSERT_TRUE(run.WaitEnded(1, 5000));
            // The worker ended by itself: it stays recorded until the next Start or Stop.
            EXPECT_FALSE(run.session.IsRunning());
            EXPECT_TRUE(run.session.HasWorker());
            run.Stop();
        }
        EXPECT_FALSE(run.session.IsRunning());
        EXPECT_FALSE(run.session.HasWorker());
        EXPECT_EQ(run.lines, c.lines) << "the partial line is dropped";
        EXPECT_EQ(run.ends, std::vector<std::string>{c.endText});
        const QuorlinkTestStats s = Stats();
        EXPECT_EQ(s.openCalls, 1);
        EXPECT_EQ(s.lastOpenPort, 6);
        EXPECT_EQ(s.lastOpenBaud, 38400);
        EXPECT_EQ(s.closeCalls, 1) << "the port is closed after a refused Open too";
        if (c.recorded)
            EXPECT_TRUE(RecordHolds("Z1\r\nq\r\n\r\n"));
        else
            EXPECT_FALSE(FileExists(Record())) << "a run whose port did not open records nothing";
    }
}

// The program's own library on a port that does not exist: the port, the system's reason
// and the library's answer.
TEST_F(AcquisitionSessionTest, APortThatDoesNotExistIsToldWithTheSystemsReason)
{
    CommLibrary real;  // by its path: the scripted one of the same name is loaded too
    ASSERT_EQ(real.LoadDll((ExeDir() + "Quorlink.dll").c_str()), 1);
    SessionDriver run(real);
    ASSERT_TRUE(run.Start(250, 9600, m_tab));
    ASSERT_TRUE(run.WaitEnded(1, 5000));
    run.Stop();
    EXPECT_EQ(run.ends, std::vector<std::string>{MessageWithReason("port refused", "COM250", ERROR_FILE_NOT_FOUND) +
                                                 " (library said 3)"});
}

TEST_F(AcquisitionSessionTest, AFullDocumentTakesNoMoreLinesOfTheRunButTheRecordGetsThemAll)
{
    SessionDriver run(TestApp().m_commLibrary);
    run.capacity = 2;
    s_lib.Queue("r1\rr2\rr3\r");
    s_lib.Queue("r4\r");
    ASSERT_TRUE(run.Start(6, 9600, m_tab, std::string(), m_dir.Path()));
    ASSERT_TRUE(run.DrainUntil([&] { return Stats().pendingReads == 0 && run.session.RunLines() == 4; }, 5000));
    run.Stop();
    EXPECT_EQ(run.lines, (std::vector<std::string>{"r1", "r2"})) << "the run's start, without gaps";
    EXPECT_EQ(run.fullTold, 1) << "told once";
    EXPECT_TRUE(RecordHolds("r1\r\nr2\r\nr3\r\nr4\r\n"));

    // The next run finds room again: its lines reach the document.
    run.capacity = 3;
    s_lib.Queue("n1\rn2\r");
    ASSERT_TRUE(run.Start(6, 9600, m_tab, std::string(), m_dir.Path()));
    ASSERT_TRUE(run.WaitLines(3, 5000));
    PumpFor(100);
    run.Stop();
    EXPECT_EQ(run.lines, (std::vector<std::string>{"r1", "r2", "n1"}));
    EXPECT_EQ(run.fullTold, 2);
    EXPECT_EQ(run.session.RunLines(), 2u) << "every line of the run delivered is counted, taken or not";
}

namespace {
int g_wakeUps = 0;
LRESULT CALLBACK CountWakeUps(HWND window, UINT message, WPARAM wp, LPARAM lp)
{
    if (message == kWakeMessage) {
        ++g_wakeUps;
        return 0;
    }
    return ::DefWindowProcA(window, message, wp, lp);
}
}  // namespace

TEST_F(AcquisitionSessionTest, WakeUpsGoToTheGivenWindowAndQueuedLinesReachTheRecordOnClose)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountWakeUps;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "KorvexWakeCounter";
    ::RegisterClassA(&wc);
    HWND window = ::CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    g_wakeUps = 0;
    {
        SessionDriver run(TestApp().m_commLibrary);
        run.session.SetWakeUp(window, kWakeMessage);
        s_lib.Queue("w1\rw2\r");
        ASSERT_TRUE(run.Start(6, 9600, m_tab, std::string(), m_dir.Path()));
        // Nothing is drained: the first item posts one wake-up, the rest find the queue
        // non-empty and post none.
        ASSERT_TRUE(PumpUntil([&] { return Stats().pendingReads == 0; }, 5000));
        PumpFor(200);
        EXPECT_EQ(g_wakeUps, 1);
        // Stop leaves the run's end queued behind the lines, which posts nothing by
        // itself: the session posts again for what is still queued.
        run.session.Stop();
        PumpFor(100);
        EXPECT_EQ(g_wakeUps, 2);
        // The window is going: the session closes with the lines still queued. They
        // reach the record, not the document.
        run.session.Close();
        EXPECT_TRUE(run.lines.empty());
        EXPECT_TRUE(RecordHolds("w1\r\nw2\r\n"));
        // A closed session posts to nobody: a run after Close wakes no window.
        s_lib.Queue("x\r");
        ASSERT_TRUE(run.Start(6, 9600, m_tab));
        EXPECT_TRUE(run.WaitLines(1, 5000));
        run.Stop();
        PumpFor(100);
        EXPECT_EQ(g_wakeUps, 2);
    }
    ::DestroyWindow(window);
}

}  // namespace acquisition_session_test
