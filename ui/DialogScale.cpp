// The main window's display scale, its controls' font for it and the size grip.
#include "ui/DialogScale.h"

#include "fw/Gdi.h"

namespace {
// Windows 10 from 1703 on would resize the dialog and its fonts by itself on a change
// of scale, and relay its controls from the template; the window does all of that
// itself, from its anchoring. Found at run time: older systems lack it.
void KeepDialogScalingToTheWindow(HWND dialog)
{
    using SetBehavior = BOOL(WINAPI*)(HWND, int, int);
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    FARPROC proc = user32 ? ::GetProcAddress(user32, "SetDialogDpiChangeBehavior") : nullptr;
    const int disableAll = 1;  // DDC_DISABLE_ALL
    if (proc)
        reinterpret_cast<SetBehavior>(reinterpret_cast<void*>(proc))(dialog, disableAll, disableAll);
}
}  // namespace

CDialogScale::~CDialogScale()
{
    if (m_hScaledFont)
        ::DeleteObject(m_hScaledFont);
}

void CDialogScale::Attach(HWND dialog)
{
    m_hDialog = dialog;
    if (m_hScaledFont)
        ::DeleteObject(m_hScaledFont);
    m_hScaledFont = nullptr;
    m_dpi = m_naturalDpi = WindowDpi(dialog);
    m_hNaturalFont = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
    KeepDialogScalingToTheWindow(dialog);
}

TrackSize CDialogScale::MinTrackSize(int currentDpi) const
{
    // 420 x 350 at 100 %, as many pixels more as the window's scale asks for; the
    // minimum grows with the template's layout, so that no control is cut more than at
    // 100 %.
    return m_naturalDpi > 0
               ? MinTrackSizeForLayout(currentDpi, m_naturalDpi, m_naturalClient.cx, m_naturalClient.cy)
               : MinTrackSizeForDpi(currentDpi);
}

void CDialogScale::SetDpi(int dpi, HWND except)
{
    if (m_naturalDpi <= 0)
        return;
    m_dpi = dpi;
    HFONT font = m_hNaturalFont;
    HFONT made = nullptr;
    LOGFONTA lf;
    if (m_hNaturalFont && m_dpi != m_naturalDpi && ::GetObjectA(m_hNaturalFont, sizeof lf, &lf) == sizeof lf) {
        lf.lfHeight = ScaleForDpi(lf.lfHeight, m_dpi, m_naturalDpi);
        lf.lfWidth = ScaleForDpi(lf.lfWidth, m_dpi, m_naturalDpi);
        made = ::CreateFontIndirectA(&lf);
        if (made)
            font = made;
    }
    if (!font)
        return;
    for (HWND child = ::GetWindow(m_hDialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (child != except)
            ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    if (m_hScaledFont)
        ::DeleteObject(m_hScaledFont);
    m_hScaledFont = made;
}

void CDialogScale::UpdateGripRect(int currentDpi, bool invalidate)
{
    ::GetClientRect(m_hDialog, &m_gripRect);
    m_gripRect.left = m_gripRect.right - SystemMetricForDpi(SM_CXVSCROLL, currentDpi);
    m_gripRect.top = m_gripRect.bottom - SystemMetricForDpi(SM_CYHSCROLL, currentDpi);
    if (invalidate)
        InvalidateGrip();
}

void CDialogScale::InvalidateGrip() const
{
    ::InvalidateRect(m_hDialog, &m_gripRect, TRUE);
}

void CDialogScale::SetRestoredRect(HWND window, const RECT& onScreen)
{
    // The rectangle of a placement counts from the corner of the monitor's work area,
    // not the screen's.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!::GetWindowPlacement(window, &placement))
        return;
    placement.rcNormalPosition = onScreen;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (::GetMonitorInfoA(::MonitorFromRect(&onScreen, MONITOR_DEFAULTTONEAREST), &monitor))
        ::OffsetRect(&placement.rcNormalPosition, monitor.rcMonitor.left - monitor.rcWork.left,
                     monitor.rcMonitor.top - monitor.rcWork.top);
    placement.showCmd = SW_SHOWMINNOACTIVE;
    ::SetWindowPlacement(window, &placement);
}
