// A push button painted from a bitmap strip of four state images (normal, pressed,
// hover, disabled), shaped like the opaque pixels of its normal image, with a custom
// cursor and an optional tooltip. Without a bitmap it is a plain flat push button.
#pragma once

#include <memory>
#include <string>

#include "fw/Controls.h"
#include "fw/Gdi.h"

class CSkinButton : public CButton {
public:
    CSkinButton();
    ~CSkinButton() override;

    // The plain look's focus rectangle. A button showing its picture marks the keyboard
    // focus with a dotted frame inside its face whatever this says (the plain rectangle
    // would lie under the picture). Both follow the system's hiding of focus cues until
    // the keyboard is used.
    void SetNoFocusRect(bool on) { m_bNoFocusRect = on; }
    void SetNoFrame(bool on) { m_bNoFrame = on; }
    void SetPressedTextShift(bool on) { m_bPressedTextShift = on; }
    void SetButtonCursor(HCURSOR cursor) { m_hCursor = cursor; }
    void SetStateStrip(bool on) { m_bStateStrip = on; }
    void SetRegionFromBitmap(bool on) { m_bRegionFromBitmap = on; }
    // Taken only when the key's red component equals its green or its blue one.
    void SetTransparentColor(COLORREF key, COLORREF tolerance, bool transparent);
    void SetTooltipText(const char* text, bool enable);

    // Loads a bitmap resource of the program and installs it; 0 when it cannot be
    // loaded. Only bitmaps (RT_BITMAP) are accepted.
    int LoadBitmapResource(UINT id, LPCSTR type, const RECT* part = nullptr);
    // Installs the state images and the window region from a bitmap (the caller keeps
    // it); 0 for a null bitmap, which changes nothing.
    int SetBitmap(HBITMAP bitmap, const RECT* part = nullptr);

    // The window's display scale changed and the button has its new size: the caption's
    // font is made for the new scale, and the picture last loaded from the program's
    // resources is loaded again, so the button takes the rendering nearest its new size
    // and the shape of it.
    void SetDpi(int dpi);

    bool IsHover() const { return m_bHover; }
    // The font the caption is drawn with.
    HFONT CaptionFont() const { return m_hFont; }
    std::string TooltipText() const { return m_tooltip.m_hWnd ? m_tooltip.GetText(m_hWnd) : std::string(); }

protected:
    void PreSubclassWindow() override;
    void PostNcDestroy() override;
    bool PreTranslateMessage(MSG* msg) override;
    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void DrawItem(const DRAWITEMSTRUCT* item) override;
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

    void OnMouseMove(UINT flags, POINT point);
    void OnMouseHover(UINT flags, POINT point);
    void OnMouseLeave();
    bool OnSetCursor(HWND wnd, UINT hitTest, UINT mouseMsg);
    LRESULT OnSetText(WPARAM wp, LPARAM lp);
    LRESULT OnUpdateUiState(WPARAM wp, LPARAM lp);

    DECLARE_MESSAGE_MAP()

private:
    void CreateButtonFont();
    void FreeStateImages();
    // Gives the window the region of `shape`'s opaque pixels, or of its whole client
    // area; the window owns the region from then on.
    void InstallRegion(HBITMAP shape);
    void ReleasePaintObjects();
    // Whether a paint in this item state shows the keyboard focus.
    bool ShowsFocus(UINT itemState) const;

    enum { kNormal, kPressed, kHover, kDisabled, kStates };
    static const int kFocusInset = 3;  // the focus frame's distance from the button's edge
    HBITMAP m_images[kStates] = {};
    COLORREF m_crKey = RGB(255, 255, 255);
    COLORREF m_crTolerance = RGB(0x10, 0x10, 0x10);
    bool m_bStateStrip = false;
    UINT m_uTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    std::string m_fontFace = "MS Sans Serif";
    int m_nFontSize = 8;
    int m_dpi = 0;             // 0: the device context's
    UINT m_resourceId = 0;     // the picture loaded by LoadBitmapResource, if any
    BYTE m_charSet = DEFAULT_CHARSET;
    HFONT m_hFont = nullptr;
    COLORREF m_crBackground;
    COLORREF m_crText = RGB(0, 0, 0);
    int m_nFontWeight = FW_NORMAL;
    bool m_bMouseTracked = false;
    bool m_bHover = false;
    bool m_bNoFrame = false;
    bool m_bNoFocusRect = false;
    bool m_bFocusHidden = false;  // the system hides focus cues until the keyboard is used
    bool m_bPressedTextShift = false;
    CToolTipCtrl m_tooltip;
    bool m_bTooltipEnabled = true;
    HCURSOR m_hCursor = nullptr;
    bool m_bRegionFromBitmap = false;
    HRGN m_hRgn = nullptr;  // owned by the window; kept only to know one is set

    // Kept from paint to paint: making them, or selecting a picture into a context,
    // costs more than the rest of a paint.
    CSurface m_canvas;          // the off-screen image of the button (painting's buffer)
    std::unique_ptr<CBitmapDC> m_stateDCs[kStates];  // each shows its state picture
    HRGN m_hClip = nullptr;     // our copy of the window's region
    std::string m_caption;      // the window text, kept as it is set
};
