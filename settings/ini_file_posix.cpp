#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "settings/ini_file.h"

FILE* OpenIniForReading(const char* path, int32_t* missing)
{
    *missing = 0;
    // Without O_NONBLOCK a pipe at the name would hold start-up until some
    // writer came; it opens at once so, and is then turned away like any
    // other file that is not a regular one (a device, a folder).
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        *missing = errno == ENOENT;
        return nullptr;
    }
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return nullptr;
    }
    FILE* file = fdopen(descriptor, "rb");
    if (!file)
        close(descriptor);
    return file;
}
