// Skinned push button: state images, shaped window, hover, cursor, tooltip, caption.
#include "skin/SkinButton.h"

#include <iterator>

#include "core/DpiScale.h"
#include "core/ViewMath.h"
#include "fw/Gdi.h"
#include "fw/App.h"
#include "res/resource.h"
#include "skin/SkinRegion.h"

BEGIN_MESSAGE_MAP(CSkinButton, CButton)
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEHOVER()
    ON_WM_MOUSELEAVE()
    ON_WM_SETCURSOR()
    ON_WM_ERASEBKGND_NONE()  // every paint covers the whole button
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_UPDATEUISTATE, OnUpdateUiState)
END_MESSAGE_MAP()

CSkinButton::CSkinButton() : m_crBackground(::GetSysColor(COLOR_BTNFACE)) {}

CSkinButton::~CSkinButton()
{
    FreeStateImages();
    ReleasePaintObjects();
    GdiTally::Delete(m_hFont);
    m_tooltip.DestroyWindow();
}

void CSkinButton::ReleasePaintObjects()
{
    m_canvas.Release();
    GdiTally::Delete(m_hClip);
    m_hClip = nullptr;
}

void CSkinButton::SetTransparentColor(COLORREF key, COLORREF tolerance, bool)
{
    if (GetRValue(key) != GetGValue(key) && GetRValue(key) != GetBValue(key))
        return;
    m_crKey = key;
    m_crTolerance = tolerance;
}

void CSkinButton::SetTooltipText(const char* text, bool enable)
{
    m_bTooltipEnabled = enable;
    if (!IsWindow() || !m_tooltip.m_hWnd)
        return;
    m_tooltip.DelTool(m_hWnd);
    if (enable)
        m_tooltip.AddTool(m_hWnd, text ? text : "");
}

namespace {
// The program's pictures that are also drawn for larger display scales: the picture at
// 100 %, 150 % and 200 %.
const UINT kRenderings[][3] = {
    {IDB_BUTTON_STRIP, IDB_BUTTON_STRIP_150, IDB_BUTTON_STRIP_200},
    {IDB_EXIT_STRIP, IDB_EXIT_STRIP_150, IDB_EXIT_STRIP_200},
    {IDB_ABOUT_BACKGROUND, IDB_ABOUT_BACKGROUND_150, IDB_ABOUT_BACKGROUND_200},
};

HBITMAP LoadBitmapOf(UINT id)
{
    return GdiTally::Made(static_cast<HBITMAP>(
        ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}
}  // namespace

int CSkinButton::LoadBitmapResource(UINT id, LPCSTR type, const RECT* part)
{
    if (type != RT_BITMAP)
        return 0;
    m_resourceId = part ? 0 : id;
    HBITMAP bitmap = LoadBitmapOf(id);
    // A button stretched to its size starts from the rendering nearest to that size,
    // so a larger scale shows a picture drawn for it rather than a blown-up one.
    BITMAP bm = {};
    if (bitmap && !part && m_bRegionFromBitmap && IsWindow() && ::GetObjectA(bitmap, sizeof bm, &bm)) {
        for (const auto& renderings : kRenderings) {
            if (renderings[0] != id)
                continue;
            RECT client;
            ::GetClientRect(m_hWnd, &client);
            const int cellWidth = m_bStateStrip ? bm.bmWidth / kStates : bm.bmWidth;
            const size_t best = ClosestRendering(client.right, client.bottom, cellWidth, bm.bmHeight, {100, 150, 200});
            if (best > 0 && best < std::size(renderings)) {
                if (HBITMAP larger = LoadBitmapOf(renderings[best])) {
                    GdiTally::Delete(bitmap);
                    bitmap = larger;
                }
            }
        }
    }
    const int result = SetBitmap(bitmap, part);
    GdiTally::Delete(bitmap);
    return result;
}

int CSkinButton::SetBitmap(HBITMAP bitmap, const RECT* part)
{
    BITMAP bm = {};
    if (!bitmap || !::GetObjectA(bitmap, sizeof bm, &bm))
        return 0;
    FreeStateImages();

    RECT whole = {0, 0, bm.bmWidth, bm.bmHeight};
    const RECT& src = part ? *part : whole;
    const int height = src.bottom - src.top;
    if (m_bStateStrip) {
        // Four columns side by side; a width that does not divide by 4 leaves the
        // remaining columns out.
        const int q = part ? part->right - part->left : bm.bmWidth / 4;
        for (int i = 0; i < kStates; ++i)
            m_images[i] = CopyBitmapPart(bitmap, src.left + i * q, src.top, q, height);
    } else {
        for (HBITMAP& image : m_images)
            image = CopyBitmapPart(bitmap, src.left, src.top, src.right - src.left, height);
    }

    if (m_bRegionFromBitmap && IsWindow()) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        for (HBITMAP& image : m_images) {
            HBITMAP scaled = StretchBitmapToRect(image, client);
            GdiTally::Delete(image);
            image = scaled;
        }
    }
    // The scan reads the picture through a context of its own: a bitmap can be in
    // one context at a time.
    InstallRegion(m_images[kNormal]);
    for (int i = 0; i < kStates; ++i)
        m_stateDCs[i] = std::make_unique<CBitmapDC>(nullptr, m_images[i]);
    return 1;
}

void CSkinButton::FreeStateImages()
{
    for (auto& dc : m_stateDCs)
        dc.reset();
    for (HBITMAP& image : m_images) {
        GdiTally::Delete(image);
        image = nullptr;
    }
}

void CSkinButton::InstallRegion(HBITMAP shape)
{
    if (!IsWindow())
        return;
    HRGN rgn = nullptr;
    if (m_bRegionFromBitmap && shape)
        rgn = RegionFromBitmap(shape, m_crKey, m_crTolerance);
    if (!rgn) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        rgn = GdiTally::Made(::CreateRectRgnIndirect(&client));
    }
    if (!rgn)
        return;
    HRGN copy = GdiTally::Made(::CreateRectRgn(0, 0, 0, 0));
    if (copy)
        ::CombineRgn(copy, rgn, nullptr, RGN_COPY);
    if (::SetWindowRgn(m_hWnd, rgn, TRUE)) {
        GdiTally::HandedOver(rgn);
        m_hRgn = rgn;
        GdiTally::Delete(m_hClip);
        m_hClip = copy;
    } else {
        GdiTally::Delete(rgn);
        GdiTally::Delete(copy);
    }
}

// --- window -----------------------------------------------------------------------

void CSkinButton::PreSubclassWindow()
{
    const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    if ((style & BS_OWNERDRAW) != BS_OWNERDRAW)
        SendMessage(BM_SETSTYLE, (style & 0xFF) | BS_OWNERDRAW, TRUE);
    char caption[256] = "";
    ::GetWindowTextA(m_hWnd, caption, sizeof caption);
    m_caption = caption;
    CreateButtonFont();
    m_bFocusHidden = (SendMessage(WM_QUERYUISTATE) & UISF_HIDEFOCUS) != 0;
    m_tooltip.Create(m_hWnd);
    m_hRgn = nullptr;
    InstallRegion(nullptr);
}

void CSkinButton::CreateButtonFont()
{
    CClientDC dc(m_hWnd);
    GdiTally::Delete(m_hFont);
    const int height = m_dpi > 0 ? ViewMath::PointsToPixels(m_nFontSize, m_dpi) : PointsToLogical(dc.Dc(), m_nFontSize);
    m_hFont = GdiTally::Made(::CreateFontA(-height, 0, 0, 0, m_nFontWeight, FALSE,
                                           FALSE, FALSE, m_charSet, 0, 0, 0, 0, m_fontFace.c_str()));
}

void CSkinButton::SetDpi(int dpi)
{
    m_dpi = UsableDpi(dpi);
    if (!IsWindow())
        return;
    CreateButtonFont();
    if (m_resourceId)
        LoadBitmapResource(m_resourceId, RT_BITMAP);
    else if (!m_images[kNormal])
        InstallRegion(nullptr);  // the plain look: the whole new client area
    Invalidate(false);
}

void CSkinButton::PostNcDestroy()
{
    // The region went with the window.
    m_hRgn = nullptr;
    ReleasePaintObjects();
}

bool CSkinButton::PreTranslateMessage(MSG* msg)
{
    if (m_bTooltipEnabled && m_tooltip.m_hWnd)
        m_tooltip.RelayEvent(msg);
    return CButton::PreTranslateMessage(msg);
}

LRESULT CSkinButton::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    // A quick second click is a second click, not a double click.
    if (msg == WM_LBUTTONDBLCLK)
        msg = WM_LBUTTONDOWN;
    return CButton::DefWindowProc(msg, wp, lp);
}

bool CSkinButton::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result)
{
    if (msg == WM_CTLCOLORBTN) {
        ::SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
        *result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    }
    return CButton::OnChildNotify(msg, wp, lp, result);
}

void CSkinButton::OnMouseMove(UINT, POINT)
{
    if (!m_bMouseTracked) {
        TRACKMOUSEEVENT tme = {sizeof tme, TME_HOVER | TME_LEAVE, m_hWnd, 1};
        m_bMouseTracked = ::_TrackMouseEvent(&tme) != 0;
    }
    Default();
}

void CSkinButton::OnMouseHover(UINT, POINT)
{
    m_bHover = true;
    Invalidate(true);
}

void CSkinButton::OnMouseLeave()
{
    m_bMouseTracked = false;
    m_bHover = false;
    Invalidate(true);
}

bool CSkinButton::OnSetCursor(HWND, UINT, UINT)
{
    if (!m_hCursor)
        return false;
    ::SetCursor(m_hCursor);
    return true;
}

LRESULT CSkinButton::OnSetText(WPARAM, LPARAM lp)
{
    // Kept first: the button repaints while it takes the text.
    m_caption = lp ? reinterpret_cast<const char*>(lp) : "";
    return Default();
}

LRESULT CSkinButton::OnUpdateUiState(WPARAM wp, LPARAM)
{
    // Focus cues shown or hidden: the frame comes or goes at once.
    const LRESULT result = Default();
    if (HIWORD(wp) & UISF_HIDEFOCUS) {
        if (LOWORD(wp) == UIS_SET)
            m_bFocusHidden = true;
        else if (LOWORD(wp) == UIS_CLEAR)
            m_bFocusHidden = false;
        else
            m_bFocusHidden = (SendMessage(WM_QUERYUISTATE) & UISF_HIDEFOCUS) != 0;
    }
    Invalidate(false);
    return result;
}

// --- painting ---------------------------------------------------------------------

bool CSkinButton::ShowsFocus(UINT itemState) const
{
    return (itemState & ODS_FOCUS) && !(itemState & ODS_NOFOCUSRECT) && !m_bFocusHidden;
}

void CSkinButton::DrawItem(const DRAWITEMSTRUCT* item)
{
    const bool pressed = (item->itemState & ODS_SELECTED) != 0;
    const bool disabled = (item->itemState & ODS_DISABLED) != 0;
    const bool focus = ShowsFocus(item->itemState);

    const int state = pressed ? kPressed : disabled ? kDisabled : m_bHover ? kHover : kNormal;
    if (!m_hRgn) {
        m_stateDCs[state].reset();
        InstallRegion(m_bRegionFromBitmap ? m_images[state] : nullptr);
        m_stateDCs[state] = std::make_unique<CBitmapDC>(nullptr, m_images[state]);
    }

    // Composed off screen and copied in one transfer, inside the button's shape.
    CBufferedPaint paint(item->hDC, item->rcItem, m_canvas, m_hClip);
    HDC out = paint.Dc();
    if (!out)
        return;
    const RECT client = paint.Client();
    RECT rc = client;
    const int w = client.right, h = client.bottom;

    ::SetDCBrushColor(out, m_crBackground);
    ::FillRect(out, &client, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));

    if (!m_bNoFrame) {
        RECT frame = client;
        ::DrawFrameControl(out, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
        ::InflateRect(&rc, -1, -1);
    }
    if (!m_bNoFocusRect) {
        rc.left += 2;
        rc.top += 2;
        rc.right -= 3;
        rc.bottom -= 3;
        if (focus)
            ::DrawFocusRect(out, &rc);
    }
    const bool picture = m_images[state] && m_stateDCs[state] && m_bRegionFromBitmap;
    if (picture)
        ::BitBlt(out, 0, 0, w, h, m_stateDCs[state]->Dc(), 0, 0, SRCCOPY);

    CSelectObject font(out, m_hFont ? m_hFont : ::GetStockObject(DEFAULT_GUI_FONT));
    RECT text = rc;
    ::InflateRect(&text, -2, -2);
    if (pressed && m_bPressedTextShift) {
        text.left += 2;
        text.top += 2;
    }
    ::SetBkMode(out, TRANSPARENT);
    if (disabled) {
        // Etched: a light copy one pixel down and right under the grey text.
        RECT light = text;
        ::OffsetRect(&light, 1, 1);
        ::SetTextColor(out, ::GetSysColor(COLOR_WINDOW));
        ::DrawTextA(out, m_caption.c_str(), -1, &light, m_uTextFormat);
        ::SetTextColor(out, ::GetSysColor(COLOR_GRAYTEXT));
    } else {
        ::SetTextColor(out, m_crText);
    }
    ::DrawTextA(out, m_caption.c_str(), -1, &text, m_uTextFormat);

    // Over the picture, inside the button's edge: the keyboard focus.
    if (picture && focus) {
        RECT frame = client;
        const int inset = ScaleForDpi(kFocusInset, m_dpi > 0 ? m_dpi : WindowDpi(m_hWnd));
        ::InflateRect(&frame, -inset, -inset);
        ::DrawFocusRect(out, &frame);
    }
}
