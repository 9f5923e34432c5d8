// The main window's placement in the registry: kept across a restart of the real
// program, applied only when it shows on the screen, and written only by a window
// that finished opening.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/AppSettings.h"
#include "app/ReaderApp.h"
#include "fw/App.h"
#include "res/resource.h"
#include "support/MouseInput.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

const char kProgramKey[] = "Software\\Velto\\Korvex_v.1.0\\Korvex\\Settings";
const char kTestKeyRoot[] = "Software\\Velto\\Korvex_placement_test";

bool ReadValue(const std::string& key, const char* name, int& value)
{
    DWORD v = 0, size = sizeof v;
    if (::RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &v, &size) != ERROR_SUCCESS)
        return false;
    value = static_cast<int>(v);
    return true;
}

int Value(const std::string& key, const char* name)
{
    int v = 0;
    EXPECT_TRUE(ReadValue(key, name, v)) << name;
    return v;
}

::testing::AssertionResult SameRect(const RECT& a, const RECT& b)
{
    if (::EqualRect(&a, &b))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.left << ", " << a.top << ", " << a.right << ", " << a.bottom
                                         << ") != (" << b.left << ", " << b.top << ", " << b.right << ", "
                                         << b.bottom << ")";
}

struct FindMain {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMainProc(HWND hwnd, LPARAM lp)
{
    auto* f = reinterpret_cast<FindMain*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == f->pid && ::IsWindowVisible(hwnd) && ::GetDlgItem(hwnd, IDC_DATA_VIEW)) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The real program in a folder of its own, with the scripted library.
class Program {
public:
    explicit Program(const TempDir& dir)
    {
        const std::string exe = dir.File("Korvex.exe");
        STARTUPINFOA si = {sizeof si};
        std::string cmd = "\"" + exe + "\"";
        if (!::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.Path().c_str(), &si,
                              &m_pi))
            return;
        FindMain f = {m_pi.dwProcessId, nullptr};
        for (int i = 0; i < 1000 && !f.found; ++i) {
            ::Sleep(10);
            ::EnumWindows(FindMainProc, reinterpret_cast<LPARAM>(&f));
        }
        m_window = f.found;
        // The modal loop shows the window when the queue first goes idle.
        ::WaitForInputIdle(m_pi.hProcess, 5000);
        ::Sleep(50);
    }
    ~Program()
    {
        if (m_pi.hProcess && ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_pi.hProcess, 1);
        if (m_pi.hProcess) {
            ::CloseHandle(m_pi.hThread);
            ::CloseHandle(m_pi.hProcess);
        }
    }
    HWND Window() const { return m_window; }
    bool Close()
    {
        ::PostMessageA(m_window, WM_COMMAND, IDCANCEL, 0);
        return ::WaitForSingleObject(m_pi.hProcess, 10000) == WAIT_OBJECT_0;
    }
    // Waits until the window's rectangle is the expected one.
    bool WaitRect(const RECT& want) const
    {
        for (int i = 0; i < 200; ++i) {
            const RECT r = WindowRectOf(m_window);
            if (::EqualRect(&r, &want))
                return true;
            ::Sleep(10);
        }
        return false;
    }

private:
    PROCESS_INFORMATION m_pi = {};
    HWND m_window = nullptr;
};

RECT Offset(RECT r, int dx, int dy, int grow_x = 0, int grow_y = 0)
{
    ::OffsetRect(&r, dx, dy);
    r.right += grow_x;
    r.bottom += grow_y;
    return r;
}

}  // namespace

TEST(WindowPlacement, PositionSizeAndMaximizedStateSurviveARestart)
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velto\\Korvex_v.1.0");
    TempDir dir;
    ::CopyFileA((ExeDir() + "Korvex.exe").c_str(), dir.File("Korvex.exe").c_str(), FALSE);
    ::CopyFileA((ExeDir() + "testlibs\\scripted\\Quorlink.dll").c_str(), dir.File("Quorlink.dll").c_str(), FALSE);

    RECT moved;
    {
        Program run(dir);
        ASSERT_TRUE(run.Window());
        const RECT created = WindowRectOf(run.Window());
        // Dragged by its client area (left of the Start button), then by its size grip.
        DragFromAnotherThread(At(run.Window(), 160, created.bottom - created.top - 40),
                              At(run.Window(), 160 + 150, created.bottom - created.top - 40 + 90), 6);
        ASSERT_TRUE(run.WaitRect(Offset(created, 150, 90)));
        RECT client;
        ::GetClientRect(run.Window(), &client);
        POINT grip = {client.right - 4, client.bottom - 4};
        ::ClientToScreen(run.Window(), &grip);
        DragFromAnotherThread(grip, {grip.x + 70, grip.y + 40}, 5);
        moved = Offset(created, 150, 90, 70, 40);
        ASSERT_TRUE(run.WaitRect(moved));
        ASSERT_TRUE(run.Close());
    }
    EXPECT_EQ(Value(kProgramKey, "wp.left"), moved.left);
    EXPECT_EQ(Value(kProgramKey, "wp.top"), moved.top);
    EXPECT_EQ(Value(kProgramKey, "wp.right"), moved.right);
    EXPECT_EQ(Value(kProgramKey, "wp.bottom"), moved.bottom);
    EXPECT_EQ(Value(kProgramKey, "wp.showCmd"), SW_SHOWNORMAL);
    int flags = -1;
    EXPECT_TRUE(ReadValue(kProgramKey, "wp.flags", flags) && ReadValue(kProgramKey, "wp.ptMinPosition.x", flags) &&
                ReadValue(kProgramKey, "wp.ptMinPosition.y", flags) &&
                ReadValue(kProgramKey, "wp.ptMaxPosition.x", flags) &&
                ReadValue(kProgramKey, "wp.ptMaxPosition.y", flags))
        << "all ten values are written";
    {
        Program run(dir);
        ASSERT_TRUE(run.Window());
        EXPECT_TRUE(SameRect(WindowRectOf(run.Window()), moved));
        ::SendMessageA(run.Window(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        ASSERT_TRUE(::IsZoomed(run.Window()));
        ASSERT_TRUE(run.Close());
    }
    EXPECT_EQ(Value(kProgramKey, "wp.showCmd"), SW_SHOWMAXIMIZED);
    {
        Program run(dir);
        ASSERT_TRUE(run.Window());
        EXPECT_TRUE(::IsZoomed(run.Window()));
        ::SendMessageA(run.Window(), WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_TRUE(SameRect(WindowRectOf(run.Window()), moved)) << "the normal rectangle comes back on restore";
        ASSERT_TRUE(run.Close());
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velto\\Korvex_v.1.0");
}

namespace {

// The main window opened in this process, with its profile under a test key.
class PlacementInProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_Settings = AppSettings();
        g_ComPortList = {"COM1"};
        AfxGetApp()->SetRegistryKey(kTestKeyRoot + std::strlen("Software\\"));
        m_key = std::string(kTestKeyRoot) + "\\" + AfxGetApp()->AppName() + "\\Settings";
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKeyRoot);
    }
    void TearDown() override
    {
        m_dlg.reset();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKeyRoot);
    }
    void Store(const RECT& r, int showCmd = SW_SHOWNORMAL)
    {
        m_dlg.reset();  // a window still open would store its own placement on closing
        CWinApp* app = AfxGetApp();
        app->WriteProfileInt("Settings", "wp.showCmd", showCmd);
        app->WriteProfileInt("Settings", "wp.left", r.left);
        app->WriteProfileInt("Settings", "wp.top", r.top);
        app->WriteProfileInt("Settings", "wp.right", r.right);
        app->WriteProfileInt("Settings", "wp.bottom", r.bottom);
    }
    template <typename Dlg = CReaderDlg>
    HWND Open()
    {
        m_dlg = std::make_unique<Dlg>();
        EXPECT_TRUE(m_dlg->Create());
        PumpFor(30);
        return m_dlg->m_hWnd;
    }
    RECT CreatedRect()
    {
        const HWND w = Open();
        const RECT r = WindowRectOf(w);
        m_dlg.reset();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKeyRoot);
        return r;
    }

    std::string m_key;
    std::unique_ptr<CReaderDlg> m_dlg;
};

// A window whose initialisation stops before it completes.
class UnfinishedDlg : public CReaderDlg {
protected:
    BOOL OnInitDialog() override { return CDialog::OnInitDialog(); }
};

}  // namespace

TEST_F(PlacementInProcess, OnlyARectangleThatShowsOnTheScreenIsApplied)
{
    const RECT created = CreatedRect();
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    const RECT offScreen[] = {{w, 100, w + 500, 600}, {-500, 100, 0, 600}, {100, h, 600, h + 500}, {0, 0, 0, 0}};
    for (const RECT& r : offScreen) {
        Store(r);
        EXPECT_TRUE(SameRect(WindowRectOf(Open()), created)) << "off the screen: where it was created";
    }
    const RECT onePixel[] = {{w - 1, 200, w - 1 + 500, 740}, {-499, -539, 1, 1}};
    for (const RECT& r : onePixel) {
        Store(r);
        EXPECT_TRUE(SameRect(WindowRectOf(Open()), r)) << "one pixel on the screen: applied unchanged";
    }
    Store({100, 100, 600, 640}, SW_HIDE);
    EXPECT_TRUE(::IsWindowVisible(Open())) << "a stored hidden state still shows the window";
}

TEST_F(PlacementInProcess, OnlyAWindowThatFinishedOpeningStoresItsPlacement)
{
    HWND w = Open<UnfinishedDlg>();
    ::SetWindowPos(w, nullptr, 210, 120, 600, 500, SWP_NOZORDER);
    ::DestroyWindow(w);
    HKEY key;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, m_key.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS)
        << "nothing written";

    w = Open();
    ::SetWindowPos(w, nullptr, 210, 120, 600, 500, SWP_NOZORDER);
    ::DestroyWindow(w);
    EXPECT_EQ(Value(m_key, "wp.left"), 210);
    EXPECT_EQ(Value(m_key, "wp.bottom"), 620);
}
