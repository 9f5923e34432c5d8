// The test program's own application state, which the main windows of the tests are
// opened with, and runs of the real program copied into a folder.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "quorlink/QuorlinkTest.h"
#include "support/WinTestSupport.h"
#include "ui/AppContext.h"
#include "ui/ReaderDlg.h"

namespace wintest {

// The application object's state in this test program (each test runs in a process of
// its own). The communication library stays loaded until a test frees it.
AppContext& TestApp();
// Settings, texts and tables as a fresh start leaves them, with the given port list and
// program folder.
void ResetTestApp(const std::vector<std::string>& ports, const std::string& programDir = std::string());

// Loads the scripted test library (testlibs\scripted) into the test program's binding;
// its module, or null when it did not load.
HMODULE LoadScriptedLibrary();

// The scripted library's test controls.
struct ScriptedLibrary {
    PFN_Test_Reset reset = nullptr;
    PFN_Test_QueueRead queueRead = nullptr;
    PFN_Test_SetOpenResult setOpenResult = nullptr;
    PFN_Test_GetStats getStats = nullptr;
    // The next read returns these bytes.
    void Queue(const std::string& bytes) const;
};
// Loads it (as LoadScriptedLibrary) and finds its controls; all null when it did not load.
ScriptedLibrary LoadScriptedControls();

// The fixture of a main window over the scripted library: the library loaded once for
// the suite; for each test a fresh start in a folder of its own with an identity
// translation table (StartFresh), and afterwards the run stopped and the window gone.
class ScriptedWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void StartFresh(const std::vector<std::string>& ports);
    void TearDown() override;
    void Queue(const std::string& bytes) const { s_lib.Queue(bytes); }
    QuorlinkTestStats Stats() const;
    // Handles the thread's messages as the program's modal loop does, keys included, for
    // ms or until done says so.
    void Pump(DWORD ms, const std::function<bool()>& done = nullptr);
    // Ctrl and Shift held as given (for this thread's key state) while `body` runs.
    static void Holding(bool ctrl, bool shift, const std::function<void()>& body);
    // A key pressed in the window, with Ctrl and Shift held as given, through the loop.
    void PressIn(HWND window, WPARAM key, bool ctrl, bool shift);
    HWND Item(int id) const { return ::GetDlgItem(m_dlg->m_hWnd, id); }
    // The button's click, as the control sends it.
    void Click(int id) const
    {
        ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }

    static ScriptedLibrary s_lib;
    TempDir m_dir;
    std::unique_ptr<CReaderDlg> m_dlg;
};

// Copies the program into the folder, with the named test library beside it (none for
// null).
void CopyProgram(const TempDir& dir, const char* libraryVariant);

// One run of the program copied into the folder (its own current folder), from start
// until Close; window is its main window, or null when none showed.
class ProgramRun {
public:
    explicit ProgramRun(const TempDir& dir);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;
    // Closes the main window; true when the program then ended.
    bool Close() const;

    HWND window = nullptr;

private:
    PROCESS_INFORMATION m_pi = {};
};

}  // namespace wintest
