#pragma once
// GIF LZW: palette indices in, the variable-width code stream of an image
// data block out (not yet cut into sub-blocks). The minimum code size (2..8)
// is the one the image data block states: every index must be below
// 2^minCodeSize. Whole frames use 8; a value outside 2..8 is taken as 8.

#include <cstdint>

// Compresses count indices into output. Stores at most capacity bytes: a
// longer stream is cut there and the result is then capacity. The result is
// also stored at *outLength. Allocates nothing on the heap. Runs the active
// encoder path (encoder_paths.h); every path writes the same stream.
int32_t LzwCompress(const uint8_t* indices, int32_t count, uint8_t* output, int32_t capacity,
                    int32_t* outLength, int32_t minCodeSize = 8);

// The reference path: a string table of separate key and code arrays.
int32_t LzwCompressScalar(const uint8_t* indices, int32_t count, uint8_t* output, int32_t capacity,
                          int32_t* outLength, int32_t minCodeSize = 8);

// The faster paths' compressor: the same codes from a table whose slots hold
// key and code in one word.
int32_t LzwCompressFast(const uint8_t* indices, int32_t count, uint8_t* output, int32_t capacity,
                        int32_t* outLength, int32_t minCodeSize = 8);

// The longest stream LzwCompress can produce for count indices, or -1 when
// that does not fit a signed 32-bit capacity. A buffer of this size never
// cuts a stream.
int32_t LzwWorstCaseLength(int32_t count);
