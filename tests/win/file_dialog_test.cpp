// The open and save dialogs of Save, Save As and Load: the folder they start in, the
// name they propose, their filter list and options, as the system is asked for them.
// The test program's own imports of the two dialog functions are pointed at a hook that
// notes the request and answers Cancel.
#include <gtest/gtest.h>

#include <windows.h>
// after windows.h, which it needs
#include <commdlg.h>

#include <memory>
#include <string>
#include <vector>

#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace file_dialog_test {

// One request as the dialog function received it.
struct Request {
    bool save = false;
    HWND owner = nullptr;
    std::vector<std::wstring> filter;  // description, pattern, description, pattern...
    DWORD filterIndex = 0;
    std::wstring file;
    DWORD maxFile = 0;
    bool hasInitialDir = false;
    std::wstring initialDir;
    std::wstring defExt;
    DWORD flags = 0;
};
std::vector<Request> g_requests;

BOOL Note(OPENFILENAMEW* ofn, bool save)
{
    Request r;
    r.save = save;
    r.owner = ofn->hwndOwner;
    for (const wchar_t* p = ofn->lpstrFilter; p && *p; p += std::wcslen(p) + 1)
        r.filter.push_back(p);
    r.filterIndex = ofn->nFilterIndex;
    r.file = ofn->lpstrFile ? ofn->lpstrFile : L"(none)";
    r.maxFile = ofn->nMaxFile;
    r.hasInitialDir = ofn->lpstrInitialDir != nullptr;
    r.initialDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : L"";
    r.defExt = ofn->lpstrDefExt ? ofn->lpstrDefExt : L"(none)";
    r.flags = ofn->Flags;
    g_requests.push_back(r);
    return FALSE;  // Cancel
}
BOOL WINAPI SaveHook(OPENFILENAMEW* ofn) { return Note(ofn, true); }
BOOL WINAPI OpenHook(OPENFILENAMEW* ofn) { return Note(ofn, false); }

std::wstring Wide(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

TEST(FileDialogs, SaveSaveAsAndLoadAskForTheirFolderNameFiltersAndOptions)
{
    ImportHook saveHook("comdlg32.dll", "GetSaveFileNameW", reinterpret_cast<void*>(&SaveHook));
    ImportHook openHook("comdlg32.dll", "GetOpenFileNameW", reinterpret_cast<void*>(&OpenHook));
    ASSERT_TRUE(saveHook.Hooked() && openHook.Hooked());

    // The program's folder and the output file's folder, apart and with a name outside
    // every code page; so is the output file's own name.
    TempDir dir;
    ::CreateDirectoryA(dir.File("prog").c_str(), nullptr);
    ResetTestApp({"COM1"}, dir.File("prog\\"));
    const std::string outputFolder = dir.File("Dati \xCE\xA9\\");
    const std::wstring outputFolderW = Wide(dir.Path()) + L"Dati \u03A9\\";
    ::CreateDirectoryW(outputFolderW.c_str(), nullptr);

    auto dlg = std::make_unique<CReaderDlg>(TestApp());
    ASSERT_TRUE(dlg->Create());
    DialogWatcher watcher;  // nothing may be left waiting for an operator
    const struct {
        int command;
        std::string outputFile;
        bool save;
        bool hasInitialDir;
        std::wstring initialDir;
        std::wstring file;
    } cases[] = {
        {1010, "", true, true, Wide(dir.File("prog\\")), L"Out.txt"},
        {1010, outputFolder + "Rec \xCE\xA9" "7.txt", true, true, outputFolderW, L"Out.txt"},
        {1011, "", false, true, Wide(dir.File("prog\\")), L"Out.txt"},
        {1011, outputFolder + "Rec \xCE\xA9" "7.txt", false, true, outputFolderW, L"Rec \u03A9" L"7.txt"},
        {1009, "", true, false, L"", L"Out.txt"},  // Save without an output file: the system's folder
    };
    const std::vector<std::wstring> filter = {L"Text File (*.txt)", L"*.txt;", L"All File (*.*)", L"*.*"};
    const DWORD options = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                          OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.command) + " with \"" + c.outputFile + "\"");
        TestApp().m_settings.outputFile = c.outputFile;
        g_requests.clear();
        ::SendMessageA(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(c.command, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dlg->m_hWnd, c.command)));
        ASSERT_EQ(g_requests.size(), 1u);
        const Request& r = g_requests[0];
        EXPECT_EQ(r.save, c.save);
        EXPECT_EQ(r.owner, dlg->m_hWnd);
        EXPECT_EQ(r.hasInitialDir, c.hasInitialDir);
        EXPECT_EQ(r.initialDir, c.initialDir);
        EXPECT_EQ(r.file, c.file);
        EXPECT_EQ(r.maxFile, 260u);
        EXPECT_EQ(r.filter, filter);
        EXPECT_EQ(r.filterIndex, 1u);
        EXPECT_EQ(r.defExt, L"txt");
        EXPECT_EQ(r.flags, options);
        EXPECT_EQ(TestApp().m_settings.outputFile, c.outputFile) << "a cancelled dialog changes nothing";
    }
    dlg.reset();
    ::RemoveDirectoryW(outputFolderW.c_str());
    ::RemoveDirectoryA(dir.File("prog").c_str());
}

}  // namespace file_dialog_test
