#pragma once
// The output-size rule and the one scaling routine of the system: bilinear,
// double precision, four independent 8-bit channels per pixel.

#include <cstdint>

#include "image/output_geometry.h"

// Output size for a capture of capW x capH (both >= 1) at a requested width;
// requestedWidth <= 0 means the capture width. The height keeps the aspect
// ratio, rounded, made even, at least 2.
OutputGeometry ComputeOutputSize(int32_t capW, int32_t capH, int32_t requestedWidth);

// Scales src (srcWidth x srcHeight >= 1) into dst (dstWidth x dstHeight).
// A destination size of 0 or less writes nothing. The buffers must not
// overlap. Results are truncated, not rounded.
void ResampleBilinear(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, uint8_t* dst,
                      int32_t dstWidth, int32_t dstHeight);
