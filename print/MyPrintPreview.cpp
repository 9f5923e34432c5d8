// The preview frame's view.
#include "print/MyPrintPreview.h"

#include "fw/App.h"
#include "print/MyPreviewView.h"
#include "print/MyReport.h"
#include "res/resource.h"

CMyPrintPreview::~CMyPrintPreview()
{
    // However the frame went (closed while the system's printer message was up, say),
    // the main window comes back with it.
    GiveBackHost();
    SetReport(nullptr);
}

void CMyPrintPreview::SetReport(CMyReport* report)
{
    if (m_pReport && m_pReport->m_pOpenPreview == this)
        m_pReport->m_pOpenPreview = nullptr;
    m_pReport = report;
    if (report)
        report->m_pOpenPreview = this;
}

void CMyPrintPreview::StartPreview()
{
    const std::weak_ptr<bool> alive = AliveToken();
    if (DoPrintPreview(IDD_PREVIEW_TOOLBAR, new CMyPreviewView) || alive.expired())
        return;
    // The main window comes back at once rather than leaving the operator in front of
    // an empty frame, and says why, unless the system has said it already.
    const PreviewFailure why = GetPreviewFailure();
    HWND host = m_pHost ? m_pHost->m_hWnd : nullptr;
    GiveBackHost();
    if (HWND frame = GetParent())
        ::DestroyWindow(frame);  // deletes this view too: nothing of it is used below
    if (why != PreviewFailure::NoPrinter)
        AfxMessageBox(host, why == PreviewFailure::NoWindow ? kNoWindowText : kPrinterErrorText,
                      MB_OK | MB_ICONEXCLAMATION);
}

void CMyPrintPreview::PrintFromPreview(HWND owner)
{
    if (m_pReport)
        m_pReport->PrintDirect(owner);
}

void CMyPrintPreview::OnBeginPrinting(HDC dc, CPrintInfo* info)
{
    if (m_pReport)
        m_pReport->BeginPrinting(dc, info);
}

void CMyPrintPreview::OnPrint(HDC dc, CPrintInfo* info)
{
    if (m_pReport)
        m_pReport->PrintPage(dc, info);
}

void CMyPrintPreview::OnEndPrinting(HDC dc, CPrintInfo* info)
{
    if (m_pReport)
        m_pReport->EndPrinting(dc, info);
}

void CMyPrintPreview::OnEndPrintPreview(HDC dc, CPrintInfo* info, CPreviewView* preview)
{
    CView::OnEndPrintPreview(dc, info, preview);
    if (!m_pHost)
        return;
    GiveBackHost();
    if (HWND frame = GetParent())
        ::DestroyWindow(frame);  // deletes this view too
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
