// The box under "Output" that shows the current output file, shortened to fit.
#pragma once

#include <windows.h>
#include <string>

// Sets the control's text to the path, with "..." in place of leading characters
// after the drive when the whole path is wider than the control.
void ShowOutputPath(HWND control, const std::string& path);
