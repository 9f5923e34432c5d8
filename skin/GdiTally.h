// GDI objects and memory device contexts of the skinned controls. Every one they make
// is counted here when made and when deleted (or handed to a window), so a count of
// the live ones shows that a control released everything it made.
#pragma once

#include <windows.h>

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
    // Takes a copy of a bitmap (the caller keeps the bitmap); its size becomes the
    // surface's size.
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
