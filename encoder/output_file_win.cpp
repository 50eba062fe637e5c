#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "common/memory.h"
#include "encoder/output_file.h"

FILE* CreateNewFile(const char* path, int* exists)
{
    *exists = 0;
    // CREATE_NEW never opens what is already there. A name held by a folder
    // or by a file being deleted fails with access denied instead of "exists":
    // it is taken all the same.
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        *exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                  (error == ERROR_ACCESS_DENIED && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES);
        return nullptr;
    }
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(handle);
        DeleteFileA(path);
        return nullptr;
    }
    FILE* file = _fdopen(descriptor, "wb");
    if (!file) {
        _close(descriptor);  // closes the handle too
        DeleteFileA(path);
    }
    return file;
}

int CommitFileToDisk(FILE* file)
{
    if (std::fflush(file) != 0)
        return 0;
    return _commit(_fileno(file)) == 0;
}

namespace {

// NUL, CON, COM1 and the like name a device in every folder, "nul.gif" too:
// the full path of such a name is the device's, \\.\NUL.
bool NamesADevice(const char* path)
{
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
    return length > 0 && length < sizeof full && std::strncmp(full, "\\\\.\\", 4) == 0;
}

// Wine has no attributes for a Unix pipe or device node at a name (invalid
// parameter), yet opens it, as a pipe or a character device. Opened without
// any access it is neither read nor written.
bool SomethingElseIsThere(const char* path)
{
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    return type != FILE_TYPE_DISK;
}

}  // namespace

int CanReplaceFile(const char* to)
{
    // Windows refuses to replace a read-only file, and to open one for
    // writing. Wine's MoveFileEx replaces it all the same (and under root
    // even opens it), so the attribute is tested here. Only a file may make
    // way for the GIF: never a folder or a device, nor a link or junction
    // (a reparse point), whose target the move would not reach.
    if (NamesADevice(to))
        return 0;
    DWORD attributes = GetFileAttributesA(to);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return !SomethingElseIsThere(to);
    const DWORD notAFile = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE |
                           FILE_ATTRIBUTE_REPARSE_POINT;
    return (attributes & notAFile) == 0;
}

char* FinalTarget(const char* path)
{
    // Links are refused as targets, not followed: the path is the target.
    const size_t size = std::strlen(path) + 1;
    char* copy = static_cast<char*>(memoryApi.allocate(size));
    if (copy)
        std::memcpy(copy, path, size);
    return copy;
}

int ReplaceFileAtomically(const char* from, const char* to)
{
    if (!CanReplaceFile(to)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    // rename() refuses an existing target on Windows; MoveFileEx replaces it.
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

uint64_t UniqueSeed()
{
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    return static_cast<uint64_t>(GetCurrentProcessId()) << 40 ^ static_cast<uint64_t>(counter.QuadPart);
}
