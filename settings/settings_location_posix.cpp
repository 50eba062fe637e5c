#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "common/module_files.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "settings/settings_location.h"

namespace {

const char* Environment(const char* name)
{
    return std::getenv(name);
}

// Makes every missing folder on the way to the file. Configuration folders
// are private to the user (mode 0700), as desktops make them.
void MakeParentFolders(const char* path)
{
    char folder[kSettingsPathSize];
    const size_t length = std::strlen(path);
    if (length >= sizeof folder)
        return;
    std::memcpy(folder, path, length + 1);
    char* end = std::strrchr(folder, '/');
    if (!end || end == folder)
        return;
    *end = 0;
    struct stat status;
    if (stat(folder, &status) == 0)
        return;
    for (char* at = folder + 1; *at; at++) {
        if (*at != '/')
            continue;
        *at = 0;
        mkdir(folder, 0700);
        *at = '/';
    }
    mkdir(folder, 0700);
}

}  // namespace

int32_t PlatformSettingsPath(char* buffer, int32_t size)
{
    char beside[kSettingsPathSize];
    SettingsPathBesideProgram(beside, sizeof beside);
    return ChooseSettingsPath(buffer, size, beside, {Environment, FileExists});
}

int32_t PlatformWriteSetting(const char* section, const char* key, const char* value, const char* path)
{
    MakeParentFolders(path);
    return IniWriteString(section, key, value, path);
}
