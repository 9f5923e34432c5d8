// The application's registry profile: values live under
// HKCU\Software\<key>\<executable name>\<section>.
#include <gtest/gtest.h>

#include "fw/App.h"

#include <string>

TEST(AppProfile, ValuesLiveUnderTheKeyAndTheProgramsName)
{
    CWinApp app;
    EXPECT_EQ(app.GetProfileInt("Settings", "wp.left", -7), static_cast<UINT>(-7)) << "no key set yet";
    app.SetRegistryKey("Velto\\Korvex_test_v.1.0");
    // The name of the running executable, without its folder and extension.
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe = path;
    exe = exe.substr(exe.find_last_of('\\') + 1);
    exe = exe.substr(0, exe.rfind('.'));
    EXPECT_EQ(app.AppName(), exe);
    EXPECT_EQ(app.GetProfileInt("Settings", "wp.left", 11), 11u) << "missing value: the default";
    ASSERT_TRUE(app.WriteProfileInt("Settings", "wp.left", -120));
    EXPECT_EQ(static_cast<int>(app.GetProfileInt("Settings", "wp.left", 0)), -120);

    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(::RegGetValueA(HKEY_CURRENT_USER, ("Software\\Velto\\Korvex_test_v.1.0\\" + exe + "\\Settings").c_str(),
                             "wp.left", RRF_RT_REG_DWORD, nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(static_cast<int>(value), -120);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velto\\Korvex_test_v.1.0");
}
