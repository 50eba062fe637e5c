#pragma once
// Maps a frame's pixels onto its learned palette: a 16 x 16 x 16 cube turns
// the per-pixel palette search into one lookup, and a reduced error
// diffusion spreads what the lookup loses.

#include <cstdint>

constexpr int32_t kColourCubeCells = 4096;

// cube[r * 256 + g * 16 + b] = the palette index nearest to the grid colour
// (17r, 17g, 17b); ties keep the lower index. Runs the active encoder path
// (encoder_paths.h).
void BuildColourCube(const uint8_t* palette, uint8_t* cube);

// The reference path: one cell against one palette entry at a time.
void BuildColourCubeScalar(const uint8_t* palette, uint8_t* cube);

// Diffuses and maps width x height pixels (B, G, R, X) into one index per
// pixel. errorRows holds 2 x (width + 2) x 3 ints; its contents on entry do
// not matter. Runs the active encoder path.
void DiffuseToIndices(const uint8_t* pixels, int32_t width, int32_t height, const uint8_t* palette,
                      const uint8_t* cube, int32_t* errorRows, uint8_t* indices);

// The reference path: every share added into the error rows as it arises.
void DiffuseToIndicesScalar(const uint8_t* pixels, int32_t width, int32_t height, const uint8_t* palette,
                            const uint8_t* cube, int32_t* errorRows, uint8_t* indices);

