#pragma once
// Writes the frame store as one looping GIF89a file: no global colour table,
// every frame full-screen with its own 256-entry local table.

// path: ANSI path of the file to create or replace. Returns 1 only when every
// byte was written and the file is in place; 0 otherwise, and then the path
// holds what it held before (nothing, or the earlier file, untouched). The
// store is not changed.
int WriteGif(const char* path);

// Hundredths a frame section can state: a delay field is 16 bits.
constexpr int kMaxSectionDelay = 65535;
