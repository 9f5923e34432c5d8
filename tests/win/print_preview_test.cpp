// The print preview opened by the main window's Print Preview button, on the default
// printer (the PDF printer of the test machine): page slots, paging, zoom, wheel,
// tooltips, printing from the preview and the main window coming back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/AppSettings.h"
#include "app/ReaderApp.h"
#include "core/UiText.h"
#include "fw/App.h"
#include "fw/Gdi.h"
#include "print/MyPreviewView.h"
#include "print/MyPrintPreview.h"
#include "res/resource.h"
#include "support/ExpectedGeometry.h"
#include "support/MainWindowTest.h"
#include "support/PreviewSupport.h"
#include "support/ScreenImage.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

// What a helper thread saw while the printer dialog was open.
struct DialogScene {
    std::atomic<bool> shown{false};
    std::atomic<bool> ownedByExpected{false};
    std::atomic<bool> ownerDisabled{false};
    std::atomic<bool> stillOneDialog{false};
    std::atomic<bool> dialogGoneWithOwner{false};
    std::atomic<bool> ownerGone{false};
};

class PrintPreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HasDefaultPrinter())
            GTEST_SKIP() << "no default printer";
        ResetTestApp({"COM1"});
        m_dlg = std::make_unique<CReaderDlg>(TestApp());
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
        if (CMyPrintPreview* preview = CurrentPreview())
            m_frame = preview->m_hWnd;
        return CurrentPreviewView();
    }
    void Command(UINT id) const { ::SendMessageA(m_frame, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void Key(const CMyPreviewView* view, UINT vk) const { ::SendMessageA(view->m_hWnd, WM_KEYDOWN, vk, 1); }
    void Wheel(const CMyPreviewView* view, int delta) const
    {
        ::SendMessageA(view->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
    }
    void Bar(const CMyPreviewView* view, UINT code, UINT thumb = 0) const
    {
        ::SendMessageA(view->m_hWnd, WM_VSCROLL, MAKEWPARAM(code, thumb), 0);
    }
    // The tip the page view gives a toolbar button.
    std::string Tip(const CMyPreviewView* view, HWND button) const
    {
        NMTTDISPINFOA info = {};
        info.hdr.hwndFrom = Toolbar();
        info.hdr.idFrom = reinterpret_cast<UINT_PTR>(button);
        info.hdr.code = TTN_NEEDTEXTA;
        info.uFlags = TTF_IDISHWND;
        const LRESULT handled = ::SendMessageA(view->m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        return handled && info.lpszText ? std::string(info.lpszText) : std::string("(not handled)");
    }
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
    EXPECT_EQ(view->GetLastPage(), 1u);

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
    // The toolbar's tips: every button has one of its own.
    auto tip = [&](UINT id) { return Tip(view, Button(id)); };
    EXPECT_EQ(tip(ID_PREVIEW_CLOSE), "Close print preview mode");
    EXPECT_EQ(tip(ID_PREVIEW_NEXT), "Move to next page");
    EXPECT_EQ(tip(ID_PREVIEW_PREV), "Move to previous page");
    EXPECT_EQ(tip(ID_PREVIEW_PRINT), "Print the report");
    EXPECT_EQ(tip(ID_PREVIEW_ZOOMIN), "Zoom in");
    EXPECT_EQ(tip(ID_PREVIEW_ZOOMOUT), "Zoom out");
    EXPECT_EQ(tip(ID_PREVIEW_NUMPAGE), "Show two pages side by side");
    int buttons = 0;
    for (HWND button = ::GetWindow(Toolbar(), GW_CHILD); button; button = ::GetWindow(button, GW_HWNDNEXT)) {
        ++buttons;
        const std::string text = Tip(view, button);
        EXPECT_NE(text, "Unrecognised control ID") << "button " << ::GetDlgCtrlID(button);
        EXPECT_NE(text, "(not handled)") << "button " << ::GetDlgCtrlID(button);
    }
    EXPECT_EQ(buttons, 7);

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
    ASSERT_EQ(view->GetLastPage(), 3u);
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

namespace print_preview_test {
// The width of a page on the screen (its frame and shadow included) at each zoom state,
// for a view at `dpi` whose client area was `client` while it showed one page at a
// time: the paper fitted into the room the gaps leave, halfway from there to the
// paper's own size, that size, then one and a half, two and a half and four times it.
std::vector<double> PageWidths(const RECT& client, int dpi)
{
    const SIZE paper = DefaultPaper();  // hundredths of a millimetre
    const double width = paper.cx * dpi / 2540.0, height = paper.cy * dpi / 2540.0;
    const int gap = ::MulDiv(8, dpi, 96), edge = 3 * std::max(1, ::MulDiv(1, dpi, 96));
    const double fit = std::min((client.right - 2 * gap) / width, (client.bottom - 2 * gap) / height);
    std::vector<double> widths;
    for (double scale : {fit, (fit + 1) / 2, 1.0, 1.5, 2.5, 4.0})
        widths.push_back(scale * width + edge);
    return widths;
}
}  // namespace print_preview_test

// Runs at every display scale: the toolbar's buttons keep their captions and their
// order, and the room round the pages, their frame and shadow grow with the scale.
class AtScalePreview : public PrintPreviewTest {
protected:
    // Every button inside the toolbar, none over another, each caption inside its button.
    void ExpectToolbarHoldsItsCaptions(const CMyPreviewView* view, int line, int dpi)
    {
        RECT bar, viewRect;
        ::GetWindowRect(Toolbar(), &bar);
        ::GetWindowRect(view->m_hWnd, &viewRect);
        EXPECT_GE(viewRect.top, bar.bottom) << "the pages start below the toolbar";
        std::vector<RECT> placed;
        for (HWND button = ::GetWindow(Toolbar(), GW_CHILD); button; button = ::GetWindow(button, GW_HWNDNEXT)) {
            SCOPED_TRACE(::GetDlgCtrlID(button));
            RECT r, both;
            ::GetWindowRect(button, &r);
            ::IntersectRect(&both, &r, &bar);
            EXPECT_TRUE(::EqualRect(&both, &r)) << "inside the toolbar";
            for (const RECT& other : placed)
                EXPECT_FALSE(::IntersectRect(&both, &r, &other)) << "clear of the others";
            placed.push_back(r);
            char text[64] = "";
            ::GetWindowTextA(button, text, sizeof text);
            HDC dc = ::GetDC(button);
            HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(button, WM_GETFONT, 0, 0)));
            RECT caption = {0, 0, 0, 0};
            ::DrawTextA(dc, text, -1, &caption, DT_CALCRECT | DT_SINGLELINE);
            ::SelectObject(dc, old);
            ::ReleaseDC(button, dc);
            // Room for the button's edges (two lines each side) round the caption.
            EXPECT_LE(caption.right + 4 * line, r.right - r.left) << text;
            EXPECT_LE(caption.bottom + 2 * line, r.bottom - r.top) << text;
            EXPECT_GE(r.bottom - r.top, ::MulDiv(18, dpi, 96)) << "as tall as the scale makes it";
        }
        EXPECT_EQ(placed.size(), 7u);
    }
};

TEST_F(AtScalePreview, TheToolbarAndTheRoomRoundThePagesGrowWithTheScale)
{
    // Sizes at 100 %, scaled by the screen's ratio to it.
    const int dpi = ScreenDpi();
    ASSERT_GT(dpi, 0);
    const int gap = ::MulDiv(8, dpi, 96), line = std::max(1, ::MulDiv(1, dpi, 96));
    AddLines(200);  // three pages
    // Every button inside the toolbar, none over another, each caption inside its button,
    // in Italian (longer words) and in English, with one page shown and with two.
    TestApp().m_uiText.LoadLanguage(ExeDir() + "Korvex_Language_Ita.txt");
    ASSERT_EQ(TestApp().m_uiText[TXT_PREVIEW_NEXT], "Pagina &successiva");
    CMyPreviewView* view = OpenPreview();
    ASSERT_NE(view, nullptr);
    ExpectToolbarHoldsItsCaptions(view, line, dpi);
    Command(ID_PREVIEW_NUMPAGE);
    ExpectToolbarHoldsItsCaptions(view, line, dpi);
    Command(ID_PREVIEW_CLOSE);
    PumpFor(100);
    TestApp().m_uiText.Reset();
    view = OpenPreview();
    ASSERT_NE(view, nullptr);
    ExpectToolbarHoldsItsCaptions(view, line, dpi);

    // Two pages: the second slot is half the width less a gap further on.
    Command(ID_PREVIEW_NUMPAGE);
    Paint(view);
    const RECT a = view->GetPageInfo(0).rectScreen, b = view->GetPageInfo(1).rectScreen;
    EXPECT_EQ(b.left - a.left, (ClientOf(view).right - gap) / 2);
    EXPECT_LT(a.right, b.left);

    // One page: a frame line round the paper and a shadow line beyond it on the right,
    // starting two lines down.
    Command(ID_PREVIEW_NUMPAGE);
    Paint(view);
    PumpFor(100);
    const RECT page = view->GetPageInfo(0).rectScreen;
    auto shown = Image::OfScreen(view->m_hWnd);
    const int mid = (page.top + page.bottom) / 2;
    const uint32_t black = 0, white = 0xFFFFFF, shadow = Pixel(::GetSysColor(COLOR_3DDKSHADOW));
    for (int i = 0; i < line; ++i) {
        EXPECT_EQ(shown->At(page.left + i, mid), black) << i;
        EXPECT_EQ(shown->At(page.right - line - 1 - i, mid), black) << i;
        EXPECT_EQ(shown->At(page.right - 1 - i, mid), shadow) << i;
    }
    EXPECT_EQ(shown->At(page.left + line, mid), white);
    EXPECT_EQ(shown->At(page.right - 2 * line - 1, mid), white);
    EXPECT_EQ(shown->At(page.right - 1, page.top + 2 * line), shadow);
    EXPECT_EQ(shown->At(page.right - 1, page.top + 2 * line - 1), Pixel(::GetSysColor(COLOR_APPWORKSPACE)));

    // Zoomed one step: the page starts a gap from the corner, halfway between the fitted
    // page and the paper's size.
    const double halfway = print_preview_test::PageWidths(ClientOf(view), dpi)[1];
    Command(ID_PREVIEW_ZOOMIN);
    Paint(view);
    const RECT zoomed = view->GetPageInfo(0).rectScreen;
    EXPECT_EQ(zoomed.left, gap);
    EXPECT_EQ(zoomed.top, gap);
    EXPECT_NEAR(zoomed.right - zoomed.left, halfway, 2);
}

// Many pages, two shown: every input ends on the last pair (the last two pages side
// by side, never the last page beside an empty slot) and none goes before page 1;
// switching to two pages on the last page shows the last pair.
TEST_F(PrintPreviewTest, EveryPagingInputEndsOnTheLastPairAndOnPageOne)
{
    AddLines(600);
    CMyPreviewView* view = OpenPreview();
    ASSERT_NE(view, nullptr);
    const UINT last = view->GetLastPage();
    ASSERT_GE(last, 5u);
    Command(ID_PREVIEW_NEXT);
    Key(view, VK_END);
    EXPECT_EQ(view->GetCurrentPage(), last);  // one page shown: the last page
    Command(ID_PREVIEW_NUMPAGE);
    Paint(view);
    EXPECT_EQ(view->GetPagesShown(), 2u);
    EXPECT_EQ(view->GetCurrentPage(), last - 1);  // the last pair, both slots filled
    // The one/two-page button's tip says what it does now.
    EXPECT_EQ(Tip(view, Button(ID_PREVIEW_NUMPAGE)), "Show one page");
    EXPECT_GT(view->GetPageInfo(1).rectScreen.right, view->GetPageInfo(0).rectScreen.right);
    EXPECT_FALSE(::IsWindowEnabled(Button(ID_PREVIEW_NEXT)));

    struct Input {
        const char* name;
        std::function<void()> towardsEnd, towardsStart;
    } inputs[] = {
        {"Next/Prev buttons", [&] { Command(ID_PREVIEW_NEXT); }, [&] { Command(ID_PREVIEW_PREV); }},
        {"wheel", [&] { Wheel(view, -WHEEL_DELTA); }, [&] { Wheel(view, WHEEL_DELTA); }},
        {"wheel by three notches", [&] { Wheel(view, -3 * WHEEL_DELTA); }, [&] { Wheel(view, 3 * WHEEL_DELTA); }},
        {"arrow keys", [&] { Key(view, VK_DOWN); }, [&] { Key(view, VK_UP); }},
        {"page keys", [&] { Key(view, VK_NEXT); }, [&] { Key(view, VK_PRIOR); }},
        {"end and home keys", [&] { Key(view, VK_END); }, [&] { Key(view, VK_HOME); }},
        {"bar lines", [&] { Bar(view, SB_LINEDOWN); }, [&] { Bar(view, SB_LINEUP); }},
        {"bar pages", [&] { Bar(view, SB_PAGEDOWN); }, [&] { Bar(view, SB_PAGEUP); }},
        {"bar bottom and top", [&] { Bar(view, SB_BOTTOM); }, [&] { Bar(view, SB_TOP); }},
        {"bar thumb", [&] { Bar(view, SB_THUMBPOSITION, last); }, [&] { Bar(view, SB_THUMBPOSITION, 0); }},
    };
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.name);
        for (UINT i = 0; i < last + 2; ++i) {
            input.towardsEnd();
            ASSERT_LE(view->GetCurrentPage(), last - 1);
        }
        EXPECT_EQ(view->GetCurrentPage(), last - 1);
        SCROLLINFO si = {sizeof si, SIF_POS | SIF_RANGE, 0, 0, 0, 0, 0};
        ::GetScrollInfo(view->m_hWnd, SB_VERT, &si);
        EXPECT_EQ(si.nMax, static_cast<int>(last - 1));
        EXPECT_EQ(si.nPos, static_cast<int>(last - 1));
        for (UINT i = 0; i < last + 2; ++i) {
            input.towardsStart();
            ASSERT_GE(view->GetCurrentPage(), 1u);
        }
        EXPECT_EQ(view->GetCurrentPage(), 1u);
        EXPECT_FALSE(::IsWindowEnabled(Button(ID_PREVIEW_PREV)));
    }
    // Thumb tracking moves nothing until the thumb is let go.
    Bar(view, SB_THUMBTRACK, 4);
    EXPECT_EQ(view->GetCurrentPage(), 1u);
    // Back to one page on the last pair: the last page can be reached again.
    Key(view, VK_END);
    Command(ID_PREVIEW_NUMPAGE);
    Command(ID_PREVIEW_NEXT);
    EXPECT_EQ(view->GetCurrentPage(), last);
}

// The largest and the smallest font sizes still print every line: a size far taller
// than the page gives one line a page, and one point keeps many lines a page.
TEST_F(PrintPreviewTest, FontSizesBeyondThePageStillGiveEveryLineAPage)
{
    AddLines(3);
    for (int size : {INT_MAX, INT_MIN, -5000, 1}) {
        SCOPED_TRACE(size);
        DataViewFont font;
        font.size = size;
        font.charset = ANSI_CHARSET;
        font.weight = FW_NORMAL;
        m_dlg->View().SetListFont(font);
        CMyPreviewView* view = OpenPreview();
        ASSERT_NE(view, nullptr);
        Paint(view);
        EXPECT_EQ(view->GetLastPage(), size == 1 ? 1u : 3u);
        Command(ID_PREVIEW_CLOSE);
        PumpFor(50);
        ASSERT_TRUE(MainIsBack());
    }
}

namespace {
// A print view whose printer cannot be prepared.
class UnpreparedPreview : public CMyPrintPreview {
protected:
    HDC PreparePrinter() override { return nullptr; }
};
}  // namespace

// A preview that cannot start for another reason than a missing printer says so in a
// box owned by the main window, which is back already.
TEST_F(PrintPreviewTest, APreviewThatCannotStartSaysWhyOverTheMainWindow)
{
    std::atomic<HWND> owner{nullptr};
    std::atomic<bool> mainShown{false};
    DialogWatcher watcher;
    watcher.SetHandler([&](HWND box) {
        owner = ::GetWindow(box, GW_OWNER);
        mainShown = ::IsWindowVisible(m_dlg->m_hWnd) && !::IsWindowEnabled(m_dlg->m_hWnd);
        return false;  // pressed OK
    });
    auto* preview = new UnpreparedPreview;
    ASSERT_TRUE(preview->Create(nullptr));
    UiTextTable texts;
    texts[TXT_PREVIEW_NO_PRINTER] = "La stampante non si usa.";
    preview->SetTexts(texts);
    HWND frameWnd = preview->m_hWnd;
    StartPreviewOver(preview, m_dlg.get());
    PumpFor(50);
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(watcher.Texts()[0], "La stampante non si usa.");
    EXPECT_EQ(owner.load(), m_dlg->m_hWnd);
    EXPECT_TRUE(mainShown);
    EXPECT_FALSE(::IsWindow(frameWnd));
    EXPECT_TRUE(MainIsBack());
    EXPECT_TRUE(::IsWindowEnabled(m_dlg->m_hWnd));
}

namespace {
// A print view whose preparing shows a message first, as the system does when there
// is no printer; the frame may be closed while it is up.
class PreparingWithAMessage : public CMyPrintPreview {
protected:
    HDC PreparePrinter() override
    {
        AfxMessageBox(m_hWnd, "Preparing", MB_OK);
        return nullptr;  // this object may be gone: nothing of it is touched
    }
};
}  // namespace

// The preview's frame closed while a message of its start is up: the main window comes
// back, nothing more is said, and nothing of the closed preview is touched.
TEST_F(PrintPreviewTest, APreviewClosedWhileItsStartIsAskingGivesTheMainWindowBack)
{
    auto* preview = new PreparingWithAMessage;
    ASSERT_TRUE(preview->Create(nullptr));
    HWND frameWnd = preview->m_hWnd;
    std::atomic<bool> frameGone{false};
    DialogWatcher watcher;
    watcher.SetHandler([&](HWND) {
        ::PostMessageA(frameWnd, WM_CLOSE, 0, 0);
        frameGone = WaitFor([&] { return !::IsWindow(frameWnd); }, 5000);
        return frameGone.load();  // the message went with its frame
    });
    StartPreviewOver(preview, m_dlg.get());
    PumpFor(100);
    EXPECT_TRUE(frameGone);
    EXPECT_EQ(watcher.Count(), 1u);  // no failure message after the operator's close
    EXPECT_FALSE(::IsWindow(frameWnd));
    EXPECT_TRUE(MainIsBack());
    EXPECT_TRUE(::IsWindowEnabled(m_dlg->m_hWnd));
}

// Print in the preview: the printer dialog is owned by the preview, which stays
// disabled while it is open. Print pressed again meanwhile opens no second dialog,
// and closing the preview meanwhile takes the dialog with it and leaves the program
// working.
TEST_F(PrintPreviewTest, ThePreviewsPrinterDialogIsOwnedAndClosingThePreviewMeanwhileIsSafe)
{
    AddLines(100);
    ASSERT_NE(OpenPreview(), nullptr);
    HWND frame = m_frame;
    DialogScene scene;
    std::thread helper([&] {
        HWND dialog = nullptr;
        if (!WaitFor([&] { return !PrinterDialogs().empty(); }, 20000))
            return;
        dialog = PrinterDialogs().front();
        scene.shown = true;
        scene.ownedByExpected = ::GetWindow(dialog, GW_OWNER) == frame;
        scene.ownerDisabled = !::IsWindowEnabled(frame);
        ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_PREVIEW_PRINT, BN_CLICKED), 0);
        ::Sleep(400);
        scene.stillOneDialog = PrinterDialogs().size() == 1 && ::IsWindow(frame);
        ::PostMessageA(frame, WM_CLOSE, 0, 0);
        scene.ownerGone = WaitFor([&] { return !::IsWindow(frame); }, 10000);
        scene.dialogGoneWithOwner = WaitFor([&] { return !::IsWindow(dialog); }, 3000);
        if (::IsWindow(dialog))
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    Command(ID_PREVIEW_PRINT);  // comes back when the dialog has gone
    helper.join();
    PumpFor(100);
    EXPECT_TRUE(scene.shown);
    EXPECT_TRUE(scene.ownedByExpected);
    EXPECT_TRUE(scene.ownerDisabled);
    EXPECT_TRUE(scene.stillOneDialog);
    EXPECT_TRUE(scene.ownerGone);
    EXPECT_TRUE(scene.dialogGoneWithOwner);
    EXPECT_TRUE(PrinterDialogs().empty());
    EXPECT_TRUE(MainIsBack());
    EXPECT_TRUE(::IsWindowEnabled(m_dlg->m_hWnd));

    // Alive and well: the preview opens, pages and closes again.
    CMyPreviewView* view = OpenPreview();
    ASSERT_NE(view, nullptr);
    Command(ID_PREVIEW_NEXT);
    EXPECT_EQ(view->GetCurrentPage(), 2u);
    Command(ID_PREVIEW_CLOSE);
    PumpFor(50);
    EXPECT_TRUE(MainIsBack());
}

// Print in the main window: the dialog is owned by it and it stays disabled; Print
// and Print Preview sent meanwhile wait; closing the window meanwhile is safe too.
TEST_F(PrintPreviewTest, TheMainWindowsPrinterDialogIsOwnedAndItsClicksMeanwhileWait)
{
    AddLines(10);
    HWND main = m_dlg->m_hWnd;
    auto clickPrint = [&] { ::SendMessageA(::GetDlgItem(main, IDC_PRINT), BM_CLICK, 0, 0); };
    {
        DialogScene scene;
        std::thread helper([&] {
            if (!WaitFor([&] { return !PrinterDialogs().empty(); }, 20000))
                return;
            HWND dialog = PrinterDialogs().front();
            scene.shown = true;
            scene.ownedByExpected = ::GetWindow(dialog, GW_OWNER) == main;
            scene.ownerDisabled = !::IsWindowEnabled(main);
            for (UINT id : {IDC_PRINT, IDC_PRINT_PREVIEW})
                ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(main, static_cast<int>(id))));
            ::Sleep(400);
            scene.stillOneDialog = PrinterDialogs().size() == 1 && ::IsWindowVisible(main);
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        clickPrint();
        helper.join();
        PumpFor(50);
        EXPECT_TRUE(scene.shown);
        EXPECT_TRUE(scene.ownedByExpected);
        EXPECT_TRUE(scene.ownerDisabled);
        EXPECT_TRUE(scene.stillOneDialog);
        EXPECT_TRUE(PrinterDialogs().empty());
        EXPECT_TRUE(::IsWindowEnabled(main));
        EXPECT_TRUE(MainIsBack());  // no preview took its place
    }
    {
        // Closed while the dialog is open: the dialog goes with it.
        DialogScene scene;
        std::thread helper([&] {
            if (!WaitFor([&] { return !PrinterDialogs().empty(); }, 20000))
                return;
            HWND dialog = PrinterDialogs().front();
            scene.shown = true;
            ::PostMessageA(main, WM_CLOSE, 0, 0);
            scene.ownerGone = WaitFor([&] { return !::IsWindow(main); }, 10000);
            scene.dialogGoneWithOwner = WaitFor([&] { return !::IsWindow(dialog); }, 3000);
            if (::IsWindow(dialog))
                ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        clickPrint();
        helper.join();
        PumpFor(50);
        EXPECT_TRUE(scene.shown);
        EXPECT_TRUE(scene.ownerGone);
        EXPECT_TRUE(scene.dialogGoneWithOwner);
        EXPECT_TRUE(PrinterDialogs().empty());
    }
    // The program goes on: a new main window prints its preview as before.
    m_dlg = std::make_unique<CReaderDlg>(TestApp());
    ASSERT_TRUE(m_dlg->Create());
    m_app.m_pMainWnd = m_dlg.get();
    AddLines(10);
    ASSERT_NE(OpenPreview(), nullptr);
    Command(ID_PREVIEW_CLOSE);
    PumpFor(50);
    EXPECT_TRUE(MainIsBack());
}

// The owner of the message box that AfxMessageBox shows for this text.
HWND OwnerOfBox(const char* text)
{
    std::atomic<HWND> owner{nullptr};
    DialogWatcher watcher;
    watcher.SetHandler([&](HWND box) {
        owner = ::GetWindow(box, GW_OWNER);
        return false;
    });
    AfxMessageBox(text, MB_OK);
    return owner;
}

// Message boxes and dialogs are owned by a visible window of this thread: the one
// asked for, else the active one, else the main window; a window with a modal dialog
// open over it hands the ownership to that dialog.
TEST(ModalOwner, IsAVisibleEnabledWindowOfThisThread)
{
    CWinApp app{"Korvex"};
    auto topLevel = [](const char* title, HWND owner, bool visible) {
        return ::CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 10, 10, 300,
                                 200, owner, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    };
    HWND main = topLevel("main", nullptr, true);
    HWND child = ::CreateWindowExA(0, "STATIC", "child", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, main, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(main && child);
    CWnd mainWnd;
    mainWnd.m_hWnd = main;
    app.m_pMainWnd = &mainWnd;
    ::SetActiveWindow(main);

    EXPECT_EQ(AfxGetModalOwner(), main);
    EXPECT_EQ(AfxGetModalOwner(child), main);  // a control stands for its window

    // A window of another thread is never the owner.
    std::atomic<HWND> foreign{nullptr};
    std::atomic<bool> done{false};
    std::thread other([&] {
        foreign = ::CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 10, 200, 100,
                                    nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        while (!done) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageA(&msg);
            ::Sleep(10);
        }
        ::DestroyWindow(foreign);
    });
    ASSERT_TRUE(PumpUntil([&] { return foreign.load() != nullptr; }, 5000));
    EXPECT_EQ(AfxGetModalOwner(foreign), main);

    // A modal dialog open over the main window owns the next box.
    HWND modal = topLevel("modal", main, true);
    ::EnableWindow(main, FALSE);
    ::SetActiveWindow(modal);
    EXPECT_EQ(AfxGetModalOwner(main), modal);
    EXPECT_EQ(AfxGetModalOwner(), modal);
    // A box opened now leaves the main window disabled when it closes.
    EXPECT_EQ(OwnerOfBox("A question of ownership"), modal);
    EXPECT_FALSE(::IsWindowEnabled(main));
    ::EnableWindow(main, TRUE);
    ::DestroyWindow(modal);

    // Hidden windows own nothing.
    ::ShowWindow(main, SW_HIDE);
    EXPECT_EQ(AfxGetModalOwner(main), nullptr);
    ::ShowWindow(main, SW_SHOW);
    ::SetActiveWindow(main);
    EXPECT_EQ(OwnerOfBox("Owned by the main window"), main);
    EXPECT_TRUE(::IsWindowEnabled(main));

    done = true;
    other.join();
    mainWnd.m_hWnd = nullptr;
    app.m_pMainWnd = nullptr;
    ::DestroyWindow(main);
}

TEST_F(PrintPreviewTest, SixClicksOnAPageGoThroughEveryZoomAndBack)
{
    AddLines(200);
    CMyPreviewView* view = OpenPreview();
    ASSERT_NE(view, nullptr);
    Paint(view);
    EXPECT_FALSE(::IsWindowEnabled(Button(ID_PREVIEW_ZOOMOUT)));
    const RECT fitted = view->GetPageInfo(0).rectScreen;
    const std::vector<double> widths = print_preview_test::PageWidths(ClientOf(view), ScreenDpi());
    ASSERT_LT(widths[0], widths[2]) << "the test's window is smaller than the paper";
    EXPECT_NEAR(fitted.right - fitted.left, widths[0], 2);
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
        EXPECT_NEAR(page.right - page.left, widths[state % 6], 2);
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
    const std::string spool = PdfSpoolFolder();
    auto pdfs = [&] { return SpoolPdfs(spool); };
    if (!FileExists(spool))
        GTEST_SKIP() << "the default printer does not print to " << spool;
    for (const std::string& name : pdfs())
        ::DeleteFileA(name.c_str());

    AddLines(100);
    ASSERT_NE(OpenPreview(), nullptr);
    // Answers the printer dialog (the only dialog window shown meanwhile) with OK.
    std::atomic<int> answered{0};
    std::thread printerDialog([&] {
        for (int i = 0; i < 1000 && !answered; ++i) {
            const std::vector<HWND> shown = ShownDialogs();
            if (HWND dialog = shown.empty() ? nullptr : shown.front()) {
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
    ASSERT_EQ(view->GetLastPage(), 3u);
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
    EXPECT_EQ(view->GetLastPage(), 3u);
    Command(ID_PREVIEW_PREV);
    EXPECT_GT(inkOnPage(), lastPage) << "the first page is full";

    Command(ID_PREVIEW_CLOSE);
    PumpFor(50);
    EXPECT_TRUE(MainIsBack());
    EXPECT_EQ(m_dlg->View().GetLine(1), "lines");
}

namespace {
// Three pages, each with a black block over the middle half of the sheet's width from
// a tenth to half of its height; counts the pages drawn.
class BlockPages : public CPageSource {
public:
    int BeginJob(HDC) override { return 3; }
    void PrintPage(HDC dc, int) override
    {
        ++printed;
        const int w = ::GetDeviceCaps(dc, PHYSICALWIDTH), h = ::GetDeviceCaps(dc, PHYSICALHEIGHT);
        const int x0 = ::GetDeviceCaps(dc, PHYSICALOFFSETX), y0 = ::GetDeviceCaps(dc, PHYSICALOFFSETY);
        const RECT block = {w / 4 - x0, h / 10 - y0, w * 3 / 4 - x0, h / 2 - y0};
        ::FillRect(dc, &block, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    void EndJob() override { ++ended; }
    const std::string& DocumentName() const override { return m_name; }
    int printed = 0;
    int ended = 0;

private:
    std::string m_name = "blocks";
};
}  // namespace

// A page is drawn once for a zoom state: scrolling it only moves the picture, which
// stays where the page is; a new zoom state draws it once more, at its new size.
TEST_F(PrintPreviewTest, AZoomedPageIsDrawnOnceAndScrollsWithoutBeingDrawnAgain)
{
    BlockPages pages;
    auto* preview = new CMyPrintPreview;
    ASSERT_TRUE(preview->Create(&pages));
    preview->Show(m_dlg.get());
    m_frame = preview->m_hWnd;
    CMyPreviewView* view = CurrentPreviewView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(pages.printed, 1);
    // Whether the screen is dark at a point of the sheet (fractions of its width and
    // height) of the page shown, where it is now.
    auto darkAt = [&](double fx, double fy) {
        Paint(view);
        const RECT r = view->GetPageInfo(0).rectScreen;
        const POINT scroll = view->GetScrollPosition();
        const int x = r.left + 1 + static_cast<int>(fx * (r.right - r.left - 3)) - scroll.x;
        const int y = r.top + 1 + static_cast<int>(fy * (r.bottom - r.top - 3)) - scroll.y;
        const RECT client = ClientOf(view);
        EXPECT_TRUE(x >= 0 && y >= 0 && x < client.right && y < client.bottom) << x << "," << y;
        HDC dc = ::GetDC(view->m_hWnd);
        const COLORREF pixel = ::GetPixel(dc, x, y);
        ::ReleaseDC(view->m_hWnd, dc);
        return (pixel & 0xFF) < 0x80;
    };
    EXPECT_TRUE(darkAt(0.5, 0.3));
    EXPECT_FALSE(darkAt(0.5, 0.05));
    Command(ID_PREVIEW_NEXT);
    Paint(view);
    EXPECT_EQ(pages.printed, 2);

    for (int i = 0; i < 3; ++i)
        Command(ID_PREVIEW_ZOOMIN);
    Paint(view);
    EXPECT_EQ(pages.printed, 3);
    const int width = view->GetPageInfo(0).rectScreen.right - view->GetPageInfo(0).rectScreen.left;
    for (int i = 0; i < 3; ++i) {
        Bar(view, SB_LINEDOWN);
        Paint(view);
    }
    Wheel(view, WHEEL_DELTA);
    ASSERT_GT(view->GetScrollPosition().y, 0);
    EXPECT_TRUE(darkAt(0.5, 0.3));
    EXPECT_FALSE(darkAt(0.2, 0.3));
    EXPECT_FALSE(darkAt(0.5, 0.55));
    EXPECT_EQ(pages.printed, 3) << "scrolling drew the page again";

    Command(ID_PREVIEW_ZOOMIN);
    EXPECT_GT(view->GetPageInfo(0).rectScreen.right - view->GetPageInfo(0).rectScreen.left, width);
    EXPECT_TRUE(darkAt(0.5, 0.3));
    EXPECT_FALSE(darkAt(0.2, 0.3));
    EXPECT_FALSE(darkAt(0.5, 0.05));
    EXPECT_EQ(pages.printed, 4);
    EXPECT_EQ(view->GetCurrentPage(), 2u);

    Command(ID_PREVIEW_CLOSE);
    PumpFor(50);
    EXPECT_EQ(pages.ended, 1);
    EXPECT_TRUE(MainIsBack());
}
