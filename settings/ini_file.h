#pragma once
// Our own reader and writer of ini files, for platforms without profile
// functions (and for the unit tests on every platform). The rules:
// - a missing file, section or key gives the caller's fallback;
// - section and key names match without regard to ASCII case or surrounding
//   blanks; the first section of a name is the section (a later duplicate is
//   left alone), and the first key of a name in it is the key; a key line
//   without '=' has no value and reads as missing;
// - a value is an optional sign and decimal digits after the '=' and any
//   blanks; the number ends at the first other character; no digits give 0;
//   more digits than 32 bits hold wrap around modulo 2^32, as the Windows
//   reader does;
// - a write replaces the value in place, adds a missing key after the last
//   non-blank line of its section, a missing section at the end of the file,
//   and creates a missing file; every other byte of the file stays as it was.
//   New lines end like the file's first line (CRLF in a new file).

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Files above this size are not settings files: reads give the fallback and
// writes leave them alone.
constexpr size_t kIniFileLimit = 1 << 20;

// The same rules on a file's bytes in memory.
int32_t IniTextReadInt(const char* text, size_t length, const char* section, const char* key,
                       int32_t fallback);

// The entry's value without the blanks around it: 1 when it fits buffer, 0
// when the key is missing or has no '=', -1 when it does not fit (buffer is
// then empty).
int32_t IniTextReadString(const char* text, size_t length, const char* section, const char* key, char* buffer,
                          int32_t size);

// The text with the entry set to value, in a block from malloc that the
// caller frees. 0 when out of memory or when the names or the value would
// not read back as given: an empty name, a line break anywhere, ']' in the
// section name, '=' in the key, a key that starts with '[', a key or value
// that starts or ends with a blank.
int32_t IniTextSetValue(const char* text, size_t length, const char* section, const char* key,
                        const char* value, char** result, size_t* resultLength);

int32_t IniReadInt(const char* section, const char* key, int32_t fallback, const char* path);
int32_t IniReadString(const char* section, const char* key, char* buffer, int32_t size, const char* path);

// 1 when the file holds the entry afterwards. A file that exists but cannot
// be read is never replaced.
int32_t IniWriteString(const char* section, const char* key, const char* value, const char* path);

// Opens a settings file for reading (ini_file_posix.cpp / _win.cpp), without
// waiting on what is there; null, with *missing 1 when nothing is there and
// 0 for any other reason, also when it is not a regular file.
FILE* OpenIniForReading(const char* path, int32_t* missing);
