// Memory that runs out in the middle of Load, Print and the delivery of received lines:
// the program goes on running, the lines stay as they were and the operator is told once.
// Allocations are made to fail on demand by this program's own operator new, on the
// window's thread only.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/AppSettings.h"
#include "app/ReaderApp.h"
#include "core/UiText.h"
#include "fw/App.h"
#include "link/CommLibrary.h"
#include "link/LastRunRecord.h"
#include "quorlink/QuorlinkTest.h"
#include "res/resource.h"
#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {
// The failures the arming thread asks for: the allocation numbered t_failAt from the
// arming on (one failure), every allocation of t_failSize bytes or more, or every
// allocation that asks not to throw (the line store's blocks: a view that is full).
thread_local long t_failAt = -1;
thread_local long t_counted = 0;
thread_local size_t t_failSize = 0;
thread_local bool t_failNothrow = false;
thread_local long t_failed = 0;

void* Allocate(size_t size, bool nothrow)
{
    const bool fail = (t_failAt >= 0 && t_counted++ == t_failAt) || (t_failSize && size >= t_failSize) ||
                      (t_failNothrow && nothrow);
    if (fail) {
        ++t_failed;
        return nullptr;
    }
    return std::malloc(size ? size : 1);
}

// Arms failures for its lifetime; says how many allocations failed.
class FailingAllocations {
public:
    static FailingAllocations Numbered(long n) { return FailingAllocations(n, 0, false); }
    static FailingAllocations FromSize(size_t size) { return FailingAllocations(-1, size, false); }
    static FailingAllocations Nothrow() { return FailingAllocations(-1, 0, true); }
    ~FailingAllocations() { Disarm(); }
    FailingAllocations(FailingAllocations&& other) noexcept = default;
    long Disarm()
    {
        t_failAt = -1;
        t_failSize = 0;
        t_failNothrow = false;
        return t_failed;
    }

private:
    FailingAllocations(long at, size_t size, bool nothrow)
    {
        t_counted = 0;
        t_failed = 0;
        t_failAt = at;
        t_failSize = size;
        t_failNothrow = nothrow;
    }
};
}  // namespace

void* operator new(size_t size)
{
    if (void* p = Allocate(size, false))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size)
{
    if (void* p = Allocate(size, false))
        return p;
    throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size, true); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size, true); }
// Memory from Allocate is malloc's: free is its match.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

// Answers every dialog of this process but the main window with Cancel (Esc, which a
// box with only OK takes as OK) and keeps the texts of the message boxes.
class CancelEverything {
public:
    explicit CancelEverything(HWND main) : m_main(main), m_thread([this] { Run(); }) {}
    ~CancelEverything()
    {
        m_stop = true;
        m_thread.join();
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts;
    }
    size_t Dialogs()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_dialogs;
    }

private:
    void Run()
    {
        std::vector<HWND> answered;
        while (!m_stop) {
            struct Search {
                HWND main;
                std::vector<HWND> found;
                static BOOL CALLBACK Proc(HWND hwnd, LPARAM lp)
                {
                    auto* s = reinterpret_cast<Search*>(lp);
                    DWORD pid = 0;
                    ::GetWindowThreadProcessId(hwnd, &pid);
                    char cls[32] = "";
                    ::GetClassNameA(hwnd, cls, sizeof cls);
                    if (pid == ::GetCurrentProcessId() && hwnd != s->main && std::string(cls) == "#32770" &&
                        ::IsWindowVisible(hwnd))
                        s->found.push_back(hwnd);
                    return TRUE;
                }
            } search{m_main, {}};
            ::EnumWindows(&Search::Proc, reinterpret_cast<LPARAM>(&search));
            for (HWND dialog : search.found) {
                bool seen = false;
                for (HWND h : answered)
                    seen = seen || h == dialog;
                if (seen)
                    continue;
                answered.push_back(dialog);
                ::Sleep(30);
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    ++m_dialogs;
                    if (::GetDlgItem(dialog, 0xFFFF))
                        m_texts.push_back(MessageBoxText(dialog));
                }
                ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            }
            // A handle may come back for a later dialog once the answered one is gone.
            std::vector<HWND> still;
            for (HWND h : answered)
                if (::IsWindow(h) && ::IsWindowVisible(h))
                    still.push_back(h);
            answered.swap(still);
            ::Sleep(10);
        }
    }

    HWND m_main;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::string> m_texts;
    size_t m_dialogs = 0;
    std::thread m_thread;
};

struct ScriptedControls {
    PFN_Test_Reset reset;
    PFN_Test_QueueRead queueRead;
};

class AllocFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTestApp({"COM1"}, m_dir.Path());
        TestApp().m_settings.tabFile = m_dir.File("Tab.txt");
        WriteFileBytes(TestApp().m_settings.tabFile, IdentityTableFile());
        m_dlg = std::make_unique<CReaderDlg>(TestApp());
        ASSERT_TRUE(m_dlg->Create());
        m_app.m_pMainWnd = m_dlg.get();
        ::ShowWindow(m_dlg->m_hWnd, SW_SHOW);
        PumpFor(50);
    }
    void TearDown() override
    {
        if (m_dlg && m_dlg->IsWindow())
            ::DestroyWindow(m_dlg->m_hWnd);
        m_dlg.reset();
        m_app.m_pMainWnd = nullptr;
        PumpFor(20);
    }

    CDataView& View() { return m_dlg->View(); }
    void Kept(int n)
    {
        for (int i = 0; i < n; ++i)
            View().AddLine(("kept line " + std::to_string(i)).c_str(), false);
    }
    // The view holds exactly the kept lines, and the main window is in charge.
    void ExpectKept(int n)
    {
        ASSERT_EQ(View().GetLineCount(), n);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(View().GetLine(i), "kept line " + std::to_string(i));
        EXPECT_TRUE(::IsWindowVisible(m_dlg->m_hWnd));
        EXPECT_EQ(m_app.m_pMainWnd, m_dlg.get());
    }

    CWinApp m_app{"Korvex"};
    TempDir m_dir;
    std::unique_ptr<CReaderDlg> m_dlg;
};

}  // namespace

// Each allocation of a Load fails in turn: the file is either loaded whole, or refused
// with "ERROR load file." and the view, the output file name and the program stay.
// Then a file that does not fit at all, and a Load that works afterwards.
TEST_F(AllocFailureTest, LoadEitherLoadsOrIsRefusedWhereverMemoryRunsOut)
{
    std::string file;
    for (int i = 0; i < 5000; ++i)
        file += (i % 1000 == 7 ? std::string(5000, 'L') : "file line " + std::to_string(i)) + "\r\n";
    const std::string path = m_dir.File("Load.txt");
    WriteFileBytes(path, file);
    Kept(12);
    TestApp().m_settings.outputFile = "before.txt";
    CancelEverything answers(m_dlg->m_hWnd);

    int refused = 0;
    long n = 0;
    for (; n < 400; ++n) {
        SCOPED_TRACE(n);
        const size_t boxes = answers.Texts().size();
        long failed = 0;
        try {
            auto fail = FailingAllocations::Numbered(n);
            m_dlg->LoadOutputFile(path);
            failed = fail.Disarm();
        } catch (...) {
            ADD_FAILURE() << "an exception left Load";
        }
        if (failed == 0) {
            // No allocation of that number: every one has failed once. This Load
            // worked as it always does.
            EXPECT_EQ(View().GetLineCount(), 5000);
            View().ResetContent();
            Kept(12);
            TestApp().m_settings.outputFile = "before.txt";
            break;
        }
        if (View().GetLineCount() == 12) {
            ++refused;
            ExpectKept(12);
            EXPECT_EQ(TestApp().m_settings.outputFile, "before.txt");
            ASSERT_EQ(answers.Texts().size(), boxes + 1);
            EXPECT_EQ(FirstLine(answers.Texts().back()), "ERROR load file.");
        } else {
            ASSERT_EQ(View().GetLineCount(), 5000);
            EXPECT_EQ(View().GetLine(4999), "file line 4999");
            EXPECT_EQ(View().GetLine(1007).size(), 5000u);
            EXPECT_EQ(TestApp().m_settings.outputFile, path);
            EXPECT_EQ(answers.Texts().size(), boxes);
            View().ResetContent();
            Kept(12);
            TestApp().m_settings.outputFile = "before.txt";
        }
    }
    EXPECT_LT(n, 400) << "the sweep did not end";
    EXPECT_GT(refused, 2);

    // The file's bytes do not fit: refused the same way.
    {
        auto fail = FailingAllocations::FromSize(file.size() / 2);
        m_dlg->LoadOutputFile(path);
        EXPECT_GT(fail.Disarm(), 0);
    }
    ExpectKept(12);
    // And the next Load works.
    m_dlg->LoadOutputFile(path);
    EXPECT_EQ(View().GetLineCount(), 5000);
    EXPECT_EQ(TestApp().m_settings.outputFile, path);
}

// Each allocation of Print and of Print Preview fails in turn (the printer dialog is
// cancelled): the lines, the main window and the program stay, and a failure is told once.
TEST_F(AllocFailureTest, PrintAndPreviewKeepTheLinesWhereverMemoryRunsOut)
{
    Kept(300);
    const int top = View().GetTopLine();
    CancelEverything answers(m_dlg->m_hWnd);
    for (UINT command : {IDC_PRINT, IDC_PRINT_PREVIEW}) {
        long n = 0;
        int told = 0;
        for (; n < 300; ++n) {
            SCOPED_TRACE(std::to_string(command) + " failing allocation " + std::to_string(n));
            const size_t boxes = answers.Texts().size();
            long failed;
            {
                auto fail = FailingAllocations::Numbered(n);
                ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(m_dlg->m_hWnd, command)));
                failed = fail.Disarm();
            }
            // A preview that opened is closed again.
            if (m_app.m_pMainWnd != m_dlg.get() && m_app.m_pMainWnd)
                ::SendMessageA(m_app.m_pMainWnd->m_hWnd, WM_CLOSE, 0, 0);
            PumpFor(30);
            ExpectKept(300);
            EXPECT_EQ(View().GetTopLine(), top);
            const std::vector<std::string> texts = answers.Texts();
            ASSERT_LE(texts.size(), boxes + 1) << "told more than once";
            if (texts.size() == boxes + 1) {
                ++told;
                EXPECT_NE(texts.back().find("memory"), std::string::npos) << texts.back();
            }
            if (failed == 0)
                break;
        }
        EXPECT_LT(n, 300) << "the sweep did not end";
        EXPECT_GT(told, 0);
    }
    // Both still work.
    ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PRINT_PREVIEW, BN_CLICKED), 0);
    PumpFor(50);
    if (m_app.m_pMainWnd != m_dlg.get()) {
        ::SendMessageA(m_app.m_pMainWnd->m_hWnd, WM_CLOSE, 0, 0);
        PumpFor(50);
    }
    ExpectKept(300);
}

// A view that can take no more lines during a run: the run goes on into the record on
// disk, the view keeps the run's first lines without a gap, and the operator is told
// once. The next run fills the view again.
TEST_F(AllocFailureTest, AFullViewLetsTheRunGoOnIntoTheRecord)
{
    HMODULE m = LoadScriptedLibrary();
    ASSERT_NE(m, nullptr);
    const ScriptedControls scripted = {ExportOf<PFN_Test_Reset>(m, "Test_Reset"),
                               ExportOf<PFN_Test_QueueRead>(m, "Test_QueueRead")};
    scripted.reset();
    Kept(150);
    std::string bytes, expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string line = "received line " + std::to_string(i) + " with some more text to fill it";
        bytes += line + "\r";
        expected += line + "\r\n";
    }
    scripted.queueRead(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    CancelEverything answers(m_dlg->m_hWnd);
    const std::string record = m_dir.File(CLastRunRecord::kFileName);
    {
        // The view's store gets no new block of bytes; all else still works.
        auto fail = FailingAllocations::Nothrow();
        ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
        EXPECT_TRUE(PumpUntil([&] { return FileExists(record) && ReadFileBytes(record) == expected; }, 20000))
            << "the record holds every line";
        PumpFor(200);
        ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
        EXPECT_GT(fail.Disarm(), 0);
    }
    PumpFor(100);
    const int shown = View().GetLineCount();
    EXPECT_GT(shown, 150);
    EXPECT_LT(shown, 150 + 3000);
    for (int i = 150; i < shown; ++i)
        ASSERT_EQ(View().GetLine(i), "received line " + std::to_string(i - 150) + " with some more text to fill it");
    const std::vector<std::string> texts = answers.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("Korvex_LastRun.txt"), std::string::npos) << texts[0];
    EXPECT_EQ(::SendMessageA(::GetDlgItem(m_dlg->m_hWnd, IDC_START), WM_GETTEXTLENGTH, 0, 0), 5);  // "Start"

    // Memory is back: the next run's lines reach the view.
    scripted.queueRead(reinterpret_cast<const unsigned char*>("again\r"), 6);
    ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    EXPECT_TRUE(PumpUntil([&] { return View().GetLineCount() == shown + 1; }, 5000));
    ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    PumpFor(100);
    EXPECT_EQ(View().GetLine(shown), "again");
    EXPECT_EQ(answers.Texts().size(), 1u);
    TestApp().m_commLibrary.FreeDll();
}

namespace {
// A window whose handlers throw, as any handler might when memory runs out.
class CThrowingWnd : public CWnd {
public:
    int paints = 0;

protected:
    LRESULT OnUser(WPARAM wp, LPARAM)
    {
        if (wp == 1)
            throw std::bad_alloc();
        throw std::runtime_error("broken");
    }
    void OnPaint()
    {
        ++paints;
        PAINTSTRUCT ps;
        ::BeginPaint(m_hWnd, &ps);
        throw std::bad_alloc();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingWnd, CWnd)
    ON_MESSAGE(WM_USER, OnUser)
    ON_WM_PAINT()
END_MESSAGE_MAP()
}  // namespace

// An exception that a handler lets out ends at the window procedure: the message gets
// a plain answer, a paint is not repeated for ever, and the operator is told once for a
// burst of them, in words that say what kind of failure it was.
TEST_F(AllocFailureTest, AnExceptionEndsAtTheWindowProcedureAndIsToldOnce)
{
    CThrowingWnd wnd;
    const RECT r = {0, 0, 200, 100};
    ASSERT_TRUE(wnd.CreateEx(0, CWnd::RegisterWndClass(0), "throwing", WS_POPUP | WS_VISIBLE, r, nullptr, nullptr));
    CancelEverything answers(m_dlg->m_hWnd);
    EXPECT_EQ(::SendMessageA(wnd.m_hWnd, WM_USER, 1, 0), 0);
    EXPECT_EQ(::SendMessageA(wnd.m_hWnd, WM_USER, 1, 0), 0);
    ::InvalidateRect(wnd.m_hWnd, nullptr, TRUE);
    ::UpdateWindow(wnd.m_hWnd);
    PumpFor(300);
    EXPECT_EQ(wnd.paints, 1) << "the paint came back";
    ASSERT_TRUE(PumpUntil([&] { return !answers.Texts().empty(); }, 3000));
    PumpFor(200);
    ASSERT_EQ(answers.Texts().size(), 1u);
    EXPECT_NE(answers.Texts()[0].find("not enough memory"), std::string::npos) << answers.Texts()[0];

    // Another kind of failure, later: told again, as what it is.
    EXPECT_EQ(::SendMessageA(wnd.m_hWnd, WM_USER, 2, 0), 0);
    ASSERT_TRUE(PumpUntil([&] { return answers.Texts().size() == 2; }, 3000));
    EXPECT_NE(answers.Texts()[1].find("internal error"), std::string::npos) << answers.Texts()[1];
    EXPECT_TRUE(::IsWindow(wnd.m_hWnd));
    wnd.DestroyWindow();
}
