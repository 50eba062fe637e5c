#pragma once
// Hand-made PNG files for the decoder's failure paths: a header that
// declares any size, with correct chunk checksums so only the size is wrong.

#include <cstdint>
#include <vector>

std::vector<uint8_t> PngWithHeaderOnly(uint32_t width, uint32_t height);
