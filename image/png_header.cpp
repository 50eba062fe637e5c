#include "image/png_header.h"

#include <cstring>

namespace {

uint32_t Be32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
           static_cast<uint32_t>(at[2]) << 8 | at[3];
}

// CRC-32 as PNG defines it (ISO 3309, reflected, polynomial 0xEDB88320),
// bit by bit: it runs over 17 bytes per file.
uint32_t Crc32(const uint8_t* bytes, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; i++) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; bit++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// The combinations PNG allows (table 11.1 of the PNG standard).
bool DepthFitsColourType(uint8_t depth, uint8_t colourType)
{
    switch (colourType) {
    case 0:  // greyscale
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:  // palette
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:  // RGB
    case 4:  // greyscale with alpha
    case 6:  // RGBA
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

}  // namespace

int CheckPngHeader(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height)
{
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!bytes || size < kPngHeaderBytes || std::memcmp(bytes, kSignature, 8) != 0)
        return 0;
    const uint8_t* chunk = bytes + 8;
    if (Be32(chunk) != 13 || std::memcmp(chunk + 4, "IHDR", 4) != 0)
        return 0;
    const uint8_t* data = chunk + 8;
    if (Crc32(chunk + 4, 4 + 13) != Be32(data + 13))
        return 0;

    const uint32_t w = Be32(data);
    const uint32_t h = Be32(data + 4);
    if (w < 1 || h < 1 || w > static_cast<uint32_t>(kPngMaxSide) || h > static_cast<uint32_t>(kPngMaxSide))
        return 0;
    if (static_cast<int64_t>(w) * h * 4 > kPngMaxBytes)
        return 0;
    const uint8_t depth = data[8], colourType = data[9];
    const uint8_t compression = data[10], filter = data[11], interlace = data[12];
    if (!DepthFitsColourType(depth, colourType) || compression != 0 || filter != 0 || interlace > 1)
        return 0;

    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    return 1;
}

int CheckPngChunkLengths(const uint8_t* bytes, size_t size)
{
    constexpr size_t kSignatureBytes = 8;
    constexpr size_t kFrameBytes = 12;  // length, type and CRC around a chunk's data
    if (!bytes || size < kSignatureBytes)
        return 0;
    size_t position = kSignatureBytes;
    while (size - position >= 8) {
        const size_t left = size - position;
        const uint32_t length = Be32(bytes + position);
        if (left < kFrameBytes || length > left - kFrameBytes)
            return 0;
        if (std::memcmp(bytes + position + 4, "IEND", 4) == 0)
            return 1;
        position += kFrameBytes + length;
    }
    // Ended on a chunk boundary (or a few stray bytes) without IEND: whether
    // that is enough is the decoder's call.
    return 1;
}
