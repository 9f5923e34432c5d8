// Credits scroller: surfaces, mark-up rendering and the animation tick.
#include "skin/CreditsStatic.h"

#include "core/DpiScale.h"
#include "fw/App.h"
#include "res/resource.h"

#include <algorithm>
#include <iterator>

#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

namespace {
// Sizes in pixels at 100 %; a larger display scale makes them larger alike.
const int kColumnLeft = 380;      // the column's place in the picture
const int kColumnWidth = 220;
const int kColumnHeight = 280;     // the column shows above this row only
const int kStartBelowBottom = 25;  // a new column starts this far above the bottom edge
const COLORREF kTitleColour = RGB(0x10, 0x8C, 0xE7);

struct LineStyle {
    int height;
    int weight;
    COLORREF colour;
};
const LineStyle kTitle = {20, FW_BOLD, kTitleColour};
const LineStyle kHeading = {14, FW_BOLD, RGB(0, 0, 0)};
const LineStyle kNormal = {14, 0, RGB(0, 0, 0)};

// The About picture as drawn at 100 %, 150 % and 200 %.
const UINT kPictures[] = {IDB_ABOUT_BACKGROUND, IDB_ABOUT_BACKGROUND_150, IDB_ABOUT_BACKGROUND_200};
const int kPictureScales[] = {100, 150, 200};

HBITMAP LoadPictureOf(UINT id)
{
    return GdiTally::Made(static_cast<HBITMAP>(
        ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

HFONT CreditsFont(const LineStyle& style, int dpi)
{
    return GdiTally::Made(::CreateFontA(ScaleForDpi(style.height, dpi), 0, 0, 0, style.weight, FALSE, FALSE, FALSE,
                                        0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, 6, "Arial"));
}
}  // namespace

BEGIN_MESSAGE_MAP(CCreditsStatic, CStatic)
    ON_WM_TIMER()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND_NONE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_DPICHANGED_AFTERPARENT, OnDpiChanged)
END_MESSAGE_MAP()

CCreditsStatic::CCreditsStatic() : m_credits("\tTITLE\n\rHeading\nText") {}

CCreditsStatic::~CCreditsStatic()
{
    ReleaseSurfaces();
}

void CCreditsStatic::SetCreditsText(const std::string& text)
{
    m_credits = text;
    PrepareSurfaces();
}

void CCreditsStatic::PreSubclassWindow()
{
    PrepareSurfaces();
    ::SetTimer(m_hWnd, kTimerId, kTickMs, nullptr);
}

void CCreditsStatic::PrepareSurfaces()
{
    ReleaseSurfaces();
    m_nDpi = IsWindow() ? WindowDpi(m_hWnd) : kDefaultDpi;
    m_nColumnLeft = ScaleForDpi(kColumnLeft, m_nDpi);
    m_nTextWidth = ScaleForDpi(kColumnWidth, m_nDpi);
    m_nTextHeight = ScaleForDpi(kColumnHeight, m_nDpi);
    // One pixel a tick at 100 %: the column rises as fast for the eye at any scale.
    m_nStep = std::max(1, ScaleForDpi(1, m_nDpi));
    if (!IsWindow())
        return;
    {
        CClientDC dc(m_hWnd);
        RenderCreditsText(dc.Dc());
        LoadPicture(dc.Dc(), m_nDpi);
        m_frame.Create(dc.Dc(), m_background.Width(), m_background.Height());
    }
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    m_nTextPos = client.bottom - ScaleForDpi(kStartBelowBottom, m_nDpi);
}

bool CCreditsStatic::LoadPicture(HDC reference, int dpi)
{
    HBITMAP picture = LoadPictureOf(kPictures[0]);
    BITMAP bm = {};
    if (!picture || !::GetObjectA(picture, sizeof bm, &bm)) {
        GdiTally::Delete(picture);
        return false;
    }
    const int width = ScaleForDpi(bm.bmWidth, dpi), height = ScaleForDpi(bm.bmHeight, dpi);
    // The rendering drawn nearest to the size wanted, so that little stretching is left.
    const size_t best = ClosestRendering(width, height, bm.bmWidth, bm.bmHeight,
                                         {std::begin(kPictureScales), std::end(kPictureScales)});
    if (best > 0 && best < std::size(kPictures)) {
        if (HBITMAP drawn = LoadPictureOf(kPictures[best])) {
            GdiTally::Delete(picture);
            picture = drawn;
            ::GetObjectA(picture, sizeof bm, &bm);
        }
    }
    bool made = false;
    if (bm.bmWidth == width && bm.bmHeight == height) {
        made = m_background.CreateFrom(reference, picture);
    } else if (m_background.Create(reference, width, height)) {
        CBitmapDC source(reference, picture);
        ::SetStretchBltMode(m_background.Dc(), HALFTONE);
        ::SetBrushOrgEx(m_background.Dc(), 0, 0, nullptr);
        made = ::StretchBlt(m_background.Dc(), 0, 0, width, height, source.Dc(), 0, 0, bm.bmWidth, bm.bmHeight,
                            SRCCOPY) != 0;
    }
    GdiTally::Delete(picture);
    return made;
}

void CCreditsStatic::RenderCreditsText(HDC reference)
{
    if (!m_text.Create(reference, m_nTextWidth, m_nTextHeight))
        return;
    HDC dc = m_text.Dc();
    RECT all = {0, 0, m_nTextWidth, m_nTextHeight};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    HFONT title = CreditsFont(kTitle, m_nDpi), heading = CreditsFont(kHeading, m_nDpi),
          normal = CreditsFont(kNormal, m_nDpi);
    ::SetBkMode(dc, TRANSPARENT);

    int y = 0;
    size_t start = 0;
    for (;;) {
        const size_t end = m_credits.find('\n', start);
        std::string line = m_credits.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const LineStyle* style = &kNormal;
        HFONT font = normal;
        if (!line.empty() && (line[0] == '\t' || line[0] == '\r')) {
            const char mark = line[0];
            style = mark == '\t' ? &kTitle : &kHeading;
            font = mark == '\t' ? title : heading;
            const size_t text = line.find_first_not_of(mark);
            line.erase(0, text == std::string::npos ? line.size() : text);
        }
        const COLORREF oldColour = ::SetTextColor(dc, style->colour);
        CSelectObject lineFont(dc, font);
        RECT rc = {0, y, m_nTextWidth, m_nTextHeight};
        ::DrawTextA(dc, line.c_str(), static_cast<int>(line.size()), &rc, DT_NOPREFIX | DT_SINGLELINE);
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(dc, &tm);
        y += tm.tmHeight;
        ::SetTextColor(dc, oldColour);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    GdiTally::Delete(title);
    GdiTally::Delete(heading);
    GdiTally::Delete(normal);
}

void CCreditsStatic::AnimateFrame()
{
    if (!m_background || !m_frame)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int w = client.right, h = client.bottom;
    ::BitBlt(m_frame.Dc(), 0, 0, w, h, m_background.Dc(), 0, 0, SRCCOPY);
    // The column shows above its own height's row only. ANDed in: its white background leaves the
    // picture as it is and the text darkens it. The source holds no more than the
    // column's own height.
    int visible = m_nTextHeight - m_nTextPos;
    if (visible > m_nTextHeight)
        visible = m_nTextHeight;
    if (visible > 0 && m_text)
        ::BitBlt(m_frame.Dc(), m_nColumnLeft, m_nTextPos, m_nTextWidth, visible, m_text.Dc(), 0, 0, SRCAND);
    if ((m_nTextPos -= m_nStep) < -m_nTextHeight)
        m_nTextPos = h;
    CClientDC dc(m_hWnd);
    ::BitBlt(dc.Dc(), 0, 0, w, h, m_frame.Dc(), 0, 0, SRCCOPY);
}

void CCreditsStatic::ReleaseSurfaces()
{
    m_text.Release();
    m_background.Release();
    m_frame.Release();
}

void CCreditsStatic::OnTimer(UINT_PTR id)
{
    if (id == kTimerId)
        AnimateFrame();
    Default();
}

void CCreditsStatic::OnPaint()
{
    // Every tick draws the whole control; a paint only has to validate it.
    CPaintDC paint(m_hWnd);
}

LRESULT CCreditsStatic::OnDpiChanged(WPARAM, LPARAM)
{
    // Moved to a display of another scale: everything is drawn afresh for it.
    PrepareSurfaces();
    return Default();
}

void CCreditsStatic::OnDestroy()
{
    ::KillTimer(m_hWnd, kTimerId);
    ReleaseSurfaces();
    Default();
}
