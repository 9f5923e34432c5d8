// The ordinary start-up of the real program, seen from outside: the one set-up call
// and the port enumeration it makes into the library, the port list it shows, and the
// language file it finds in its own folder.
#include <gtest/gtest.h>

#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "quorlink/QuorlinkTest.h"
#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"

using namespace wintest;

namespace startup_calls_test {

// The counters of the scripted library loaded in the program's process: its
// Test_GetStats is run there by a thread made for it.
bool ProgramLibraryStats(HWND window, QuorlinkTestStats& stats)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    BYTE* remoteLibrary = nullptr;
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    for (BOOL ok = ::Module32First(snap, &module); ok; ok = ::Module32Next(snap, &module))
        if (::lstrcmpiA(module.szModule, "Quorlink.dll") == 0)
            remoteLibrary = module.modBaseAddr;
    ::CloseHandle(snap);
    // The same file loaded here tells where the function lies in it.
    HMODULE local = ::LoadLibraryA((ExeDir() + "testlibs\\scripted\\Quorlink.dll").c_str());
    const auto* function = reinterpret_cast<const BYTE*>(::GetProcAddress(local, "Test_GetStats"));
    const ptrdiff_t offset = function - reinterpret_cast<const BYTE*>(local);
    ::FreeLibrary(local);
    HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (!remoteLibrary || !function || !process)
        return false;
    void* remoteStats = ::VirtualAllocEx(process, nullptr, sizeof stats, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    HANDLE thread = ::CreateRemoteThread(process, nullptr, 0,
                                         reinterpret_cast<LPTHREAD_START_ROUTINE>(remoteLibrary + offset),
                                         remoteStats, 0, nullptr);
    const bool read = thread && ::WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0 &&
                      ::ReadProcessMemory(process, remoteStats, &stats, sizeof stats, nullptr);
    if (thread)
        ::CloseHandle(thread);
    ::VirtualFreeEx(process, remoteStats, 0, MEM_RELEASE);
    ::CloseHandle(process);
    return read;
}

std::wstring ControlText(HWND window, int id)
{
    wchar_t text[256] = L"";
    ::GetWindowTextW(::GetDlgItem(window, id), text, 256);
    return text;
}

std::vector<std::wstring> ComboItems(HWND combo)
{
    std::vector<std::wstring> items;
    const int n = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t item[64] = L"";
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        items.push_back(item);
    }
    return items;
}

TEST(StartUpCalls, TheLibraryIsSetUpOnceItsPortsAreListedAndTheDefaultLanguageFileIsTaken)
{
    TempDir dir;
    CopyProgram(dir, "scripted");
    // No configuration file: the language file is the default one, beside the program.
    std::string language;
    for (int i = 0; i < 21; ++i)
        language += ":>\"L" + std::to_string(100 + 7 * i) + "\"<:\r\n";
    WriteFileBytes(dir.File("Korvex_Language_Eng.txt"), language);

    ProgramRun run(dir);
    ASSERT_NE(run.window, nullptr);
    QuorlinkTestStats stats = {};
    ASSERT_TRUE(ProgramLibraryStats(run.window, stats));
    EXPECT_EQ(stats.setInterfaceCalls, 1);
    EXPECT_EQ(stats.lastInterface, 3);
    EXPECT_EQ(stats.lastInterfaceOption, 0);
    EXPECT_EQ(stats.getComInstalledCalls, 1);
    EXPECT_EQ(stats.lastPortCapacity, 65536);
    EXPECT_EQ(stats.openCalls, 0) << "nothing is opened before Start";
    // The scripted library reports the ports 1 and 2.
    EXPECT_EQ(ComboItems(::GetDlgItem(run.window, 1004)), (std::vector<std::wstring>{L"COM1", L"COM2"}));

    EXPECT_EQ(ControlText(run.window, 1002), L"L100");  // the first text: the COM port label
    EXPECT_EQ(ControlText(run.window, 1018), L"L177");  // the 12th: Print
    EXPECT_EQ(ControlText(run.window, 1005), L"L184");  // the 13th: Start
    EXPECT_TRUE(run.Close());
}

}  // namespace startup_calls_test
