#pragma once
// Runs the encoder's stages by hand on a frame, so a test can compare what a
// decoder reads back with the indices and palette the encoder chose.

#include <cstddef>
#include <cstdint>
#include <vector>

struct ExpectedFrame {
    std::vector<uint8_t> palette;  // 768 bytes R, G, B
    std::vector<uint8_t> indices;  // one per pixel
};

ExpectedFrame ExpectedEncoding(const std::vector<uint8_t>& pixels, int32_t width, int32_t height);
