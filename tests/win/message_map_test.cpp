// The window layer's typed message-map entries and the drawing toolkit's buffered
// painting of owner-drawn items.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "fw/Gdi.h"
#include "fw/Wnd.h"
#include "support/WinTestSupport.h"

using namespace wintest;

namespace {

// A window that notes every typed call it gets, one line each.
class CRecorder : public CWnd {
public:
    std::vector<std::string> calls;
    bool setCursorAnswer = false;

    bool Open(HWND parent, int x)
    {
        const RECT r = {x, 0, x + 120, 90};
        const char* cls = RegisterWndClass(0, nullptr, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        return CreateEx(0, cls, "", parent ? WS_CHILD : WS_POPUP, r, parent, nullptr);
    }

protected:
    void Note(const std::string& text) { calls.push_back(text); }
    static std::string Pt(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

    bool OnSetCursor(HWND wnd, UINT hit, UINT msg)
    {
        Note("cursor " + std::string(wnd == m_hWnd ? "self " : "other ") + std::to_string(hit) + " " +
             std::to_string(msg));
        return setCursorAnswer;
    }
    void OnMouseWheel(UINT keys, short delta, POINT at)
    {
        Note("wheel " + std::to_string(keys) + " " + std::to_string(delta) + " " + Pt(at));
    }
    void OnVScroll(UINT code, HWND bar) { NoteScroll("v", code, bar); }
    void OnHScroll(UINT code, HWND bar) { NoteScroll("h", code, bar); }
    void OnKeyDown(UINT key) { Note("key " + std::to_string(key)); }
    void OnTimer(UINT_PTR id) { Note("timer " + std::to_string(id)); }
    void OnMouseMove(UINT flags, POINT at) { Note("move " + std::to_string(flags) + " " + Pt(at)); }
    void OnMouseHover(UINT flags, POINT at) { Note("hover " + std::to_string(flags) + " " + Pt(at)); }
    void OnMouseLeave() { Note("leave"); }

    DECLARE_MESSAGE_MAP()

private:
    void NoteScroll(const char* which, UINT code, HWND bar)
    {
        Note(std::string(which) + " " + std::to_string(code) + (bar ? " bar " : " own ") +
             std::to_string(ThumbTrackPosition()));
    }
};

BEGIN_MESSAGE_MAP(CRecorder, CWnd)
    ON_WM_ERASEBKGND_NONE()
    ON_WM_SETCURSOR()
    ON_WM_MOUSEWHEEL()
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_WM_KEYDOWN()
    ON_WM_TIMER()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEHOVER()
    ON_WM_MOUSELEAVE()
END_MESSAGE_MAP()

std::vector<std::string> Take(CRecorder& w)
{
    std::vector<std::string> calls;
    calls.swap(w.calls);
    return calls;
}

using Calls = std::vector<std::string>;

}  // namespace

TEST(MessageMapTest, TypedEntriesHandTheirHandlersTheMessagesParts)
{
    CRecorder parent, child;
    ASSERT_TRUE(parent.Open(nullptr, 40));
    ASSERT_TRUE(child.Open(parent.m_hWnd, 7));
    HWND w = child.m_hWnd;

    // No erase: the context keeps what it had, and the message counts as handled.
    Dib canvas(8, 5);
    canvas.Fill(0x123456);
    EXPECT_EQ(::SendMessageA(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.DC()), 0), 1);
    EXPECT_EQ(canvas.At(7, 4), 0x123456u);

    // A cursor set ends the message; none set leaves it to the default, which asks the
    // parent first.
    child.setCursorAnswer = true;
    EXPECT_EQ(::SendMessageA(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(Take(child), Calls({"cursor self 1 512"}));
    EXPECT_TRUE(Take(parent).empty());
    child.setCursorAnswer = false;
    parent.setCursorAnswer = true;
    EXPECT_EQ(::SendMessageA(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)), TRUE);
    EXPECT_EQ(Take(child), Calls({"cursor self 1 513"}));
    EXPECT_EQ(Take(parent), Calls({"cursor other 1 513"}));

    // Signed parts stay signed: a wheel turned towards the user, a point left of and
    // above the screen.
    ::SendMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT | MK_CONTROL, static_cast<WORD>(-360)), MAKELPARAM(-5, -1234));
    ::SendMessageA(w, WM_KEYDOWN, VK_F7, 0x00410001);
    ::SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-3, 250));
    ::SendMessageA(w, WM_MOUSEHOVER, MK_RBUTTON, MAKELPARAM(17, 4));
    ::SendMessageA(w, WM_MOUSELEAVE, 0, 0);
    ::SendMessageA(w, WM_TIMER, 0x2A, 0);
    EXPECT_EQ(Take(child), Calls({"wheel 12 -360 -5,-1234", "key 118", "move 1 -3,250", "hover 2 17,4", "leave",
                                  "timer 42"}));
    // The system's own timer comes the same way.
    ::SetTimer(w, 9, 10, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !child.calls.empty(); }, 2000));
    ::KillTimer(w, 9);
    EXPECT_EQ(Take(child).at(0), "timer 9");

    // The thumb's position in full from a bar control beyond 16 bits; the message's own
    // 16 bits when the bar disagrees, or for a window without bars of its own.
    HWND bar = ::CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_VERT, 0, 0, 15, 80, parent.m_hWnd, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(bar);
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_POS, 0, 200000, 0, 70000, 0};
    ::SetScrollInfo(bar, SB_CTL, &si, FALSE);
    const LPARAM fromBar = reinterpret_cast<LPARAM>(bar);
    ::SendMessageA(w, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 70000 & 0xFFFF), fromBar);
    ::SendMessageA(w, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 70000 & 0xFFFF), fromBar);
    ::SendMessageA(w, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5), fromBar);
    ::SendMessageA(w, WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    ::SendMessageA(w, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 65535), 0);
    EXPECT_EQ(Take(child), Calls({"v 5 bar 70000", "h 4 bar 70000", "v 5 bar 5", "h 1 own 0", "v 4 own 65535"}));
    ::DestroyWindow(bar);
    child.DestroyWindow();
    parent.DestroyWindow();
}

TEST(MessageMapTest, AnItemIsPaintedThroughTheSurfaceItsOwnerKeeps)
{
    const long base = GdiTally::Live();
    Dib target(40, 30);
    target.Fill(0x102030);
    const RECT item = {5, 7, 35, 27};  // 30 x 20, away from the corner
    HRGN clip = ::CreateRectRgn(5, 7, 20, 27);  // the item's left half
    CSurface kept;
    const auto fill = [](HDC dc, const RECT& rc, COLORREF c) {
        ::SetDCBrushColor(dc, c);
        ::FillRect(dc, &rc, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    };
    {
        CBufferedPaint paint(target.DC(), item, kept, clip);
        ASSERT_TRUE(paint.Dc());
        EXPECT_NE(paint.Dc(), target.DC()) << "drawn off screen";
        const RECT client = {0, 0, 30, 20};
        EXPECT_TRUE(::EqualRect(&paint.Client(), &client)) << "the item's area from (0, 0)";
        fill(paint.Dc(), paint.Client(), RGB(255, 0, 0));
        ::SetPixel(paint.Dc(), 2, 3, RGB(0, 0, 255));
        EXPECT_EQ(target.At(6, 8), 0x102030u) << "nothing reaches the target before the end";
    }
    EXPECT_EQ(kept.Width(), 30);
    EXPECT_EQ(kept.Height(), 20);
    EXPECT_EQ(GdiTally::Live(), base + 2) << "the kept surface's context and bitmap";
    EXPECT_EQ(target.At(5, 7), 0xFF0000u);
    EXPECT_EQ(target.At(7, 10), 0x0000FFu);
    EXPECT_EQ(target.At(19, 26), 0xFF0000u);
    EXPECT_EQ(target.At(20, 7), 0x102030u) << "outside the clip";
    EXPECT_EQ(target.At(34, 26), 0x102030u) << "outside the clip";
    EXPECT_EQ(target.At(4, 7), 0x102030u) << "outside the item";
    EXPECT_EQ(target.At(5, 27), 0x102030u) << "outside the item";

    // The same size again: the same surface, still holding the last picture; no clip.
    const HBITMAP first = kept.Bitmap();
    {
        CBufferedPaint paint(target.DC(), item, kept);
        ASSERT_TRUE(paint.Dc());
    }
    EXPECT_EQ(kept.Bitmap(), first);
    EXPECT_EQ(target.At(7, 10), 0x0000FFu);
    EXPECT_EQ(target.At(34, 26), 0xFF0000u) << "the whole item without a clip";
    EXPECT_EQ(GdiTally::Live(), base + 2);

    // Another size makes it again; an empty item draws nothing.
    const RECT small = {0, 0, 9, 4};
    {
        CBufferedPaint paint(target.DC(), small, kept);
        fill(paint.Dc(), paint.Client(), RGB(0, 255, 0));
    }
    EXPECT_EQ(kept.Width(), 9);
    EXPECT_EQ(kept.Height(), 4);
    EXPECT_EQ(target.At(8, 3), 0x00FF00u);
    EXPECT_EQ(target.At(9, 3), 0x102030u);
    EXPECT_EQ(GdiTally::Live(), base + 2);
    {
        CBufferedPaint paint(target.DC(), RECT{3, 3, 3, 9}, kept);
        EXPECT_EQ(paint.Dc(), nullptr);
    }
    kept.Release();
    EXPECT_EQ(GdiTally::Live(), base);
    ::DeleteObject(clip);
}
