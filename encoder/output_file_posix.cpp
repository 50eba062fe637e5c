#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

#include "encoder/output_file.h"

FILE* CreateNewFile(const char* path, int* exists)
{
    *exists = 0;
    // O_EXCL also refuses a symbolic link, dangling or not, at the name.
    int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        *exists = errno == EEXIST;
        return nullptr;
    }
    FILE* file = fdopen(descriptor, "wb");
    if (!file) {
        close(descriptor);
        unlink(path);
    }
    return file;
}

int CommitFileToDisk(FILE* file)
{
    if (std::fflush(file) != 0)
        return 0;
    return fsync(fileno(file)) == 0;
}

int CanReplaceFile(const char* to)
{
    // rename() replaces whatever the folder lets it. A file without any write
    // permission is read-only as the Windows build sees it (Wine reports such
    // a file so), and one this user may not write would refuse a direct
    // open: both stay. A folder can never take a file's place.
    struct stat status;
    if (stat(to, &status) != 0)
        return 1;
    if (S_ISDIR(status.st_mode))
        return 0;
    return (status.st_mode & 0222) != 0 && access(to, W_OK) == 0;
}

int ReplaceFileAtomically(const char* from, const char* to)
{
    if (!CanReplaceFile(to))
        return 0;
    return std::rename(from, to) == 0;
}

uint64_t UniqueSeed()
{
    timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<uint64_t>(getpid()) << 40 ^
           (static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec));
}
