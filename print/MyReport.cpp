// The report printer: page set-up, fonts, pagination, header and pages, direct printing.
#include "print/MyReport.h"

#include "fw/Gdi.h"
#include "fw/App.h"
#include "print/MyPrintPreview.h"
#include "core/ReportMath.h"

#include <commdlg.h>
#include <cstring>
#include <new>
#include <string_view>

namespace {
// Measured for the line height: capitals, small letters, digits and the accented and
// other characters of Italian text (Windows-1252).
const char kSample[] = "ABCDEFGHILMNOPQRSTUVZJKXYabcdefghilmnopqrstuvzjkxy0123456789!\xA3$/()=?^\xE8+\xF9\xE0\xF2-.,*"
                       "\xE9\xA7\xB0\xE7_:;";
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
    HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
    RECT r = {0, 0, 0, 0};
    ::DrawTextA(dc, kSample, -1, &r, DT_CALCRECT);
    if (old)
        ::SelectObject(dc, old);
    return r.bottom - r.top;
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
    if (CMyPrintPreview* preview = m_pOpenPreview) {
        preview->SetHostWindow(nullptr);
        preview->SetReport(nullptr);
        if (HWND frame = preview->GetParent())
            ::DestroyWindow(frame);
    }
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

HFONT CMyReport::CreateReportFont(HDC dc, const LOGFONTA& font, int points) const
{
    LOGFONTA lf = font;
    lf.lfHeight = -PointsToLogical(dc, points);
    return ::CreateFontIndirectA(&lf);
}

void CMyReport::DeleteFonts()
{
    if (m_hHeaderFont)
        ::DeleteObject(m_hHeaderFont);
    if (m_hBodyFont)
        ::DeleteObject(m_hBodyFont);
    m_hHeaderFont = m_hBodyFont = nullptr;
}

void CMyReport::BeginPrinting(HDC dc, CPrintInfo* info)
{
    if (!dc || !info)
        return;
    MapPage(dc);
    m_text = ToRect(ReportMath::TextArea(ToBox(m_paper), m_margins.left, m_margins.top, m_margins.right,
                                         m_margins.bottom));
    m_fullText = m_text;

    LOGFONTA report = DefaultBodyLogFont();
    report.lfWeight = kReportFontWeight;
    report.lfCharSet = ANSI_CHARSET;
    if (m_hHeaderFont)
        ::DeleteObject(m_hHeaderFont);
    m_hHeaderFont = CreateReportFont(dc, report, kHeaderPoints);

    // A size beyond the page would print nothing of the line but its top; it is made
    // no taller than the page, so that every line still prints, one a page.
    const int points = ReportMath::PagePoints(ReportMath::BodyPoints(m_bodySize), m_text.bottom - m_text.top);
    if (m_hBodyFont)
        ::DeleteObject(m_hBodyFont);
    m_hBodyFont = CreateReportFont(dc, m_bBodyFontSet ? m_bodyLogFont : report, points);

    const int pages = CountPages(dc, m_text);
    info->m_nMaxPage = static_cast<UINT>(pages < 1 ? 1 : pages);
    info->m_nCurPage = 1;
}

int CMyReport::CountPages(HDC dc, RECT area)
{
    if (m_bHeader)
        area = LayoutHeader(dc).body;
    m_lineHeight = ReportMath::LineHeight(TextHeight(dc, m_hBodyFont));
    return ReportMath::CountPages(m_lines.Count(), ReportMath::LinesPerPage(area.bottom - area.top, m_lineHeight));
}

CMyReport::HeaderLayout CMyReport::LayoutHeader(HDC dc) const
{
    const ReportMath::Header h = ReportMath::LayoutHeader(ToBox(m_fullText), TextHeight(dc, m_hHeaderFont));
    return {ToRect(h.band), ToRect(h.body), ToRect(h.left), ToRect(h.centre), ToRect(h.right)};
}

void CMyReport::DrawHeader(HDC dc, const CPrintInfo* info)
{
    HeaderLayout h = LayoutHeader(dc);
    m_text = h.body;
    HGDIOBJ oldFont = m_hHeaderFont ? ::SelectObject(dc, m_hHeaderFont) : nullptr;
    const COLORREF oldColor = ::SetTextColor(dc, m_headerColor);
    ::MoveToEx(dc, h.band.left, h.band.bottom, nullptr);
    ::LineTo(dc, h.band.right, h.band.bottom);
    ::DrawTextA(dc, m_headerLeft.c_str(), -1, &h.left, DT_LEFT);
    ::DrawTextA(dc, m_headerCentre.c_str(), -1, &h.centre, DT_CENTER);
    try {
        const std::string label = ReportMath::PageLabel(m_pagePrefix, static_cast<int>(info->m_nCurPage),
                                                        static_cast<int>(info->m_nMaxPage));
        ::DrawTextA(dc, label.c_str(), -1, &h.right, DT_RIGHT);
    } catch (const std::bad_alloc&) {
        // A page in the middle of a job is finished, if without its label.
    }
    ::SetTextColor(dc, oldColor);
    if (oldFont)
        ::SelectObject(dc, oldFont);
}

void CMyReport::PrintPage(HDC dc, CPrintInfo* info)
{
    if (!dc || !info)
        return;
    MapPage(dc);
    HGDIOBJ oldFont = m_hBodyFont ? ::SelectObject(dc, m_hBodyFont) : nullptr;
    const COLORREF oldColor = ::SetTextColor(dc, m_bodyColor);
    ::SetBkMode(dc, TRANSPARENT);
    if (m_bHeader)
        DrawHeader(dc, info);

    // At least one line a page: a line taller than the page is cut at its bottom.
    const int perPage = ReportMath::LinesPerPage(m_text.bottom - m_text.top, m_lineHeight);
    const ReportMath::PageLines lines =
        ReportMath::LinesOfPage(static_cast<int>(info->m_nCurPage), perPage, m_lines.Count());
    for (int row = 0; row < lines.count; ++row) {
        // A line ends at its first NUL, as the view shows it. A line wider than the
        // page breaks at a word and its further rows fall outside the box, so of a huge
        // line only its start is handed on: far more than one row can hold.
        const std::string_view line = m_lines.Line(lines.first + row);
        const size_t shown = ::strnlen(line.data(), line.size() < kLongestPrinted ? line.size() : kLongestPrinted);
        RECT box = ToRect(ReportMath::LineBox(ToBox(m_text), row, m_lineHeight));
        ::DrawTextA(dc, line.data(), static_cast<int>(shown), &box, DT_WORDBREAK | DT_EXPANDTABS);
    }
    ::SetTextColor(dc, oldColor);
    if (oldFont)
        ::SelectObject(dc, oldFont);
}

void CMyReport::EndPrinting(HDC dc, CPrintInfo* info)
{
    // The preview is over: the report no longer holds the lines it showed.
    if (info && info->m_bPreview)
        ReleaseLines();
    if (!dc || !info)
        return;
    DeleteFonts();
    m_bodyLogFont = DefaultBodyLogFont();
}

// --- direct printing ----------------------------------------------------------------

void CMyReport::PrintDirect(HWND owner)
{
    // One printer dialog at a time: a second request while it is open (a command sent
    // to a window the dialog has disabled) is not a second job.
    if (m_bInPrinterDialog)
        return;
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    // Owned, so that the window it was asked from stays disabled while it is open.
    pd.hwndOwner = AfxGetModalOwner(owner);
    pd.Flags = PD_ALLPAGES | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE;
    pd.nCopies = 1;
    const std::weak_ptr<bool> alive = m_alive;
    m_bInPrinterDialog = true;
    const BOOL chosen = ::PrintDlgA(&pd);
    // The dialog ran a message loop of its own: this report may have gone with its view.
    const bool stillHere = !alive.expired();
    if (stillHere)
        m_bInPrinterDialog = false;
    HDC dc = nullptr;
    if (chosen && stillHere && pd.hDevNames) {
        const auto* names = static_cast<const DEVNAMES*>(::GlobalLock(pd.hDevNames));
        const auto* mode = pd.hDevMode ? static_cast<const DEVMODEA*>(::GlobalLock(pd.hDevMode)) : nullptr;
        if (names) {
            const char* base = reinterpret_cast<const char*>(names);
            dc = ::CreateDCA(base + names->wDriverOffset, base + names->wDeviceOffset, base + names->wOutputOffset,
                             mode);
        }
        if (mode)
            ::GlobalUnlock(pd.hDevMode);
        ::GlobalUnlock(pd.hDevNames);
    }
    if (pd.hDevMode)
        ::GlobalFree(pd.hDevMode);
    if (pd.hDevNames)
        ::GlobalFree(pd.hDevNames);
    if (!dc)
        return;

    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = m_documentName.c_str();
    bool ok = ::StartDocA(dc, &doc) > 0;
    CPrintInfo info;
    BeginPrinting(dc, &info);
    for (UINT page = info.m_nMinPage; ok && page <= info.m_nMaxPage; ++page) {
        ok = ::StartPage(dc) > 0;
        if (!ok)
            break;
        info.m_nCurPage = page;
        PrintPage(dc, &info);
        ok = ::EndPage(dc) > 0;
    }
    EndPrinting(dc, &info);
    if (ok)
        ::EndDoc(dc);
    else
        ::AbortDoc(dc);
    ::DeleteDC(dc);
}

// --- preview ------------------------------------------------------------------------

void CMyReport::ShowPreview(UINT menuId)
{
    // Not while this report's printer dialog is open: the preview would take the place
    // of the window that owns the dialog.
    if (m_bInPrinterDialog || m_pOpenPreview)
        return;
    CWinApp* app = AfxGetApp();
    CWnd* host = app ? app->m_pMainWnd : nullptr;
    if (host)
        ::ShowWindow(host->m_hWnd, SW_HIDE);
    if (!m_pTemplate)
        m_pTemplate = std::make_unique<CSingleDocTemplate>(menuId, &CMyPrintPreview::CreateObject);
    CFrameWnd* frame = m_pTemplate->CreateNewFrame();
    if (!frame) {
        if (host)
            ::ShowWindow(host->m_hWnd, SW_SHOW);
        AfxMessageBox(host ? host->m_hWnd : nullptr, CMyPrintPreview::kNoWindowText, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    auto* view = static_cast<CMyPrintPreview*>(frame->GetActiveView());
    view->SetHostWindow(host);
    view->SetReport(this);
    if (app)
        app->m_pMainWnd = frame;
    frame->SetWindowText("Print Preview");
    if (HICON icon = host ? reinterpret_cast<HICON>(host->SendMessage(WM_GETICON, ICON_BIG)) : nullptr)
        frame->SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::ShowWindow(frame->m_hWnd, SW_SHOWMAXIMIZED);
    view->StartPreview();  // may close the frame again: neither is touched after it
}
