// Start-up and shutdown of the real program: the library check, the message it shows
// and the configuration file it writes back.
#include <gtest/gtest.h>

#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"

using namespace wintest;

namespace {

std::string Record(const std::string& key, const std::string& value)
{
    return "\x01" + key + "\x02\r\n" + value + "\x03\r\n\r\n";
}

std::string ConfigBytes(const std::vector<std::pair<std::string, std::string>>& records)
{
    std::string bytes;
    for (const auto& r : records)
        bytes += Record(r.first, r.second);
    return bytes;
}

std::vector<std::pair<std::string, std::string>> DefaultRecords()
{
    return {{"COM_PORT", "1"}, {"BAUD_RATE", "9600"}, {"LANGUAGE_FILE", "Korvex_Language_Eng.txt"},
            {"OUTPUT_FILE", ""}, {"TAB_FILE", ""}, {"INVALID_CHAR_FILE", ""},
            {"UPDATE_LIST_POSITION", "0"}, {"LIST_FONT_NAME", "Courier New"}, {"LIST_FONT_SIZE", "10"},
            {"LIST_FONT_CHARSET", "1"}, {"LIST_FONT_BOLD", "400"}, {"LIST_FONT_ITALIC", "0"},
            {"LIST_FONT_UNDERLINE", "0"}, {"LIST_FONT_STRIKEOUT", "0"}, {"LIST_FONT_COLOR", "0"},
            {"SHOW_DLGDATA_ONMOVE", "1"}, {"SHOW_DLGDATA_ONSIZE", "1"}, {"RIENTRY", "0"}};
}

struct RunResult {
    bool exited = false;
    std::vector<std::string> boxes;
};

// Runs a copy of the program in the folder, answering every message box with OK; it
// starts in the folder unless another one is given.
RunResult RunProgramIn(const TempDir& dir, const TempDir* startIn = nullptr)
{
    RunResult result;
    const std::string exe = dir.File("Korvex.exe");
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + exe + "\"";
    const std::string current = (startIn ? *startIn : dir).Path();
    if (!::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, current.c_str(), &si, &pi))
        return result;
    {
        DialogWatcher watcher(pi.dwProcessId);
        result.exited = ::WaitForSingleObject(pi.hProcess, 15000) == WAIT_OBJECT_0;
        if (!result.exited)
            ::TerminateProcess(pi.hProcess, 1);
        result.boxes = watcher.Texts();
    }
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return result;
}

}  // namespace

TEST(StartUp, FirstStartWithoutLibraryShowsOneMessageAndWritesDefaults)
{
    TempDir dir;
    CopyProgram(dir, nullptr);
    RunResult run = RunProgramIn(dir);
    ASSERT_TRUE(run.exited) << "the program must end without showing its main window";
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0], "ERROR LOAD DLL");
    EXPECT_EQ(ReadFileBytes(dir.File("Korvex_Config.txt")), ConfigBytes(DefaultRecords()));
}

TEST(StartUp, ALibraryInTheFolderTheProgramIsStartedFromIsNeverLoaded)
{
    TempDir dir, startFolder;
    CopyProgram(dir, nullptr);
    // A complete library: loaded, it would open the main window, which OK does not close.
    ASSERT_TRUE(::CopyFileA((ExeDir() + "testlibs\\scripted\\Quorlink.dll").c_str(),
                            startFolder.File("Quorlink.dll").c_str(), FALSE));
    RunResult run = RunProgramIn(dir, &startFolder);
    ASSERT_TRUE(run.exited) << "the library of the folder it was started from was loaded";
    EXPECT_EQ(run.boxes, std::vector<std::string>{"ERROR LOAD DLL"});
    EXPECT_EQ(ReadFileBytes(dir.File("Korvex_Config.txt")), ConfigBytes(DefaultRecords()));
}

TEST(StartUp, LibraryMissingOneEntryPointIsRefusedAndSettingsAreStillWritten)
{
    TempDir dir;
    CopyProgram(dir, "missing");
    ASSERT_TRUE(FileExists(dir.File("Quorlink.dll")));
    RunResult run = RunProgramIn(dir);
    ASSERT_TRUE(run.exited);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0], "ERROR LOAD DLL");
    EXPECT_EQ(ReadFileBytes(dir.File("Korvex_Config.txt")), ConfigBytes(DefaultRecords()));
}

TEST(StartUp, OddConfigurationIsReadAndRewrittenWithExactlyTheEighteenRecords)
{
    TempDir dir;
    CopyProgram(dir, nullptr);
    const std::string longValue(3000, 'v');
    std::string config = "junk before any record\r\n" + Record("FOO", "bar") + Record("com_port", "3") +
                         Record("COM_PORT", "5") + Record("Baud_Rate", "abc") +
                         Record(std::string(60, 'K'), "sixty") + Record("LIST_FONT_NAME", longValue) +
                         Record("LIST_FONT_SIZE", " -12pt") + Record("LIST_FONT_CHARSET", "300") +
                         Record("OUTPUT_FILE", "\\\\server\\share\\out.txt") + Record("TAB_FILE", "sub\\Tab.txt") +
                         Record("RIENTRY", "75") + "\x01LIST_FONT_BOLD\x02\r\n700";  // cut off at the end
    WriteFileBytes(dir.File("Korvex_Config.txt"), config);

    RunResult run = RunProgramIn(dir);
    ASSERT_TRUE(run.exited);

    auto expected = DefaultRecords();
    expected[0].second = "3";                             // the first COM_PORT record counts
    expected[1].second = "0";                             // non-numeric text reads as 0
    expected[2].second = "";                              // no LANGUAGE_FILE: the path empties
    expected[3].second = "\\\\server\\share\\out.txt";    // network paths stay as they are
    expected[4].second = "sub\\Tab.txt";                  // made absolute, stored relative again
    expected[7].second = std::string(2048, 'v');          // values are cut to 2048 bytes
    expected[8].second = "-12";
    expected[9].second = "44";                            // the low 8 bits of 300
    expected[17].second = "75";                           // kept when the list is never used
    EXPECT_EQ(ReadFileBytes(dir.File("Korvex_Config.txt")), ConfigBytes(expected));
}
