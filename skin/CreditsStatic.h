// The picture area of the About box: a background picture with a column of credits
// over its right part that scrolls up one pixel every 40 ms and starts again from
// below. In the credits text a line starting with a tab is a title, one starting with
// a carriage return a group heading, any other line normal text.
#pragma once

#include <string>

#include "fw/Controls.h"
#include "fw/Gdi.h"

class CCreditsStatic : public CStatic {
public:
    CCreditsStatic();
    ~CCreditsStatic() override;

    // Stores the marked-up credits and renders them afresh.
    void SetCreditsText(const std::string& text);
    const std::string& CreditsText() const { return m_credits; }
    // Top of the credits column inside the control.
    int TextPosition() const { return m_nTextPos; }
    // The sizes at the window's display scale: the column's left edge in the picture,
    // its width and visible height, the rows it rises per tick, and the picture.
    int ColumnLeft() const { return m_nColumnLeft; }
    int TextWidth() const { return m_nTextWidth; }
    int TextHeight() const { return m_nTextHeight; }
    int ScrollStep() const { return m_nStep; }
    SIZE PictureSize() const { return {m_background.Width(), m_background.Height()}; }

    static const UINT_PTR kTimerId = 1;
    static const UINT kTickMs = 40;

protected:
    void PreSubclassWindow() override;
    void OnTimer(UINT_PTR id);
    void OnPaint();
    void OnDestroy();
    LRESULT OnDpiChanged(WPARAM wp, LPARAM lp);

    DECLARE_MESSAGE_MAP()

private:
    void PrepareSurfaces();
    void RenderCreditsText(HDC reference);
    void AnimateFrame();
    void ReleaseSurfaces();
    // The picture at this display scale: the one drawn nearest to it, stretched to fit.
    bool LoadPicture(HDC reference, int dpi);

    std::string m_credits;
    CSurface m_text;        // the rendered column, white background
    CSurface m_background;  // the picture
    CSurface m_frame;       // back buffer, the size of the picture
    int m_nDpi = 96;
    int m_nColumnLeft = 380;
    int m_nTextWidth = 220;
    int m_nTextHeight = 280;
    int m_nStep = 1;
    int m_nTextPos = 0;
};
