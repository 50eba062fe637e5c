// The native settings file in a configuration folder of the test's own.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    // The usual mask, which lets a folder made 0755 by mistake show as such.
    const mode_t oldMask = umask(022);
    SaveSetting(kKeyFps);
    umask(oldMask);
    EXPECT_EQ(settingsSaveFailed, 0);
    ASSERT_TRUE(std::filesystem::is_regular_file(file));
    struct stat status;
    // Every folder the save made is the user's own, the configuration folder
    // above pixlo's too.
    for (const std::string& folder : {config + "/pixlo", config}) {
        ASSERT_EQ(stat(folder.c_str(), &status), 0) << folder;
        EXPECT_EQ(status.st_mode & 0777, 0700u) << folder;
    }

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

// A pipe at the settings file's name must neither hold start-up until a
// writer comes nor be replaced by the first save. The load runs in a child
// process, so a load that waits fails the test instead of hanging it.
TEST_F(NativeSettingsFolder, APipeForASettingsFileIsUnreadableAndStays)
{
    std::filesystem::create_directories(config + "/pixlo");
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LoadSettings();
        settings.fps = 25;
        SaveSetting(kKeyFps);
        _exit(settingsSaveFailed == 1 ? 0 : 3);
    }
    int status = 0;
    pid_t ended = 0;
    // Ten seconds is far beyond a load of a missing file; a waiting load
    // never ends at all.
    for (int poll = 0; poll < 1000 && ended == 0; poll++) {
        ended = waitpid(child, &status, WNOHANG);
        if (ended == 0)
            usleep(10000);
    }
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "loading waits on the pipe";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save did not fail, status " << status;
    struct stat after;
    ASSERT_EQ(lstat(file.c_str(), &after), 0);
    EXPECT_TRUE(S_ISFIFO(after.st_mode)) << "the save replaced the pipe";
}

}  // namespace
