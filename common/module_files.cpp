#include "common/module_files.h"

#include <cstring>

int ModuleSiblingPath(const char* name, char* buffer, int32_t size)
{
    if (size <= 0)
        return 0;
    buffer[0] = '\0';
    char path[kModulePathSize];
    int32_t length = moduleFilesApi.executablePath(path, sizeof path);
    if (length <= 0 || length >= kModulePathSize)
        return 0;
    path[length] = '\0';

    // Cut just after the last separator. Windows paths use backslashes; the
    // native build's use slashes.
    int32_t directoryLength = 0;
    for (int32_t i = 0; i < length; i++)
        if (path[i] == '\\' || path[i] == '/')
            directoryLength = i + 1;

    size_t nameLength = std::strlen(name);
    if (directoryLength + nameLength + 1 > static_cast<size_t>(size))
        return 0;
    std::memcpy(buffer, path, static_cast<size_t>(directoryLength));
    std::memcpy(buffer + directoryLength, name, nameLength + 1);
    return 1;
}
