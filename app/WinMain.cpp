// Program entry: the one application object runs everything.
#include <windows.h>

#include <string>

#include "app/ReaderApp.h"
#include "fw/App.h"

namespace {
// Takes the current directory out of the library search path before any library is
// loaded: the maker's library is loaded by its bare name, and a file of that name in
// whatever folder the program was started from must never be the one that runs. The
// program's folder, the system folders and PATH are searched as before. The program's
// folder is given rather than an empty string, which Wine takes as "no directory set"
// and then keeps searching the current one; on Windows both take the current directory
// out alike.
void KeepCurrentDirectoryOutOfLibrarySearch()
{
    std::wstring path = AfxModulePath();
    const size_t slash = path.find_last_of(L"\\/");
    path.resize(slash == std::wstring::npos ? 0 : slash + 1);  // a root folder keeps its backslash
    if (path.empty() || !::SetDllDirectoryW(path.c_str()))
        ::SetDllDirectoryW(L"");
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    KeepCurrentDirectoryOutOfLibrarySearch();
    return theApp.Run(instance);
}
