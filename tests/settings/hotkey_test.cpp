// The hotkey setting's text: what reads as a key, what turns it off, and
// what falls back to the default.
#include <gtest/gtest.h>

#include <string>

#include "settings/hotkey.h"

namespace {

constexpr uint32_t kF9 = kKeyF1 + 8;
constexpr uint32_t kF24 = kKeyF1 + 23;

TEST(HotkeyText, ParsesModifiersInAnyOrderCaseAndBlanks)
{
    const struct {
        const char* text;
        HotkeyParse result;
        uint32_t modifiers;
        uint32_t key;
    } table[] = {
        {"Alt+Shift+R", kHotkeyValid, kHotkeyAlt | kHotkeyShift, 'R'},
        {"Shift+Alt+R", kHotkeyValid, kHotkeyAlt | kHotkeyShift, 'R'},
        {"alt+shift+r", kHotkeyValid, kHotkeyAlt | kHotkeyShift, 'R'},
        {"  Alt +\tshift+  r  ", kHotkeyValid, kHotkeyAlt | kHotkeyShift, 'R'},
        {"Ctrl+F9", kHotkeyValid, kHotkeyCtrl, kF9},
        {"CTRL+f24", kHotkeyValid, kHotkeyCtrl, kF24},
        {"Win+Shift+1", kHotkeyValid, kHotkeyWin | kHotkeyShift, '1'},
        {"Super+Space", kHotkeyValid, kHotkeyWin, kKeySpace},
        {"Ctrl+Alt+Shift+Win+Z", kHotkeyValid, kHotkeyCtrl | kHotkeyAlt | kHotkeyShift | kHotkeyWin, 'Z'},
        {"Ctrl+PageDown", kHotkeyValid, kHotkeyCtrl, kKeyPageDown},
        // A key alone: the function keys and Pause may, a letter, digit or
        // Space would take that key from every program.
        {"F9", kHotkeyValid, 0, kF9},
        {"pause", kHotkeyValid, 0, kKeyPause},
        {"R", kHotkeyUnreadable},
        {"7", kHotkeyUnreadable},
        {"Space", kHotkeyUnreadable},
        // Off.
        {"", kHotkeyOff},
        {"  \t ", kHotkeyOff},
        // Unreadable.
        {"Alt+Shift", kHotkeyUnreadable},        // no key
        {"Alt+Shift+", kHotkeyUnreadable},
        {"+R", kHotkeyUnreadable},
        {"Alt++R", kHotkeyUnreadable},
        {"Meta+R", kHotkeyUnreadable},           // unknown modifier
        {"Alt+Enter", kHotkeyUnreadable},        // unknown key
        {"Alt+RR", kHotkeyUnreadable},
        {"Alt+F0", kHotkeyUnreadable},
        {"Alt+F25", kHotkeyUnreadable},
        {"Alt+F09", kHotkeyUnreadable},
        {"Alt+Alt+R", kHotkeyUnreadable},        // a modifier twice
        {"R+Alt", kHotkeyUnreadable},            // the key before a modifier
        {"Alt+Shift R", kHotkeyUnreadable},
        {"Alt+\xC2\xBC", kHotkeyUnreadable},
    };
    for (const auto& row : table) {
        Hotkey hotkey = {0xEE, 0xEE};
        EXPECT_EQ(ParseHotkey(row.text, &hotkey), row.result) << '"' << row.text << '"';
        if (row.result == kHotkeyValid) {
            EXPECT_EQ(hotkey.modifiers, row.modifiers) << row.text;
            EXPECT_EQ(hotkey.key, row.key) << row.text;
        } else {
            EXPECT_EQ(hotkey.modifiers, 0xEEu) << "untouched: " << row.text;
        }
    }
}

TEST(HotkeyText, SettingFallsBackToTheDefaultUnlessEmpty)
{
    const struct {
        int32_t found;  // as the settings reader answers: 1, 0 missing, -1 too long
        const char* text;
        uint32_t modifiers;
        uint32_t key;
    } table[] = {
        {0, "", kHotkeyAlt | kHotkeyShift, 'R'},
        {-1, "", kHotkeyAlt | kHotkeyShift, 'R'},
        {1, "Ctrl+F9", kHotkeyCtrl, kF9},
        {1, "", 0, 0},
        {1, "Ctrl+Nothing", kHotkeyAlt | kHotkeyShift, 'R'},
    };
    for (const auto& row : table) {
        const Hotkey hotkey = HotkeyFromSetting(row.found, row.text);
        EXPECT_EQ(hotkey.modifiers, row.modifiers) << row.found << " " << row.text;
        EXPECT_EQ(hotkey.key, row.key) << row.found << " " << row.text;
    }
}

TEST(HotkeyText, FormattedTextReadsBackAsTheSameKey)
{
    const Hotkey keys[] = {kDefaultHotkey, {kHotkeyCtrl, kF9}, {0, kKeyPause},
                           {kHotkeyCtrl | kHotkeyAlt | kHotkeyShift | kHotkeyWin, '0'}, {kHotkeyWin, kKeyDelete}};
    for (const Hotkey& key : keys) {
        char text[48];
        FormatHotkey(text, sizeof text, key);
        Hotkey back = {};
        ASSERT_EQ(ParseHotkey(text, &back), kHotkeyValid) << text;
        EXPECT_EQ(back.modifiers, key.modifiers) << text;
        EXPECT_EQ(back.key, key.key) << text;
    }
    char text[48];
    FormatHotkey(text, sizeof text, kDefaultHotkey);
    EXPECT_STREQ(text, "Alt+Shift+R");
    FormatHotkey(text, sizeof text, {0, 0});
    EXPECT_STREQ(text, "");
}

}  // namespace
