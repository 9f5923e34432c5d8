// The configuration file's paths in the ANSI code page, with short names for the rest.
#include "core/ConfigPath.h"

#include <windows.h>

#include "core/PathText.h"

namespace {
class AnsiCodec : public ConfigPathCodec {
public:
    std::string ToPath(const std::string& stored) const override
    {
        if (stored.empty())
            return stored;
        const int n = ::MultiByteToWideChar(CP_ACP, 0, stored.data(), static_cast<int>(stored.size()), nullptr, 0);
        std::wstring wide(n > 0 ? n : 0, L'\0');
        if (n > 0)
            ::MultiByteToWideChar(CP_ACP, 0, stored.data(), static_cast<int>(stored.size()), &wide[0], n);
        return PathFromWide(wide);
    }

    bool ToStored(const std::string& path, std::string& stored) const override
    {
        stored.clear();
        if (path.empty())
            return true;
        const std::wstring wide = WidePath(path);
        // Under a UTF-8 code page every character has its bytes; the flag and the
        // default-character check are refused there.
        const bool utf8 = ::GetACP() == CP_UTF8;
        const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
        BOOL usedDefault = FALSE;
        BOOL* check = utf8 ? nullptr : &usedDefault;
        const int n = ::WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                            nullptr, check);
        if (n <= 0 || usedDefault)
            return false;
        std::string text(n, '\0');
        ::WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), &text[0], n, nullptr,
                              check);
        if (usedDefault)
            return false;
        stored = text;
        return true;
    }

    std::string ShortForm(const std::string& path) const override
    {
        return Converted(path, ::GetShortPathNameW);
    }

    std::string LongForm(const std::string& path) const override
    {
        return Converted(path, ::GetLongPathNameW);
    }

private:
    // The path through GetShortPathNameW or GetLongPathNameW; empty when that fails.
    static std::string Converted(const std::string& path, DWORD(WINAPI* convert)(LPCWSTR, LPWSTR, DWORD))
    {
        if (path.empty())
            return std::string();
        const std::wstring wide = WidePath(path);
        const DWORD need = convert(wide.c_str(), nullptr, 0);
        if (need == 0)
            return std::string();
        std::wstring result(need, L'\0');
        const DWORD n = convert(wide.c_str(), &result[0], need);
        if (n == 0 || n >= need)
            return std::string();
        result.resize(n);
        return PathFromWide(result);
    }
};
}  // namespace

const ConfigPathCodec& SystemConfigPathCodec()
{
    static const AnsiCodec codec;
    return codec;
}
