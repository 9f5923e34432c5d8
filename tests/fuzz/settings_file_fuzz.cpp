// Arbitrary bytes as a configuration file: read, looked up, loaded, written and read back.
#include "core/AppSettings.h"
#include "core/SettingsFile.h"

#include "tests/fuzz/FuzzInput.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const CFuzzFile s_in("korvex_settings_fuzz_in");
    static const CFuzzFile s_out("korvex_settings_fuzz_out");
    if (!s_in.Put(data, size))
        return 0;

    CSettingsFile settings;
    Check(settings.Read(s_in.Path()));
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
    Check(settings.Write(s_out.Path()));
    CSettingsFile back;
    Check(back.Read(s_out.Path()));
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
    Check(LoadSettings(s_in.Path(), loaded, "C:\\Prog\\"));
    Check(SaveSettings(s_out.Path(), loaded, "C:\\Prog\\"));
    CSettingsFile saved;
    Check(saved.Read(s_out.Path()) && saved.Entries().size() == 18);
    return 0;
}
