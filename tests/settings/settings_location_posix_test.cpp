// The native settings file in a configuration folder of the test's own.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "settings/settings.h"
#include "settings/settings_location.h"
#include "tests/support/files.h"

namespace {

class NativeSettingsFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadXdg = old != nullptr;
        if (old)
            oldXdg = old;
        std::filesystem::remove_all(config);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        settingsApi.locate = PlatformSettingsPath;
        settingsApi.writeString = PlatformWriteSetting;
    }
    void TearDown() override
    {
        if (hadXdg)
            setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        settingsApi = savedApi;
        settings = savedSettings;
        settingsPath[0] = 0;
        settingsSaveFailed = 0;
    }
    // Two levels that do not exist yet: the configuration folder itself may
    // be missing too.
    std::string config = ScratchPath("xdg-home") + "/config";
    std::string file = config + "/pixlo/Pixlo.ini";
    SettingsApi savedApi = settingsApi;
    Settings savedSettings = settings;
    bool hadXdg = false;
    std::string oldXdg;
};

TEST_F(NativeSettingsFolder, LoadingCreatesNothingTheFirstSaveCreatesTheFolders)
{
    LoadSettings();
    EXPECT_EQ(std::string(settingsPath), file);
    EXPECT_FALSE(std::filesystem::exists(ScratchPath("xdg-home"))) << "loading must not create folders";

    settings.fps = 25;
    SaveSetting(kKeyFps);
    EXPECT_EQ(settingsSaveFailed, 0);
    ASSERT_TRUE(std::filesystem::is_regular_file(file));
    struct stat status;
    ASSERT_EQ(stat((config + "/pixlo").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u) << "the folder is the user's own";

    settings.fps = 10;
    LoadSettings();
    EXPECT_EQ(settings.fps, 25);
}

TEST_F(NativeSettingsFolder, AFolderThatCannotBeMadeIsAFailedSave)
{
    // A file where the configuration folder should be.
    std::filesystem::create_directories(ScratchPath("xdg-home"));
    WriteWholeFile(config, {'x'});
    LoadSettings();
    SaveSetting(kKeyGuides);
    EXPECT_EQ(settingsSaveFailed, 1);
    std::filesystem::remove(config);
}

}  // namespace
