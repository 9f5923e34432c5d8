// Start-up and shutdown of the program.
#include "app/ReaderApp.h"

#include <commctrl.h>
#include <algorithm>
#include <cctype>

#include "core/AppSettings.h"
#include "core/CommandLine.h"
#include "core/PathParts.h"
#include "core/PortList.h"
#include "core/UiText.h"
#include "core/PathText.h"
#include "link/CommLibrary.h"
#include "ui/ReaderDlg.h"

CReaderApp theApp;

namespace {
const char kLibraryName[] = "Quorlink.dll";
const int kFallbackPortCount = 50;

bool SameLetters(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    return i == a.size() && !b[i];
}

std::string ListText(const std::vector<std::string>& items, const UiTextTable& texts)
{
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text.empty() ? texts[TXT_CMD_NONE] : text;
}

// The options of the command line, with the port and baud rate checked against the
// lists the window offers.
StartOptions ReadStartOptions(const AppContext& c)
{
    // Read wide and kept as UTF-8, as every path in the program is: a file name outside
    // the ANSI code page loads as it does from Load or a drop.
    const std::string whole = PathFromWide(::GetCommandLineW());
    const std::string_view tail = CommandLineTail(whole);
    StartOptions start;
    // /exit counts even beside a bad option: a bad command line then ends quietly.
    for (const std::string& arg : SplitCommandLine(tail))
        if (SameLetters(arg, "/exit"))
            start.unattended = true;
    CommandLineResult parsed = ParseCommandLine(tail, c.m_uiText);
    if (!parsed.ok) {
        start.error = parsed.error;
        return start;
    }
    start.options = parsed.options;
    const CommandLineOptions& o = start.options;
    const auto& ports = c.m_comPortList;
    if (o.port && std::find(ports.begin(), ports.end(), ComPortName(*o.port)) == ports.end()) {
        start.error = c.m_uiText.Format(TXT_CMD_PORT_ABSENT, {ComPortName(*o.port), ListText(ports, c.m_uiText)});
        return start;
    }
    const auto& bauds = c.m_baudRateList;
    if (o.baud && std::find(bauds.begin(), bauds.end(), std::to_string(*o.baud)) == bauds.end())
        start.error = c.m_uiText.Format(TXT_CMD_BAUD_ABSENT, {std::to_string(*o.baud), ListText(bauds, c.m_uiText)});
    return start;
}
}  // namespace

std::vector<std::string> PortListAtStart(CommLibrary& library)
{
    std::vector<std::string> list;
    if (!ListInstalledPorts(library, list)) {
        for (int i = 1; i <= kFallbackPortCount; ++i)
            list.push_back(ComPortName(i));
    }
    return list;
}

std::string CReaderApp::GetProgramDirectory()
{
    // The wide name, as UTF-8: the ANSI one would put a look-alike (or '?') in place of
    // a character outside the code page, and name another folder or none.
    return DirectoryPart(PathFromWide(AfxModulePath()));
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
    SetTexts(&c.m_uiText);  // the window layer's notices in the same words

    if (!c.m_commLibrary.LoadDll(kLibraryName)) {
        // Unattended, nothing can be recorded: the exit code says so without a box.
        m_unattended = ReadStartOptions(c).unattended;
        if (m_unattended)
            m_exitCode = kExitNothingArrived;
        else
            AfxMessageBox("ERROR LOAD DLL", MB_OK);
        return FALSE;
    }
    c.m_commLibrary.SetInterface(3, 0);
    c.m_comPortList = PortListAtStart(c.m_commLibrary);

    // After the port list: a port that is not in it is a bad value.
    const StartOptions start = ReadStartOptions(c);
    m_unattended = start.unattended;
    if (!start.error.empty() && start.unattended) {
        m_exitCode = kExitBadCommandLine;
        return FALSE;
    }
    {
        CReaderDlg dlg(c);
        dlg.SetStartOptions(start);
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
        m_exitCode = dlg.ExitCode();
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
    if (!notKept.empty() && !m_unattended)
        AfxMessageBox(NotRememberedMessage(notKept, c.m_uiText).c_str(), MB_OK | MB_ICONWARNING);
    CWinApp::ExitInstance();
    return m_exitCode;
}
