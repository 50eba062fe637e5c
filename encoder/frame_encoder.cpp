#include "encoder/frame_encoder.h"

#include "common/memory.h"
#include "encoder/colour_map.h"
#include "encoder/frame_store.h"
#include "encoder/lzw.h"
#include "encoder/quantizer.h"

void EncodeFrame(const uint8_t* pixels, int32_t width, int32_t height, int32_t delayMs)
{
    if (PixelBufferBytes(width, height) == 0)
        return;
    const int32_t pixelCount = width * height;

    // The code buffer is sized for the worst case, not pixel count + 4096:
    // a noise-like frame compresses to up to 1.5 bytes per pixel, and a
    // stream cut at the buffer's end would be stored as a broken frame.
    const int32_t codeCapacity = LzwWorstCaseLength(pixelCount);
    if (codeCapacity < 0)
        return;

    uint8_t* indices = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(pixelCount)));
    uint8_t* codes = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(codeCapacity)));
    int32_t* errorRows = static_cast<int32_t*>(
        memoryApi.allocateZeroed(2 * (static_cast<size_t>(width) + 2) * 3, sizeof(int32_t)));

    if (indices && codes && errorRows) {
        uint8_t palette[768];
        uint8_t colourCube[kColourCubeCells];
        QuantizerLearn(pixels, pixelCount, palette);
        BuildColourCube(palette, colourCube);
        DiffuseToIndices(pixels, width, height, palette, colourCube, errorRows, indices);
        int32_t length = 0;
        LzwCompress(indices, pixelCount, codes, codeCapacity, &length);
        AppendFrame(codes, length, palette, delayMs);
    }

    memoryApi.release(errorRows);
    memoryApi.release(codes);
    memoryApi.release(indices);
}
