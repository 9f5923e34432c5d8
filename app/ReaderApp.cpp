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

std::string g_ProgramDir;
std::string g_ConfigFilePath;
std::vector<std::string> g_ComPortList;
std::vector<std::string> g_BaudRateList;

// Defined after the lists above so that they exist when its constructor fills them.
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

CReaderApp::CReaderApp()
{
    g_Settings.comPort = 1;
    g_Settings.baudRate = 9600;
    g_BaudRateList = {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "250000"};
}

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

bool CReaderApp::EnumerateComPorts()
{
    g_ComPortList.clear();
    if (!g_CommLibrary.IsLoaded())
        return false;
    std::unique_ptr<int[]> ports(new (std::nothrow) int[kPortBufferSize]());
    if (!ports)
        return false;
    int count = kPortBufferSize;
    g_CommLibrary.GetCOM_Installed(ports.get(), &count);
    // A library reporting more than the buffer holds is not trusted beyond it.
    if (count > kPortBufferSize)
        count = kPortBufferSize;
    for (int i = 0; i < count; ++i)
        g_ComPortList.push_back(ComPortName(ports[i]));
    return true;
}

BOOL CReaderApp::StartUp()
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);

    SetRegistryKey(("Velto\\Korvex_v." + g_Version).c_str());
    g_ProgramDir = GetProgramDirectory();
    g_ConfigFilePath = g_ProgramDir + "Korvex_Config.txt";
    g_Settings.languageFile = g_ProgramDir + "Korvex_Language_Eng.txt";
    LoadSettings(g_ConfigFilePath, g_Settings);
    LoadLanguage(g_Settings.languageFile);

    if (!g_CommLibrary.LoadDll(kLibraryName)) {
        AfxMessageBox("ERROR LOAD DLL", MB_OK);
        return FALSE;
    }
    g_CommLibrary.SetInterface(3, 0);
    if (!EnumerateComPorts()) {
        for (int i = 1; i <= kFallbackPortCount; ++i)
            g_ComPortList.push_back(ComPortName(i));
    }

    {
        CReaderDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}

int CReaderApp::ExitInstance()
{
    if (g_CommLibrary.IsLoaded())
        g_CommLibrary.Close(0);
    std::vector<std::string> notKept;
    SaveSettings(g_ConfigFilePath, g_Settings, g_ProgramDir, &notKept);
    if (!notKept.empty())
        AfxMessageBox(NotRememberedMessage(notKept).c_str(), MB_OK | MB_ICONWARNING);
    return CWinApp::ExitInstance();
}
