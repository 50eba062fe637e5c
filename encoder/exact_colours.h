#pragma once
// Screen content rarely holds more than 256 colours in the area that
// changed: text, window fills, borders and icons. Such an area is stored
// with exactly its own colours, so every pixel decodes to the colour that
// was captured and a still colour never shifts from one frame to the next.

#include <cstdint>

constexpr int32_t kMostExactColours = 256;

// Reads count pixels (B, G, R and an ignored fourth byte) once, gathering
// their distinct colours in order of first appearance into palette (R, G,
// B, 3 bytes an entry) and each pixel's entry into indices. Returns the
// number of colours, 1..256. Returns 0 when count is below 1, or as soon as
// a 257th colour appears: palette and indices then hold partial results.
int32_t IndexExactColours(const uint8_t* pixels, int32_t count, uint8_t* palette, uint8_t* indices);
