// Moving the main window by its client area and resizing it by its borders and its
// size grip, driven by real mouse input.
#include <gtest/gtest.h>

#include <memory>

#include "core/AppSettings.h"
#include "app/ReaderApp.h"
#include "res/resource.h"
#include "support/MouseInput.h"
#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

// How many times a sizing or moving loop of the system started on this thread.
int s_sizeMoveLoops = 0;
LRESULT CALLBACK CountSizeMoveLoops(int code, WPARAM wp, LPARAM lp)
{
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lp)->message == WM_ENTERSIZEMOVE)
        ++s_sizeMoveLoops;
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

class LiveMoveResizeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTestApp({"COM1"});
        m_dlg = std::make_unique<CReaderDlg>(TestApp());
        ASSERT_TRUE(m_dlg->Create());
        m_wnd = m_dlg->m_hWnd;
        ::SetWindowPos(m_wnd, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        s = WindowRectOf(m_wnd);
    }
    void TearDown() override
    {
        LeftButton(false);
        m_dlg.reset();
    }

    // Each event of the mouse, then this thread handles what it caused.
    void MoveTo(POINT p)
    {
        EXPECT_TRUE(MouseTo(p));
        PumpFor(15);
    }
    void Button(bool down)
    {
        LeftButton(down);
        PumpFor(15);
    }
    LRESULT HitTest(POINT p) const { return ::SendMessageA(m_wnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)); }
    POINT Blank() const { return At(m_wnd, 12, 40); }  // client area without a control
    POINT Grip() const  // inside the client area
    {
        RECT c;
        ::GetClientRect(m_wnd, &c);
        POINT p = {c.right - 4, c.bottom - 4};
        ::ClientToScreen(m_wnd, &p);
        return p;
    }
    // The exit button's distance from the bottom-right corner of the window.
    SIZE ExitFromCorner() const
    {
        const RECT w = WindowRectOf(m_wnd), b = WindowRectOf(::GetDlgItem(m_wnd, IDC_EXIT));
        return {w.right - b.right, w.bottom - b.bottom};
    }

    std::unique_ptr<CReaderDlg> m_dlg;
    HWND m_wnd = nullptr;
    RECT s = {};  // the window's rectangle at the start
};

}  // namespace

TEST_F(LiveMoveResizeTest, ClientDragMovesAndTheGripResizesLaidOutAtEveryStep)
{
    const POINT from = Blank();
    ASSERT_EQ(HitTest(from), HTCLIENT);
    MoveTo(from);
    Button(true);
    for (int i = 1; i <= 4; ++i) {
        MoveTo({from.x + 37 * i, from.y - 45 * i});
        EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), {s.left + 37 * i, s.top - 45 * i, s.right + 37 * i, s.bottom - 45 * i}))
            << "step " << i << ", off the top of the screen at the end";
    }
    MoveTo({from.x + 10, from.y + 20});
    Button(false);
    MoveTo({from.x + 90, from.y + 90});
    const RECT moved = {s.left + 10, s.top + 20, s.right + 10, s.bottom + 20};
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), moved)) << "the release ends the move";

    // A drag that loses the capture (a box opened, another program took the mouse)
    // ends there.
    MoveTo(Blank());
    Button(true);
    ::ReleaseCapture();
    MoveTo({Blank().x + 30, Blank().y + 30});
    Button(false);
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), moved));

    // The grip belongs to the bottom-right sizing border, not to the client area.
    const POINT grip = Grip();
    ASSERT_EQ(HitTest(grip), HTBOTTOMRIGHT);
    const SIZE exit = ExitFromCorner();
    MoveTo(grip);
    Button(true);
    for (int i = 1; i <= 3; ++i) {
        MoveTo({grip.x + 20 * i, grip.y + 10 * i});
        EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), {moved.left, moved.top, moved.right + 20 * i, moved.bottom + 10 * i}));
        EXPECT_EQ(ExitFromCorner().cx, exit.cx) << "the controls are laid out at step " << i;
        EXPECT_EQ(ExitFromCorner().cy, exit.cy) << "the controls are laid out at step " << i;
    }
    Button(false);

    // Maximized: no grip, and a press in the client area moves nothing.
    ::SendMessageA(m_wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    const RECT zoomed = WindowRectOf(m_wnd);
    EXPECT_EQ(HitTest(grip), HTCLIENT);
    MoveTo(Blank());
    Button(true);
    MoveTo({Blank().x + 50, Blank().y + 60});
    Button(false);
    EXPECT_TRUE(::IsZoomed(m_wnd));
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), zoomed));
}

TEST_F(LiveMoveResizeTest, LeftAndTopBordersAndTheCornerStopExactlyAtTheMinimum)
{
    const int w0 = s.right - s.left, h0 = s.bottom - s.top;
    const POINT left = At(m_wnd, 1, h0 / 2);
    ASSERT_EQ(HitTest(left), HTLEFT);
    MoveTo(left);
    Button(true);
    // A fast pull far past the minimum, then back and forth around it.
    for (int dx : {20, w0 - 300, w0 - 425, w0 - 421, w0 - 420, w0 - 419, w0 - 400}) {
        MoveTo({left.x + dx, left.y});
        const int expected = w0 - dx > 420 ? w0 - dx : 420;
        EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), {s.right - expected, s.top, s.right, s.bottom})) << "by " << dx;
    }
    Button(false);

    const POINT top = At(m_wnd, 150, 1);
    ASSERT_EQ(HitTest(top), HTTOP);
    MoveTo(top);
    Button(true);
    MoveTo({top.x + 30, top.y + h0 - 100});  // in one step, far past the minimum
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), {s.right - 420, s.bottom - 350, s.right, s.bottom}));
    MoveTo({top.x, top.y + h0 - 351});
    Button(false);
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), {s.right - 420, s.bottom - 351, s.right, s.bottom}));

    // From full size, the top-left corner far past the minimum: exactly 420 x 350.
    ::SetWindowPos(m_wnd, nullptr, s.left, s.top, w0, h0, SWP_NOZORDER);
    const POINT corner = At(m_wnd, 1, 1);
    ASSERT_EQ(HitTest(corner), HTTOPLEFT);
    MoveTo(corner);
    Button(true);
    MoveTo({corner.x + 40, corner.y + 30});
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), {s.left + 40, s.top + 30, s.right, s.bottom}));
    MoveTo({corner.x + 300, corner.y + 250});
    Button(false);
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), {s.right - 420, s.bottom - 350, s.right, s.bottom}));
}

TEST_F(LiveMoveResizeTest, TheCaptionAndTheSettingsAtZeroGiveTheSystemsWay)
{
    // The caption drags the system's way even with both settings on.
    const POINT caption = At(m_wnd, 120, 8);
    ASSERT_EQ(HitTest(caption), HTCAPTION);
    DragFromAnotherThread(caption, {caption.x + 60, caption.y + 50}, 5);
    const RECT r = WindowRectOf(m_wnd);
    // Moved, not sized; Wine's loop may land a pixel past the pointer on a busy machine.
    EXPECT_EQ(r.right - r.left, s.right - s.left);
    EXPECT_EQ(r.bottom - r.top, s.bottom - s.top);
    EXPECT_NEAR(r.left, s.left + 60, 1);
    EXPECT_NEAR(r.top, s.top + 50, 1);

    TestApp().m_settings.showDlgDataOnMove = 0;
    MoveTo(Blank());
    Button(true);
    MoveTo({Blank().x + 80, Blank().y + 80});
    Button(false);
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), r)) << "no client-area move";

    // Only the system's sizing loop announces itself with WM_ENTERSIZEMOVE; it takes
    // the left border to the minimum (Wine's stops one pixel short of it).
    TestApp().m_settings.showDlgDataOnSize = 0;
    s_sizeMoveLoops = 0;
    HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, CountSizeMoveLoops, nullptr, ::GetCurrentThreadId());
    ASSERT_TRUE(hook);
    DragFromAnotherThread(At(m_wnd, 1, 200), At(m_wnd, 301, 200), 6);
    const RECT pulled = WindowRectOf(m_wnd);
    EXPECT_LE(pulled.right - pulled.left, 421);
    EXPECT_EQ(pulled.right, r.right);
    const POINT grip = Grip();
    DragFromAnotherThread(grip, {grip.x + 60, grip.y + 40}, 4);
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), {pulled.left, pulled.top, pulled.right + 60, pulled.bottom + 40}));
    EXPECT_EQ(s_sizeMoveLoops, 2) << "both drags went through the system's loop";

    // With the setting on, the same pull is the program's own.
    TestApp().m_settings.showDlgDataOnSize = 1;
    const POINT edge = At(m_wnd, 1, 200);
    DragFromAnotherThread(edge, {edge.x - 50, edge.y}, 5);
    EXPECT_TRUE(SameRect(WindowRectOf(m_wnd), {pulled.left - 50, pulled.top, pulled.right + 60, pulled.bottom + 40}));
    EXPECT_EQ(s_sizeMoveLoops, 2);
    ::UnhookWindowsHookEx(hook);
}
