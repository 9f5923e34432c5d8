// Program entry: the one application object runs everything.
#include <windows.h>
#include "app/ReaderApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return theApp.Run(instance);
}
