#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "settings/settings.h"
#include "settings/settings_location.h"

namespace {

std::map<std::string, std::string> fakeEnvironment;
std::string fakeExisting;  // the one path that exists

const char* FakeGetEnv(const char* name)
{
    auto found = fakeEnvironment.find(name);
    return found == fakeEnvironment.end() ? nullptr : found->second.c_str();
}

int FakeFileExists(const char* path)
{
    return fakeExisting == path;
}

constexpr char kBeside[] = "/opt/pixlo/Pixlo.ini";
constexpr char kUnset[] = "<unset>";

TEST(SettingsLocation, ConfigurationFolderUnlessAPortableFileLiesBesideTheProgram)
{
    // Directories that make the whole path 259 characters, the most the
    // settings path holds with its terminator, and one more.
    const std::string fits = "/" + std::string(259 - std::strlen("/pixlo/Pixlo.ini") - 1, 'c');
    const std::string tooLong = fits + "c";
    const struct {
        const char* name;
        std::string xdg;
        std::string home;
        std::string besideProgram;
        int existsBeside;
        int32_t result;
        std::string expected;
    } table[] = {
        {"XDG_CONFIG_HOME set", "/cfg", "/home/u", kBeside, 0, 1, "/cfg/pixlo/Pixlo.ini"},
        {"its trailing slashes dropped", "/cfg//", "/home/u", kBeside, 0, 1, "/cfg/pixlo/Pixlo.ini"},
        {"XDG_CONFIG_HOME the root", "/", "/home/u", kBeside, 0, 1, "/pixlo/Pixlo.ini"},
        {"XDG_CONFIG_HOME unset", kUnset, "/home/u", kBeside, 0, 1, "/home/u/.config/pixlo/Pixlo.ini"},
        {"XDG_CONFIG_HOME empty", "", "/home/u/", kBeside, 0, 1, "/home/u/.config/pixlo/Pixlo.ini"},
        {"XDG_CONFIG_HOME relative is ignored", "cfg", "/home/u", kBeside, 0, 1, "/home/u/.config/pixlo/Pixlo.ini"},
        {"HOME unset, XDG_CONFIG_HOME set", "/cfg", kUnset, kBeside, 0, 1, "/cfg/pixlo/Pixlo.ini"},
        {"HOME and XDG_CONFIG_HOME unset: beside the program", kUnset, kUnset, kBeside, 0, 1, kBeside},
        {"HOME relative, XDG_CONFIG_HOME empty", "", "home/u", kBeside, 0, 1, kBeside},
        {"no home and no path beside the program", kUnset, kUnset, "", 0, 0, ""},
        {"a portable file beside the program wins", "/cfg", "/home/u", kBeside, 1, 1, kBeside},
        {"the longest path that fits", fits, "/home/u", kBeside, 0, 1, fits + "/pixlo/Pixlo.ini"},
        {"a path too long names no file", tooLong, "/home/u", kBeside, 0, 0, ""},
    };
    for (const auto& row : table) {
        fakeEnvironment.clear();
        if (row.xdg != kUnset)
            fakeEnvironment["XDG_CONFIG_HOME"] = row.xdg;
        if (row.home != kUnset)
            fakeEnvironment["HOME"] = row.home;
        fakeExisting = row.existsBeside ? row.besideProgram : "";
        char buffer[kSettingsPathSize];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(ChooseSettingsPath(buffer, sizeof buffer, row.besideProgram.c_str(), {FakeGetEnv, FakeFileExists}),
                  row.result)
            << row.name;
        EXPECT_EQ(std::string(buffer), row.expected) << row.name;
    }
}

TEST(SettingsLocation, OnlyTheFileBesideTheProgramIsLookedFor)
{
    // A settings file in the configuration folder is used whether it exists
    // or not: the first save creates it.
    fakeEnvironment = {{"XDG_CONFIG_HOME", "/cfg"}};
    fakeExisting = "/cfg/pixlo/Pixlo.ini";
    char buffer[kSettingsPathSize];
    ASSERT_EQ(ChooseSettingsPath(buffer, sizeof buffer, kBeside, {FakeGetEnv, FakeFileExists}), 1);
    EXPECT_STREQ(buffer, "/cfg/pixlo/Pixlo.ini");
    // A small buffer is never overrun.
    char small[8];
    EXPECT_EQ(ChooseSettingsPath(small, sizeof small, kBeside, {FakeGetEnv, FakeFileExists}), 0);
    EXPECT_STREQ(small, "");
}

}  // namespace
