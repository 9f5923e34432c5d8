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

    virtual void StartPreview();
    virtual void PrintFromPreview();

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
