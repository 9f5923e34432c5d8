// The box under "Output" that shows the current output file, shortened to fit.
#pragma once

#include <windows.h>
#include <functional>
#include <string>

// Sets the control's text to the UTF-8 path, with "..." in place of leading characters
// after the drive when the whole path is wider than the control. The control must not
// be subclassed by an ANSI window procedure, which would lose characters outside the
// code page.
void ShowOutputPath(HWND control, const std::string& path);

// ShortenPath for a UTF-8 path: the cut never falls inside a character.
std::string ShortenUtf8Path(const std::string& path, int limit,
                            const std::function<int(const std::string&)>& measureWidth);
