// Entry of every Windows test program: GoogleTest with a watchdog, so that a dialog
// left open by a failing test can never hang the run.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>

namespace {
DWORD WINAPI Watchdog(void* seconds)
{
    ::Sleep(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(seconds)) * 1000);
    std::fprintf(stderr, "watchdog: test program still running, ending it\n");
    std::fflush(stderr);
    ::ExitProcess(3);
}
}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::CreateThread(nullptr, 0, Watchdog, reinterpret_cast<void*>(UINT_PTR{240}), 0, nullptr);
    return RUN_ALL_TESTS();
}
