#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "image/changed_area.h"

namespace {

constexpr int32_t W = 9, H = 7;

struct Frames {
    std::vector<uint8_t> prev, next;
    Frames() : prev(W * H * 4), next(W * H * 4)
    {
        for (size_t i = 0; i < prev.size(); i++)
            prev[i] = next[i] = static_cast<uint8_t>(i * 37 + 11);
    }
    // Changes one byte of a pixel; which byte varies so each of the 4 counts.
    void Touch(int32_t x, int32_t y)
    {
        size_t at = (static_cast<size_t>(y) * W + x) * 4 + static_cast<size_t>(x + y) % 4;
        next[at] ^= 1;
    }
};

TEST(FindChangedArea, IsTheSmallestRectangleHoldingEveryChangedPixel)
{
    struct Point { int32_t x, y; };
    const struct {
        const char* what;
        std::vector<Point> touched;
        ChangedArea expected;
    } table[] = {
        {"nothing", {}, {0, 0, 0, 0}},
        {"one pixel", {{4, 3}}, {4, 3, 1, 1}},
        {"top-left corner", {{0, 0}}, {0, 0, 1, 1}},
        {"top-right corner", {{W - 1, 0}}, {W - 1, 0, 1, 1}},
        {"bottom-left corner", {{0, H - 1}}, {0, H - 1, 1, 1}},
        {"bottom-right corner", {{W - 1, H - 1}}, {W - 1, H - 1, 1, 1}},
        {"left edge", {{0, 2}, {3, 4}}, {0, 2, 4, 3}},
        {"right edge", {{W - 1, 5}, {6, 1}}, {6, 1, 3, 5}},
        {"top edge", {{5, 0}, {2, 1}}, {2, 0, 4, 2}},
        {"bottom edge", {{1, H - 1}, {7, H - 2}}, {1, H - 2, 7, 2}},
        {"the whole frame", {{0, 3}, {W - 1, 2}, {4, 0}, {4, H - 1}}, {0, 0, W, H}},
        {"a 1 x N column", {{6, 1}, {6, 5}}, {6, 1, 1, 5}},
        {"an N x 1 row", {{2, 6}, {7, 6}}, {2, 6, 6, 1}},
        {"unchanged rows between changed ones", {{3, 0}, {5, 6}}, {3, 0, 3, 7}},
        {"a diagonal", {{1, 1}, {2, 2}, {3, 3}}, {1, 1, 3, 3}},
    };
    for (const auto& row : table) {
        Frames f;
        for (Point p : row.touched)
            f.Touch(p.x, p.y);
        ChangedArea a = FindChangedArea(f.prev.data(), f.next.data(), W, H);
        EXPECT_EQ(a.left, row.expected.left) << row.what;
        EXPECT_EQ(a.top, row.expected.top) << row.what;
        EXPECT_EQ(a.width, row.expected.width) << row.what;
        EXPECT_EQ(a.height, row.expected.height) << row.what;
    }
}

TEST(FindChangedArea, EveryByteOfAPixelCounts)
{
    for (int byte = 0; byte < 4; byte++) {
        Frames f;
        f.next[(2 * W + 5) * 4 + byte] ^= 0x80;
        ChangedArea a = FindChangedArea(f.prev.data(), f.next.data(), W, H);
        EXPECT_EQ(a.left, 5) << "byte " << byte;
        EXPECT_EQ(a.top, 2) << "byte " << byte;
        EXPECT_EQ(a.width, 1) << "byte " << byte;
        EXPECT_EQ(a.height, 1) << "byte " << byte;
    }
}

TEST(FindChangedArea, RowsAboveTheFirstRowAreTakenAsEqual)
{
    Frames f;
    f.Touch(1, 1);
    f.Touch(6, 4);
    ChangedArea a = FindChangedArea(f.prev.data(), f.next.data(), W, H, 4);
    EXPECT_EQ(a.left, 6);
    EXPECT_EQ(a.top, 4);
    EXPECT_EQ(a.width, 1);
    EXPECT_EQ(a.height, 1);
    EXPECT_EQ(FindChangedArea(f.prev.data(), f.next.data(), W, H, 5).width, 0);
}

// Sparse random changes on odd sizes against the bounding box counted pixel by pixel.
TEST(FindChangedArea, AgreesWithABruteForceBoundingBox)
{
    std::mt19937 rng(17);
    for (int trial = 0; trial < 300; trial++) {
        int32_t w = 1 + static_cast<int32_t>(rng() % 23), h = 1 + static_cast<int32_t>(rng() % 19);
        std::vector<uint8_t> prev(static_cast<size_t>(w) * h * 4), next;
        for (auto& b : prev)
            b = static_cast<uint8_t>(rng());
        next = prev;
        int changes = static_cast<int>(rng() % 5);
        for (int c = 0; c < changes; c++)
            next[rng() % next.size()] ^= static_cast<uint8_t>(1 + rng() % 255);
        int32_t l = w, t = h, r = -1, b = -1;
        for (int32_t y = 0; y < h; y++)
            for (int32_t x = 0; x < w; x++)
                for (int k = 0; k < 4; k++)
                    if (prev[(static_cast<size_t>(y) * w + x) * 4 + k] != next[(static_cast<size_t>(y) * w + x) * 4 + k]) {
                        l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
                    }
        ChangedArea a = FindChangedArea(prev.data(), next.data(), w, h);
        if (r < 0) {
            EXPECT_EQ(a.width, 0) << "trial " << trial;
            EXPECT_EQ(a.height, 0) << "trial " << trial;
            continue;
        }
        EXPECT_EQ(a.left, l) << "trial " << trial;
        EXPECT_EQ(a.top, t) << "trial " << trial;
        EXPECT_EQ(a.width, r - l + 1) << "trial " << trial;
        EXPECT_EQ(a.height, b - t + 1) << "trial " << trial;
    }
}

}  // namespace
