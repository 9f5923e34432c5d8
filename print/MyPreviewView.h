// The preview's page view: one or two pages side by side, six zoom states from the
// fitted page to four times the paper, paging by wheel and scroll bar while zoomed
// out, scrolling while zoomed in, the magnifier over a page and the toolbar's tooltips.
#pragma once

#include "fw/PrintPreview.h"

class CMyPreviewView : public CPreviewView {
public:
    // Zoom state s at slot k: from 0 to 5; a zoomed page is centred on point p (pixels
    // of slot k's page at 1:1).
    void SetZoomState(UINT state, UINT slot, POINT point);

    int pagesAcross = 1;  // pages side by side while zoomed out
    int pagesDown = 1;
    int m_nHorzPageStep = 0;
    int m_nVertPageStep = 0;

protected:
    void PositionPage(UINT slot) override;
    bool IsCommandEnabled(UINT id) const override;

    void OnLButtonDown(UINT flags, POINT point);
    LRESULT OnMouseWheel(WPARAM wp, LPARAM lp);
    LRESULT OnSetCursor(WPARAM wp, LPARAM lp);
    LRESULT OnVScroll(WPARAM wp, LPARAM lp);
    LRESULT OnKeyDown(WPARAM wp, LPARAM lp);
    LRESULT OnNotify(WPARAM wp, LPARAM lp);
    void OnZoomIn();
    void OnZoomOut();
    void OnNumPageChange();
    void OnPreviewPrint();

    DECLARE_MESSAGE_MAP()

private:
    PreviewMath::Display DisplaySize();
    bool m_bPrinting = false;  // the printer dialog of Print is open
    void SetScaledSize(UINT slot);
};
