// Screen checks of drawn windows.
#include "ScreenImage.h"

#include "core/UiText.h"
#include "res/version.h"

#include <algorithm>
#include <climits>

namespace wintest {

std::unique_ptr<Image> Image::OfScreen(HWND window)
{
    RECT rc;
    ::GetClientRect(window, &rc);
    const POINT origin = ClientPoint(window, 0, 0);
    auto image = std::make_unique<Image>(rc.right, rc.bottom);
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(image->DC(), 0, 0, rc.right, rc.bottom, screen, origin.x, origin.y, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
    return image;
}

std::unique_ptr<Image> Image::OfState(UINT strip, int state, int width, int height)
{
    HBITMAP source = static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(strip), IMAGE_BITMAP, 0, 0, 0));
    BITMAP bm = {};
    ::GetObjectA(source, sizeof bm, &bm);
    const int q = bm.bmWidth / 4;
    Image cell(q, bm.bmHeight);
    HDC from = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(from, source);
    ::BitBlt(cell.DC(), 0, 0, q, bm.bmHeight, from, state * q, 0, SRCCOPY);
    ::SelectObject(from, old);
    ::DeleteDC(from);
    ::DeleteObject(source);
    auto image = std::make_unique<Image>(width, height);
    ::SetStretchBltMode(image->DC(), COLORONCOLOR);
    ::StretchBlt(image->DC(), 0, 0, width, height, cell.DC(), 0, 0, q, bm.bmHeight, SRCCOPY);
    ::GdiFlush();
    return image;
}

uint32_t Pixel(COLORREF c)
{
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

bool IsDark(uint32_t p)
{
    return (p & 0xFF) < 0x40 && ((p >> 8) & 0xFF) < 0x40 && ((p >> 16) & 0xFF) < 0x40;
}

RECT BoxOf(const Image& image, const RECT& area, const std::function<bool(uint32_t)>& match)
{
    RECT box = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (match(image.At(x, y))) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

WindowRegion::WindowRegion(HWND window) : m_rgn(::CreateRectRgn(0, 0, 0, 0)), m_type(::GetWindowRgn(window, m_rgn)) {}

WindowRegion::~WindowRegion()
{
    ::DeleteObject(m_rgn);
}

POINT ClientPoint(HWND window, int x, int y)
{
    POINT pt = {x, y};
    ::ClientToScreen(window, &pt);
    return pt;
}

void ShowAt(HWND window, int x, int y)
{
    ::SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

ShownAbout::ShownAbout() : m_about(AboutTitle(KORVEX_VERSION_TEXT))
{
    if (m_about.Create())
        ShowAt(m_about.m_hWnd, 20, 20);
}

void ShownAbout::StopClock()
{
    ::KillTimer(Picture(), CCreditsStatic::kTimerId);
}

void ShownAbout::Tick()
{
    ::SendMessageA(Picture(), WM_TIMER, CCreditsStatic::kTimerId, 0);
}

void ShownAbout::DrawAt(int row)
{
    while (Credits().TextPosition() > row)
        Tick();
    Tick();
}

}  // namespace wintest
