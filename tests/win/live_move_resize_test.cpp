// Moving the main window by its client area and resizing it by its borders and its
// size grip, driven by real mouse input.
#include <gtest/gtest.h>

#include <memory>

#include "app/AppSettings.h"
#include "app/ReaderApp.h"
#include "res/resource.h"
#include "support/MouseInput.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

::testing::AssertionResult SameRect(const RECT& a, const RECT& b)
{
    if (::EqualRect(&a, &b))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.left << ", " << a.top << ", " << a.right << ", " << a.bottom
                                         << ") != (" << b.left << ", " << b.top << ", " << b.right << ", "
                                         << b.bottom << ")";
}

RECT Rect(LONG l, LONG t, LONG r, LONG b)
{
    return RECT{l, t, r, b};
}

class LiveMoveResizeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_Settings = AppSettings();
        g_ComPortList = {"COM1"};
        m_dlg = std::make_unique<CReaderDlg>();
        ASSERT_TRUE(m_dlg->Create());
        m_wnd = m_dlg->m_hWnd;
        ::SetWindowPos(m_wnd, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        PumpFor(30);
        m_start = WindowRectOf(m_wnd);
    }
    void TearDown() override
    {
        LeftButton(false);
        m_dlg.reset();
        PumpFor(20);
    }

    // One event of the mouse, then this thread handles what it caused.
    void Press(POINT p)
    {
        ASSERT_TRUE(MouseTo(p));
        PumpFor(15);
        LeftButton(true);
        PumpFor(15);
    }
    void MoveTo(POINT p)
    {
        MouseTo(p);
        PumpFor(15);
    }
    void Release()
    {
        LeftButton(false);
        PumpFor(15);
    }
    LRESULT HitTest(POINT p) const { return ::SendMessageA(m_wnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)); }
    // A point of the client area where no control is.
    POINT Blank() const { return At(m_wnd, 12, 40); }
    POINT Grip() const
    {
        RECT c;
        ::GetClientRect(m_wnd, &c);
        POINT p = {c.right - 4, c.bottom - 4};
        ::ClientToScreen(m_wnd, &p);
        return p;
    }
    // Where a control is, relative to the bottom-right corner of the client area.
    POINT FromCorner(int id) const
    {
        RECT r, c;
        ::GetWindowRect(::GetDlgItem(m_wnd, id), &r);
        ::GetClientRect(m_wnd, &c);
        POINT corner = {c.right, c.bottom};
        ::ClientToScreen(m_wnd, &corner);
        return {corner.x - r.right, corner.y - r.bottom};
    }

    std::unique_ptr<CReaderDlg> m_dlg;
    HWND m_wnd = nullptr;
    RECT m_start = {};
};

}  // namespace

TEST_F(LiveMoveResizeTest, ClientDragMovesTheWindowAndTheGripResizesItLaidOutAtEveryStep)
{
    const POINT from = Blank();
    ASSERT_EQ(HitTest(from), HTCLIENT);
    Press(from);
    for (int i = 1; i <= 5; ++i) {
        MoveTo({from.x + 37 * i, from.y - 23 * i});
        EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), Rect(m_start.left + 37 * i, m_start.top - 23 * i,
                                                       m_start.right + 37 * i, m_start.bottom - 23 * i)));
    }
    MoveTo({from.x, from.y - 180});
    EXPECT_EQ(WindowRectOf(m_wnd).top, m_start.top - 180) << "the window may leave the screen";
    MoveTo({from.x + 10, from.y + 20});
    Release();
    MoveTo({from.x + 100, from.y + 100});
    const RECT moved = Rect(m_start.left + 10, m_start.top + 20, m_start.right + 10, m_start.bottom + 20);
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), moved)) << "the release ends the move";

    // A drag that loses the capture (a box opened, another program took the mouse)
    // ends there: the window does not follow the cursor afterwards.
    Press(Blank());
    ::ReleaseCapture();
    MoveTo({Blank().x + 30, Blank().y + 30});
    Release();
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), moved));

    // The grip is part of the bottom-right sizing border, not of the client area.
    const POINT grip = Grip();
    ASSERT_EQ(HitTest(grip), HTBOTTOMRIGHT);
    const POINT exitFromCorner = FromCorner(IDC_EXIT);
    Press(grip);
    for (int i = 1; i <= 4; ++i) {
        MoveTo({grip.x + 15 * i, grip.y + 10 * i});
        EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), Rect(moved.left, moved.top, moved.right + 15 * i,
                                                       moved.bottom + 10 * i)));
        const POINT exit = FromCorner(IDC_EXIT);
        EXPECT_EQ(exit.x, exitFromCorner.x) << "the exit button follows the corner at step " << i;
        EXPECT_EQ(exit.y, exitFromCorner.y) << "the exit button follows the corner at step " << i;
    }
    Release();
    EXPECT_EQ(m_dlg->View().m_hWnd, ::GetDlgItem(m_wnd, IDC_DATA_VIEW));

    // Maximized: the grip is gone and a press in the client area moves nothing.
    ::SendMessageA(m_wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    const RECT zoomed = WindowRectOf(m_wnd);
    EXPECT_EQ(HitTest(grip), HTCLIENT);
    Press(Blank());
    MoveTo({Blank().x + 50, Blank().y + 60});
    Release();
    EXPECT_TRUE(::IsZoomed(m_wnd));
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), zoomed));
}

TEST_F(LiveMoveResizeTest, LeftAndTopBordersStopAboveTheMinimumAndTheCornerPinsAtIt)
{
    const int w0 = m_start.right - m_start.left, h0 = m_start.bottom - m_start.top;
    ASSERT_GT(w0, 430);
    ASSERT_GT(h0, 360);

    const POINT left = At(m_wnd, 1, h0 / 2);
    ASSERT_EQ(HitTest(left), HTLEFT);
    Press(left);
    int lastWidth = w0;
    for (int dx : {20, 40, w0 - 425, w0 - 421, w0 - 420, w0 - 419, w0 - 400}) {
        MoveTo({left.x + dx, left.y});
        const RECT r = WindowRectOf(m_wnd);
        if (w0 - dx > 420)
            lastWidth = w0 - dx;
        EXPECT_EQ(r.right - r.left, lastWidth) << "pulled by " << dx;
        EXPECT_EQ(r.right, m_start.right);
    }
    Release();
    EXPECT_EQ(lastWidth, 421);

    const RECT afterLeft = WindowRectOf(m_wnd);
    const POINT top = At(m_wnd, 150, 1);
    ASSERT_EQ(HitTest(top), HTTOP);
    Press(top);
    int lastHeight = h0;
    for (int dy : {30, h0 - 351, h0 - 350, h0 - 300}) {
        MoveTo({top.x, top.y + dy});
        if (h0 - dy > 350)
            lastHeight = h0 - dy;
        EXPECT_EQ(WindowRectOf(m_wnd).bottom - WindowRectOf(m_wnd).top, lastHeight) << "pulled by " << dy;
    }
    Release();
    EXPECT_EQ(lastHeight, 351);
    EXPECT_EQ(WindowRectOf(m_wnd).bottom, afterLeft.bottom);

    // Back to full size by the bottom-right corner, then the top-left corner far past
    // the minimum: exactly 420 x 350 with the right and bottom edges where they were.
    ::SetWindowPos(m_wnd, nullptr, 0, 0, w0, h0, SWP_NOMOVE | SWP_NOZORDER);
    const RECT full = WindowRectOf(m_wnd);
    const POINT corner = At(m_wnd, 1, 1);
    ASSERT_EQ(HitTest(corner), HTTOPLEFT);
    Press(corner);
    MoveTo({corner.x + 40, corner.y + 30});
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), Rect(full.left + 40, full.top + 30, full.right, full.bottom)));
    MoveTo({corner.x + 300, corner.y + 250});
    Release();
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), Rect(full.right - 420, full.bottom - 350, full.right, full.bottom)));
}

TEST_F(LiveMoveResizeTest, TheCaptionAndTheSettingsAtZeroGiveTheSystemsWay)
{
    // The caption drags the system's way even with both settings on.
    const POINT caption = At(m_wnd, 120, 8);
    ASSERT_EQ(HitTest(caption), HTCAPTION);
    DragFromAnotherThread(caption, {caption.x + 60, caption.y + 50}, 5);
    RECT r = WindowRectOf(m_wnd);
    EXPECT_TRUE(SameRect(r, Rect(m_start.left + 60, m_start.top + 50, m_start.right + 60, m_start.bottom + 50)));

    g_Settings.showDlgDataOnMove = 0;
    Press(Blank());
    MoveTo({Blank().x + 80, Blank().y + 80});
    Release();
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), r)) << "no client-area move";

    // Pulled in steps of 50, the program's own resize would stop the left border up to
    // 50 pixels above the minimum; the system's sizing loop takes it to the minimum
    // (Wine's stops one pixel short of it).
    g_Settings.showDlgDataOnSize = 0;
    ASSERT_NE((r.right - r.left - 421) % 50, 0) << "the program's own resize would stop above 421";
    DragFromAnotherThread(At(m_wnd, 1, 200), At(m_wnd, 301, 200), 6);
    const RECT pulled = WindowRectOf(m_wnd);
    EXPECT_LE(pulled.right - pulled.left, 421);
    EXPECT_EQ(pulled.right, r.right);
    r = WindowRectOf(m_wnd);
    const POINT grip = Grip();
    DragFromAnotherThread(grip, {grip.x + 60, grip.y + 40}, 4);
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), Rect(r.left, r.top, r.right + 60, r.bottom + 40)));
}
