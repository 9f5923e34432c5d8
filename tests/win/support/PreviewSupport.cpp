#include "support/PreviewSupport.h"

#include <dlgs.h>

#include <functional>

#include "fw/App.h"
#include "print/MyPrintPreview.h"

namespace wintest {

bool HasDefaultPrinter()
{
    DWORD size = 0;
    ::GetDefaultPrinterA(nullptr, &size);
    return size > 0;
}

std::vector<HWND> PrinterDialogs()
{
    struct Search {
        static BOOL CALLBACK Proc(HWND hwnd, LPARAM lp)
        {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hwnd, &pid);
            char cls[32] = "";
            ::GetClassNameA(hwnd, cls, sizeof cls);
            if (pid == ::GetCurrentProcessId() && std::string(cls) == "#32770" && ::IsWindowVisible(hwnd) &&
                ::GetDlgItem(hwnd, cmb4))
                reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
            return TRUE;
        }
    };
    std::vector<HWND> found;
    ::EnumWindows(&Search::Proc, reinterpret_cast<LPARAM>(&found));
    return found;
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
