// The preview's page view: one or two pages side by side, six zoom states from the
// fitted page to four times the paper, paging by wheel, keys and scroll bar while
// zoomed out, scrolling while zoomed in, the magnifier over a page and the toolbar's
// tooltips. Each page shown is recorded once (for its zoom state) and played back on
// every paint.
#pragma once

#include "core/PreviewMath.h"
#include "print/PrintJob.h"
#include "fw/Wnd.h"

class CMyPrintPreview;

class CMyPreviewView : public CWnd {
public:
    struct PageInfo {
        RECT rectScreen = {0, 0, 0, 0};           // where the page is drawn (scrolled coordinates)
        SIZE sizeUnscaled = {0, 0};               // the paper in screen pixels at 1:1
        PreviewMath::Ratio sizeScaleRatio{0, 0};  // 0/0 until the slot is positioned
        PreviewMath::Ratio sizeZoomOutRatio{0, 0};
    };
    static constexpr UINT kSlots = 2;

    ~CMyPreviewView() override;
    // The window (hidden) for pages laid out for `printer`, which it owns from now on.
    bool Create(CMyPrintPreview* frame, HDC printer, UINT id);
    // Shows page 1 of the `pages` pages of `source`, zoomed out.
    void Start(CPageSource* source, int pages);

    // Zoom state s at slot k: from 0 to 5; a zoomed page is centred on point p (pixels
    // of slot k's page at 1:1).
    void SetZoomState(UINT state, UINT slot, POINT point);
    // The page is kept within the job's pages; clearing the ratios lays the slots out
    // afresh at the next paint.
    void SetCurrentPage(UINT page, bool clearRatios);
    // True when a client point lies on a shown page: gives its slot and turns the point
    // into pixels of the page at 1:1.
    bool FindPageRect(POINT& point, UINT& slot) const;

    UINT GetCurrentPage() const { return m_nCurrentPage; }
    UINT GetLastPage() const { return m_nLastPage; }
    UINT GetZoomState() const { return m_nZoomState; }
    UINT GetPagesShown() const { return m_nPages; }
    const PageInfo& GetPageInfo(UINT slot) const { return m_pageInfo[slot]; }
    POINT GetScrollPosition() const { return m_scroll; }
    // Pages recorded from the source since the preview started.
    int GetRecordingCount() const { return m_recordings; }

    int pagesAcross = 1;  // pages side by side while zoomed out

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnLButtonDown(UINT flags, POINT point);
    void OnMouseWheel(UINT keys, short delta, POINT point);
    bool OnSetCursor(HWND wnd, UINT hitTest, UINT mouseMsg);
    LRESULT OnVScroll(WPARAM wp, LPARAM lp);
    void OnHScroll(UINT code, HWND bar);
    void OnKeyDown(UINT key);
    LRESULT OnNotify(WPARAM wp, LPARAM lp);
    void OnClose();
    void OnNumPageChange();
    void OnNextPage();
    void OnPrevPage();
    void OnPrint();
    void OnZoomIn();
    void OnZoomOut();

    DECLARE_MESSAGE_MAP()

private:
    // A page as drawn for the printer, kept while it is shown at this zoom state.
    struct Recording {
        UINT page = 0;
        UINT zoom = 0;
        HENHMETAFILE picture = nullptr;
    };

    bool IsCommandEnabled(UINT id) const;
    void UpdateToolbar();
    // While whole pages are shown the vertical bar moves through the pages:
    // first … last − pages shown + 1; hidden for one page.
    void UpdateScrollRange();
    PreviewMath::Display DisplaySize() const;
    // The room round the pages at the window's display scale.
    PreviewMath::Spacing Spacing() const;
    // Lays slot k out: its unscaled size, zoom-out ratio and rectangle.
    void PositionPage(UINT slot);
    void SetScaledSize(UINT slot);
    // Scrolling of a zoomed page, in pixels.
    SIZE GetTrueClientSize() const;
    void SetScrollSizes(SIZE total, SIZE page);
    void ApplyScrollBars();
    void ScrollToPosition(POINT point);
    void ScrollBy(int bar, UINT code);
    void DrawPage(HDC dc, UINT slot, UINT page);
    HENHMETAFILE PageRecording(UINT page);
    void DropRecordings();

    CMyPrintPreview* m_pFrame = nullptr;
    CPageSource* m_pSource = nullptr;
    HDC m_hPrinter = nullptr;
    UINT m_nLastPage = 1;
    PageInfo m_pageInfo[kSlots];
    UINT m_nZoomState = 0;
    UINT m_nPages = 1;  // pages shown now
    UINT m_nCurrentPage = 1;
    POINT m_scroll = {0, 0};
    SIZE m_total = {0, 0};
    SIZE m_pageSize = {0, 0};
    SIZE m_lineSize = {0, 0};
    bool m_bScrolling = false;  // a zoomed page: the bars scroll pixels
    Recording m_recorded[kSlots];
    int m_recordings = 0;
};
