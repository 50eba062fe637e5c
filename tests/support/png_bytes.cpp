#include "tests/support/png_bytes.h"

#include <cstring>

namespace {

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

void PutBe32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutLe16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t value)
{
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBe32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(&out[start], out.size() - start));
}

}  // namespace

std::vector<uint8_t> PngWithHeaderOnly(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBe32(header, width);
    PutBe32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
    PutChunk(png, "IHDR", header);
    // A tiny valid zlib stream of one zero row, far too short for the size.
    PutChunk(png, "IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
    PutChunk(png, "IEND", {});
    return png;
}

std::vector<uint8_t> PngWithRows(const PngHeaderFields& fields, uint32_t rows)
{
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBe32(header, fields.width);
    PutBe32(header, fields.height);
    header.insert(header.end(), {fields.depth, fields.colourType, fields.compression, fields.filter, fields.interlace});
    PutChunk(png, "IHDR", header);

    const uint32_t channels[7] = {1, 0, 3, 1, 2, 0, 4};
    const uint64_t bitsPerPixel = uint64_t{fields.depth} * channels[fields.colourType < 7 ? fields.colourType : 6];
    const uint64_t rowBytes = 1 + (uint64_t{fields.width} * bitsPerPixel + 7) / 8;  // filter byte first
    const uint64_t raw = rowBytes * rows;
    std::vector<uint8_t> stream = {0x78, 0x01};
    for (uint64_t at = 0; at < raw; at += 65535) {
        uint32_t block = static_cast<uint32_t>(raw - at < 65535 ? raw - at : 65535);
        stream.push_back(0x00);  // stored, not final
        PutLe16(stream, block);
        PutLe16(stream, ~block & 0xFFFF);
        stream.insert(stream.end(), block, 0);
    }
    if (rows >= fields.height) {
        stream.insert(stream.end(), {0x01, 0x00, 0x00, 0xFF, 0xFF});  // empty final block
        // Adler-32 of zeros: the low sum stays 1, the high one adds 1 per byte.
        PutBe32(stream, static_cast<uint32_t>((raw % 65521) << 16 | 1));
    }
    PutChunk(png, "IDAT", stream);
    PutChunk(png, "IEND", {});
    return png;
}

std::vector<uint8_t> IconAround(const std::vector<uint8_t>& image)
{
    std::vector<uint8_t> icon;
    PutLe16(icon, 0);  // reserved
    PutLe16(icon, 1);  // an icon
    PutLe16(icon, 1);  // one image
    icon.insert(icon.end(), {0, 0, 0, 0});  // 256 x 256 (0 means 256), no palette
    PutLe16(icon, 1);  // planes
    PutLe16(icon, 32); // bits per pixel
    PutLe32(icon, static_cast<uint32_t>(image.size()));
    PutLe32(icon, 22);  // the image follows this header
    icon.insert(icon.end(), image.begin(), image.end());
    return icon;
}
