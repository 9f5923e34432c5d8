// Window placement read from and written to the application's registry profile.
#include "ui/WindowPlacementStore.h"

#include <type_traits>
#include <vector>

#include "fw/App.h"
#include "fw/Gdi.h"
#include "core/DpiScale.h"
#include "core/WindowRectMath.h"

namespace {
// Calls fn(value name, field) for the ten stored fields, in the order they are read
// and written (left and right before top and bottom).
template <typename Record, typename Fn>
void ForEachValue(Record& wp, Fn fn)
{
    fn("wp.showCmd", wp.showCmd);
    fn("wp.flags", wp.flags);
    fn("wp.ptMinPosition.x", wp.ptMinPosition.x);
    fn("wp.ptMinPosition.y", wp.ptMinPosition.y);
    fn("wp.ptMaxPosition.x", wp.ptMaxPosition.x);
    fn("wp.ptMaxPosition.y", wp.ptMaxPosition.y);
    fn("wp.left", wp.rcNormalPosition.left);
    fn("wp.right", wp.rcNormalPosition.right);
    fn("wp.top", wp.rcNormalPosition.top);
    fn("wp.bottom", wp.rcNormalPosition.bottom);
}

// Stored after the ten: older placements lack it.
const char kDpiValue[] = "wp.dpi";

// Adds one monitor's rectangle to the list.
BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list)
{
    if (rect)
        reinterpret_cast<std::vector<WindowRect>*>(list)->push_back(ToWindowRect(*rect));
    return TRUE;
}

// Every monitor of the desktop, in desktop coordinates.
std::vector<WindowRect> MonitorRects()
{
    std::vector<WindowRect> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        WindowRect primary;
        primary.right = ::GetSystemMetrics(SM_CXSCREEN);
        primary.bottom = ::GetSystemMetrics(SM_CYSCREEN);
        monitors.push_back(primary);
    }
    return monitors;
}
}  // namespace

WindowPlacementStore::WindowPlacementStore() : WINDOWPLACEMENT()
{
    length = sizeof(WINDOWPLACEMENT);
    showCmd = SW_SHOWNORMAL;
}

void WindowPlacementStore::LoadPlacement(const char* section)
{
    const CWinApp* app = AfxGetApp();
    if (!app)
        return;
    ForEachValue(*this, [&](const char* name, auto& field) {
        using Field = std::remove_reference_t<decltype(field)>;
        field = static_cast<Field>(app->GetProfileInt(section, name, static_cast<int>(field)));
    });
    dpi = static_cast<int>(app->GetProfileInt(section, kDpiValue, dpi));
}

void WindowPlacementStore::SavePlacement(const char* section) const
{
    const CWinApp* app = AfxGetApp();
    if (!app)
        return;
    ForEachValue(*this, [&](const char* name, const auto& field) {
        app->WriteProfileInt(section, name, static_cast<int>(field));
    });
    app->WriteProfileInt(section, kDpiValue, dpi);
}

bool RestoreWindowPlacement(WindowPlacementStore& record, const char* section, HWND window)
{
    record.LoadPlacement(section);
    const WindowRect scaled = ScaleRectForDpi(ToWindowRect(record.rcNormalPosition), record.dpi, WindowDpi(window));
    record.rcNormalPosition = RECT{scaled.left, scaled.top, scaled.right, scaled.bottom};
    // The title bar: the sizing frame and the caption above the client area.
    const int titleBar = ::GetSystemMetrics(SM_CYCAPTION) + ::GetSystemMetrics(SM_CYSIZEFRAME);
    if (!PlacementFitsDesktop(ToWindowRect(record.rcNormalPosition), MonitorRects(), titleBar))
        return false;
    // A hand-edited show state that would hide the window (or means nothing) would
    // leave the program running with no window to close it by.
    if (record.showCmd == SW_HIDE || record.showCmd > SW_MAX)
        record.showCmd = SW_SHOWNORMAL;
    return ::SetWindowPlacement(window, &record) != FALSE;
}

void StoreWindowPlacement(WindowPlacementStore& record, const char* section, HWND window)
{
    record.length = sizeof(WINDOWPLACEMENT);
    record.dpi = WindowDpi(window);
    if (::GetWindowPlacement(window, &record))
        record.SavePlacement(section);
}
