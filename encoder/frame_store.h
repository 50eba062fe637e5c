#pragma once
// The frames of the current recording, each already final: its own palette
// and its complete LZW code stream. Nothing is recomputed when the file is
// written; the store only grows until ClearFrames.

#include <atomic>
#include <cstdint>

struct FrameRecord {
    uint8_t* data;          // LZW code stream, own block of at least 1 byte
    int32_t length;         // valid bytes in data
    uint8_t palette[768];   // up to 256 entries R, G, B: the local colour table
    int32_t tableSize;      // entries of palette the file holds: 2, 4, ... 256; 0: the shared table
    int32_t minCodeSize;    // the stream's LZW minimum code size, 2..8
    int32_t delay;          // hundredths of a second; only the capture thread raises it
    // The stream's rectangle in the frame: the whole frame (0, 0, outWidth,
    // outHeight) from AppendFrame, the area that changed from AppendFrameArea
    // and AppendFrameOnSharedTable.
    int32_t left, top;
    int32_t width, height;
};

struct FrameStore {
    FrameRecord* records;   // null while empty
    // Raised by the capture thread while the window reads it for its
    // progress line and button states; the records themselves are read only
    // once the recording has ended.
    std::atomic<int32_t> count;
    int32_t capacity;       // 0 whenever records is null
    // The table frames of this recording may share instead of carrying
    // their own (the file's global colour table): R, G, B entries, and how
    // many, 2 .. 256, or 0 while there is none.
    uint8_t sharedPalette[768];
    int32_t sharedTableSize;
};

extern FrameStore frameStore;

// Milliseconds a frame stands for, in the hundredths a GIF stores. Below
// 15 ms the result is 2, because players stretch smaller delays to ~100 ms.
int32_t DelayFromMs(int32_t ms);

// Copies the stream and palette into a new record at the end. A failed
// allocation drops this frame and leaves the store exactly as it was.
void AppendFrame(const uint8_t* bytes, int32_t length, const uint8_t* palette, int32_t delayMs);

// The same for a stream holding only a rectangle of the frame, drawn over
// the picture the previous frames left. tableSize: the entries of palette
// that the frame uses (a power of two, 2..256; the rest of the record's
// table is zero); minCodeSize: the code size the stream was compressed with.
void AppendFrameArea(const uint8_t* bytes, int32_t length, const uint8_t* palette, int32_t delayMs,
                     int32_t left, int32_t top, int32_t width, int32_t height,
                     int32_t tableSize = 256, int32_t minCodeSize = 8);

// Makes palette's first tableSize entries (a power of two, 2..256) the
// shared table. Only while the store is empty: the frames already stored
// were encoded without it.
void SetSharedTable(const uint8_t* palette, int32_t tableSize);

// The same as AppendFrameArea for a stream of indices into the shared
// table, which the frame then uses instead of a table of its own. Dropped
// (as a failed allocation) when there is no shared table.
void AppendFrameOnSharedTable(const uint8_t* bytes, int32_t length, int32_t delayMs, int32_t left, int32_t top,
                              int32_t width, int32_t height);

// The LZW code size of streams on a table of tableSize entries: 2..8.
int32_t CodeSizeForTable(int32_t tableSize);

// Releases every record, the array, the shared table, and the capture
// thread's frame buffers.
void ClearFrames();
