// Helpers of the printing tests: the default printer, the printer dialogs and the
// printing box shown, the PDF printer's output and the print preview that is the
// application's main window.
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
// The dialogs of this process now shown: visible top-level dialog windows. Safe from
// any thread.
std::vector<HWND> ShownDialogs();
// The printer dialogs of this process now shown: visible top-level dialogs with the
// printer list. Safe from any thread.
std::vector<HWND> PrinterDialogs();
// The printing box of this process now shown, or null. Safe from any thread.
HWND PrintingBox();
// A window's text, asked from another thread (empty when its thread does not answer
// within a second).
std::string WindowTextOf(HWND window);
// From a helper thread: presses OK in the next printer dialog; false when none showed.
bool AnswerPrinterDialog(DWORD ms);
// Polls from a helper thread, at most `ms`.
bool WaitFor(const std::function<bool()>& done, DWORD ms);
// The PDF printer's output folder as this program sees it (ends in a backslash), and
// the PDFs in it.
std::string PdfSpoolFolder();
std::vector<std::string> SpoolPdfs(const std::string& folder);
// The pages of a PDF written by the PDF printer; 0 while it is not complete.
int PdfPages(const std::string& path);
// Jobs of the default printer still queued by this process.
int QueuedPrintJobs();
// The preview that is the application's main window, and its page view (painted).
CMyPrintPreview* CurrentPreview();
CMyPreviewView* CurrentPreviewView();
// Starts `preview` (created, not shown) in place of `host`, as the report does.
void StartPreviewOver(CMyPrintPreview* preview, CWnd* host);

}  // namespace wintest
