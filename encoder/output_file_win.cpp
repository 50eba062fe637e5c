#include <io.h>
#include <windows.h>

#include <cstdio>

#include "encoder/output_file.h"

int CommitFileToDisk(FILE* file)
{
    if (std::fflush(file) != 0)
        return 0;
    return _commit(_fileno(file)) == 0;
}

int ReplaceFileAtomically(const char* from, const char* to)
{
    // rename() refuses an existing target on Windows; MoveFileEx replaces it.
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
