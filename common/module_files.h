#pragma once
// Files that live beside the executable ("watermark.png", the settings file,
// "logo.ico"). Tests point executablePath at a scratch folder.

#include <cstdint>

constexpr int32_t kModulePathSize = 260;

struct ModuleFilesApi {
    // The executable's full path into buffer (size bytes); returns its length,
    // or 0 on failure or when it does not fit.
    int32_t (*executablePath)(char* buffer, int32_t size);
    // 1 when something exists at path.
    int (*fileExists)(const char* path);
};

extern ModuleFilesApi moduleFilesApi;

// The executable's directory (up to and including its last separator) followed
// by name, into buffer. Returns 0, leaving an empty text, when the path cannot
// be had or the result does not fit; without a separator the directory is empty.
int ModuleSiblingPath(const char* name, char* buffer, int32_t size);
