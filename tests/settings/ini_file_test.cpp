#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/ini_file.h"
#include "tests/support/files.h"

namespace {

int32_t ReadInt(const std::string& text, const char* section, const char* key, int32_t fallback = -99)
{
    return IniTextReadInt(text.data(), text.size(), section, key, fallback);
}

// The text after setting the entry; "<refused>" when the writer declines.
std::string Set(const std::string& text, const char* section, const char* key, const char* value)
{
    char* result = nullptr;
    size_t length = 0;
    if (!IniTextSetValue(text.data(), text.size(), section, key, value, &result, &length))
        return "<refused>";
    std::string updated(result, length);
    std::free(result);
    return updated;
}

std::string AsText(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::vector<uint8_t> AsBytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(IniRead, FindsTheEntryByTheFileRules)
{
    const struct {
        const char* name;
        const char* text;
        const char* section;
        const char* key;
        int32_t expected;  // -99 is the fallback
    } table[] = {
        {"no text", "", "settings", "fps", -99},
        {"plain", "[settings]\nfps=25\n", "settings", "fps", 25},
        {"crlf", "[settings]\r\nfps=25\r\n", "settings", "fps", 25},
        {"no final line end", "[settings]\r\nfps=25", "settings", "fps", 25},
        {"missing section", "[other]\nfps=25\n", "settings", "fps", -99},
        {"missing key", "[settings]\ncursor=1\n", "settings", "fps", -99},
        {"key of another section", "[settings]\n[update]\nfps=25\n", "settings", "fps", -99},
        {"key before any section", "fps=25\n[settings]\n", "settings", "fps", -99},
        {"section case", "[SeTTings]\nfps=25\n", "settings", "fps", 25},
        {"key case", "[settings]\nFPS=25\n", "settings", "fps", 25},
        {"blanks around the parts", "  [settings]  \n\t fps \t=  25 \n", "settings", "fps", 25},
        {"blanks inside the brackets", "[ settings\t]\nfps=25\n", "settings", "fps", 25},
        {"first duplicate section wins", "[settings]\nfps=11\n[settings]\nfps=22\n", "settings", "fps", 11},
        {"later duplicate section is not searched", "[settings]\ncursor=1\n[settings]\nfps=22\n", "settings",
         "fps", -99},
        {"first duplicate key wins", "[settings]\nfps=11\nfps=22\n", "settings", "fps", 11},
        {"comment is no key", "[settings]\n;fps=11\n# fps=12\n", "settings", "fps", -99},
        {"key without '=' has no value", "[settings]\nfps\nfps=3\n", "settings", "fps", -99},
        {"'[' line without ']' stays in the section", "[settings]\n[oops\nfps=25\n", "settings", "fps", 25},
        {"byte-order mark before the first section", "\xEF\xBB\xBF[settings]\nfps=25\n", "settings", "fps", 25},
        {"key named like the section", "[fps]\nfps=3\n[settings]\nfps=4\n", "settings", "fps", 4},
    };
    for (const auto& row : table)
        EXPECT_EQ(ReadInt(row.text, row.section, row.key), row.expected) << row.name;
}

TEST(IniRead, TextValueWithoutItsBlanks)
{
    const struct {
        const char* text;
        int32_t size;
        int32_t found;
        const char* value;
    } table[] = {
        {"[settings]\nhotkey=Alt+Shift+R\n", 32, 1, "Alt+Shift+R"},
        {"[settings]\r\n hotkey =  Ctrl + F9 \t\r\n", 32, 1, "Ctrl + F9"},
        {"[settings]\nhotkey=\n", 32, 1, ""},
        {"[settings]\nhotkey=   \n", 32, 1, ""},
        {"[settings]\nhotkey\n", 32, 0, ""},
        {"[settings]\nfps=10\n", 32, 0, ""},
        {"[update]\nhotkey=F9\n", 32, 0, ""},
        {"[settings]\nhotkey=Ctrl+F9", 8, 1, "Ctrl+F9"},  // exactly fits, no final line end
        {"[settings]\nhotkey=Ctrl+F10\n", 8, -1, ""},
    };
    for (const auto& row : table) {
        const std::string text = row.text;
        char buffer[32] = "stale";
        EXPECT_EQ(IniTextReadString(text.data(), text.size(), "settings", "hotkey", buffer, row.size), row.found)
            << row.text;
        EXPECT_STREQ(buffer, row.value) << row.text;
    }
}

TEST(IniRead, ValueIsTheLeadingDecimalNumberElseZero)
{
    const struct {
        const char* value;
        int32_t expected;
    } table[] = {
        {"", 0},
        {"abc", 0},
        {"12abc", 12},
        {"1 2", 1},
        {"-5", -5},
        {"+7", 7},
        {"-", 0},
        {"0x10", 0},
        {"007", 7},
        {"2147483647", INT32_MAX},
        // Past 32 bits the number wraps modulo 2^32, as the Windows reader's does.
        {"2147483648", INT32_MIN},
        {"4294967306", 10},
        {"-2147483648", INT32_MIN},
        {"99999999999999999999", 1661992959},  // (10^20 - 1) mod 2^32
    };
    for (const auto& row : table) {
        std::string text = std::string("[settings]\r\nfps=") + row.value + "\r\n";
        EXPECT_EQ(ReadInt(text, "settings", "fps"), row.expected) << "value '" << row.value << "'";
    }
}

TEST(IniWrite, ChangesOnlyTheEntry)
{
    const struct {
        const char* name;
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    } table[] = {
        {"new file is CRLF", "", "settings", "fps", "10", "[settings]\r\nfps=10\r\n"},
        {"value replaced in place, LF kept", "; mine\n[settings]\nfps=20\nfoo=bar\n", "settings", "fps", "25",
         "; mine\n[settings]\nfps=25\nfoo=bar\n"},
        {"value replaced in place, CRLF kept", "[settings]\r\nfps=20\r\nfoo=bar\r\n", "settings", "fps", "25",
         "[settings]\r\nfps=25\r\nfoo=bar\r\n"},
        {"key spelling and blanks before the value kept", "[Settings]\nFPS = 20  \n", "settings", "fps", "25",
         "[Settings]\nFPS = 25\n"},
        {"empty value filled", "[settings]\nfps=\n", "settings", "fps", "25", "[settings]\nfps=25\n"},
        {"key without '=' given its value", "[settings]\n fps \nx=1\n", "settings", "fps", "25",
         "[settings]\n fps=25\nx=1\n"},
        {"replaced on the last line without a line end", "[settings]\nfps=20", "settings", "fps", "25",
         "[settings]\nfps=25"},
        {"missing key after the section's last line, blank line kept", "[settings]\nfps=1\n\n[update]\nautocheck=0\n",
         "settings", "cursor", "1", "[settings]\nfps=1\ncursor=1\n\n[update]\nautocheck=0\n"},
        {"missing key in an empty section", "[settings]\r\n[update]\r\n", "settings", "fps", "10",
         "[settings]\r\nfps=10\r\n[update]\r\n"},
        {"missing key at the end without a line end", "[settings]\nfps=1", "settings", "cursor", "1",
         "[settings]\nfps=1\ncursor=1\n"},
        {"missing key only in the first duplicate section", "[settings]\nfps=1\n[update]\n[settings]\nx=2\n",
         "settings", "cursor", "0", "[settings]\nfps=1\ncursor=0\n[update]\n[settings]\nx=2\n"},
        {"missing section at the end", "[settings]\nfps=1\n", "update", "autocheck", "1",
         "[settings]\nfps=1\n[update]\nautocheck=1\n"},
        {"missing section after a last line without a line end", "; just a comment", "update", "autocheck", "1",
         "; just a comment\r\n[update]\r\nautocheck=1\r\n"},
        {"comment with the key's name untouched", "[settings]\n;fps=3\n", "settings", "fps", "12",
         "[settings]\n;fps=3\nfps=12\n"},
        {"foreign sections and keys untouched", "[a]\nfps=1\n[settings]\nb=2\n[c]\nd=3\n", "settings", "fps", "30",
         "[a]\nfps=1\n[settings]\nb=2\nfps=30\n[c]\nd=3\n"},
        {"byte-order mark kept", "\xEF\xBB\xBF[settings]\r\nfps=1\r\n", "settings", "fps", "2",
         "\xEF\xBB\xBF[settings]\r\nfps=2\r\n"},
    };
    for (const auto& row : table) {
        std::string after = Set(row.before, row.section, row.key, row.value);
        EXPECT_EQ(after, row.after) << row.name;
        EXPECT_EQ(ReadInt(after, row.section, row.key), std::atoi(row.value)) << row.name;
        EXPECT_EQ(Set(after, row.section, row.key, row.value), after) << row.name << ": a second write changed more";
    }
}

TEST(IniWrite, RefusesNamesAndValuesThatWouldNotReadBack)
{
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } table[] = {
        {"", "fps", "1"},           {"set]tings", "fps", "1"},   {"settings\n", "fps", "1"},
        {"settings", "", "1"},      {"settings", "f=ps", "1"},   {"settings", "[fps]", "1"},
        {"settings", " fps", "1"},  {"settings", "fps\t", "1"},  {"settings", "fps", "1\r\n[x]"},
        {"settings", "fps", " 1"},  {"settings", "fps", "1\t"},
    };
    for (const auto& row : table)
        EXPECT_EQ(Set("[settings]\nfps=5\n", row.section, row.key, row.value), "<refused>")
            << "'" << row.section << "' '" << row.key << "' '" << row.value << "'";
}

class IniFileTest : public ::testing::Test {
protected:
    std::string path = ScratchPath(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                                   ".ini");
    void SetUp() override { std::remove(path.c_str()); }
};

TEST_F(IniFileTest, MissingFileReadsTheFallbackAndIsCreatedByTheFirstWrite)
{
    EXPECT_EQ(IniReadInt("settings", "fps", 17, path.c_str()), 17);
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(IniWriteString("settings", "fps", "12", path.c_str()), 1);
    EXPECT_EQ(AsText(ReadWholeFile(path)), "[settings]\r\nfps=12\r\n");
    EXPECT_EQ(IniReadInt("settings", "fps", 17, path.c_str()), 12);
}

TEST_F(IniFileTest, WriteKeepsEveryOtherByte)
{
    WriteWholeFile(path, AsBytes("; comment\n\n[settings]\nfoo=bar\nfps=5\n\n[update]\nautocheck=1"));
    EXPECT_EQ(IniWriteString("settings", "fps", "25", path.c_str()), 1);
    EXPECT_EQ(IniWriteString("settings", "cursor", "1", path.c_str()), 1);
    EXPECT_EQ(IniWriteString("update", "autocheck", "0", path.c_str()), 1);
    EXPECT_EQ(AsText(ReadWholeFile(path)),
              "; comment\n\n[settings]\nfoo=bar\nfps=25\ncursor=1\n\n[update]\nautocheck=0");
}

TEST_F(IniFileTest, WriteIntoAMissingFolderFails)
{
    std::string inMissingFolder = ScratchPath("no-such-folder/Pixlo.ini");
    EXPECT_EQ(IniWriteString("settings", "fps", "25", inMissingFolder.c_str()), 0);
    EXPECT_FALSE(FileExists(inMissingFolder));
}

TEST_F(IniFileTest, OversizedFileIsNotOursAndStaysAsItWas)
{
    std::string text = "[settings]\nfps=25\n" + std::string(kIniFileLimit, ';');
    WriteWholeFile(path, AsBytes(text));
    EXPECT_EQ(IniReadInt("settings", "fps", 17, path.c_str()), 17);
    EXPECT_EQ(IniWriteString("settings", "fps", "12", path.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(path).size(), text.size());

    // At the limit the file is still read and written.
    text.resize(kIniFileLimit);
    WriteWholeFile(path, AsBytes(text));
    EXPECT_EQ(IniReadInt("settings", "fps", 17, path.c_str()), 25);
    EXPECT_EQ(IniWriteString("settings", "fps", "12", path.c_str()), 1);
    EXPECT_EQ(IniReadInt("settings", "fps", 17, path.c_str()), 12);
}

}  // namespace
