#pragma once
// Writes the frame store as one looping GIF89a file. Whole frames carry a
// local table of 256 entries; changed areas carry as few as their record
// holds, or none when they use the store's shared table, which is then
// written as the file's global table.

#include <cstdint>

// path: ANSI path of the file to create or replace. Returns 1 only when every
// byte was written and the file is in place; 0 otherwise, and then the path
// holds what it held before (nothing, or the earlier file, untouched), and
// no temporary file is left beside it. Also 0 when the output size has a
// side above kMaxGifSide, which the file cannot state, or when the path
// names a read-only file or anything but a regular file. A symbolic link at
// path stays: the file it leads to is written. The store is not changed.
int WriteGif(const char* path);

// 1 when WriteGif could put a file at path: a temporary file can be made
// beside it, and what is there now may be replaced, or, when nothing is
// there, a file of that name can be made (each is made and removed again).
// An existing file is never touched. Lets a recording be refused before it
// starts instead of after its last second.
int CanWriteGif(const char* path);

// Pixels a GIF can state per side: its sizes are 16-bit fields.
constexpr int32_t kMaxGifSide = 65535;

// Hundredths a frame section can state: a delay field is 16 bits.
constexpr int kMaxSectionDelay = 65535;
