// Long work seen by the operator: the printing box of a direct print (document, page
// being printed, Cancel) owned by the window that printed, which waits for it, and the
// wait cursor while a file loads or saves.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/LineStore.h"
#include "fw/App.h"
#include "fw/PrintJob.h"
#include "print/MyPrintPreview.h"
#include "print/MyReport.h"
#include "res/resource.h"
#include "support/MainWindowTest.h"
#include "support/PreviewSupport.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

// What a helper thread saw of one printing box, from its first showing until it went.
struct BoxScene {
    std::atomic<bool> shown{false};
    std::atomic<HWND> owner{nullptr};
    std::atomic<bool> ownerDisabled{false};
    std::atomic<bool> done{false};
    std::mutex mutex;
    std::string document;
    std::vector<std::string> pageTexts;

    // Page n of "Printing page n of m", or 0 when the text is not that.
    static int PageOf(const std::string& text, int pages)
    {
        int n = 0, m = 0;
        char again[64];
        if (std::sscanf(text.c_str(), "Printing page %d of %d", &n, &m) != 2 || m != pages)
            return 0;
        std::snprintf(again, sizeof again, "Printing page %d of %d", n, m);
        return text == again ? n : 0;
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return pageTexts;
    }
};

class MainWindowWorkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTestApp({"COM1"});
        OpenMainWindow();
    }
    void TearDown() override
    {
        if (m_dlg && m_dlg->IsWindow())
            ::DestroyWindow(m_dlg->m_hWnd);
        m_dlg.reset();
        m_app.m_pMainWnd = nullptr;
        PumpFor(20);
    }
    void OpenMainWindow()
    {
        m_dlg = std::make_unique<CReaderDlg>(TestApp());
        ASSERT_TRUE(m_dlg->Create());
        m_app.m_pMainWnd = m_dlg.get();
        PumpFor(50);
    }

    CWinApp m_app{"Korvex"};
    std::unique_ptr<CReaderDlg> m_dlg;
};

class PrintProgressTest : public MainWindowWorkTest {
protected:
    void SetUp() override
    {
        if (!HasDefaultPrinter())
            GTEST_SKIP() << "no default printer";
        m_spool = PdfSpoolFolder();
        if (!FileExists(m_spool))
            GTEST_SKIP() << "the default printer does not print to " << m_spool;
        MainWindowWorkTest::SetUp();
    }

    static CLineStore Lines(int n)
    {
        CLineStore lines;
        for (int i = 0; i < n; ++i)
            lines.AddLine(("Z" + std::to_string(i * 7 % 1000) + " TOTALE " + std::to_string(i)).c_str());
        return lines;
    }
    // A report of the main window's view, as its Print button makes it, or a test's
    // own report named `document`.
    void Prepare(CMyReport& report, int lines, const std::string& document)
    {
        LOGFONTA font;
        ::GetObjectA(m_dlg->View().GetFontHandle(), sizeof font, &font);
        report.SetupPageDefaults();
        report.SetBodyFont(font, m_dlg->View().GetTextColor(), m_dlg->View().GetListFont().size);
        report.SetDocumentName(document);
        report.SetHeader("", "Korvex", "Pag. ", true);
        report.SetLines(Lines(lines));
    }
    // The lines a page of the main window's report holds on the default printer.
    int LinesPerPage()
    {
        PRINTDLGA pd = {};
        pd.lStructSize = sizeof pd;
        pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
        if (!::PrintDlgA(&pd))
            return 0;
        auto pages = [&](int lines) {
            CMyReport report;
            Prepare(report, lines, "measure");
            const int n = report.BeginJob(pd.hDC);
            report.EndJob();
            return n;
        };
        int fits = 1, over = 400;  // one page holds `fits` lines, not `over`
        while (over - fits > 1) {
            const int mid = (fits + over) / 2;
            (pages(mid) == 1 ? fits : over) = mid;
        }
        ::DeleteDC(pd.hDC);
        ::GlobalFree(pd.hDevMode);
        ::GlobalFree(pd.hDevNames);
        return fits;
    }

    // Answers the printer dialog, then follows the printing box until it goes, handing
    // it to `act` (on the helper thread) with the page shown, once a page is shown.
    std::thread Watch(BoxScene& scene, std::function<void(HWND box, int page)> act = nullptr, int pages = 0)
    {
        return std::thread([&scene, act, pages] {
            HWND box = nullptr;
            if (AnswerPrinterDialog(20000) && WaitFor([&] { return (box = PrintingBox()) != nullptr; }, 20000)) {
                scene.owner = ::GetWindow(box, GW_OWNER);
                scene.ownerDisabled = scene.owner && !::IsWindowEnabled(scene.owner);
                {
                    std::lock_guard<std::mutex> lock(scene.mutex);
                    scene.document = WindowTextOf(::GetDlgItem(box, IDC_PRINTING_DOCUMENT));
                }
                scene.shown = true;
                while (::IsWindow(box)) {
                    const std::string text = WindowTextOf(::GetDlgItem(box, IDC_PRINTING_PAGE));
                    if (!text.empty()) {
                        std::lock_guard<std::mutex> lock(scene.mutex);
                        scene.pageTexts.push_back(text);
                    }
                    if (act && !text.empty())
                        act(box, BoxScene::PageOf(text, pages));
                    ::Sleep(60);
                }
            }
            scene.done = true;
        });
    }
    static void Finish(BoxScene& scene, std::thread& helper)
    {
        PumpUntil([&] { return scene.done.load(); }, 30000);
        helper.join();
    }

    // The PDF printed under `document` once the spooler has written it, or empty.
    std::string WaitForPdf(const std::string& document, DWORD ms) const
    {
        std::string found;
        WaitFor(
            [&] {
                for (const std::string& pdf : SpoolPdfs(m_spool))
                    if (pdf.compare(m_spool.size(), document.size(), document) == 0 && PdfPages(pdf) > 0) {
                        found = pdf;
                        return true;
                    }
                return false;
            },
            ms);
        return found;
    }
    bool PdfPrinted(const std::string& document) const { return !WaitForPdf(document, 0).empty(); }

    std::string m_spool;
};

}  // namespace

// Print in the main window: the box names the document and counts the pages of the
// whole dump while the main window, its owner, waits disabled (its Print meanwhile is
// not a second job); then the main window is back and every page is printed.
TEST_F(PrintProgressTest, APrintShowsItsPagesOverTheDisabledMainWindowAndPrintsThemAll)
{
    const int perPage = LinesPerPage();
    ASSERT_GT(perPage, 9);
    m_dlg->View().AddLines(Lines(199 * perPage + 9), false);  // 200 pages, the last short
    for (const std::string& pdf : SpoolPdfs(m_spool))
        if (pdf.compare(m_spool.size(), 6, "Korvex") == 0)
            ::DeleteFileA(pdf.c_str());
    HWND main = m_dlg->m_hWnd;

    BoxScene scene;
    std::atomic<bool> secondDialog{false}, clicked{false};
    std::thread helper = Watch(
        scene,
        [&](HWND, int page) {
            if (page >= 2 && !clicked.exchange(true))
                ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_PRINT, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(main, IDC_PRINT)));
            if (!PrinterDialogs().empty())
                secondDialog = true;
        },
        200);
    ::SendMessageA(::GetDlgItem(main, IDC_PRINT), BM_CLICK, 0, 0);  // back when the job has ended
    const bool boxGone = PrintingBox() == nullptr;
    Finish(scene, helper);

    ASSERT_TRUE(scene.shown);
    EXPECT_EQ(scene.owner, main);
    EXPECT_TRUE(scene.ownerDisabled);
    EXPECT_EQ(scene.document, "Korvex");
    const std::vector<std::string> texts = scene.Texts();
    ASSERT_GE(texts.size(), 3u);
    int last = 0;
    for (const std::string& text : texts) {
        const int page = BoxScene::PageOf(text, 200);
        EXPECT_GE(page, last) << text;  // forward only, and always "Printing page n of 200"
        last = page;
    }
    EXPECT_GT(last, BoxScene::PageOf(texts.front(), 200)) << "the page shown never moved on";
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(secondDialog) << "Print in the disabled window began a second job";
    EXPECT_TRUE(boxGone);
    EXPECT_TRUE(::IsWindowEnabled(main));
    EXPECT_EQ(::GetActiveWindow(), main);

    const std::string pdf = WaitForPdf("Korvex", 90000);
    ASSERT_FALSE(pdf.empty()) << "nothing printed";
    EXPECT_EQ(PdfPages(pdf), 200);
    ::DeleteFileA(pdf.c_str());
}

// A job stopped on the way prints nothing: Esc on the box's Cancel (from the preview,
// which owns the box then), the preview closed, or the main window closed while the
// pages go out. The program prints as before afterwards.
TEST_F(PrintProgressTest, AStoppedPrintLeavesNothingPrintedAndThePrintThatFollowsWorks)
{
    const std::string tag = std::to_string(::GetCurrentProcessId());
    const std::string cancelled = "KvxCancelled" + tag, previewClosed = "KvxPreviewClosed" + tag,
                      mainClosed = "KvxMainClosed" + tag, after = "KvxAfter" + tag;
    const int perPage = LinesPerPage();
    ASSERT_GT(perPage, 2);
    const int pages = 31;
    CMyReport report;
    auto preview = [&](const std::string& document) -> HWND {
        Prepare(report, (pages - 1) * perPage + 3, document);
        report.ShowPreview();
        PumpFor(50);
        CMyPrintPreview* shown = CurrentPreview();
        return shown ? shown->m_hWnd : nullptr;
    };
    auto mainIsBack = [&] {
        return m_app.m_pMainWnd == m_dlg.get() && ::IsWindowVisible(m_dlg->m_hWnd) &&
               ::IsWindowEnabled(m_dlg->m_hWnd);
    };

    {
        // Esc once page 3 shows: the page being printed is the last.
        HWND frame = preview(cancelled);
        ASSERT_NE(frame, nullptr);
        BoxScene scene;
        std::atomic<int> cancelledAt{0};
        std::thread helper = Watch(
            scene,
            [&](HWND box, int page) {
                if (page >= 3 && !cancelledAt) {
                    cancelledAt = page;
                    HWND button = ::GetDlgItem(box, IDCANCEL);
                    ::PostMessageA(button, WM_KEYDOWN, VK_ESCAPE, 1);
                    ::PostMessageA(button, WM_KEYUP, VK_ESCAPE, 0xC0000001);
                }
            },
            pages);
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_PREVIEW_PRINT, BN_CLICKED), 0);
        Finish(scene, helper);
        ASSERT_TRUE(scene.shown);
        EXPECT_EQ(scene.owner, frame);
        EXPECT_TRUE(scene.ownerDisabled);
        ASSERT_GE(cancelledAt, 3);
        EXPECT_LE(BoxScene::PageOf(scene.Texts().back(), pages), cancelledAt + 1) << "went on after Cancel";
        EXPECT_FALSE(::IsWindow(frame));
        EXPECT_TRUE(mainIsBack());
    }
    {
        // The preview closed from outside while its box is up.
        HWND frame = preview(previewClosed);
        ASSERT_NE(frame, nullptr);
        BoxScene scene;
        std::thread helper = Watch(
            scene,
            [&](HWND, int page) {
                if (page >= 2 && ::IsWindow(frame))
                    ::PostMessageA(frame, WM_CLOSE, 0, 0);
            },
            pages);
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_PREVIEW_PRINT, BN_CLICKED), 0);
        Finish(scene, helper);
        EXPECT_TRUE(scene.shown);
        EXPECT_LT(BoxScene::PageOf(scene.Texts().back(), pages), pages);
        EXPECT_FALSE(::IsWindow(frame));
        EXPECT_EQ(PrintingBox(), nullptr);
        EXPECT_TRUE(mainIsBack());
    }
    {
        // The main window closed while it waits for the box: the box goes with it.
        HWND main = m_dlg->m_hWnd;
        Prepare(report, (pages - 1) * perPage + 3, mainClosed);
        BoxScene scene;
        std::thread helper = Watch(
            scene,
            [&](HWND, int page) {
                if (page >= 2 && ::IsWindow(main))
                    ::PostMessageA(main, WM_CLOSE, 0, 0);
            },
            pages);
        report.PrintDirect(main);
        Finish(scene, helper);
        EXPECT_TRUE(scene.shown);
        EXPECT_EQ(scene.owner, main);
        EXPECT_FALSE(::IsWindow(main));
        EXPECT_EQ(PrintingBox(), nullptr);
        EXPECT_FALSE(report.IsPrinting());
    }

    // A new main window prints a job to its end; the spooler takes jobs in turn, so
    // once it is written any of those before would have been too.
    OpenMainWindow();
    Prepare(report, perPage + 4, after);
    BoxScene scene;
    std::thread helper = Watch(scene);
    report.PrintDirect(m_dlg->m_hWnd);
    Finish(scene, helper);
    EXPECT_TRUE(scene.shown);
    EXPECT_TRUE(::IsWindowEnabled(m_dlg->m_hWnd));
    const std::string pdf = WaitForPdf(after, 60000);
    ASSERT_FALSE(pdf.empty()) << "the print after them printed nothing";
    EXPECT_EQ(PdfPages(pdf), 2);
    ::DeleteFileA(pdf.c_str());
    for (const std::string& stopped : {cancelled, previewClosed, mainClosed})
        EXPECT_FALSE(PdfPrinted(stopped)) << stopped << " was printed";
    EXPECT_EQ(QueuedPrintJobs(), 0);
}

namespace {
// The cursor when the output path box is given its text (inside Load) and when a
// message box is made, seen on the window's thread.
HWND g_pathBox = nullptr;
HCURSOR g_cursorAtPath = nullptr, g_cursorAtBox = nullptr;

LRESULT CALLBACK SentHook(int code, WPARAM wp, LPARAM lp)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && sent->hwnd == g_pathBox && sent->message == WM_SETTEXT)
        g_cursorAtPath = ::GetCursor();
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK CreateHook(int code, WPARAM wp, LPARAM lp)
{
    char cls[16] = "";
    if (code == HCBT_CREATEWND && ::GetClassNameA(reinterpret_cast<HWND>(wp), cls, sizeof cls) &&
        std::string(cls) == "#32770")
        g_cursorAtBox = ::GetCursor();
    return ::CallNextHookEx(nullptr, code, wp, lp);
}
}  // namespace

// Load and Save show the wait cursor while they work, and the cursor of before comes
// back, also before a message box says that they failed.
TEST_F(MainWindowWorkTest, LoadAndSaveWaitWithTheWaitCursorAndTellFailuresWithTheArrow)
{
    TempDir dir;
    const std::string lines = "first\r\nsecond\r\n";
    WriteFileBytes(dir.File("in.txt"), lines);
    HCURSOR wait = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
    HCURSOR before = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_IBEAM));
    g_pathBox = ::GetDlgItem(m_dlg->m_hWnd, IDC_OUTPUT_PATH);
    HHOOK sent = ::SetWindowsHookExA(WH_CALLWNDPROC, SentHook, nullptr, ::GetCurrentThreadId());
    HHOOK create = ::SetWindowsHookExA(WH_CBT, CreateHook, nullptr, ::GetCurrentThreadId());
    ASSERT_TRUE(sent && create);

    ::SetCursor(before);
    m_dlg->LoadOutputFile(dir.File("in.txt"));
    EXPECT_EQ(g_cursorAtPath, wait);
    EXPECT_EQ(::GetCursor(), before);
    EXPECT_EQ(m_dlg->View().Lines().Count(), 2);

    {
        DialogWatcher watcher;
        m_dlg->LoadOutputFile(dir.File("missing.txt"));
        EXPECT_EQ(watcher.Count(), 1u);
    }
    EXPECT_EQ(g_cursorAtBox, before) << "the failed Load's message came with the wait cursor";
    EXPECT_NE(::GetCursor(), wait);  // the box may have shown its arrow meanwhile

    g_cursorAtBox = nullptr;
    ::SetCursor(before);
    TestApp().m_settings.outputFile = dir.File("no such folder\\out.txt");
    {
        DialogWatcher watcher;
        ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SAVE, BN_CLICKED), 0);
        EXPECT_EQ(watcher.Count(), 1u);
    }
    EXPECT_EQ(g_cursorAtBox, before) << "the failed Save's message came with the wait cursor";
    EXPECT_NE(::GetCursor(), wait);
    ::UnhookWindowsHookEx(sent);
    ::UnhookWindowsHookEx(create);
}
