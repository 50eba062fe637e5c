#include <gtest/gtest.h>

#include <array>
#include <map>
#include <utility>
#include <vector>

#include "recorder/cursor_image.h"
#include "tests/support/guarded_buffer.h"

namespace {

using Colour = std::array<uint8_t, 3>;  // B, G, R
using Point = std::pair<int32_t, int32_t>;

constexpr int32_t kFrameW = 5, kFrameH = 4;
constexpr Colour kBackground = {10, 20, 30};

// 3 x 2 premultiplied pixels: opaque blue, transparent, red-brown at alpha
// 128; opaque white, opaque black, and red above its alpha of 16 (not valid
// premultiplied data), which must saturate, not wrap.
constexpr uint32_t kImage[] = {0xFF0000FF, 0x00000000, 0x80402010, 0xFFFFFFFF, 0xFF000000, 0x10FF0000};
constexpr Colour kBlue = {255, 0, 0};
constexpr Colour kHalf = {16 + 5, 32 + 10, 64 + 15};  // source + background x 127 / 255, rounded
constexpr Colour kWhite = {255, 255, 255};
constexpr Colour kBlack = {0, 0, 0};
constexpr Colour kSaturated = {9, 19, 255};  // background x 239 / 255, and 255 + 28 held at 255

TEST(DrawCursorImage, PixelsBlendOverTheFrameAndWhatFallsOutsideIsLeftOut)
{
    const struct {
        const char* name;
        int32_t x, y;
        std::map<Point, Colour> changed;  // every other pixel keeps the background
    } table[] = {
        {"inside", 1, 1, {{{1, 1}, kBlue}, {{3, 1}, kHalf}, {{1, 2}, kWhite}, {{2, 2}, kBlack}, {{3, 2}, kSaturated}}},
        {"at the origin", 0, 0, {{{0, 0}, kBlue}, {{2, 0}, kHalf}, {{0, 1}, kWhite}, {{1, 1}, kBlack}, {{2, 1}, kSaturated}}},
        {"hanging off the left and top", -1, -1, {{{0, 0}, kBlack}, {{1, 0}, kSaturated}}},
        {"hanging off the top by one row", 1, -1, {{{1, 0}, kWhite}, {{2, 0}, kBlack}, {{3, 0}, kSaturated}}},
        {"hanging off the left by one column", -1, 1, {{{1, 1}, kHalf}, {{0, 2}, kBlack}, {{1, 2}, kSaturated}}},
        {"hanging off the right", 3, 0, {{{3, 0}, kBlue}, {{3, 1}, kWhite}, {{4, 1}, kBlack}}},
        {"hanging off the bottom", 2, 3, {{{2, 3}, kBlue}, {{4, 3}, kHalf}}},
        {"on the last pixel", 4, 3, {{{4, 3}, kBlue}}},
        {"right of the frame", 5, 0, {}},
        {"below the frame", 0, 4, {}},
        {"left of the frame", -3, 0, {}},
        {"above the frame", 0, -2, {}},
        {"far outside, near the 32-bit limits", INT32_MIN, INT32_MAX, {}},
    };
    for (const auto& row : table) {
        GuardedBuffer frame(kFrameW * kFrameH * 4);
        for (int32_t i = 0; i < kFrameW * kFrameH; i++)
            for (int32_t c = 0; c < 3; c++)
                frame[i * 4 + c] = kBackground[c];

        DrawCursorImage(frame.data(), kFrameW, kFrameH, row.x, row.y, kImage, 3, 2);

        for (int32_t y = 0; y < kFrameH; y++)
            for (int32_t x = 0; x < kFrameW; x++) {
                auto found = row.changed.find({x, y});
                const Colour expected = found == row.changed.end() ? kBackground : found->second;
                const uint8_t* p = &frame[(y * kFrameW + x) * 4];
                EXPECT_EQ((Colour{p[0], p[1], p[2]}), expected) << row.name << ": pixel " << x << "," << y;
                EXPECT_EQ(p[3], 0) << row.name << ": pixel " << x << "," << y;
            }
        EXPECT_TRUE(frame.GuardsIntact()) << row.name << ": written outside the frame";
    }
}

}  // namespace
