#pragma once
// Heap access for the frame paths. Frames are large and a recording can run
// for a long time, so a failed allocation must drop one frame, not end the
// process: these paths use the C allocation functions through this table
// instead of a throwing new. Tests swap in an allocator that fails on demand.

#include <cstddef>
#include <cstdint>

struct MemoryApi {
    void* (*allocate)(size_t bytes);
    void* (*allocateZeroed)(size_t count, size_t size);
    void* (*resize)(void* block, size_t bytes);
    void (*release)(void* block);
};

// Filled with malloc, calloc, realloc and free; replaced only by tests.
extern MemoryApi memoryApi;

// width x height x 4 as a byte count, or 0 when a size is below 1 or the
// product does not fit a signed 32-bit count (the limit every frame buffer,
// DIB section and pixel count in the system shares).
int32_t PixelBufferBytes(int32_t width, int32_t height);
