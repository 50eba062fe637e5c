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
