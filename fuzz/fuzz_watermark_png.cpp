// Any bytes as a "watermark.png": decoding fails cleanly or yields a
// consistent image, which then scales and blends without touching memory
// outside the frame. The first byte chooses the output width.
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/memory.h"
#include "fuzz/fuzz_check.h"
#include "image/png_decode_posix.h"
#include "image/watermark.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int32_t outWidth = 1 + data[0] * 3;  // 1 .. 766: the watermark's whole range of widths
    uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0;
    if (!DecodePng(data + 1, size - 1, &pixels, &width, &height))
        return 0;
    Require(pixels && width >= 1 && height >= 1, "a decoded image has pixels and a size");
    Require(static_cast<int64_t>(width) * height * 4 <= kPngMaxBytes, "the decoder's size bound holds");

    InstallWatermarkPixels(pixels, width, height);
    watermarkImage.inUse = 1;
    PrepareWatermark(outWidth);
    Require(watermarkImage.scaledWidth <= outWidth && watermarkImage.scaledWidth <= 120,
            "the watermark is never wider than the frame or 120 pixels");

    const int32_t frameHeight = 17;
    std::vector<uint8_t> frame(static_cast<size_t>(outWidth) * frameHeight * 4 + 64, 0xA5);
    BlendWatermark(frame.data(), outWidth, frameHeight);
    for (size_t i = static_cast<size_t>(outWidth) * frameHeight * 4; i < frame.size(); i++)
        Require(frame[i] == 0xA5, "nothing is blended past the frame");
    for (size_t i = 3; i < static_cast<size_t>(outWidth) * frameHeight * 4; i += 4)
        Require(frame[i] == 0xA5, "the fourth byte of a frame pixel is never changed");

    memoryApi.release(watermarkImage.pixels);
    memoryApi.release(watermarkImage.scaled);
    watermarkImage = {};
    return 0;
}
