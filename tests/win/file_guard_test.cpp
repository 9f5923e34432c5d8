// The files the main window reads and writes, against what can go wrong with them: the
// record of a running acquisition named as the output file, an exit in the middle of a
// run, a device, pipe, folder or huge file named as a table or language file, a second
// copy of the program recording in the same folder, and links planted where the
// program writes.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/AppSettings.h"
#include "app/ReaderApp.h"
#include "core/SafeFile.h"
#include "core/UiText.h"
#include "link/CommLibrary.h"
#include "link/LastRunRecord.h"
#include "quorlink/QuorlinkTest.h"
#include "res/resource.h"
#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"
#include "core/OutputFile.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace file_guard_test {

std::wstring Wide(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

DWORD LinkCount(const std::string& path)
{
    const HANDLE h = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    if (h != INVALID_HANDLE_VALUE) {
        ::GetFileInformationByHandle(h, &info);
        ::CloseHandle(h);
    }
    return info.nNumberOfLinks;
}

bool WaitFile(const std::string& path, const std::string& bytes)
{
    return PumpUntil([&] { return FileExists(path) && ReadFileBytes(path) == bytes; }, 3000);
}

bool UnderWine()
{
    return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Symbolic links planted for a test, removed again when it ends. Wine shows no links to
// Windows programs and makes none, so there the host's ln makes host links, which
// Windows programs meet as ordinary files; Wine runs a host program given by its path on
// Z:, the host's root. Such a link is removed by the host's rm too: Wine's DeleteFile
// would delete the file it points to and leave the link. On Windows, Windows links are
// made, where this user may make them.
class PlantedLinks {
public:
    explicit PlantedLinks(std::string folder) : m_folder(std::move(folder)) {}
    ~PlantedLinks()
    {
        for (const std::string& name : m_names) {
            const std::string link = m_folder + name;
            if (UnderWine())
                RunOnHost(L"Z:\\bin\\rm -f \"" + Wide(name) + L"\"", [&] { return !FileExists(link); });
            else
                ::DeleteFileW(Wide(link).c_str());
        }
    }
    PlantedLinks(const PlantedLinks&) = delete;
    PlantedLinks& operator=(const PlantedLinks&) = delete;

    // A link of this name to the file of that name, both in the folder.
    bool Plant(const std::string& name, const std::string& target)
    {
        const std::string link = m_folder + name;
        const bool made = UnderWine() ? RunOnHost(L"Z:\\bin\\ln -s \"" + Wide(target) + L"\" \"" + Wide(name) + L"\"",
                                                  [&] { return FileExists(link); })
                                      : ::CreateSymbolicLinkW(Wide(link).c_str(), Wide(m_folder + target).c_str(),
                                                              0x2 /* SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE */) &&
                                            (::GetFileAttributesW(Wide(link).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
        if (made)
            m_names.push_back(name);
        return made;
    }

private:
    // Runs the host program in the folder until `done` holds: Wine may give no handle of
    // a host process to wait on.
    bool RunOnHost(std::wstring command, const std::function<bool()>& done) const
    {
        const std::wstring program = command.substr(0, command.find(L' '));
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                              Wide(m_folder).c_str(), &si, &pi))
            return false;
        for (HANDLE h : {pi.hThread, pi.hProcess})
            if (h)
                ::CloseHandle(h);
        return PumpUntil(done, 5000);
    }

    std::string m_folder;
    std::vector<std::string> m_names;
};

class FileGuardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        HMODULE m = LoadScriptedLibrary();
        ASSERT_NE(m, nullptr);
        s_reset = ExportOf<PFN_Test_Reset>(m, "Test_Reset");
        s_queue = ExportOf<PFN_Test_QueueRead>(m, "Test_QueueRead");
        s_stats = ExportOf<PFN_Test_GetStats>(m, "Test_GetStats");
    }
    static void TearDownTestSuite() { TestApp().m_commLibrary.FreeDll(); }

    void SetUp() override
    {
        s_reset();
        ResetTestApp({"COM2", "COM7"}, m_dir.Path());
        TestApp().m_settings.comPort = 7;
        TestApp().m_settings.tabFile = m_dir.File("Tab.txt");
        WriteFileBytes(TestApp().m_settings.tabFile, IdentityTableFile());
    }
    void TearDown() override
    {
        Close();
        TestApp().m_uiText.Reset();
    }

    CReaderDlg& Open()
    {
        m_dlg = std::make_unique<CReaderDlg>(TestApp());
        EXPECT_TRUE(m_dlg->Create());
        PumpFor(50);
        return *m_dlg;
    }
    void Close()
    {
        if (m_dlg && m_dlg->IsWindow())
            ::DestroyWindow(m_dlg->m_hWnd);
        m_dlg.reset();
    }
    void Queue(const std::string& bytes) const
    {
        s_queue(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    }
    void Command(int id) const
    {
        ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(m_dlg->m_hWnd, id)));
    }
    bool WaitLines(int n) const
    {
        return PumpUntil([&] { return m_dlg->View().GetLineCount() >= n; }, 5000);
    }
    void SaveAs(const std::string& path) const
    {
        FileDialogAnswer answer(path);
        Command(IDC_SAVE_AS);
        EXPECT_TRUE(answer.WaitDone(5000));
        PumpFor(100);
    }

    static PFN_Test_Reset s_reset;
    static PFN_Test_QueueRead s_queue;
    static PFN_Test_GetStats s_stats;
    TempDir m_dir;
    std::unique_ptr<CReaderDlg> m_dlg;
};

PFN_Test_Reset FileGuardTest::s_reset;
PFN_Test_QueueRead FileGuardTest::s_queue;
PFN_Test_GetStats FileGuardTest::s_stats;

TEST_F(FileGuardTest, TheRunningRecordIsNeverReplacedByASaveAndSaveAsKeepsOnlyAWrittenName)
{
    const std::string record = m_dir.File(CLastRunRecord::kFileName);
    Open();
    Queue("one\rtwo\r");
    Command(IDC_START);
    ASSERT_TRUE(WaitLines(2));
    ASSERT_TRUE(WaitFile(record, "one\r\ntwo\r\n"));
    // What the README advises after a crash: Load the record; it becomes the output file.
    m_dlg->LoadOutputFile(record);
    ASSERT_EQ(TestApp().m_settings.outputFile, record);
    Queue("three\r");
    ASSERT_TRUE(WaitLines(3));

    DialogWatcher watcher;
    Command(IDC_SAVE);
    ASSERT_TRUE(watcher.WaitForCount(1, 5000));
    EXPECT_NE(watcher.Texts()[0].find("record of the acquisition that is running"), std::string::npos)
        << watcher.Texts()[0];
    // The same file by another spelling of its name is still the record.
    TestApp().m_settings.outputFile = m_dir.File("KORVEX_LASTRUN.TXT");
    Command(IDC_SAVE);
    ASSERT_TRUE(watcher.WaitForCount(2, 5000));
    EXPECT_EQ(watcher.Texts()[1], watcher.Texts()[0]);
    TestApp().m_settings.outputFile = record;

    // A file that can't be written does not become the output file; one that can does.
    const std::string locked = m_dir.File("locked.txt");
    WriteFileBytes(locked, "locked");
    const HANDLE holder = ::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    watcher.QueueAnswer(IDYES);  // replace the existing file? yes
    SaveAs(locked);
    ASSERT_TRUE(watcher.WaitForCount(4, 5000));
    EXPECT_EQ(watcher.Texts()[3], MessageWithReason("ERROR save file.", locked, ERROR_SHARING_VIOLATION));
    EXPECT_EQ(TestApp().m_settings.outputFile, record);
    ::CloseHandle(holder);
    SaveAs(m_dir.File("copy.txt"));
    EXPECT_EQ(TestApp().m_settings.outputFile, m_dir.File("copy.txt"));
    EXPECT_EQ(ReadFileBytes(m_dir.File("copy.txt")), "one\r\ntwo\r\nthree\r\n");

    Queue("four\r");
    ASSERT_TRUE(WaitLines(4));
    Command(IDC_START);
    PumpFor(200);
    EXPECT_EQ(ReadFileBytes(record), "one\r\ntwo\r\nthree\r\nfour\r\n") << "the record is whole";
    EXPECT_FALSE(FileExists(record + ".bak"));
    EXPECT_FALSE(FileExists(m_dir.File("KORVEX_LASTRUN.TXT.bak")));
    EXPECT_EQ(LinkCount(record), 1u);
    EXPECT_EQ(watcher.Count(), 4u);

    // Once the run has ended the file is an ordinary output file again.
    TestApp().m_settings.outputFile = record;
    Command(IDC_SAVE);
    PumpFor(100);
    EXPECT_EQ(watcher.Count(), 4u);
    EXPECT_EQ(ReadFileBytes(record), "one\r\ntwo\r\nthree\r\nfour\r\n");
    EXPECT_EQ(ReadFileBytes(record + ".bak"), "one\r\ntwo\r\nthree\r\nfour\r\n");
    EXPECT_EQ(LinkCount(record), 1u);
    EXPECT_EQ(LinkCount(record + ".bak"), 1u);
}

// A failed Save or Load keeps the message's first line and names the file and the
// system's reason for it on the second.
TEST_F(FileGuardTest, AFailedSaveOrLoadNamesTheFileAndTheSystemsReason)
{
    Open();
    const std::string source = m_dir.File("in.txt");
    WriteFileBytes(source, "a\r\nb\r\n");
    ASSERT_TRUE(m_dlg->LoadOutputFile(source));
    const std::string readOnly = m_dir.File("read-only.txt");
    WriteFileBytes(readOnly, "kept");
    ASSERT_TRUE(::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    const struct {
        bool save;
        std::string path;
        DWORD error;
    } cases[] = {
        {true, readOnly, ERROR_ACCESS_DENIED},
        {true, m_dir.File("no folder\\Out.txt"), ERROR_PATH_NOT_FOUND},
        {true, m_dir.File("com1.txt"), ERROR_INVALID_NAME},
        {false, m_dir.File("missing.txt"), ERROR_FILE_NOT_FOUND},
        {false, m_dir.File("no folder\\in.txt"), ERROR_PATH_NOT_FOUND},
        {false, m_dir.File("nul"), ERROR_INVALID_NAME},
    };
    DialogWatcher watcher;
    size_t boxes = 0;
    for (const auto& c : cases) {
        if (c.save) {
            TestApp().m_settings.outputFile = c.path;
            Command(IDC_SAVE);
        } else {
            EXPECT_FALSE(m_dlg->LoadOutputFile(c.path));
        }
        ASSERT_TRUE(watcher.WaitForCount(++boxes, 5000)) << c.path;
        EXPECT_EQ(watcher.Texts().back(),
                  MessageWithReason(c.save ? "ERROR save file." : "ERROR load file.", c.path, c.error));
    }
    EXPECT_EQ(ReadFileBytes(readOnly), "kept");
    EXPECT_EQ(m_dlg->View().GetLineCount(), 2) << "a failed Load leaves the lines";
    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileGuardTest, ClosingDuringARunHandsEveryAssembledLineToTheRecord)
{
    std::string dump, expected;
    for (int i = 0; i < 2500; ++i) {
        const std::string line = "L" + std::to_string(i * 7);
        dump += line + "\r";
        expected += line + "\r\n";
    }
    Open();
    Queue(dump + "partial");
    Command(IDC_START);
    // The window handles no message meanwhile: every line waits in the queue, none has
    // reached the view when it is closed. (Waited for, not timed: a busy machine may
    // give the worker little time.)
    QuorlinkTestStats stats = {};
    for (int i = 0; i < 500 && (s_stats(&stats), stats.pendingReads > 0); ++i)
        ::Sleep(10);
    EXPECT_TRUE(m_dlg->IsRunning());
    Close();
    EXPECT_EQ(ReadFileBytes(m_dir.File(CLastRunRecord::kFileName)), expected);
}

TEST_F(FileGuardTest, DevicesPipesFoldersAndHugeFilesReadAsMissingTablesAndLanguageFiles)
{
    // A pipe whose server never writes: a reader of it would wait for ever.
    const HANDLE pipe = ::CreateNamedPipeW(L"\\\\.\\pipe\\korvex-guard-test", PIPE_ACCESS_DUPLEX,
                                           PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 0, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    const std::string huge = m_dir.File("huge.txt");
    {
        const HANDLE h = ::CreateFileA(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD ignored = 0;
        ::DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
        LARGE_INTEGER size;
        size.QuadPart = 2147483648LL + 10;
        ASSERT_TRUE(::SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(h));
        ::CloseHandle(h);
    }

    // The line a run shows with the tables missing is what every other case must show.
    auto lineWith = [&](const std::string& file, const std::string& invalid) {
        TestApp().m_settings.tabFile = file;
        TestApp().m_settings.invalidCharFile = invalid;
        const auto start = std::chrono::steady_clock::now();
        Open();
        const auto opened = std::chrono::steady_clock::now() - start;
        EXPECT_LT(opened, std::chrono::seconds(1)) << file;
        Queue("Ab\x07z\r");
        Command(IDC_START);
        std::string line = "(none)";
        if (WaitLines(1))
            line = m_dlg->View().GetLine(0);
        Command(IDC_START);
        Close();
        return line;
    };
    // The first window of a process takes its time (classes, fonts): it is not timed.
    TestApp().m_settings.tabFile = TestApp().m_settings.invalidCharFile = m_dir.File("missing.txt");
    Open();
    Close();
    const std::string missing = lineWith(m_dir.File("missing.txt"), m_dir.File("missing.txt"));

    const char* const paths[] = {"NUL", "\\\\.\\NUL", "COM1", "com7.txt", "\\\\.\\pipe\\korvex-guard-test",
                                 "Z:\\dev\\zero"};
    std::vector<std::string> cases(std::begin(paths), std::end(paths));
    cases.push_back(m_dir.Path());
    cases.push_back(huge);
    for (const std::string& path : cases) {
        EXPECT_EQ(lineWith(path, path), missing) << path;
        const auto start = std::chrono::steady_clock::now();
        TestApp().m_uiText.LoadLanguage(path);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << path;
        EXPECT_EQ(TestApp().m_uiText[TXT_START], "Start") << path;
        // Load takes what fits in memory (a 2 GB file may, on 64 bits), but never a device.
        CLineStore lines;
        if (path != huge) {
            EXPECT_FALSE(ReadTextLines(path, lines)) << path;
        }
    }
    ::CloseHandle(pipe);
    ::DeleteFileA(huge.c_str());
    WriteFileBytes(m_dir.File("Invalid.txt"), "0x07\n");
    EXPECT_EQ(lineWith(m_dir.File("Tab.txt"), m_dir.File("Invalid.txt")), "Abz") << "real tables give the letters";
}

TEST_F(FileGuardTest, ASecondCopyInTheFolderRecordsBesideTheFirstAndNeverMovesItsRecord)
{
    const std::string main = m_dir.File(CLastRunRecord::kFileName);
    const std::string previous = m_dir.File(CLastRunRecord::kPreviousFileName);
    const std::string port8 = m_dir.File(CLastRunRecord::PortFileName(8));
    const std::string port8Previous = m_dir.File(CLastRunRecord::PortPreviousFileName(8));
    WriteFileBytes(main, "crashed dump\r\n");

    // (Reading a record while a run begins would hold it in place: each Begin is let
    // through first.)
    CLastRunRecord first, second;  // as two programs would
    first.BeginRun(m_dir.Path(), 3);
    EXPECT_TRUE(first.IsLiveFile(main));
    EXPECT_FALSE(second.IsLiveFile(main));
    first.AppendLine("a1");
    ASSERT_TRUE(WaitFile(main, "a1\r\n"));
    EXPECT_EQ(ReadFileBytes(previous), "crashed dump\r\n");

    // Nobody else may move or delete the running record.
    EXPECT_FALSE(::MoveFileExA(main.c_str(), m_dir.File("moved.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(::DeleteFileA(main.c_str()));

    second.BeginRun(m_dir.Path(), 8);
    EXPECT_TRUE(second.IsLiveFile(port8));
    second.AppendLine("b1");
    first.AppendLine("a2");
    ASSERT_TRUE(WaitFile(port8, "b1\r\n"));
    ASSERT_TRUE(WaitFile(main, "a1\r\na2\r\n"));
    EXPECT_EQ(ReadFileBytes(previous), "crashed dump\r\n") << "the first copy's record was not moved";
    EXPECT_FALSE(second.IsLiveFile(main));

    // The second copy's next run: its own record becomes its previous one.
    second.EndRun();
    second.BeginRun(m_dir.Path(), 8);
    EXPECT_TRUE(second.IsLiveFile(port8));
    second.AppendLine("b2");
    ASSERT_TRUE(WaitFile(port8, "b2\r\n"));
    EXPECT_EQ(ReadFileBytes(port8Previous), "b1\r\n");
    EXPECT_EQ(ReadFileBytes(main), "a1\r\na2\r\n");
    EXPECT_EQ(ReadFileBytes(previous), "crashed dump\r\n");

    // Once the first copy's run has ended, the usual name is free again.
    first.EndRun();
    EXPECT_TRUE(PumpUntil([&] { return !first.IsLiveFile(main); }, 3000));
    second.EndRun();
    second.BeginRun(m_dir.Path(), 8);
    EXPECT_TRUE(second.IsLiveFile(main));
    second.AppendLine("b3");
    ASSERT_TRUE(WaitFile(main, "b3\r\n"));
    EXPECT_EQ(ReadFileBytes(previous), "a1\r\na2\r\n");
    second.EndRun();
}

TEST_F(FileGuardTest, NothingIsWrittenThroughALinkAtTheRecordOrTheOutputFile)
{
    const std::string victim = m_dir.File("victim.txt");
    WriteFileBytes(victim, "victim's own");
    const std::string record = m_dir.File(CLastRunRecord::kFileName);
    const std::string out = m_dir.File("Out.txt");
    const std::string backup = m_dir.File("B.txt.bak");
    PlantedLinks links(m_dir.Path());
    if (!links.Plant(CLastRunRecord::kFileName, "victim.txt") && !UnderWine())
        GTEST_SKIP() << "this Windows makes no symbolic links for this user";
    ASSERT_EQ(ReadFileBytes(record), "victim's own") << "the link leads to the victim";
    ASSERT_TRUE(links.Plant("Out.txt", "victim.txt"));
    ASSERT_TRUE(links.Plant("B.txt.bak", "victim.txt"));

    // The link at the record's name stays; the run records under its port's name.
    CLastRunRecord run;
    run.BeginRun(m_dir.Path(), 3);
    run.AppendLine("line");
    ASSERT_TRUE(WaitFile(m_dir.File(CLastRunRecord::PortFileName(3)), "line\r\n"));
    run.EndRun();
    EXPECT_EQ(ReadFileBytes(record), "victim's own") << "still the link";

    EXPECT_EQ(WriteTextLines(out, {"A"}, 1), OutputResult::CannotCreate);
    EXPECT_EQ(ReadFileBytes(out), "victim's own") << "still the link";
    // A link at the backup's name is replaced by the backup, never followed.
    WriteFileBytes(m_dir.File("B.txt"), "old");
    EXPECT_EQ(WriteTextLines(m_dir.File("B.txt"), {"B"}, 1), OutputResult::Ok);
    EXPECT_EQ(ReadFileBytes(m_dir.File("B.txt")), "B\r\n");
    EXPECT_EQ(ReadFileBytes(backup), "old");
    EXPECT_EQ(ReadFileBytes(victim), "victim's own");
}

}  // namespace file_guard_test
