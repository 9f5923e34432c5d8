// Program entry: hands control to the application object.
#include <windows.h>
#include "fw/App.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return AfxGetApp() ? AfxGetApp()->Run(instance) : 1;
}
