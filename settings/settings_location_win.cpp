#include "settings/ini_file.h"
#include "settings/settings_location.h"

// Windows keeps Pixlo.ini beside the executable, in a folder that exists.
int32_t PlatformSettingsPath(char* buffer, int32_t size)
{
    return SettingsPathBesideProgram(buffer, size);
}

int32_t PlatformWriteSetting(const char* section, const char* key, const char* value, const char* path)
{
    return IniWriteString(section, key, value, path);
}
