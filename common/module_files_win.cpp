#include <windows.h>

#include "common/module_files.h"

static int32_t ExecutablePath(char* buffer, int32_t size)
{
    DWORD length = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(size));
    // A full buffer means the path was cut: treat it as unavailable.
    if (length == 0 || length >= static_cast<DWORD>(size))
        return 0;
    return static_cast<int32_t>(length);
}

static int FileExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

ModuleFilesApi moduleFilesApi = {ExecutablePath, FileExists};
