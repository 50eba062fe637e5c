#pragma once
// Small frames whose palettes (and, for the two smaller ones, index maps) are
// written out as literals, so the encoder is held to fixed numbers and not
// only to a second implementation of itself. The literals were worked out
// once with a separate throwaway model of the palette learning, the colour
// cube and the diffusion, and tests/support/reference_quantizer.cpp gives the
// same bytes.

#include <cstdint>
#include <vector>

struct PinnedFrame {
    int32_t width, height;
    const char* palette;  // 768 bytes R, G, B as hex
    const char* indices;  // one byte per pixel as hex, row by row; null if not pinned
};

// 8 x 8: six samples, each ending a cycle.
// 37 x 23: 85 samples and cycles, past the cycle where neighbours stop moving.
// 80 x 40: 320 samples in cycles of three; the sample walk wraps round.
extern const PinnedFrame kPinnedFrames[3];

// The frames' pixels: B = (37x + 11y) mod 256, G = (3xy + 64) mod 256,
// R = 30 or 220 in a checkerboard of 4 x 3 cells, the fourth byte 0xA5.
std::vector<uint8_t> PinnedFramePixels(int32_t width, int32_t height);

std::vector<uint8_t> BytesFromHex(const char* hex);
