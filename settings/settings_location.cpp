#include "settings/settings_location.h"

#include <cstdio>
#include <cstring>

#include "common/module_files.h"

namespace {

const char kFileName[] = "Pixlo.ini";

int32_t CopyPath(char* buffer, int32_t size, const char* path)
{
    const size_t length = std::strlen(path);
    if (length + 1 > static_cast<size_t>(size)) {
        buffer[0] = 0;
        return 0;
    }
    std::memcpy(buffer, path, length + 1);
    return length > 0;
}

// base + suffix, with base's trailing slashes dropped so "/x/" and "/x"
// name the same file.
int32_t JoinPath(char* buffer, int32_t size, const char* base, const char* suffix)
{
    size_t baseLength = std::strlen(base);
    while (baseLength > 1 && base[baseLength - 1] == '/')
        baseLength--;
    if (baseLength == 1 && base[0] == '/')
        baseLength = 0;
    const int written = std::snprintf(buffer, static_cast<size_t>(size), "%.*s%s", static_cast<int>(baseLength),
                                      base, suffix);
    if (written < 0 || written >= size) {
        buffer[0] = 0;
        return 0;
    }
    return 1;
}

}  // namespace

int32_t ChooseSettingsPath(char* buffer, int32_t size, const char* besideProgram, const SettingsLocationApi& api)
{
    if (size <= 0)
        return 0;
    buffer[0] = 0;
    if (besideProgram[0] && api.fileExists(besideProgram))
        return CopyPath(buffer, size, besideProgram);
    // XDG_CONFIG_HOME must be an absolute path: a relative value is ignored,
    // as an unset or empty one is.
    const char* config = api.getEnv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return JoinPath(buffer, size, config, "/pixlo/Pixlo.ini");
    const char* home = api.getEnv("HOME");
    if (home && home[0] == '/')
        return JoinPath(buffer, size, home, "/.config/pixlo/Pixlo.ini");
    // No home to put it in: the program's own folder, as a portable install.
    return CopyPath(buffer, size, besideProgram);
}

int32_t SettingsPathBesideProgram(char* buffer, int32_t size)
{
    return ModuleSiblingPath(kFileName, buffer, size);
}
