#pragma once
// What a watermark file must be before any decoder touches it: a PNG no
// larger than the limits below, judged from its signature and header chunk
// alone. Both decoders (libpng natively, GDI+ on Windows) run this first, so
// both refuse the same files, and a decoder that trusts the declared size
// (GDI+ under Wine crashes on a few hundred bytes that declare 65536 x 65536
// pixels, or on an icon file named .png) never sees a hostile one.

#include <cstddef>
#include <cstdint>

// Largest image accepted, per side and in total: a watermark is scaled to at
// most 120 pixels wide, and a hostile file must not make us allocate without
// bound.
constexpr int32_t kPngMaxSide = 16384;
constexpr int64_t kPngMaxBytes = 256ll * 1024 * 1024;  // width x height x 4
// No PNG watermark worth blending is larger; a bigger file is refused before
// it is read.
constexpr int64_t kPngMaxFileBytes = 64ll * 1024 * 1024;

// Signature (8), the header chunk's length and type (8), its 13 bytes of
// data and its CRC (4): what CheckPngHeader reads.
constexpr size_t kPngHeaderBytes = 33;

// 1 when bytes begin with the PNG signature followed by a well-formed IHDR
// chunk (correct CRC, a bit depth and colour type that go together, methods
// PNG defines) that declares 1..kPngMaxSide pixels per side and at most
// kPngMaxBytes of 32-bit pixels; then *width and *height hold the size.
// 0 otherwise, also when size is below kPngHeaderBytes.
int CheckPngHeader(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height);

// 1 when no chunk, from the header chunk to IEND or the end of bytes,
// states a length longer than what is left of bytes. A decoder takes memory
// for a chunk as large as its length field says before it reads the chunk,
// so a few bytes could ask for gigabytes; a chunk longer than the file is
// damaged anyway. Needs the whole file: call it after CheckPngHeader.
int CheckPngChunkLengths(const uint8_t* bytes, size_t size);
