#pragma once
// Files that live beside the executable ("watermark.png", "Pixlo.ini",
// "logo.ico"). Tests point executablePath at a folder of their own.

#include <cstdint>

constexpr int32_t kModulePathSize = 260;

struct ModuleFilesApi {
    // The running executable's full path into buffer, NUL-terminated. 1 on
    // success; 0 when it failed or did not fit (never a truncated path).
    int32_t (*executablePath)(char* buffer, int32_t size);
    // 1 when something exists at path.
    int (*fileExists)(const char* path);
};

extern ModuleFilesApi moduleFilesApi;

// The platform's part (module_files_win.cpp / _posix.cpp).
int32_t ExecutablePath(char* buffer, int32_t size);
// Length of the directory part of path, its final separator included; 0
// when path holds no separator.
int32_t DirectoryEnd(const char* path);
int FileExists(const char* path);

// The executable's directory followed by name, into buffer. Returns 0,
// leaving an empty text, when the executable's path cannot be had whole or
// the result does not fit: a cut path would name some other file.
int ModuleSiblingPath(const char* name, char* buffer, int32_t size);
