#include "common/memory.h"

#include <cstdlib>

MemoryApi memoryApi = {std::malloc, std::calloc, std::realloc, std::free};

int32_t PixelBufferBytes(int32_t width, int32_t height)
{
    if (width < 1 || height < 1)
        return 0;
    int64_t bytes = static_cast<int64_t>(width) * height * 4;
    if (bytes > INT32_MAX)
        return 0;
    return static_cast<int32_t>(bytes);
}
