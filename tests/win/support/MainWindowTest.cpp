// The test program's application state and runs of the real program.
#include "support/MainWindowTest.h"

#include <algorithm>
#include <utility>

#include "app/ReaderApp.h"
#include "res/resource.h"

namespace wintest {

AppContext& TestApp()
{
    return theApp.Context();
}

void ResetTestApp(const std::vector<std::string>& ports, const std::string& programDir)
{
    AppContext& app = TestApp();
    app.m_settings = AppSettings();
    app.m_comPortList = ports;
    app.m_programDir = programDir;
    app.m_uiText.Reset();
    app.m_sharedTranslation = TranslationTables();
}

HMODULE LoadScriptedLibrary()
{
    const std::string lib = ExeDir() + "testlibs\\scripted\\Quorlink.dll";
    return TestApp().m_commLibrary.LoadDll(lib.c_str()) == 1 ? ::GetModuleHandleA(lib.c_str()) : nullptr;
}

ScriptedLibrary ScriptedWindowTest::s_lib;

void ScriptedWindowTest::SetUpTestSuite()
{
    s_lib = LoadScriptedControls();
    ASSERT_NE(s_lib.reset, nullptr);
}

void ScriptedWindowTest::TearDownTestSuite()
{
    TestApp().m_commLibrary.FreeDll();
}

void ScriptedWindowTest::StartFresh(const std::vector<std::string>& ports)
{
    s_lib.reset();
    ResetTestApp(ports, m_dir.Path());
    AppSettings& settings = TestApp().m_settings;
    settings.tabFile = m_dir.File("Tab.txt");
    WriteFileBytes(settings.tabFile, IdentityTableFile());
}

void ScriptedWindowTest::TearDown()
{
    if (m_dlg && m_dlg->IsWindow() && m_dlg->IsRunning())
        ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    if (m_dlg && m_dlg->IsWindow())
        ::DestroyWindow(m_dlg->m_hWnd);
    m_dlg.reset();
}

void ScriptedWindowTest::Pump(DWORD ms, const std::function<bool()>& done)
{
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!m_dlg->TranslateDialogInput(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        if (done && done())
            return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (::GetTickCount() - start < ms);
}

void ScriptedWindowTest::Holding(bool ctrl, bool shift, const std::function<void()>& body)
{
    BYTE keys[256];
    ::GetKeyboardState(keys);
    BYTE held[256];
    std::copy(keys, keys + 256, held);
    held[VK_CONTROL] = ctrl ? 0x80 : 0;
    held[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(held);
    body();
    ::SetKeyboardState(keys);
}

void ScriptedWindowTest::PressIn(HWND window, WPARAM key, bool ctrl, bool shift)
{
    Holding(ctrl, shift, [&] {
        ::PostMessageA(window, WM_KEYDOWN, key, 1);
        Pump(30);
    });
}

QuorlinkTestStats ScriptedWindowTest::Stats() const
{
    QuorlinkTestStats s = {};
    s_lib.getStats(&s);
    return s;
}

ScriptedLibrary LoadScriptedControls()
{
    ScriptedLibrary lib;
    if (HMODULE m = LoadScriptedLibrary()) {
        lib.reset = ExportOf<PFN_Test_Reset>(m, "Test_Reset");
        lib.queueRead = ExportOf<PFN_Test_QueueRead>(m, "Test_QueueRead");
        lib.setOpenResult = ExportOf<PFN_Test_SetOpenResult>(m, "Test_SetOpenResult");
        lib.getStats = ExportOf<PFN_Test_GetStats>(m, "Test_GetStats");
    }
    return lib;
}

void ScriptedLibrary::Queue(const std::string& bytes) const
{
    queueRead(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
}

void CopyProgram(const TempDir& dir, const char* libraryVariant)
{
    ::CopyFileA((ExeDir() + "Korvex.exe").c_str(), dir.File("Korvex.exe").c_str(), FALSE);
    if (libraryVariant)
        ::CopyFileA((ExeDir() + "testlibs\\" + libraryVariant + "\\Quorlink.dll").c_str(),
                    dir.File("Quorlink.dll").c_str(), FALSE);
}

namespace {
BOOL CALLBACK FindMainProc(HWND hwnd, LPARAM lp)
{
    auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != found->first || !::IsWindowVisible(hwnd) || !::GetDlgItem(hwnd, IDC_DATA_VIEW))
        return TRUE;
    found->second = hwnd;
    return FALSE;
}
}  // namespace

ProgramRun::ProgramRun(const TempDir& dir)
{
    const std::string exe = dir.File("Korvex.exe");
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"";
    if (!::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.Path().c_str(), &si,
                          &m_pi))
        return;
    std::pair<DWORD, HWND> found(m_pi.dwProcessId, nullptr);
    for (int i = 0; i < 1000 && !found.second; ++i, ::Sleep(10))
        ::EnumWindows(FindMainProc, reinterpret_cast<LPARAM>(&found));
    window = found.second;
    ::WaitForInputIdle(m_pi.hProcess, 5000);  // past the modal loop's first idle
    ::Sleep(50);
}

ProgramRun::~ProgramRun()
{
    if (!m_pi.hProcess)
        return;
    if (::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
        ::TerminateProcess(m_pi.hProcess, 1);
    ::CloseHandle(m_pi.hThread);
    ::CloseHandle(m_pi.hProcess);
}

bool ProgramRun::Close() const
{
    ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return ::WaitForSingleObject(m_pi.hProcess, 10000) == WAIT_OBJECT_0;
}

}  // namespace wintest
