#pragma once
// The global key that toggles a recording: its text in the settings file
// ("Alt+Shift+R", "Ctrl+F9") and the key it names. Read from the file, never
// written: the window has no field for it.

#include <cstdint>

// Modifier bits, the values RegisterHotKey takes.
constexpr uint32_t kHotkeyAlt = 0x1;
constexpr uint32_t kHotkeyCtrl = 0x2;
constexpr uint32_t kHotkeyShift = 0x4;
constexpr uint32_t kHotkeyWin = 0x8;  // Win, or Super on Linux

// Key codes are the Windows virtual-key codes: 'A'..'Z', '0'..'9', the
// function keys and a few named keys.
constexpr uint32_t kKeySpace = 0x20;
constexpr uint32_t kKeyPageUp = 0x21;
constexpr uint32_t kKeyPageDown = 0x22;
constexpr uint32_t kKeyEnd = 0x23;
constexpr uint32_t kKeyHome = 0x24;
constexpr uint32_t kKeyInsert = 0x2D;
constexpr uint32_t kKeyDelete = 0x2E;
constexpr uint32_t kKeyPause = 0x13;
constexpr uint32_t kKeyF1 = 0x70;  // F1..F24 follow in order
constexpr int32_t kFunctionKeyCount = 24;

struct Hotkey {
    uint32_t modifiers;
    uint32_t key;  // 0: no key, the hotkey is off
};

constexpr Hotkey kDefaultHotkey = {kHotkeyAlt | kHotkeyShift, 'R'};

enum HotkeyParse : int32_t {
    kHotkeyUnreadable,
    kHotkeyOff,    // empty or blanks only
    kHotkeyValid,
};

// Modifiers and the key joined by '+', in any order before the key, in any
// case, with blanks around each name. A letter, a digit or Space needs a
// modifier, or it would take that key from every program; the other keys may
// stand alone. *hotkey is set only for a valid text.
HotkeyParse ParseHotkey(const char* text, Hotkey* hotkey);

// The hotkey as ParseHotkey reads it, modifiers first ("Ctrl+Alt+Shift+Win+R"),
// for the status line. Empty for an off hotkey.
void FormatHotkey(char* buffer, int32_t size, const Hotkey& hotkey);

// The hotkey from the settings file's text: missing or unreadable means the
// default, empty turns it off.
Hotkey HotkeyFromSetting(int32_t found, const char* text);
