#pragma once
// Drawing a cursor image into a captured frame, for platforms that hand out
// the cursor as pixels (the X server's XFixes image) instead of drawing it
// themselves as DrawIconEx does.

#include <cstdint>

// Composites imageW x imageH premultiplied-alpha pixels, each a 32-bit word
// 0xAARRGGBB, over a frameW x frameH frame of B, G, R, X bytes with the
// image's top-left corner at (x, y); what falls outside the frame is left
// out. Fully transparent pixels leave the frame as it is, opaque ones replace
// it; the fourth byte is not touched.
void DrawCursorImage(uint8_t* frame, int32_t frameW, int32_t frameH, int32_t x, int32_t y, const uint32_t* argb,
                     int32_t imageW, int32_t imageH);
