// The print preview window: the preview's toolbar over its page view, in place of the
// main window while it is open. It shows the pages of a page source laid out for the
// default printer, prints them through the printer dialog, and gives the main window
// back when it closes.
#pragma once

#include "core/UiText.h"
#include "print/PrintJob.h"
#include "print/MyPreviewView.h"

#include <memory>

class CMyPrintPreview : public CWnd {
public:
    // The window, not shown yet, for the pages of `source`, which closes the preview
    // (Abandon) before it goes. The object deletes itself when its window is gone.
    bool Create(CPageSource* source);
    ~CMyPrintPreview() override;
    // Takes the place of `host` as the application's main window, maximised, and starts.
    void Show(CWnd* host);
    // The window hidden for the preview, shown again when it ends.
    void SetHostWindow(CWnd* host) { m_pHost = host; }
    // The words of its caption, its toolbar and its messages (the English defaults
    // until then).
    void SetTexts(const UiTextTable& texts) { m_texts = texts; }
    const UiTextTable& Texts() const { return m_texts; }
    // The default printer, the toolbar and the page view. When they cannot be had the
    // host comes back and is told why (unless the system has said it: a missing
    // printer), and the window
    // closes: this object may be gone when it returns.
    void StartPreview();
    // The source's printer dialog, owned by this window (its To at the last page shown),
    // then the preview closes, printed or not, once a print that failed or printed
    // nothing of the pages asked for has said so. This object is gone when it
    // returns.
    void PrintFromPreview();
    // Ends the job, gives the host back and closes the window; this object is gone.
    void ClosePreview();
    // Closes the window without giving the host back or touching the source again.
    void Abandon();

    CMyPreviewView* View() { return m_view.IsWindow() ? &m_view : nullptr; }
    HWND Toolbar() const { return m_hToolbar; }
    // Expires when this object is deleted.
    std::weak_ptr<bool> AliveToken() const { return m_alive; }

protected:
    enum class Failure { NoPrinter, PrinterError, NoWindow };
    // A device context of the default printer (never printed on), without a dialog;
    // null when there is none, with m_failure set to NoPrinter when the system has
    // said so.
    virtual HDC PreparePrinter();
    Failure m_failure = Failure::PrinterError;

    void PostNcDestroy() override { delete this; }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnClose(WPARAM wp, LPARAM lp);
    LRESULT OnSetFocus(WPARAM wp, LPARAM lp);

    DECLARE_MESSAGE_MAP()

private:
    void GiveBackHost();
    void EndJob();

    CMyPreviewView m_view;
    CPageSource* m_pSource = nullptr;
    CWnd* m_pHost = nullptr;
    UiTextTable m_texts;
    HWND m_hToolbar = nullptr;
    bool m_bJobOpen = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
