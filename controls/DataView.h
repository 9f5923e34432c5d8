// The text view of the register dump: holds the received lines, draws them one per row
// with its own scroll bars, follows the newest line on request and marks the lines clicked
// (Ctrl+click one more, Shift+click a run).
// Every member is used on the window's own thread only; lines from the acquisition
// worker must be handed over to that thread before AddLine.
#pragma once

#include "core/LineStore.h"
#include "fw/Controls.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The font the view was given.
struct DataViewFont {
    std::string face = "Courier New";
    int size = 10;  // points
    BYTE charset = 1;
    int weight = 400;
    int italic = 0;
    int underline = 0;
    int strikeout = 0;
};

// What adding lines came to: all added; the store could take no more (no memory or no
// capacity left; AddLines may have added some); or the view is not in list mode (AddLine
// then shows the text as its single text).
enum class ViewAdd { Added, NoRoom, NotListMode };

class CDataView : public CStatic {
public:
    static constexpr UINT kVBarId = 1;
    static constexpr UINT kHBarId = 2;
    static constexpr int kBarThickness = 15;  // at 96 DPI
    static constexpr COLORREF kHighlightColor = RGB(255, 255, 200);

    CDataView() = default;
    ~CDataView() override;

    // On: the view shows its lines and gets its scroll bars (created hidden).
    void SetListMode(bool on);
    void EnableHighlight(bool on);
    // DrawText flags for every row; the main window uses 0 (top left).
    void SetTextFormat(UINT format);
    void SetListFont(const DataViewFont& font);
    // The display scale the view is shown at, when the window's scale changed: the font
    // is made again for it (the rows' height follows) and the bars take its thickness.
    // Until then the view takes the scale of its device context.
    void SetDpi(int dpi);
    void SetTextColor(COLORREF color);

    // The lines to show and to add to: a document that outlives the view, or null for
    // the view's own store (its default). Marks and scrolling start again.
    void SetDocument(CLineStore* lines);

    // Appends a line (null: an empty line) to the lines shown; with autoScroll the view
    // shows the last page.
    ViewAdd AddLine(const char* text, bool autoScroll);
    // Appends every line.
    ViewAdd AddLines(std::vector<std::string> lines, bool autoScroll);
    // The same for a whole store (a loaded file): an empty view takes it over as it is.
    ViewAdd AddLines(CLineStore&& lines, bool autoScroll);
    // Removes all lines and marks; the bars hide and the view returns to the top.
    void ResetContent();


    // Marks this line alone and scrolls it into view (Find's match); nothing happens for
    // a line that cannot be marked.
    void ShowMarkedLine(int line);

    // Index of the line under a client point (x plays no part); may lie beyond the last
    // line; -1 when the line height is not positive.
    int HitTestLine(int x, int y) const;

    // Read-only state, for the main window, the printer and the tests.
    int GetLineCount() const { return m_pLines->Count(); }
    std::string_view GetLine(int i) const { return m_pLines->Line(i); }
    const CLineStore& Lines() const { return *m_pLines; }
    int GetTopLine() const { return m_topLine; }
    int GetHorizontalOffset() const { return m_hOffset; }
    int VerticalMax() const { return m_vMax; }
    int HorizontalMax() const { return m_hMax; }
    int GetLineHeight() const { return m_lineHeight; }
    int GetBarThickness() const { return m_barThickness; }
    bool IsMarked(int line) const { return m_marks.count(line) != 0; }
    int GetMarkCount() const { return static_cast<int>(m_marks.size()); }
    // The first marked line, or -1.
    int GetFirstMark() const { return m_marks.empty() ? -1 : m_marks.begin()->first; }
    // The marked lines in order (what Print offers as its Selection).
    std::vector<int> GetMarkedLines() const;
    const DataViewFont& GetListFont() const { return m_font; }
    HFONT GetFontHandle() const { return m_hFont; }
    COLORREF GetTextColor() const { return m_textColor; }

protected:
    void PreSubclassWindow() override;
    void PostNcDestroy() override;
    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    void OnPaint();
    LRESULT OnPrintClient(WPARAM wp, LPARAM lp);
    void OnSize(UINT type, int cx, int cy);
    void OnVScroll(UINT code, HWND bar);
    void OnHScroll(UINT code, HWND bar);
    void OnMouseWheel(UINT keys, short delta, POINT screenPoint);
    LRESULT OnGetDlgCode(WPARAM wp, LPARAM lp);
    void OnKeyDown(UINT key);
    void OnLButtonDown(UINT flags, POINT point);

    DECLARE_MESSAGE_MAP()

private:
    void CreateListFont();
    void CreateScrollBars();
    void DestroyScrollBars();
    // Scroll ranges, follow and redraw after lines were added.
    ViewAdd LinesAdded(bool all, bool autoScroll);
    void UpdateVScrollBar();
    void UpdateHScrollBar();
    void HideVScrollBar();
    void HideHScrollBar();
    void ShowBar(HWND bar, const RECT& where, int max, RECT* placed, bool* visible);
    void HideBar(HWND bar, bool* visible);
    void SetBarPosition(HWND bar, int position);
    void RepaintBar(HWND bar);
    int64_t MeasureLongestLine(const RECT& client);
    void ScrollLines(int delta, bool toFirst, bool toLast, bool redraw);
    void ScrollBy(HWND bar, int& position, int max, bool mapped, UINT code);
    void AddHighlight(int line, bool redraw);
    void RemoveHighlight(int line, bool redraw);
    void ClearHighlights();
    void InvalidateView();
    void DoPaint(HDC dc, const RECT& client);
    void DrawRows(HDC dc, const RECT& client);

    // Font and colours.
    DataViewFont m_font;
    HFONT m_hFont = nullptr;
    int m_lineHeight = 16;
    int m_dpi = 0;  // 0: the device context's
    int m_barThickness = kBarThickness;
    UINT m_textFormat = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    COLORREF m_bkColor = RGB(255, 255, 255);
    COLORREF m_textColor = RGB(0, 0, 0);

    // Content.
    bool m_bListMode = false;
    CLineStore m_ownStore;
    CLineStore* m_pLines = &m_ownStore;  // what the view shows: its own store or a document
    std::string m_singleText;

    // Scrolling and marks.
    int m_topLine = 0;
    int m_hOffset = 0;
    HWND m_hVBar = nullptr;
    HWND m_hHBar = nullptr;
    int m_vMax = 0;
    int m_hMax = 0;
    bool m_bVBarShown = false;
    bool m_bHBarShown = false;
    bool m_bHBarMapped = false;  // the horizontal bar's range is shorter than the offsets'
    bool m_bHighlight = false;
    std::map<int, COLORREF> m_marks;
    int m_anchor = -1;  // where a Shift+click's run of marks starts; -1: none

    // What the bars were last given, so a million appends do not move and show them a
    // million times.
    RECT m_vBarRect = {};
    RECT m_hBarRect = {};
    bool m_bVBarVisible = false;
    bool m_bHBarVisible = false;
    bool m_bBarsDirty = false;  // a bar changed and waits for InvalidateView
    // What InvalidateView invalidated since the last WM_PAINT.
    bool m_bPaintPending = false;
    bool m_bPendingWithBars = false;
    RECT m_pendingRect = {0, 0, 0, 0};

    // Width of the longest line in 'w' characters, measured once per font and length.
    int m_measuredLongest = -1;
    int64_t m_measuredWidth = 0;
};
