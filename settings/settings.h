#pragma once
// The eight user settings and their file, Pixlo.ini (where it lives:
// settings_location.h).
// Other subsystems read the fields directly; only the settings window changes
// them, and it saves after every change.

#include <cstdint>

#include "settings/hotkey.h"
#include "settings/viewfinder_sides.h"

struct Settings {
    int32_t fps;        // 10..30
    int32_t cursor;     // 1: the mouse cursor is drawn into captured frames
    int32_t guides;     // 1: the viewfinder shows framing guides while idle
    int32_t outw;       // 240, 360, or 0 for the captured width
    int32_t defw;       // viewfinder size, 64..3840 each
    int32_t defh;
    int32_t autocheck;  // 1: check for updates once at start-up
    int32_t optimize;   // 1: frames after the first store only the area that changed, in its own colours
};

// Holds the defaults before LoadSettings runs.
extern Settings settings;

constexpr int32_t kSettingsPathSize = 260;

// Full path of the settings file, set once by LoadSettings. Empty means there
// is no settings file: defaults are used and nothing is saved.
extern char settingsPath[kSettingsPathSize];

// What the settings store needs from the platform. Natively and in the unit
// tests the profile entries are our own ini code; the Windows start-up points
// them at the system's profile functions (FillSettingsApi). The defaults
// locate and write the file as the platform does (settings_location.h).
struct SettingsApi {
    // The entry's integer, or fallback when the file, section or key is missing.
    int32_t (*getInt)(const char* section, const char* key, int32_t fallback, const char* path);
    // Sets the entry, keeping every other line; 1 on success. Null when the
    // platform cannot save.
    int32_t (*writeString)(const char* section, const char* key, const char* value, const char* path);
    // The settings file's full path into buffer; 0 and "" when there is none.
    // Null: Pixlo.ini beside the executable.
    int32_t (*locate)(char* buffer, int32_t size);
    // The entry's text: 1 when found and it fits, 0 when missing, -1 when
    // too long. Null: every text entry reads as missing.
    int32_t (*getString)(const char* section, const char* key, char* buffer, int32_t size, const char* path);
};

extern SettingsApi settingsApi;

// Builds settingsPath and fills every field from the file with its load rules.
// Never writes: a missing file is created only by the first save.
void LoadSettings();

// The global toggle key, hotkey= under [settings]; key 0 when turned off.
// LoadSettings reads it; no save ever writes it, the window has no field for
// it, so a saved file keeps the bytes it had.
extern Hotkey settingsHotkey;

// The keys one change saves.
enum SettingKey : int32_t {
    kKeyFps,
    kKeyCursor,
    kKeyGuides,
    kKeyOutw,
    kKeyDefw,
    kKeyDefh,
    kKeyAutocheck,
    kKeyOptimize,
};

// Writes the one key from its field, leaving the file's other keys as they
// are: a second instance in the same folder keeps the changes it made.
// A save that cannot be made (no settings file, no way to write, a failed
// write) sets settingsSaveFailed; one that succeeds clears it. The values
// stay in memory either way.
void SaveSetting(SettingKey key);

// Writes all eight fields, with the same result in settingsSaveFailed.
void SaveSettings();

// 1 after the last save failed, until one succeeds. The settings window's
// footer says so.
extern int32_t settingsSaveFailed;

// 1 when SaveSettings would write: there is a settings file path and a way
// to write it. The settings window asks before it saves.
int32_t SettingsCanSave();
