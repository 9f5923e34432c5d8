// The print preview opened by the main window's Print Preview button, on the default
// printer (the PDF printer of the test machine): page slots, paging, zoom, wheel,
// tooltips, printing from the preview and the main window coming back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/AppSettings.h"
#include "app/ReaderApp.h"
#include "app/UiText.h"
#include "fw/App.h"
#include "print/MyPreviewView.h"
#include "res/resource.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

bool HasDefaultPrinter()
{
    DWORD size = 0;
    ::GetDefaultPrinterA(nullptr, &size);
    return size > 0;
}

class PrintPreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HasDefaultPrinter())
            GTEST_SKIP() << "no default printer";
        g_Settings = AppSettings();
        g_ComPortList = {"COM1"};
        ResetUiText();
        m_dlg = std::make_unique<CReaderDlg>();
        ASSERT_TRUE(m_dlg->Create());
        m_app.m_pMainWnd = m_dlg.get();
        PumpFor(50);
    }
    void TearDown() override
    {
        if (m_dlg && m_dlg->IsWindow())
            ::DestroyWindow(m_dlg->m_hWnd);
        m_dlg.reset();  // closes a preview still open
        m_app.m_pMainWnd = nullptr;
        PumpFor(20);
    }

    void AddLines(int n)
    {
        for (int i = 0; i < n; ++i)
            m_dlg->View().AddLine(("line " + std::to_string(i)).c_str(), false);
    }
    // Presses Print Preview; the preview's page view once it is shown and painted.
    CMyPreviewView* OpenPreview()
    {
        ::SendMessageA(::GetDlgItem(m_dlg->m_hWnd, IDC_PRINT_PREVIEW), BM_CLICK, 0, 0);
        PumpFor(100);
        auto* frame = dynamic_cast<CFrameWnd*>(m_app.m_pMainWnd);
        if (!frame)
            return nullptr;
        m_frame = frame->m_hWnd;
        auto* view = dynamic_cast<CMyPreviewView*>(frame->GetActiveView());
        if (view)
            ::UpdateWindow(view->m_hWnd);
        return view;
    }
    void Command(UINT id) const { ::SendMessageA(m_frame, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    HWND Button(UINT id) const { return ::GetDlgItem(Toolbar(), static_cast<int>(id)); }
    HWND Toolbar() const { return ::FindWindowExA(m_frame, nullptr, "#32770", nullptr); }
    static void Paint(CMyPreviewView* view)
    {
        ::InvalidateRect(view->m_hWnd, nullptr, FALSE);
        ::UpdateWindow(view->m_hWnd);
    }
    static RECT ClientOf(const CMyPreviewView* view)
    {
        RECT r;
        ::GetClientRect(view->m_hWnd, &r);
        return r;
    }
    static bool HasVBar(const CMyPreviewView* view)
    {
        return (::GetWindowLongA(view->m_hWnd, GWL_STYLE) & WS_VSCROLL) != 0;
    }
    bool MainIsBack() const { return ::IsWindowVisible(m_dlg->m_hWnd) && m_app.m_pMainWnd == m_dlg.get(); }

    CWinApp m_app{"Korvex"};
    std::unique_ptr<CReaderDlg> m_dlg;
    HWND m_frame = nullptr;
};

}  // namespace

TEST_F(PrintPreviewTest, OnePageIsCentredWithItsToolbarTipsAndClosingGivesTheMainWindowBackUnchanged)
{
    AddLines(10);
    m_dlg->View().SendMessage(WM_VSCROLL, SB_LINEDOWN);
    const int top = m_dlg->View().GetTopLine();

    CMyPreviewView* view = OpenPreview();
    ASSERT_NE(view, nullptr);
    char caption[64] = "";
    ::GetWindowTextA(m_frame, caption, sizeof caption);
    EXPECT_STREQ(caption, "Print Preview");
    EXPECT_TRUE(::IsZoomed(m_frame));
    EXPECT_FALSE(::IsWindowVisible(m_dlg->m_hWnd));
    EXPECT_EQ(view->GetPrintInfo().m_nMaxPage, 1u);

    // No bar takes width from a one-page report: the page sits in the middle.
    EXPECT_FALSE(HasVBar(view));
    const RECT page = view->GetPageInfo(0).rectScreen;
    const RECT client = ClientOf(view);
    EXPECT_LE(std::abs((page.left + page.right) - client.right), 4);
    EXPECT_GT(page.right - page.left, 100);
    EXPECT_LE(page.bottom, client.bottom);
    // A one-page report has nowhere to go.
    EXPECT_FALSE(::IsWindowEnabled(Button(ID_PREVIEW_NEXT)));
    EXPECT_FALSE(::IsWindowEnabled(Button(ID_PREVIEW_PREV)));
    EXPECT_FALSE(::IsWindowEnabled(Button(ID_PREVIEW_ZOOMOUT)));
    // The toolbar's tips.
    auto tip = [&](UINT id) {
        NMTTDISPINFOA info = {};
        info.hdr.hwndFrom = Toolbar();
        info.hdr.idFrom = reinterpret_cast<UINT_PTR>(Button(id));
        info.hdr.code = TTN_NEEDTEXTA;
        info.uFlags = TTF_IDISHWND;
        const LRESULT handled = ::SendMessageA(view->m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        return handled ? std::string(info.lpszText) : std::string("(not handled)");
    };
    EXPECT_EQ(tip(ID_PREVIEW_CLOSE), "Close print preview mode");
    EXPECT_EQ(tip(ID_PREVIEW_NEXT), "Move to next page");
    EXPECT_EQ(tip(ID_PREVIEW_PREV), "Move to previous page");
    EXPECT_EQ(tip(ID_PREVIEW_PRINT), "Print the report");
    EXPECT_EQ(tip(ID_PREVIEW_ZOOMIN), "Zoom in");
    EXPECT_EQ(tip(ID_PREVIEW_ZOOMOUT), "Zoom out");
    EXPECT_EQ(tip(ID_PREVIEW_NUMPAGE), "Unrecognised control ID");

    Command(ID_PREVIEW_CLOSE);
    PumpFor(50);
    EXPECT_FALSE(::IsWindow(m_frame));
    EXPECT_TRUE(MainIsBack());
    EXPECT_EQ(m_dlg->View().GetLineCount(), 10);
    EXPECT_EQ(m_dlg->View().GetTopLine(), top);

    // Closing the frame itself ends the preview the same way, and a second preview works.
    view = OpenPreview();
    ASSERT_NE(view, nullptr);
    ::SendMessageA(m_frame, WM_CLOSE, 0, 0);
    PumpFor(50);
    EXPECT_FALSE(::IsWindow(m_frame));
    EXPECT_TRUE(MainIsBack());
}

TEST_F(PrintPreviewTest, PagingStopsAtTheEndsInOneAndTwoPageLayouts)
{
    AddLines(200);  // three pages on A4
    CMyPreviewView* view = OpenPreview();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->GetPrintInfo().m_nMaxPage, 3u);
    EXPECT_TRUE(HasVBar(view));

    for (int i = 0; i < 4; ++i)
        Command(ID_PREVIEW_NEXT);
    EXPECT_EQ(view->GetCurrentPage(), 3u);
    EXPECT_FALSE(::IsWindowEnabled(Button(ID_PREVIEW_NEXT)));
    // The wheel pages while zoomed out and stops at the ends as well.
    ::SendMessageA(view->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(view->GetCurrentPage(), 3u);
    ::SendMessageA(view->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(view->GetCurrentPage(), 2u);
    for (int i = 0; i < 3; ++i)
        Command(ID_PREVIEW_PREV);
    EXPECT_EQ(view->GetCurrentPage(), 1u);
    EXPECT_FALSE(::IsWindowEnabled(Button(ID_PREVIEW_PREV)));
    ::SendMessageA(view->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(view->GetCurrentPage(), 1u);
    ::SendMessageA(view->m_hWnd, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(view->GetCurrentPage(), 3u);
    ::SendMessageA(view->m_hWnd, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(view->GetCurrentPage(), 1u);

    // Two pages side by side; paging ends when the right-hand page is the last one.
    Command(ID_PREVIEW_NUMPAGE);
    Paint(view);
    EXPECT_EQ(view->GetPagesShown(), 2u);
    const RECT left = view->GetPageInfo(0).rectScreen, right = view->GetPageInfo(1).rectScreen;
    EXPECT_EQ(left.top, right.top);
    EXPECT_LT(left.right, right.left);
    EXPECT_LE(right.right, ClientOf(view).right);
    EXPECT_EQ(right.right - right.left, left.right - left.left);
    for (int i = 0; i < 3; ++i)
        ::SendMessageA(view->m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(view->GetCurrentPage(), 2u);
    EXPECT_FALSE(::IsWindowEnabled(Button(ID_PREVIEW_NEXT)));
    ::SendMessageA(view->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(view->GetCurrentPage(), 2u);
    Command(ID_PREVIEW_NUMPAGE);
    EXPECT_EQ(view->GetPagesShown(), 1u);
    Command(ID_PREVIEW_NEXT);
    EXPECT_EQ(view->GetCurrentPage(), 3u);
}

TEST_F(PrintPreviewTest, SixClicksOnAPageGoThroughEveryZoomAndBack)
{
    AddLines(200);
    CMyPreviewView* view = OpenPreview();
    ASSERT_NE(view, nullptr);
    Paint(view);
    EXPECT_FALSE(::IsWindowEnabled(Button(ID_PREVIEW_ZOOMOUT)));
    const RECT fitted = view->GetPageInfo(0).rectScreen;
    int lastWidth = fitted.right - fitted.left;
    for (UINT state = 1; state <= 6; ++state) {
        SCOPED_TRACE(state);
        // Click on the middle of the page as it is shown now.
        RECT page = view->GetPageInfo(0).rectScreen;
        const RECT client = ClientOf(view);
        const int x = view->GetZoomState() ? client.right / 2 : (page.left + page.right) / 2;
        const int y = view->GetZoomState() ? client.bottom / 2 : (page.top + page.bottom) / 2;
        ::SendMessageA(view->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageA(view->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Paint(view);
        EXPECT_EQ(view->GetZoomState(), state % 6);
        page = view->GetPageInfo(0).rectScreen;
        if (state < 6) {
            EXPECT_GT(page.right - page.left, lastWidth);  // every state shows the page larger
            lastWidth = page.right - page.left;
        }
        EXPECT_EQ(::IsWindowEnabled(Button(ID_PREVIEW_ZOOMIN)) != 0, state % 6 != 5);
        EXPECT_EQ(::IsWindowEnabled(Button(ID_PREVIEW_ZOOMOUT)) != 0, state % 6 != 0);
        if (state == 5) {
            // Zoomed in, the wheel scrolls the page by its delta instead of paging.
            const POINT scroll = view->GetScrollPosition();
            ::SendMessageA(view->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
            EXPECT_EQ(view->GetScrollPosition().y, scroll.y + WHEEL_DELTA);
            EXPECT_EQ(view->GetCurrentPage(), 1u);
            Command(ID_PREVIEW_ZOOMIN);  // disabled at the closest state
            EXPECT_EQ(view->GetZoomState(), 5u);
        }
    }
    EXPECT_EQ(view->GetPageInfo(0).rectScreen.left, fitted.left);
    Command(ID_PREVIEW_ZOOMOUT);  // disabled when fitted
    EXPECT_EQ(view->GetZoomState(), 0u);
    Command(ID_PREVIEW_ZOOMIN);
    Command(ID_PREVIEW_ZOOMIN);
    EXPECT_EQ(view->GetZoomState(), 2u);
    Command(ID_PREVIEW_ZOOMOUT);
    EXPECT_EQ(view->GetZoomState(), 1u);
}

TEST_F(PrintPreviewTest, PrintFromThePreviewPrintsAndCloses)
{
    char user[64] = "root";
    ::GetEnvironmentVariableA("USER", user, sizeof user);
    const std::string spool = std::string("Z:\\var\\spool\\cups-pdf\\") + user + "\\";
    auto pdfs = [&] {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        HANDLE h = ::FindFirstFileA((spool + "*.pdf").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do
                names.push_back(spool + fd.cFileName);
            while (::FindNextFileA(h, &fd));
            ::FindClose(h);
        }
        return names;
    };
    if (!FileExists(spool))
        GTEST_SKIP() << "the default printer does not print to " << spool;
    for (const std::string& name : pdfs())
        ::DeleteFileA(name.c_str());

    AddLines(100);
    ASSERT_NE(OpenPreview(), nullptr);
    // Answers the printer dialog (the only dialog window shown meanwhile) with OK.
    std::atomic<int> answered{0};
    std::thread printerDialog([&] {
        struct Search {
            static BOOL CALLBACK Proc(HWND hwnd, LPARAM lp)
            {
                DWORD pid = 0;
                ::GetWindowThreadProcessId(hwnd, &pid);
                char cls[32] = "";
                ::GetClassNameA(hwnd, cls, sizeof cls);
                if (pid == ::GetCurrentProcessId() && std::string(cls) == "#32770" && ::IsWindowVisible(hwnd)) {
                    *reinterpret_cast<HWND*>(lp) = hwnd;
                    return FALSE;
                }
                return TRUE;
            }
        };
        for (int i = 0; i < 1000 && !answered; ++i) {
            HWND dialog = nullptr;
            ::EnumWindows(&Search::Proc, reinterpret_cast<LPARAM>(&dialog));
            if (dialog) {
                ::Sleep(100);
                ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                ++answered;
            }
            ::Sleep(20);
        }
    });
    Command(ID_PREVIEW_PRINT);
    printerDialog.join();
    PumpFor(100);
    EXPECT_EQ(answered, 1);
    EXPECT_FALSE(::IsWindow(m_frame));
    EXPECT_TRUE(MainIsBack());
    EXPECT_TRUE(PumpUntil([&] { return !pdfs().empty(); }, 30000)) << "no PDF printed";
}

// The preview shows the lines there were when the button was pressed: lines appended
// meanwhile, a Clear and a Load change neither its pages nor what they show.
TEST_F(PrintPreviewTest, ThePreviewKeepsItsLinesThroughAppendsClearAndLoad)
{
    AddLines(200);  // three pages on A4
    CMyPreviewView* view = OpenPreview();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->GetPrintInfo().m_nMaxPage, 3u);
    // Dark pixels of the page as shown on the screen.
    auto inkOnPage = [&] {
        Paint(view);
        const RECT page = view->GetPageInfo(0).rectScreen;
        HDC dc = ::GetDC(view->m_hWnd);
        int ink = 0;
        for (int y = page.top; y < page.bottom; y += 1)
            for (int x = page.left; x < page.right; x += 1)
                ink += (::GetPixel(dc, x, y) & 0xFF) < 0x80;
        ::ReleaseDC(view->m_hWnd, dc);
        return ink;
    };
    Command(ID_PREVIEW_NEXT);
    Command(ID_PREVIEW_NEXT);
    const int lastPage = inkOnPage();
    ASSERT_GT(lastPage, 20);

    for (int i = 0; i < 300; ++i)
        m_dlg->View().AddLine("appended meanwhile, a line long enough to show on the page", false);
    EXPECT_EQ(inkOnPage(), lastPage);
    m_dlg->View().ResetContent();
    EXPECT_EQ(inkOnPage(), lastPage);
    TempDir dir;
    WriteFileBytes(dir.File("other.txt"), "other\r\nlines\r\n");
    m_dlg->LoadOutputFile(dir.File("other.txt"));
    EXPECT_EQ(m_dlg->View().GetLineCount(), 2);
    EXPECT_EQ(inkOnPage(), lastPage);
    EXPECT_EQ(view->GetPrintInfo().m_nMaxPage, 3u);
    Command(ID_PREVIEW_PREV);
    EXPECT_GT(inkOnPage(), lastPage) << "the first page is full";

    Command(ID_PREVIEW_CLOSE);
    PumpFor(50);
    EXPECT_TRUE(MainIsBack());
    EXPECT_EQ(m_dlg->View().GetLine(1), "lines");
}
