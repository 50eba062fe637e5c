#include "encoder/lzw.h"

#include <cstring>

#include "encoder/encoder_paths.h"

namespace {

constexpr int32_t kCodeLimit = 4096;   // one past the largest 12-bit code
constexpr int32_t kSlotCount = 16384;  // load factor stays below 1/4 for 3838 strings
constexpr int32_t kEmptyKey = -1;

// The codes of one minimum code size: clear is 2^size, end follows it, and
// a table generation starts at size + 1 bits.
struct CodeSet {
    int32_t clear, end, firstFree, firstWidth;
};

CodeSet CodesFor(int32_t minCodeSize)
{
    if (minCodeSize < 2 || minCodeSize > 8)
        minCodeSize = 8;
    const int32_t clear = 1 << minCodeSize;
    return CodeSet{clear, clear + 1, clear + 2, minCodeSize + 1};
}

struct LzwWriter {
    uint32_t accumulator;
    int32_t pending;
    int32_t position;
    int32_t capacity;
    uint8_t* output;
};

// Bits go out least significant first, as GIF packs them. Bytes past the
// capacity are dropped, but compression carries on so the caller learns
// nothing more than that the stream was cut.
inline void Emit(LzwWriter& writer, int32_t code, int32_t width)
{
    writer.accumulator |= static_cast<uint32_t>(code) << writer.pending;
    writer.pending += width;
    while (writer.pending >= 8) {
        if (writer.position < writer.capacity)
            writer.output[writer.position++] = static_cast<uint8_t>(writer.accumulator);
        writer.accumulator >>= 8;
        writer.pending -= 8;
    }
}

// After a new string took the next code and its prefix went out: the width
// grows once code 2^width is assigned, and a full table starts a new
// generation, the clear code still at 12 bits and the next data code at the
// first width. true: the caller empties its table.
inline bool AdvanceCodes(LzwWriter& writer, const CodeSet& set, int32_t& nextCode, int32_t& width)
{
    if (nextCode == kCodeLimit) {
        Emit(writer, set.clear, width);
        nextCode = set.firstFree;
        width = set.firstWidth;
        return true;
    }
    if (nextCode == (1 << width) + 1 && width <= 11)
        width++;
    return false;
}

// The end code, with no width change after the last data code, then the
// last partial byte; returns the bytes stored.
inline int32_t FinishStream(LzwWriter& writer, const CodeSet& set, int32_t width, int32_t* outLength)
{
    Emit(writer, set.end, width);
    if (writer.pending > 0 && writer.position < writer.capacity)
        writer.output[writer.position++] = static_cast<uint8_t>(writer.accumulator);
    *outLength = writer.position;
    return writer.position;
}

struct StringTable {
    int32_t keys[kSlotCount];
    int32_t codes[kSlotCount];
};

inline void ResetKeys(StringTable& table)
{
    std::memset(table.keys, 0xFF, sizeof table.keys);  // every key becomes -1
}

inline int32_t SlotOf(int32_t key)
{
    return static_cast<int32_t>((static_cast<uint32_t>(key) * 504311u) & (kSlotCount - 1));
}

// The reference's hash keeps the low 14 bits of the product, which depend
// only on the key's low 14 bits: every prefix that agrees modulo 64 lands in
// the same slot for the same next index, and the probe runs grow long (the
// full-HD photo benchmark frame averaged several probes per byte). Here the
// prefix, all 12 bits of it, is shifted into bits 2 to 13, so for one next
// index no two prefixes share a slot; the index is spread by an odd
// multiplier, which keeps the 256 indices apart too. The prefix comes from
// the previous byte's table load, and a shift and an exclusive or after it
// are a shorter wait than a multiplication.
inline uint32_t SpreadSlotOf(uint32_t prefix, uint32_t index)
{
    return ((prefix << 2) ^ (index * 0x9Fu)) & (kSlotCount - 1);
}
static_assert(kSlotCount == 1 << 14, "SpreadSlotOf gives 14 bits");

}  // namespace

int32_t LzwCompress(const uint8_t* indices, int32_t count, uint8_t* output, int32_t capacity,
                    int32_t* outLength, int32_t minCodeSize)
{
    return encoderKernels.compress(indices, count, output, capacity, outLength, minCodeSize);
}

int32_t LzwCompressScalar(const uint8_t* indices, int32_t count, uint8_t* output, int32_t capacity,
                          int32_t* outLength, int32_t minCodeSize)
{
    StringTable table;
    ResetKeys(table);
    std::memset(table.codes, 0, sizeof table.codes);

    const CodeSet set = CodesFor(minCodeSize);
    LzwWriter writer = {0, 0, 0, capacity > 0 ? capacity : 0, output};
    int32_t nextCode = set.firstFree;
    int32_t width = set.firstWidth;

    Emit(writer, set.clear, width);

    if (count > 0) {
        int32_t prefix = indices[0];
        for (int32_t i = 1; i < count; i++) {
            int32_t c = indices[i];
            int32_t key = (prefix << 8) + c;
            int32_t slot = SlotOf(key);
            while (table.keys[slot] != kEmptyKey && table.keys[slot] != key)
                slot = (slot + 1) & (kSlotCount - 1);
            if (table.keys[slot] == key) {
                prefix = table.codes[slot];
                continue;
            }
            table.keys[slot] = key;
            table.codes[slot] = nextCode++;
            Emit(writer, prefix, width);
            prefix = c;
            if (AdvanceCodes(writer, set, nextCode, width))
                ResetKeys(table);
        }
        Emit(writer, prefix, width);
    }
    return FinishStream(writer, set, width, outLength);
}

int32_t LzwCompressFast(const uint8_t* indices, int32_t count, uint8_t* output, int32_t capacity,
                        int32_t* outLength, int32_t minCodeSize)
{
    // A slot holds (key << 12) | code. Keys stay below 2^20 and codes below
    // 2^12, so that fills 32 bits exactly, and every stored code is at least
    // the first free code (6 or more), so 0 marks an empty slot. A probe is one load from a 64 KiB table
    // instead of two from 128 KiB: each input byte waits on this load, and it
    // is the compressor's critical path. The codes that come out depend only
    // on which strings the table holds, not on how it stores them.
    constexpr uint32_t kCodeBits = 12;
    uint32_t table[kSlotCount];
    std::memset(table, 0, sizeof table);

    const CodeSet set = CodesFor(minCodeSize);
    const uint32_t firstFree = static_cast<uint32_t>(set.firstFree);
    const uint32_t liveCodes = static_cast<uint32_t>(kCodeLimit) - firstFree;
    LzwWriter writer = {0, 0, 0, capacity > 0 ? capacity : 0, output};
    int32_t nextCode = set.firstFree;
    int32_t width = set.firstWidth;

    Emit(writer, set.clear, width);

    if (count > 0) {
        uint32_t prefix = indices[0];
        for (int32_t i = 1; i < count; i++) {
            const uint32_t c = indices[i];
            const uint32_t key = (prefix << 8) | c;
            // An entry for this key minus this base is its code minus the
            // first free code, below liveCodes; an empty slot or another key's
            // entry wraps far above.
            const uint32_t base = (key << kCodeBits) + firstFree;
            uint32_t slot = SpreadSlotOf(prefix, c);
            uint32_t entry;
            bool found = false;
            while ((entry = table[slot]) != 0) {
                if (entry - base < liveCodes) {
                    found = true;
                    break;
                }
                slot = (slot + 1) & (kSlotCount - 1);
            }
            if (found) {
                prefix = entry & ((1u << kCodeBits) - 1);
                continue;
            }
            table[slot] = (key << kCodeBits) | static_cast<uint32_t>(nextCode++);
            Emit(writer, static_cast<int32_t>(prefix), width);
            prefix = c;
            if (AdvanceCodes(writer, set, nextCode, width))
                std::memset(table, 0, sizeof table);
        }
        Emit(writer, static_cast<int32_t>(prefix), width);
    }
    return FinishStream(writer, set, width, outLength);
}

int32_t LzwWorstCaseLength(int32_t count)
{
    // Every code covers at least one index and is at most 12 bits wide; on top
    // come a clear code per full table generation (3838 codes each), the first
    // clear code, the end code, and a byte for the last partial bits. A
    // generation holds the fewest codes at minimum code size 8.
    constexpr int64_t kShortestGeneration = kCodeLimit - 258;
    int64_t n = count > 0 ? count : 0;
    int64_t codes = n + n / kShortestGeneration + 2;
    int64_t bytes = (codes * 12 + 7) / 8 + 1;
    if (bytes > INT32_MAX)
        return -1;
    return static_cast<int32_t>(bytes);
}
