// Counting of the skinned controls' GDI objects; memory surfaces; DPI; buffered painting.
#include "fw/Gdi.h"

#include "core/DpiScale.h"
#include "core/ViewMath.h"

#include <atomic>

namespace GdiTally {

namespace {
std::atomic<long> g_live{0};
}

void Count(long delta)
{
    g_live += delta;
}

bool Delete(HGDIOBJ object)
{
    Count(object ? -1 : 0);
    return object && ::DeleteObject(object) != 0;
}

bool DeleteDC(HDC dc)
{
    Count(dc ? -1 : 0);
    return dc && ::DeleteDC(dc) != 0;
}

void HandedOver(HGDIOBJ object)
{
    Count(object ? -1 : 0);
}

long Live()
{
    return g_live;
}

}  // namespace GdiTally

bool CSurface::Create(HDC reference, int width, int height)
{
    Release();
    if (width <= 0 || height <= 0)
        return false;
    m_dc = GdiTally::Made(::CreateCompatibleDC(reference));
    m_bitmap = GdiTally::Made(::CreateCompatibleBitmap(reference, width, height));
    if (!m_dc || !m_bitmap) {
        Release();
        return false;
    }
    m_old = ::SelectObject(m_dc, m_bitmap);
    m_width = width;
    m_height = height;
    return true;
}

bool CSurface::CreateFrom(HDC reference, HBITMAP picture)
{
    BITMAP bm = {};
    if (!picture || !::GetObjectA(picture, sizeof bm, &bm) || !Create(reference, bm.bmWidth, bm.bmHeight))
        return false;
    CBitmapDC source(reference, picture);
    ::BitBlt(m_dc, 0, 0, m_width, m_height, source.Dc(), 0, 0, SRCCOPY);
    return true;
}

void CSurface::Release()
{
    if (m_dc && m_old)
        ::SelectObject(m_dc, m_old);
    GdiTally::DeleteDC(m_dc);
    GdiTally::Delete(m_bitmap);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_old = nullptr;
    m_width = m_height = 0;
}

CBitmapDC::CBitmapDC(HDC reference, HBITMAP bitmap) : m_dc(GdiTally::Made(::CreateCompatibleDC(reference)))
{
    if (m_dc && bitmap)
        m_old = ::SelectObject(m_dc, bitmap);
}

CBitmapDC::~CBitmapDC()
{
    if (m_old)
        ::SelectObject(m_dc, m_old);
    GdiTally::DeleteDC(m_dc);
}

int PointsToLogical(HDC dc, int points)
{
    if (!dc)
        return 0;
    POINT pt = {0, ViewMath::PointsToPixels(points, ::GetDeviceCaps(dc, LOGPIXELSY))};
    POINT origin = {0, 0};
    // A distance, not a position: the context's origin must not shift it.
    ::DPtoLP(dc, &pt, 1);
    ::DPtoLP(dc, &origin, 1);
    return pt.y - origin.y;
}

int SystemDpi()
{
    CClientDC screen(nullptr);
    return UsableDpi(screen.Dc() ? ::GetDeviceCaps(screen.Dc(), LOGPIXELSX) : 0);
}

int WindowDpi(HWND window)
{
    // Looked up once; user32 stays loaded for the life of the process.
    static const auto entry = [] {
        HMODULE user32 = ::GetModuleHandleA("user32.dll");
        FARPROC proc = user32 ? ::GetProcAddress(user32, "GetDpiForWindow") : nullptr;
        return reinterpret_cast<UINT(WINAPI*)(HWND)>(reinterpret_cast<void*>(proc));
    }();
    const UINT dpi = entry && window ? entry(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

int SystemMetricForDpi(int index, int dpi)
{
    static const auto entry = [] {
        HMODULE user32 = ::GetModuleHandleA("user32.dll");
        FARPROC proc = user32 ? ::GetProcAddress(user32, "GetSystemMetricsForDpi") : nullptr;
        return reinterpret_cast<int(WINAPI*)(int, UINT)>(reinterpret_cast<void*>(proc));
    }();
    dpi = UsableDpi(dpi);
    if (dpi == SystemDpi())
        return ::GetSystemMetrics(index);
    if (entry)
        return entry(index, static_cast<UINT>(dpi));
    return ScaleForDpi(::GetSystemMetrics(index), dpi, SystemDpi());
}

CBufferedPaint::CBufferedPaint(HWND wnd) : m_wnd(wnd), m_painting(true), m_target(::BeginPaint(wnd, &m_ps))
{
    ::GetClientRect(m_wnd, &m_client);
    Open(m_own);
}

CBufferedPaint::CBufferedPaint(HWND wnd, HDC target) : m_wnd(wnd), m_target(target)
{
    ::GetClientRect(m_wnd, &m_client);
    Open(m_own);
}

CBufferedPaint::CBufferedPaint(HDC target, const RECT& item, CSurface& kept, HRGN clip)
    : m_target(target), m_client{0, 0, item.right - item.left, item.bottom - item.top}, m_at{item.left, item.top},
      m_clip(clip)
{
    Open(kept);
}

void CBufferedPaint::Open(CSurface& buffer)
{
    if (!m_target || m_client.right <= 0 || m_client.bottom <= 0)
        return;
    if (!buffer || buffer.Width() != m_client.right || buffer.Height() != m_client.bottom)
        buffer.Create(m_target, m_client.right, m_client.bottom);
    if (buffer)
        m_buffer = &buffer;
    else
        m_saved = ::SaveDC(m_target);
}

CBufferedPaint::~CBufferedPaint()
{
    if (m_buffer) {
        if (m_clip)
            ::SelectClipRgn(m_target, m_clip);
        ::BitBlt(m_target, m_at.x, m_at.y, m_client.right, m_client.bottom, m_buffer->Dc(), 0, 0, SRCCOPY);
        if (m_clip)
            ::SelectClipRgn(m_target, nullptr);
    }
    m_own.Release();
    if (m_saved)
        ::RestoreDC(m_target, m_saved);
    if (m_painting)
        ::EndPaint(m_wnd, &m_ps);
}
