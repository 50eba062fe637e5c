#include "encoder/frame_encoder.h"

#include <cstdint>
#include <cstring>

#include "common/memory.h"
#include "encoder/colour_map.h"
#include "encoder/frame_store.h"
#include "encoder/lzw.h"
#include "encoder/quantizer.h"

namespace {

struct Placement {
    bool whole;
    int32_t left, top;
};

void EncodeStages(const uint8_t* pixels, int32_t width, int32_t height, int32_t delayMs, Placement at)
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
        if (at.whole)
            AppendFrame(codes, length, palette, delayMs);
        else
            AppendFrameArea(codes, length, palette, delayMs, at.left, at.top, width, height);
    }

    memoryApi.release(errorRows);
    memoryApi.release(codes);
    memoryApi.release(indices);
}

bool SamePixel(const uint8_t* a, const uint8_t* b)
{
    return std::memcmp(a, b, 4) == 0;
}

int32_t Distance(const uint8_t* palette, int32_t i, int32_t j)
{
    int32_t distance = 0;
    for (int c = 0; c < 3; c++) {
        int32_t d = palette[3 * i + c] - palette[3 * j + c];
        distance += d * d;
    }
    return distance;
}

// The rectangle with the pixels that equal previous left transparent. The
// transparent pixels take no part in learning or diffusion: they show the
// colour an earlier palette gave them, not one of this palette.
void EncodeAreaOver(const uint8_t* frame, const uint8_t* previous, int32_t frameWidth, int32_t left,
                    int32_t top, int32_t width, int32_t height, int32_t delayMs)
{
    const int32_t pixelCount = width * height;
    const int32_t codeCapacity = LzwWorstCaseLength(pixelCount);
    if (codeCapacity < 0)
        return;
    const size_t count = static_cast<size_t>(pixelCount);
    uint8_t* packed = static_cast<uint8_t*>(memoryApi.allocate(count * 4));
    uint8_t* changed = static_cast<uint8_t*>(memoryApi.allocate(count * 4));
    uint8_t* mask = static_cast<uint8_t*>(memoryApi.allocate(count));
    uint8_t* indices = static_cast<uint8_t*>(memoryApi.allocate(count));
    uint8_t* codes = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(codeCapacity)));
    int32_t* errorRows = static_cast<int32_t*>(
        memoryApi.allocateZeroed(2 * (static_cast<size_t>(width) + 2) * 3, sizeof(int32_t)));

    if (packed && changed && mask && indices && codes && errorRows) {
        int32_t changedCount = 0;
        for (int32_t y = 0; y < height; y++) {
            const size_t at = (static_cast<size_t>(top + y) * frameWidth + left) * 4;
            const uint8_t* now = frame + at;
            const uint8_t* before = previous + at;
            uint8_t* row = packed + static_cast<size_t>(y) * width * 4;
            uint8_t* still = mask + static_cast<size_t>(y) * width;
            std::memcpy(row, now, static_cast<size_t>(width) * 4);
            for (int32_t x = 0; x < width; x++) {
                still[x] = SamePixel(now + x * 4, before + x * 4) ? 1 : 0;
                if (!still[x])
                    std::memcpy(changed + static_cast<size_t>(changedCount++) * 4, now + x * 4, 4);
            }
        }
        uint8_t palette[768];
        uint8_t colourCube[kColourCubeCells];
        int32_t length = 0;
        if (changedCount == 0) {
            // Nothing to draw: one transparent pixel per pixel.
            std::memset(palette, 0, sizeof palette);
            std::memset(indices, 0, count);
            LzwCompress(indices, pixelCount, codes, codeCapacity, &length);
            AppendFrameArea(codes, length, palette, delayMs, left, top, width, height, 0);
        } else {
            // Learned from the whole rectangle: the changed pixels alone are
            // often too few for the network (a typed character is a few dozen).
            QuantizerLearn(packed, pixelCount, palette);
            const int32_t transparent = FreePaletteEntry(palette);
            BuildColourCube(palette, colourCube);
            DiffuseToIndicesMasked(packed, mask, static_cast<uint8_t>(transparent), width, height, palette,
                                   colourCube, errorRows, indices);
            LzwCompress(indices, pixelCount, codes, codeCapacity, &length);
            AppendFrameArea(codes, length, palette, delayMs, left, top, width, height, transparent);
        }
    }

    memoryApi.release(errorRows);
    memoryApi.release(codes);
    memoryApi.release(indices);
    memoryApi.release(mask);
    memoryApi.release(changed);
    memoryApi.release(packed);
}

}  // namespace

int32_t FreePaletteEntry(uint8_t* palette)
{
    for (int32_t j = 255; j > 0; j--)
        for (int32_t i = 0; i < j; i++)
            if (Distance(palette, i, j) == 0)
                return j;
    int32_t bestI = 0, bestJ = 1;
    int32_t best = INT32_MAX;
    for (int32_t j = 1; j < 256; j++) {
        for (int32_t i = 0; i < j; i++) {
            int32_t distance = Distance(palette, i, j);
            if (distance < best) {
                best = distance;
                bestI = i;
                bestJ = j;
            }
        }
    }
    std::memcpy(palette + 3 * bestJ, palette + 3 * bestI, 3);
    return bestJ;
}

void EncodeFrame(const uint8_t* pixels, int32_t width, int32_t height, int32_t delayMs)
{
    EncodeStages(pixels, width, height, delayMs, Placement{true, 0, 0});
}

void EncodeFrameArea(const uint8_t* frame, int32_t frameWidth, int32_t left, int32_t top,
                     int32_t width, int32_t height, int32_t delayMs, const uint8_t* previous)
{
    if (PixelBufferBytes(width, height) == 0)
        return;
    if (previous) {
        EncodeAreaOver(frame, previous, frameWidth, left, top, width, height, delayMs);
        return;
    }
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    const uint8_t* first = frame + (static_cast<size_t>(top) * frameWidth + left) * 4;
    // Full-width bands are contiguous already; anything narrower is copied
    // so the stages see packed rows.
    if (width == frameWidth) {
        EncodeStages(first, width, height, delayMs, Placement{false, left, top});
        return;
    }
    uint8_t* packed = static_cast<uint8_t*>(memoryApi.allocate(rowBytes * static_cast<size_t>(height)));
    if (!packed)
        return;
    for (int32_t y = 0; y < height; y++)
        std::memcpy(packed + rowBytes * y, first + static_cast<size_t>(y) * frameWidth * 4, rowBytes);
    EncodeStages(packed, width, height, delayMs, Placement{false, left, top});
    memoryApi.release(packed);
}
