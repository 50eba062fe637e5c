#include "image/png_decode_posix.h"

#include <png.h>

#include <cstring>

#include "common/memory.h"

namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    MemoryReader* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->size - reader->position)
        png_error(png, "truncated");
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Kept apart from DecodePng so that no object with a destructor lives in a
// frame that libpng's longjmp leaves.
int DecodeWithLibpng(png_structp png, png_infop info, MemoryReader* reader, uint8_t* volatile* rows,
                     int32_t* width, int32_t* height)
{
    if (setjmp(png_jmpbuf(png)))
        return 0;

    png_set_read_fn(png, reader, ReadFromMemory);
    png_set_user_limits(png, kPngMaxSide, kPngMaxSide);
    png_read_info(png, info);

    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    if (w == 0 || h == 0 || static_cast<int64_t>(w) * h * 4 > kPngMaxBytes)
        return 0;
    const int colourType = png_get_color_type(png, info);

    // Everything to 8-bit B, G, R, A: palettes and low bit depths expanded,
    // tRNS turned into alpha, grey copied into all three channels, 16-bit
    // samples cut to their high byte, opaque images given alpha 255.
    png_set_expand(png);
    png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * 4)
        return 0;

    *rows = static_cast<uint8_t*>(memoryApi.allocate(static_cast<size_t>(w) * h * 4));
    if (!*rows)
        return 0;
    // Row by row, pass by pass: nothing else is allocated that a longjmp
    // out of libpng could leak.
    for (int pass = 0; pass < passes; pass++)
        for (png_uint_32 y = 0; y < h; y++)
            png_read_row(png, *rows + static_cast<size_t>(y) * w * 4, nullptr);
    png_read_end(png, nullptr);

    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    return 1;
}

}  // namespace

int DecodePng(const uint8_t* data, size_t size, uint8_t** pixels, int32_t* width, int32_t* height)
{
    int32_t declaredWidth = 0, declaredHeight = 0;
    if (!CheckPngHeader(data, size, &declaredWidth, &declaredHeight) || !CheckPngChunkLengths(data, size))
        return 0;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, IgnoreWarning);
    if (!png)
        return 0;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return 0;
    }
    MemoryReader reader = {data, size, 0};
    uint8_t* volatile rows = nullptr;
    int32_t w = 0, h = 0;
    int ok = DecodeWithLibpng(png, info, &reader, &rows, &w, &h);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) {
        memoryApi.release(rows);
        return 0;
    }
    *pixels = rows;
    *width = w;
    *height = h;
    return 1;
}
