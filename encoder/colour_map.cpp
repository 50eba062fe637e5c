#include "encoder/colour_map.h"

#include <cstring>

#include "encoder/encoder_paths.h"

void BuildColourCube(const uint8_t* palette, uint8_t* cube)
{
    encoderKernels.buildCube(palette, cube);
}

void DiffuseToIndices(const uint8_t* pixels, int32_t width, int32_t height, const uint8_t* palette,
                      const uint8_t* cube, int32_t* errorRows, uint8_t* indices)
{
    encoderKernels.diffuse(pixels, width, height, palette, cube, errorRows, indices);
}

void BuildColourCubeScalar(const uint8_t* palette, uint8_t* cube)
{
    for (int32_t r = 0; r < 16; r++) {
        for (int32_t g = 0; g < 16; g++) {
            for (int32_t b = 0; b < 16; b++) {
                int32_t best = 0;
                int32_t bestDistance = INT32_MAX;
                for (int32_t k = 0; k < 256; k++) {
                    int32_t dr = 17 * r - palette[3 * k + 0];
                    int32_t dg = 17 * g - palette[3 * k + 1];
                    int32_t db = 17 * b - palette[3 * k + 2];
                    int32_t distance = dr * dr + dg * dg + db * db;
                    if (distance < bestDistance) {
                        bestDistance = distance;
                        best = k;
                    }
                }
                cube[r * 256 + g * 16 + b] = static_cast<uint8_t>(best);
            }
        }
    }
}

static inline int32_t ClampChannel(int32_t v)
{
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

void DiffuseToIndicesScalar(const uint8_t* pixels, int32_t width, int32_t height, const uint8_t* palette,
                            const uint8_t* cube, int32_t* errorRows, uint8_t* indices)
{
    // Slot s of a row holds the error for pixel s - 1; slot 0 and slot
    // width + 1 are margins so the edge pixels need no tests on the right.
    const size_t rowValues = (static_cast<size_t>(width) + 2) * 3;
    int32_t* current = errorRows;
    int32_t* next = errorRows + rowValues;
    std::memset(current, 0, rowValues * sizeof(int32_t));

    for (int32_t y = 0; y < height; y++) {
        std::memset(next, 0, rowValues * sizeof(int32_t));
        const uint8_t* p = pixels + static_cast<size_t>(y) * width * 4;
        uint8_t* out = indices + static_cast<size_t>(y) * width;
        for (int32_t x = 0; x < width; x++, p += 4) {
            int32_t* here = current + (x + 1) * 3;
            int32_t vb = ClampChannel(p[0] + here[0]);
            int32_t vg = ClampChannel(p[1] + here[1]);
            int32_t vr = ClampChannel(p[2] + here[2]);
            int32_t k = cube[(vr >> 4) * 256 + (vg >> 4) * 16 + (vb >> 4)];
            out[x] = static_cast<uint8_t>(k);

            // 5/16 right, 2/16 below left, 4/16 below, 1/16 below right: a
            // quarter of the error is dropped, which keeps flat screen areas
            // calm. Divisions truncate toward zero.
            const int32_t error[3] = {vb - palette[3 * k + 2], vg - palette[3 * k + 1],
                                      vr - palette[3 * k + 0]};
            int32_t* right = current + (x + 2) * 3;
            int32_t* belowLeft = next + x * 3;
            int32_t* below = next + (x + 1) * 3;
            int32_t* belowRight = next + (x + 2) * 3;
            for (int c = 0; c < 3; c++) {
                int32_t e = error[c];
                right[c] += (5 * e) / 16;
                if (x > 0)
                    belowLeft[c] += e / 8;
                below[c] += e / 4;
                belowRight[c] += e / 16;
            }
        }
        int32_t* swap = current;
        current = next;
        next = swap;
    }
}
