// The main window acting on the command line's options with the scripted library as the
// register: the port and baud rate picked, Start, the quiet time that stops the run, the
// save and the close, the exit codes, and the box that a bad command line shows.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/AppSettings.h"
#include "link/CommLibrary.h"
#include "quorlink/QuorlinkTest.h"
#include "res/resource.h"
#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

class CommandLineTest : public ScriptedWindowTest {
protected:
    void SetUp() override
    {
        StartFresh({"COM2", "COM5", "COM11"});
        TestApp().m_settings.comPort = 2;
        TestApp().m_settings.baudRate = 9600;
    }

    void Open(const StartOptions& options)
    {
        m_dlg = std::make_unique<CReaderDlg>(TestApp());
        m_dlg->SetStartOptions(options);
        ASSERT_TRUE(m_dlg->Create());
        m_openTick = ::GetTickCount();
    }
    bool Closed() const { return !m_dlg->IsWindow(); }
    bool WaitClosed(DWORD ms) const
    {
        return PumpUntil([&] { return Closed(); }, ms);
    }
    DialogWatcher m_watcher;
    DWORD m_openTick = 0;
};

}  // namespace

TEST_F(CommandLineTest, LoadsPicksStartsStopsAfterTheQuietTimeSavesAndCloses)
{
    WriteFileBytes(m_dir.File("earlier.txt"), "Z-first\r\nloaded last\r\n");
    const std::string out = m_dir.File("dump 11.txt");
    WriteFileBytes(out, "replaced\r\n");
    StartOptions s;
    s.options.file = m_dir.File("earlier.txt");
    s.options.port = 11;
    s.options.baud = 57600;
    s.options.start = true;
    s.options.idleStopSeconds = 2;
    s.options.savePath = out;
    s.options.exit = true;
    s.unattended = true;
    Queue("first byte\r");
    Open(s);

    // The quiet time runs from the last line: a line at 1.5 s keeps the run going past
    // 2 s after Start.
    PumpFor(1500);
    ASSERT_FALSE(Closed());
    EXPECT_EQ(m_dlg->View().GetLineCount(), 3);
    EXPECT_TRUE(m_dlg->IsRunning());
    Queue("Late\r");
    PumpFor(1500);
    ASSERT_FALSE(Closed()) << "stopped " << ::GetTickCount() - m_openTick << " ms after the start";
    EXPECT_EQ(m_dlg->View().GetLineCount(), 4);

    ASSERT_TRUE(WaitClosed(8000));
    EXPECT_EQ(m_dlg->ExitCode(), kExitDone);
    const QuorlinkTestStats stats = Stats();
    EXPECT_EQ(stats.openCalls, 1);
    EXPECT_EQ(stats.lastOpenPort, 11);
    EXPECT_EQ(stats.lastOpenBaud, 57600);
    EXPECT_EQ(ReadFileBytes(out), "Z-first\r\nloaded last\r\nfirst byte\r\nLate\r\n");
    EXPECT_EQ(ReadFileBytes(out + ".bak"), "replaced\r\n");
    // What was picked is kept as a pick is, and the saved file is the output file.
    EXPECT_EQ(TestApp().m_settings.comPort, 11);
    EXPECT_EQ(TestApp().m_settings.baudRate, 57600);
    EXPECT_EQ(TestApp().m_settings.outputFile, out);
    EXPECT_EQ(m_watcher.Count(), 0u);
}

TEST_F(CommandLineTest, UnattendedFailuresEndWithTheirExitCodeAndNoBox)
{
    // Nothing before the wait runs out: the run stops and nothing is saved.
    {
        StartOptions s;
        s.options.start = true;
        s.options.waitSeconds = 1;
        s.options.idleStopSeconds = 1;
        s.options.savePath = m_dir.File("never.txt");
        s.options.exit = true;
        s.unattended = true;
        Open(s);
        ASSERT_TRUE(WaitClosed(8000));
        EXPECT_GE(::GetTickCount() - m_openTick, 1000u);
        EXPECT_EQ(m_dlg->ExitCode(), kExitNothingArrived);
        EXPECT_EQ(::GetFileAttributesA(m_dir.File("never.txt").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(Stats().closeCalls, Stats().openCalls);
    }
    // The port does not open: its box is not shown, nothing arrived.
    {
        s_lib.reset();
        s_lib.setOpenResult(-3);
        StartOptions s;
        s.options.port = 5;
        s.options.start = true;
        s.options.exit = true;
        s.unattended = true;
        Open(s);
        ASSERT_TRUE(WaitClosed(8000));
        EXPECT_EQ(m_dlg->ExitCode(), kExitNothingArrived);
        EXPECT_EQ(Stats().lastOpenPort, 5);
    }
    // Lines arrived but the file cannot be written.
    {
        s_lib.reset();
        StartOptions s;
        s.options.start = true;
        s.options.idleStopSeconds = 1;
        s.options.savePath = m_dir.File("no such folder\\out.txt");
        s.options.exit = true;
        s.unattended = true;
        Queue("only\r");
        Open(s);
        ASSERT_TRUE(WaitClosed(8000));
        EXPECT_EQ(m_dlg->ExitCode(), kExitSaveFailed);
    }
    // A bad command line closes at once.
    {
        s_lib.reset();
        StartOptions s;
        s.error = "Unknown option /stat.";
        s.unattended = true;
        Open(s);
        ASSERT_TRUE(WaitClosed(3000));
        EXPECT_EQ(m_dlg->ExitCode(), kExitBadCommandLine);
        EXPECT_EQ(Stats().openCalls, 0);
    }
    // The window closed before it acted on the command line: nothing was saved, which 0
    // would claim.
    {
        s_lib.reset();
        StartOptions s;
        s.options.start = true;
        s.options.savePath = m_dir.File("closed early.txt");
        s.options.exit = true;
        s.unattended = true;
        Queue("only\r");
        Open(s);
        ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitClosed(3000));
        EXPECT_EQ(m_dlg->ExitCode(), kExitNothingArrived);
        EXPECT_EQ(Stats().openCalls, 0);
        EXPECT_FALSE(FileExists(m_dir.File("closed early.txt")));
    }
    EXPECT_EQ(m_watcher.Count(), 0u) << (m_watcher.Texts().empty() ? "" : m_watcher.Texts()[0]);
}

TEST_F(CommandLineTest, NoFileIsReplacedByLessThanItHeldNorWrittenToADevice)
{
    const std::string target = m_dir.File("conv.txt");
    const std::string earlier = "earlier dump, line 1\r\nline 2\r\n";
    WriteFileBytes(m_dir.File("empty.txt"), "");
    WriteFileBytes(m_dir.File("loaded.txt"), "loaded\r\n");
    // A pipe whose server waits: one that the save opened, even without a byte, no
    // longer listens.
    const HANDLE pipe = ::CreateNamedPipeW(L"\\\\.\\pipe\\korvex-cmdline-test", PIPE_ACCESS_INBOUND,
                                           PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 0, 65536, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    struct Case {
        const char* what;
        std::string file;  // loaded first when not empty
        std::string save;
        int exitCode;
    };
    const Case cases[] = {
        {"a file that does not load", m_dir.File("missing.txt"), target, kExitLoadFailed},
        {"a folder given as the file", m_dir.Path(), target, kExitLoadFailed},
        {"nothing loaded or received", "", target, kExitNothingArrived},
        {"an empty file loaded", m_dir.File("empty.txt"), target, kExitNothingArrived},
        {"a device name", m_dir.File("loaded.txt"), m_dir.File("x\\NUL.txt"), kExitSaveFailed},
        {"a pipe", m_dir.File("loaded.txt"), "\\\\.\\pipe\\korvex-cmdline-test", kExitSaveFailed},
        {"a device by another name", m_dir.File("loaded.txt"), "Z:\\dev\\pts\\ptmx", kExitSaveFailed},
    };
    for (const Case& c : cases) {
        WriteFileBytes(target, earlier);
        StartOptions s;
        s.options.file = c.file;
        s.options.savePath = c.save;
        s.options.exit = true;
        s.unattended = true;
        Open(s);
        ASSERT_TRUE(WaitClosed(5000)) << c.what;
        EXPECT_EQ(m_dlg->ExitCode(), c.exitCode) << c.what;
        EXPECT_EQ(ReadFileBytes(target), earlier) << c.what;
        EXPECT_FALSE(FileExists(target + ".bak")) << c.what;
    }
    EXPECT_FALSE(::ConnectNamedPipe(pipe, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PIPE_LISTENING));
    ::CloseHandle(pipe);
    EXPECT_EQ(Stats().openCalls, 0);
    EXPECT_EQ(m_watcher.Count(), 0u) << (m_watcher.Texts().empty() ? "" : m_watcher.Texts()[0]);

    // With someone there, a file that does not load says so, and nothing else of the
    // command line is done: no Start, no save.
    StartOptions s;
    s.options.file = m_dir.File("missing.txt");
    s.options.start = true;
    s.options.savePath = target;
    Open(s);
    ASSERT_TRUE(PumpUntil([&] { return m_watcher.Count() >= 1; }, 5000));
    PumpFor(300);
    EXPECT_EQ(m_watcher.Texts()[0], MessageWithReason("ERROR load file.", m_dir.File("missing.txt"), ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(Closed());
    EXPECT_FALSE(m_dlg->IsRunning());
    EXPECT_EQ(Stats().openCalls, 0);
    EXPECT_EQ(m_dlg->ExitCode(), kExitLoadFailed);
    EXPECT_EQ(ReadFileBytes(target), earlier);
}

TEST_F(CommandLineTest, BadOptionShowsTheUsageAndOpensWithoutStarting)
{
    StartOptions s;
    s.error = "Unknown option /stat.";
    s.options.start = true;  // not acted on
    Open(s);
    ASSERT_TRUE(PumpUntil([&] { return m_watcher.Count() >= 1; }, 5000));
    PumpFor(300);
    const std::string box = m_watcher.Texts()[0];
    EXPECT_NE(box.find("Unknown option /stat."), std::string::npos) << box;
    EXPECT_NE(box.find("/idle-stop S"), std::string::npos) << box;
    EXPECT_FALSE(Closed());
    EXPECT_FALSE(m_dlg->IsRunning());
    EXPECT_EQ(Stats().openCalls, 0);
    EXPECT_EQ(m_dlg->ExitCode(), kExitBadCommandLine);
    // The window is as a plain start leaves it: the configured port still selected.
    EXPECT_EQ(::SendMessageA(::GetDlgItem(m_dlg->m_hWnd, IDC_COM_PORT), CB_GETCURSEL, 0, 0), 0);
}

TEST_F(CommandLineTest, WithoutExitTheWindowStaysAndBoxesAreShown)
{
    // A port that does not open tells the operator as a Start by hand does; the run
    // ends and the window stays.
    s_lib.setOpenResult(-3);
    StartOptions s;
    s.options.port = 5;
    s.options.baud = 1200;
    s.options.start = true;
    s.options.waitSeconds = 1;
    Open(s);
    ASSERT_TRUE(PumpUntil([&] { return m_watcher.Count() >= 1; }, 5000));
    PumpFor(1500);
    EXPECT_FALSE(Closed());
    EXPECT_EQ(m_dlg->ExitCode(), kExitNothingArrived);
    EXPECT_EQ(Stats().lastOpenBaud, 1200);
    EXPECT_EQ(::SendMessageA(::GetDlgItem(m_dlg->m_hWnd, IDC_COM_PORT), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(m_watcher.Count(), 1u);
}
