// The main window's placement in the registry: kept across a restart of the real
// program, applied only when it shows on the screen, written only by a window that
// finished opening.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"
#include "fw/App.h"
#include "support/MainWindowTest.h"
#include "support/MouseInput.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

int Value(const std::string& key, const char* name)
{
    DWORD v = 0, size = sizeof v;
    EXPECT_EQ(::RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &v, &size),
              ERROR_SUCCESS) << name;
    return static_cast<int>(v);
}

}  // namespace

TEST(WindowPlacement, PositionSizeAndMaximizedStateSurviveARestart)
{
    const char root[] = "Software\\Velto\\Korvex_v.1.0";
    const std::string key = std::string(root) + "\\Korvex\\Settings";
    ::RegDeleteTreeA(HKEY_CURRENT_USER, root);
    TempDir dir;
    CopyProgram(dir, "scripted");

    const RECT placed = {143, 97, 143 + 560, 97 + 430};
    {
        ProgramRun run(dir);
        ASSERT_TRUE(run.window);
        ::SetWindowPos(run.window, nullptr, placed.left, placed.top, 560, 430, SWP_NOZORDER);
        ASSERT_TRUE(run.Close());
    }
    const RECT stored = {Value(key, "wp.left"), Value(key, "wp.top"), Value(key, "wp.right"), Value(key, "wp.bottom")};
    EXPECT_TRUE(SameRect(stored, placed));
    EXPECT_EQ(Value(key, "wp.showCmd"), SW_SHOWNORMAL);
    for (const char* name : {"wp.flags", "wp.ptMinPosition.x", "wp.ptMinPosition.y", "wp.ptMaxPosition.x",
                             "wp.ptMaxPosition.y"})
        Value(key, name);
    {
        ProgramRun run(dir);
        ASSERT_TRUE(run.window);
        EXPECT_TRUE(SameRect(WindowRectOf(run.window), placed));
        ::SendMessageA(run.window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        ASSERT_TRUE(run.Close());
    }
    EXPECT_EQ(Value(key, "wp.showCmd"), SW_SHOWMAXIMIZED);
    {
        ProgramRun run(dir);
        ASSERT_TRUE(run.window);
        EXPECT_TRUE(::IsZoomed(run.window));
        ::SendMessageA(run.window, WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_TRUE(SameRect(WindowRectOf(run.window), placed)) << "the normal rectangle comes back on restore";
        ASSERT_TRUE(run.Close());
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, root);
}

namespace {

// A window whose initialisation stops before it completes.
class UnfinishedDlg : public CReaderDlg {
public:
    using CReaderDlg::CReaderDlg;

protected:
    BOOL OnInitDialog() override { return CDialog::OnInitDialog(); }
};

// The main window in this process, its profile under a key of the test's own.
class PlacementInProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTestApp({"COM1"});
        AfxGetApp()->SetRegistryKey("Velto\\Korvex_placement_test");
        m_key = "Software\\Velto\\Korvex_placement_test\\" + AfxGetApp()->AppName() + "\\Settings";
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velto\\Korvex_placement_test");
    }
    void TearDown() override
    {
        m_dlg.reset();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velto\\Korvex_placement_test");
    }
    template <typename Dlg = CReaderDlg>
    HWND Open()
    {
        m_dlg.reset();  // first: closing stores its own placement
        m_dlg = std::make_unique<Dlg>(TestApp());
        EXPECT_TRUE(m_dlg->Create());
        return m_dlg->m_hWnd;
    }
    void Store(const RECT& r, int showCmd = SW_SHOWNORMAL)
    {
        m_dlg.reset();
        CWinApp* app = AfxGetApp();
        app->WriteProfileInt("Settings", "wp.showCmd", showCmd);
        app->WriteProfileInt("Settings", "wp.left", r.left);
        app->WriteProfileInt("Settings", "wp.top", r.top);
        app->WriteProfileInt("Settings", "wp.right", r.right);
        app->WriteProfileInt("Settings", "wp.bottom", r.bottom);
    }

    std::string m_key;
    std::unique_ptr<CReaderDlg> m_dlg;
};

}  // namespace

TEST_F(PlacementInProcess, OnlyARectangleThatShowsOnTheScreenIsApplied)
{
    const RECT created = WindowRectOf(Open());
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    for (const RECT& r : {RECT{w, 100, w + 500, 600}, RECT{-500, 100, 0, 600}, RECT{100, h, 600, h + 500}}) {
        Store(r);
        EXPECT_TRUE(SameRect(WindowRectOf(Open()), created)) << "off the screen: where it was created";
    }
    // Sizes no screen can show, and a rectangle whose title bar is off the screen
    // although its bottom-right corner is on it.
    for (const RECT& r : {RECT{-100000, -100000, 100000, 100000}, RECT{-10, -10, w + 10, 500}, RECT{300, 200, 300, 700},
                          RECT{300, 200, 800, 200}, RECT{800, 700, 300, 200}, RECT{-499, -539, 1, 1}}) {
        Store(r);
        EXPECT_TRUE(SameRect(WindowRectOf(Open()), created)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    for (const RECT& r : {RECT{w - 1, 200, w - 1 + 500, 740}, RECT{-499, h - 1, 1, h - 1 + 540}}) {
        Store(r);
        EXPECT_TRUE(SameRect(WindowRectOf(Open()), r)) << "one pixel on the screen: applied unchanged";
    }
    Store({100, 100, 600, 640}, SW_HIDE);
    EXPECT_TRUE(::IsWindowVisible(Open())) << "a stored hidden state still shows the window";
}

// The screen as the primary monitor and a second, smaller one below it: the desktop is
// higher than either.
BOOL WINAPI PrimaryAndOneBelow(HDC, LPCRECT, MONITORENUMPROC add, LPARAM list)
{
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    RECT primary = {0, 0, w, h}, below = {200, h, 200 + 1024, h + 768};
    return add(nullptr, nullptr, &primary, list) && add(nullptr, nullptr, &below, list);
}

TEST_F(PlacementInProcess, ARectangleIsMeasuredAgainstEveryMonitorOfTheDesktop)
{
    ImportHook monitors("user32.dll", "EnumDisplayMonitors", reinterpret_cast<void*>(&PrimaryAndOneBelow));
    ASSERT_TRUE(monitors.Hooked());
    const RECT created = WindowRectOf(Open());
    const int h = ::GetSystemMetrics(SM_CYSCREEN);
    const struct {
        RECT stored;
        bool applied;
    } cases[] = {
        {{300, 0, 800, h + 768}, true},           // as high as the desktop
        {{300, -1, 800, h + 768}, false},         // one row higher
        {{1300, h + 100, 1800, h + 640}, false},  // beside the lower monitor, below the primary
    };
    for (const auto& c : cases) {
        const RECT& r = c.stored;
        Store(r);
        const RECT shown = WindowRectOf(Open());
        EXPECT_EQ(shown.left == r.left && shown.top == r.top, c.applied)
            << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        EXPECT_EQ(SameRect(shown, created), !c.applied);
    }
}

TEST_F(PlacementInProcess, OnlyAWindowThatFinishedOpeningStoresItsPlacement)
{
    ::SetWindowPos(Open<UnfinishedDlg>(), nullptr, 210, 120, 600, 500, SWP_NOZORDER);
    m_dlg.reset();
    HKEY key;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, m_key.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);

    ::SetWindowPos(Open(), nullptr, 210, 120, 600, 500, SWP_NOZORDER);
    m_dlg.reset();
    EXPECT_EQ(Value(m_key, "wp.left"), 210);
    EXPECT_EQ(Value(m_key, "wp.bottom"), 620);
}

TEST_F(PlacementInProcess, APlacementStoredAtAnotherScaleKeepsItsCornerAndScalesItsSize)
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, 96) << "the sizes below are for a 100 % display";
    CWinApp* app = AfxGetApp();
    // 750 x 600 stored at 150 %: 500 x 400 now.
    Store({230, 140, 980, 740});
    app->WriteProfileInt("Settings", "wp.dpi", 144);
    EXPECT_TRUE(SameRect(WindowRectOf(Open()), {230, 140, 730, 540}));
    // 301 x 263 stored at 50 %: twice that.
    Store({170, 90, 471, 353});
    app->WriteProfileInt("Settings", "wp.dpi", 48);
    EXPECT_TRUE(SameRect(WindowRectOf(Open()), {170, 90, 772, 616}));
    // Closing stores the scale beside the ten values, which keep their meaning.
    m_dlg.reset();
    EXPECT_EQ(Value(m_key, "wp.dpi"), 96);
    EXPECT_EQ(Value(m_key, "wp.left"), 170);
    EXPECT_EQ(Value(m_key, "wp.right"), 772);
    EXPECT_EQ(Value(m_key, "wp.bottom"), 616);
}

namespace {
struct Children {
    HWND parent;
    RECT client;
    std::vector<std::string> outside;
};

BOOL CALLBACK CheckChild(HWND child, LPARAM lp)
{
    auto* c = reinterpret_cast<Children*>(lp);
    if (::GetParent(child) != c->parent || !::IsWindowVisible(child))
        return TRUE;
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, c->parent, reinterpret_cast<POINT*>(&r), 2);
    if (r.left < 0 || r.top < 0 || r.right > c->client.right || r.bottom > c->client.bottom)
        c->outside.push_back(std::to_string(::GetDlgCtrlID(child)));
    return TRUE;
}
}  // namespace

// Placements stored by a version that knew no scale: at 100 %. At every scale the
// window must open large enough to hold each of its controls.
TEST_F(PlacementInProcess, APlacementStoredAt100PercentHoldsEveryControlAtTheCurrentScale)
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    for (const RECT& r : {RECT{90, 30, 590, 590}, RECT{60, 40, 760, 640}}) {
        Store(r);
        HWND window = Open();
        Children children{window, {}, {}};
        ::GetClientRect(window, &children.client);
        ::EnumChildWindows(window, CheckChild, reinterpret_cast<LPARAM>(&children));
        std::string ids;
        for (const std::string& id : children.outside)
            ids += id + " ";
        EXPECT_TRUE(children.outside.empty()) << "outside the client area: " << ids << "at " << dpi << " DPI";
        const RECT shown = WindowRectOf(window);
        EXPECT_EQ(shown.left, r.left);
        EXPECT_EQ(shown.top, r.top);
    }
}
