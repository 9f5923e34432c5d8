// Shortened display of the output file path.
#include "ui/OutputPathBox.h"

#include "ui/OutputFile.h"

void ShowOutputPath(HWND control, const std::string& path)
{
    if (!control)
        return;
    std::string shown;
    if (!path.empty()) {
        RECT rc;
        ::GetClientRect(control, &rc);
        HDC dc = ::GetDC(control);
        HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0)));
        auto width = [dc](const std::string& text) {
            RECT r = {0, 0, 0, 0};
            ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
                        DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
            return static_cast<int>(r.right - r.left);
        };
        shown = ShortenPath(path, (rc.right - rc.left) - 3, width);
        ::SelectObject(dc, oldFont);
        ::ReleaseDC(control, dc);
    }
    // Painting calls this every time: leave an unchanged text alone so the box does
    // not flicker.
    char current[1024] = "";
    ::GetWindowTextA(control, current, sizeof current);
    if (shown != current)
        ::SetWindowTextA(control, shown.c_str());
}
