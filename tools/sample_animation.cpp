// Writes a short synthetic screen recording through the whole encoder: the
// quickest way to see what the encoder makes of screen-like content, and the
// same bytes from the native and the Windows build.
#include <cstdio>

#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "encoder/gif_writer.h"
#include "image/output_geometry.h"
#include "tests/support/synthetic_frames.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::printf("usage: pixlo_sample out.gif\n");
        return 1;
    }
    const int32_t width = 360, height = 200, frames = 30;
    outputGeometry = {width, height};
    for (int32_t k = 0; k < frames; k++) {
        std::vector<uint8_t> pixels = ScreenLikeFrame(width, height, k * 3);
        EncodeFrame(pixels.data(), width, height, 100);
    }
    int written = frameStore.count > 0 && WriteGif(argv[1]);
    if (written)
        std::printf("OK: %s  frames=%d  out=%dx%d\n", argv[1], frameStore.count.load(), width, height);
    else
        std::printf("FAIL: %s\n", argv[1]);
    ClearFrames();
    return written ? 0 : 2;
}
