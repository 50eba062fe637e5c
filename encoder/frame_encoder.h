#pragma once
// One 32-bit frame in, one stored GIF frame out.
//
// Whole frames take the learned palette, colour cube and diffusion.
// Changed areas (the optimized recordings) take their own colours: exactly
// those of the area when it holds at most 256, otherwise a palette built
// from the area's histogram with every pixel mapped to its nearest entry.

#include <cstdint>

// pixels: width x height pixels B, G, R, X, rows top-down; only read.
// delayMs: the time the frame stands for. A frame that cannot be encoded
// (no memory) is not appended; the caller sees that only in the store count.
void EncodeFrame(const uint8_t* pixels, int32_t width, int32_t height, int32_t delayMs);

// The rectangle left, top, width x height of a frame frameWidth pixels wide,
// stored as a frame drawn at that place, with a table of only the colours
// its pixels use. The rectangle must lie inside the frame; it may be all
// of it.
void EncodeFrameArea(const uint8_t* frame, int32_t frameWidth, int32_t left, int32_t top,
                     int32_t width, int32_t height, int32_t delayMs);
