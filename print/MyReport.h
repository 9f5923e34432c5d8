// The report printer: a snapshot of the text view's lines printed one per row under a
// header band (left text, centred title, page label) with a rule, on the default
// printer's paper with its margins. One page drawing serves the printer and the
// preview.
#pragma once

#include "core/LineStore.h"
#include "core/UiText.h"
#include "print/PrintJob.h"

#include <memory>
#include <string>
#include <vector>

class CMyPrintPreview;

class CMyReport : public CPageSource {
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
    // The words of its printing box, its preview and its messages.
    void SetTexts(const UiTextTable& texts) { m_texts = texts; }
    // Whether a print shows the printing box (page count and Cancel) while it runs;
    // not where nobody is there to see it.
    void ShowPrintingBox(bool show) { m_bPrintingBox = show; }
    void SetHeader(const std::string& left, const std::string& centre, const std::string& pagePrefix, bool show);
    // Holds the lines the store has now, without copying them (the store's copies share
    // its lines): a running acquisition, a Clear or a Load does not change the report.
    // Throws std::bad_alloc when even that cannot be had.
    void SetLines(const CLineStore& lines) { m_lines = lines; }
    // The lines of `lines` at the indices `marked` (in order; those beyond its end left
    // out), copied: the Selection the printer dialog offers, a report of their own. None
    // when `marked` is empty. Throws std::bad_alloc when they cannot be had.
    void SetSelection(const CLineStore& lines, const std::vector<int>& marked);
    // Lets go of the lines and the selection; the job steps then see none. The end of a
    // job does it too.
    void ReleaseLines();

    // A whole request of the main window: the page defaults, the view's font (when it
    // has one), its lines as they are now and the marked ones among them (the Selection),
    // then the printer dialog or the preview. Memory that runs out on the way undoes what
    // was begun and says so. Returns how the print went (Cancelled for a preview).
    PrintOutcome Run(bool preview, const CLineStore& lines, const std::vector<int>& marked, const LOGFONTA* font,
                     COLORREF color, int size);
    // The printer dialog, owned by `owner` (null: the application's main window), then
    // every page to the chosen printer.
    PrintOutcome PrintDirect(HWND owner = nullptr) { return ::PrintDirect(*this, owner); }
    // The preview window in place of the application's main window.
    void ShowPreview();
    bool IsPreviewOpen() const { return !m_previewAlive.expired(); }
    // Closes a preview that this report has open, without giving the main window back.
    void AbandonPreview();

    bool HasSelection() const override { return m_selection.Count() > 0; }
    void UseSelection(bool on) override { m_bSelectionJob = on && HasSelection(); }
    int BeginJob(HDC dc) override;
    void PrintPage(HDC dc, int page) override;
    void EndJob() override;
    const std::string& DocumentName() const override { return m_documentName; }
    std::unique_ptr<CPrintProgress> OpenProgress(HWND owner) override;

private:
    struct HeaderLayout {
        RECT band, body, left, centre, right;
    };
    // The header band from the full text area, its three cells and the body under it.
    HeaderLayout LayoutHeader(HDC dc) const;
    void MapPage(HDC dc) const;
    void DrawHeader(HDC dc, int page);
    void DeleteFonts();
    // The lines of the job: the selection's or all of them.
    const CLineStore& JobLines() const { return m_bSelectionJob ? m_selection : m_lines; }

    RECT m_margins = {1000, 1000, 1000, 1000};  // hundredths of a millimetre
    RECT m_paper = {0, 0, 0, 0};
    RECT m_text = {0, 0, 0, 0};
    RECT m_fullText = {0, 0, 0, 0};
    CLineStore m_lines;
    CLineStore m_selection;
    bool m_bSelectionJob = false;
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
    int m_pages = 1;
    std::string m_documentName;
    UiTextTable m_texts;
    bool m_bPrintingBox = true;
    CMyPrintPreview* m_pPreview = nullptr;  // the preview showing this report, while it lives
    std::weak_ptr<bool> m_previewAlive;
};
