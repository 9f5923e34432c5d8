// Printing a large report: the preview's first page against its last page of a
// 100 000-line report (paging must not depend on the page number), and printing to the
// default printer (a PDF printer on the test machines) against the page count.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "bench/Bench.h"
#include "controls/DataView.h"
#include "print/MyPrintPreview.h"
#include "print/MyReport.h"
#include "res/resource.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

bool HasDefaultPrinter()
{
    DWORD size = 0;
    ::GetDefaultPrinterA(nullptr, &size);
    return size > 0;
}

// A view holding the report's lines, as the main window's.
struct ReportHost {
    HWND frame = nullptr;
    CDataView view;
    CMyReport report;
    explicit ReportHost(int lines)
    {
        frame = ::CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 600, 500, nullptr, nullptr,
                                  nullptr, nullptr);
        HWND child = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 560, 400, frame,
                                       reinterpret_cast<HMENU>(1000), nullptr, nullptr);
        view.SubclassWindow(child);
        view.SetListMode(true);
        view.SetListFont(DataViewFont());
        report.SetDocumentName("Korvex bench");
        report.SetHeader("", "Korvex", "Pag. ", true);
        for (int i = 0; i < lines; ++i) {
            char text[80];
            std::snprintf(text, sizeof text, "%07d  IVA 22%%  IMPONIBILE %12d,%02d", i, i * 7 % 100000, i % 100);
            view.AddLine(text, false);
        }
    }
    ~ReportHost() { ::DestroyWindow(frame); }
    // Print or Print Preview, as the main window asks for them.
    void Run(bool preview)
    {
        LOGFONTA font;
        ::GetObjectA(view.GetFontHandle(), sizeof font, &font);
        report.Run(preview, view.Lines(), {}, &font, view.GetTextColor(), view.GetListFont().size);
    }
};

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Average time of one full paint of the preview, in milliseconds.
double PaintMillis(HWND view, int paints)
{
    const auto t0 = Clock::now();
    for (int i = 0; i < paints; ++i) {
        ::InvalidateRect(view, nullptr, FALSE);
        ::UpdateWindow(view);
    }
    return Seconds(t0) * 1e3 / paints;
}

// The PDF printer's output folder as this program sees it, or empty.
std::string SpoolFolder()
{
    char user[64] = "root";
    ::GetEnvironmentVariableA("USER", user, sizeof user);
    const std::string folder = std::string("Z:\\var\\spool\\cups-pdf\\") + user + "\\";
    return ::GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES ? folder : std::string();
}

void ClearPdfs(const std::string& folder)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((folder + "*.pdf").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do
        ::DeleteFileA((folder + fd.cFileName).c_str());
    while (::FindNextFileA(h, &fd));
    ::FindClose(h);
}

// Waits until the PDF is written completely: present, not empty, no longer growing.
bool WaitForPdf(const std::string& folder, double timeoutSeconds)
{
    const auto t0 = Clock::now();
    long long last = -1;
    int stable = 0;
    while (Seconds(t0) < timeoutSeconds) {
        WIN32_FIND_DATAA fd;
        HANDLE h = ::FindFirstFileA((folder + "*.pdf").c_str(), &fd);
        long long size = -1;
        if (h != INVALID_HANDLE_VALUE) {
            size = (static_cast<long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
            ::FindClose(h);
        }
        stable = size > 0 && size == last ? stable + 1 : 0;
        if (stable >= 5)
            return true;
        last = size;
        ::Sleep(100);
    }
    return false;
}

// Presses OK in the printer dialog from another thread.
struct PrinterDialogAnswer {
    std::atomic<bool> stop{false};
    std::thread thread{[this] {
        while (!stop) {
            HWND dialog = ::FindWindowA("#32770", nullptr);
            DWORD pid = 0;
            if (dialog)
                ::GetWindowThreadProcessId(dialog, &pid);
            if (dialog && pid == ::GetCurrentProcessId() && ::IsWindowVisible(dialog)) {
                ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return;
            }
            ::Sleep(10);
        }
    }};
    ~PrinterDialogAnswer()
    {
        stop = true;
        thread.join();
    }
};

}  // namespace

KORVEX_BENCH(PreviewFirstAndLastPage)
{
    if (!HasDefaultPrinter()) {
        std::printf("skipped: no default printer\n");
        return;
    }
    ReportHost host(100000);
    const auto t0 = Clock::now();
    host.Run(true);
    Pump();
    HWND frameWnd = ::FindWindowA(nullptr, "Print Preview");
    auto* frame = dynamic_cast<CMyPrintPreview*>(CWnd::FromHandle(frameWnd));
    CMyPreviewView* preview = frame ? frame->View() : nullptr;
    if (!preview) {
        std::printf("the preview did not open\n");
        return;
    }
    ::UpdateWindow(preview->m_hWnd);
    const double open = Seconds(t0);
    const UINT last = preview->GetLastPage();
    const double first = PaintMillis(preview->m_hWnd, 20);
    ::SendMessageA(preview->m_hWnd, WM_VSCROLL, SB_BOTTOM, 0);
    const double atLast = PaintMillis(preview->m_hWnd, 20);
    const UINT current = preview->GetCurrentPage();
    // Paging forward from the first page to the second, and from the last but one.
    ::SendMessageA(preview->m_hWnd, WM_VSCROLL, SB_TOP, 0);
    auto t1 = Clock::now();
    for (int i = 0; i < 20; ++i) {
        ::SendMessageA(frameWnd, WM_COMMAND, MAKEWPARAM(ID_PREVIEW_NEXT, 0), 0);
        ::UpdateWindow(preview->m_hWnd);
    }
    const double forwardEarly = Seconds(t1) * 1e3 / 20;
    ::SendMessageA(preview->m_hWnd, WM_VSCROLL, SB_BOTTOM, 0);
    for (int i = 0; i < 21; ++i)
        ::SendMessageA(frameWnd, WM_COMMAND, MAKEWPARAM(ID_PREVIEW_PREV, 0), 0);
    t1 = Clock::now();
    for (int i = 0; i < 20; ++i) {
        ::SendMessageA(frameWnd, WM_COMMAND, MAKEWPARAM(ID_PREVIEW_NEXT, 0), 0);
        ::UpdateWindow(preview->m_hWnd);
    }
    const double forwardLate = Seconds(t1) * 1e3 / 20;
    std::printf("100000 lines, %u pages: preview opens in %.0f ms\n", last, open * 1e3);
    std::printf("paint of page 1: %.2f ms, of page %u: %.2f ms (ratio %.2f)\n", first, current, atLast,
                atLast / first);
    std::printf("next page near the start: %.2f ms, near the end: %.2f ms (ratio %.2f)\n", forwardEarly, forwardLate,
                forwardLate / forwardEarly);
    ::SendMessageA(frameWnd, WM_COMMAND, MAKEWPARAM(ID_PREVIEW_CLOSE, 0), 0);
    if (::IsWindow(frameWnd))
        ::DestroyWindow(frameWnd);
    Pump();
}

// One scroll step of a zoomed page is one repaint: the page shown does not change, only
// the part of it in view.
KORVEX_BENCH(PreviewZoomedScroll)
{
    if (!HasDefaultPrinter()) {
        std::printf("skipped: no default printer\n");
        return;
    }
    ReportHost host(3000);
    host.Run(true);
    Pump();
    HWND frameWnd = ::FindWindowA(nullptr, "Print Preview");
    auto* frame = dynamic_cast<CMyPrintPreview*>(CWnd::FromHandle(frameWnd));
    CMyPreviewView* preview = frame ? frame->View() : nullptr;
    if (!preview) {
        std::printf("the preview did not open\n");
        return;
    }
    for (int i = 0; i < 3; ++i)
        ::SendMessageA(frameWnd, WM_COMMAND, MAKEWPARAM(ID_PREVIEW_ZOOMIN, 0), 0);
    ::UpdateWindow(preview->m_hWnd);
    const int steps = 200;
    const auto t0 = Clock::now();
    for (int i = 0; i < steps; ++i) {
        // Ten steps down, ten back up: every step moves the page.
        ::SendMessageA(preview->m_hWnd, WM_VSCROLL, (i / 10) % 2 ? SB_LINEUP : SB_LINEDOWN, 0);
        ::UpdateWindow(preview->m_hWnd);
    }
    const double step = Seconds(t0) * 1e3 / steps;
    std::printf("zoom state %u, scroll step with its repaint: %.2f ms\n", preview->GetZoomState(), step);
    ::SendMessageA(frameWnd, WM_COMMAND, MAKEWPARAM(ID_PREVIEW_CLOSE, 0), 0);
    if (::IsWindow(frameWnd))
        ::DestroyWindow(frameWnd);
    Pump();
}

KORVEX_BENCH(PrintToPdfByPageCount)
{
    const std::string spool = SpoolFolder();
    if (!HasDefaultPrinter() || spool.empty()) {
        std::printf("skipped: no PDF printer\n");
        return;
    }
    const int linesPerPage = 69;  // A4, 10-point body
    for (int pages : {10, 100, 1000}) {
        ReportHost host(pages * linesPerPage);
        ClearPdfs(spool);
        const auto t0 = Clock::now();
        {
            PrinterDialogAnswer answer;
            host.Run(false);
        }
        const double spooled = Seconds(t0);
        const bool written = WaitForPdf(spool, 600);
        const double total = Seconds(t0) - 0.5;  // less the wait that shows the file complete
        std::printf("%5d pages: spooled in %6.2f s (%5.2f ms a page), PDF written after %6.2f s (%5.2f ms a page)%s\n",
                    pages, spooled, spooled * 1e3 / pages, total, total * 1e3 / pages, written ? "" : " (timed out)");
    }
}
