#include "recorder/screen_clip.h"

#include <cstring>

namespace {

// One axis: the rectangle [start, start + size) against the screen [0, limit),
// in 64 bits so that start + size cannot overflow.
void ClipAxis(int32_t start, int32_t size, int32_t limit, int32_t* screen, int32_t* frame, int32_t* visible)
{
    const int64_t first = start > 0 ? start : 0;
    const int64_t end = static_cast<int64_t>(start) + size;
    const int64_t last = end < limit ? end : limit;
    if (size < 1 || limit < 1 || last <= first) {
        *screen = *frame = *visible = 0;
        return;
    }
    *screen = static_cast<int32_t>(first);
    *frame = static_cast<int32_t>(first - start);
    *visible = static_cast<int32_t>(last - first);
}

}  // namespace

ScreenClip ClipToScreen(int32_t capX, int32_t capY, int32_t capW, int32_t capH, int32_t screenW,
                        int32_t screenH)
{
    ScreenClip clip;
    ClipAxis(capX, capW, screenW, &clip.screenX, &clip.frameX, &clip.width);
    ClipAxis(capY, capH, screenH, &clip.screenY, &clip.frameY, &clip.height);
    if (clip.width == 0 || clip.height == 0)
        clip = {};
    return clip;
}

void CopyScreenRows(const uint8_t* image, size_t imageStride, const ScreenClip& clip, uint8_t* frame,
                    int32_t frameW)
{
    const size_t frameStride = static_cast<size_t>(frameW) * 4;
    for (int32_t row = 0; row < clip.height; row++) {
        const uint8_t* from = image + static_cast<size_t>(row) * imageStride;
        uint8_t* to = frame + static_cast<size_t>(clip.frameY + row) * frameStride + static_cast<size_t>(clip.frameX) * 4;
        // Whole words, so the compiler makes one masked vector copy of it.
        for (int32_t x = 0; x < clip.width; x++) {
            uint32_t pixel;
            std::memcpy(&pixel, from + static_cast<size_t>(x) * 4, 4);
            pixel &= 0x00FFFFFFu;
            std::memcpy(to + static_cast<size_t>(x) * 4, &pixel, 4);
        }
    }
}
