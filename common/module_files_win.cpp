#include <windows.h>

#include "common/module_files.h"

int32_t ExecutablePath(char* buffer, int32_t size)
{
    if (size < 1)
        return 0;
    // A path that does not fit comes back cut short with the full buffer
    // size as its length; that would name a different file.
    DWORD length = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(size));
    if (length == 0 || length >= static_cast<DWORD>(size)) {
        buffer[0] = 0;
        return 0;
    }
    return 1;
}

int32_t DirectoryEnd(const char* path)
{
    // Steps by characters of the ANSI code page, not by bytes: in code page
    // 936 the second byte of a two-byte character can be 0x5C, a backslash.
    const char* end = path;
    // "C:name" names a file in drive C's current folder: "C:" is its folder.
    if (((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':')
        end = path + 2;
    for (const char* at = path; *at; at = CharNextA(at)) {
        if (*at == '\\' || *at == '/')
            end = at + 1;
    }
    return static_cast<int32_t>(end - path);
}

int FileExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}
