#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "common/module_files.h"

int32_t ExecutablePath(char* buffer, int32_t size)
{
    if (size < 1)
        return 0;
    ssize_t length = readlink("/proc/self/exe", buffer, static_cast<size_t>(size));
    // readlink neither terminates nor reports truncation: a result that fills
    // the buffer may have been cut short.
    if (length < 0 || length >= size) {
        buffer[0] = 0;
        return 0;
    }
    buffer[length] = 0;
    return 1;
}

int32_t DirectoryEnd(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? static_cast<int32_t>(slash - path + 1) : 0;
}

int FileExists(const char* path)
{
    struct stat status;
    return stat(path, &status) == 0;
}
