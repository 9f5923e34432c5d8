// Common file dialogs for the output text file.
#include "ui/FileDialog.h"

#include "fw/App.h"

#include <commdlg.h>
#include <cstdio>

bool ShowFileDialog(HWND owner, FileDialogKind kind, const std::string& fileName, const std::string& initialDir,
                    std::string& chosenPath)
{
    static const char kFilter[] = "Text File (*.txt)\0*.txt;\0All File (*.*)\0*.*\0";
    char file[MAX_PATH] = "";
    std::snprintf(file, sizeof file, "%s", fileName.c_str());

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    // The top-level window of the owner given (a control stands for its window), so
    // that the window it was asked from is disabled while it is open.
    ofn.hwndOwner = AfxGetModalOwner(owner);
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrDefExt = "txt";
    // The open dialog takes the same options, so it accepts a name that does not
    // exist; reading that file then fails and says so.
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                OFN_OVERWRITEPROMPT;
    const BOOL ok = kind == FileDialogKind::Save ? ::GetSaveFileNameA(&ofn) : ::GetOpenFileNameA(&ofn);
    if (!ok)
        return false;
    chosenPath = file;
    return true;
}
