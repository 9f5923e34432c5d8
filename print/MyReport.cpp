// The report printer: page set-up, fonts, pagination, header and pages.
#include "print/MyReport.h"

#include "fw/Gdi.h"
#include "fw/App.h"
#include "print/MyPrintPreview.h"
#include "core/LineHeightSample.h"
#include "print/PrintingBox.h"
#include "core/ReportMath.h"

#include <commdlg.h>
#include <cstring>
#include <new>
#include <string_view>

namespace {
const int kHeaderPoints = 10;
// Characters of a line handed to the printer: a row at the smallest font holds a few
// hundred.
const size_t kLongestPrinted = 16384;
const int kReportFontWeight = 500;

LOGFONTA DefaultBodyLogFont()
{
    LOGFONTA lf = {};
    lf.lfHeight = 10;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(lf.lfFaceName, "Courier New");
    return lf;
}

RECT ToRect(const ReportMath::Box& b)
{
    return {b.left, b.top, b.right, b.bottom};
}

ReportMath::Box ToBox(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

int TextHeight(HDC dc, HFONT font)
{
    CSelectObject select(dc, font);
    RECT r = {0, 0, 0, 0};
    ::DrawTextA(dc, kLineHeightSample, -1, &r, DT_CALCRECT);
    return r.bottom - r.top;
}

HFONT CreateReportFont(HDC dc, LOGFONTA font, int points)
{
    font.lfHeight = -PointsToLogical(dc, points);
    return ::CreateFontIndirectA(&font);
}
}  // namespace

CMyReport::CMyReport() : m_bodyLogFont(DefaultBodyLogFont()) {}

CMyReport::~CMyReport()
{
    // A preview still open shows this report: it must not outlive it.
    AbandonPreview();
    DeleteFonts();
}

void CMyReport::AbandonPreview()
{
    if (IsPreviewOpen())
        m_pPreview->Abandon();
}

PrintOutcome CMyReport::Run(bool preview, const CLineStore& lines, const std::vector<int>& marked,
                            const LOGFONTA* font, COLORREF color, int size)
{
    // What a preview changes, to be put back should memory run out on the way.
    CWinApp* app = AfxGetApp();
    CWnd* mainWindow = app ? app->m_pMainWnd : nullptr;
    const bool mainShown = mainWindow && ::IsWindowVisible(mainWindow->m_hWnd);
    PrintOutcome outcome;
    try {
        SetupPageDefaults();
        if (font)
            SetBodyFont(*font, color, size);
        // The report reads the lines present now, where they are: lines that arrive
        // meanwhile, a Clear or a Load are not part of it.
        SetLines(lines);
        SetSelection(lines, marked);
        if (preview)
            ShowPreview();
        else
            outcome = PrintDirect();
    } catch (const std::bad_alloc&) {
        // Whatever was begun is undone, the main window is back, and the lines are as
        // they were.
        AbandonPreview();
        ReleaseLines();
        if (app)
            app->m_pMainWnd = mainWindow;
        if (mainShown)
            ::ShowWindow(mainWindow->m_hWnd, SW_SHOW);
        AfxMessageBox(m_texts[preview ? TXT_NO_MEMORY_PREVIEW : TXT_NO_MEMORY_PRINT].c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
        return PrintOutcome();
    }
    // The lines stay with the report only while its preview shows them.
    if (!IsPreviewOpen())
        ReleaseLines();
    return outcome;
}

void CMyReport::SetSelection(const CLineStore& lines, const std::vector<int>& marked)
{
    CLineStore selection;
    for (int line : marked)
        if (line >= 0 && line < lines.Count() && selection.AddLine(lines.Text(line)) < 0)
            throw std::bad_alloc();
    m_selection = std::move(selection);
}

void CMyReport::ReleaseLines()
{
    m_lines = CLineStore();
    m_selection = CLineStore();
    m_bSelectionJob = false;
}

void CMyReport::SetupPageDefaults()
{
    PAGESETUPDLGA psd = {};
    psd.lStructSize = sizeof psd;
    // Without PSD_NOWARNING a machine without any printer would stop on a message box
    // here, before the printer dialog or the preview could say so themselves.
    psd.Flags = PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS | PSD_RETURNDEFAULT | PSD_NOWARNING;
    psd.hwndOwner = AfxGetModalOwner();
    psd.rtMargin = m_margins;
    psd.hInstance = ::GetModuleHandleA(nullptr);
    if (!::PageSetupDlgA(&psd))
        return;
    m_margins = psd.rtMargin;
    m_paper = {0, 0, psd.ptPaperSize.x, psd.ptPaperSize.y};
    if (psd.hDevMode)
        ::GlobalFree(psd.hDevMode);
    if (psd.hDevNames)
        ::GlobalFree(psd.hDevNames);
}

void CMyReport::SetBodyFont(const LOGFONTA& font, COLORREF color, int size)
{
    m_bodyColor = color;
    m_bodySize = size;
    if (m_hBodyFont) {
        ::DeleteObject(m_hBodyFont);
        m_hBodyFont = nullptr;
    }
    m_bodyLogFont = font;
    m_bBodyFontSet = true;
    m_hBodyFont = ::CreateFontIndirectA(&m_bodyLogFont);  // each job makes its own
}

void CMyReport::SetHeader(const std::string& left, const std::string& centre, const std::string& pagePrefix,
                          bool show)
{
    m_headerLeft = left;
    m_headerCentre = centre;
    m_pagePrefix = pagePrefix;
    m_bHeader = show;
}

// --- job steps ----------------------------------------------------------------------

void CMyReport::MapPage(HDC dc) const
{
    // One logical unit is a hundredth of a millimetre of paper; the sheet is scaled
    // onto the printable area.
    const int horz = ::GetDeviceCaps(dc, HORZRES), vert = ::GetDeviceCaps(dc, VERTRES);
    ::SetMapMode(dc, MM_ANISOTROPIC);
    ::SetWindowExtEx(dc, m_paper.right - m_paper.left, m_paper.bottom - m_paper.top, nullptr);
    ::SetViewportExtEx(dc, horz, vert, nullptr);
}

void CMyReport::DeleteFonts()
{
    if (m_hHeaderFont)
        ::DeleteObject(m_hHeaderFont);
    if (m_hBodyFont)
        ::DeleteObject(m_hBodyFont);
    m_hHeaderFont = m_hBodyFont = nullptr;
}

int CMyReport::BeginJob(HDC dc)
{
    MapPage(dc);
    m_text = ToRect(ReportMath::TextArea(ToBox(m_paper), m_margins.left, m_margins.top, m_margins.right,
                                         m_margins.bottom));
    m_fullText = m_text;

    LOGFONTA report = DefaultBodyLogFont();
    report.lfWeight = kReportFontWeight;
    report.lfCharSet = ANSI_CHARSET;
    DeleteFonts();
    m_hHeaderFont = CreateReportFont(dc, report, kHeaderPoints);
    // A size beyond the page would print nothing of the line but its top; it is made
    // no taller than the page, so that every line still prints, one a page.
    const int points = ReportMath::PagePoints(ReportMath::BodyPoints(m_bodySize), m_text.bottom - m_text.top);
    m_hBodyFont = CreateReportFont(dc, m_bBodyFontSet ? m_bodyLogFont : report, points);

    // Pages for the lines in the body under the header; measures the line height.
    const RECT area = m_bHeader ? LayoutHeader(dc).body : m_text;
    m_lineHeight = ReportMath::LineHeight(TextHeight(dc, m_hBodyFont));
    m_pages = ReportMath::CountPages(JobLines().Count(), ReportMath::LinesPerPage(area.bottom - area.top, m_lineHeight));
    if (m_pages < 1)
        m_pages = 1;
    return m_pages;
}

CMyReport::HeaderLayout CMyReport::LayoutHeader(HDC dc) const
{
    const ReportMath::Header h = ReportMath::LayoutHeader(ToBox(m_fullText), TextHeight(dc, m_hHeaderFont));
    return {ToRect(h.band), ToRect(h.body), ToRect(h.left), ToRect(h.centre), ToRect(h.right)};
}

void CMyReport::DrawHeader(HDC dc, int page)
{
    HeaderLayout h = LayoutHeader(dc);
    m_text = h.body;
    CSelectObject font(dc, m_hHeaderFont);
    const COLORREF oldColor = ::SetTextColor(dc, m_headerColor);
    ::MoveToEx(dc, h.band.left, h.band.bottom, nullptr);
    ::LineTo(dc, h.band.right, h.band.bottom);
    ::DrawTextA(dc, m_headerLeft.c_str(), -1, &h.left, DT_LEFT);
    ::DrawTextA(dc, m_headerCentre.c_str(), -1, &h.centre, DT_CENTER);
    try {
        const std::string label = ReportMath::PageLabel(m_pagePrefix, page, m_pages);
        ::DrawTextA(dc, label.c_str(), -1, &h.right, DT_RIGHT);
    } catch (const std::bad_alloc&) {
        // A page in the middle of a job is finished, if without its label.
    }
    ::SetTextColor(dc, oldColor);
}

void CMyReport::PrintPage(HDC dc, int page)
{
    if (!dc)
        return;
    MapPage(dc);
    CSelectObject font(dc, m_hBodyFont);
    const COLORREF oldColor = ::SetTextColor(dc, m_bodyColor);
    ::SetBkMode(dc, TRANSPARENT);
    if (m_bHeader)
        DrawHeader(dc, page);

    // At least one line a page: a line taller than the page is cut at its bottom.
    const int perPage = ReportMath::LinesPerPage(m_text.bottom - m_text.top, m_lineHeight);
    const CLineStore& source = JobLines();
    const ReportMath::PageLines lines = ReportMath::LinesOfPage(page, perPage, source.Count());
    for (int row = 0; row < lines.count; ++row) {
        // A line ends at its first NUL, as the view shows it. A line wider than the
        // page breaks at a word and its further rows fall outside the box, so of a huge
        // line only its start is handed on: far more than one row can hold.
        const std::string_view line = source.Line(lines.first + row);
        const size_t shown = ::strnlen(line.data(), line.size() < kLongestPrinted ? line.size() : kLongestPrinted);
        RECT box = ToRect(ReportMath::LineBox(ToBox(m_text), row, m_lineHeight));
        ::DrawTextA(dc, line.data(), static_cast<int>(shown), &box, DT_WORDBREAK | DT_EXPANDTABS);
    }
    ::SetTextColor(dc, oldColor);
}

void CMyReport::EndJob()
{
    // The job is over: the report no longer holds the lines it printed or showed.
    ReleaseLines();
    DeleteFonts();
    m_bodyLogFont = DefaultBodyLogFont();
}

std::unique_ptr<CPrintProgress> CMyReport::OpenProgress(HWND owner)
{
    if (!m_bPrintingBox)
        return nullptr;
    return CPrintingBox::Open(owner, m_documentName, m_texts);
}

void CMyReport::ShowPreview()
{
    // Not while this report is printing (its printer dialog or printing box open): the
    // preview would take the place of the window that owns them.
    if (IsPrinting() || IsPreviewOpen())
        return;
    auto preview = std::make_unique<CMyPrintPreview>();
    CWinApp* app = AfxGetApp();
    CWnd* host = app ? app->m_pMainWnd : nullptr;
    if (!preview->Create(this)) {
        AfxMessageBox(host ? host->m_hWnd : nullptr, m_texts[TXT_PREVIEW_NO_WINDOW].c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    preview->SetTexts(m_texts);
    m_pPreview = preview.release();  // its window's end deletes it
    m_previewAlive = m_pPreview->AliveToken();
    m_pPreview->Show(host);  // may close the preview again
}
