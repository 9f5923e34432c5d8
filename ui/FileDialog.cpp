// Common file dialogs for the output text file.
#include "ui/FileDialog.h"

#include "fw/App.h"

#include <commdlg.h>

#include "core/PathText.h"
#include "core/UiText.h"

namespace {
// A text of the table, in the ANSI code page, for a wide dialog.
std::wstring WideText(const std::string& text)
{
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}
}  // namespace

bool ShowFileDialog(HWND owner, FileDialogKind kind, const std::string& fileName, const std::string& initialDir,
                    std::string& chosenPath)
{
    // The wide dialogs: any file the operator can pick has a name the program keeps.
    // The filter is pairs of a name and its patterns, each ended by a 0, the list by two.
    const UiTextTable& texts = AfxGetUiText();
    std::wstring filter = WideText(texts[TXT_FILTER_TEXT_FILES]);
    filter.append(L"\0*.txt;\0", 8).append(WideText(texts[TXT_FILTER_ALL_FILES])).append(L"\0*.*\0", 6);
    wchar_t file[MAX_PATH] = L"";
    const std::wstring name = WidePath(fileName);
    name.copy(file, MAX_PATH - 1);
    const std::wstring dir = WidePath(initialDir);

    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    // The top-level window of the owner given (a control stands for its window), so
    // that the window it was asked from is disabled while it is open.
    ofn.hwndOwner = AfxGetModalOwner(owner);
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.lpstrDefExt = L"txt";
    // The open dialog takes the same options, so it accepts a name that does not
    // exist; reading that file then fails and says so.
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                OFN_OVERWRITEPROMPT;
    const BOOL ok = kind == FileDialogKind::Save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (!ok)
        return false;
    chosenPath = PathFromWide(file);
    return true;
}
