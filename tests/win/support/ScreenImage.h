// Screen checks of drawn windows for the Windows tests: what the screen shows of a
// window, a button state cut out of its strip picture, a window's shape, the box of
// matching pixels, and the About box with its credits clock in the test's hands.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "WinTestSupport.h"
#include "skin/AboutDlg.h"

namespace wintest {

// A captured or expected picture of a button or window.
class Image : public Dib {
public:
    using Dib::Dib;

    // What the screen shows of a window's client area.
    static std::unique_ptr<Image> OfScreen(HWND window);
    // One state of a strip resource of four, cut out and stretched as a button of this
    // size shows it: whole pixels, no blending.
    static std::unique_ptr<Image> OfState(UINT strip, int state, int width, int height);
};

// A colour as Image::At reads it (0x00RRGGBB).
uint32_t Pixel(COLORREF c);
// All components below 0x40.
bool IsDark(uint32_t pixel);
// The bounding box of the pixels of `area` that match; empty (left > right) when none.
RECT BoxOf(const Image& image, const RECT& area, const std::function<bool(uint32_t)>& match);

// The region a window is shaped by, as it stands when read.
class WindowRegion {
public:
    explicit WindowRegion(HWND window);
    ~WindowRegion();
    WindowRegion(const WindowRegion&) = delete;
    WindowRegion& operator=(const WindowRegion&) = delete;
    bool IsSet() const { return m_type != ERROR; }
    bool Contains(int x, int y) const { return ::PtInRegion(m_rgn, x, y) != 0; }

private:
    HRGN m_rgn;
    int m_type;
};

// A client point of a window on the screen.
POINT ClientPoint(HWND window, int x, int y);
// Brings a window to the top at a screen point and shows it.
void ShowAt(HWND window, int x, int y);

// The About box, shown at (20, 20). StopClock() hands its credits clock to the test.
class ShownAbout {
public:
    ShownAbout();
    bool IsOpen() const { return m_about.IsWindow(); }
    CCreditsStatic& Credits() { return m_about.Credits(); }
    HWND Picture() { return Credits().m_hWnd; }
    void StopClock();
    // One tick of the clock: the column is drawn where it stands and moves up a row.
    void Tick();
    // Ticks until the frame with the column's top at `row` is drawn.
    void DrawAt(int row);

private:
    CAboutDlg m_about;
};

}  // namespace wintest
