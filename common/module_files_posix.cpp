#include <sys/stat.h>
#include <unistd.h>

#include "common/module_files.h"

static int32_t ExecutablePath(char* buffer, int32_t size)
{
    ssize_t length = readlink("/proc/self/exe", buffer, static_cast<size_t>(size));
    if (length <= 0 || length >= size)
        return 0;
    buffer[length] = '\0';
    return static_cast<int32_t>(length);
}

static int FileExists(const char* path)
{
    struct stat status;
    return stat(path, &status) == 0;
}

ModuleFilesApi moduleFilesApi = {ExecutablePath, FileExists};
