// The Win32 side of the settings store, under Wine with code page 936.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "common/module_files.h"
#include "settings/settings.h"
#include "settings/settings_win.h"
#include "common/platform_api_win.h"

namespace {

TEST(DirectoryEnd, StepsOverTwoByteCharactersEndingIn0x5C)
{
    // "\x81\x5C" is one character in code page 936 whose second byte is the
    // backslash: a byte-wise search would cut the path inside it.
    ASSERT_EQ(GetACP(), 936u) << "run through scripts/wine-run, which selects code page 936";
    const struct {
        const char* path;
        int32_t end;
    } table[] = {
        {"C:\\Pixlo\\pixlo.exe", 9},
        {"C:\\Pixlo/pixlo.exe", 9},
        {"pixlo.exe", 0},
        {"C:\\Pixlo\\\xC2\xBC\x81\x5C.exe", 9},
        {"C:\\\x81\x5C\\pixlo.exe", 6},
        {"C:\\Pixlo\\\x81", 9},
    };
    for (const auto& row : table)
        EXPECT_EQ(DirectoryEnd(row.path), row.end) << row.path;
}

class ProfileEntriesTest : public ::testing::Test {
protected:
    SettingsApi savedSettingsApi = settingsApi;
    PlatformApi savedPlatformApi;
    std::string file;

    void SetUp() override
    {
        FillPlatformApi();
        savedPlatformApi = platformApi;
        char folder[MAX_PATH];
        GetTempPathA(sizeof folder, folder);
        file = std::string(folder) + "pixlo-profile-entries.ini";
        DeleteFileA(file.c_str());
    }
    void TearDown() override
    {
        platformApi = savedPlatformApi;
        settingsApi = savedSettingsApi;
        settingsPath[0] = 0;
        DeleteFileA(file.c_str());
    }
};

TEST_F(ProfileEntriesTest, GoThroughTheSystemsProfileFunctions)
{
    FillSettingsApi();
    ASSERT_NE(settingsApi.writeString, nullptr);
    EXPECT_EQ(settingsApi.writeString("settings", "fps", "-25", file.c_str()), 1);
    // The system's reader; its UINT comes back as the signed number written.
    EXPECT_EQ(settingsApi.getInt("settings", "fps", 10, file.c_str()), -25);
    EXPECT_EQ(GetPrivateProfileIntA("settings", "fps", 10, file.c_str()), static_cast<UINT>(-25));
    EXPECT_EQ(settingsApi.getInt("settings", "cursor", 77, file.c_str()), 77);
}

TEST_F(ProfileEntriesTest, WithoutTheWriterNothingIsSaved)
{
    platformApi.WritePrivateProfileStringA = nullptr;
    FillSettingsApi();
    EXPECT_EQ(settingsApi.writeString, nullptr);
    std::strcpy(settingsPath, file.c_str());
    EXPECT_FALSE(SettingsCanSave());
    SaveSettings();
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ProfileEntriesTest, WithoutTheReaderEverySettingKeepsItsDefault)
{
    WritePrivateProfileStringA("settings", "fps", "25", file.c_str());
    platformApi.GetPrivateProfileIntA = nullptr;
    FillSettingsApi();
    EXPECT_EQ(settingsApi.getInt("settings", "fps", 10, file.c_str()), 10);
}

}  // namespace
