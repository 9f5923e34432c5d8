/* Keeps Wine's desktop process alive between test programs: one hidden window that
   lives until the Wine server is shut down. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmd, int show)
{
    (void)prev; (void)cmd; (void)show;
    CreateWindowExA(0, "STATIC", "korvex-keepalive", 0, 0, 0, 1, 1, NULL, NULL, inst, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
