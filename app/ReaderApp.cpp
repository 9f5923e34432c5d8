// Start-up and shutdown of the program.
#include "app/ReaderApp.h"

#include <commctrl.h>
#include <cstdio>
#include <memory>
#include <new>

#include "core/AppSettings.h"
#include "core/PathParts.h"
#include "core/UiText.h"
#include "core/PathText.h"
#include "link/CommLibrary.h"
#include "ui/ReaderDlg.h"

CReaderApp theApp;

namespace {
const char kLibraryName[] = "Quorlink.dll";
const int kPortBufferSize = 65536;
const int kFallbackPortCount = 50;

std::string ComPortName(int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "COM%d", number);
    return name;
}
}  // namespace

std::string CReaderApp::GetProgramDirectory()
{
    // A long buffer: a module path beyond 260 characters would otherwise come back
    // cut off and give a directory that does not exist.
    // The wide name, as UTF-8: the ANSI one would put a look-alike (or '?') in place of
    // a character outside the code page, and name another folder or none.
    std::wstring path(32768, L'\0');
    DWORD n = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    path.resize(n < path.size() ? n : 0);
    return DirectoryPart(PathFromWide(path));
}

bool CReaderApp::EnumerateComPorts(CommLibrary& library, std::vector<std::string>& list)
{
    list.clear();
    if (!library.IsLoaded())
        return false;
    std::unique_ptr<int[]> ports(new (std::nothrow) int[kPortBufferSize]());
    if (!ports)
        return false;
    int count = kPortBufferSize;
    library.GetCOM_Installed(ports.get(), &count);
    // A library reporting more than the buffer holds is not trusted beyond it.
    if (count > kPortBufferSize)
        count = kPortBufferSize;
    for (int i = 0; i < count; ++i)
        list.push_back(ComPortName(ports[i]));
    return true;
}

BOOL CReaderApp::StartUp()
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);

    AppContext& c = m_context;
    SetRegistryKey(("Velto\\Korvex_v." + c.m_version).c_str());
    c.m_programDir = GetProgramDirectory();
    c.m_configFilePath = c.m_programDir + "Korvex_Config.txt";
    c.m_settings.languageFile = c.m_programDir + "Korvex_Language_Eng.txt";
    LoadSettings(c.m_configFilePath, c.m_settings, c.m_programDir);
    c.m_uiText.LoadLanguage(c.m_settings.languageFile);

    if (!c.m_commLibrary.LoadDll(kLibraryName)) {
        AfxMessageBox("ERROR LOAD DLL", MB_OK);
        return FALSE;
    }
    c.m_commLibrary.SetInterface(3, 0);
    if (!EnumerateComPorts(c.m_commLibrary, c.m_comPortList)) {
        for (int i = 1; i <= kFallbackPortCount; ++i)
            c.m_comPortList.push_back(ComPortName(i));
    }

    {
        CReaderDlg dlg(c);
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}

int CReaderApp::ExitInstance()
{
    AppContext& c = m_context;
    if (c.m_commLibrary.IsLoaded())
        c.m_commLibrary.Close(0);
    std::vector<std::string> notKept;
    SaveSettings(c.m_configFilePath, c.m_settings, c.m_programDir, &notKept);
    if (!notKept.empty())
        AfxMessageBox(NotRememberedMessage(notKept).c_str(), MB_OK | MB_ICONWARNING);
    return CWinApp::ExitInstance();
}
