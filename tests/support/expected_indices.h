#pragma once
// What the encoder must store for a frame, worked out by the independent
// reference of its colour stages (reference_quantizer.h), so a test can
// compare what a decoder reads back with the palette and indices the encoder
// ought to have chosen.

#include <cstddef>
#include <cstdint>
#include <vector>

struct ExpectedFrame {
    std::vector<uint8_t> palette;  // 768 bytes R, G, B
    std::vector<uint8_t> indices;  // one per pixel
};

ExpectedFrame ExpectedEncoding(const std::vector<uint8_t>& pixels, int32_t width, int32_t height);

// The same for a changed area: the palette is learned from the area's pixels
// repeated to at least fewestLearned pixels (as the encoder does for small
// areas); palette and indices are the full 256-entry version, before the
// encoder keeps only the entries used.
ExpectedFrame ExpectedAreaEncoding(const std::vector<uint8_t>& pixels, int32_t width, int32_t height,
                                   int32_t fewestLearned);

// A 256-entry frame cut down as a changed area is stored: the entries used,
// in their order, padded with zeros to a power of two (at least 2).
struct CompactFrame {
    std::vector<uint8_t> palette;  // 3 x tableSize bytes
    std::vector<uint8_t> indices;
    int32_t tableSize;
    int32_t minCodeSize;
};
CompactFrame Compacted(const ExpectedFrame& frame);
