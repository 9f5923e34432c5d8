// The print preview window.
#include "print/MyPrintPreview.h"

#include "core/DpiScale.h"
#include "fw/App.h"
#include "fw/Gdi.h"
#include "res/resource.h"

#include <algorithm>

#include <commctrl.h>
#include <commdlg.h>

namespace {
const UINT kViewId = 0xE900;

// The toolbar as its template lays it out at 100 %, in pixels: its height and its
// buttons, one step apart in a row.
const int kBarHeight = 29;
const RECT kFirstButton = {6, 5, 72, 24};
const int kButtonStep = 72;

// The template grows with its font, and a font drawn in a few fixed sizes does not grow
// as the display scale does: at a larger scale the toolbar takes its 100 % layout, scaled.
void ScaleToolbar(HWND bar)
{
    const int dpi = WindowDpi(bar);
    if (dpi == kDefaultDpi)
        return;
    RECT r;
    ::GetWindowRect(bar, &r);
    ::SetWindowPos(bar, nullptr, 0, 0, r.right - r.left, ScaleForDpi(kBarHeight, dpi),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    int offset = 0;
    for (HWND button = ::GetWindow(bar, GW_CHILD); button; button = ::GetWindow(button, GW_HWNDNEXT)) {
        const int left = ScaleForDpi(kFirstButton.left + offset, dpi), top = ScaleForDpi(kFirstButton.top, dpi);
        ::MoveWindow(button, left, top, ScaleForDpi(kFirstButton.right + offset, dpi) - left,
                     ScaleForDpi(kFirstButton.bottom, dpi) - top, TRUE);
        offset += kButtonStep;
    }
}

INT_PTR CALLBACK ToolbarProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        ScaleToolbar(bar);
        return FALSE;
    }
    // The buttons' commands belong to the window, which gives them to its page view.
    if (msg == WM_COMMAND) {
        HWND frame = ::GetParent(bar);
        ::SendMessageA(frame, WM_COMMAND, wp, lp);
        // A clicked button took the focus: the keys go back to the view (unless the
        // command closed the preview, toolbar and all).
        if (::IsWindow(bar) && ::IsChild(bar, ::GetFocus()))
            ::SetFocus(frame);
        return TRUE;
    }
    return FALSE;
}

// The toolbar's captions in the table's words; the one/two-page button's follows the
// pages shown (CMyPreviewView::UpdateToolbar).
void SetToolbarTexts(HWND toolbar, const UiTextTable& texts)
{
    const struct {
        int id;
        UiTextId text;
    } captions[] = {{ID_PREVIEW_PRINT, TXT_PREVIEW_PRINT},      {ID_PREVIEW_NEXT, TXT_PREVIEW_NEXT},
                    {ID_PREVIEW_PREV, TXT_PREVIEW_PREV},        {ID_PREVIEW_ZOOMIN, TXT_PREVIEW_ZOOM_IN},
                    {ID_PREVIEW_ZOOMOUT, TXT_PREVIEW_ZOOM_OUT}, {ID_PREVIEW_CLOSE, TXT_PREVIEW_CLOSE}};
    for (const auto& c : captions)
        ::SetDlgItemTextA(toolbar, c.id, texts[c.text].c_str());
}

// A caption wider than its button (a language's longer words) widens the button, and the
// buttons after it move along; the one/two-page button is made wide enough for both of
// its captions, so that it keeps its size when they change places.
void FitToolbarButtons(HWND toolbar, const UiTextTable& texts)
{
    const int pad = ScaleForDpi(8, WindowDpi(toolbar));  // on each side of a caption
    HDC dc = ::GetDC(toolbar);
    if (!dc)
        return;
    int shift = 0;
    for (HWND button = ::GetWindow(toolbar, GW_CHILD); button; button = ::GetWindow(button, GW_HWNDNEXT)) {
        RECT r;
        ::GetWindowRect(button, &r);
        ::MapWindowPoints(nullptr, toolbar, reinterpret_cast<POINT*>(&r), 2);
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(button, WM_GETFONT, 0, 0)));
        int needed = 0;
        auto fit = [&](const char* caption) {
            RECT text = {0, 0, 0, 0};
            ::DrawTextA(dc, caption, -1, &text, DT_CALCRECT | DT_SINGLELINE);
            needed = std::max(needed, static_cast<int>(text.right) + 2 * pad);
        };
        if (::GetDlgCtrlID(button) == ID_PREVIEW_NUMPAGE) {
            fit(texts[TXT_PREVIEW_ONE_PAGE].c_str());
            fit(texts[TXT_PREVIEW_TWO_PAGES].c_str());
        } else {
            char caption[128] = "";
            ::GetWindowTextA(button, caption, sizeof caption);
            fit(caption);
        }
        ::SelectObject(dc, old);
        const int width = std::max(static_cast<int>(r.right - r.left), needed);
        ::MoveWindow(button, r.left + shift, r.top, width, r.bottom - r.top, TRUE);
        shift += width - (r.right - r.left);
    }
    ::ReleaseDC(toolbar, dc);
}

// Every tool of the toolbar asks the page view for its text.
void AddToolTips(HWND toolbar, HWND view)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    HWND tips = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                  view, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!tips)
        return;
    for (HWND button = ::GetWindow(toolbar, GW_CHILD); button; button = ::GetWindow(button, GW_HWNDNEXT)) {
        TOOLINFOA ti = {};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = view;
        ti.uId = reinterpret_cast<UINT_PTR>(button);
        ti.lpszText = LPSTR_TEXTCALLBACKA;
        ::SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
}
}  // namespace

BEGIN_MESSAGE_MAP(CMyPrintPreview, CWnd)
    ON_WM_SIZE()
    ON_MESSAGE(WM_CLOSE, OnClose)
    ON_MESSAGE(WM_SETFOCUS, OnSetFocus)
END_MESSAGE_MAP()

bool CMyPrintPreview::Create(CPageSource* source)
{
    m_pSource = source;
    const char* cls = RegisterWndClass(CS_HREDRAW | CS_VREDRAW, ::LoadCursorA(nullptr, IDC_ARROW),
                                       ::GetSysColorBrush(COLOR_BTNFACE));
    // Its size before it is maximised, 800 x 600 at 100 %.
    const int dpi = SystemDpi();
    const RECT r = {0, 0, ScaleForDpi(800, dpi), ScaleForDpi(600, dpi)};
    return CreateEx(0, cls, "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r, nullptr, nullptr);
}

CMyPrintPreview::~CMyPrintPreview()
{
    // However the window went (closed while the system's printer message was up, say),
    // the job ends and the main window comes back with it.
    EndJob();
    GiveBackHost();
}

void CMyPrintPreview::Show(CWnd* host)
{
    if (host)
        ::ShowWindow(host->m_hWnd, SW_HIDE);
    SetHostWindow(host);
    if (CWinApp* app = AfxGetApp())
        app->m_pMainWnd = this;
    SetWindowText(m_texts[TXT_PRINT_PREVIEW].c_str());
    if (HICON icon = host ? reinterpret_cast<HICON>(host->SendMessage(WM_GETICON, ICON_BIG)) : nullptr)
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::ShowWindow(m_hWnd, SW_SHOWMAXIMIZED);
    StartPreview();
}

HDC CMyPrintPreview::PreparePrinter()
{
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = m_hWnd;
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC | PD_NOWARNING;
    if (!::PrintDlgA(&pd)) {
        // Not every system warns here; the page set-up query does, with the system's
        // own words, and only then.
        if (::CommDlgExtendedError() == PDERR_NODEFAULTPRN) {
            PAGESETUPDLGA psd = {};
            psd.lStructSize = sizeof psd;
            psd.hwndOwner = m_hWnd;
            psd.Flags = PSD_RETURNDEFAULT;
            if (::PageSetupDlgA(&psd)) {
                ::GlobalFree(psd.hDevMode);
                ::GlobalFree(psd.hDevNames);
            } else {
                m_failure = Failure::NoPrinter;
            }
        }
        return nullptr;
    }
    if (pd.hDevMode)
        ::GlobalFree(pd.hDevMode);
    if (pd.hDevNames)
        ::GlobalFree(pd.hDevNames);
    return pd.hDC;
}

void CMyPrintPreview::StartPreview()
{
    const std::weak_ptr<bool> alive = m_alive;
    m_failure = Failure::PrinterError;
    HDC printer = PreparePrinter();
    // Preparing may have shown a message, and the window may have been closed meanwhile.
    if (alive.expired()) {
        if (printer)
            ::DeleteDC(printer);
        return;
    }
    if (printer && m_pSource) {
        m_failure = Failure::NoWindow;
        m_hToolbar = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDD_PREVIEW_TOOLBAR), m_hWnd,
                                          ToolbarProc, 0);
        if (m_hToolbar && m_view.Create(this, printer, kViewId)) {
            OnSize(0, 0, 0);
            SetToolbarTexts(m_hToolbar, m_texts);
            FitToolbarButtons(m_hToolbar, m_texts);
            AddToolTips(m_hToolbar, m_view.m_hWnd);
            m_bJobOpen = true;
            m_view.Start(m_pSource, m_pSource->BeginJob(printer));
            ::SetFocus(m_view.m_hWnd);
            return;
        }
        if (!m_view.IsWindow())
            ::DeleteDC(printer);
    }
    // The main window comes back at once rather than leaving the operator in front of
    // an empty window, and says why, unless the system has said it already.
    const Failure why = m_failure;
    HWND host = m_pHost ? m_pHost->m_hWnd : nullptr;
    // A window that could not be made for want of memory has left the program's notice
    // of it for this window: the main window shows it instead.
    static const UINT notice = ::RegisterWindowMessageA("Korvex.FaultNotice");
    MSG pending;
    const bool told = ::PeekMessageA(&pending, m_hWnd, notice, notice, PM_REMOVE) && host &&
                      ::PostMessageA(host, notice, pending.wParam, pending.lParam);
    const std::string text = m_texts[why == Failure::NoWindow ? TXT_PREVIEW_NO_WINDOW : TXT_PREVIEW_NO_PRINTER];
    GiveBackHost();
    DestroyWindow();  // deletes this object: nothing of it is used below
    if (why != Failure::NoPrinter && !told)
        AfxMessageBox(host, text.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void CMyPrintPreview::PrintFromPreview()
{
    // The printer dialog or the printing box is open already (a command sent past the
    // disabled window).
    if (!m_pSource || m_pSource->IsPrinting())
        return;
    const std::weak_ptr<bool> alive = m_alive;
    // The dialog's To starts at the last page shown here, laid out for the default printer.
    const int pages = m_view.IsWindow() ? static_cast<int>(m_view.GetLastPage()) : 0;
    const PrintOutcome outcome = PrintDirect(*m_pSource, m_hWnd, pages);
    // The dialog's message loop, the messages handled between pages, or those of the
    // message box may have closed the preview meanwhile.
    const std::string told = PrintOutcomeText(outcome, m_texts);
    if (!alive.expired() && !told.empty())
        AfxMessageBox(m_hWnd, told.c_str(), MB_OK | MB_ICONEXCLAMATION);
    if (!alive.expired())
        ClosePreview();
}

void CMyPrintPreview::EndJob()
{
    if (m_bJobOpen && m_pSource)
        m_pSource->EndJob();
    m_bJobOpen = false;
}

void CMyPrintPreview::ClosePreview()
{
    EndJob();
    GiveBackHost();
    DestroyWindow();
}

void CMyPrintPreview::Abandon()
{
    m_pSource = nullptr;
    m_pHost = nullptr;
    DestroyWindow();
}

void CMyPrintPreview::GiveBackHost()
{
    if (!m_pHost)
        return;
    ::ShowWindow(m_pHost->m_hWnd, SW_SHOW);
    ::SetForegroundWindow(m_pHost->m_hWnd);
    if (CWinApp* app = AfxGetApp())
        app->m_pMainWnd = m_pHost;
    m_pHost = nullptr;  // given back once
}

LRESULT CMyPrintPreview::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COMMAND && m_view.IsWindow())
        return m_view.SendMessage(WM_COMMAND, wp, lp);
    return CWnd::WindowProc(msg, wp, lp);
}

void CMyPrintPreview::OnSize(UINT, int, int)
{
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    int top = 0;
    if (m_hToolbar) {
        RECT bar;
        ::GetWindowRect(m_hToolbar, &bar);
        top = bar.bottom - bar.top;
        ::MoveWindow(m_hToolbar, 0, 0, client.right, top, TRUE);
    }
    if (m_view.IsWindow())
        ::MoveWindow(m_view.m_hWnd, 0, top, client.right, client.bottom > top ? client.bottom - top : 0, TRUE);
}

LRESULT CMyPrintPreview::OnClose(WPARAM, LPARAM)
{
    ClosePreview();
    return 0;
}

LRESULT CMyPrintPreview::OnSetFocus(WPARAM, LPARAM)
{
    // The keys belong to the page view, also when the window gets the focus back from
    // a dialog it owned.
    if (m_view.IsWindow() && ::IsWindowVisible(m_view.m_hWnd))
        ::SetFocus(m_view.m_hWnd);
    return 0;
}
