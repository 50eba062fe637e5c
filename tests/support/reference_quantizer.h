#pragma once
// A slow, plain second implementation of the encoder's colour stages: the
// palette learning, the 16 x 16 x 16 colour cube and the reduced error
// diffusion. It shares no code or state with encoder/ and is written for
// reading, not speed, so the tests that compare the encoder with it are not
// comparing the encoder with itself.

#include <cstdint>
#include <vector>

// pixels: pixelCount pixels B, G, R, X. Returns 768 bytes R, G, B.
std::vector<uint8_t> ReferenceLearnPalette(const uint8_t* pixels, int32_t pixelCount);

// 4096 palette indices, cell (r, g, b) at r * 256 + g * 16 + b.
std::vector<uint8_t> ReferenceColourCube(const std::vector<uint8_t>& palette);

// One palette index per pixel, row by row.
std::vector<uint8_t> ReferenceDiffuse(const uint8_t* pixels, int32_t width, int32_t height,
                                      const std::vector<uint8_t>& palette,
                                      const std::vector<uint8_t>& cube);
