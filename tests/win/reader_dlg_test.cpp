// The main window driven through real messages, with the scripted communication
// library standing in for the register.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <dbt.h>

#include <cstring>
#include <memory>
#include <thread>

#include "core/AppSettings.h"
#include "app/ReaderApp.h"
#include "core/UiText.h"
#include "link/CommLibrary.h"
#include "link/LastRunRecord.h"
#include "quorlink/QuorlinkTest.h"
#include "res/resource.h"
#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

struct Scripted {
    PFN_Test_Reset reset;
    PFN_Test_SetPorts setPorts;
    PFN_Test_SetOpenResult setOpenResult;
    PFN_Test_QueueRead queueRead;
    PFN_Test_QueueRawRead queueRawRead;
    PFN_Test_GetStats getStats;

    QuorlinkTestStats Stats() const
    {
        QuorlinkTestStats s = {};
        getStats(&s);
        return s;
    }
    void Queue(const std::string& bytes) const
    {
        queueRead(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    }
};

// A drop of these files as the shell hands it over.
HDROP MakeDrop(const std::vector<std::string>& files)
{
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& f : files)
        size += f.size() + 1;
    HGLOBAL block = ::GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* names = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
    for (const std::string& f : files) {
        std::memcpy(names, f.c_str(), f.size() + 1);
        names += f.size() + 1;
    }
    ::GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

// The clipboard's text as another program sees it. The window's thread goes on handling
// messages meanwhile, as the program's would: the clipboard may ask its owner.
std::string ClipboardOfAnotherProcess()
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return "(no pipe)";
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string command = "\"" + ExeDir() + "korvexctl.exe\" clipboard";
    const bool started = ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    ::CloseHandle(writeEnd);
    std::string text;
    std::thread reader([&] {
        char buffer[4096];
        DWORD got = 0;
        while (started && ::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
            text.append(buffer, got);
    });
    if (started)
        PumpUntil([&] { return ::WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 10000);
    reader.join();
    ::CloseHandle(readEnd);
    if (!started)
        return "(korvexctl did not start)";
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return text;
}

// A key pressed in the window with Ctrl held down.
void PressWithCtrl(HWND window, WPARAM key)
{
    BYTE keys[256];
    ::GetKeyboardState(keys);
    const BYTE ctrl = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    ::SendMessageA(window, WM_KEYDOWN, key, 1);
    keys[VK_CONTROL] = ctrl;
    ::SetKeyboardState(keys);
}

class ReaderDlgTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        HMODULE m = LoadScriptedLibrary();
        ASSERT_NE(m, nullptr);
        s_lib = {ExportOf<PFN_Test_Reset>(m, "Test_Reset"),         ExportOf<PFN_Test_SetPorts>(m, "Test_SetPorts"),
                 ExportOf<PFN_Test_SetOpenResult>(m, "Test_SetOpenResult"), ExportOf<PFN_Test_QueueRead>(m, "Test_QueueRead"),
                 ExportOf<PFN_Test_QueueRawRead>(m, "Test_QueueRawRead"), ExportOf<PFN_Test_GetStats>(m, "Test_GetStats")};
    }
    static void TearDownTestSuite() { TestApp().m_commLibrary.FreeDll(); }

    void SetUp() override
    {
        s_lib.reset();
        ResetTestApp({"COM1", "COM3", "COM8"}, m_dir.Path());
        TestApp().m_settings.tabFile = m_dir.File("Tab.txt");
        TestApp().m_settings.invalidCharFile = m_dir.File("Invalid.txt");
        WriteFileBytes(TestApp().m_settings.tabFile, IdentityTableFile());
        WriteFileBytes(TestApp().m_settings.invalidCharFile, "0x07;0x1B\n");
    }
    void TearDown() override
    {
        if (m_dlg && m_dlg->IsWindow())
            ::DestroyWindow(m_dlg->m_hWnd);
        m_dlg.reset();
        TestApp().m_uiText.Reset();
    }

    CReaderDlg& Open()
    {
        m_dlg = std::make_unique<CReaderDlg>(TestApp());
        EXPECT_TRUE(m_dlg->Create());
        PumpFor(50);
        return *m_dlg;
    }
    HWND Item(int id) const { return ::GetDlgItem(m_dlg->m_hWnd, id); }
    std::string Text(int id) const
    {
        char text[512] = "";
        ::GetWindowTextA(Item(id), text, sizeof text);
        return text;
    }
    void Command(int id, int code = BN_CLICKED) const
    {
        ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
    }
    int ComboSel(int id) const { return static_cast<int>(::SendMessageA(Item(id), CB_GETCURSEL, 0, 0)); }
    int ComboCount(int id) const { return static_cast<int>(::SendMessageA(Item(id), CB_GETCOUNT, 0, 0)); }
    RECT ClientRectOf(int id) const
    {
        RECT r;
        ::GetWindowRect(Item(id), &r);
        ::MapWindowPoints(nullptr, m_dlg->m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    std::vector<std::string> PortItems() const
    {
        std::vector<std::string> items;
        for (int i = 0; i < ComboCount(IDC_COM_PORT); ++i) {
            char text[64] = "";
            ::SendMessageA(Item(IDC_COM_PORT), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    std::string SelectedPort() const
    {
        const int sel = ComboSel(IDC_COM_PORT);
        return sel < 0 ? "(none)" : PortItems()[sel];
    }
    // The operator opens the COM port list and closes it again.
    void DropDownPortList() const
    {
        ::SendMessageA(Item(IDC_COM_PORT), CB_SHOWDROPDOWN, TRUE, 0);
        ::SendMessageA(Item(IDC_COM_PORT), CB_SHOWDROPDOWN, FALSE, 0);
    }
    bool WaitLines(int n) const
    {
        return PumpUntil([&] { return m_dlg->View().GetLineCount() >= n; }, 5000);
    }

    static Scripted s_lib;
    TempDir m_dir;
    std::unique_ptr<CReaderDlg> m_dlg;
};

Scripted ReaderDlgTest::s_lib;

}  // namespace

TEST_F(ReaderDlgTest, OpensWithTextsListsAndSelectionsFromTheSettings)
{
    TestApp().m_settings.comPort = 8;
    TestApp().m_settings.baudRate = 115200;
    TestApp().m_settings.indent = 60;
    TestApp().m_settings.updateListPosition = 1;
    Open();

    EXPECT_EQ(Text(IDC_COM_PORT_LABEL), "COM Port");
    EXPECT_EQ(Text(IDC_BAUD_LABEL), "Baud Rate");
    EXPECT_EQ(Text(IDC_INDENT_LABEL), "Rientry");
    EXPECT_EQ(Text(IDC_OUTPUT_GROUP), "Output");
    EXPECT_EQ(Text(IDC_START), "Start");
    EXPECT_EQ(Text(IDC_EXIT), "");
    EXPECT_EQ(ComboCount(IDC_COM_PORT), 3);
    EXPECT_EQ(ComboSel(IDC_COM_PORT), 2);
    EXPECT_EQ(ComboCount(IDC_BAUD_RATE), 9);
    EXPECT_EQ(ComboSel(IDC_BAUD_RATE), 7);
    EXPECT_EQ(ComboCount(IDC_INDENT), 51);
    EXPECT_EQ(ComboSel(IDC_INDENT), 0) << "a RIENTRY outside 0..50 shows the first item";
    EXPECT_EQ(::SendMessageA(Item(IDC_UPDATE_BAR), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_HIDDEN_STATIC)));
    EXPECT_EQ(TestApp().m_settings.indent, 60) << "nothing is copied back before the controls are used";

    HMENU sys = ::GetSystemMenu(m_dlg->m_hWnd, FALSE);
    const int n = ::GetMenuItemCount(sys);
    char about[64] = "";
    ::GetMenuStringA(sys, n - 1, about, sizeof about, MF_BYPOSITION);
    EXPECT_STREQ(about, "Infor&mazioni su Korvex...");
    EXPECT_EQ(::GetMenuItemID(sys, n - 1), static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(::GetMenuState(sys, n - 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
}

TEST_F(ReaderDlgTest, CaptionsFollowALanguageFileOfTwentyOneTexts)
{
    std::string file;
    for (int i = 0; i < 21; ++i)
        file += std::to_string(i) + " :>\"T" + std::to_string(i) + "\"<:\r\n";
    WriteFileBytes(m_dir.File("lang.txt"), file);
    TestApp().m_uiText.LoadLanguage(m_dir.File("lang.txt"));
    Open();
    EXPECT_EQ(Text(IDC_COM_PORT_LABEL), "T0");
    EXPECT_EQ(Text(IDC_UPDATE_BAR), "T2");
    EXPECT_EQ(Text(IDC_PRINT), "T11");
    EXPECT_EQ(Text(IDC_START), "T12");
    EXPECT_EQ(Text(IDC_EXIT), "T14");
}

// Two windows on two states: each shows and changes only the state it was given.
TEST_F(ReaderDlgTest, AWindowReadsAndChangesOnlyTheStateItWasGiven)
{
    AppContext other;
    other.m_comPortList = {"COM4", "COM9"};
    other.m_baudRateList = {"300", "9600"};
    other.m_settings.comPort = 9;
    other.m_settings.indent = 7;
    other.m_uiText[TXT_INDENT] = "Rientro";
    TestApp().m_settings.indent = 12;
    CReaderDlg mine(TestApp());
    ASSERT_TRUE(mine.Create());
    m_dlg = std::make_unique<CReaderDlg>(other);
    struct CloseFirst {
        std::unique_ptr<CReaderDlg>& dlg;
        ~CloseFirst() { dlg.reset(); }
    } closeFirst{m_dlg};
    ASSERT_TRUE(m_dlg->Create());

    EXPECT_EQ(Text(IDC_INDENT_LABEL), "Rientro");
    EXPECT_EQ(ComboCount(IDC_COM_PORT), 2);
    EXPECT_EQ(ComboSel(IDC_COM_PORT), 1);
    EXPECT_EQ(ComboCount(IDC_BAUD_RATE), 2);
    EXPECT_EQ(ComboSel(IDC_BAUD_RATE), 1);
    EXPECT_EQ(ComboSel(IDC_INDENT), 7);
    ::SendMessageA(Item(IDC_INDENT), CB_SETCURSEL, 3, 0);
    Command(IDC_INDENT, CBN_SELENDOK);
    EXPECT_EQ(other.m_settings.indent, 3);

    char label[64] = "";
    ::GetDlgItemTextA(mine.m_hWnd, IDC_INDENT_LABEL, label, sizeof label);
    EXPECT_STREQ(label, "Rientry");
    EXPECT_EQ(::SendDlgItemMessageA(mine.m_hWnd, IDC_INDENT, CB_GETCURSEL, 0, 0), 12);
    EXPECT_EQ(::SendDlgItemMessageA(mine.m_hWnd, IDC_COM_PORT, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(TestApp().m_settings.indent, 12) << "the other window's choice stays in its own state";
    EXPECT_EQ(TestApp().m_uiText[TXT_INDENT], "Rientry");

    // The window made first still changes its own state, not the one made after it.
    HWND myIndent = ::GetDlgItem(mine.m_hWnd, IDC_INDENT);
    ::SendMessageA(myIndent, CB_SETCURSEL, 5, 0);
    ::SendMessageA(mine.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_INDENT, CBN_SELENDOK), reinterpret_cast<LPARAM>(myIndent));
    EXPECT_EQ(TestApp().m_settings.indent, 5);
    EXPECT_EQ(other.m_settings.indent, 3);
}

TEST_F(ReaderDlgTest, AcquisitionShowsTranslatedIndentedLinesInOrder)
{
    TestApp().m_settings.comPort = 3;
    TestApp().m_settings.baudRate = 19200;
    Open();
    ::SendMessageA(Item(IDC_INDENT), CB_SETCURSEL, 2, 0);
    Command(IDC_INDENT, CBN_SELENDOK);
    EXPECT_EQ(TestApp().m_settings.indent, 2);

    s_lib.Queue("AB\r\nC");
    s_lib.Queue(std::string("D\x07\r", 3));  // the CR of a later read completes the same line
    s_lib.Queue(std::string("\0E\x1B" "F\r\r", 6));
    s_lib.Queue("partial");
    Command(IDC_START);
    EXPECT_EQ(Text(IDC_START), "Stop");
    EXPECT_TRUE(m_dlg->IsRunning());
    ASSERT_TRUE(WaitLines(4));
    PumpFor(150);
    Command(IDC_START);
    PumpFor(50);

    CDataView& view = m_dlg->View();
    ASSERT_EQ(view.GetLineCount(), 4) << "the partial line at Stop is dropped";
    EXPECT_EQ(view.GetLine(0), "  AB");
    EXPECT_EQ(view.GetLine(1), "  CD");
    EXPECT_EQ(view.GetLine(2), "  EF");
    EXPECT_EQ(view.GetLine(3), "  ");
    EXPECT_EQ(Text(IDC_START), "Start");
    EXPECT_FALSE(m_dlg->IsRunning());
    const QuorlinkTestStats stats = s_lib.Stats();
    EXPECT_EQ(stats.lastOpenPort, 3);
    EXPECT_EQ(stats.lastOpenBaud, 19200);
    EXPECT_EQ(stats.lastReadSize, 512);
    EXPECT_EQ(stats.openCalls, 1);
    EXPECT_EQ(stats.closeCalls, 1);
}

TEST_F(ReaderDlgTest, AMissingPortIsNamedAndNotOpenedAndCountsAboveTheBufferAreClamped)
{
    TestApp().m_settings.comPort = 7;  // not in the list: nothing selected
    Open();
    EXPECT_EQ(ComboSel(IDC_COM_PORT), -1);
    {
        DialogWatcher watcher;
        std::string captionMeanwhile;
        watcher.SetHandler([&](HWND) {
            captionMeanwhile = Text(IDC_START);
            return false;
        });
        Command(IDC_START);
        // Choosing an indentation copies the controls into the settings: the missing
        // port must stay the one named.
        ::SendMessageA(Item(IDC_INDENT), CB_SETCURSEL, 4, 0);
        Command(IDC_INDENT, CBN_SELENDOK);
        Command(IDC_START);
        EXPECT_EQ(watcher.Texts(), (std::vector<std::string>{"COM7 is not present.", "COM7 is not present."}));
        EXPECT_EQ(captionMeanwhile, "Start");
    }
    PumpFor(100);
    EXPECT_EQ(Text(IDC_START), "Start");
    EXPECT_FALSE(m_dlg->IsRunning());
    EXPECT_EQ(s_lib.Stats().openCalls, 0) << "no port opened";
    EXPECT_EQ(TestApp().m_settings.comPort, 7);
    EXPECT_EQ(TestApp().m_settings.indent, 4);

    // With a port chosen the run starts.
    ::SendMessageA(Item(IDC_COM_PORT), CB_SETCURSEL, 1, 0);
    TestApp().m_settings.indent = 0;
    ::SendMessageA(Item(IDC_INDENT), CB_SETCURSEL, 0, 0);
    std::string block(512, 'x');
    block[100] = '\r';
    s_lib.queueRawRead(1, reinterpret_cast<const unsigned char*>(block.data()), 512, 100000u);
    s_lib.queueRawRead(1, nullptr, 0, 0);  // a delivery of nothing only pauses
    s_lib.Queue("\r");
    Command(IDC_START);
    ASSERT_TRUE(WaitLines(2));
    Command(IDC_START);
    EXPECT_EQ(s_lib.Stats().lastOpenPort, 3);
    EXPECT_EQ(TestApp().m_settings.comPort, 3);
    EXPECT_EQ(m_dlg->View().GetLine(0), std::string(100, 'x'));
    EXPECT_EQ(m_dlg->View().GetLine(1), std::string(411, 'x'));
}

// The port list asks the library as it opens, on a device change, and every few seconds
// while it is empty; the rules of the list itself are tested natively.
TEST_F(ReaderDlgTest, ThePortListFollowsTheAdaptersAndStartNeedsAPort)
{
    using Ports = std::vector<std::string>;
    enum Ask { kOpeningTheList, kDeviceArrival, kPollWhileEmpty };
    for (Ask ask : {kOpeningTheList, kDeviceArrival, kPollWhileEmpty}) {
        SCOPED_TRACE("asked by " + std::to_string(ask));
        s_lib.reset();
        s_lib.setPorts(nullptr, 0);
        ResetTestApp({}, m_dir.Path());  // start-up found no port
        TestApp().m_settings.comPort = 5;
        Open();
        ASSERT_EQ(ComboCount(IDC_COM_PORT), 0);
        {
            DialogWatcher watcher;
            Command(IDC_START);
            EXPECT_EQ(watcher.Texts(), Ports{"No COM port is present.\nConnect the register's adapter, then open "
                                             "the COM Port list."});
        }
        EXPECT_EQ(Text(IDC_START), "Start");
        EXPECT_FALSE(m_dlg->IsRunning());
        EXPECT_EQ(s_lib.Stats().openCalls, 0);

        const int ports[] = {12, 5};
        s_lib.setPorts(ports, 2);
        if (ask == kOpeningTheList)
            DropDownPortList();
        else if (ask == kDeviceArrival)
            ::SendMessageA(m_dlg->m_hWnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
        else
            PumpUntil([&] { return ComboCount(IDC_COM_PORT) > 0; }, 6000);
        ASSERT_EQ(PortItems(), (Ports{"COM12", "COM5"}));
        ASSERT_EQ(SelectedPort(), "COM5") << "the configured port is chosen as it appears";
        Command(IDC_START);
        EXPECT_TRUE(PumpUntil([&] { return s_lib.Stats().openCalls == 1; }, 5000));
        EXPECT_EQ(s_lib.Stats().lastOpenPort, 5);
        Command(IDC_START);
    }

    // The chosen port stays listed while it is chosen; the list keeps the choice.
    const int com12[] = {12};
    s_lib.setPorts(com12, 1);
    DropDownPortList();
    EXPECT_EQ(PortItems(), (Ports{"COM5", "COM12"}));
    EXPECT_EQ(SelectedPort(), "COM5");
    ::SendMessageA(Item(IDC_COM_PORT), CB_SETCURSEL, 1, 0);
    const int present[] = {3, 12};
    s_lib.setPorts(present, 2);
    DropDownPortList();
    EXPECT_EQ(PortItems(), (Ports{"COM3", "COM12"}));
    ASSERT_EQ(SelectedPort(), "COM12");

    // While a run reads, the library is not asked and the list stays.
    Command(IDC_START);
    const int asked = s_lib.Stats().getComInstalledCalls;
    const int com20[] = {20};
    s_lib.setPorts(com20, 1);
    DropDownPortList();
    ::SendMessageA(m_dlg->m_hWnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    EXPECT_EQ(s_lib.Stats().getComInstalledCalls, asked);
    EXPECT_EQ(PortItems(), (Ports{"COM3", "COM12"}));
    Command(IDC_START);
    EXPECT_EQ(s_lib.Stats().lastOpenPort, 12);
    ::SendMessageA(m_dlg->m_hWnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    EXPECT_EQ(PortItems(), (Ports{"COM12", "COM20"}));
    EXPECT_EQ(SelectedPort(), "COM12");
}

TEST_F(ReaderDlgTest, OpenFailureIsReportedOnceAndTheNextStartTriesAgain)
{
    Open();
    s_lib.setOpenResult(5);
    DialogWatcher watcher;
    Command(IDC_START);
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 1 && Text(IDC_START) == "Start"; }, 5000));
    PumpFor(200);
    EXPECT_EQ(watcher.Texts(), std::vector<std::string>{"ERROR open COM port.\nCOM" +
                                                         std::to_string(s_lib.Stats().lastOpenPort) +
                                                         ": the communication library answered 5"});
    EXPECT_FALSE(m_dlg->IsRunning());
    EXPECT_EQ(s_lib.Stats().closeCalls, 1);

    s_lib.setOpenResult(0);
    Command(IDC_START);
    EXPECT_TRUE(m_dlg->IsRunning());
    Command(IDC_START);
    EXPECT_EQ(s_lib.Stats().openCalls, 2);
    EXPECT_EQ(watcher.Count(), 1u);
}

TEST_F(ReaderDlgTest, ClearEnterAndEscapeAskOrDoNothingAsTheyShould)
{
    Open();
    m_dlg->View().AddLine("kept", false);
    DialogWatcher watcher;

    watcher.QueueAnswer(IDNO);
    Command(IDC_CLEAR);
    EXPECT_EQ(m_dlg->View().GetLineCount(), 1);
    watcher.QueueAnswer(IDYES);
    Command(IDC_CLEAR);
    EXPECT_EQ(m_dlg->View().GetLineCount(), 0);
    EXPECT_EQ(watcher.Texts(), (std::vector<std::string>{"Clear all data?", "Clear all data?"}));

    Command(IDOK);
    EXPECT_TRUE(m_dlg->IsWindow()) << "Enter does not close the window";

    Command(IDC_START);
    watcher.QueueAnswer(IDNO);
    Command(IDCANCEL);
    EXPECT_TRUE(m_dlg->IsWindow());
    EXPECT_TRUE(m_dlg->IsRunning()) << "No keeps both the window and the run";
    EXPECT_EQ(watcher.Texts().back(), "ATTENTION! Communication is start!\nContinue?");
    watcher.QueueAnswer(IDYES);
    Command(IDC_EXIT);
    EXPECT_FALSE(m_dlg->IsWindow());
    EXPECT_EQ(watcher.Count(), 4u);
    EXPECT_EQ(s_lib.Stats().closeCalls, 1) << "closing the window stops the run";
}

TEST_F(ReaderDlgTest, EscapeClosesAtOnceWhenNothingRuns)
{
    Open();
    DialogWatcher watcher;
    Command(IDCANCEL);
    EXPECT_FALSE(m_dlg->IsWindow());
    EXPECT_EQ(watcher.Count(), 0u);
}

TEST_F(ReaderDlgTest, MinimumSizeAndAnchoringFollowTheWindowSize)
{
    Open();
    MINMAXINFO mmi = {};
    ::SendMessageA(m_dlg->m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMinTrackSize.x, 420);
    EXPECT_EQ(mmi.ptMinTrackSize.y, 350);

    const int ids[] = {IDC_DATA_VIEW, IDC_START, IDC_EXIT, IDC_SAVE, IDC_COM_PORT_LABEL, IDC_FONT};
    RECT before[6];
    for (int i = 0; i < 6; ++i)
        before[i] = ClientRectOf(ids[i]);
    RECT wr;
    ::GetWindowRect(m_dlg->m_hWnd, &wr);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    ::SetWindowPos(m_dlg->m_hWnd, nullptr, 0, 0, w + 100, h + 50, SWP_NOMOVE | SWP_NOZORDER);
    const int expected[6][4] = {{0, 0, 100, 50}, {50, 50, 50, 50}, {100, 50, 100, 50},
                                {0, 50, 0, 50},  {50, 0, 50, 0},   {0, 0, 0, 0}};
    for (int i = 0; i < 6; ++i) {
        RECT r = ClientRectOf(ids[i]);
        EXPECT_EQ(r.left - before[i].left, expected[i][0]) << ids[i];
        EXPECT_EQ(r.top - before[i].top, expected[i][1]) << ids[i];
        EXPECT_EQ(r.right - before[i].right, expected[i][2]) << ids[i];
        EXPECT_EQ(r.bottom - before[i].bottom, expected[i][3]) << ids[i];
    }
    ::SetWindowPos(m_dlg->m_hWnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
    for (int i = 0; i < 6; ++i) {
        RECT r = ClientRectOf(ids[i]);
        EXPECT_TRUE(::EqualRect(&r, &before[i])) << ids[i];
    }
}

TEST_F(ReaderDlgTest, SaveAsSaveAndLoadRoundTripThroughTheFileDialogs)
{
    Open();
    m_dlg->View().AddLine("A", false);
    m_dlg->View().AddLine("", false);
    m_dlg->View().AddLine("B", false);
    const std::string path = m_dir.File("x.txt");
    {
        FileDialogAnswer answer(path);
        Command(IDC_SAVE_AS);
        ASSERT_TRUE(answer.WaitDone(5000));
        EXPECT_EQ(answer.ProposedName(), "Out.txt");
    }
    EXPECT_EQ(ReadFileBytes(path), std::string("A\r\n\r\nB\r\n"));
    EXPECT_EQ(TestApp().m_settings.outputFile, path);

    m_dlg->View().AddLine("C", false);
    Command(IDC_SAVE);  // no dialog: writes the current output file
    EXPECT_EQ(ReadFileBytes(path), std::string("A\r\n\r\nB\r\nC\r\n"));

    WriteFileBytes(m_dir.File("in.txt"), "41\r\n42 43\r\n\r\nlast");
    {
        FileDialogAnswer answer(m_dir.File("in.txt"));
        Command(IDC_LOAD);
        ASSERT_TRUE(answer.WaitDone(5000));
        EXPECT_EQ(answer.ProposedName(), "x.txt");
    }
    ASSERT_EQ(m_dlg->View().GetLineCount(), 4);
    EXPECT_EQ(m_dlg->View().GetLine(1), "42 43");
    EXPECT_EQ(m_dlg->View().GetLine(2), "");
    EXPECT_EQ(m_dlg->View().GetLine(3), "last");
    EXPECT_EQ(TestApp().m_settings.outputFile, m_dir.File("in.txt"));

    DialogWatcher watcher;
    {
        FileDialogAnswer answer(m_dir.File("missing.txt"));
        Command(IDC_LOAD);
        ASSERT_TRUE(answer.WaitDone(5000));
    }
    ASSERT_TRUE(watcher.WaitForCount(1, 5000));
    EXPECT_EQ(watcher.Texts()[0], MessageWithReason("ERROR load file.", m_dir.File("missing.txt"), ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(m_dlg->View().GetLineCount(), 4) << "a failed load leaves the view as it was";
    EXPECT_EQ(TestApp().m_settings.outputFile, m_dir.File("in.txt"));

    {
        FileDialogAnswer cancel("");
        Command(IDC_SAVE_AS);
        ASSERT_TRUE(cancel.WaitDone(5000));
    }
    EXPECT_EQ(TestApp().m_settings.outputFile, m_dir.File("in.txt")) << "a cancelled Save As changes nothing";
}

TEST_F(ReaderDlgTest, SaveWithoutAnOutputFileAsksForANameAndEmptyViewsGiveEmptyFiles)
{
    Open();
    DialogWatcher watcher;
    {
        FileDialogAnswer cancel("");
        Command(IDC_SAVE);
        ASSERT_TRUE(cancel.WaitDone(5000));
        EXPECT_EQ(cancel.ProposedName(), "Out.txt");
    }
    PumpFor(300);
    EXPECT_EQ(watcher.Count(), 0u) << "a cancelled name is a cancel, not a failed save";

    const std::string empty = m_dir.File("empty.txt");
    {
        FileDialogAnswer answer(empty);
        Command(IDC_SAVE);
        ASSERT_TRUE(answer.WaitDone(5000));
    }
    PumpFor(100);
    EXPECT_TRUE(FileExists(empty));
    EXPECT_EQ(ReadFileBytes(empty), "");
    EXPECT_EQ(TestApp().m_settings.outputFile, "") << "the name chosen for one Save does not become the output file";

    m_dlg->View().AddLine("old", false);
    {
        FileDialogAnswer answer(empty);
        Command(IDC_LOAD);
        ASSERT_TRUE(answer.WaitDone(5000));
    }
    EXPECT_EQ(m_dlg->View().GetLineCount(), 0) << "loading an empty file empties the view";
    EXPECT_EQ(TestApp().m_settings.outputFile, empty);
    EXPECT_EQ(watcher.Count(), 0u);
}

TEST_F(ReaderDlgTest, OutputBoxShowsTheNewFileAtOnceAndADroppedFileLoadsAsLoadWould)
{
    Open();
    EXPECT_TRUE(::GetWindowLongA(m_dlg->m_hWnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    m_dlg->View().AddLine("A", false);
    const std::string saved = m_dir.File("B.txt");
    {
        FileDialogAnswer answer(saved);
        Command(IDC_SAVE_AS);
        ASSERT_TRUE(answer.WaitDone(5000));
    }
    // Read at once (WM_GETTEXT): no resize, no paint in between.
    EXPECT_EQ(Text(IDC_OUTPUT_PATH), saved);

    const std::string loaded = m_dir.File("registerA.txt");
    WriteFileBytes(loaded, "1\r\n2\r\n");
    {
        FileDialogAnswer answer(loaded);
        Command(IDC_LOAD);
        ASSERT_TRUE(answer.WaitDone(5000));
    }
    EXPECT_EQ(Text(IDC_OUTPUT_PATH), loaded);

    // Of several dropped files the first is loaded, exactly as Load would.
    const std::string dropped = m_dir.File("dropped.txt");
    WriteFileBytes(dropped, "x\r\n\r\ny");
    ::SendMessageA(m_dlg->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({dropped, loaded})), 0);
    ASSERT_EQ(m_dlg->View().GetLineCount(), 3);
    EXPECT_EQ(m_dlg->View().GetLine(0), "x");
    EXPECT_EQ(m_dlg->View().GetLine(2), "y");
    EXPECT_EQ(TestApp().m_settings.outputFile, dropped);
    EXPECT_EQ(Text(IDC_OUTPUT_PATH), dropped);

    DialogWatcher watcher;
    ::SendMessageA(m_dlg->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({m_dir.File("gone.txt")})), 0);
    ASSERT_TRUE(watcher.WaitForCount(1, 5000));
    EXPECT_EQ(watcher.Texts()[0], MessageWithReason("ERROR load file.", m_dir.File("gone.txt"), ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(m_dlg->View().GetLineCount(), 3);
    EXPECT_EQ(TestApp().m_settings.outputFile, dropped);
}

TEST_F(ReaderDlgTest, CtrlCCopiesTheMarkedLineOrEveryLineWithoutStoppingTheRun)
{
    Open();
    s_lib.Queue("one\rtwo\r\rfour\r");
    Command(IDC_START);
    ASSERT_TRUE(WaitLines(4));

    PressWithCtrl(Item(IDC_DATA_VIEW), 'C');
    EXPECT_EQ(ClipboardOfAnotherProcess(), "one\r\ntwo\r\n\r\nfour");
    EXPECT_TRUE(m_dlg->IsRunning());
    s_lib.Queue("five\r");
    EXPECT_TRUE(WaitLines(5)) << "the run goes on";

    const int row = m_dlg->View().GetLineHeight();
    ::SendMessageA(Item(IDC_DATA_VIEW), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, row + row / 2));
    ::SendMessageA(Item(IDC_DATA_VIEW), WM_LBUTTONUP, 0, MAKELPARAM(5, row + row / 2));
    ASSERT_TRUE(m_dlg->View().IsMarked(1));
    PressWithCtrl(Item(IDC_DATA_VIEW), VK_INSERT);
    EXPECT_EQ(ClipboardOfAnotherProcess(), "two");
    EXPECT_TRUE(m_dlg->View().IsMarked(1)) << "copying leaves the mark where it was";
    EXPECT_EQ(m_dlg->View().GetMarkCount(), 1);
    Command(IDC_START);
}

TEST_F(ReaderDlgTest, EachRunIsOnDiskWithinASecondAndTheRecordBeforeItIsKept)
{
    Open();
    const std::string record = m_dir.File(CLastRunRecord::kFileName);
    const std::string previous = m_dir.File(CLastRunRecord::kPreviousFileName);
    auto waitFile = [](const std::string& path, const std::string& bytes) {
        return PumpUntil([&] { return FileExists(path) && ReadFileBytes(path) == bytes; }, 3000);
    };
    // One run from Start to Stop that receives the given lines.
    auto run = [&](const std::string& bytes, int newLines) {
        const int before = m_dlg->View().GetLineCount();
        if (!bytes.empty())
            s_lib.Queue(bytes);
        Command(IDC_START);
        EXPECT_TRUE(WaitLines(before + newLines));
        PumpFor(100);
        Command(IDC_START);
    };

    s_lib.Queue("AB\rC\x07");
    s_lib.Queue("D\rpart");
    Command(IDC_START);
    ASSERT_TRUE(WaitLines(2));
    EXPECT_TRUE(waitFile(record, "AB\r\nCD\r\n")) << "on disk while the run goes on";
    EXPECT_TRUE(m_dlg->IsRunning());
    Command(IDC_START);

    // A Start whose port does not open leaves the record alone.
    DialogWatcher watcher;
    s_lib.setOpenResult(5);
    Command(IDC_START);
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 1; }, 5000));
    PumpFor(600);
    s_lib.setOpenResult(0);
    EXPECT_EQ(ReadFileBytes(record), "AB\r\nCD\r\n");
    EXPECT_FALSE(FileExists(previous));

    run("EF\r", 1);
    EXPECT_TRUE(waitFile(record, "EF\r\n"));
    EXPECT_EQ(ReadFileBytes(previous), "AB\r\nCD\r\n");
    // A run that received nothing is kept until a run replaces it, but never pushes out the
    // record before it.
    run("", 0);
    EXPECT_TRUE(waitFile(record, ""));
    EXPECT_EQ(ReadFileBytes(previous), "EF\r\n");
    run("GH\r", 1);
    EXPECT_TRUE(waitFile(record, "GH\r\n"));
    EXPECT_EQ(ReadFileBytes(previous), "EF\r\n");

    // Where the record can't be written the run goes on as without it, without a word.
    TestApp().m_programDir = m_dir.File("no such folder\\");
    run("IJ\r", 1);
    EXPECT_EQ(m_dlg->View().GetLine(m_dlg->View().GetLineCount() - 1), "IJ");
    PumpFor(600);
    EXPECT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(ReadFileBytes(record), "GH\r\n");
}

TEST_F(ReaderDlgTest, FontDialogStoresTheChosenFontAndCancelChangesNothing)
{
    TestApp().m_settings.listFontColor = RGB(0, 0, 255);
    Open();
    const int kFaceCombo = 0x470;  // cmb1 of the font dialog
    {
        FileDialogAnswer cancel("", kFaceCombo);
        Command(IDC_FONT);
        ASSERT_TRUE(cancel.WaitDone(5000));
    }
    EXPECT_EQ(TestApp().m_settings.listFontSize, 10);
    {
        FileDialogAnswer ok("ok", kFaceCombo);
        Command(IDC_FONT);
        ASSERT_TRUE(ok.WaitDone(5000));
    }
    EXPECT_EQ(TestApp().m_settings.listFontName, "Courier New");
    EXPECT_EQ(TestApp().m_settings.listFontBold, 400);
    EXPECT_EQ(TestApp().m_settings.listFontItalic, 0);
    EXPECT_EQ(TestApp().m_settings.listFontColor, static_cast<uint32_t>(RGB(0, 0, 255)));
    EXPECT_EQ(m_dlg->View().GetListFont().size, TestApp().m_settings.listFontSize) << "the view took the chosen font";
    EXPECT_EQ(m_dlg->View().GetTextColor(), RGB(0, 0, 255));
}

TEST_F(ReaderDlgTest, AFailedRunsLateEndLeavesTheNextRunsCaptionAlone)
{
    Open();
    s_lib.setOpenResult(5);
    DialogWatcher watcher;
    Command(IDC_START);
    // The worker has ended, but its end has not reached the window yet.
    for (int i = 0; i < 500 && m_dlg->IsRunning(); ++i)
        ::Sleep(5);
    ASSERT_FALSE(m_dlg->IsRunning());
    s_lib.setOpenResult(0);
    Command(IDC_START);
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 1; }, 5000));
    PumpFor(100);
    EXPECT_TRUE(m_dlg->IsRunning());
    EXPECT_EQ(Text(IDC_START), "Stop");
    EXPECT_EQ(watcher.Texts(), std::vector<std::string>{"ERROR open COM port.\nCOM" +
                                                         std::to_string(s_lib.Stats().lastOpenPort) +
                                                         ": the communication library answered 5"});
    Command(IDC_START);
}
