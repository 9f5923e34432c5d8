// Copies, scaling and the region scan of button bitmaps.
#include "skin/SkinRegion.h"

#include <vector>

#include "fw/Gdi.h"
#include "core/RegionScan.h"

namespace {

BITMAP InfoOf(HBITMAP bitmap)
{
    BITMAP bm = {};
    if (bitmap)
        ::GetObjectA(bitmap, sizeof bm, &bm);
    return bm;
}

HBITMAP BitmapLike(const BITMAP& like, int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    return GdiTally::Made(::CreateBitmap(width, height, like.bmPlanes, like.bmBitsPixel, nullptr));
}

// One region of a batch of rectangles.
HRGN RegionOf(const std::vector<RegionScan::Rect>& rects, const RegionScan::Rect& bounds)
{
    std::vector<char> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
    rgn->rdh.dwSize = sizeof(RGNDATAHEADER);
    rgn->rdh.iType = RDH_RECTANGLES;
    rgn->rdh.nCount = static_cast<DWORD>(rects.size());
    rgn->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    if (rects.empty())
        ::SetRectEmpty(&rgn->rdh.rcBound);
    else
        ::SetRect(&rgn->rdh.rcBound, bounds.left, bounds.top, bounds.right, bounds.bottom);
    auto* out = reinterpret_cast<RECT*>(rgn->Buffer);
    for (size_t i = 0; i < rects.size(); ++i)
        ::SetRect(&out[i], rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    return GdiTally::Made(::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), rgn));
}

}  // namespace

HBITMAP CopyBitmapPart(HBITMAP source, int x, int y, int width, int height)
{
    const BITMAP bm = InfoOf(source);
    HBITMAP copy = source ? BitmapLike(bm, width, height) : nullptr;
    if (!copy)
        return nullptr;
    CClientDC screen(nullptr);
    CBitmapDC from(screen.Dc(), source), to(screen.Dc(), copy);
    ::BitBlt(to.Dc(), 0, 0, width, height, from.Dc(), x, y, SRCCOPY);
    return copy;
}

HBITMAP StretchBitmapToRect(HBITMAP source, const RECT& rect)
{
    const BITMAP bm = InfoOf(source);
    HBITMAP scaled = source ? BitmapLike(bm, rect.right - rect.left, rect.bottom - rect.top) : nullptr;
    if (!scaled)
        return nullptr;
    CClientDC screen(nullptr);
    CBitmapDC from(screen.Dc(), source), to(screen.Dc(), scaled);
    // Whole pixels, no blending: a blended edge would turn part of the cut-away colour
    // into opaque near-white fringes.
    ::SetStretchBltMode(to.Dc(), COLORONCOLOR);
    ::StretchBlt(to.Dc(), 0, 0, rect.right - rect.left, rect.bottom - rect.top, from.Dc(), 0, 0, bm.bmWidth,
                 bm.bmHeight, SRCCOPY);
    return scaled;
}

HRGN RegionFromBitmap(HBITMAP bitmap, COLORREF key, COLORREF tolerance)
{
    const BITMAP bm = InfoOf(bitmap);
    if (!bitmap || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return nullptr;

    // A 32-bit top-down copy: one pixel per 32-bit word, rows without padding.
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = nullptr;
    {
        CClientDC screen(nullptr);
        dib = GdiTally::Made(::CreateDIBSection(screen.Dc(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (dib && bits) {
            CBitmapDC from(screen.Dc(), bitmap), to(screen.Dc(), dib);
            ::BitBlt(to.Dc(), 0, 0, bm.bmWidth, bm.bmHeight, from.Dc(), 0, 0, SRCCOPY);
            ::GdiFlush();
        }
    }
    if (!dib || !bits) {
        GdiTally::Delete(dib);
        return nullptr;
    }

    HRGN result = nullptr;
    RegionScan::ScanOpaqueRuns(
        static_cast<const uint32_t*>(bits), bm.bmWidth, bm.bmHeight, bm.bmWidth, RegionScan::MakeKeyRange(key, tolerance),
        [&result](const std::vector<RegionScan::Rect>& rects, const RegionScan::Rect& bounds) {
            HRGN part = RegionOf(rects, bounds);
            if (!result) {
                result = part;
            } else if (part) {
                ::CombineRgn(result, result, part, RGN_OR);
                GdiTally::Delete(part);
            }
        });
    GdiTally::Delete(dib);
    return result;
}
