#include "image/resampler.h"

#include <cmath>
#include <cstring>

OutputGeometry ComputeOutputSize(int32_t capW, int32_t capH, int32_t requestedWidth)
{
    OutputGeometry geometry;
    geometry.outWidth = requestedWidth > 0 ? requestedWidth : capW;
    double h = static_cast<double>(capH) * geometry.outWidth / capW + 0.5;
    // Heights beyond 32 bits cannot be allocated anyway; keep the conversion defined.
    int32_t height = h >= 2147483646.0 ? 2147483646 : static_cast<int32_t>(h);
    height &= ~1;
    geometry.outHeight = height < 2 ? 2 : height;
    return geometry;
}

namespace {

// One axis of the mapping: the two source positions and the fraction
// between them for destination position i.
struct Tap {
    int32_t first;
    int32_t second;
    double fraction;
};

inline Tap MapAxis(int32_t i, double scale, int32_t srcSize)
{
    double v = (i + 0.5) * scale - 0.5;
    Tap tap;
    double floored = std::floor(v);
    tap.first = static_cast<int32_t>(floored);
    if (tap.first < 0) {
        tap.first = 0;
        tap.fraction = 0.0;
    } else {
        tap.fraction = v - tap.first;
    }
    if (tap.first >= srcSize) {
        tap.first = tap.second = srcSize - 1;
        tap.fraction = 0.0;
    } else {
        tap.second = tap.first >= srcSize - 1 ? tap.first : tap.first + 1;
    }
    return tap;
}

}  // namespace

void ResampleBilinear(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, uint8_t* dst,
                      int32_t dstWidth, int32_t dstHeight)
{
    if (dstWidth <= 0 || dstHeight <= 0)
        return;
    const double sx = static_cast<double>(srcWidth) / dstWidth;
    const double sy = static_cast<double>(srcHeight) / dstHeight;
    const size_t srcStride = static_cast<size_t>(srcWidth) * 4;

    for (int32_t i = 0; i < dstHeight; i++) {
        const Tap row = MapAxis(i, sy, srcHeight);
        const uint8_t* upper = src + row.first * srcStride;
        const uint8_t* lower = src + row.second * srcStride;
        const double fy = row.fraction;
        uint8_t* out = dst + static_cast<size_t>(i) * dstWidth * 4;
        for (int32_t j = 0; j < dstWidth; j++, out += 4) {
            const Tap column = MapAxis(j, sx, srcWidth);
            const double fx = column.fraction;
            const double w00 = (1.0 - fx) * (1.0 - fy);
            const double w01 = fx * (1.0 - fy);
            const double w10 = (1.0 - fx) * fy;
            const double w11 = fx * fy;
            const uint8_t* p00 = upper + column.first * 4;
            const uint8_t* p01 = upper + column.second * 4;
            const uint8_t* p10 = lower + column.first * 4;
            const uint8_t* p11 = lower + column.second * 4;
            for (int c = 0; c < 4; c++) {
                double sum = ((p00[c] * w00 + p01[c] * w01) + p10[c] * w10) + p11[c] * w11;
                out[c] = static_cast<uint8_t>(sum);
            }
        }
    }
}
