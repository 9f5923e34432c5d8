// The main window's repaint with its bitmap buttons against the same window with plain
// system buttons, both on screen in the same run.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <memory>
#include <vector>

#include "bench/Bench.h"
#include "app/ReaderApp.h"
#include "res/resource.h"
#include "ui/ReaderDlg.h"

namespace {

using Clock = std::chrono::steady_clock;

const UINT kButtons[] = {IDC_SAVE, IDC_SAVE_AS, IDC_LOAD, IDC_CLEAR, IDC_START, IDC_FONT, IDC_PRINT_PREVIEW,
                         IDC_PRINT, IDC_EXIT};

std::unique_ptr<CReaderDlg> OpenMainWindow(int x)
{
    auto dlg = std::make_unique<CReaderDlg>(theApp.Context());
    dlg->Create();
    ::SetWindowPos(dlg->m_hWnd, HWND_TOP, x, 0, 0, 0, SWP_NOSIZE);
    return dlg;
}

// Gives the buttons back their own drawing: plain push buttons, rectangular windows.
void MakePlain(CReaderDlg& dlg)
{
    for (UINT id : kButtons) {
        HWND button = dlg.GetDlgItem(static_cast<int>(id));
        if (CWnd* skin = CWnd::FromHandle(button))
            skin->UnsubclassWindow();
        ::SendMessageA(button, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        ::SetWindowRgn(button, nullptr, TRUE);
    }
}

void Drain()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
}

double Micros(Clock::time_point since)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - since).count();
}

// Microseconds of one full repaint of the window and its children.
double WindowRepaint(HWND window)
{
    const auto t0 = Clock::now();
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return Micros(t0);
}

// Microseconds of repainting the nine buttons alone.
double ButtonsRepaint(HWND window)
{
    const auto t0 = Clock::now();
    for (UINT id : kButtons) {
        HWND button = ::GetDlgItem(window, static_cast<int>(id));
        ::InvalidateRect(button, nullptr, TRUE);
        ::UpdateWindow(button);
    }
    return Micros(t0);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

KORVEX_BENCH(MainWindowSkinnedVsPlainRepaint)
{
    auto skinned = OpenMainWindow(0);
    auto plain = OpenMainWindow(520);
    MakePlain(*plain);
    Drain();
    for (int i = 0; i < 20; ++i) {
        WindowRepaint(skinned->m_hWnd);
        WindowRepaint(plain->m_hWnd);
    }

    // Alternately, one of each, so that a busy moment of the machine hits both alike;
    // the medians leave such moments out.
    std::vector<double> skinnedWindow, plainWindow, skinnedButtons, plainButtons;
    for (int i = 0; i < 300; ++i) {
        skinnedWindow.push_back(WindowRepaint(skinned->m_hWnd));
        plainWindow.push_back(WindowRepaint(plain->m_hWnd));
        skinnedButtons.push_back(ButtonsRepaint(skinned->m_hWnd));
        plainButtons.push_back(ButtonsRepaint(plain->m_hWnd));
        if (i % 50 == 0)
            Drain();
    }
    const double sw = Median(skinnedWindow), pw = Median(plainWindow);
    const double sb = Median(skinnedButtons), pb = Median(plainButtons);
    std::printf("median of 300 repaints (microseconds)\n");
    std::printf("whole main window, skinned buttons: %8.1f\n", sw);
    std::printf("whole main window, plain buttons:   %8.1f   skinned/plain %.2f\n", pw, sw / pw);
    std::printf("the nine buttons alone, skinned:    %8.1f\n", sb);
    std::printf("the nine buttons alone, plain:      %8.1f   skinned/plain %.2f\n", pb, sb / pb);
}
