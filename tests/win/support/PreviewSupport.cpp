#include "support/PreviewSupport.h"

#include <dlgs.h>

#include <functional>
#include <algorithm>
#include <cstdlib>

#include "print/PrintingBox.h"
#include "support/WinTestSupport.h"

#include "fw/App.h"
#include "print/MyPrintPreview.h"

namespace wintest {

bool HasDefaultPrinter()
{
    DWORD size = 0;
    ::GetDefaultPrinterA(nullptr, &size);
    return size > 0;
}

std::vector<HWND> ShownDialogs()
{
    struct Search {
        static BOOL CALLBACK Proc(HWND hwnd, LPARAM lp)
        {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hwnd, &pid);
            char cls[32] = "";
            ::GetClassNameA(hwnd, cls, sizeof cls);
            if (pid == ::GetCurrentProcessId() && std::string(cls) == "#32770" && ::IsWindowVisible(hwnd))
                reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
            return TRUE;
        }
    };
    std::vector<HWND> found;
    ::EnumWindows(&Search::Proc, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> PrinterDialogs()
{
    std::vector<HWND> found;
    for (HWND dialog : ShownDialogs())
        if (::GetDlgItem(dialog, cmb4))
            found.push_back(dialog);
    return found;
}

HWND PrintingBox()
{
    for (HWND dialog : ShownDialogs())
        if (::GetDlgItem(dialog, IDC_PRINTING_PAGE))
            return dialog;
    return nullptr;
}

std::string WindowTextOf(HWND window)
{
    char text[256] = "";
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000,
                               &copied))
        return std::string();
    return std::string(text, copied < sizeof text ? copied : 0);
}

bool AnswerPrinterDialog(DWORD ms)
{
    if (!WaitFor([] { return !PrinterDialogs().empty(); }, ms))
        return false;
    ::Sleep(100);  // let it fill itself
    const std::vector<HWND> dialogs = PrinterDialogs();
    return !dialogs.empty() && ::PostMessageA(dialogs.front(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

bool WaitFor(const std::function<bool()>& done, DWORD ms)
{
    for (DWORD waited = 0; waited < ms; waited += 20) {
        if (done())
            return true;
        ::Sleep(20);
    }
    return done();
}

std::string PdfSpoolFolder()
{
    char user[64] = "root";
    ::GetEnvironmentVariableA("USER", user, sizeof user);
    return std::string("Z:\\var\\spool\\cups-pdf\\") + user + "\\";
}

std::vector<std::string> SpoolPdfs(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((folder + "*.pdf").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do
            names.push_back(folder + fd.cFileName);
        while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    return names;
}

int PdfPages(const std::string& path)
{
    // The page tree's count; a file still being written has none yet.
    const std::string pdf = ReadFileBytes(path);
    if (pdf.find("%%EOF") == std::string::npos)
        return 0;
    int pages = 0;
    const std::string key = "/Count ";
    for (size_t at = pdf.find(key); at != std::string::npos; at = pdf.find(key, at + 1))
        pages = std::max(pages, std::atoi(pdf.c_str() + at + key.size()));
    return pages;
}

int QueuedPrintJobs()
{
    char name[256] = "";
    DWORD size = sizeof name;
    HANDLE printer = nullptr;
    if (!::GetDefaultPrinterA(name, &size) || !::OpenPrinterA(name, &printer, nullptr))
        return -1;
    DWORD needed = 0, jobs = 0;
    ::EnumJobsA(printer, 0, 100, 1, nullptr, 0, &needed, &jobs);
    std::string buffer(needed ? needed : 1, '\0');
    if (needed && !::EnumJobsA(printer, 0, 100, 1, reinterpret_cast<BYTE*>(&buffer[0]), needed, &needed, &jobs))
        jobs = 0;
    ::ClosePrinter(printer);
    return static_cast<int>(jobs);
}

CMyPrintPreview* CurrentPreview()
{
    CWinApp* app = AfxGetApp();
    return app ? dynamic_cast<CMyPrintPreview*>(app->m_pMainWnd) : nullptr;
}

CMyPreviewView* CurrentPreviewView()
{
    CMyPrintPreview* preview = CurrentPreview();
    CMyPreviewView* view = preview ? preview->View() : nullptr;
    if (view)
        ::UpdateWindow(view->m_hWnd);
    return view;
}

void StartPreviewOver(CMyPrintPreview* preview, CWnd* host)
{
    ::ShowWindow(host->m_hWnd, SW_HIDE);
    preview->SetHostWindow(host);
    AfxGetApp()->m_pMainWnd = preview;
    ::ShowWindow(preview->m_hWnd, SW_SHOW);
    preview->StartPreview();
}

}  // namespace wintest
