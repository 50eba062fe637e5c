#pragma once
// Where the settings file lives. On Windows, Pixlo.ini beside the executable.
// Natively, $XDG_CONFIG_HOME/pixlo/Pixlo.ini (~/.config/pixlo/Pixlo.ini when
// the variable is unset, empty or relative), unless a Pixlo.ini lies beside
// the program: a portable install keeps its file.

#include <cstdint>

// What the native rule asks of the system.
struct SettingsLocationApi {
    // The environment variable's value, or null when it is unset.
    const char* (*getEnv)(const char* name);
    // 1 when something exists at path.
    int (*fileExists)(const char* path);
};

// The native rule. besideProgram is the path of Pixlo.ini beside the
// executable ("" when it cannot be had). Writes the chosen path into buffer
// and returns 1; returns 0 with an empty buffer (no settings file) when the
// path does not fit: a cut path would name another file. A relative HOME
// counts as unset, like a relative XDG_CONFIG_HOME; without either the file
// beside the program is used.
int32_t ChooseSettingsPath(char* buffer, int32_t size, const char* besideProgram, const SettingsLocationApi& api);

// Pixlo.ini beside the executable; 0 and "" when that path cannot be had.
int32_t SettingsPathBesideProgram(char* buffer, int32_t size);

// This platform's settings file (settings_location_win.cpp / _posix.cpp);
// the default locator of settingsApi.
int32_t PlatformSettingsPath(char* buffer, int32_t size);

// Writes one entry; natively it first makes the file's folder (and the
// configuration folder above it) when they are missing, so the first save
// creates them and loading never does. The default writer of settingsApi.
int32_t PlatformWriteSetting(const char* section, const char* key, const char* value, const char* path);
