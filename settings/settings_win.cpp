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

void FillSettingsApi()
{
    settingsApi.getInt = ReadProfileEntry;
    settingsApi.writeString = platformApi.WritePrivateProfileStringA ? WriteProfileEntry : nullptr;
}
