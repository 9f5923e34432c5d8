// SendInput helpers of the Windows tests.
#include "MouseInput.h"

#include <atomic>
#include <thread>

#include "WinTestSupport.h"

namespace wintest {

namespace {
void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = dx;
    in.mi.dy = dy;
    in.mi.dwFlags = flags;
    ::SendInput(1, &in, sizeof in);
}
}  // namespace

bool MouseTo(POINT p)
{
    // Absolute input is in 1/65536 of the screen; Wine maps it back with
    // (value * size) >> 16, Windows rounds a little differently: hence the correction.
    const long long w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    LONG nx = static_cast<LONG>((p.x * 65536LL + w - 1) / w), ny = static_cast<LONG>((p.y * 65536LL + h - 1) / h);
    for (int attempt = 0; attempt < 3; ++attempt) {
        SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, nx, ny);
        POINT got;
        ::GetCursorPos(&got);
        if (got.x == p.x && got.y == p.y)
            return true;
        nx += (got.x < p.x) - (got.x > p.x);
        ny += (got.y < p.y) - (got.y > p.y);
    }
    return false;
}

void LeftButton(bool down)
{
    SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
}

void ClickAt(POINT p)
{
    MouseTo(p);
    LeftButton(true);
    LeftButton(false);
}

void DragFromAnotherThread(POINT from, POINT to, int steps)
{
    std::atomic<bool> done{false};
    const DWORD windowThread = ::GetCurrentThreadId();
    std::thread mouse([&] {
        MouseTo(from);
        LeftButton(true);
        // The moves start once the press has been taken: the system's loop or the
        // program's own drag holds the capture then. (On a busy machine a move sent
        // before that counts as part of the press.)
        for (int waited = 0; waited < 1000; waited += 5) {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            if (::GetGUIThreadInfo(windowThread, &info) && info.hwndCapture)
                break;
            ::Sleep(5);
        }
        for (int i = 1; i <= steps; ++i) {
            ::Sleep(20);
            MouseTo({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        }
        ::Sleep(20);
        LeftButton(false);
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 30000);
    mouse.join();
    PumpFor(30);
}

RECT WindowRectOf(HWND window)
{
    RECT r = {};
    ::GetWindowRect(window, &r);
    return r;
}

POINT At(HWND window, int dx, int dy)
{
    const RECT r = WindowRectOf(window);
    return {r.left + dx, r.top + dy};
}

::testing::AssertionResult SameRect(const RECT& got, const RECT& want)
{
    if (::EqualRect(&got, &want))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.left << ", " << got.top << ", " << got.right << ", "
                                         << got.bottom << ") instead of (" << want.left << ", " << want.top << ", "
                                         << want.right << ", " << want.bottom << ")";
}

}  // namespace wintest
