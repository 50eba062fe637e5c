// Writes one image of the program's icon file as a PNG, for the desktop
// menus of a native install:  pixlo_icon_png pixlo.ico SIZE out.png
// Takes the SIZE x SIZE entry stored as a 32-bit bitmap (B, G, R, A, rows
// bottom-up); an entry without alpha takes it from its mask.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

uint32_t Le(const std::vector<uint8_t>& d, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; i--)
        v = (v << 8) | d[at + static_cast<size_t>(i)];
    return v;
}

int Fail(const char* why)
{
    std::fprintf(stderr, "pixlo_icon_png: %s\n", why);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return Fail("usage: pixlo_icon_png in.ico size out.png");
    const uint32_t size = static_cast<uint32_t>(std::atoi(argv[2]));
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<uint8_t> d{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (d.size() < 6 || Le(d, 2, 2) != 1)
        return Fail("not an icon file");
    const uint32_t count = Le(d, 4, 2);
    for (uint32_t i = 0; i < count && 6 + 16 * (i + 1) <= d.size(); i++) {
        const size_t entry = 6 + 16 * i;
        const uint32_t w = d[entry] ? d[entry] : 256, h = d[entry + 1] ? d[entry + 1] : 256;
        const uint32_t bytes = Le(d, entry + 8, 4), offset = Le(d, entry + 12, 4);
        if (w != size || h != size || offset > d.size() || bytes > d.size() - offset || bytes < 40)
            continue;
        if (Le(d, offset, 4) != 40 || Le(d, offset + 14, 2) != 32)
            return Fail("the entry is not a 32-bit bitmap");
        const size_t pixels = offset + 40;
        const size_t maskStride = ((w + 31) / 32) * 4;
        if (pixels + size_t{w} * h * 4 + maskStride * h > offset + bytes)
            return Fail("the entry is cut short");
        std::vector<uint8_t> image(size_t{w} * h * 4);
        bool anyAlpha = false;
        for (uint32_t y = 0; y < h; y++)
            for (uint32_t x = 0; x < w; x++) {
                const size_t from = pixels + (size_t{h - 1 - y} * w + x) * 4;
                uint8_t* to = &image[(size_t{y} * w + x) * 4];
                for (int c = 0; c < 4; c++)
                    to[c] = d[from + static_cast<size_t>(c)];
                anyAlpha = anyAlpha || to[3] != 0;
            }
        if (!anyAlpha) {
            const size_t mask = pixels + size_t{w} * h * 4;
            for (uint32_t y = 0; y < h; y++)
                for (uint32_t x = 0; x < w; x++) {
                    const bool clear = (d[mask + size_t{h - 1 - y} * maskStride + x / 8] >> (7 - x % 8)) & 1;
                    image[(size_t{y} * w + x) * 4 + 3] = clear ? 0 : 255;
                }
        }
        png_image png = {};
        png.version = PNG_IMAGE_VERSION;
        png.width = w;
        png.height = h;
        png.format = PNG_FORMAT_BGRA;
        if (!png_image_write_to_file(&png, argv[3], 0, image.data(), 0, nullptr))
            return Fail(png.message);
        return 0;
    }
    return Fail("no entry of that size");
}
