#pragma once
// One 32-bit frame in, one stored GIF frame out: palette, colour cube,
// diffusion, LZW, append.

#include <cstdint>

// pixels: width x height pixels B, G, R, X, rows top-down; only read.
// delayMs: the time the frame stands for. A frame that cannot be encoded
// (no memory) is not appended; the caller sees that only in the store count.
void EncodeFrame(const uint8_t* pixels, int32_t width, int32_t height, int32_t delayMs);

// A changed area of fewer pixels learns its palette from its pixels repeated
// to at least this many: fewer give the learning too few samples and cycles.
// Measured: from 20000 a window dragged over a white page leaves no tint,
// but a rectangle of many strong colours (icons, a colourful page) still
// comes back 70 levels off in places, and a third of the still pixels in
// scrolled text change colour. From 400000 the colours come within about 16
// and nearly every still pixel keeps its colour, for about 2 ms of learning
// a frame (200000 still left some rectangles 50 off).
constexpr int32_t kFewestLearnedPixels = 400000;

// The rectangle left, top, width x height of a frame frameWidth pixels wide,
// stored as a frame drawn at that place: its own palette, learned from the
// rectangle alone, keeping only the table entries its pixels use. The
// rectangle must lie inside the frame.
void EncodeFrameArea(const uint8_t* frame, int32_t frameWidth, int32_t left, int32_t top,
                     int32_t width, int32_t height, int32_t delayMs);
