#pragma once
// Native PNG decoding with libpng, to the same contract as the Windows
// decoder: straight-alpha B, G, R, A rows at the image's own size, alpha 255
// where the image has no transparency.

#include <cstddef>
#include <cstdint>

#include "image/png_header.h"

// Refuses what CheckPngHeader refuses, then decodes with libpng under the
// same limits. On success returns 1 and a new buffer from memoryApi in *pixels.
int DecodePng(const uint8_t* data, size_t size, uint8_t** pixels, int32_t* width, int32_t* height);
