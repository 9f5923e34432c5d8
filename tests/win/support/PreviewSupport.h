// Helpers of the printing tests: the default printer, the printer dialogs shown, the
// PDF printer's output and the print preview that is the application's main window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CWnd;
class CMyPrintPreview;
class CMyPreviewView;

namespace wintest {

bool HasDefaultPrinter();
// The printer dialogs of this process now shown: visible top-level dialogs with the
// printer list. Safe from any thread.
std::vector<HWND> PrinterDialogs();
// Polls from a helper thread, at most `ms`.
bool WaitFor(const std::function<bool()>& done, DWORD ms);
// The PDF printer's output folder as this program sees it (ends in a backslash), and
// the PDFs in it.
std::string PdfSpoolFolder();
std::vector<std::string> SpoolPdfs(const std::string& folder);
// The preview that is the application's main window, and its page view (painted).
CMyPrintPreview* CurrentPreview();
CMyPreviewView* CurrentPreviewView();
// Starts `preview` (created, not shown) in place of `host`, as the report does.
void StartPreviewOver(CMyPrintPreview* preview, CWnd* host);

}  // namespace wintest
