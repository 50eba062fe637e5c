#include "recorder/cursor_image.h"

#include <cstddef>

namespace {

// source + destination x (255 - alpha) / 255, rounded; a source channel above
// its alpha (not valid premultiplied data) saturates instead of wrapping.
inline uint8_t Over(uint32_t source, uint32_t destination, uint32_t alpha)
{
    const uint32_t value = source + (destination * (255 - alpha) + 127) / 255;
    return static_cast<uint8_t>(value > 255 ? 255 : value);
}

}  // namespace

void DrawCursorImage(uint8_t* frame, int32_t frameW, int32_t frameH, int32_t x, int32_t y, const uint32_t* argb,
                     int32_t imageW, int32_t imageH)
{
    // The image's own columns and rows that land inside the frame, in 64 bits
    // so that a position near the 32-bit limits cannot overflow.
    const int64_t left = x < 0 ? -static_cast<int64_t>(x) : 0;
    const int64_t top = y < 0 ? -static_cast<int64_t>(y) : 0;
    const int64_t right = static_cast<int64_t>(frameW) - x < imageW ? static_cast<int64_t>(frameW) - x : imageW;
    const int64_t bottom = static_cast<int64_t>(frameH) - y < imageH ? static_cast<int64_t>(frameH) - y : imageH;
    for (int64_t row = top; row < bottom; row++) {
        const uint32_t* from = argb + row * imageW;
        uint8_t* to = frame + (static_cast<size_t>(y + row) * static_cast<size_t>(frameW) + static_cast<size_t>(x + left)) * 4;
        for (int64_t column = left; column < right; column++, to += 4) {
            const uint32_t pixel = from[column];
            const uint32_t alpha = pixel >> 24;
            to[0] = Over(pixel & 0xFF, to[0], alpha);
            to[1] = Over((pixel >> 8) & 0xFF, to[1], alpha);
            to[2] = Over((pixel >> 16) & 0xFF, to[2], alpha);
        }
    }
}
