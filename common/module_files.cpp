#include "common/module_files.h"

#include <cstring>

ModuleFilesApi moduleFilesApi = {ExecutablePath, FileExists};

int ModuleSiblingPath(const char* name, char* buffer, int32_t size)
{
    if (size <= 0)
        return 0;
    buffer[0] = '\0';
    char path[kModulePathSize];
    if (!moduleFilesApi.executablePath(path, sizeof path))
        return 0;
    path[kModulePathSize - 1] = '\0';
    size_t directory = static_cast<size_t>(DirectoryEnd(path));
    size_t nameLength = std::strlen(name);
    if (directory > std::strlen(path) || directory + nameLength + 1 > static_cast<size_t>(size))
        return 0;
    std::memcpy(buffer, path, directory);
    std::memcpy(buffer + directory, name, nameLength + 1);
    return 1;
}
