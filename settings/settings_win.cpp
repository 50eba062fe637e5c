#include "settings/settings_win.h"

#include "settings/settings.h"
#include "common/platform_api_win.h"

// The load needs GetPrivateProfileIntA; on a system without it every setting
// keeps its default instead of the load calling through a null entry.
static int32_t ReadProfileEntry(const char* section, const char* key, int32_t fallback, const char* path)
{
    if (!platformApi.GetPrivateProfileIntA)
        return fallback;
    return static_cast<int32_t>(platformApi.GetPrivateProfileIntA(section, key, fallback, path));
}

static int32_t WriteProfileEntry(const char* section, const char* key, const char* value, const char* path)
{
    return platformApi.WritePrivateProfileStringA(section, key, value, path) != 0;
}

// A default no settings file holds tells a missing key from an empty value;
// a value that fills the buffer may have been cut, and reads as too long.
static int32_t ReadProfileText(const char* section, const char* key, char* buffer, int32_t size, const char* path)
{
    if (size < 2)
        return -1;
    const DWORD length = GetPrivateProfileStringA(section, key, "\x7F", buffer, static_cast<DWORD>(size), path);
    if (length == 1 && buffer[0] == '\x7F') {
        buffer[0] = 0;
        return 0;
    }
    if (length >= static_cast<DWORD>(size - 1)) {
        buffer[0] = 0;
        return -1;
    }
    return 1;
}

void FillSettingsApi()
{
    settingsApi.getInt = ReadProfileEntry;
    settingsApi.getString = ReadProfileText;
    settingsApi.writeString = platformApi.WritePrivateProfileStringA ? WriteProfileEntry : nullptr;
}
