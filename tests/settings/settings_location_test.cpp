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

// Each way to a path copies into the caller's buffer: one byte too small
// must give no path and leave every byte past the buffer's end alone.
TEST(SettingsLocation, ABufferOneByteShortIsNeverOverrun)
{
    const std::string joined = "/cfg/pixlo/Pixlo.ini";
    const struct {
        const char* name;
        const char* xdg;          // null: unset
        int existsBeside;
        std::string expected;
    } table[] = {
        {"the portable file beside the program", "/cfg", 1, kBeside},
        {"the file beside the program for want of a home", nullptr, 0, kBeside},
        {"the configuration folder", "/cfg", 0, joined},
    };
    for (const auto& row : table) {
        fakeEnvironment.clear();
        if (row.xdg)
            fakeEnvironment["XDG_CONFIG_HOME"] = row.xdg;
        fakeExisting = row.existsBeside ? kBeside : "";
        const int32_t exact = static_cast<int32_t>(row.expected.size()) + 1;
        for (const int32_t size : {exact - 1, exact}) {
            char buffer[64];
            std::memset(buffer, 'x', sizeof buffer);
            const int32_t result = ChooseSettingsPath(buffer, size, kBeside, {FakeGetEnv, FakeFileExists});
            EXPECT_EQ(result, size == exact) << row.name << ", size " << size;
            EXPECT_EQ(std::string(buffer), size == exact ? row.expected : "") << row.name << ", size " << size;
            EXPECT_EQ(std::string(buffer + size, sizeof buffer - size), std::string(sizeof buffer - size, 'x'))
                << row.name << ", size " << size << ": written past the buffer";
        }
    }
}

}  // namespace
