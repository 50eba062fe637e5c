#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/memory.h"
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
    // rename() replaces whatever the folder lets it, /dev/null and a pipe
    // someone reads from included: only a regular file may make way for the
    // GIF. A file without any write permission is read-only as the Windows
    // build sees it (Wine reports such a file so), and one this user may not
    // write would refuse a direct open: both stay.
    struct stat status;
    if (stat(to, &status) != 0)
        return 1;
    if (!S_ISREG(status.st_mode))
        return 0;
    return (status.st_mode & 0222) != 0 && access(to, W_OK) == 0;
}

char* FinalTarget(const char* path)
{
    // As many links as the kernel itself follows before it gives up.
    constexpr int kMaxLinks = 40;
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinks; hop++) {
        struct stat status;
        if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            char* copy = static_cast<char*>(memoryApi.allocate(current.size() + 1));
            if (copy)
                std::memcpy(copy, current.c_str(), current.size() + 1);
            return copy;
        }
        // st_size is the link's length on most file systems, 0 on some.
        std::string link(static_cast<size_t>(status.st_size) + 256, '\0');
        ssize_t length;
        while ((length = readlink(current.c_str(), link.data(), link.size())) == static_cast<ssize_t>(link.size()))
            link.resize(link.size() * 2);
        if (length <= 0)
            return nullptr;
        link.resize(static_cast<size_t>(length));
        // A relative link is relative to the folder the link is in.
        const size_t slash = current.rfind('/');
        if (link[0] == '/' || slash == std::string::npos)
            current = link;
        else
            current = current.substr(0, slash + 1) + link;
    }
    return nullptr;
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
