#include "encoder/frame_store.h"

#include <cstring>

#include "common/memory.h"
#include "image/output_geometry.h"
#include "recorder/recorder_state.h"

FrameStore frameStore;

int32_t DelayFromMs(int32_t ms)
{
    if (ms <= 14)
        return 2;
    return static_cast<int32_t>((static_cast<int64_t>(ms) + 5) / 10);
}

static int GrowRecords()
{
    if (frameStore.capacity > INT32_MAX / 2)
        return 0;
    int32_t newCapacity = frameStore.capacity == 0 ? 256 : frameStore.capacity * 2;
    void* grown = memoryApi.resize(frameStore.records, static_cast<size_t>(newCapacity) * sizeof(FrameRecord));
    if (!grown)
        return 0;
    frameStore.records = static_cast<FrameRecord*>(grown);
    frameStore.capacity = newCapacity;
    return 1;
}

void AppendFrameArea(const uint8_t* bytes, int32_t length, const uint8_t* palette, int32_t delayMs,
                     int32_t left, int32_t top, int32_t width, int32_t height,
                     int32_t tableSize, int32_t minCodeSize)
{
    if (frameStore.count == frameStore.capacity && !GrowRecords())
        return;

    // A negative length is stored as an empty stream: the writer must never
    // see a negative byte count.
    int32_t kept = length > 0 ? length : 0;
    uint8_t* data = static_cast<uint8_t*>(memoryApi.allocate(kept > 0 ? static_cast<size_t>(kept) : 1));
    if (!data)
        return;
    if (kept > 0)
        std::memcpy(data, bytes, static_cast<size_t>(kept));

    FrameRecord& record = frameStore.records[frameStore.count];
    record.data = data;
    record.length = kept;
    std::memset(record.palette, 0, sizeof record.palette);
    const int32_t entries = tableSize >= 2 && tableSize <= 256 ? tableSize : 256;
    std::memcpy(record.palette, palette, static_cast<size_t>(entries) * 3);
    record.tableSize = entries;
    record.minCodeSize = minCodeSize;
    record.delay = DelayFromMs(delayMs);
    record.left = left;
    record.top = top;
    record.width = width;
    record.height = height;
    frameStore.count++;
}

int32_t CodeSizeForTable(int32_t tableSize)
{
    int32_t bits = 2;
    while (bits < 8 && (1 << bits) < tableSize)
        bits++;
    return bits;
}

void SetSharedTable(const uint8_t* palette, int32_t tableSize)
{
    if (frameStore.count != 0 || tableSize < 2 || tableSize > 256 || (tableSize & (tableSize - 1)) != 0)
        return;
    std::memset(frameStore.sharedPalette, 0, sizeof frameStore.sharedPalette);
    std::memcpy(frameStore.sharedPalette, palette, static_cast<size_t>(tableSize) * 3);
    frameStore.sharedTableSize = tableSize;
}

void AppendFrameOnSharedTable(const uint8_t* bytes, int32_t length, int32_t delayMs, int32_t left, int32_t top,
                              int32_t width, int32_t height)
{
    const int32_t shared = frameStore.sharedTableSize;
    if (shared == 0)
        return;
    const int32_t before = frameStore.count;
    AppendFrameArea(bytes, length, frameStore.sharedPalette, delayMs, left, top, width, height, shared,
                    CodeSizeForTable(shared));
    if (frameStore.count > before)
        frameStore.records[before].tableSize = 0;
}

void AppendFrame(const uint8_t* bytes, int32_t length, const uint8_t* palette, int32_t delayMs)
{
    AppendFrameArea(bytes, length, palette, delayMs, 0, 0, outputGeometry.outWidth, outputGeometry.outHeight);
}

void ClearFrames()
{
    for (int32_t i = 0; i < frameStore.count; i++)
        memoryApi.release(frameStore.records[i].data);
    memoryApi.release(frameStore.records);
    frameStore.records = nullptr;
    frameStore.count = 0;
    frameStore.capacity = 0;
    frameStore.sharedTableSize = 0;

    memoryApi.release(recorderState.prevFrame);
    memoryApi.release(recorderState.workFrame);
    recorderState.prevFrame = nullptr;
    recorderState.workFrame = nullptr;
}
