#pragma once
// One 32-bit frame in, one stored GIF frame out: palette, colour cube,
// diffusion, LZW, append.

#include <cstdint>

// pixels: width x height pixels B, G, R, X, rows top-down; only read.
// delayMs: the time the frame stands for. A frame that cannot be encoded
// (no memory) is not appended; the caller sees that only in the store count.
void EncodeFrame(const uint8_t* pixels, int32_t width, int32_t height, int32_t delayMs);

// The rectangle left, top, width x height of a frame frameWidth pixels wide,
// stored as a frame drawn at that place: its own palette, learned from the
// rectangle alone. The rectangle must lie inside the frame.
//
// previous, when given, is the frame the viewer shows under this one (same
// size as frame). Pixels of the rectangle equal to it are then written as a
// transparent index, so they keep the colour they already show; one palette
// entry is kept free of the other pixels for it.
void EncodeFrameArea(const uint8_t* frame, int32_t frameWidth, int32_t left, int32_t top,
                     int32_t width, int32_t height, int32_t delayMs,
                     const uint8_t* previous = nullptr);

// Frees a palette entry for the transparent index and returns it: one that repeats a
// lower-numbered entry, which the colour cube never picks (ties keep the
// lower index). When no entry repeats, the higher of the two closest entries
// is made a copy of the lower one, the change that costs the picture least.
int32_t FreePaletteEntry(uint8_t* palette);
