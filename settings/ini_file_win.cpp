#include <cerrno>

#include "settings/ini_file.h"

FILE* OpenIniForReading(const char* path, int32_t* missing)
{
    errno = 0;
    FILE* file = std::fopen(path, "rb");
    *missing = !file && errno == ENOENT;
    return file;
}
