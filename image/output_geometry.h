#pragma once
// The size of every frame of the current recording and of the GIF's logical
// screen. Written at the start of a recording (or by the test animation),
// read by the capture loop, the GIF writer and the result texts.

#include <cstdint>

struct OutputGeometry {
    int32_t outWidth;
    int32_t outHeight;
};

extern OutputGeometry outputGeometry;
