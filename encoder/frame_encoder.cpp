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
    *minCodeSize = CodeSizeForTable(1 << bits);
    return 1 << bits;
}

// Squared error of showing a pixel (B, G, R, X) as an entry (R, G, B).
inline uint64_t SquaredError(const uint8_t* pixel, const uint8_t* entry)
{
    const int32_t dr = entry[0] - pixel[2], dg = entry[1] - pixel[1], db = entry[2] - pixel[0];
    return static_cast<uint64_t>(dr * dr + dg * dg + db * db);
}

// Squared error, summed over the channels and pixels, of showing count
// pixels as the entries of palette their indices name.
uint64_t MappingError(const uint8_t* pixels, int32_t count, const uint8_t* palette, const uint8_t* indices)
{
    uint64_t sum = 0;
    for (int32_t i = 0; i < count; i++)
        sum += SquaredError(pixels + static_cast<size_t>(i) * 4, palette + 3 * indices[i]);
    return sum;
}

// Renumbers indices into colours (exact colours of the area) as entries
// of the shared table, into shared; false when a colour is not in it.
bool ExactOnShared(const uint8_t* colours, int32_t colourCount, const uint8_t* indices, int32_t count,
                   NearestEntrySearch* search, uint8_t* shared)
{
    uint8_t entryOf[256];
    for (int32_t k = 0; k < colourCount; k++) {
        const uint8_t* c = colours + 3 * k;
        const int32_t entry = FindNearestEntry(search, c[0], c[1], c[2]);
        if (std::memcmp(frameStore.sharedPalette + 3 * entry, c, 3) != 0)
            return false;
        entryOf[k] = static_cast<uint8_t>(entry);
    }
    for (int32_t i = 0; i < count; i++)
        shared[i] = entryOf[indices[i]];
    return true;
}

// The error of the whole area on the shared table, estimated from every
// 16th pixel.
uint64_t SampledError(const uint8_t* pixels, int32_t count, NearestEntrySearch* search)
{
    constexpr int32_t kStep = 16;
    uint64_t sum = 0, sampled = 0;
    for (int32_t i = 0; i < count; i += kStep, sampled++) {
        const uint8_t* p = pixels + static_cast<size_t>(i) * 4;
        sum += SquaredError(p, frameStore.sharedPalette + 3 * FindNearestEntry(search, p[2], p[1], p[0]));
    }
    return sum * static_cast<uint64_t>(count) / sampled;
}

// An area of more colours than a table holds is shown with the shared
// table at once when that is this close (per pixel, over three channels:
// about 50 dB); otherwise when it comes within a quarter of the error of
// a palette of its own (about 1 dB).
constexpr uint64_t kSharedAtOnceError = 2;

// Encodes the rectangle's pixels (packed rows) in its own colours: as they
// are when there are at most 256, else through a histogram palette and the
// nearest entry of each pixel. No diffusion: on screens it turns flat
// fills and text edges into noise that also compresses worse.
//
// The recording's first frame lends its table to the frames after it (the
// file's global table). A later area uses that table instead of its own
// when it shows the same (its exact colours are all in it) and that makes
// it smaller, or, beyond 256 colours, when it shows the area about as well.
// A frame on the shared table carries no table of its own (up to 768 bytes,
// a third of a small area's file share), and a still colour keeps its
// entry from frame to frame.
void EncodeAreaPixels(const uint8_t* pixels, int32_t width, int32_t height, int32_t delayMs, int32_t left,
                      int32_t top)
{
    const int32_t pixelCount = width * height;
    const int32_t codeCapacity = LzwWorstCaseLength(pixelCount);
    if (codeCapacity < 0)
        return;
    const bool lendsTable = frameStore.count == 0;
    const int32_t shared = lendsTable ? 0 : frameStore.sharedTableSize;
    uint8_t* indices = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(pixelCount)));
    uint8_t* codes = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(codeCapacity)));
    uint8_t* sharedIndices = nullptr;
    uint8_t* sharedCodes = nullptr;
    NearestEntrySearch* sharedSearch = nullptr;
    if (shared > 0) {
        sharedIndices = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(pixelCount)));
        sharedSearch = CreateNearestEntrySearch(frameStore.sharedPalette, shared);
    }
    // Without memory for the shared table's work the area keeps to its own.
    const bool canShare = sharedIndices && sharedSearch;
    if (indices && codes) {
        uint8_t palette[768] = {};
        const int32_t colours = IndexExactColours(pixels, pixelCount, palette, indices);
        bool mapped = colours > 0;
        bool onShared = false;
        if (colours > 0) {
            onShared = canShare && ExactOnShared(palette, colours, indices, pixelCount, sharedSearch, sharedIndices);
        } else {
            // Mapping a large area costs more than the rest of its frame:
            // the shared table's error is first judged from a sample, and
            // the whole area is mapped onto it only when it may be kept.
            const uint64_t sampledError = canShare ? SampledError(pixels, pixelCount, sharedSearch) : UINT64_MAX;
            uint64_t sharedError = UINT64_MAX;
            if (sampledError <= kSharedAtOnceError * static_cast<uint64_t>(pixelCount)) {
                MapToNearestEntries(sharedSearch, pixels, pixelCount, sharedIndices);
                sharedError = MappingError(pixels, pixelCount, frameStore.sharedPalette, sharedIndices);
                onShared = sharedError <= kSharedAtOnceError * static_cast<uint64_t>(pixelCount);
            }
            const int32_t entries = onShared ? 0 : QuantizeColours(pixels, pixelCount, palette);
            NearestEntrySearch* search = entries > 0 ? CreateNearestEntrySearch(palette, entries) : nullptr;
            if (search) {
                std::memset(palette + 3 * entries, 0, static_cast<size_t>(256 - entries) * 3);
                MapToNearestEntries(search, pixels, pixelCount, indices);
                DestroyNearestEntrySearch(search);
                mapped = true;
                const uint64_t ownError = MappingError(pixels, pixelCount, palette, indices);
                const uint64_t closeEnough = ownError + ownError / 4;
                if (canShare && sharedError == UINT64_MAX && sampledError <= closeEnough) {
                    MapToNearestEntries(sharedSearch, pixels, pixelCount, sharedIndices);
                    sharedError = MappingError(pixels, pixelCount, frameStore.sharedPalette, sharedIndices);
                }
                onShared = canShare && sharedError <= closeEnough;
            }
        }
        int32_t length = 0;
        int32_t minCodeSize = 8;
        int32_t tableSize = 0;
        if (mapped) {
            tableSize = CompactPalette(palette, indices, pixelCount, &minCodeSize);
            LzwCompress(indices, pixelCount, codes, codeCapacity, &length, minCodeSize);
        }
        if (onShared && mapped) {
            // Both ways were encoded: the shared table only when it is smaller.
            sharedCodes = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(codeCapacity)));
            int32_t sharedLength = 0;
            if (sharedCodes)
                LzwCompress(sharedIndices, pixelCount, sharedCodes, codeCapacity, &sharedLength,
                            CodeSizeForTable(shared));
            onShared = sharedCodes && sharedLength <= length + 3 * tableSize;
            if (onShared)
                AppendFrameOnSharedTable(sharedCodes, sharedLength, delayMs, left, top, width, height);
        } else if (onShared) {
            LzwCompress(sharedIndices, pixelCount, codes, codeCapacity, &length, CodeSizeForTable(shared));
            AppendFrameOnSharedTable(codes, length, delayMs, left, top, width, height);
        }
        if (mapped && !onShared) {
            if (lendsTable) {
                SetSharedTable(palette, tableSize);
                AppendFrameOnSharedTable(codes, length, delayMs, left, top, width, height);
            } else {
                AppendFrameArea(codes, length, palette, delayMs, left, top, width, height, tableSize, minCodeSize);
            }
        }
    }
    DestroyNearestEntrySearch(sharedSearch);
    memoryApi.release(sharedCodes);
    memoryApi.release(sharedIndices);
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
