#include "encoder/output_file.h"

static size_t WriteBytes(const void* bytes, size_t size, FILE* file)
{
    return std::fwrite(bytes, 1, size, file);
}

static int CloseFile(FILE* file)
{
    return std::fclose(file) == 0;
}

static void RemoveFile(const char* path)
{
    std::remove(path);
}

OutputFileApi outputFileApi = {CreateNewFile, WriteBytes, CommitFileToDisk, CloseFile,
                               ReplaceFileAtomically, CanReplaceFile, FinalTarget, RemoveFile,
                               UniqueSeed};
