// The preview frame's view: hands the preview's job steps to the report, prints from
// the preview through the report's own printer dialog, and gives the main window back
// when the preview ends.
#pragma once

#include "fw/PrintPreview.h"

class CMyReport;

class CMyPrintPreview : public CView {
public:
    static CView* CreateObject() { return new CMyPrintPreview; }
    ~CMyPrintPreview() override;

    // Why a preview could not start, in the user's words (no text for a missing
    // printer: the system says so itself).
    static constexpr const char* kNoWindowText =
        "The print preview cannot be shown: its window could not be created. Close some windows or programs and "
        "try again.";
    static constexpr const char* kPrinterErrorText =
        "The print preview cannot be shown: the default printer cannot be used. Check that it is installed and "
        "ready, then try again.";

    virtual void StartPreview();
    // The report's printer dialog, owned by `owner`. This view may be gone when it
    // returns.
    virtual void PrintFromPreview(HWND owner = nullptr);

    void SetHostWindow(CWnd* host) { m_pHost = host; }
    void SetReport(CMyReport* report);

    void OnBeginPrinting(HDC dc, CPrintInfo* info) override;
    void OnPrint(HDC dc, CPrintInfo* info) override;
    void OnEndPrinting(HDC dc, CPrintInfo* info) override;
    void OnEndPrintPreview(HDC dc, CPrintInfo* info, CPreviewView* preview) override;

private:
    void GiveBackHost();

    CWnd* m_pHost = nullptr;
    CMyReport* m_pReport = nullptr;
};
