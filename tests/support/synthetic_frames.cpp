#include "tests/support/synthetic_frames.h"

namespace {

void Put(std::vector<uint8_t>& pixels, int32_t width, int32_t x, int32_t y, uint8_t b, uint8_t g,
         uint8_t r)
{
    uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
    p[0] = b;
    p[1] = g;
    p[2] = r;
    p[3] = 0;
}

// Deterministic "glyph" bits: a 5 x 7 cell pattern per character code.
bool GlyphBit(uint32_t character, int32_t cx, int32_t cy)
{
    uint32_t h = character * 2654435761u + static_cast<uint32_t>(cx * 7 + cy) * 40503u;
    h ^= h >> 13;
    return (h & 3) == 0 || cx == 0;
}

}  // namespace

std::vector<uint8_t> ScreenLikeFrame(int32_t width, int32_t height, int32_t frame)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    const int32_t titleHeight = height / 10 + 1;
    for (int32_t y = 0; y < height; y++) {
        for (int32_t x = 0; x < width; x++) {
            if (y < titleHeight) {
                // A title bar with a horizontal gradient.
                uint8_t shade = static_cast<uint8_t>(60 + 150 * x / (width > 1 ? width - 1 : 1));
                Put(pixels, width, x, y, 200, static_cast<uint8_t>(shade / 2 + 40), shade / 3);
            } else if (x < width / 4) {
                Put(pixels, width, x, y, 235, 230, 225);  // side panel
            } else {
                Put(pixels, width, x, y, 255, 255, 255);  // document area
            }
        }
    }
    // Lines of dark text-like strokes in the document area, 8 x 12 cells.
    for (int32_t line = 0; titleHeight + 6 + line * 12 + 7 < height; line++) {
        int32_t top = titleHeight + 6 + line * 12;
        int32_t length = (width * 3 / 4 - 16) / 6 * (60 + (line * 37) % 40) / 100;
        for (int32_t c = 0; c < length; c++) {
            uint32_t character = static_cast<uint32_t>(line * 131 + c * 17 + (c % 9 == 8 ? 0 : 1));
            if (c % 9 == 8)
                continue;  // a space
            int32_t left = width / 4 + 8 + c * 6;
            for (int32_t cy = 0; cy < 7; cy++)
                for (int32_t cx = 0; cx < 5; cx++)
                    if (left + cx < width && GlyphBit(character, cx, cy))
                        Put(pixels, width, left + cx, top + cy, 40, 30, 30);
        }
    }
    // A moving coloured block, like a dragged window or a playing video.
    int32_t side = height / 5 + 2;
    int32_t left = (frame * 7) % (width > side ? width - side : 1);
    int32_t top = height / 2;
    for (int32_t y = top; y < top + side && y < height; y++)
        for (int32_t x = left; x < left + side && x < width; x++)
            Put(pixels, width, x, y, static_cast<uint8_t>(40 + (y - top) * 3), 120,
                static_cast<uint8_t>(200 - (x - left)));
    return pixels;
}

std::vector<uint8_t> NoiseFrame(int32_t width, int32_t height, uint32_t seed)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    uint32_t state = seed * 747796405u + 2891336453u;
    for (uint8_t& byte : pixels) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return pixels;
}

std::vector<uint8_t> FlatFrame(int32_t width, int32_t height, uint8_t b, uint8_t g, uint8_t r)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = b;
        pixels[i + 1] = g;
        pixels[i + 2] = r;
    }
    return pixels;
}

std::vector<uint8_t> GradientFrame(int32_t width, int32_t height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    const int32_t w = width > 1 ? width - 1 : 1;
    const int32_t h = height > 1 ? height - 1 : 1;
    for (int32_t y = 0; y < height; y++)
        for (int32_t x = 0; x < width; x++)
            Put(pixels, width, x, y, static_cast<uint8_t>(255 * x / w), static_cast<uint8_t>(255 * y / h),
                static_cast<uint8_t>(255 * (x + y) / (w + h)));
    return pixels;
}

std::vector<uint8_t> PhotoLikeFrame(int32_t width, int32_t height, uint32_t seed)
{
    // Integer-only, so every build makes the same frame: a few overlapping
    // soft blobs (squared-distance falloff) over a two-colour sky, plus
    // grain of up to +-12 per channel.
    struct Blob {
        int32_t x, y, radius;
        int32_t b, g, r;
    };
    uint32_t state = seed * 2654435761u + 12345u;
    auto next = [&state]() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    Blob blobs[12];
    for (Blob& blob : blobs) {
        blob.x = static_cast<int32_t>(next() % static_cast<uint32_t>(width));
        blob.y = static_cast<int32_t>(next() % static_cast<uint32_t>(height));
        blob.radius = 4 + static_cast<int32_t>(next() % static_cast<uint32_t>(width / 3 + height / 3 + 1));
        blob.b = static_cast<int32_t>(next() % 256);
        blob.g = static_cast<int32_t>(next() % 256);
        blob.r = static_cast<int32_t>(next() % 256);
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    const int32_t h = height > 1 ? height - 1 : 1;
    for (int32_t y = 0; y < height; y++) {
        for (int32_t x = 0; x < width; x++) {
            int64_t b = 200 - 120 * y / h, g = 150 - 60 * y / h, r = 60 + 100 * y / h;
            for (const Blob& blob : blobs) {
                const int64_t dx = x - blob.x, dy = y - blob.y;
                const int64_t r2 = static_cast<int64_t>(blob.radius) * blob.radius;
                const int64_t d2 = dx * dx + dy * dy;
                if (d2 >= r2)
                    continue;
                const int64_t weight = r2 - d2;  // 0 at the rim, r2 at the centre
                b += (blob.b - b) * weight / r2;
                g += (blob.g - g) * weight / r2;
                r += (blob.r - r) * weight / r2;
            }
            const uint32_t grain = next();
            auto channel = [](int64_t v, uint32_t bits) {
                v += static_cast<int64_t>(bits % 25) - 12;
                return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            };
            Put(pixels, width, x, y, channel(b, grain), channel(g, grain >> 8), channel(r, grain >> 16));
        }
    }
    return pixels;
}
