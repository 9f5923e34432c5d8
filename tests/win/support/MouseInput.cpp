// SendInput helpers of the Windows tests.
#include "MouseInput.h"

#include <atomic>
#include <thread>

#include "WinTestSupport.h"

namespace wintest {

namespace {
// Absolute input is given in 1/65536 of the primary screen; Wine maps it back with
// (value * size) >> 16, Windows with a slightly different rounding, hence the check.
LONG Normalised(LONG pixel, int size)
{
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + size - 1) / size);
}

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
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    LONG nx = Normalised(p.x, w), ny = Normalised(p.y, h);
    for (int attempt = 0; attempt < 3; ++attempt) {
        SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, nx, ny);
        POINT got;
        ::GetCursorPos(&got);
        if (got.x == p.x && got.y == p.y)
            return true;
        nx += got.x < p.x ? 1 : got.x > p.x ? -1 : 0;
        ny += got.y < p.y ? 1 : got.y > p.y ? -1 : 0;
    }
    return false;
}

void LeftButton(bool down)
{
    SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
}

void DragFromAnotherThread(POINT from, POINT to, int steps, DWORD pauseMs)
{
    std::atomic<bool> done{false};
    std::thread mouse([&] {
        MouseTo(from);
        ::Sleep(pauseMs);
        LeftButton(true);
        ::Sleep(pauseMs);
        for (int i = 1; i <= steps; ++i) {
            MouseTo({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
            ::Sleep(pauseMs);
        }
        LeftButton(false);
        ::Sleep(pauseMs);
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 30000);
    mouse.join();
    PumpFor(pauseMs);
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

}  // namespace wintest
