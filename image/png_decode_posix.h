#pragma once
// Native PNG decoding with libpng, to the same contract as the Windows
// decoder: straight-alpha B, G, R, A rows at the image's own size, alpha 255
// where the image has no transparency.

#include <cstddef>
#include <cstdint>

// Largest image accepted, per side and in total: a watermark is scaled to at
// most 120 pixels wide, and a hostile file must not make us allocate without
// bound.
constexpr int32_t kPngMaxSide = 16384;
constexpr int64_t kPngMaxBytes = 256ll * 1024 * 1024;

// On success returns 1 and a new buffer from memoryApi in *pixels.
int DecodePng(const uint8_t* data, size_t size, uint8_t** pixels, int32_t* width, int32_t* height);
