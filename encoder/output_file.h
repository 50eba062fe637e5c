#pragma once
// What the GIF writer needs from the file system. A GIF is written to a
// temporary file beside its destination and moved over it only when
// complete, so a failed write never leaves a half file, nor destroys the
// file that was there before. Tests replace entries to make a write, the
// flush or the move fail, or to see which temporary names are tried.

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct OutputFileApi {
    // Creates path for writing, binary, only when nothing exists there: it
    // never opens an existing file, which may be the user's. On failure null,
    // and *exists is 1 when the name was taken, 0 for any other reason.
    FILE* (*createNew)(const char* path, int* exists);
    size_t (*write)(const void* bytes, size_t size, FILE* file);  // returns bytes written
    int (*commit)(FILE* file);                                 // 1 when buffered bytes reached the disk
    int (*close)(FILE* file);                                  // 1 on success
    // 1 when `to` now holds from's file. Refuses a target that opening it
    // for writing would refuse on Windows: a read-only file stays as it is.
    int (*replace)(const char* from, const char* to);
    // 1 when replace would accept `to` as its target: nothing there, or a
    // regular file it may replace (not read-only; never a folder, device,
    // pipe or socket, which a file must not take the place of). Touches
    // nothing.
    int (*replaceable)(const char* to);
    // The file that writing to path replaces, from memoryApi (the caller's to
    // free): path itself, or where the symbolic links at its name lead, so
    // the link stays a link and its file gets the GIF. Null when the links
    // go round in a circle.
    char* (*finalTarget)(const char* path);
    void (*remove)(const char* path);
    // A number that differs between processes and between calls, from which
    // temporary names are drawn.
    uint64_t (*uniqueSeed)();
};

extern OutputFileApi outputFileApi;

// The platform's part of the table (output_file_win.cpp / _posix.cpp).
FILE* CreateNewFile(const char* path, int* exists);
int CommitFileToDisk(FILE* file);
int ReplaceFileAtomically(const char* from, const char* to);
int CanReplaceFile(const char* to);
char* FinalTarget(const char* path);
uint64_t UniqueSeed();
