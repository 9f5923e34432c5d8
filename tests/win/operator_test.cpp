// What the operator sees of a run without looking at the lines, and the keys: the
// window's title through a run (waiting, receiving, quiet, stopped) and after a Load,
// at most twice a second however fast lines come; each key doing what its button does
// wherever the focus is, named in the button's tip, and doing nothing under a message box.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "core/AppSettings.h"
#include "fw/App.h"
#include "print/MyPrintPreview.h"
#include "quorlink/QuorlinkTest.h"
#include "res/resource.h"
#include "support/MainWindowTest.h"
#include "support/PreviewSupport.h"
#include "support/WinTestSupport.h"
#include "ui/Messages.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace operator_test {

// Every title the window was given, with when, recorded on the window's thread.
struct TitleChange {
    DWORD tick;
    std::string text;
};
HWND g_watched = nullptr;
std::vector<TitleChange> g_titles;

LRESULT CALLBACK RecordTitles(int code, WPARAM wp, LPARAM lp)
{
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && call->message == WM_SETTEXT && call->hwnd == g_watched && call->lParam)
        g_titles.push_back({::GetTickCount(), reinterpret_cast<const char*>(call->lParam)});
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

class OperatorTestBase : public ScriptedWindowTest {
protected:
    void SetUp() override
    {
        StartFresh({"COM2", "COM6"});
        TestApp().m_settings.comPort = 6;
        TestApp().m_settings.baudRate = 19200;
        m_dlg = std::make_unique<CReaderDlg>(TestApp());
        ASSERT_TRUE(m_dlg->Create());
        m_app.m_pMainWnd = m_dlg.get();
        Pump(50);
    }
    void TearDown() override
    {
        if (m_hook)
            ::UnhookWindowsHookEx(m_hook);
        ScriptedWindowTest::TearDown();
        m_app.m_pMainWnd = nullptr;
    }

    std::string Title() const
    {
        char text[512] = "";
        ::GetWindowTextA(m_dlg->m_hWnd, text, sizeof text);
        return text;
    }
    void RecordTitles()
    {
        g_watched = m_dlg->m_hWnd;
        g_titles.clear();
        m_hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &operator_test::RecordTitles, nullptr, ::GetCurrentThreadId());
        ASSERT_NE(m_hook, nullptr);
    }
    // A key pressed in the window that has the focus, through the message loop.
    void Press(WPARAM key, bool ctrl, bool shift) { PressIn(::GetFocus(), key, ctrl, shift); }

    CWinApp m_app{"Korvex"};
    HHOOK m_hook = nullptr;
};


class WindowTitleTest : public OperatorTestBase {};
class MainKeysTest : public OperatorTestBase {};

// A run's title taken apart.
struct RunTitleParts {
    std::string state;
    long lines = -1;
    long kb = -1;
    long seconds = -1;
};
RunTitleParts PartsOf(const std::string& title)
{
    static const std::regex shape(
        R"(^Korvex - COM6 19200 - (.+) - ([0-9 ]+) lines?, ([0-9 ]+) KB - ([0-9]+):([0-9]{2}):([0-9]{2})$)");
    std::smatch m;
    RunTitleParts parts;
    if (!std::regex_match(title, m, shape))
        return parts;
    auto number = [](std::string digits) {
        digits.erase(std::remove(digits.begin(), digits.end(), ' '), digits.end());
        return std::stol(digits);
    };
    parts.state = m[1];
    parts.lines = number(m[2]);
    parts.kb = number(m[3]);
    parts.seconds = std::stol(m[4]) * 3600 + std::stol(m[5]) * 60 + std::stol(m[6]);
    return parts;
}

TEST_F(WindowTitleTest, ARunPassesThroughWaitingReceivingQuietAndStoppedAtMostTwiceASecond)
{
    EXPECT_EQ(Title(), "Korvex");
    RecordTitles();
    Click(IDC_START);
    ASSERT_TRUE(m_dlg->IsRunning());
    EXPECT_EQ(Title(), "Korvex - COM6 19200 - waiting for data - 0 lines, 0 KB - 0:00:00") << "at once";
    Pump(2000, [&] { return Title().find("0:00:00") == std::string::npos; });
    EXPECT_EQ(Title(), "Korvex - COM6 19200 - waiting for data - 0 lines, 0 KB - 0:00:01") << "a second later";

    // 2 000 lines a second for three seconds, each of 20 bytes with its CR.
    const int kBatches = 60, kPerBatch = 100;
    std::atomic<bool> fed{false};
    std::atomic<DWORD> lastQueued{0};  // no byte can arrive before it is queued
    const DWORD feedStart = ::GetTickCount();
    std::thread feeder([&] {
        for (int b = 0; b < kBatches; ++b) {
            std::string bytes;
            for (int i = 0; i < kPerBatch; ++i) {
                char line[32];
                std::snprintf(line, sizeof line, "L%06d ABCDEFGHIJK\r", b * kPerBatch + i);
                bytes += line;
            }
            lastQueued = ::GetTickCount();
            s_lib.Queue(bytes);
            ::Sleep(50);
        }
        fed = true;
    });
    Pump(10000, [&] { return fed && Stats().pendingReads == 0; });
    feeder.join();
    const DWORD lastRead = ::GetTickCount();
    ASSERT_EQ(Stats().pendingReads, 0);
    const size_t changesWhileFed = std::count_if(g_titles.begin(), g_titles.end(), [&](const TitleChange& c) {
        return c.tick >= feedStart && c.tick <= lastRead;
    });
    const double fedSeconds = (lastRead - feedStart) / 1000.0;
    EXPECT_LE(changesWhileFed, static_cast<size_t>(2 * fedSeconds + 1)) << fedSeconds << " s";
    // It keeps up: the title changes while lines arrive, not only after. Loosely, for a
    // busy machine delays the window's timer (two test runs at once on two cores gave
    // 3 changes in about 3 s).
    EXPECT_GE(changesWhileFed, static_cast<size_t>(fedSeconds - 1)) << "the title kept up";
    for (size_t i = 0; i < g_titles.size(); ++i) {
        const size_t inASecond = std::count_if(g_titles.begin() + i, g_titles.end(), [&](const TitleChange& c) {
            return c.tick - g_titles[i].tick < 1000;
        });
        EXPECT_LE(inASecond, 3u) << "from " << g_titles[i].text;
    }

    // Quiet only once two seconds passed without a byte.
    Pump(4000, [&] { return Title().find("quiet for 3 s") != std::string::npos; });
    Click(IDC_START);
    const std::string stopped = Title();
    Pump(1100);
    EXPECT_EQ(Title(), stopped) << "the time stops with the run";

    // The titles, in order: each state in turn, the counts only ever growing.
    std::vector<std::string> states;
    long lines = 0, kb = 0, seconds = 0;
    DWORD firstQuiet = 0;
    for (const TitleChange& c : g_titles) {
        const RunTitleParts parts = PartsOf(c.text);
        ASSERT_NE(parts.lines, -1) << c.text;
        if (states.empty() || states.back() != parts.state)
            states.push_back(parts.state);
        if (parts.state == "receiving" && c.tick < lastRead) {
            EXPECT_GT(parts.lines, lines) << "lines came since the last title: " << c.text;
        }
        if (parts.state.rfind("quiet", 0) == 0 && !firstQuiet)
            firstQuiet = c.tick;
        EXPECT_GE(parts.lines, lines) << c.text;
        EXPECT_GE(parts.kb, kb) << c.text;
        EXPECT_GE(parts.seconds, seconds) << c.text;
        lines = parts.lines;
        kb = parts.kb;
        seconds = parts.seconds;
    }
    EXPECT_EQ(states, (std::vector<std::string>{"waiting for data", "receiving", "quiet for 2 s", "quiet for 3 s",
                                                "stopped"}));
    EXPECT_GE(firstQuiet - lastQueued, 1800u);
    EXPECT_LE(firstQuiet - lastRead, 3000u);
    const RunTitleParts end = PartsOf(stopped);
    EXPECT_EQ(end.lines, kBatches * kPerBatch);
    EXPECT_EQ(end.kb, 117) << "120 000 bytes";
    const std::string head = "Korvex - COM6 19200 - stopped - 6 000 lines, 117 KB - ";
    EXPECT_EQ(stopped.substr(0, head.size()), head);
}

TEST_F(WindowTitleTest, FollowsTheLinesOnceASecondWhenABusyQueueHoldsItsTimerBack)
{
    Click(IDC_START);
    ASSERT_TRUE(m_dlg->IsRunning());
    RecordTitles();
    // Only the worker's deliveries are taken, never a timer message: a steady flow of
    // lines on a busy machine can leave no room for one.
    auto takeDeliveries = [&] {
        MSG msg;
        while (::PeekMessageA(&msg, m_dlg->m_hWnd, WM_APP_ACQUISITION, WM_APP_ACQUISITION, PM_REMOVE))
            ::DispatchMessageA(&msg);
    };
    const DWORD start = ::GetTickCount();
    int queued = 0;
    while (g_titles.size() < 2 && ::GetTickCount() - start < 3000) {
        s_lib.Queue("L" + std::to_string(++queued) + "\r");
        ::Sleep(20);
        takeDeliveries();
    }
    ASSERT_EQ(g_titles.size(), 2u) << "a second and two seconds after Start";
    EXPECT_GE(g_titles[0].tick - start, 950u);
    EXPECT_GE(g_titles[1].tick - g_titles[0].tick, 950u);
    EXPECT_EQ(PartsOf(g_titles[0].text).state, "receiving") << g_titles[0].text;
    EXPECT_GT(PartsOf(g_titles[1].text).lines, PartsOf(g_titles[0].text).lines) << g_titles[1].text;

    // One more line, then the timer message held back all this while: it comes just
    // after a delivery brought the title up to date, and waits for its turn.
    const int lines = m_dlg->View().GetLineCount();
    s_lib.Queue("late\r");
    for (const DWORD t = ::GetTickCount(); m_dlg->View().GetLineCount() == lines && ::GetTickCount() - t < 300;) {
        ::Sleep(10);
        takeDeliveries();
    }
    ASSERT_EQ(m_dlg->View().GetLineCount(), lines + 1);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, m_dlg->m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE));
    ::DispatchMessageA(&msg);
    EXPECT_EQ(g_titles.size(), 2u) << g_titles.back().text;
}

TEST_F(WindowTitleTest, ALoadNamesTheFileAndAnEmptyRunOrAClearGivesTheTitleBack)
{
    WriteFileBytes(m_dir.File("dump 100%s.txt"), std::string("a\r\nb\r\n"));
    ASSERT_TRUE(m_dlg->LoadOutputFile(m_dir.File("dump 100%s.txt")));
    EXPECT_EQ(Title(), "Korvex - dump 100%s.txt - 2 lines");

    // A run that received nothing leaves the file's title as it was.
    Click(IDC_START);
    EXPECT_EQ(PartsOf(Title()).state, "waiting for data");
    Click(IDC_START);
    Pump(100);
    EXPECT_EQ(Title(), "Korvex - dump 100%s.txt - 2 lines");

    // One that received something keeps its own after it, also over a Load meanwhile.
    Click(IDC_START);
    s_lib.Queue("x\ry\rz\r");
    Pump(3000, [&] { return m_dlg->View().GetLineCount() == 5; });
    WriteFileBytes(m_dir.File("one.txt"), std::string("only\r\n"));
    ASSERT_TRUE(m_dlg->LoadOutputFile(m_dir.File("one.txt")));
    Click(IDC_START);
    const RunTitleParts run = PartsOf(Title());
    EXPECT_EQ(run.state, "stopped");
    EXPECT_EQ(run.lines, 3);
    EXPECT_EQ(run.kb, 1) << "6 bytes";

    ASSERT_TRUE(m_dlg->LoadOutputFile(m_dir.File("one.txt")));
    EXPECT_EQ(Title(), "Korvex - one.txt - 1 line");
    DialogWatcher watcher;
    watcher.QueueAnswer(IDYES);
    Click(IDC_CLEAR);
    EXPECT_EQ(Title(), "Korvex");
}

// Where the focus is when a key is pressed.
const int kFocusPlaces[] = {IDC_DATA_VIEW, IDC_INDENT, IDC_FONT};

TEST_F(MainKeysTest, EachKeyDoesWhatItsButtonDoesWhereverTheFocusIsInTheWindow)
{
    if (!HasDefaultPrinter())
        FAIL() << "no default printer for Print and Print Preview";
    WriteFileBytes(m_dir.File("in.txt"), std::string("one\r\ntwo\r\nthree\r\n"));
    struct Key {
        const char* name;
        WPARAM vk;
        bool ctrl, shift;
        // Done before the key, with where the focus is; then whether the key did its work
        // (asked until it says so).
        std::function<void(const std::string& place)> before;
        std::function<bool(const std::string& place)> did;
    };
    std::unique_ptr<FileDialogAnswer> answer;
    const Key keys[] = {
        {"Ctrl+S", 'S', true, false,
         [&](const std::string& place) { TestApp().m_settings.outputFile = m_dir.File("save-" + place + ".txt"); },
         [&](const std::string& place) {
             return ReadFileBytes(m_dir.File("save-" + place + ".txt")) == "one\r\ntwo\r\nthree\r\n";
         }},
        {"Ctrl+Shift+S", 'S', true, true,
         [&](const std::string& place) {
             answer = std::make_unique<FileDialogAnswer>(m_dir.File("as-" + place + ".txt"));
         },
         [&](const std::string& place) {
             return answer->WaitDone(3000) && FileExists(m_dir.File("as-" + place + ".txt")) &&
                    TestApp().m_settings.outputFile == m_dir.File("as-" + place + ".txt");
         }},
        {"Ctrl+O", 'O', true, false,
         [&](const std::string&) {
             m_dlg->View().ResetContent();
             answer = std::make_unique<FileDialogAnswer>(m_dir.File("in.txt"));
         },
         [&](const std::string&) { return answer->WaitDone(3000) && m_dlg->View().GetLineCount() == 3; }},
        {"Ctrl+P", 'P', true, false,
         [&](const std::string&) { answer = std::make_unique<FileDialogAnswer>("", cmb4); },
         [&](const std::string&) { return answer->WaitDone(5000) && m_dlg->View().GetLineCount() == 3; }},
        {"Ctrl+Shift+P", 'P', true, true, [](const std::string&) {},
         [&](const std::string&) {
             CMyPrintPreview* preview = CurrentPreview();
             if (!preview)
                 return false;
             ::SendMessageA(preview->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_PREVIEW_CLOSE, BN_CLICKED), 0);
             Pump(100);
             return ::IsWindowVisible(m_dlg->m_hWnd) && !CurrentPreview();
         }},
        {"F5", VK_F5, false, false, [](const std::string&) {},
         [&](const std::string&) { return m_dlg->IsRunning() && Stats().openCalls == 1; }},
        {"F5 again", VK_F5, false, false, [](const std::string&) {},
         [&](const std::string&) { return !m_dlg->IsRunning() && Stats().closeCalls == 1; }},
    };
    for (int id : kFocusPlaces) {
        const std::string place = std::to_string(id);
        s_lib.reset();
        m_dlg->LoadOutputFile(m_dir.File("in.txt"));
        for (const Key& key : keys) {
            ::SetFocus(Item(id));
            ASSERT_EQ(::GetFocus(), Item(id)) << place;
            key.before(place);
            Press(key.vk, key.ctrl, key.shift);
            bool done = false;
            Pump(3000, [&] { return done = key.did(place); });
            EXPECT_TRUE(done) << key.name << " with the focus on " << place;
            answer.reset();
        }
    }
    // F5 asks as the button does: with the port gone, it says so and starts nothing.
    DialogWatcher watcher;
    ::SendMessageA(Item(IDC_COM_PORT), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ::SetFocus(Item(IDC_DATA_VIEW));
    Press(VK_F5, false, false);
    ASSERT_TRUE(watcher.WaitForCount(1, 3000));
    EXPECT_EQ(watcher.Texts(), std::vector<std::string>{"COM6 is not present."});
    EXPECT_FALSE(m_dlg->IsRunning());
}

TEST_F(MainKeysTest, AMessageBoxKeepsTheKeysFromTheWindow)
{
    // While Clear's question is open, every key goes to the box's own loop: nothing is
    // saved, loaded, printed, previewed or started.
    TestApp().m_settings.outputFile = m_dir.File("never.txt");
    m_dlg->View().AddLine("kept", false);
    const struct {
        bool ctrl, shift;
        std::vector<WPARAM> keys;
    } rounds[] = {
        {true, false, {'S', 'O', 'P', 'F'}},
        {true, true, {'S', 'P'}},
        {false, false, {VK_F5, VK_F3}},
    };
    for (const auto& round : rounds) {
        HWND view = Item(IDC_DATA_VIEW);
        ::SetFocus(view);
        DialogWatcher watcher;
        watcher.SetHandler([&](HWND box) {
            for (WPARAM key : round.keys)
                ::PostMessageA(view, WM_KEYDOWN, key, 1);
            ::Sleep(500);  // time for the box's loop to hand them on
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
            return true;
        });
        Holding(round.ctrl, round.shift, [&] { Click(IDC_CLEAR); });
        Pump(300);
        EXPECT_EQ(watcher.Count(), 1u) << "only the question: no file dialog, printer dialog or Find box";
        EXPECT_TRUE(PrinterDialogs().empty());
        EXPECT_EQ(m_dlg->FindBox(), nullptr);
        EXPECT_FALSE(FileExists(m_dir.File("never.txt")));
        EXPECT_FALSE(m_dlg->IsRunning());
        EXPECT_EQ(CurrentPreview(), nullptr);
        EXPECT_EQ(m_dlg->View().GetLineCount(), 1);
        EXPECT_EQ(Stats().openCalls, 0);
    }
}

}  // namespace operator_test
