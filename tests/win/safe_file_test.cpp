// Safe file writer on the Windows file API: the target is replaced by a move, and a
// folder where no new file fits is written in place.
#include <gtest/gtest.h>

#include "core/SafeFile.h"
#include "core/SettingsFile.h"
#include "link/LastRunRecord.h"
#include "support/WinTestSupport.h"
#include "core/OutputFile.h"

#include <cstring>
#include <string>
#include <vector>

using namespace wintest;

namespace {

int CountFiles(const std::string& pattern)
{
    int count = 0;
    WIN32_FIND_DATAA fd;
    const HANDLE h = ::FindFirstFileA(pattern.c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do
            ++count;
        while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    return count;
}

std::wstring Wide(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

TEST(SafeFileWin, TargetIsReplacedByTheFinishedFile)
{
    TempDir dir;
    const std::string path = dir.File("Korvex_Config.txt");
    WriteFileBytes(path, "old contents");

    CSafeFileWriter file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_FALSE(file.IsInPlace());
    file.Write("new");
    EXPECT_EQ(ReadFileBytes(path), "old contents");
    EXPECT_EQ(CountFiles(dir.File("~kvx*")), 1);
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(CountFiles(dir.File("*")), 1 + 2);  // with "." and ".."

    CSettingsFile records;
    records.SetInt("COM_PORT", 1);
    ASSERT_TRUE(records.Write(path));
    EXPECT_EQ(ReadFileBytes(path), std::string("\x01" "COM_PORT\x02\r\n1\x03\r\n\r\n"));
    EXPECT_EQ(WriteTextLines(dir.File("Out.txt"), {"A", "", "B"}, 3), OutputResult::Ok);
    EXPECT_EQ(ReadFileBytes(dir.File("Out.txt")), "A\r\n\r\nB\r\n");
    EXPECT_EQ(WriteTextLines(dir.File("no\\such\\Out.txt"), {"A"}, 1), OutputResult::CannotCreate);
    EXPECT_EQ(CountFiles(dir.File("~kvx*")), 0);

    // A replaced file keeps its attributes.
    ::SetFileAttributesA(dir.File("Out.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(WriteTextLines(dir.File("Out.txt"), {"C"}, 1), OutputResult::Ok);
    EXPECT_EQ(ReadFileBytes(dir.File("Out.txt")), "C\r\n");
    EXPECT_TRUE(::GetFileAttributesA(dir.File("Out.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(CountFiles(dir.File("~kvx*")), 0);
}

// The last steps of a commit failing with the error given.
DWORD g_stepError = 0;
BOOL WINAPI FailingWriteFile(HANDLE, LPCVOID, DWORD, LPDWORD done, LPOVERLAPPED)
{
    if (done)
        *done = 0;
    ::SetLastError(g_stepError);
    return FALSE;
}
BOOL WINAPI FailingFlush(HANDLE)
{
    ::SetLastError(g_stepError);
    return FALSE;
}
BOOL WINAPI FailingMove(LPCWSTR, LPCWSTR, DWORD)
{
    ::SetLastError(g_stepError);
    return FALSE;
}

// A failure at any of them keeps the old file and leaves no other, and is told with its
// own error, not with the one the calls in between left behind.
TEST(SafeFileWin, AFailureAtEachStepIsToldWithItsOwnError)
{
    const struct {
        const char* function;
        void* hook;
        DWORD error;
    } steps[] = {
        {"WriteFile", reinterpret_cast<void*>(&FailingWriteFile), ERROR_HANDLE_DISK_FULL},
        {"FlushFileBuffers", reinterpret_cast<void*>(&FailingFlush), ERROR_WRITE_FAULT},
        {"MoveFileExW", reinterpret_cast<void*>(&FailingMove), ERROR_SHARING_VIOLATION},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.function);
        TempDir dir;
        const std::string path = dir.File("Out.txt");
        WriteFileBytes(path, "old");
        CSafeFileWriter file;
        ASSERT_TRUE(file.Open(path));
        EXPECT_TRUE(file.Write("new"));
        {
            ImportHook hook("kernel32.dll", s.function, s.hook);
            ASSERT_TRUE(hook.Hooked());
            g_stepError = s.error;
            ::SetLastError(ERROR_FILE_NOT_FOUND);
            EXPECT_FALSE(file.Commit());
        }
        EXPECT_EQ(file.GetResult(), CSafeFileWriter::RESULT_WRITE_FAILED);
        EXPECT_EQ(LastFileError(), s.error);
        EXPECT_EQ(ReadFileBytes(path), "old");
        EXPECT_EQ(CountFiles(dir.File("*")), 1 + 2);  // with "." and ".."
    }
}

TEST(SafeFileWin, NothingButADiskFileIsWritten)
{
    // Pipes whose server waits: one that a writer opened, even without a byte, no
    // longer listens.
    auto listen = [](const wchar_t* name) {
        return ::CreateNamedPipeW(name, PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 0, 65536, 0, nullptr);
    };
    auto neverOpened = [](HANDLE pipe) {
        return !::ConnectNamedPipe(pipe, nullptr) && ::GetLastError() == ERROR_PIPE_LISTENING;
    };
    const HANDLE pipe = listen(L"\\\\.\\pipe\\korvex-save-test");
    const HANDLE recordPipe = listen(L"\\\\.\\pipe\\korvex-save-test\\Korvex_LastRun.txt");
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    ASSERT_NE(recordPipe, INVALID_HANDLE_VALUE);
    TempDir dir;
    // Names that are devices in every folder, and a device under a name that is none
    // (the host's pty multiplexer under Wine), which only its open handle gives away. It
    // sits where no file can be made, so a faulty writer cannot replace it.
    for (const std::string& path : {dir.File("nul.txt"), dir.File("Nul .log"), std::string("NUL"),
                                    std::string("\\\\.\\NUL"), std::string("\\\\.\\pipe\\korvex-save-test"),
                                    std::string("Z:\\dev\\pts\\ptmx")}) {
        CSafeFileWriter file;
        EXPECT_FALSE(file.Open(path)) << path;
        EXPECT_EQ(file.GetResult(), CSafeFileWriter::RESULT_CANNOT_CREATE) << path;
        EXPECT_EQ(WriteTextLines(path, {"A"}, 1), OutputResult::CannotCreate) << path;
        CSettingsFile records;
        records.SetInt("COM_PORT", 5);
        EXPECT_FALSE(records.Write(path)) << path;
    }
    EXPECT_TRUE(neverOpened(pipe));
    EXPECT_EQ(CountFiles(dir.File("*")), 2);

    // The record of a run: none where its folder is a device's.
    CLastRunRecord record;
    record.BeginRun("\\\\.\\pipe\\korvex-save-test\\", 5);
    (void)record.IsLiveFile(dir.File("x"));  // waits until the record is begun
    EXPECT_TRUE(neverOpened(recordPipe));
    record.EndRun();
    ::CloseHandle(pipe);
    ::CloseHandle(recordPipe);
}

TEST(SafeFileWin, FileHeldOpenElsewhereIsWrittenInPlaceOrNotAtAll)
{
    TempDir dir;
    const std::string path = dir.File("Out.txt");
    WriteFileBytes(path, "old contents");
    // A viewer that lets others write but not delete: it can't be replaced, only written.
    HANDLE viewer = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    CSafeFileWriter file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_TRUE(file.IsInPlace());
    file.Discard();
    EXPECT_EQ(WriteTextLines(path, {"new"}, 1), OutputResult::Ok);
    ::CloseHandle(viewer);
    EXPECT_EQ(ReadFileBytes(path), "new\r\n");

    // A program that shares nothing keeps the file as it is.
    HANDLE locker = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locker, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WriteTextLines(path, {"other"}, 1), OutputResult::CannotCreate);
    ::CloseHandle(locker);
    EXPECT_EQ(ReadFileBytes(path), "new\r\n");
    EXPECT_EQ(CountFiles(dir.File("~kvx*")), 0);
}

TEST(SafeFileWin, AReplacedOutputFileIsKeptAsBakWhetherMovedOrWrittenInPlace)
{
    TempDir dir;
    const std::string path = dir.File("Out.txt"), bak = path + ".bak";
    const std::string dump("1\r\n\x00\xE8\x81\r\n", 8);
    WriteFileBytes(path, dump);
    ASSERT_EQ(WriteTextLines(path, {"two"}, 1), OutputResult::Ok);
    EXPECT_EQ(ReadFileBytes(path), "two\r\n");
    EXPECT_EQ(ReadFileBytes(bak), dump);
    EXPECT_EQ(CountFiles(dir.File("*")), 2 + 2);

    // The backup is a file of its own: writing it leaves the output file alone.
    WriteFileBytes(bak, "scribbled");
    EXPECT_EQ(ReadFileBytes(path), "two\r\n");

    // A file that can only be written in place is copied before it is truncated.
    HANDLE viewer = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WriteTextLines(path, {"three"}, 1), OutputResult::Ok);
    ::CloseHandle(viewer);
    EXPECT_EQ(ReadFileBytes(path), "three\r\n");
    EXPECT_EQ(ReadFileBytes(bak), "two\r\n");
}

TEST(SafeFileWin, TheOldFileBecomesTheBackupOnlyWhenTheNewOneCanTakeItsPlace)
{
    TempDir dir;
    const std::string path = dir.File("Out.txt"), bak = path + ".bak";
    WriteFileBytes(path, "old");
    WriteFileBytes(bak, "older");

    // Another program opens the file, sharing all but deletion, while the save is under
    // way: the new file can't take its place, so neither name changes.
    CSafeFileWriter file;
    ASSERT_TRUE(file.Open(path, true));
    file.Write("new");
    HANDLE viewer = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(file.Commit());
    ::CloseHandle(viewer);
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(ReadFileBytes(bak), "older");
    EXPECT_EQ(CountFiles(dir.File("*")), 2 + 2);

    // A file held as the record is held (written, shared for reading only) is not
    // written at all, and its backup stays.
    HANDLE record = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(record, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WriteTextLines(path, {"new"}, 1), OutputResult::CannotCreate);
    ::CloseHandle(record);
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(ReadFileBytes(bak), "older");

    // Otherwise the old file itself becomes the backup: no second name of the new one.
    ASSERT_EQ(WriteTextLines(path, {"new"}, 1), OutputResult::Ok);
    EXPECT_EQ(ReadFileBytes(path), "new\r\n");
    EXPECT_EQ(ReadFileBytes(bak), "old");
    for (const std::string& name : {path, bak}) {
        const HANDLE h = ::CreateFileA(name.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        BY_HANDLE_FILE_INFORMATION info = {};
        ::GetFileInformationByHandle(h, &info);
        ::CloseHandle(h);
        EXPECT_EQ(info.nNumberOfLinks, 1u) << name;
    }
    EXPECT_EQ(CountFiles(dir.File("~kvx*")), 0);
}

TEST(SafeFileWin, NoRoomForATemporaryFileMeansWritingInPlace)
{
    // A folder so deep that the target's one-letter name still fits the longest path the
    // system takes but the longer temporary name does not: 259 characters for the wide
    // calls on Windows; under Wine the host's 4095 bytes, its own prefix included.
    TempDir base;
    size_t limit = MAX_PATH - 1, extra = 0;
    using UnixName = char*(CDECL*)(LPCWSTR);
    if (auto unixName = ExportOf<UnixName>(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")) {
        const std::string probe = base.File("x");
        if (char* name = unixName(Wide(probe).c_str())) {
            extra = std::strlen(name) - probe.size();
            limit = 4095;
            ::HeapFree(::GetProcessHeap(), 0, name);
        }
    }
    const size_t total = limit - 5 - extra;
    std::string deep = base.Path();
    std::vector<std::string> created;
    while (deep.size() < total - 1) {
        const size_t left = total - 1 - deep.size();  // with the backslash
        deep += std::string(left <= 41 ? left - 1 : left >= 43 ? 40 : 20, 'd') + "\\";
        ASSERT_TRUE(::CreateDirectoryW(Wide("\\\\?\\" + deep).c_str(), nullptr)) << deep;
        created.push_back(deep);
    }
    ASSERT_EQ(deep.size(), total - 1);
    const std::string path = deep + "a";
    const std::wstring longPath = Wide("\\\\?\\" + path);
    auto put = [&](const std::string& bytes) {
        const HANDLE h = ::CreateFileW(longPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD done = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        ::CloseHandle(h);
    };
    auto get = [&] {
        std::string bytes(64, '\0');
        const HANDLE h = ::CreateFileW(longPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD done = 0;
        ::ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &done, nullptr);
        ::CloseHandle(h);
        return bytes.substr(0, done);
    };
    put("old contents, longer than the new");

    CSafeFileWriter file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_TRUE(file.IsInPlace());
    file.Write("new");
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(get(), "new");
    EXPECT_EQ(WriteTextLines(path, {"line"}, 1), OutputResult::Ok);
    EXPECT_EQ(get(), "line\r\n");

    ::DeleteFileW(longPath.c_str());
    ::DeleteFileW(Wide("\\\\?\\" + path + ".bak").c_str());
    for (auto it = created.rbegin(); it != created.rend(); ++it)
        ::RemoveDirectoryW(Wide("\\\\?\\" + *it).c_str());
}

}  // namespace
