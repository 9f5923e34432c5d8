// The text view driven with real window messages: lines, scroll bars, wheel, keys,
// marks, window text, the forwarded click and what it paints.
#include <gtest/gtest.h>

#include "controls/DataView.h"
#include "core/OutputFile.h"
#include "support/WinTestSupport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdint>
#include <thread>

using namespace wintest;

namespace {

// The main window's stand-in: records the clicks the view passes on.
class CRecordingParent : public CWnd {
public:
    int clicks = 0;
    UINT lastFlags = 0;
    POINT lastPoint = {};

protected:
    void OnLButtonDown(UINT flags, POINT point)
    {
        ++clicks;
        lastFlags = flags;
        lastPoint = point;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingParent, CWnd)
    ON_MOUSE_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
END_MESSAGE_MAP()

const char kParentClass[] = "KorvexDataViewTestParent";

void RegisterParentClass()
{
    static bool done = false;
    if (done)
        return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kParentClass;
    ::RegisterClassA(&wc);
    done = true;
}

// What the view paints into a bitmap through WM_PRINTCLIENT.
class Capture : public Dib {
public:
    explicit Capture(HWND view) : Dib(ClientSize(view).cx, ClientSize(view).cy)
    {
        // Grey, so that a view that paints nothing cannot pass for a white one.
        Fill(0x808080);
        ::SendMessageA(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(DC()), PRF_CLIENT);
        ::GdiFlush();
    }
    static SIZE ClientSize(HWND view)
    {
        RECT rc;
        ::GetClientRect(view, &rc);
        return SIZE{rc.right, rc.bottom};
    }
    // Pixels of a band of rows that are clearly text (all channels dark).
    int DarkPixels(int top, int bottom) const
    {
        int n = 0;
        for (int y = top; y < bottom && y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) {
                const uint32_t p = At(x, y);
                if ((p & 0xFF) < 0x80 && ((p >> 8) & 0xFF) < 0x80 && ((p >> 16) & 0xFF) < 0x80)
                    ++n;
            }
        return n;
    }
    bool AllEqual(int top, int bottom, int left, int right, uint32_t colour) const
    {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (At(x, y) != colour)
                    return false;
        return true;
    }
};

// Courier New at the size and weight, italic or not.
DataViewFont Font(int size, int weight, int italic)
{
    DataViewFont font;
    font.size = size;
    font.weight = weight;
    font.italic = italic;
    return font;
}

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kMarkPixel = 0xFFFFC8;  // COLORREF 0xC8FFFF in a DIB

class DataViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterParentClass();
        HWND parent = ::CreateWindowExA(0, kParentClass, "view test", WS_POPUP | WS_VISIBLE, 20, 20, 600, 500,
                                        nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(parent);
        ASSERT_TRUE(m_parent.SubclassWindow(parent));
        // Like control 1000 of the main window: an empty static with a static edge.
        HWND control = ::CreateWindowExA(WS_EX_STATICEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 300, 200,
                                         parent, reinterpret_cast<HMENU>(1000), ::GetModuleHandleA(nullptr),
                                         nullptr);
        ASSERT_TRUE(control);
        ASSERT_TRUE(m_view.SubclassDlgItem(1000, &m_parent));
    }

    void TearDown() override
    {
        if (m_parent.m_hWnd)
            ::DestroyWindow(m_parent.m_hWnd);
    }

    // The main window's set-up of the view.
    void SetUpLikeMainWindow()
    {
        m_view.SetListMode(true);
        m_view.EnableHighlight(true);
        m_view.SetTextFormat(0);
        m_view.SetListFont(DataViewFont());
        m_view.SetTextColor(RGB(0, 0, 0));
    }

    // Sizes the view so that its client area is exactly this big.
    void SetClientSize(int width, int height)
    {
        RECT outer, client;
        ::GetWindowRect(m_view.m_hWnd, &outer);
        ::GetClientRect(m_view.m_hWnd, &client);
        const int edgeW = (outer.right - outer.left) - client.right;
        const int edgeH = (outer.bottom - outer.top) - client.bottom;
        ::SetWindowPos(m_view.m_hWnd, nullptr, 0, 0, width + edgeW, height + edgeH, SWP_NOMOVE | SWP_NOZORDER);
        ::GetClientRect(m_view.m_hWnd, &client);
        ASSERT_EQ(client.right, width);
        ASSERT_EQ(client.bottom, height);
    }

    void SetRows(int rows, int extraPixels = 0) { SetClientSize(300, rows * m_view.GetLineHeight() + extraPixels); }

    void AddNumbered(int n)
    {
        for (int i = 0; i < n; ++i)
            m_view.AddLine(("line " + std::to_string(i)).c_str(), false);
    }

    // The middle column of the vertical bar's strip, as on screen.
    std::vector<COLORREF> BarStrip() const
    {
        RECT client;
        ::GetClientRect(m_view.m_hWnd, &client);
        HDC dc = ::GetDC(m_view.m_hWnd);
        std::vector<COLORREF> column;
        for (int y = 0; y < client.bottom; ++y)
            column.push_back(::GetPixel(dc, client.right - 8, y));
        ::ReleaseDC(m_view.m_hWnd, dc);
        return column;
    }

    HWND Bar(int id) const { return ::GetDlgItem(m_view.m_hWnd, id); }
    bool BarVisible(int id) const { return ::IsWindowVisible(Bar(id)) != FALSE; }
    RECT BarRect(int id) const
    {
        RECT rc;
        ::GetWindowRect(Bar(id), &rc);
        ::MapWindowPoints(nullptr, m_view.m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    void Send(UINT msg, WPARAM wp, LPARAM lp = 0) { ::SendMessageA(m_view.m_hWnd, msg, wp, lp); }
    void Key(UINT vk) { Send(WM_KEYDOWN, vk, 1); }
    void ClickLine(int row, WPARAM keys = 0)
    {
        Send(WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(5, row * m_view.GetLineHeight() + 2));
    }
    void Wheel(short delta) { Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), MAKELPARAM(100, 100)); }

    CRecordingParent m_parent;
    CDataView m_view;
};

}  // namespace

TEST_F(DataViewTest, BindingAddsNotifyStyleAndListModeCreatesHiddenBars)
{
    EXPECT_TRUE(::GetWindowLongA(m_view.m_hWnd, GWL_STYLE) & SS_NOTIFY);
    EXPECT_FALSE(Bar(1));
    SetUpLikeMainWindow();
    EXPECT_GT(m_view.GetLineHeight(), 2);

    ASSERT_TRUE(Bar(1));
    ASSERT_TRUE(Bar(2));
    char cls[32] = "";
    ::GetClassNameA(Bar(1), cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, "ScrollBar");
    EXPECT_TRUE(::GetWindowLongA(Bar(1), GWL_STYLE) & SBS_VERT);
    EXPECT_FALSE(::GetWindowLongA(Bar(2), GWL_STYLE) & SBS_VERT);
    EXPECT_FALSE(BarVisible(1));
    EXPECT_FALSE(BarVisible(2));
    EXPECT_EQ(::SendMessageA(m_view.m_hWnd, WM_GETDLGCODE, 0, 0), 0x85);
}

TEST_F(DataViewTest, LinesGrowTheStoreAndDriveTheVerticalBar)
{
    SetUpLikeMainWindow();
    SetRows(10);
    EXPECT_EQ(m_view.AddLine("first", true), ViewAdd::Added);
    EXPECT_EQ(m_view.AddLine(nullptr, true), ViewAdd::Added);
    EXPECT_EQ(m_view.GetLineCount(), 2);
    EXPECT_EQ(m_view.GetLine(1), "");
    EXPECT_EQ(m_view.Lines().Longest(), 5);
    // Everything fits: following the end leaves the top line at 0 and the bar hidden.
    EXPECT_EQ(m_view.GetTopLine(), 0);
    EXPECT_FALSE(BarVisible(1));

    AddNumbered(23);
    EXPECT_EQ(m_view.GetLineCount(), 25);
    EXPECT_EQ(m_view.VerticalMax(), 15);
    ASSERT_TRUE(BarVisible(1));
    RECT rc = BarRect(1);
    RECT client;
    ::GetClientRect(m_view.m_hWnd, &client);
    EXPECT_EQ(rc.left, client.right - 15);
    EXPECT_EQ(rc.right, client.right);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.bottom, client.bottom);
    EXPECT_EQ(m_view.GetTopLine(), 0);

    m_view.AddLine("follow", true);
    EXPECT_EQ(m_view.GetTopLine(), 16);
    EXPECT_EQ(::GetScrollPos(Bar(1), SB_CTL), 16);

    // A batch grows the store in whole steps and follows the end too.
    std::vector<std::string> batch(1100, "x");
    EXPECT_EQ(m_view.AddLines(batch, true), ViewAdd::Added);
    EXPECT_EQ(m_view.GetLineCount(), 1126);
    EXPECT_EQ(m_view.Lines().Capacity(), 2048);
    EXPECT_EQ(m_view.GetTopLine(), 1116);

    // A taller view keeps the top line within the new, smaller range.
    SetRows(20);
    EXPECT_EQ(m_view.VerticalMax(), 1106);
    EXPECT_EQ(m_view.GetTopLine(), 1106);
    EXPECT_EQ(::GetScrollPos(Bar(1), SB_CTL), 1106);

    ClickLine(2);
    EXPECT_EQ(m_view.GetMarkCount(), 1);
    m_view.ResetContent();
    EXPECT_EQ(m_view.GetLineCount(), 0);
    EXPECT_EQ(m_view.Lines().Capacity(), 2048);
    EXPECT_EQ(m_view.GetMarkCount(), 0);
    EXPECT_EQ(m_view.GetTopLine(), 0);
    EXPECT_EQ(m_view.VerticalMax(), 0);
    EXPECT_FALSE(BarVisible(1));
    EXPECT_FALSE(BarVisible(2));
}

TEST_F(DataViewTest, HorizontalBarOnlyForALineWiderThanTheView)
{
    SetUpLikeMainWindow();
    SetRows(10);
    m_view.AddLine("short", false);
    EXPECT_FALSE(BarVisible(2));
    EXPECT_EQ(m_view.HorizontalMax(), 0);
    Send(WM_HSCROLL, SB_LINEDOWN);
    EXPECT_EQ(m_view.GetHorizontalOffset(), 0);

    m_view.AddLine(std::string(200, 'w').c_str(), false);
    ASSERT_TRUE(BarVisible(2));
    EXPECT_GT(m_view.HorizontalMax(), 0);
    RECT client;
    ::GetClientRect(m_view.m_hWnd, &client);
    RECT rc = BarRect(2);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.right, client.right);
    EXPECT_EQ(rc.top, client.bottom - 15);
    EXPECT_EQ(rc.bottom, client.bottom);

    Send(WM_HSCROLL, SB_LINEDOWN);
    EXPECT_EQ(m_view.GetHorizontalOffset(), 1);
    Send(WM_HSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(m_view.GetHorizontalOffset(), 21);
    Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 100000 & 0xFFFF));
    EXPECT_EQ(m_view.GetHorizontalOffset(), m_view.HorizontalMax());
    EXPECT_EQ(::GetScrollPos(Bar(2), SB_CTL), m_view.HorizontalMax());

    // With the vertical bar shown the horizontal one stops short of it.
    AddNumbered(20);
    ASSERT_TRUE(BarVisible(1));
    rc = BarRect(2);
    EXPECT_EQ(rc.right, client.right - 15);

    m_view.ResetContent();
    EXPECT_EQ(m_view.GetHorizontalOffset(), 0);
    EXPECT_FALSE(BarVisible(2));
}

TEST_F(DataViewTest, ScrollRequestsAndWheel)
{
    SetUpLikeMainWindow();
    SetRows(10);
    // No range: every request leaves the top line at 0.
    AddNumbered(5);
    Send(WM_VSCROLL, SB_PAGEDOWN);
    Wheel(-240);
    EXPECT_EQ(m_view.GetTopLine(), 0);

    AddNumbered(20);
    ASSERT_EQ(m_view.VerticalMax(), 15);
    Send(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(m_view.GetTopLine(), 15);
    EXPECT_EQ(::GetScrollPos(Bar(1), SB_CTL), 15);
    Send(WM_VSCROLL, SB_TOP);  // one line, not to the first line
    EXPECT_EQ(m_view.GetTopLine(), 14);
    Send(WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(m_view.GetTopLine(), 13);
    Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5));
    EXPECT_EQ(m_view.GetTopLine(), 5);
    Send(WM_VSCROLL, SB_BOTTOM);  // one line, not to the last line
    EXPECT_EQ(m_view.GetTopLine(), 6);
    Send(WM_VSCROLL, SB_ENDSCROLL);
    EXPECT_EQ(m_view.GetTopLine(), 6);
    Send(WM_VSCROLL, SB_PAGEUP);
    EXPECT_EQ(m_view.GetTopLine(), 0);

    Wheel(-240);
    EXPECT_EQ(m_view.GetTopLine(), 10);
    Wheel(60);
    EXPECT_EQ(m_view.GetTopLine(), 10);
    Wheel(120);
    EXPECT_EQ(m_view.GetTopLine(), 5);
    Wheel(-1200);
    EXPECT_EQ(m_view.GetTopLine(), 15);
}

TEST_F(DataViewTest, KeysScrollWithoutAMarkAndMoveASingleMark)
{
    SetUpLikeMainWindow();
    SetRows(10);
    AddNumbered(25);
    Key(VK_NEXT);
    EXPECT_EQ(m_view.GetTopLine(), 10);
    Key(VK_NEXT);
    EXPECT_EQ(m_view.GetTopLine(), 15);
    Key(VK_HOME);
    EXPECT_EQ(m_view.GetTopLine(), 0);
    Key(VK_DOWN);
    Key(VK_RIGHT);
    EXPECT_EQ(m_view.GetTopLine(), 2);
    Key(VK_LEFT);
    EXPECT_EQ(m_view.GetTopLine(), 1);
    Key(VK_END);
    EXPECT_EQ(m_view.GetTopLine(), 15);
    Key('A');
    EXPECT_EQ(m_view.GetTopLine(), 15);

    // A click on row 3 marks line 18; Down moves the mark, not the view.
    ClickLine(3);
    EXPECT_TRUE(m_view.IsMarked(18));
    Key(VK_DOWN);
    EXPECT_FALSE(m_view.IsMarked(18));
    EXPECT_TRUE(m_view.IsMarked(19));
    EXPECT_EQ(m_view.GetTopLine(), 15);
    Key(VK_NEXT);
    EXPECT_TRUE(m_view.IsMarked(24));
    Key(VK_DOWN);
    EXPECT_TRUE(m_view.IsMarked(24));
    EXPECT_EQ(m_view.GetMarkCount(), 1);

    Key(VK_HOME);
    ClickLine(9);  // the marked last line: the mark goes
    EXPECT_EQ(m_view.GetMarkCount(), 0);
    Key(VK_HOME);
    EXPECT_EQ(m_view.GetTopLine(), 0);
    ClickLine(0);
    Key(VK_PRIOR);
    EXPECT_TRUE(m_view.IsMarked(0));
    EXPECT_EQ(m_view.GetMarkCount(), 1);
    ClickLine(4);
    EXPECT_FALSE(m_view.IsMarked(0));
    EXPECT_TRUE(m_view.IsMarked(4));
}

TEST_F(DataViewTest, ClickMarksFocusesAndReachesTheParent)
{
    SetUpLikeMainWindow();
    SetRows(10);
    AddNumbered(3);
    ::SetForegroundWindow(m_parent.m_hWnd);
    ::SetFocus(m_parent.m_hWnd);

    Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(7, m_view.GetLineHeight() + 1));
    EXPECT_TRUE(m_view.IsMarked(1));
    EXPECT_EQ(::GetFocus(), m_view.m_hWnd);
    EXPECT_EQ(m_parent.clicks, 1);
    EXPECT_EQ(m_parent.lastFlags, static_cast<UINT>(MK_LBUTTON | MK_SHIFT));
    POINT expected = {7, m_view.GetLineHeight() + 1};
    ::MapWindowPoints(m_view.m_hWnd, m_parent.m_hWnd, &expected, 1);
    EXPECT_EQ(m_parent.lastPoint.x, expected.x);
    EXPECT_EQ(m_parent.lastPoint.y, expected.y);

    // Below the last line: the mark goes and no new one is made.
    ClickLine(7);
    EXPECT_EQ(m_view.GetMarkCount(), 0);
    EXPECT_EQ(m_parent.clicks, 2);

    // Marking can be switched off.
    m_view.EnableHighlight(false);
    ClickLine(0);
    EXPECT_EQ(m_view.GetMarkCount(), 0);
}

// Ctrl+click marks lines one by one and Shift+click a run from the last line clicked
// without Shift, the lines Print offers as its Selection; a plain click, a Clear or Find
// starts again from one line.
TEST_F(DataViewTest, CtrlAndShiftClicksMarkSeveralLines)
{
    SetUpLikeMainWindow();
    SetRows(12);
    AddNumbered(20);
    ClickLine(2);
    ClickLine(5, MK_CONTROL);
    ClickLine(9, MK_SHIFT);  // from line 5, the last line clicked: the Ctrl-marked 2 goes
    EXPECT_EQ(m_view.GetMarkedLines(), (std::vector<int>{5, 6, 7, 8, 9}));
    ClickLine(7, MK_CONTROL);
    ClickLine(0, MK_CONTROL | MK_SHIFT);  // from 7 back to 0, added
    ClickLine(11, MK_CONTROL);
    EXPECT_EQ(m_view.GetMarkedLines(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11}));
    ClickLine(6, MK_CONTROL);
    EXPECT_EQ(m_view.GetMarkedLines(), (std::vector<int>{0, 1, 2, 3, 4, 5, 7, 8, 9, 11}));
    Key(VK_DOWN);  // several marks: the keys scroll and the marks stay
    EXPECT_EQ(m_view.GetTopLine(), 1);
    EXPECT_EQ(m_view.GetMarkCount(), 10);

    ClickLine(5);  // row 5 shows line 6
    EXPECT_EQ(m_view.GetMarkedLines(), std::vector<int>{6});
    m_view.ShowMarkedLine(8);
    ClickLine(9, MK_SHIFT);  // from Find's line to row 9, line 10
    EXPECT_EQ(m_view.GetMarkedLines(), (std::vector<int>{8, 9, 10}));
    m_view.ResetContent();
    AddNumbered(20);
    ClickLine(3, MK_SHIFT);  // no line to run from after a Clear
    EXPECT_EQ(m_view.GetMarkedLines(), std::vector<int>{3});
}

// A view given a document shows and fills the document's lines, its own store left
// aside; without one it is back on its own store, which kept its lines.
TEST_F(DataViewTest, ADocumentIsShownAndFilledInPlaceOfTheViewsOwnStore)
{
    SetUpLikeMainWindow();
    SetRows(4);
    m_view.AddLine("own", false);
    CLineStore document;
    for (const char* line : {"d0", "d1", "d2", "d3", "d4", "d5"})
        document.AddLine(line);
    m_view.ShowMarkedLine(0);
    m_view.SetDocument(&document);
    EXPECT_EQ(m_view.GetMarkCount(), 0) << "a mark of the other lines goes";
    EXPECT_EQ(m_view.GetLineCount(), 6);
    EXPECT_EQ(m_view.VerticalMax(), 2) << "the bar follows the document's lines";
    EXPECT_TRUE(BarVisible(1));
    EXPECT_EQ(m_view.AddLine("d6", true), ViewAdd::Added);
    EXPECT_EQ(m_view.AddLines(std::vector<std::string>{"d7"}, true), ViewAdd::Added);
    EXPECT_EQ(document.Count(), 8);
    EXPECT_EQ(document.Line(7), "d7");
    EXPECT_EQ(m_view.GetTopLine(), 4);
    m_view.ResetContent();
    EXPECT_EQ(document.Count(), 0) << "Clear empties the document shown";

    m_view.SetDocument(nullptr);
    EXPECT_EQ(m_view.GetLineCount(), 1);
    EXPECT_EQ(m_view.GetLine(0), "own");
    EXPECT_EQ(m_view.GetTopLine(), 0);
    EXPECT_FALSE(BarVisible(1));
}

TEST_F(DataViewTest, WindowTextIsIgnoredAndCopiedSafely)
{
    ::SetWindowTextA(m_view.m_hWnd, "ignored");
    char buffer[32] = "xxxx";
    EXPECT_EQ(::SendMessageA(m_view.m_hWnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 0);
    EXPECT_STREQ(buffer, "");

    // Outside list mode a line becomes the single text.
    EXPECT_EQ(m_view.AddLine("Hello world", false), ViewAdd::NotListMode);
    EXPECT_EQ(m_view.AddLines({"a"}, false), ViewAdd::NotListMode);
    EXPECT_EQ(m_view.GetLineCount(), 0);
    EXPECT_EQ(::SendMessageA(m_view.m_hWnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 11);
    EXPECT_STREQ(buffer, "Hello world");

    // A small buffer gets a terminated prefix and nothing beyond it.
    char small[8];
    std::memset(small, '#', sizeof small);
    EXPECT_EQ(::SendMessageA(m_view.m_hWnd, WM_GETTEXT, 6, reinterpret_cast<LPARAM>(small)), 5);
    EXPECT_STREQ(small, "Hello");
    EXPECT_EQ(small[6], '#');
    EXPECT_EQ(::SendMessageA(m_view.m_hWnd, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(small)), 0);
    EXPECT_EQ(small[0], 'H');

    // Horizontal centring trims the single text; the default answer to WM_GETDLGCODE
    // stays outside list mode.
    m_view.AddLine("  mid  ", false);
    m_view.SetTextFormat(DT_CENTER);
    ::SendMessageA(m_view.m_hWnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    EXPECT_STREQ(buffer, "mid");
    EXPECT_NE(::SendMessageA(m_view.m_hWnd, WM_GETDLGCODE, 0, 0), 0x85);
}

TEST_F(DataViewTest, PaintsWholeRowsTextAndMarks)
{
    SetUpLikeMainWindow();
    const int lh = m_view.GetLineHeight();
    // Ten and a half rows: the eleventh line exists but does not fit.
    SetRows(10, lh / 2);
    for (int i = 0; i < 12; ++i)
        m_view.AddLine(i == 1 ? "" : "WWWWWWWW", false);
    ClickLine(2);
    {
        Capture cap(m_view.m_hWnd);
        EXPECT_GT(cap.DarkPixels(0, lh), 10);
        EXPECT_TRUE(cap.AllEqual(lh, 2 * lh, 0, cap.Width(), kWhite));
        EXPECT_EQ(cap.At(cap.Width() - 30, 2 * lh + lh / 2), kMarkPixel);
        EXPECT_EQ(cap.At(cap.Width() - 30, 3 * lh + lh / 2), kWhite);
        EXPECT_GT(cap.DarkPixels(9 * lh, 10 * lh), 10);
        EXPECT_TRUE(cap.AllEqual(10 * lh, cap.Height(), 0, cap.Width(), kWhite));
    }

    // A horizontal offset at a line's length shows it empty.
    m_view.ResetContent();
    m_view.AddLine("ab", false);
    m_view.AddLine(std::string(100, 'W').c_str(), false);
    ASSERT_GT(m_view.HorizontalMax(), 2);
    Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 2));
    {
        Capture cap(m_view.m_hWnd);
        EXPECT_TRUE(cap.AllEqual(0, lh, 0, cap.Width(), kWhite));
        EXPECT_GT(cap.DarkPixels(lh, 2 * lh), 10);
    }

    // Colour and font changes reach the next paint.
    m_view.ResetContent();
    m_view.AddLine("WWWWWWWW", false);
    m_view.SetTextColor(RGB(255, 0, 0));
    {
        Capture cap(m_view.m_hWnd);
        EXPECT_EQ(cap.DarkPixels(0, lh), 0);
        bool red = false;
        for (int y = 0; y < lh && !red; ++y)
            for (int x = 0; x < 100 && !red; ++x)
                red = cap.At(x, y) == 0xFF0000;
        EXPECT_TRUE(red);
    }
}

TEST_F(DataViewTest, PaintsToTheScreen)
{
    SetUpLikeMainWindow();
    SetRows(10);
    m_view.AddLine("WWWWWWWWWWWW", false);
    m_view.AddLine("second", false);
    ClickLine(1);
    ::UpdateWindow(m_parent.m_hWnd);
    ::UpdateWindow(m_view.m_hWnd);
    PumpFor(50);

    const int lh = m_view.GetLineHeight();
    HDC dc = ::GetDC(m_view.m_hWnd);
    ASSERT_TRUE(dc);
    int dark = 0;
    for (int y = 0; y < lh; ++y)
        for (int x = 0; x < 120; ++x)
            if ((::GetPixel(dc, x, y) & 0xFFFFFF) == 0)
                ++dark;
    const COLORREF mark = ::GetPixel(dc, 250, lh + lh / 2);
    const COLORREF below = ::GetPixel(dc, 250, 5 * lh);
    ::ReleaseDC(m_view.m_hWnd, dc);
    EXPECT_GT(dark, 10);
    EXPECT_EQ(mark, RGB(255, 255, 200));
    EXPECT_EQ(below, RGB(255, 255, 255));

    // Appends reach the screen at the next paint, however many come before it.
    auto darkInRow = [&](int row) {
        HDC rowDc = ::GetDC(m_view.m_hWnd);
        int n = 0;
        for (int y = row * lh; y < (row + 1) * lh; ++y)
            for (int x = 0; x < 120; ++x)
                n += (::GetPixel(rowDc, x, y) & 0xFFFFFF) == 0;
        ::ReleaseDC(m_view.m_hWnd, rowDc);
        return n;
    };
    m_view.AddLine("WWWWWWWWWWWW", false);
    m_view.AddLine("WWWWWWWWWWWW", false);
    ::UpdateWindow(m_view.m_hWnd);
    EXPECT_GT(darkInRow(2), 10);
    EXPECT_GT(darkInRow(3), 10);
    m_view.AddLine("WWWWWWWWWWWW", false);
    ::UpdateWindow(m_view.m_hWnd);
    EXPECT_GT(darkInRow(4), 10);

    // The bars are repainted with the rows: a shown bar is on screen and its thumb moves.
    AddNumbered(40);
    ::UpdateWindow(m_view.m_hWnd);
    PumpFor(50);
    const std::vector<COLORREF> before = BarStrip();
    EXPECT_NE(before[7], RGB(255, 255, 255));
    Send(WM_VSCROLL, SB_PAGEDOWN);
    ::UpdateWindow(m_view.m_hWnd);
    PumpFor(50);
    EXPECT_NE(BarStrip(), before);
    // Background erasing is left to the paint.
    EXPECT_EQ(::SendMessageA(m_view.m_hWnd, WM_ERASEBKGND, 0, 0), 1);
}

TEST_F(DataViewTest, FontSizeZeroAndFontChangeKeepRangesUntilNextUpdate)
{
    SetUpLikeMainWindow();
    SetRows(10);
    AddNumbered(25);
    const int before = m_view.GetLineHeight();
    m_view.SetListFont(Font(20, 700, 1));
    EXPECT_GT(m_view.GetLineHeight(), before);
    EXPECT_EQ(m_view.VerticalMax(), 15);
    m_view.AddLine("more", false);
    EXPECT_GT(m_view.VerticalMax(), 16);
    EXPECT_EQ(m_view.GetListFont().weight, 700);

    m_view.SetListFont(Font(0, 400, 0));
    EXPECT_GT(m_view.GetLineHeight(), 2);
    EXPECT_TRUE(m_view.GetFontHandle());
}

TEST_F(DataViewTest, ItsLinesSaveAsTheyStand)
{
    // The main window saves what the view holds (and asks for names itself).
    SetUpLikeMainWindow();
    m_view.AddLine("A", false);
    m_view.AddLine("", false);
    m_view.AddLine("B", false);
    TempDir dir;
    EXPECT_EQ(WriteTextLines(dir.File("out.txt"), m_view.Lines()), OutputResult::Ok);
    EXPECT_EQ(ReadFileBytes(dir.File("out.txt")), "A\r\n\r\nB\r\n");
    EXPECT_EQ(WriteTextLines(dir.File("missing\\out.txt"), m_view.Lines()), OutputResult::CannotCreate);
}

TEST_F(DataViewTest, AMillionLinesPaintLikeAHundred)
{
    SetUpLikeMainWindow();
    SetRows(20);
    std::vector<std::string> lines(1000000);
    for (size_t i = 0; i < lines.size(); ++i)
        lines[i] = "line " + std::to_string(i);
    ASSERT_EQ(m_view.AddLines(lines, true), ViewAdd::Added);
    EXPECT_EQ(m_view.Lines().Capacity(), 1000448);
    EXPECT_EQ(m_view.GetTopLine(), 1000000 - 20);

    // Appends one by one stay cheap at this size.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 2000; ++i)
        m_view.AddLine("appended", true);
    const auto appendMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(m_view.GetLineCount(), 1002000);
    EXPECT_EQ(m_view.GetTopLine(), 1002000 - 20);
    EXPECT_LT(appendMs, 4000);

    const auto paintStart = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        Capture cap(m_view.m_hWnd);
        if (i == 0) {
            EXPECT_GT(cap.DarkPixels(19 * m_view.GetLineHeight(), 20 * m_view.GetLineHeight()), 10);
        }
    }
    const auto paintMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - paintStart).count();
    EXPECT_LT(paintMs, 2000);
}

// A line of 50 MB: measured and scrolled without a text of its length, the bar carries
// its offsets on its own range and reaches both ends, and a paint hands on only what
// shows, at any offset.
TEST_F(DataViewTest, AHugeLineIsReachableEverywhereAndPaintsOnlyWhatShows)
{
    SetUpLikeMainWindow();
    SetRows(10);
    const size_t huge = 50u << 20;
    std::string text(huge, 'W');
    // 400 spaces in the middle: that part looks different.
    std::fill(text.begin() + huge / 2, text.begin() + huge / 2 + 400, ' ');
    m_view.AddLine("short", false);
    ASSERT_EQ(m_view.AddLine(text.c_str(), false), ViewAdd::Added);
    ASSERT_EQ(m_view.GetLineCount(), 2);
    text = std::string();
    EXPECT_EQ(m_view.Lines().Longest(), static_cast<int>(huge));

    // The range covers the whole line; the bar gets its own shorter range.
    const int max = m_view.HorizontalMax();
    EXPECT_GT(max, static_cast<int>(huge) - 300);
    EXPECT_LE(max, static_cast<int>(huge) + 20);
    ASSERT_TRUE(BarVisible(2));
    SCROLLINFO si = {sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
    ::GetScrollInfo(Bar(2), SB_CTL, &si);
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 65535);

    const int lh = m_view.GetLineHeight();
    // One paint: its time, the dark pixels of the long line's row, and whether the last
    // 40 pixels of that row are blank.
    bool endBlank = false;
    auto paintMs = [&](int* dark) {
        const auto start = std::chrono::steady_clock::now();
        Capture cap(m_view.m_hWnd);
        *dark = cap.DarkPixels(lh, 2 * lh);
        endBlank = cap.AllEqual(lh, 2 * lh, cap.Width() - 40, cap.Width(), kWhite);
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    };
    int dark = 0;
    paintMs(&dark);
    EXPECT_GT(dark, 10);
    EXPECT_FALSE(endBlank);

    // The thumb at the bar's end is the end of the range; the bar says so too. There the
    // line's last characters show, with room after them.
    Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 65535));
    EXPECT_EQ(m_view.GetHorizontalOffset(), max);
    EXPECT_EQ(::GetScrollPos(Bar(2), SB_CTL), 65535);
    EXPECT_LT(paintMs(&dark), 500);
    EXPECT_GT(dark, 10);
    EXPECT_TRUE(endBlank);
    // A page back from there the line fills the row again.
    for (int i = 0; i < 20; ++i)
        Send(WM_HSCROLL, SB_PAGEUP);
    EXPECT_EQ(m_view.GetHorizontalOffset(), max - 400);
    EXPECT_LT(paintMs(&dark), 500);
    EXPECT_GT(dark, 10);
    EXPECT_FALSE(endBlank);

    // The middle of the bar is the middle of the line, where the spaces are; one
    // character at a time moves the offset though the bar may stay.
    Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 32767));
    const int middle = m_view.GetHorizontalOffset();
    EXPECT_NEAR(middle, max / 2, max / 65535 + 1);
    Send(WM_HSCROLL, SB_LINEDOWN);
    EXPECT_EQ(m_view.GetHorizontalOffset(), middle + 1);
    while (m_view.GetHorizontalOffset() < static_cast<int>(huge / 2))
        Send(WM_HSCROLL, SB_PAGEDOWN);
    const int intoSpaces = m_view.GetHorizontalOffset();
    ASSERT_LT(intoSpaces, static_cast<int>(huge / 2) + 40);
    paintMs(&dark);
    EXPECT_EQ(dark, 0) << "offset " << intoSpaces << " shows the spaces";

    // The range follows a resize without moving the offset.
    SetClientSize(250, 10 * lh);
    EXPECT_GT(m_view.HorizontalMax(), max);
    EXPECT_EQ(m_view.GetHorizontalOffset(), intoSpaces);

    m_view.ResetContent();
    EXPECT_EQ(m_view.GetHorizontalOffset(), 0);
    EXPECT_FALSE(BarVisible(2));
}

#ifndef _WIN64
// A client area whose back buffer cannot be had (its bitmap would take 2 GB, more than a
// 32-bit process has room for) is painted straight onto the device. (A 64-bit process
// may well get the bitmap.)
TEST_F(DataViewTest, PaintsStraightOntoTheWindowWithoutABackBuffer)
{
    SetUpLikeMainWindow();
    m_view.AddLine("WWWWWWWWWWWW", false);
    m_view.AddLine("", false);
    m_view.AddLine("WWWWWWWWWWWW", false);
    ClickLine(1);
    ::SetWindowPos(m_view.m_hWnd, nullptr, 0, 0, 32000, 16000, SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    ::GetClientRect(m_view.m_hWnd, &client);
    ASSERT_GT(static_cast<int64_t>(client.right) * client.bottom, int64_t{500000000});

    Dib dib(300, 200);
    dib.Fill(0x808080);
    ::SendMessageA(m_view.m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.DC()), PRF_CLIENT);
    ::GdiFlush();
    const int lh = m_view.GetLineHeight();
    int dark = 0;
    for (int y = 0; y < lh; ++y)
        for (int x = 0; x < 150; ++x)
            dark += (dib.At(x, y) & 0xFF) < 0x80;
    EXPECT_GT(dark, 10);
    EXPECT_EQ(dib.At(250, lh + lh / 2), kMarkPixel);
    EXPECT_EQ(dib.At(250, 5 * lh), kWhite);
}
#endif
