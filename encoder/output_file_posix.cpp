#include <unistd.h>

#include <cstdio>

#include "encoder/output_file.h"

int CommitFileToDisk(FILE* file)
{
    if (std::fflush(file) != 0)
        return 0;
    return fsync(fileno(file)) == 0;
}

int ReplaceFileAtomically(const char* from, const char* to)
{
    return std::rename(from, to) == 0;
}
