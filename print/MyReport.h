// The report printer of the text view: a snapshot of the view's lines printed one per
// row under a header band (left text, centred title, page label) with a rule, on the
// default printer's paper with its margins. One page drawing serves the printer and
// the preview.
#pragma once

#include "core/LineStore.h"
#include "fw/PrintPreview.h"

#include <memory>
#include <string>

class CMyPrintPreview;

class CMyReport : public CWnd {
public:
    CMyReport();
    ~CMyReport() override;

    // The default printer's paper and margins, without a dialog; unchanged when there
    // is no printer.
    void SetupPageDefaults();
    // Body font description, colour and the view's font size (points, or a negative
    // character height taken as points, 0 for 10).
    void SetBodyFont(const LOGFONTA& font, COLORREF color, int size);
    void SetDocumentName(const std::string& name) { m_documentName = name; }
    void SetHeader(const std::string& left, const std::string& centre, const std::string& pagePrefix, bool show);
    // Holds the lines the store has now, without copying them (the store's copies share
    // its lines): a running acquisition, a Clear or a Load does not change the report.
    // Throws std::bad_alloc when even that cannot be had.
    void SetLines(const CLineStore& lines) { m_lines = lines; }
    // Lets go of the lines; the job steps then see none. The preview's end does it too.
    void ReleaseLines() { m_lines = CLineStore(); }
    bool IsPreviewOpen() const { return m_pOpenPreview != nullptr; }
    // Closes a preview that this report has open, without giving the main window back
    // (after a preview that could not be completed).
    void AbandonPreview();

    // The printer dialog, owned by `owner` (null: the application's main window), then
    // every page to the chosen printer. Does nothing while its dialog is already open.
    void PrintDirect(HWND owner = nullptr);
    bool IsPrinterDialogOpen() const { return m_bInPrinterDialog; }
    // The preview window in place of the application's main window.
    void ShowPreview(UINT menuId);

    // The job steps; each does nothing without a device context or job information.
    virtual void BeginPrinting(HDC dc, CPrintInfo* info);
    virtual void PrintPage(HDC dc, CPrintInfo* info);
    virtual void EndPrinting(HDC dc, CPrintInfo* info);

    // Pages for the lines in an area (the body under the header when it is shown);
    // measures the line height.
    int CountPages(HDC dc, RECT area);
    // The header band from the full text area, its three cells and the body under it.
    struct HeaderLayout {
        RECT band, body, left, centre, right;
    };
    HeaderLayout LayoutHeader(HDC dc) const;

private:
    friend class CMyPrintPreview;

    void MapPage(HDC dc) const;
    void DrawHeader(HDC dc, const CPrintInfo* info);
    HFONT CreateReportFont(HDC dc, const LOGFONTA& font, int points) const;
    void DeleteFonts();

    std::unique_ptr<CSingleDocTemplate> m_pTemplate;
    RECT m_margins = {1000, 1000, 1000, 1000};  // hundredths of a millimetre
    RECT m_paper = {0, 0, 0, 0};
    RECT m_text = {0, 0, 0, 0};
    RECT m_fullText = {0, 0, 0, 0};
    CLineStore m_lines;
    bool m_bHeader = false;
    std::string m_headerLeft, m_headerCentre, m_pagePrefix;
    HFONT m_hBodyFont = nullptr;
    LOGFONTA m_bodyLogFont;
    bool m_bBodyFontSet = false;
    COLORREF m_bodyColor = RGB(0, 0, 0);
    int m_lineHeight = 16;
    HFONT m_hHeaderFont = nullptr;
    COLORREF m_headerColor = RGB(0, 0, 0);
    int m_bodySize = 10;
    std::string m_documentName;
    CMyPrintPreview* m_pOpenPreview = nullptr;  // the preview showing this report, if any
    bool m_bInPrinterDialog = false;
    // Expires with this object: code that ran a modal loop checks it before going on.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
