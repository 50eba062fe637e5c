#pragma once
// Where a capture rectangle meets the screen. A rectangle may reach past any
// edge of the screen, or start at negative coordinates; only the part on the
// screen is copied, and the rest of the frame stays black, as a GDI copy of
// an area off every monitor leaves it.

#include <cstddef>
#include <cstdint>

struct ScreenClip {
    int32_t screenX;  // top-left corner of the visible part on the screen
    int32_t screenY;
    int32_t frameX;   // the same corner in the capture frame
    int32_t frameY;
    int32_t width;    // 0 x 0 when no pixel of the rectangle is on the screen
    int32_t height;
};

ScreenClip ClipToScreen(int32_t capX, int32_t capY, int32_t capW, int32_t capH, int32_t screenW,
                        int32_t screenH);

// Copies the visible part from a screen image of clip.width x clip.height
// 32-bit pixels in B, G, R, X order (rows imageStride bytes apart) into a
// frame frameW pixels wide at the clip's place. The fourth byte is set to 0:
// a server leaves it undefined, and the duplicate test compares it.
void CopyScreenRows(const uint8_t* image, size_t imageStride, const ScreenClip& clip, uint8_t* frame,
                    int32_t frameW);
