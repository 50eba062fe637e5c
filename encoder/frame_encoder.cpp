#include "encoder/frame_encoder.h"

#include <cstring>

#include "common/memory.h"
#include "encoder/colour_map.h"
#include "encoder/colour_quantizer.h"
#include "encoder/exact_colours.h"
#include "encoder/frame_store.h"
#include "encoder/lzw.h"
#include "encoder/nearest_entry.h"
#include "encoder/quantizer.h"

namespace {

// Keeps only the palette entries the indices use, in their order, and
// renumbers the indices to match. The table is padded with zero entries
// to the next power of two (at least 2, as a GIF table holds); returns its
// size and the LZW code size for it (at least 2).
int32_t CompactPalette(uint8_t* palette, uint8_t* indices, int32_t count, int32_t* minCodeSize)
{
    bool used[256] = {};
    for (int32_t i = 0; i < count; i++)
        used[indices[i]] = true;
    uint8_t renumbered[256] = {};
    uint8_t compact[768] = {};
    int32_t kept = 0;
    for (int32_t entry = 0; entry < 256; entry++) {
        if (!used[entry])
            continue;
        renumbered[entry] = static_cast<uint8_t>(kept);
        std::memcpy(compact + kept * 3, palette + entry * 3, 3);
        kept++;
    }
    for (int32_t i = 0; i < count; i++)
        indices[i] = renumbered[indices[i]];
    int32_t bits = 1;
    while ((1 << bits) < kept)
        bits++;
    std::memcpy(palette, compact, sizeof compact);
    *minCodeSize = bits < 2 ? 2 : bits;
    return 1 << bits;
}

// Encodes the rectangle's pixels (packed rows) with its own colours: as
// they are when there are at most 256, else through a histogram palette
// and the nearest entry of each pixel. No diffusion: on screens it turns
// flat fills and text edges into noise that also compresses worse.
void EncodeAreaPixels(const uint8_t* pixels, int32_t width, int32_t height, int32_t delayMs, int32_t left,
                      int32_t top)
{
    const int32_t pixelCount = width * height;
    const int32_t codeCapacity = LzwWorstCaseLength(pixelCount);
    if (codeCapacity < 0)
        return;
    uint8_t* indices = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(pixelCount)));
    uint8_t* codes = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(codeCapacity)));
    if (indices && codes) {
        uint8_t palette[768] = {};
        bool mapped = IndexExactColours(pixels, pixelCount, palette, indices) > 0;
        if (!mapped) {
            const int32_t entries = QuantizeColours(pixels, pixelCount, palette);
            NearestEntrySearch* search = entries > 0 ? CreateNearestEntrySearch(palette, entries) : nullptr;
            if (search) {
                std::memset(palette + 3 * entries, 0, static_cast<size_t>(256 - entries) * 3);
                MapToNearestEntries(search, pixels, pixelCount, indices);
                DestroyNearestEntrySearch(search);
                mapped = true;
            }
        }
        if (mapped) {
            int32_t minCodeSize = 8;
            const int32_t tableSize = CompactPalette(palette, indices, pixelCount, &minCodeSize);
            int32_t length = 0;
            LzwCompress(indices, pixelCount, codes, codeCapacity, &length, minCodeSize);
            AppendFrameArea(codes, length, palette, delayMs, left, top, width, height, tableSize, minCodeSize);
        }
    }
    memoryApi.release(codes);
    memoryApi.release(indices);
}

}  // namespace

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

void EncodeFrameArea(const uint8_t* frame, int32_t frameWidth, int32_t left, int32_t top,
                     int32_t width, int32_t height, int32_t delayMs)
{
    if (PixelBufferBytes(width, height) == 0)
        return;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    const uint8_t* first = frame + (static_cast<size_t>(top) * frameWidth + left) * 4;
    // Full-width bands are contiguous already; anything narrower is copied
    // so the stages see packed rows.
    if (width == frameWidth) {
        EncodeAreaPixels(first, width, height, delayMs, left, top);
        return;
    }
    uint8_t* packed = static_cast<uint8_t*>(memoryApi.allocate(rowBytes * static_cast<size_t>(height)));
    if (!packed)
        return;
    for (int32_t y = 0; y < height; y++)
        std::memcpy(packed + rowBytes * y, first + static_cast<size_t>(y) * frameWidth * 4, rowBytes);
    EncodeAreaPixels(packed, width, height, delayMs, left, top);
    memoryApi.release(packed);
}
