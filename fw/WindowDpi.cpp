// Window and system DPI.
#include "fw/WindowDpi.h"

#include "core/DpiScale.h"

namespace {
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Looked up once; user32 stays loaded for the life of the process.
GetDpiForWindowFn DpiForWindowEntry()
{
    static const GetDpiForWindowFn entry = [] {
        HMODULE user32 = ::GetModuleHandleA("user32.dll");
        FARPROC proc = user32 ? ::GetProcAddress(user32, "GetDpiForWindow") : nullptr;
        return reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(proc));
    }();
    return entry;
}
}  // namespace

int SystemDpi()
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return UsableDpi(dpi);
}

int WindowDpi(HWND window)
{
    if (GetDpiForWindowFn entry = DpiForWindowEntry()) {
        if (window) {
            const UINT dpi = entry(window);
            if (dpi > 0)
                return static_cast<int>(dpi);
        }
    }
    return SystemDpi();
}
