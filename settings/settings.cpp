#include "settings/settings.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "settings/ini_file.h"
#include "settings/settings_location.h"

Settings settings = {10, 0, 1, 360, 480, 480, 0, 0};
char settingsPath[kSettingsPathSize];
SettingsApi settingsApi = {IniReadInt, PlatformWriteSetting, PlatformSettingsPath, IniReadString};
Hotkey settingsHotkey = kDefaultHotkey;

// The path stays empty (no settings file) when it cannot be had whole: beside
// the executable, a directory longer than 250 characters leaves no room for
// the name, and a truncated path would name some ancestor directory, where a
// settings file is worse than none.
static void BuildSettingsPath()
{
    if (settingsApi.locate)
        settingsApi.locate(settingsPath, kSettingsPathSize);
    else
        SettingsPathBesideProgram(settingsPath, kSettingsPathSize);
}

static int32_t ReadSetting(const char* section, const char* key, int32_t fallback)
{
    if (settingsPath[0] == 0)
        return fallback;
    return settingsApi.getInt(section, key, fallback, settingsPath);
}

static int32_t Clamp(int32_t value, int32_t low, int32_t high)
{
    if (value < low)
        return low;
    if (value > high)
        return high;
    return value;
}

void LoadSettings()
{
    BuildSettingsPath();

    int32_t fps = ReadSetting("settings", "fps", 10);
    if (fps > 30)
        fps = 30;
    if (fps < 10)
        fps = 10;
    settings.fps = fps;
    // Stored atomically like every write of it: the capture thread loads it.
    std::atomic_ref<int32_t>(settings.cursor).store(ReadSetting("settings", "cursor", 0) != 0,
                                                    std::memory_order_relaxed);
    settings.guides = ReadSetting("settings", "guides", 1) != 0;
    int32_t outw = ReadSetting("settings", "outw", 360);
    settings.outw = (outw == 0 || outw == 240) ? outw : 360;
    settings.defw = ReadSetting("settings", "defw", 480);
    settings.defh = ReadSetting("settings", "defh", 480);
    settings.defw = Clamp(settings.defw, kMinViewfinderSide, kMaxViewfinderSide);
    settings.defh = Clamp(settings.defh, kMinViewfinderSide, kMaxViewfinderSide);
    settings.autocheck = ReadSetting("update", "autocheck", 0) != 0;
    settings.optimize = ReadSetting("settings", "optimize", 0) != 0;

    // Longer than any hotkey text: a longer value is unreadable anyway.
    char hotkey[64] = "";
    int32_t found = 0;
    if (settingsPath[0] != 0 && settingsApi.getString)
        found = settingsApi.getString("settings", "hotkey", hotkey, sizeof hotkey, settingsPath);
    settingsHotkey = HotkeyFromSetting(found, hotkey);
}

int32_t SettingsCanSave()
{
    return settingsPath[0] != 0 && settingsApi.writeString != nullptr;
}

int32_t settingsSaveFailed;

namespace {

struct KeyPlace {
    const char* section;
    const char* name;
    const int32_t* field;
};

// In the order SaveSettings writes a new file.
const KeyPlace kKeyPlaces[] = {
    {"settings", "fps", &settings.fps},     {"settings", "cursor", &settings.cursor},
    {"settings", "guides", &settings.guides}, {"settings", "outw", &settings.outw},
    {"settings", "defw", &settings.defw},   {"settings", "defh", &settings.defh},
    {"update", "autocheck", &settings.autocheck}, {"settings", "optimize", &settings.optimize},
};
constexpr SettingKey kFileOrder[] = {kKeyFps,  kKeyCursor, kKeyOutw,      kKeyGuides,
                                     kKeyDefw, kKeyDefh,   kKeyAutocheck, kKeyOptimize};

int32_t WriteSetting(SettingKey key)
{
    const KeyPlace& place = kKeyPlaces[key];
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(*place.field));
    return settingsApi.writeString(place.section, place.name, text, settingsPath) != 0;
}

}  // namespace

void SaveSetting(SettingKey key)
{
    settingsSaveFailed = !SettingsCanSave() || !WriteSetting(key);
}

void SaveSettings()
{
    if (!SettingsCanSave()) {
        settingsSaveFailed = 1;
        return;
    }
    int32_t failed = 0;
    for (SettingKey key : kFileOrder)
        failed |= !WriteSetting(key);
    settingsSaveFailed = failed;
}
