// The drawing toolkit of every window: points to logical units, the display scale,
// scoped selection, memory surfaces, and painting through an off-screen buffer.
#pragma once

#include <windows.h>

// GDI objects and memory device contexts of the skinned controls are counted when made
// and when deleted (or handed to a window), so a count of the live ones shows that a
// control released everything it made.
namespace GdiTally {

void Count(long delta);
// Counts a newly made object or memory device context (null is not counted).
template <typename Handle>
Handle Made(Handle h)
{
    if (h)
        Count(+1);
    return h;
}
bool Delete(HGDIOBJ object);
bool DeleteDC(HDC dc);
// The object now belongs to someone else (a region given to a window).
void HandedOver(HGDIOBJ object);
long Live();

}  // namespace GdiTally

// A memory device context with its own bitmap selected into it.
class CSurface {
public:
    CSurface() = default;
    ~CSurface() { Release(); }
    CSurface(const CSurface&) = delete;
    CSurface& operator=(const CSurface&) = delete;

    // A blank bitmap compatible with the reference context.
    bool Create(HDC reference, int width, int height);
    // A copy of a bitmap (the caller keeps the bitmap), at the bitmap's size.
    bool CreateFrom(HDC reference, HBITMAP picture);
    void Release();

    HDC Dc() const { return m_dc; }
    HBITMAP Bitmap() const { return m_bitmap; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    int m_width = 0;
    int m_height = 0;
};

// A memory device context that shows an existing bitmap for as long as it lives.
class CBitmapDC {
public:
    CBitmapDC(HDC reference, HBITMAP bitmap);
    ~CBitmapDC();
    CBitmapDC(const CBitmapDC&) = delete;
    CBitmapDC& operator=(const CBitmapDC&) = delete;
    HDC Dc() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
};

// Font sizes in points to logical heights of a device context (by its vertical pixels
// per inch, in its logical units). The sign of the size is kept.
int PointsToLogical(HDC dc, int points);

// The display scale in dots per inch (96 at 100 %): the window's own where the system
// knows one per window (Windows 10 from 1607 on, found in user32 at run time: Windows 7
// lacks it), else the system's, the screen's horizontal pixels per logical inch. Never 0.
int WindowDpi(HWND window);
int SystemDpi();
// A system metric (SM_CXVSCROLL...) at this DPI: the system's own for that DPI where
// user32 has GetSystemMetricsForDpi (Windows 10 from 1607 on), else the metric at the
// system's DPI scaled to this one.
int SystemMetricForDpi(int index, int dpi);

// Selects an object into a device context for as long as it lives (nothing for null).
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(dc && object ? ::SelectObject(dc, object) : nullptr) {}
    ~CSelectObject()
    {
        if (m_old)
            ::SelectObject(m_dc, m_old);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A window's client-area device context (the screen's for null) for as long as it lives.
class CClientDC {
public:
    explicit CClientDC(HWND wnd) : m_wnd(wnd), m_dc(::GetDC(wnd)) {}
    ~CClientDC()
    {
        if (m_dc)
            ::ReleaseDC(m_wnd, m_dc);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    HDC Dc() const { return m_dc; }

private:
    HWND m_wnd;
    HDC m_dc;
};

// Begins a window's paint for as long as it lives.
class CPaintDC {
public:
    explicit CPaintDC(HWND wnd) : m_wnd(wnd), m_dc(::BeginPaint(wnd, &m_ps)) {}
    ~CPaintDC() { ::EndPaint(m_wnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC Dc() const { return m_dc; }

private:
    HWND m_wnd;
    PAINTSTRUCT m_ps = {};
    HDC m_dc;
};

// Paints a window's client area through an off-screen buffer that is copied in one
// piece. When no buffer can be had, Dc() is the target itself (its state saved and
// restored), so the window is painted rather than left blank. From WM_PAINT it begins
// and ends the paint; for WM_PRINTCLIENT it draws into the context it is given.
class CBufferedPaint {
public:
    explicit CBufferedPaint(HWND wnd);     // WM_PAINT
    CBufferedPaint(HWND wnd, HDC target);  // WM_PRINTCLIENT
    // An owner-drawn item: the buffer is `kept`, which the caller keeps from paint to
    // paint (it is made again when the item's size changes); the copy stays inside
    // `clip` when one is given. Client() is the item's area from (0, 0).
    CBufferedPaint(HDC target, const RECT& item, CSurface& kept, HRGN clip = nullptr);
    ~CBufferedPaint();
    CBufferedPaint(const CBufferedPaint&) = delete;
    CBufferedPaint& operator=(const CBufferedPaint&) = delete;

    // Null when there is nothing to paint (an empty client area, no context).
    HDC Dc() const
    {
        if (m_client.right <= 0 || m_client.bottom <= 0)
            return nullptr;
        return m_buffer ? m_buffer->Dc() : m_target;
    }
    const RECT& Client() const { return m_client; }

private:
    void Open(CSurface& buffer);

    HWND m_wnd = nullptr;
    bool m_painting = false;
    PAINTSTRUCT m_ps = {};
    HDC m_target;
    RECT m_client = {};
    POINT m_at = {};  // where the buffer goes in the target
    HRGN m_clip = nullptr;
    CSurface m_own;
    CSurface* m_buffer = nullptr;
    int m_saved = 0;
};
