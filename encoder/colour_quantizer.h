#pragma once
// A palette for an area of more than 256 colours, built from the area's
// colour histogram. Colours are counted in cells of 4 x 4 x 4 levels, each
// cell keeping the exact sums of its pixels. The box of cells whose pixels
// lie farthest from their mean is split in two, across whichever channel
// and at whichever point leaves the least squared error, until there are
// as many boxes as entries. K-means passes then move every entry to the
// mean of the pixels nearest it. Every sum is exact, so the result is the
// same on every build.

#include <cstdint>

// The k-means passes after the split.
constexpr int32_t kQuantizerRefinements = 4;

// Writes at most maxColours (1..256) entries, R, G, B, to palette from
// count pixels (B, G, R, X) and returns how many: fewer when the pixels
// fall in fewer cells. 0 when count is below 1, maxColours is out of range
// or memory is short.
int32_t QuantizeColours(const uint8_t* pixels, int32_t count, uint8_t* palette, int32_t maxColours = 256,
                        int32_t refinements = kQuantizerRefinements);
