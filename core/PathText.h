// File names inside the program are UTF-8, so that a folder or file name outside the
// single-byte code page survives from the system to the file functions and back. The
// Windows file functions take UTF-16: these two convert, without the platform, and
// never fail: a malformed sequence becomes U+FFFD, which names no file.
#pragma once

#include <string>

std::u16string PathToUtf16(const std::string& utf8);
std::string PathFromUtf16(const std::u16string& utf16);

#ifdef _WIN32
// On Windows wchar_t is UTF-16: what the ...W file functions take and give.
inline std::wstring WidePath(const std::string& utf8)
{
    const std::u16string wide = PathToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}

inline std::string PathFromWide(const std::wstring& wide)
{
    return PathFromUtf16(std::u16string(wide.begin(), wide.end()));
}
#endif
