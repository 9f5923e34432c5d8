// Print preview machinery of the window layer: the job information, a frame that holds
// a toolbar over a view, a view that prints, and the preview view that lays out pages
// and draws them through the print view's own page drawing, as the printer gets them.
#pragma once

#include "fw/Wnd.h"
#include "core/PreviewMath.h"

#include <memory>

// Commands of the preview toolbar.
enum : UINT {
    kPreviewClose = 0xE300,
    kPreviewNumPage = 0xE301,
    kPreviewNext = 0xE302,
    kPreviewPrev = 0xE303,
    kPreviewPrint = 0xE304,
    kPreviewZoomIn = 0xE305,
    kPreviewZoomOut = 0xE306,
};

// What a print or preview job knows: its page range and the page being drawn.
struct CPrintInfo {
    static constexpr UINT kUnknownLastPage = 0xFFFF;
    UINT m_nMinPage = 1;
    UINT m_nMaxPage = kUnknownLastPage;
    UINT m_nCurPage = 1;
    bool m_bPreview = false;
    // Preview: a device context of the default printer, never printed on; the pages are
    // laid out for it. Owned by the preview view.
    HDC m_hAttribDC = nullptr;
};

class CPreviewView;

// A top-level window with an optional toolbar along its top and one view below it.
// Commands go to the view. Deletes itself when its window is gone.
class CFrameWnd : public CWnd {
public:
    bool Create(const char* title, UINT menuId);
    // While a preview runs, closing the frame ends the preview.
    void SetPreviewMode(bool on) { m_bPreviewMode = on; }
    void SetActiveView(CWnd* view);
    CWnd* GetActiveView() const { return m_pView; }
    void SetToolbar(HWND toolbar);
    HWND GetToolbar() const { return m_hToolbar; }
    void RecalcLayout();

protected:
    void PostNcDestroy() override { delete this; }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnClose(WPARAM wp, LPARAM lp);
    LRESULT OnSetFocus(WPARAM wp, LPARAM lp);

    DECLARE_MESSAGE_MAP()

private:
    CWnd* m_pView = nullptr;
    HWND m_hToolbar = nullptr;
    bool m_bPreviewMode = false;
};

class CView;

// Why a preview did not start.
enum class PreviewFailure {
    None,
    NoPrinter,     // there is no default printer; the system has said so
    PrinterError,  // the default printer could not be opened
    NoWindow,      // a window of the preview could not be made
};

// Makes the preview's frame and its view; kept for later previews.
class CSingleDocTemplate {
public:
    typedef CView* (*ViewFactory)();
    CSingleDocTemplate(UINT menuId, ViewFactory createView) : m_menuId(menuId), m_createView(createView) {}
    // A new frame, not yet shown, with a new view as its active view; null on failure.
    CFrameWnd* CreateNewFrame() const;

private:
    UINT m_menuId;
    ViewFactory m_createView;
};

// A child view of a frame that can print: the job steps a print or preview job calls.
// Deletes itself when its window is gone.
class CView : public CWnd {
public:
    bool Create(CFrameWnd* frame);

    virtual bool OnPreparePrinting(CPrintInfo* info) { return DoPreparePrinting(info); }
    virtual void OnBeginPrinting(HDC, CPrintInfo*) {}
    virtual void OnPrint(HDC, CPrintInfo*) {}
    virtual void OnEndPrinting(HDC, CPrintInfo*) {}
    // The preview is ending: the job ends and the frame shows this view again.
    virtual void OnEndPrintPreview(HDC dc, CPrintInfo* info, CPreviewView* preview);
    // Why the last DoPrintPreview failed.
    PreviewFailure GetPreviewFailure() const { return m_previewFailure; }
    // Expires when this object is deleted (its frame closed during a nested dialog).
    std::weak_ptr<bool> AliveToken() const { return m_alive; }

protected:
    void PostNcDestroy() override { delete this; }
    // Preview: the default printer, without a dialog; when there is none the system
    // says so and the result is false.
    bool DoPreparePrinting(CPrintInfo* info);
    // Shows this view's pages in `preview` (taken over: deleted on failure) with the
    // toolbar from dialog template `toolbarId`, in place of this view. Preparing may
    // show the system's message about a missing printer: when this view's frame is
    // closed meanwhile, the result is false and this object is gone.
    bool DoPrintPreview(UINT toolbarId, CPreviewView* preview);

    PreviewFailure m_previewFailure = PreviewFailure::None;

private:
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// Shows the pages of a print view: one or two pages fitted into the window, or one
// page zoomed and scrolled. Page slots, zoom state and the scroll position live here;
// what the zoom states and the mouse do belongs to the derived view.
class CPreviewView : public CWnd {
public:
    struct PageInfo {
        RECT rectScreen = {0, 0, 0, 0};           // where the page is drawn (scrolled coordinates)
        SIZE sizeUnscaled = {0, 0};               // the paper in screen pixels at 1:1
        PreviewMath::Ratio sizeScaleRatio{0, 0};  // 0/0 until the slot is positioned
        PreviewMath::Ratio sizeZoomOutRatio{0, 0};
    };
    static constexpr int kSlots = 9;

    CPreviewView();
    ~CPreviewView() override;

    // The page is kept within the job's pages; clearing the ratios lays the slots out
    // afresh at the next paint.
    void SetCurrentPage(UINT page, bool clearRatios);
    // True when a client point lies on a shown page: gives its slot and turns the point
    // into pixels of the page at 1:1.
    bool FindPageRect(POINT& point, UINT& slot) const;
    void OnNextPage();
    void OnPrevPage();
    static PreviewMath::Ratio CalcScaleRatio(SIZE display, SIZE page);
    // The whole sheet in the printer's pixels (its printable area when it cannot say).
    static SIZE PaperPixels(HDC printer);

    // Scrolling of a zoomed page, in pixels.
    SIZE GetTrueClientSize() const;
    void SetScrollSizes(SIZE total, SIZE page, SIZE line);
    void CenterOnPoint(POINT point);
    void ScrollToPosition(POINT point);
    POINT GetScrollPosition() const { return m_scroll; }

    // Expires when this object is deleted: a handler that ran a modal loop (a dialog)
    // checks it before it touches the object again.
    std::weak_ptr<bool> AliveToken() const { return m_alive; }

    UINT GetCurrentPage() const { return m_nCurrentPage; }
    UINT GetZoomState() const { return m_nZoomState; }
    UINT GetPagesShown() const { return m_nPages; }
    const CPrintInfo& GetPrintInfo() const { return m_info; }
    const PageInfo& GetPageInfo(UINT slot) const { return m_pPageInfo[slot]; }

protected:
    friend class CView;

    // Lays slot k out: its unscaled size, zoom-out ratio and rectangle.
    virtual void PositionPage(UINT slot) = 0;
    // Whether a toolbar command can run now; the toolbar follows after every change.
    virtual bool IsCommandEnabled(UINT id) const;
    void UpdateToolbar();
    // Ends the preview: the print view's end hook destroys this window.
    void ClosePreview();
    // While whole pages are shown the vertical bar moves through the pages:
    // first … last − pages shown + 1; hidden for one page.
    void UpdateScrollRange();
    // Back to whole pages: no pixel scrolling, no horizontal bar.
    void EndScrolling();

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnPaint();
    LRESULT OnEraseBkgnd(WPARAM wp, LPARAM lp);
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnVScroll(WPARAM wp, LPARAM lp);
    LRESULT OnHScroll(WPARAM wp, LPARAM lp);
    void OnPreviewClose() { ClosePreview(); }
    void OnNumPageChange();
    void OnNextPageCommand() { OnNextPage(); }
    void OnPrevPageCommand() { OnPrevPage(); }
    void OnPreviewPrint();
    void PostNcDestroy() override { delete this; }

    DECLARE_MESSAGE_MAP()

    CView* m_pPrintView = nullptr;
    CFrameWnd* m_pFrame = nullptr;
    CPrintInfo m_info;
    PageInfo m_pageInfo[kSlots];
    PageInfo* m_pPageInfo = m_pageInfo;
    UINT m_nZoomState = 0;
    UINT m_nPages = 1;          // pages shown now
    UINT m_nZoomOutPages = 1;   // pages shown while zoomed out
    UINT m_nCurrentPage = 1;

private:
    void ScrollBy(int bar, WPARAM wp);
    void ApplyScrollBars();
    void DrawPage(HDC dc, UINT slot, UINT page);
    void EndJob();

    POINT m_scroll = {0, 0};
    SIZE m_total = {0, 0};
    SIZE m_pageSize = {0, 0};
    SIZE m_lineSize = {0, 0};
    bool m_bScrolling = false;  // a zoomed page: the bars scroll pixels
    bool m_bJobEnded = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
