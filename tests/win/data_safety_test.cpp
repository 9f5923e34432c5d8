// What keeps the operator's data: the output box after Save As and Load, a file dropped
// on the window, copying lines out of the view, and the record of the last run on disk.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <memory>
#include <thread>

#include "app/AppSettings.h"
#include "app/ReaderApp.h"
#include "app/UiText.h"
#include "link/CommLibrary.h"
#include "link/LastRunRecord.h"
#include "quorlink/QuorlinkTest.h"
#include "res/resource.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

struct Scripted {
    PFN_Test_Reset reset;
    PFN_Test_SetOpenResult setOpenResult;
    PFN_Test_QueueRead queueRead;

    void Queue(const std::string& bytes) const
    {
        queueRead(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    }
};

// Printable ASCII maps to itself, everything else to 0.
std::string IdentityTableFile()
{
    std::string text = "hdr;0;1;2;3;4;5;6;7;8;9;A;B;C;D;E;F\n";
    for (int row = 0; row < 16; ++row) {
        text += std::to_string(row);
        for (int col = 0; col < 16; ++col)
            text += ";" + std::to_string(row * 16 + col >= 0x20 && row * 16 + col < 0x7F ? row * 16 + col : 0);
        text += "\n";
    }
    return text;
}

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

class DataSafetyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::string lib = ExeDir() + "testlibs\\scripted\\Quorlink.dll";
        ASSERT_EQ(g_CommLibrary.LoadDll(lib.c_str()), 1);
        HMODULE m = ::GetModuleHandleA(lib.c_str());
        s_lib = {ExportOf<PFN_Test_Reset>(m, "Test_Reset"), ExportOf<PFN_Test_SetOpenResult>(m, "Test_SetOpenResult"),
                 ExportOf<PFN_Test_QueueRead>(m, "Test_QueueRead")};
    }
    static void TearDownTestSuite() { g_CommLibrary.FreeDll(); }

    void SetUp() override
    {
        s_lib.reset();
        g_Settings = AppSettings();
        g_Settings.rientry = 0;
        g_Settings.tabFile = m_dir.File("Tab.txt");
        g_Settings.invalidCharFile = m_dir.File("Invalid.txt");
        WriteFileBytes(g_Settings.tabFile, IdentityTableFile());
        WriteFileBytes(g_Settings.invalidCharFile, "0x07\n");
        g_ComPortList = {"COM1"};
        g_ProgramDir = m_dir.Path();
        ResetUiText();
        m_dlg = std::make_unique<CReaderDlg>();
        ASSERT_TRUE(m_dlg->Create());
        PumpFor(50);
    }
    void TearDown() override
    {
        if (m_dlg->IsWindow())
            ::DestroyWindow(m_dlg->m_hWnd);
        m_dlg.reset();
    }

    HWND Item(int id) const { return ::GetDlgItem(m_dlg->m_hWnd, id); }
    // What the control holds now, asked the way another program would.
    std::string Text(int id) const
    {
        char text[512] = "";
        ::SendMessageA(Item(id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void Command(int id) const
    {
        ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    void PressWithCtrl(WPARAM key) const
    {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        const BYTE ctrl = keys[VK_CONTROL];
        keys[VK_CONTROL] = 0x80;
        ::SetKeyboardState(keys);
        ::SendMessageA(Item(IDC_DATA_VIEW), WM_KEYDOWN, key, 1);
        keys[VK_CONTROL] = ctrl;
        ::SetKeyboardState(keys);
    }
    // One run from Start to Stop that receives the given lines.
    void Run(const std::string& bytes, int newLines)
    {
        const int before = m_dlg->View().GetLineCount();
        if (!bytes.empty())
            s_lib.Queue(bytes);
        Command(IDC_START);
        ASSERT_TRUE(PumpUntil([&] { return m_dlg->View().GetLineCount() == before + newLines; }, 5000));
        PumpFor(100);
        Command(IDC_START);
    }
    bool WaitFile(const std::string& path, const std::string& bytes) const
    {
        return PumpUntil([&] { return FileExists(path) && ReadFileBytes(path) == bytes; }, 3000);
    }

    static Scripted s_lib;
    TempDir m_dir;
    std::unique_ptr<CReaderDlg> m_dlg;
};

Scripted DataSafetyTest::s_lib;

}  // namespace

TEST_F(DataSafetyTest, OutputBoxShowsTheNewFileAtOnceAndADroppedFileLoadsAsLoadWould)
{
    EXPECT_TRUE(::GetWindowLongA(m_dlg->m_hWnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    m_dlg->View().AddLine("A", false);
    const std::string saved = m_dir.File("B.txt");
    {
        FileDialogAnswer answer(saved);
        Command(IDC_SAVE_AS);
        ASSERT_TRUE(answer.WaitDone(5000));
    }
    // Read at once: no resize, no paint in between.
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
    EXPECT_EQ(g_Settings.outputFile, dropped);
    EXPECT_EQ(Text(IDC_OUTPUT_PATH), dropped);

    DialogWatcher watcher;
    ::SendMessageA(m_dlg->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({m_dir.File("gone.txt")})), 0);
    ASSERT_TRUE(watcher.WaitForCount(1, 5000));
    EXPECT_EQ(watcher.Texts()[0], "ERROR load file.");
    EXPECT_EQ(m_dlg->View().GetLineCount(), 3);
    EXPECT_EQ(g_Settings.outputFile, dropped);
}

TEST_F(DataSafetyTest, CtrlCCopiesTheMarkedLineOrEveryLineWithoutStoppingTheRun)
{
    s_lib.Queue("one\rtwo\r\rfour\r");
    Command(IDC_START);
    ASSERT_TRUE(PumpUntil([&] { return m_dlg->View().GetLineCount() == 4; }, 5000));

    PressWithCtrl('C');
    EXPECT_EQ(ClipboardOfAnotherProcess(), "one\r\ntwo\r\n\r\nfour");
    EXPECT_TRUE(m_dlg->IsRunning());
    s_lib.Queue("five\r");
    EXPECT_TRUE(PumpUntil([&] { return m_dlg->View().GetLineCount() == 5; }, 5000)) << "the run goes on";

    const int row = m_dlg->View().GetLineHeight();
    ::SendMessageA(Item(IDC_DATA_VIEW), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, row + row / 2));
    ::SendMessageA(Item(IDC_DATA_VIEW), WM_LBUTTONUP, 0, MAKELPARAM(5, row + row / 2));
    ASSERT_TRUE(m_dlg->View().IsMarked(1));
    PressWithCtrl(VK_INSERT);
    EXPECT_EQ(ClipboardOfAnotherProcess(), "two");
    EXPECT_TRUE(m_dlg->View().IsMarked(1)) << "copying leaves the mark where it was";
    EXPECT_EQ(m_dlg->View().GetMarkCount(), 1);
    Command(IDC_START);
}

TEST_F(DataSafetyTest, EachRunIsOnDiskWithinASecondAndTheRecordBeforeItIsKept)
{
    const std::string record = m_dir.File(CLastRunRecord::kFileName);
    const std::string previous = m_dir.File(CLastRunRecord::kPreviousFileName);

    s_lib.Queue("AB\rC\x07");
    s_lib.Queue("D\rpart");
    Command(IDC_START);
    ASSERT_TRUE(PumpUntil([&] { return m_dlg->View().GetLineCount() == 2; }, 5000));
    EXPECT_TRUE(WaitFile(record, "AB\r\nCD\r\n")) << "on disk while the run goes on";
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

    Run("EF\r", 1);
    EXPECT_TRUE(WaitFile(record, "EF\r\n"));
    EXPECT_EQ(ReadFileBytes(previous), "AB\r\nCD\r\n");
    // A run that received nothing is kept until a run replaces it, but never pushes out the
    // record before it.
    Run("", 0);
    EXPECT_TRUE(WaitFile(record, ""));
    EXPECT_EQ(ReadFileBytes(previous), "EF\r\n");
    Run("GH\r", 1);
    EXPECT_TRUE(WaitFile(record, "GH\r\n"));
    EXPECT_EQ(ReadFileBytes(previous), "EF\r\n");

    // Where the record can't be written the run goes on as without it, without a word.
    g_ProgramDir = m_dir.File("no such folder\\");
    Run("IJ\r", 1);
    EXPECT_EQ(m_dlg->View().GetLine(m_dlg->View().GetLineCount() - 1), "IJ");
    PumpFor(600);
    EXPECT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(ReadFileBytes(record), "GH\r\n");
}
