// Display scales: the program's manifest, the scaling arithmetic against the system's
// own, and the skinned buttons' choice among the pictures drawn for each scale.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <memory>
#include <string>

#include "core/DpiScale.h"
#include "fw/Dialog.h"
#include "fw/Gdi.h"
#include "res/resource.h"
#include "skin/SkinButton.h"
#include "support/WinTestSupport.h"

using namespace wintest;

TEST(DisplayScale, TheProgramAsksForCommonControls6AndPerMonitorScaling)
{
    HMODULE exe = ::LoadLibraryExA((ExeDir() + "Korvex.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC found = ::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // the process manifest
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(exe, found)));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, ::SizeofResource(exe, found));
    ::FreeLibrary(exe);

    const auto has = [&](const char* text) { return manifest.find(text) != std::string::npos; };
    EXPECT_TRUE(has("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_TRUE(has("publicKeyToken=\"6595b64144ccf1df\""));
    EXPECT_TRUE(has(">PerMonitorV2,PerMonitor</dpiAwareness>"));
    EXPECT_TRUE(has(">true/pm</dpiAware>"));
    EXPECT_TRUE(has("level=\"asInvoker\""));
    // Windows 7, 8, 8.1 and 10/11.
    for (const char* os : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_TRUE(has(os)) << os;
}

TEST(DisplayScale, ScalingRoundsAsTheSystemsMulDiv)
{
    const int values[] = {0, 1, -1, 3, -3, 5, -7, 421, -351, 1000003, -999983, INT_MAX, -INT_MAX};
    const int factors[] = {1, -1, 2, 3, -4, 96, 120, 144, -168, 192, 0, 65537};
    for (int v : values)
        for (int n : factors)
            for (int d : factors)
                EXPECT_EQ(MulDivRound(v, n, d), ::MulDiv(v, n, d)) << v << " * " << n << " / " << d;
    EXPECT_GT(WindowDpi(nullptr), 0);
    EXPECT_EQ(WindowDpi(::GetDesktopWindow()), SystemDpi());
}

namespace {

// A framework dialog, which hands owner-draw notices to its children.
class Host : public CDialog {
public:
    Host() : CDialog(IDD_ABOUTBOX) {}
};

// The normal state's cell of a strip resource, stretched to width x height.
std::unique_ptr<Dib> NormalCell(UINT strip, int width, int height)
{
    HBITMAP source = static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(strip), IMAGE_BITMAP, 0, 0, 0));
    BITMAP bm = {};
    ::GetObjectA(source, sizeof bm, &bm);
    auto image = std::make_unique<Dib>(width, height);
    HDC from = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(from, source);
    ::SetStretchBltMode(image->DC(), COLORONCOLOR);
    ::StretchBlt(image->DC(), 0, 0, width, height, from, 0, 0, bm.bmWidth / 4, bm.bmHeight, SRCCOPY);
    ::SelectObject(from, old);
    ::DeleteDC(from);
    ::DeleteObject(source);
    ::GdiFlush();
    return image;
}

// Pixels where the button's region and the picture's opaque (not white) pixels disagree.
int RegionMismatches(HWND button, const Dib& picture)
{
    HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
    ::GetWindowRgn(button, rgn);
    int mismatched = 0;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            mismatched += (::PtInRegion(rgn, x, y) != 0) != (picture.At(x, y) != 0xFFFFFF);
    ::DeleteObject(rgn);
    return mismatched;
}

}  // namespace

TEST(DisplayScale, ASkinnedButtonStartsFromThePictureDrawnNearestItsSize)
{
    Host host;
    ASSERT_TRUE(host.Create());
    ::SetWindowPos(host.m_hWnd, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    struct Case {
        UINT strip;
        int width, height;
        UINT drawn;  // the picture the button must be shaped from
    } cases[] = {
        {IDB_BUTTON_STRIP, 91, 23, IDB_BUTTON_STRIP},          // 100 %, stretched a little
        {IDB_BUTTON_STRIP, 128, 38, IDB_BUTTON_STRIP_150},     // the 150 % cell, as it is
        {IDB_BUTTON_STRIP, 161, 47, IDB_BUTTON_STRIP_200},     // 1.88: the 200 % cell, shrunk
        {IDB_EXIT_STRIP, 59, 59, IDB_EXIT_STRIP_150},
        {IDB_EXIT_STRIP, 42, 43, IDB_EXIT_STRIP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        HWND window = ::CreateWindowExA(0, "BUTTON", "Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 8, 8, c.width,
                                        c.height, host.m_hWnd, reinterpret_cast<HMENU>(77), nullptr, nullptr);
        {
            CSkinButton button;
            ASSERT_TRUE(button.SubclassWindow(window));
            button.SetRegionFromBitmap(true);
            button.SetStateStrip(true);
            button.SetNoFrame(true);
            button.SetTransparentColor(RGB(255, 255, 255), 0, true);
            ASSERT_EQ(button.LoadBitmapResource(c.strip, RT_BITMAP), 1);
            auto drawn = NormalCell(c.drawn, c.width, c.height);
            EXPECT_EQ(RegionMismatches(window, *drawn), 0);
            // The test tells the renderings apart: the 100 % picture stretched gives another shape.
            if (c.drawn != c.strip) {
                auto stretched = NormalCell(c.strip, c.width, c.height);
                EXPECT_GT(RegionMismatches(window, *stretched), 0);
            }
            ::DestroyWindow(window);
        }
    }
}
