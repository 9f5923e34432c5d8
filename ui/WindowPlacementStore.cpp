// Window placement read from and written to the application's registry profile.
#include "ui/WindowPlacementStore.h"

#include <type_traits>

#include "fw/App.h"
#include "ui/WindowRectMath.h"

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
}

void WindowPlacementStore::SavePlacement(const char* section) const
{
    const CWinApp* app = AfxGetApp();
    if (!app)
        return;
    ForEachValue(*this, [&](const char* name, const auto& field) {
        app->WriteProfileInt(section, name, static_cast<int>(field));
    });
}

bool RestoreWindowPlacement(WindowPlacementStore& record, const char* section, HWND window)
{
    record.LoadPlacement(section);
    if (!OverlapsScreen(ToWindowRect(record.rcNormalPosition), ::GetSystemMetrics(SM_CXSCREEN),
                        ::GetSystemMetrics(SM_CYSCREEN)))
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
    if (::GetWindowPlacement(window, &record))
        record.SavePlacement(section);
}
