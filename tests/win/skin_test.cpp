// The skinned buttons of the main window and the About box, checked on the screen:
// window regions, state pictures, caption, cursor and tooltip, clicks, the credits
// animation and the release of everything they draw with.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <vector>

#include "core/AppSettings.h"
#include "core/DpiScale.h"
#include "app/ReaderApp.h"
#include "core/UiText.h"
#include "res/resource.h"
#include "res/version.h"
#include "skin/AboutDlg.h"
#include "fw/Gdi.h"
#include "skin/SkinButton.h"
#include "support/MainWindowTest.h"
#include "support/MouseInput.h"
#include "support/ScreenImage.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

const uint32_t kWhite = 0xFFFFFF;

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    return pmc.PrivateUsage;
}

// What the system tells a window and its controls when it hides or shows focus cues
// (Wine has no such state of its own: the notices are sent as Windows sends them).
void SetFocusCuesHidden(HWND dialog, bool hidden)
{
    const WPARAM change = MAKEWPARAM(hidden ? UIS_SET : UIS_CLEAR, UISF_HIDEFOCUS);
    ::SendMessageA(dialog, WM_UPDATEUISTATE, change, 0);
    struct Each {
        static BOOL CALLBACK Child(HWND child, LPARAM wp)
        {
            ::SendMessageA(child, WM_UPDATEUISTATE, static_cast<WPARAM>(wp), 0);
            return TRUE;
        }
    };
    ::EnumChildWindows(dialog, Each::Child, static_cast<LPARAM>(change));
}

const UINT kSkinned[] = {IDC_SAVE, IDC_SAVE_AS, IDC_LOAD, IDC_CLEAR, IDC_START, IDC_FONT, IDC_PRINT_PREVIEW,
                         IDC_PRINT, IDC_EXIT};
enum { kNormal, kPressed, kHover, kDisabled };

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTestApp({"COM1"}, m_dir.Path());
        TestApp().m_settings.outputFile = m_dir.File("Out.txt");
        MouseTo({1000, 900});  // well away from every window
        PumpFor(20);
    }
    void TearDown() override
    {
        m_dlg.reset();
        TestApp().m_uiText.Reset();
    }

    CReaderDlg& Open()
    {
        m_dlg = std::make_unique<CReaderDlg>(TestApp());
        EXPECT_TRUE(m_dlg->Create());
        ::SetWindowPos(m_dlg->m_hWnd, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
        ::UpdateWindow(m_dlg->m_hWnd);
        PumpFor(100);
        return *m_dlg;
    }
    HWND Item(int id) const { return ::GetDlgItem(m_dlg->m_hWnd, id); }
    CSkinButton* Button(int id) const { return dynamic_cast<CSkinButton*>(CWnd::FromHandle(Item(id))); }
    POINT Centre(int id) const
    {
        RECT rc;
        ::GetClientRect(Item(id), &rc);
        return ClientPoint(Item(id), rc.right / 2, rc.bottom / 2);
    }
    static UINT StripOf(UINT id) { return id == IDC_EXIT ? IDB_EXIT_STRIP : IDB_BUTTON_STRIP; }

    // True when every pixel of the left and right ends of the button (clear of the
    // caption) shows the given state picture.
    bool ShowsState(UINT id, int state, std::string* why = nullptr) const
    {
        HWND button = Item(id);
        RECT rc;
        ::GetClientRect(button, &rc);
        auto want = Image::OfState(StripOf(id), state, rc.right, rc.bottom);
        auto got = Image::OfScreen(button);
        const WindowRegion rgn(button);
        const int w = rc.right;
        for (int y = 0; y < rc.bottom; ++y)
            for (int x : {3, 5, 7, 9, w - 10, w - 8, w - 6, w - 4})
                if (rgn.Contains(x, y) && got->At(x, y) != want->At(x, y)) {
                    if (why)
                        *why = "at " + std::to_string(x) + "," + std::to_string(y);
                    return false;
                }
        return true;
    }

    TempDir m_dir;
    std::unique_ptr<CReaderDlg> m_dlg;
};

}  // namespace

TEST_F(SkinTest, EachButtonIsShapedLikeTheOpaquePixelsOfItsNormalPicture)
{
    Open();
    for (UINT id : kSkinned) {
        SCOPED_TRACE("button " + std::to_string(id));
        HWND button = Item(id);
        RECT rc;
        ::GetClientRect(button, &rc);
        auto normal = Image::OfState(StripOf(id), kNormal, rc.right, rc.bottom);
        const WindowRegion rgn(button);
        ASSERT_TRUE(rgn.IsSet());
        int inside = 0, mismatched = 0;
        for (int y = 0; y < rc.bottom; ++y)
            for (int x = 0; x < rc.right; ++x) {
                const bool in = rgn.Contains(x, y);
                inside += in;
                mismatched += in != (normal->At(x, y) != kWhite);
            }
        EXPECT_EQ(mismatched, 0);
        EXPECT_GT(inside, rc.right * rc.bottom / 2);
        EXPECT_LT(inside, rc.right * rc.bottom) << "the corners are cut away";
        EXPECT_TRUE(ShowsState(id, kNormal));
    }

    // A click on a cut-away corner of Clear goes to the window below; one inside the
    // shape asks the Clear question.
    DialogWatcher watcher;
    watcher.QueueAnswer(IDNO);
    const POINT corner = ClientPoint(Item(IDC_CLEAR), 0, 0);
    EXPECT_EQ(::WindowFromPoint(corner), m_dlg->m_hWnd);
    ClickAt(corner);
    PumpFor(200);
    EXPECT_EQ(watcher.Count(), 0u);
    EXPECT_EQ(::WindowFromPoint(Centre(IDC_CLEAR)), Item(IDC_CLEAR));
    ClickAt(Centre(IDC_CLEAR));
    EXPECT_TRUE(PumpUntil([&] { return watcher.Count() == 1; }, 3000));
    ASSERT_EQ(watcher.Texts().size(), 1u);
    EXPECT_EQ(watcher.Texts()[0], "Clear all data?");
}

TEST_F(SkinTest, HoverPressedAndDisabledPicturesWithTheirCaptions)
{
    Open();
    // The press gives the button the focus: no frame where focus cues wait for the
    // keyboard, as Windows has them by default.
    SetFocusCuesHidden(m_dlg->m_hWnd, true);
    const UINT id = IDC_SAVE;
    HWND button = Item(id);
    RECT rc;
    ::GetClientRect(button, &rc);
    const RECT face = {4, 4, rc.right - 4, rc.bottom - 4};
    const RECT normalCaption = BoxOf(*Image::OfScreen(button), face, IsDark);
    ASSERT_LT(normalCaption.left, normalCaption.right) << "the caption shows";
    // A new caption shows at once (as Start turns into Stop).
    ::SetWindowTextA(button, "Save it all");
    EXPECT_TRUE(PumpUntil([&] { return BoxOf(*Image::OfScreen(button), face, IsDark).left < normalCaption.left; }, 3000));
    ::SetWindowTextA(button, "Save");
    EXPECT_TRUE(PumpUntil([&] { return BoxOf(*Image::OfScreen(button), face, IsDark).left == normalCaption.left; }, 3000));

    // The custom cursor over the button.
    HCURSOR hand = static_cast<HCURSOR>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_BUTTON_CURSOR),
                                                      IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    MouseTo(Centre(id));
    std::string why;
    EXPECT_TRUE(PumpUntil([&] { return Button(id)->IsHover() && ShowsState(id, kHover); }, 3000));
    EXPECT_EQ(::GetCursor(), hand);
    EXPECT_TRUE(ShowsState(IDC_LOAD, kNormal)) << "only the button under the mouse lights up";

    // Held down: the pressed picture, the caption one pixel right and down.
    MouseTo(Centre(id));
    LeftButton(true);
    EXPECT_TRUE(PumpUntil([&] { return ShowsState(id, kPressed); }, 3000));
    const RECT pressedCaption = BoxOf(*Image::OfScreen(button), face, IsDark);
    EXPECT_EQ(pressedCaption.left, normalCaption.left + 1);
    EXPECT_EQ(pressedCaption.top, normalCaption.top + 1);
    // Let go elsewhere: no click, and the hover ends with the leave notice.
    MouseTo({1000, 900});
    LeftButton(false);
    EXPECT_TRUE(PumpUntil([&] { return !Button(id)->IsHover() && ShowsState(id, kNormal, &why); }, 3000)) << why;
    EXPECT_FALSE(FileExists(TestApp().m_settings.outputFile)) << "Save did not run";

    // Disabled: its picture and an etched caption, grey over a light copy one pixel
    // down and right.
    ::EnableWindow(button, FALSE);
    EXPECT_TRUE(PumpUntil([&] { return ShowsState(id, kDisabled, &why); }, 3000)) << why;
    auto disabled = Image::OfScreen(button);
    const uint32_t grey = Pixel(::GetSysColor(COLOR_GRAYTEXT)), light = Pixel(::GetSysColor(COLOR_WINDOW));
    const RECT greyBox = BoxOf(*disabled, face, [&](uint32_t p) { return p == grey; });
    const RECT lightBox = BoxOf(*disabled, {2, 2, rc.right - 2, rc.bottom - 2}, [&](uint32_t p) { return p == light; });
    ASSERT_LT(greyBox.left, greyBox.right);
    EXPECT_EQ(lightBox.left, greyBox.left + 1);
    EXPECT_EQ(lightBox.bottom, greyBox.bottom + 1);
    EXPECT_EQ(greyBox.left, normalCaption.left);
}

TEST_F(SkinTest, TheButtonTabbedToShowsAFocusFrameUnlessTheSystemHidesFocusCues)
{
    Open();
    HWND dlg = m_dlg->m_hWnd;
    for (UINT id : {IDC_SAVE, IDC_START, IDC_EXIT}) {
        HWND button = Item(id);
        HWND before = ::GetNextDlgTabItem(dlg, button, TRUE);
        ASSERT_TRUE(before && before != button);
        ::SetFocus(before);
        PumpFor(30);

        // Tab, as the dialog's message loop hands it over.
        MSG tab = {before, WM_KEYDOWN, VK_TAB, 0x000F0001, static_cast<DWORD>(::GetMessageTime()), {}};
        ::IsDialogMessageA(dlg, &tab);
        ASSERT_EQ(::GetFocus(), button) << id;
        RECT rc;
        ::GetClientRect(button, &rc);
        const int w = rc.right, h = rc.bottom;
        auto want = Image::OfState(StripOf(id), kNormal, w, h);
        const WindowRegion rgn(button);
        // How many pixels of one row (fixedX < 0) or one column differ from the picture.
        const auto changed = [&](const Image& got, int fixedX, int fixedY) {
            int n = 0;
            for (int i = 0; i < (fixedX < 0 ? w : h); ++i) {
                const int x = fixedX < 0 ? i : fixedX, y = fixedX < 0 ? fixedY : i;
                n += rgn.Contains(x, y) && got.At(x, y) != want->At(x, y);
            }
            return n;
        };
        EXPECT_TRUE(PumpUntil([&] { return changed(*Image::OfScreen(button), -1, 3) > 0; }, 3000)) << id;
        auto got = Image::OfScreen(button);
        // Every side shows its dots (the exit button's round face cuts its corners).
        EXPECT_GE(changed(*got, -1, 3), 4) << id << ": top side";
        EXPECT_GE(changed(*got, -1, h - 4), 4) << id << ": bottom side";
        EXPECT_GE(changed(*got, 3, -1), 4) << id << ": left side";
        EXPECT_GE(changed(*got, w - 4, -1), 4) << id << ": right side";
        EXPECT_EQ(changed(*got, 2, -1) + changed(*got, w - 3, -1) + changed(*got, -1, 2) + changed(*got, -1, h - 3), 0)
            << id << ": just outside the frame the picture is untouched";

        // The system hides focus cues (as until the keyboard is used): the frame goes,
        // the focus stays; shown again, the frame is back.
        std::string why;
        SetFocusCuesHidden(dlg, true);
        EXPECT_TRUE(PumpUntil([&] { return ShowsState(id, kNormal, &why); }, 3000)) << id << " " << why;
        EXPECT_EQ(::GetFocus(), button);
        SetFocusCuesHidden(dlg, false);
        EXPECT_TRUE(PumpUntil([&] { return changed(*Image::OfScreen(button), 3, -1) >= 4; }, 3000)) << id;
    }
}

TEST_F(SkinTest, ExitButtonTipAndCloseLikeTheCloseBox)
{
    Open();
    EXPECT_EQ(Button(IDC_EXIT)->TooltipText(), "Exit program");
    EXPECT_EQ(Button(IDC_CLEAR)->TooltipText(), "") << "a button that no key presses has no tip";
    m_dlg.reset();

    TestApp().m_uiText[TXT_EXIT_TOOLTIP] = "Esci dal programma";
    Open();
    EXPECT_EQ(Button(IDC_EXIT)->TooltipText(), "Esci dal programma");
    ClickAt(Centre(IDC_EXIT));
    EXPECT_TRUE(PumpUntil([&] { return !m_dlg->IsWindow(); }, 3000));
    EXPECT_EQ(m_dlg->Result(), IDCANCEL);
}

// A framework dialog (it hands owner-draw notices to its children) that counts the
// clicks of its OK button instead of closing.
class ClickHost : public CDialog {
public:
    ClickHost() : CDialog(IDD_ABOUTBOX) {}
    int clicks = 0;

protected:
    void OnOK() override { ++clicks; }
};

TEST_F(SkinTest, DoubleClickIsTwoClicksAndAMissingPictureLeavesAPlainButton)
{
    ClickHost host;
    ASSERT_TRUE(host.Create());
    ShowAt(host.m_hWnd, 20, 20);
    HWND ok = host.GetDlgItem(IDOK);
    ::SetWindowPos(ok, nullptr, 0, 0, 90, 23, SWP_NOMOVE | SWP_NOZORDER);
    HWND plainWnd = ::CreateWindowExA(0, "BUTTON", "Plain", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 585, 80, 90, 23,
                                      host.m_hWnd, reinterpret_cast<HMENU>(1), nullptr, nullptr);

    CSkinButton skinned, plain;
    for (CSkinButton* b : {&skinned, &plain}) {
        ASSERT_TRUE(b->SubclassWindow(b == &skinned ? ok : plainWnd));
        b->SetRegionFromBitmap(true);
        b->SetStateStrip(true);
        b->SetNoFrame(true);
        b->SetNoFocusRect(true);
        // Refused: the key's red matches neither its green nor its blue.
        b->SetTransparentColor(RGB(255, 0, 0), 0, true);
    }
    EXPECT_EQ(skinned.SetBitmap(nullptr), 0);
    ASSERT_EQ(skinned.LoadBitmapResource(IDB_BUTTON_STRIP, RT_BITMAP), 1);
    {
        const WindowRegion rgn(ok);
        EXPECT_FALSE(rgn.Contains(0, 0)) << "white is still the cut-away colour";
        EXPECT_TRUE(rgn.Contains(45, 11));
    }

    // Two quick clicks are two clicks, not a click and a double click.
    const POINT centre = ClientPoint(ok, 45, 11);
    for (int i = 0; i < 2; ++i)
        ClickAt(centre);
    EXPECT_TRUE(PumpUntil([&] { return host.clicks == 2; }, 3000)) << host.clicks << " clicks";

    // No picture: the caller switches the skin off; the button keeps its rectangle
    // and draws the push-button frame on the button face.
    EXPECT_EQ(plain.LoadBitmapResource(9999, RT_BITMAP), 0);
    plain.SetRegionFromBitmap(false);
    plain.SetStateStrip(false);
    plain.SetNoFrame(false);
    plain.SetNoFocusRect(false);
    ::InvalidateRect(plainWnd, nullptr, TRUE);
    PumpFor(100);
    EXPECT_TRUE(WindowRegion(plainWnd).Contains(0, 0));
    auto shown = Image::OfScreen(plainWnd);
    EXPECT_EQ(shown->At(89, 22), Pixel(::GetSysColor(COLOR_3DDKSHADOW)));
    EXPECT_EQ(shown->At(8, 11), Pixel(::GetSysColor(COLOR_BTNFACE)));
    const RECT caption = BoxOf(*shown, {4, 4, 86, 19}, IsDark);
    EXPECT_TRUE(caption.left > 20 && caption.right < 70) << "the caption, centred";
}

namespace {

struct AboutSeen {
    HWND box = nullptr;
    HWND owner = nullptr;
    std::string caption;
};
AboutSeen g_about;

// Runs inside the About box's modal loop: notes what it shows and closes it.
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_about.box)
        return;
    struct Finder {
        static BOOL CALLBACK Proc(HWND hwnd, LPARAM lp)
        {
            char cls[32] = "";
            ::GetClassNameA(hwnd, cls, sizeof cls);
            if (std::string(cls) == "#32770" && ::GetDlgItem(hwnd, IDC_ABOUT_PICTURE) && ::GetDlgItem(hwnd, IDOK) &&
                ::IsWindowVisible(hwnd))
                *reinterpret_cast<HWND*>(lp) = hwnd;
            return TRUE;
        }
    };
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &Finder::Proc, reinterpret_cast<LPARAM>(&found));
    if (!found || CWnd::FromHandle(found) == nullptr)
        return;
    g_about.box = found;
    g_about.owner = ::GetWindow(found, GW_OWNER);
    char text[128] = "";
    ::GetWindowTextA(found, text, sizeof text);
    g_about.caption = text;
    ::PostMessageA(found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace

TEST_F(SkinTest, SystemMenuEntryOpensTheAboutBoxModally)
{
    Open();
    g_about = AboutSeen();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &CloseAboutBox);
    // Returns once the modal box has been closed.
    ::SendMessageA(m_dlg->m_hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    ::KillTimer(nullptr, timer);
    ASSERT_TRUE(g_about.box);
    EXPECT_EQ(g_about.caption, "About Korvex");
    EXPECT_EQ(g_about.owner, m_dlg->m_hWnd);
    EXPECT_FALSE(::IsWindow(g_about.box));
    EXPECT_TRUE(m_dlg->IsWindow());
}

TEST_F(SkinTest, CreditsRiseOnePixelATickAndStartAgainFromBelow)
{
    ShownAbout about;
    ASSERT_TRUE(about.IsOpen());

    // The credits: title, heading, name, notice and rights, web and e-mail headings
    // with their lines, empty lines between the groups, no line end at the end.
    CCreditsStatic& credits = about.Credits();
    std::vector<std::string> lines;
    std::stringstream in(credits.CreditsText());
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "\tKorvex v. 1.0");
    EXPECT_EQ(lines[2], "\rProgrammed by:");
    EXPECT_EQ(lines[8], "\rweb:");
    EXPECT_EQ(lines[11], "\re-mail:");
    for (int i : {1, 4, 7, 10})
        EXPECT_EQ(lines[i], "");
    for (int i : {3, 5, 6, 9, 12})
        EXPECT_TRUE(!lines[i].empty() && lines[i][0] != '\t' && lines[i][0] != '\r') << i;
    EXPECT_NE(credits.CreditsText().back(), '\n');

    // The box's own clock moves the column.
    HWND picture = about.Picture();
    RECT rc;
    ::GetClientRect(picture, &rc);
    const int h = rc.bottom, w = rc.right;
    const int start = credits.TextPosition();
    EXPECT_LE(start, h - 25);
    PumpFor(600);
    EXPECT_GE(start - credits.TextPosition(), 5);
    EXPECT_LE(start - credits.TextPosition(), 30);

    // Stopped, and ticked by hand from here on.
    about.StopClock();
    credits.SetCreditsText(credits.CreditsText());
    EXPECT_EQ(credits.TextPosition(), h - 25) << "new credits start again";
    // The screen shows a drawing once the system has copied it out: give it a moment.
    about.DrawAt(60);
    PumpFor(100);
    auto before = Image::OfScreen(picture);
    about.Tick();  // at row 59
    PumpFor(100);
    auto after = Image::OfScreen(picture);
    const int columnLeft = 380, shown = 280;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (x >= columnLeft && y >= 59 && y < shown - 1) {
                ASSERT_EQ(after->At(x, y), before->At(x, y + 1)) << x << "," << y << ": up one pixel";
            } else if (y != shown - 1) {
                ASSERT_EQ(after->At(x, y), before->At(x, y)) << x << "," << y << ": the picture stays";
            }
        }
    // The title in its colour (ANDed into the near-white panel), the rest dark.
    const uint32_t title = Pixel(RGB(0x10, 0x8C, 0xE7) & RGB(0xFC, 0xFC, 0xFC));
    int titlePixels = 0, darkPixels = 0;
    for (int y = 59; y < shown - 1; ++y)
        for (int x = columnLeft; x < w; ++x) {
            titlePixels += y < 59 + 20 && after->At(x, y) == title;
            darkPixels += y >= 59 + 20 && IsDark(after->At(x, y));
        }
    EXPECT_GT(titlePixels, 30);
    EXPECT_GT(darkPixels, 300);

    // Gone at the top, the column starts again at the bottom edge.
    about.DrawAt(-280);
    EXPECT_EQ(credits.TextPosition(), h);
    about.Tick();
    EXPECT_EQ(credits.TextPosition(), h - 1);
}

TEST_F(SkinTest, WindowsReleaseEverythingTheyDrawWith)
{
    const long base = GdiTally::Live();
    Open();
    EXPECT_GE(GdiTally::Live(), base + 9 * 5) << "four state pictures and a font per button";
    m_dlg.reset();
    EXPECT_EQ(GdiTally::Live(), base);

    // GetGuiResources says nothing under Wine: count through the skin's own
    // bookkeeping, and watch the process's memory over many open/close cycles.
    long open = 0, afterClose = 0;
    auto cycle = [&] {
        CAboutDlg about(AboutTitle(KORVEX_VERSION_TEXT));
        about.Create();
        ::SendMessageA(about.Credits().m_hWnd, WM_TIMER, CCreditsStatic::kTimerId, 0);
        open = GdiTally::Live() - base;
        ::DestroyWindow(about.m_hWnd);
        afterClose = std::max(afterClose, GdiTally::Live() - base);
    };
    for (int i = 0; i < 20; ++i)
        cycle();
    EXPECT_GE(open, 6) << "three surfaces while open";
    EXPECT_EQ(afterClose, 0) << "released when the box closes, not later";
    EXPECT_EQ(GdiTally::Live(), base);
    const SIZE_T before = PrivateBytes();
    for (int i = 0; i < 200; ++i)
        cycle();
    PumpFor(50);
    EXPECT_EQ(GdiTally::Live(), base);
    const double grownMb = (static_cast<double>(PrivateBytes()) - static_cast<double>(before)) / (1024 * 1024);
    EXPECT_LT(grownMb, 4.0) << "one lost picture per cycle alone would be 140 MB";
}

TEST_F(SkinTest, CreditsMarkUpTitlesHeadingsAndEmptyLines)
{
    ShownAbout about;
    ASSERT_TRUE(about.IsOpen());
    about.StopClock();
    CCreditsStatic& credits = about.Credits();
    HWND picture = about.Picture();
    RECT rc;
    ::GetClientRect(picture, &rc);
    const RECT column = {380, 0, rc.right, 279};
    // The frame with the column's top at the top edge.
    auto frameOf = [&](const std::string& text) {
        credits.SetCreditsText(text);
        about.DrawAt(0);
        PumpFor(100);
        return Image::OfScreen(picture);
    };
    auto tabs = frameOf("\t\t\tTitle\n\nA");
    auto oneTab = frameOf("\tTitle\nB\nA");
    auto heading = frameOf("\tTitle\n\rB\nA");

    // Every leading tab goes: the title is drawn alike.
    for (int y = 0; y < 20; ++y)
        for (int x = column.left; x < column.right; ++x)
            ASSERT_EQ(tabs->At(x, y), oneTab->At(x, y)) << x << "," << y;
    // An empty line advances as far as a normal one: the last line ends at the same row.
    const RECT afterEmpty = BoxOf(*tabs, column, IsDark), afterB = BoxOf(*oneTab, column, IsDark);
    EXPECT_EQ(afterEmpty.bottom, afterB.bottom);
    EXPECT_GT(afterEmpty.top, afterB.top) << "nothing drawn for the empty line";
    // A heading is the same height, in bold: wider and darker than the normal B.
    const RECT boldB = BoxOf(*heading, {column.left, afterB.top, column.right, afterB.top + 8}, IsDark);
    const RECT normalB = BoxOf(*oneTab, {column.left, afterB.top, column.right, afterB.top + 8}, IsDark);
    EXPECT_EQ(BoxOf(*heading, column, IsDark).bottom, afterB.bottom);
    EXPECT_GT(boldB.right - boldB.left, normalB.right - normalB.left);
}

namespace {

// The About picture as the box must show it at this scale: the rendering drawn for the
// scale where there is one (100 %, 150 %, 200 %); at 125 % the 150 % one shrunk (719
// pixels wide is a little more than 125 % of 575); else the nearest.
std::unique_ptr<Image> AboutPictureAt(int dpi, int width, int height)
{
    const UINT drawn = dpi >= 120 && dpi < 168 ? IDB_ABOUT_BACKGROUND_150
                       : dpi >= 168            ? IDB_ABOUT_BACKGROUND_200
                                               : IDB_ABOUT_BACKGROUND;
    HBITMAP source = static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(drawn), IMAGE_BITMAP, 0, 0, 0));
    BITMAP bm = {};
    ::GetObjectA(source, sizeof bm, &bm);
    // Stretched on a bitmap of the screen's kind, as the box draws it.
    HDC screen = ::GetDC(nullptr);
    HDC from = ::CreateCompatibleDC(screen), to = ::CreateCompatibleDC(screen);
    HBITMAP stretched = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ oldFrom = ::SelectObject(from, source), oldTo = ::SelectObject(to, stretched);
    ::SetStretchBltMode(to, HALFTONE);
    ::SetBrushOrgEx(to, 0, 0, nullptr);
    ::StretchBlt(to, 0, 0, width, height, from, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    auto image = std::make_unique<Image>(width, height);
    ::BitBlt(image->DC(), 0, 0, width, height, to, 0, 0, SRCCOPY);
    ::SelectObject(from, oldFrom);
    ::SelectObject(to, oldTo);
    ::DeleteDC(from);
    ::DeleteDC(to);
    ::DeleteObject(stretched);
    ::DeleteObject(source);
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
    return image;
}

}  // namespace

// Runs at every display scale: the picture, the column and its text grow alike.
TEST(AtScaleCredits, ThePictureIsTheOneDrawnForTheScaleAndTheColumnGrowsWithIt)
{
    const int dpi = SystemDpi();
    const auto S = [dpi](int v) { return ScaleForDpi(v, dpi); };
    ShownAbout about;
    ASSERT_TRUE(about.IsOpen());
    about.StopClock();
    CCreditsStatic& credits = about.Credits();
    HWND picture = about.Picture();
    RECT rc;
    ::GetClientRect(picture, &rc);
    const int w = rc.right, h = rc.bottom;

    EXPECT_EQ(credits.PictureSize().cx, S(575));
    EXPECT_EQ(credits.PictureSize().cy, S(318));
    EXPECT_EQ(credits.ColumnLeft(), S(380));
    EXPECT_EQ(credits.TextWidth(), S(220));
    EXPECT_EQ(credits.TextHeight(), S(280));
    // The picture fills the control as at 100 %: at most a few pixels either way.
    EXPECT_LE(std::abs(w - S(575)), S(4));
    EXPECT_LE(std::abs(h - S(318)), S(6));
    credits.SetCreditsText(credits.CreditsText());
    EXPECT_EQ(credits.TextPosition(), h - S(25));

    // Rises a scaled pixel a tick.
    const int step = std::max(1, S(1));
    EXPECT_EQ(credits.ScrollStep(), step);
    about.Tick();
    EXPECT_EQ(credits.TextPosition(), h - S(25) - step);

    // The column's top near the top edge: the picture shows sharp everywhere but in the
    // column, where the text darkens it, title first, in the title's height.
    while (credits.TextPosition() > S(2))
        about.Tick();
    const int top = credits.TextPosition();
    about.Tick();
    PumpFor(100);
    auto shown = Image::OfScreen(picture);
    auto expected = AboutPictureAt(dpi, S(575), S(318));
    // The part of the control on the screen (a large scale may take the box past its edge).
    const POINT origin = ClientPoint(picture, 0, 0);
    const int right = std::min({w, S(575), ::GetSystemMetrics(SM_CXSCREEN) - static_cast<int>(origin.x)});
    const int bottom = std::min({h, S(318), ::GetSystemMetrics(SM_CYSCREEN) - static_cast<int>(origin.y)});
    const RECT column = {S(380), top, S(380) + S(220), S(280)};
    int differing = 0, outside = 0;
    for (int y = 0; y < bottom; ++y)
        for (int x = 0; x < right; ++x)
            if (shown->At(x, y) != expected->At(x, y)) {
                const POINT p = {x, y};
                ++(::PtInRect(&column, p) ? differing : outside);
            }
    EXPECT_EQ(outside, 0) << "the picture outside the column, as drawn for the scale";
    EXPECT_GT(differing, S(300)) << "the credits' text";
    // The title's blue ANDed into the light panel: little red, much blue.
    const RECT title = BoxOf(*shown, {column.left, column.top, std::min<LONG>(column.right, right), column.bottom},
                             [](uint32_t p) { return ((p >> 16) & 0xFF) < 0x30 && (p & 0xFF) > 0xA0; });
    ASSERT_LT(title.left, title.right) << "a title is shown";
    EXPECT_LE(title.bottom - top, S(20)) << "the title's line, scaled";
    EXPECT_GT(title.bottom - title.top, S(20) / 2);
}
