// Shortened display of the output file path.
#include "ui/OutputPathBox.h"

#include <climits>

#include "core/DpiScale.h"
#include "core/OutputFile.h"
#include "core/PathText.h"
#include "fw/Gdi.h"

namespace {
// A cut that leaves part of a character at the front is no candidate: its remains would
// show as a stray sign. (In a whole UTF-8 path no "..." is followed by a continuation
// byte, so the cut is the only place where one can be.)
bool CutInsideCharacter(const std::string& text)
{
    for (size_t at = text.find("..."); at != std::string::npos; at = text.find("...", at + 1)) {
        if (at + 3 < text.size() && (static_cast<unsigned char>(text[at + 3]) & 0xC0) == 0x80)
            return true;
    }
    return false;
}
}  // namespace

std::string ShortenUtf8Path(const std::string& path, int limit,
                            const std::function<int(const std::string&)>& measureWidth)
{
    return ShortenPath(path, limit, [&measureWidth](const std::string& text) {
        return CutInsideCharacter(text) ? INT_MAX : measureWidth(text);
    });
}

void ShowOutputPath(HWND control, const std::string& path)
{
    if (!control)
        return;
    std::string shown;
    if (!path.empty()) {
        RECT rc;
        ::GetClientRect(control, &rc);
        CClientDC client(control);
        HDC dc = client.Dc();
        CSelectObject font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
        auto width = [dc](const std::string& text) {
            const std::wstring wide = WidePath(text);
            RECT r = {0, 0, 0, 0};
            ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r,
                        DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
            return static_cast<int>(r.right - r.left);
        };
        shown = ShortenUtf8Path(path, (rc.right - rc.left) - ScaleForDpi(3, WindowDpi(control)), width);
    }
    // The wide text: the path reads as it is named, whatever the code page. (The box is
    // a plain static control of the dialog, with no procedure of ours in between that
    // would take the text through the code page.)
    const std::wstring text = WidePath(shown);
    // Painting calls this every time: leave an unchanged text alone so the box does
    // not flicker.
    const int length = ::GetWindowTextLengthW(control);
    std::wstring current(length > 0 ? length + 1 : 1, L'\0');
    current.resize(::GetWindowTextW(control, &current[0], static_cast<int>(current.size())));
    if (text != current)
        ::SetWindowTextW(control, text.c_str());
}
