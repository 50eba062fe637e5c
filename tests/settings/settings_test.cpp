#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/module_files.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "settings/settings_location.h"
#include "tests/support/files.h"

namespace {

// What the fakes below answer and what they were asked.
std::string fakeExecutable;
int32_t fakeExecutableFails;
std::map<std::string, int32_t> fakeEntries;  // "section/key" -> value
std::vector<std::string> reads;              // "section/key fallback path"
std::vector<std::string> writes;             // "section/key=value path"
int32_t fakeWriteFails;                      // the writer's answer is 0

int32_t FakeExecutablePath(char* buffer, int32_t size)
{
    if (fakeExecutableFails || fakeExecutable.size() >= static_cast<size_t>(size)) {
        buffer[0] = 0;
        return 0;
    }
    std::memcpy(buffer, fakeExecutable.c_str(), fakeExecutable.size() + 1);
    return 1;
}

int32_t FakeGetInt(const char* section, const char* key, int32_t fallback, const char* path)
{
    std::string name = std::string(section) + "/" + key;
    reads.push_back(name + " " + std::to_string(fallback) + " " + path);
    auto found = fakeEntries.find(name);
    return found == fakeEntries.end() ? fallback : found->second;
}

int32_t FakeWriteString(const char* section, const char* key, const char* value, const char* path)
{
    writes.push_back(std::string(section) + "/" + key + "=" + value + " " + path);
    return fakeWriteFails ? 0 : 1;
}

const Settings kDefaults = {10, 0, 1, 360, 480, 480, 0, 0};

bool SameSettings(const Settings& a, const Settings& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class SettingsTest : public ::testing::Test {
protected:
    SettingsApi saved = settingsApi;
    ModuleFilesApi savedFiles = moduleFilesApi;
    Settings savedSettings = settings;

    void SetUp() override
    {
        fakeExecutable = "/opt/pixlo/pixlo";
        fakeExecutableFails = 0;
        fakeEntries.clear();
        reads.clear();
        writes.clear();
        fakeWriteFails = 0;
        settingsSaveFailed = 0;
        moduleFilesApi.executablePath = FakeExecutablePath;
        settingsApi.getInt = FakeGetInt;
        settingsApi.writeString = FakeWriteString;
        // The file beside the executable, which the fake names; the native
        // configuration folder has tests of its own.
        settingsApi.locate = SettingsPathBesideProgram;
    }
    void TearDown() override
    {
        settingsApi = saved;
        moduleFilesApi = savedFiles;
        settings = savedSettings;
        settingsPath[0] = 0;
        settingsSaveFailed = 0;
    }
};

TEST_F(SettingsTest, LoadReadsEveryKeyWithItsDefaultFromTheFileBesideTheExecutable)
{
    LoadSettings();
    EXPECT_STREQ(settingsPath, "/opt/pixlo/Pixlo.ini");
    const std::vector<std::string> expected = {
        "settings/fps 10 /opt/pixlo/Pixlo.ini",    "settings/cursor 0 /opt/pixlo/Pixlo.ini",
        "settings/guides 1 /opt/pixlo/Pixlo.ini",  "settings/outw 360 /opt/pixlo/Pixlo.ini",
        "settings/defw 480 /opt/pixlo/Pixlo.ini",  "settings/defh 480 /opt/pixlo/Pixlo.ini",
        "update/autocheck 0 /opt/pixlo/Pixlo.ini", "settings/optimize 0 /opt/pixlo/Pixlo.ini",
    };
    EXPECT_EQ(reads, expected);
    EXPECT_TRUE(SameSettings(settings, kDefaults));
    EXPECT_TRUE(writes.empty()) << "loading must never write";
}

TEST_F(SettingsTest, LoadRulesKeepEveryFieldInItsRange)
{
    const struct {
        const char* entry;
        int32_t stored;
        int32_t Settings::*field;
        int32_t loaded;
    } table[] = {
        {"settings/fps", 5, &Settings::fps, 10},           {"settings/fps", 9, &Settings::fps, 10},
        {"settings/fps", 10, &Settings::fps, 10},          {"settings/fps", 30, &Settings::fps, 30},
        {"settings/fps", 31, &Settings::fps, 30},          {"settings/fps", INT32_MIN, &Settings::fps, 10},
        {"settings/fps", INT32_MAX, &Settings::fps, 30},   {"settings/cursor", 7, &Settings::cursor, 1},
        {"settings/cursor", -1, &Settings::cursor, 1},     {"settings/cursor", 1, &Settings::cursor, 1},
        {"settings/guides", 0, &Settings::guides, 0},      {"settings/guides", 2, &Settings::guides, 1},
        {"settings/outw", 300, &Settings::outw, 360},      {"settings/outw", 0, &Settings::outw, 0},
        {"settings/outw", 240, &Settings::outw, 240},      {"settings/outw", -240, &Settings::outw, 360},
        {"settings/defw", 10, &Settings::defw, 64},        {"settings/defw", 63, &Settings::defw, 64},
        {"settings/defw", 64, &Settings::defw, 64},        {"settings/defw", 3840, &Settings::defw, 3840},
        {"settings/defw", 3841, &Settings::defw, 3840},    {"settings/defw", 0, &Settings::defw, 64},
        {"settings/defh", 3841, &Settings::defh, 3840},    {"settings/defh", 64, &Settings::defh, 64},
        {"settings/defh", -5, &Settings::defh, 64},        {"update/autocheck", 5, &Settings::autocheck, 1},
        {"update/autocheck", 0, &Settings::autocheck, 0},  {"settings/optimize", 2, &Settings::optimize, 1},
        {"settings/optimize", -1, &Settings::optimize, 1}, {"settings/optimize", 0, &Settings::optimize, 0},
    };
    for (const auto& row : table) {
        fakeEntries.clear();
        fakeEntries[row.entry] = row.stored;
        LoadSettings();
        Settings expected = kDefaults;
        expected.*row.field = row.loaded;
        EXPECT_TRUE(SameSettings(settings, expected)) << row.entry << "=" << row.stored;
    }
}

TEST_F(SettingsTest, SettingsPathIsTheExecutablesDirectoryOrNothing)
{
    // A directory of 250 characters, its final separator included, is the
    // longest that leaves room for the file name and the terminator.
    const std::string dir250 = "/" + std::string(248, 'd') + "/";
    const std::string dir251 = "/" + std::string(249, 'd') + "/";
    const struct {
        const char* name;
        std::string executable;
        int32_t fails;
        std::string expected;
    } table[] = {
        {"ordinary", "/opt/pixlo/pixlo", 0, "/opt/pixlo/Pixlo.ini"},
        {"in the root", "/pixlo", 0, "/Pixlo.ini"},
        {"no separator: relative to the current folder", "pixlo.exe", 0, "Pixlo.ini"},
        {"longest directory that fits", dir250 + "p", 0, dir250 + "Pixlo.ini"},
        {"directory one too long", dir251 + "p", 0, ""},
        {"executable path that does not fit", "/" + std::string(300, 'x') + "/pixlo", 0, ""},
        {"executable path unavailable", "/opt/pixlo/pixlo", 1, ""},
    };
    for (const auto& row : table) {
        fakeExecutable = row.executable;
        fakeExecutableFails = row.fails;
        std::memset(settingsPath, 'x', sizeof settingsPath);
        LoadSettings();
        EXPECT_EQ(std::string(settingsPath), row.expected) << row.name;
    }
}

TEST_F(SettingsTest, WithoutASettingsFileEverythingIsDefaultAndNothingIsSaved)
{
    fakeExecutable = "/" + std::string(249, 'd') + "/pixlo";
    fakeEntries["settings/fps"] = 25;
    settings.fps = 17;
    LoadSettings();
    EXPECT_STREQ(settingsPath, "");
    EXPECT_TRUE(reads.empty());
    EXPECT_TRUE(SameSettings(settings, kDefaults));
    EXPECT_FALSE(SettingsCanSave());
    SaveSettings();
    EXPECT_TRUE(writes.empty());
}

TEST_F(SettingsTest, SaveWritesAllEightInOrderWithPercentD)
{
    LoadSettings();
    settings = {25, 1, 1, 0, 3840, 64, 1, 1};
    ASSERT_TRUE(SettingsCanSave());
    SaveSettings();
    const std::vector<std::string> expected = {
        "settings/fps=25 /opt/pixlo/Pixlo.ini",    "settings/cursor=1 /opt/pixlo/Pixlo.ini",
        "settings/outw=0 /opt/pixlo/Pixlo.ini",    "settings/guides=1 /opt/pixlo/Pixlo.ini",
        "settings/defw=3840 /opt/pixlo/Pixlo.ini", "settings/defh=64 /opt/pixlo/Pixlo.ini",
        "update/autocheck=1 /opt/pixlo/Pixlo.ini", "settings/optimize=1 /opt/pixlo/Pixlo.ini",
    };
    EXPECT_EQ(writes, expected);
}

TEST_F(SettingsTest, PlatformWithoutAWriterSavesNothing)
{
    LoadSettings();
    settingsApi.writeString = nullptr;
    EXPECT_FALSE(SettingsCanSave());
    SaveSettings();  // must not call through the missing entry
    EXPECT_TRUE(writes.empty());
}

TEST_F(SettingsTest, OneChangeWritesOnlyItsOwnKey)
{
    LoadSettings();
    settings = {25, 1, 0, 240, 3840, 64, 1, 1};
    const struct {
        SettingKey key;
        const char* written;
    } rows[] = {
        {kKeyFps, "settings/fps=25"},       {kKeyCursor, "settings/cursor=1"}, {kKeyGuides, "settings/guides=0"},
        {kKeyOutw, "settings/outw=240"},    {kKeyDefw, "settings/defw=3840"},  {kKeyDefh, "settings/defh=64"},
        {kKeyAutocheck, "update/autocheck=1"}, {kKeyOptimize, "settings/optimize=1"},
    };
    for (const auto& row : rows) {
        writes.clear();
        SaveSetting(row.key);
        EXPECT_EQ(writes, std::vector<std::string>{std::string(row.written) + " /opt/pixlo/Pixlo.ini"}) << row.written;
    }
}

TEST_F(SettingsTest, AFailedSaveIsRememberedUntilOneSucceeds)
{
    LoadSettings();
    fakeWriteFails = 1;
    SaveSetting(kKeyFps);
    EXPECT_EQ(settingsSaveFailed, 1);
    fakeWriteFails = 0;
    SaveSetting(kKeyGuides);
    EXPECT_EQ(settingsSaveFailed, 0);

    // One failed key of the eight fails the whole save.
    int32_t calls = 0;
    static int32_t* callCount;
    callCount = &calls;
    settingsApi.writeString = [](const char*, const char* key, const char*, const char*) -> int32_t {
        ++*callCount;
        return std::strcmp(key, "defh") != 0;
    };
    SaveSettings();
    EXPECT_EQ(calls, 8);
    EXPECT_EQ(settingsSaveFailed, 1);
    settingsApi.writeString = FakeWriteString;
    SaveSettings();
    EXPECT_EQ(settingsSaveFailed, 0);

    // Without a way to write, a change is not saved either.
    settingsApi.writeString = nullptr;
    SaveSetting(kKeyCursor);
    EXPECT_EQ(settingsSaveFailed, 1);
}

// The store on our own ini code, in a scratch folder standing for the
// executable's directory.
class SettingsFileTest : public SettingsTest {
protected:
    std::string file = ScratchPath("Pixlo.ini");
    void SetUp() override
    {
        SettingsTest::SetUp();
        settingsApi.getInt = saved.getInt;
        settingsApi.writeString = saved.writeString;
        fakeExecutable = ScratchPath("pixlo");
        std::remove(file.c_str());
    }
    std::string FileText() const
    {
        std::vector<uint8_t> bytes = ReadWholeFile(file);
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST_F(SettingsFileTest, FirstSaveCreatesTheFileInTheKnownOrderAndItLoadsBack)
{
    LoadSettings();
    EXPECT_STREQ(settingsPath, file.c_str());
    EXPECT_TRUE(SameSettings(settings, kDefaults));
    EXPECT_FALSE(FileExists(file)) << "loading must not create the file";

    SaveSettings();
    EXPECT_EQ(FileText(),
              "[settings]\r\nfps=10\r\ncursor=0\r\noutw=360\r\nguides=1\r\ndefw=480\r\ndefh=480\r\noptimize=0\r\n"
              "[update]\r\nautocheck=0\r\n");

    const Settings changed = {30, 1, 0, 240, 3840, 64, 1, 1};
    settings = changed;
    SaveSettings();
    settings = kDefaults;
    LoadSettings();
    EXPECT_TRUE(SameSettings(settings, changed));
}

TEST_F(SettingsFileTest, SaveKeepsForeignLinesAndLoadAppliesTheRules)
{
    const std::string before =
        "; written by hand\n[Settings]\nFPS=5\nlanguage=zh\n\n[update]\nAutoCheck=7\nchannel=beta\n";
    WriteWholeFile(file, std::vector<uint8_t>(before.begin(), before.end()));
    LoadSettings();
    EXPECT_EQ(settings.fps, 10);
    EXPECT_EQ(settings.autocheck, 1);

    settings.fps = 12;
    SaveSettings();
    EXPECT_EQ(FileText(),
              "; written by hand\n[Settings]\nFPS=12\nlanguage=zh\ncursor=0\noutw=360\nguides=1\ndefw=480\n"
              "defh=480\noptimize=0\n\n[update]\nAutoCheck=1\nchannel=beta\n");
}

TEST_F(SettingsFileTest, AChangeKeepsKeysAnotherInstanceSavedSince)
{
    LoadSettings();
    SaveSettings();
    // Another instance beside this one sets its rate and output width.
    ASSERT_TRUE(IniWriteString("settings", "fps", "25", file.c_str()));
    ASSERT_TRUE(IniWriteString("settings", "outw", "0", file.c_str()));
    settings.guides = 0;
    SaveSetting(kKeyGuides);
    EXPECT_EQ(settingsSaveFailed, 0);
    LoadSettings();
    EXPECT_EQ(settings.fps, 25);
    EXPECT_EQ(settings.outw, 0);
    EXPECT_EQ(settings.guides, 0);
}

TEST_F(SettingsFileTest, HotkeyIsReadButNeverWritten)
{
    const struct {
        const char* line;  // under [settings]; "" for none
        uint32_t modifiers;
        uint32_t key;
    } table[] = {
        {"", kHotkeyAlt | kHotkeyShift, 'R'},
        {"hotkey=Ctrl+F9\r\n", kHotkeyCtrl, kKeyF1 + 8},
        {"HotKey = ctrl + shift + 5  \r\n", kHotkeyCtrl | kHotkeyShift, '5'},
        {"hotkey=\r\n", 0, 0},
        {"hotkey=Ctrl+Nothing\r\n", kHotkeyAlt | kHotkeyShift, 'R'},
        {"hotkey\r\n", kHotkeyAlt | kHotkeyShift, 'R'},
    };
    for (const auto& row : table) {
        const std::string before = "[settings]\r\nfps=10\r\ncursor=0\r\n" + std::string(row.line) +
                                   "outw=360\r\nguides=1\r\ndefw=480\r\ndefh=480\r\noptimize=0\r\n"
                                   "[update]\r\nautocheck=0\r\n";
        WriteWholeFile(file, std::vector<uint8_t>(before.begin(), before.end()));
        settingsHotkey = {0xEE, 0xEE};
        LoadSettings();
        EXPECT_EQ(settingsHotkey.modifiers, row.modifiers) << row.line;
        EXPECT_EQ(settingsHotkey.key, row.key) << row.line;
        // The same values saved again leave every byte as it was.
        SaveSettings();
        EXPECT_EQ(settingsSaveFailed, 0);
        EXPECT_EQ(FileText(), before) << row.line;
    }
    // A file the first save makes has no hotkey line.
    std::remove(file.c_str());
    LoadSettings();
    SaveSettings();
    EXPECT_EQ(FileText().find("hotkey"), std::string::npos);
}

TEST_F(SettingsFileTest, SavingIntoADirectoryNamedLikeTheFileFails)
{
    LoadSettings();
    ASSERT_TRUE(std::filesystem::create_directory(file));
    SaveSetting(kKeyFps);
    EXPECT_EQ(settingsSaveFailed, 1);
    std::filesystem::remove(file);
}

TEST(ExecutablePath, IsThisProgramAndNeverTruncated)
{
    char path[kSettingsPathSize];
    ASSERT_EQ(ExecutablePath(path, sizeof path), 1);
    const char* name = path + DirectoryEnd(path);
    EXPECT_EQ(std::strncmp(name, "pixlo_tests", 11), 0) << path;

    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(ExecutablePath(small, 4), 0);
    EXPECT_EQ(small[0], 0);
    EXPECT_EQ(small[4], 'x') << "written past the size given";
}

}  // namespace
