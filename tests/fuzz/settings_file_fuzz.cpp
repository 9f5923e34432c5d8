// Arbitrary bytes as a configuration file: read, looked up, loaded, written and read back.
#include "app/AppSettings.h"
#include "app/SettingsFile.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// A memory-backed folder where there is one: the file writers sync every file to disk.
std::string TempDir()
{
    return access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
}

struct TempFiles {
    std::string in = TempDir() + "korvex_settings_fuzz_in_" + std::to_string(getpid());
    std::string out = TempDir() + "korvex_settings_fuzz_out_" + std::to_string(getpid());
    ~TempFiles()
    {
        std::remove(in.c_str());
        std::remove(out.c_str());
    }
};

const TempFiles& Temp()
{
    static const TempFiles files;
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(Temp().in.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    CSettingsFile settings;
    Check(settings.Read(Temp().in));
    for (const SettingsEntry& entry : settings.Entries()) {
        Check(entry.key.size() <= CSettingsFile::MAX_KEY && entry.value.size() <= CSettingsFile::MAX_VALUE);
        Check(entry.key.find('\0') == std::string::npos && entry.value.find('\0') == std::string::npos);
        Check(entry.key.find('\x02') == std::string::npos && entry.value.find('\x03') == std::string::npos);
        Check(settings.Find(entry.key) != nullptr);
        int32_t number = 0;
        uint8_t byte = 0;
        Check(settings.GetInt(entry.key, number) && settings.GetByte(entry.key, byte));
    }

    // Everything read, apart from records without a key, comes back unchanged.
    Check(settings.Write(Temp().out));
    CSettingsFile back;
    Check(back.Read(Temp().out));
    size_t n = 0;
    for (const SettingsEntry& entry : settings.Entries()) {
        if (entry.key.empty())
            continue;
        Check(n < back.Entries().size());
        Check(back.Entries()[n].key == entry.key && back.Entries()[n].value == entry.value);
        ++n;
    }
    Check(n == back.Entries().size());

    AppSettings loaded;
    Check(LoadSettings(Temp().in, loaded, "C:\\Prog\\"));
    Check(SaveSettings(Temp().out, loaded, "C:\\Prog\\"));
    CSettingsFile saved;
    Check(saved.Read(Temp().out) && saved.Entries().size() == 18);
    return 0;
}
