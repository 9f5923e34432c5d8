// Drives a running Korvex window from a script: clicks its buttons, picks list items,
// answers its message boxes and closes it. Used by the demonstration run and the
// end-to-end tests.
//
//   korvexctl wait-window SECONDS      wait until the main window exists
//   korvexctl click ID                 press button ID (posted, so modal boxes can't block)
//   korvexctl select ID INDEX          choose item INDEX of drop-down list ID
//   korvexctl text ID                  print the text of control ID
//   korvexctl wtext ID                 print the text of control ID in UTF-8
//   korvexctl answer yes|no|ok SECONDS answer the next message box; prints its text
//                                      and returns once the box is gone
//   korvexctl dialog ok|cancel SECONDS [FILE]
//                                      answer the next other dialog (printer, file):
//                                      types FILE into a file dialog's name first
//                                      (any characters: it is taken from the wide
//                                      command line), or chooses the printer FILE in
//                                      the printer dialog; returns once the dialog
//                                      is gone or shows a message box
//   korvexctl print-dialog all|selection|FROM-TO SECONDS
//                                      answer the next printer dialog with OK, printing
//                                      every page, the Selection or pages FROM to TO;
//                                      prints "selection" or "no selection": whether
//                                      the dialog offered it (fails when asked for it
//                                      and it was not)
//   korvexctl mark ROW [ctrl|shift|ctrl+shift]
//                                      click the line view's row ROW (from the top row,
//                                      in the view's default font) with those keys down
//   korvexctl visible                  print 1 when the main window is shown, else 0
//   korvexctl close                    the Cancel command (Esc)
//   korvexctl close-window TITLE SECONDS
//                                      close the program's shown window of that title
//                                      (the print preview) as its close box would
//   korvexctl wait-exit SECONDS        wait until the main window is gone
//   korvexctl version FILE             print FILE's product name, product version and
//                                      file version numbers ("Korvex 1.0 1.0.0.0")
//   korvexctl kill                     end the program at once (TerminateProcess), as a crash would
//   korvexctl clipboard                print the clipboard's text as it stands (needs no window)
#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../core/LineHeightSample.h"

namespace {

// The height of a row of the line view in its default font (Courier New, 10 points),
// measured as the view measures it, at the screen's scale.
int ViewRowHeight()
{
    HDC dc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    HFONT font = ::CreateFontA(-(10 * dpi / 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               "Courier New");
    HGDIOBJ old = ::SelectObject(dc, font);
    RECT r = {0, 0, 0, 0};
    ::DrawTextA(dc, kLineHeightSample, -1, &r, DT_CALCRECT);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::ReleaseDC(nullptr, dc);
    return r.bottom - r.top + (2 * dpi + 48) / 96;
}

BOOL CALLBACK FindMainProc(HWND hwnd, LPARAM lp)
{
    char cls[32] = "", title[64] = "";
    ::GetClassNameA(hwnd, cls, sizeof cls);
    ::GetWindowTextA(hwnd, title, sizeof title);
    // "Korvex", or "Korvex - " and what a run or a loaded file adds to it.
    const bool named = std::strcmp(title, "Korvex") == 0 || std::strncmp(title, "Korvex - ", 9) == 0;
    if (std::strcmp(cls, "#32770") == 0 && named && ::GetDlgItem(hwnd, 1000)) {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindMainWindow()
{
    HWND found = nullptr;
    ::EnumWindows(FindMainProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A shown dialog of the process: a message box (it has the static 0xFFFF), or any
// other dialog that is not the main window (printer, file).
struct BoxSearch {
    DWORD pid;
    bool messageBox;
    HWND found;
};

BOOL CALLBACK FindBoxProc(HWND hwnd, LPARAM lp)
{
    auto* c = reinterpret_cast<BoxSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    char cls[32] = "";
    ::GetClassNameA(hwnd, cls, sizeof cls);
    if (pid != c->pid || std::strcmp(cls, "#32770") != 0 || !::IsWindowVisible(hwnd))
        return TRUE;
    const bool isBox = ::GetDlgItem(hwnd, 0xFFFF) != nullptr;
    if (c->messageBox ? !isBox : (isBox || ::GetDlgItem(hwnd, 1000)))
        return TRUE;
    c->found = hwnd;
    return FALSE;
}

HWND FindDialog(DWORD processId, bool messageBox)
{
    BoxSearch search{processId, messageBox, nullptr};
    ::EnumWindows(FindBoxProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Fn>
bool WaitFor(double seconds, Fn done)
{
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > static_cast<DWORD>(seconds * 1000))
            return false;
        ::Sleep(20);
    }
    return true;
}

int Fail(const char* what)
{
    std::fprintf(stderr, "korvexctl: %s\n", what);
    return 1;
}

// Reads the version resource as Windows' file properties show it: the strings of the
// file's first listed language and code page, and the fixed numbers.
int PrintVersion(const char* path)
{
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return Fail("no version resource");
    std::string data(size, '\0');
    if (!::GetFileVersionInfoA(path, 0, size, &data[0]))
        return Fail("version resource unreadable");
    void* p = nullptr;
    UINT len = 0;
    if (!::VerQueryValueA(data.data(), "\\", &p, &len) || len < sizeof(VS_FIXEDFILEINFO))
        return Fail("no fixed version numbers");
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(p);
    if (!::VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &p, &len) || len < 4)
        return Fail("no language of the version strings");
    const WORD* lang = static_cast<const WORD*>(p);
    auto text = [&](const char* name) -> std::string {
        char key[64];
        std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s", lang[0], lang[1], name);
        void* value = nullptr;
        UINT chars = 0;
        return ::VerQueryValueA(data.data(), key, &value, &chars) && chars > 0 ? static_cast<const char*>(value) : "?";
    };
    std::printf("%s %s %d.%d.%d.%d\n", text("ProductName").c_str(), text("ProductVersion").c_str(),
                HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Fail("usage: korvexctl wait-window|click|select|text|title|wait-title|answer|close|wait-exit|version|kill|clipboard|rect ...");
    const std::string cmd = argv[1];
    const double seconds = argc > 2 ? std::atof(argv[argc - 1]) : 10;

    if (cmd == "wait-window")
        return WaitFor(seconds, [] { return FindMainWindow() != nullptr; }) ? 0 : Fail("no Korvex window");
    if (cmd == "wait-exit")
        return WaitFor(seconds, [] { return FindMainWindow() == nullptr; }) ? 0 : Fail("Korvex is still open");
    if (cmd == "version" && argc > 2)
        return PrintVersion(argv[2]);
    if (cmd == "clipboard") {
        if (!::OpenClipboard(nullptr))
            return Fail("clipboard busy");
        HANDLE data = ::GetClipboardData(CF_TEXT);
        const char* text = data ? static_cast<const char*>(::GlobalLock(data)) : nullptr;
        if (text) {
            _setmode(_fileno(stdout), _O_BINARY);  // the text's own CR LF, unchanged
            std::fwrite(text, 1, std::strlen(text), stdout);
            ::GlobalUnlock(data);
        }
        ::CloseClipboard();
        return text ? 0 : Fail("no text on the clipboard");
    }

    HWND main = FindMainWindow();
    if (!main)
        return Fail("no Korvex window");

    // The title, or a wait until it holds a text ("quiet for", "stopped").
    if (cmd == "title") {
        char text[512] = "";
        ::GetWindowTextA(main, text, sizeof text);
        std::printf("%s\n", text);
        return 0;
    }
    if (cmd == "wait-title" && argc > 3) {
        const std::string part = argv[2];
        return WaitFor(seconds,
                       [&] {
                           char text[512] = "";
                           ::GetWindowTextA(main, text, sizeof text);
                           return std::strstr(text, part.c_str()) != nullptr;
                       })
                   ? 0
                   : Fail(("the title never held " + part).c_str());
    }
    if (cmd == "click" && argc > 2) {
        const int id = std::atoi(argv[2]);
        ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(main, id)));
        return 0;
    }
    if (cmd == "select" && argc > 3) {
        const int id = std::atoi(argv[2]);
        HWND combo = ::GetDlgItem(main, id);
        ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(argv[3])), 0);
        ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
        return 0;
    }
    if (cmd == "text" && argc > 2) {
        char text[4096] = "";
        ::GetDlgItemTextA(main, std::atoi(argv[2]), text, sizeof text);
        std::printf("%s\n", text);
        return 0;
    }
    if (cmd == "wtext" && argc > 2) {
        wchar_t text[4096] = L"";
        ::GetDlgItemTextW(main, std::atoi(argv[2]), text, 4096);
        char utf8[16384] = "";
        ::WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        std::printf("%s\n", utf8);
        return 0;
    }
    if (cmd == "kill") {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(main, &pid);
        HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process || !::TerminateProcess(process, 1))
            return Fail("cannot end the program");
        ::WaitForSingleObject(process, 10000);
        ::CloseHandle(process);
        return 0;
    }
    if (cmd == "rect") {  // the window's place on the screen: left top width height
        RECT r;
        ::GetWindowRect(main, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (cmd == "visible") {
        std::printf("%d\n", ::IsWindowVisible(main) ? 1 : 0);
        return 0;
    }
    if (cmd == "dialog" && argc > 3) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(main, &pid);
        HWND dialog = nullptr;
        if (!WaitFor(std::atof(argv[3]), [&] { return (dialog = FindDialog(pid, false)) != nullptr; }))
            return Fail("no dialog");
        ::Sleep(200);  // let the dialog fill itself
        if (argc > 4) {
            int count = 0;
            LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
            if (!wide || count < 5)
                return Fail("no file name");
            const auto text = reinterpret_cast<LPARAM>(wide[4]);
            if (HWND printers = ::GetDlgItem(dialog, 0x473)) {  // the printer dialog's list
                const LRESULT at = ::SendMessageW(printers, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text);
                if (at == CB_ERR)
                    return Fail("no such printer");
                ::SendMessageW(printers, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
                ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(0x473, CBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(printers));
            } else {
                // The file name box of the explorer-style and the old-style file dialogs.
                HWND name = ::GetDlgItem(dialog, 0x47C) ? ::GetDlgItem(dialog, 0x47C) : ::GetDlgItem(dialog, 0x480);
                if (!name)
                    return Fail("not a file dialog");
                ::SendMessageW(name, WM_SETTEXT, 0, text);
            }
            ::LocalFree(wide);
        }
        const int button = std::strcmp(argv[2], "ok") == 0 ? IDOK : IDCANCEL;
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        // Taken once the dialog is gone, or asks first (a file there to replace).
        return WaitFor(5, [&] { return !::IsWindow(dialog) || FindDialog(pid, true); }) ? 0
                                                                                         : Fail("the dialog stays");
    }
    if (cmd == "print-dialog" && argc > 3) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(main, &pid);
        HWND dialog = nullptr;
        if (!WaitFor(std::atof(argv[3]), [&] {
                return (dialog = FindDialog(pid, false)) != nullptr && ::GetDlgItem(dialog, 0x473);
            }))
            return Fail("no printer dialog");
        ::Sleep(200);
        // The range buttons All, Selection and Pages, and the From and To boxes.
        const int all = 0x420, selection = 0x421, pages = 0x422, from = 0x480, to = 0x481;
        const bool offered = ::IsWindowEnabled(::GetDlgItem(dialog, selection));
        std::printf("%s\n", offered ? "selection" : "no selection");
        const std::string range = argv[2];
        int first = 0, last = 0;
        int button = all;
        if (range == "selection") {
            if (!offered)
                return Fail("the dialog offers no selection");
            button = selection;
        } else if (std::sscanf(range.c_str(), "%d-%d", &first, &last) == 2) {
            button = pages;
            ::SetDlgItemInt(dialog, from, static_cast<UINT>(first), FALSE);
            ::SetDlgItemInt(dialog, to, static_cast<UINT>(last), FALSE);
        }
        ::CheckRadioButton(dialog, all, pages, button);
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return 0;
    }
    if (cmd == "mark" && argc > 2) {
        HWND view = ::GetDlgItem(main, 1000);
        const int height = ViewRowHeight();
        const int y = std::atoi(argv[2]) * height + height / 2;
        const std::string keys = argc > 3 ? argv[3] : "";
        const WPARAM flags = MK_LBUTTON | (keys.find("ctrl") != std::string::npos ? MK_CONTROL : 0) |
                             (keys.find("shift") != std::string::npos ? MK_SHIFT : 0);
        ::PostMessageA(view, WM_LBUTTONDOWN, flags, MAKELPARAM(5, y));
        // The press also starts the window's own move, which the release ends.
        ::PostMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(5, y));
        return 0;
    }
    if (cmd == "close-window" && argc > 3) {
        struct Search {
            DWORD pid;
            const char* title;
            HWND found;
            static BOOL CALLBACK Proc(HWND hwnd, LPARAM lp)
            {
                auto* s = reinterpret_cast<Search*>(lp);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(hwnd, &pid);
                char title[256] = "";
                ::GetWindowTextA(hwnd, title, sizeof title);
                if (pid == s->pid && ::IsWindowVisible(hwnd) && std::strcmp(title, s->title) == 0) {
                    s->found = hwnd;
                    return FALSE;
                }
                return TRUE;
            }
        } search{0, argv[2], nullptr};
        ::GetWindowThreadProcessId(main, &search.pid);
        if (!WaitFor(std::atof(argv[3]), [&] {
                search.found = nullptr;
                ::EnumWindows(&Search::Proc, reinterpret_cast<LPARAM>(&search));
                return search.found != nullptr;
            }))
            return Fail("no such window");
        ::PostMessageA(search.found, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    if (cmd == "close") {
        ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    if (cmd == "answer" && argc > 2) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(main, &pid);
        HWND box = nullptr;
        if (!WaitFor(seconds, [&] { return (box = FindDialog(pid, true)) != nullptr; }))
            return Fail("no message box");
        char text[1024] = "";
        ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        std::printf("%s\n", text);
        const std::string a = argv[2];
        const int button = a == "yes" ? IDYES : a == "no" ? IDNO : IDOK;
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        // Until the box is gone, a next "answer" would find this one again.
        return WaitFor(5, [&] { return !::IsWindow(box); }) ? 0 : Fail("the message box stays");
    }
    return Fail("unknown command");
}
