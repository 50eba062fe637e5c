#pragma once
// Hand-made PNG files for the decoder's failure paths: a header that
// declares any size, with correct chunk checksums so only the size is wrong.

#include <cstdint>
#include <vector>

std::vector<uint8_t> PngWithHeaderOnly(uint32_t width, uint32_t height);

// The 13 bytes of a header chunk, field by field; any of them may be wrong.
struct PngHeaderFields {
    uint32_t width;
    uint32_t height;
    uint8_t depth = 8;
    uint8_t colourType = 6;  // RGBA
    uint8_t compression = 0;
    uint8_t filter = 0;
    uint8_t interlace = 0;
};

// A PNG with that header and image data holding `rows` rows of zero pixels
// (stored deflate blocks). With fewer rows than the height the data stops
// there, as in a crafted file: a decoder that trusts the declared size has
// begun writing rows into its buffer before it notices. With all rows it is
// a complete, valid image of transparent black.
std::vector<uint8_t> PngWithRows(const PngHeaderFields& header, uint32_t rows);

// The same bytes inside a one-image icon file (ICONDIR and one entry).
std::vector<uint8_t> IconAround(const std::vector<uint8_t>& image);
