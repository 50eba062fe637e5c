#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "encoder/colour_quantizer.h"
#include "encoder/exact_colours.h"
#include "encoder/nearest_entry.h"
#include "tests/support/area_colours.h"
#include "tests/support/synthetic_frames.h"

namespace {

std::vector<uint8_t> Pixels(const std::vector<uint32_t>& rgb)
{
    std::vector<uint8_t> pixels;
    for (uint32_t c : rgb)
        pixels.insert(pixels.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                                     static_cast<uint8_t>(c >> 16), 0x5A});
    return pixels;
}

// 1 to 256 colours are kept in order of first appearance with every
// pixel's entry; the 257th stops the count. Black is a colour like any
// other (the table's empty mark must not be mistaken for it), and the
// fourth byte is not part of a colour.
TEST(ExactColours, KeepsUpTo256ColoursInOrderAndStopsAtThe257th)
{
    for (int32_t colours : {1, 2, 255, 256, 257, 1000}) {
        std::vector<uint32_t> rgb;
        for (int32_t i = 0; i < 3 * colours; i++)
            {
            const uint32_t k = static_cast<uint32_t>(i % colours);  // colour 0 is black
            rgb.push_back((k & 0xFF) << 16 | (k >> 8) << 8 | (k * 7 & 0xFF));
        }
        std::vector<uint8_t> pixels = Pixels(rgb);
        for (size_t p = 3; p < pixels.size(); p += 8)
            pixels[p] ^= 0xFF;
        uint8_t palette[768];
        std::vector<uint8_t> indices(rgb.size());
        const int32_t found = IndexExactColours(pixels.data(), static_cast<int32_t>(rgb.size()), palette, indices.data());
        if (colours > 256) {
            EXPECT_EQ(found, 0) << colours << " colours";
            continue;
        }
        ASSERT_EQ(found, colours);
        for (size_t i = 0; i < rgb.size(); i++) {
            const uint8_t* entry = palette + 3 * indices[i];
            ASSERT_EQ(indices[i], i % static_cast<size_t>(colours)) << colours << " colours, pixel " << i;
            ASSERT_EQ(entry[0] << 16 | entry[1] << 8 | entry[2], static_cast<int32_t>(rgb[i]));
        }
    }
    uint8_t palette[768];
    uint8_t index;
    EXPECT_EQ(IndexExactColours(nullptr, 0, palette, &index), 0);
}

int32_t BruteNearest(const std::vector<uint8_t>& palette, int32_t r, int32_t g, int32_t b)
{
    int32_t best = 0, least = INT32_MAX;
    for (int32_t k = 0; k < static_cast<int32_t>(palette.size() / 3); k++) {
        const int32_t dr = palette[3 * k] - r, dg = palette[3 * k + 1] - g, db = palette[3 * k + 2] - b;
        if (dr * dr + dg * dg + db * db < least) {
            least = dr * dr + dg * dg + db * db;
            best = k;
        }
    }
    return best;
}

// The search answers what looking at every entry in order answers, ties to
// the lower entry included, over colours on a grid through every cell and
// the cells' corners.
TEST(NearestEntry, EqualsAFullSearchForEveryKindOfPalette)
{
    std::vector<std::pair<std::string, std::vector<uint8_t>>> palettes = {
        {"one entry", {17, 200, 3}},
        {"two entries at equal distance from many colours", {0, 0, 0, 0, 0, 8}},
        {"duplicates", {10, 10, 10, 250, 0, 0, 10, 10, 10, 250, 0, 0}},
        {"black and white", {0, 0, 0, 255, 255, 255}},
    };
    std::vector<uint8_t> greys, dense, spread;
    for (int32_t k = 0; k < 256; k++) {
        greys.insert(greys.end(), {static_cast<uint8_t>(k), static_cast<uint8_t>(k), static_cast<uint8_t>(k)});
        // entries on the cells' own corners: a tie at every step
        dense.insert(dense.end(), {static_cast<uint8_t>((k & 7) * 4), static_cast<uint8_t>((k >> 3 & 7) * 4),
                                   static_cast<uint8_t>((k >> 6) * 4)});
        spread.insert(spread.end(), {static_cast<uint8_t>(k * 97 % 256), static_cast<uint8_t>(k * 61 % 251),
                                     static_cast<uint8_t>(k * 13 % 256)});
    }
    palettes.push_back({"256 greys", greys});
    palettes.push_back({"256 entries packed in one corner", dense});
    palettes.push_back({"256 entries spread out", spread});
    for (const auto& [name, palette] : palettes) {
        NearestEntrySearch* search = CreateNearestEntrySearch(palette.data(), static_cast<int32_t>(palette.size() / 3));
        ASSERT_NE(search, nullptr) << name;
        int wrong = 0;
        for (int32_t r = 0; r < 256; r += 3)
            for (int32_t g = 0; g < 256; g += 5)
                for (int32_t b = 0; b < 256; b += 7) {
                    const int32_t want = BruteNearest(palette, r, g, b);
                    const int32_t got = FindNearestEntry(search, static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                                         static_cast<uint8_t>(b));
                    if (got != want && wrong++ < 3)
                        ADD_FAILURE() << name << ": (" << r << ", " << g << ", " << b << ") gave entry " << got
                                      << ", the nearest is " << want;
                    ASSERT_EQ(NearestEntryByFullSearch(palette.data(), static_cast<int32_t>(palette.size() / 3),
                                                       static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                                       static_cast<uint8_t>(b)),
                              want);
                }
        EXPECT_EQ(wrong, 0) << name;
        DestroyNearestEntrySearch(search);
    }
    uint8_t any[3] = {};
    EXPECT_EQ(CreateNearestEntrySearch(any, 0), nullptr);
    EXPECT_EQ(CreateNearestEntrySearch(any, 257), nullptr);
}

// Anti-aliased dark text on a light page, with a coloured heading: the
// shades of the glyph edges and many more colours than a table holds.
std::vector<uint8_t> AntiAliasedText(int32_t width, int32_t height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (int32_t y = 0; y < height; y++)
        for (int32_t x = 0; x < width; x++) {
            // glyph-like strokes whose edges take every coverage in steps
            const int32_t edge = (x * 37 + y * 11) % 230 - 30;
            const int32_t coverage = std::max(0, std::min(255, 255 - (edge < 0 ? -edge : edge) * 6 + 60));
            const bool heading = y < height / 4;
            const int32_t ink[3] = {heading ? 30 : 20, heading ? 90 : 20, heading ? 200 : 25};  // B, G, R
            const int32_t page[3] = {250 - x % 5, 248, 245 + y % 7};
            uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
            for (int c = 0; c < 3; c++)
                p[c] = static_cast<uint8_t>((ink[c] * coverage + page[c] * (255 - coverage)) / 255);
        }
    return pixels;
}

std::vector<uint8_t> Gradient(int32_t width, int32_t height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (int32_t y = 0; y < height; y++)
        for (int32_t x = 0; x < width; x++) {
            uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<uint8_t>(255 * x / (width - 1));
            p[1] = static_cast<uint8_t>(255 * y / (height - 1));
            p[2] = static_cast<uint8_t>(128 + 127 * (x - y) / (width + height));
        }
    return pixels;
}

double QuantizedPsnr(const std::vector<uint8_t>& pixels, int32_t refinements)
{
    const int32_t count = static_cast<int32_t>(pixels.size() / 4);
    uint8_t palette[768];
    const int32_t entries = QuantizeColours(pixels.data(), count, palette, 256, refinements);
    if (entries < 1)
        return 0;
    NearestEntrySearch* search = CreateNearestEntrySearch(palette, entries);
    std::vector<uint8_t> indices(static_cast<size_t>(count));
    MapToNearestEntries(search, pixels.data(), count, indices.data());
    DestroyNearestEntrySearch(search);
    return AreaPsnr(palette, indices, pixels);
}

// Floors measured on these fixtures, a hundredth of a dB below the figure
// (every sum is exact, so every build gives the same): 36.36, 51.71 and
// 35.54 dB. Without the k-means passes the photo crop gets 35.33.
TEST(ColourQuantizer, ReachesItsMeasuredQualityOnEachKindOfPicture)
{
    const struct {
        const char* name;
        std::vector<uint8_t> pixels;
        double floor;
    } table[] = {
        {"gradient", Gradient(256, 160), 36.35},
        {"anti-aliased text", AntiAliasedText(320, 120), 51.70},
        {"photo crop", PhotoLikeFrame(200, 150, 7), 35.53},
    };
    for (const auto& row : table) {
        ASSERT_GT(CountColours(row.pixels), 256) << row.name << ": the fixture must need a quantizer";
        const double refined = QuantizedPsnr(row.pixels, kQuantizerRefinements);
        EXPECT_GE(refined, row.floor) << row.name;
    }
}

// Fewer cells than entries: one entry per occupied cell, each its cell's
// mean; nothing to quantize away.
TEST(ColourQuantizer, GivesOneEntryPerCellWhenThereAreFewCells)
{
    const std::vector<uint8_t> pixels = Pixels({0x000000, 0x000001, 0xFFFFFF, 0xFFFFFE, 0x808080});
    uint8_t palette[768];
    ASSERT_EQ(QuantizeColours(pixels.data(), 5, palette), 3);
    EXPECT_EQ(QuantizeColours(pixels.data(), 0, palette), 0);
    EXPECT_EQ(QuantizeColours(pixels.data(), 5, palette, 0), 0);
    EXPECT_EQ(QuantizeColours(pixels.data(), 5, palette, 1), 1);
}

}  // namespace
