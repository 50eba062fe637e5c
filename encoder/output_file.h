#pragma once
// What the GIF writer needs from the file system. A GIF is written beside
// its destination and moved over it only when complete, so a failed write
// never leaves a half file, nor destroys the file that was there before.
// Tests replace entries to make a write, the flush or the move fail.

#include <cstddef>
#include <cstdio>

struct OutputFileApi {
    FILE* (*open)(const char* path);                           // for writing, binary, truncated
    size_t (*write)(const void* bytes, size_t size, FILE* file);  // returns bytes written
    int (*commit)(FILE* file);                                 // 1 when buffered bytes reached the disk
    int (*close)(FILE* file);                                  // 1 on success
    int (*replace)(const char* from, const char* to);          // 1 when to now holds from's file
    void (*remove)(const char* path);
};

extern OutputFileApi outputFileApi;

// The platform's part of the table (output_file_win.cpp / _posix.cpp).
int CommitFileToDisk(FILE* file);
int ReplaceFileAtomically(const char* from, const char* to);
