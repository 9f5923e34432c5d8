// Entry of every Windows test program: GoogleTest with a watchdog, so that a dialog
// left open by a failing test can never hang the run. Each test has its own deadline,
// so a program that runs a whole suite is held to the same bound per test.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

namespace {
const ULONGLONG kTestDeadlineMs = 120 * 1000;

std::atomic<ULONGLONG> g_deadline{0};  // 0: none yet
std::mutex g_currentLock;
std::string g_current;

class DeadlineListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& info) override
    {
        {
            std::lock_guard<std::mutex> lock(g_currentLock);
            g_current = std::string(info.test_suite_name()) + "." + info.name();
        }
        g_deadline.store(::GetTickCount64() + kTestDeadlineMs);
    }
};

DWORD WINAPI Watchdog(void*)
{
    for (;;) {
        ::Sleep(500);
        const ULONGLONG deadline = g_deadline.load();
        if (deadline != 0 && ::GetTickCount64() > deadline) {
            std::lock_guard<std::mutex> lock(g_currentLock);
            std::fprintf(stderr, "watchdog: %s still running after %u s, ending the program\n",
                         g_current.c_str(), static_cast<unsigned>(kTestDeadlineMs / 1000));
            std::fflush(stderr);
            ::ExitProcess(3);
        }
    }
}
}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new DeadlineListener);
    g_deadline.store(::GetTickCount64() + kTestDeadlineMs);  // what runs before the first test
    ::CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
    return RUN_ALL_TESTS();
}
