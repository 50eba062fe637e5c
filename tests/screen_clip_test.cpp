#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "recorder/screen_clip.h"
#include "tests/support/guarded_buffer.h"

namespace {

TEST(ClipToScreen, OnlyThePartOnTheScreenIsCopied)
{
    // A 640 x 480 screen.
    const struct {
        const char* name;
        int32_t x, y, w, h;
        ScreenClip expected;  // screenX, screenY, frameX, frameY, width, height
    } table[] = {
        {"inside", 10, 20, 100, 50, {10, 20, 0, 0, 100, 50}},
        {"from x = 1", 1, 0, 50, 40, {1, 0, 0, 0, 50, 40}},
        {"from y = 1", 0, 1, 50, 40, {0, 1, 0, 0, 50, 40}},
        {"from x = -1 and y = -1", -1, -1, 50, 40, {0, 0, 1, 1, 49, 39}},
        {"ending on the right edge", 590, 0, 50, 40, {590, 0, 0, 0, 50, 40}},
        {"one past the right edge", 591, 0, 50, 40, {591, 0, 0, 0, 49, 40}},
        {"ending on the bottom edge", 0, 440, 50, 40, {0, 440, 0, 0, 50, 40}},
        {"exactly the screen", 0, 0, 640, 480, {0, 0, 0, 0, 640, 480}},
        {"past the right edge", 600, 100, 80, 40, {600, 100, 0, 0, 40, 40}},
        {"past the bottom edge", 5, 450, 20, 100, {5, 450, 0, 0, 20, 30}},
        {"negative x", -30, 10, 100, 50, {0, 10, 30, 0, 70, 50}},
        {"negative x and y", -30, -5, 40, 10, {0, 0, 30, 5, 10, 5}},
        {"larger than the screen on every side", -10, -20, 700, 520, {0, 0, 10, 20, 640, 480}},
        {"one pixel on the screen", -49, -49, 50, 50, {0, 0, 49, 49, 1, 1}},
        {"right of the screen", 640, 0, 50, 50, {}},
        {"below the screen", 0, 480, 50, 50, {}},
        {"left of the screen, ending at its edge", -50, 0, 50, 50, {}},
        {"above the screen, ending at its edge", 0, -50, 50, 50, {}},
        {"on the screen in x only", 10, 500, 50, 50, {}},
        {"ending beyond 32 bits", INT32_MAX - 5, 0, 100, 10, {}},
        {"from the 32-bit minimum, ending left of the screen", INT32_MIN, 0, INT32_MAX, 10, {}},
        // INT32_MIN + 100 + INT32_MAX = 99: the first 99 columns are on it.
        {"from near the 32-bit minimum onto the screen", INT32_MIN + 100, 0, INT32_MAX, 10,
         {0, 0, INT32_MAX - 99, 0, 99, 10}},
    };
    for (const auto& row : table) {
        const ScreenClip clip = ClipToScreen(row.x, row.y, row.w, row.h, 640, 480);
        const ScreenClip& e = row.expected;
        EXPECT_EQ(clip.screenX, e.screenX) << row.name;
        EXPECT_EQ(clip.screenY, e.screenY) << row.name;
        EXPECT_EQ(clip.frameX, e.frameX) << row.name;
        EXPECT_EQ(clip.frameY, e.frameY) << row.name;
        EXPECT_EQ(clip.width, e.width) << row.name;
        EXPECT_EQ(clip.height, e.height) << row.name;

        // The clip drives a copy into a frame of the rectangle's size: it must
        // land inside that frame whatever the rectangle.
        if (static_cast<int64_t>(row.w) * row.h > 1000000)
            continue;
        GuardedBuffer frame(static_cast<size_t>(row.w) * row.h * 4);
        std::vector<uint8_t> image(static_cast<size_t>(clip.width) * clip.height * 4 + 4, 0x11);
        CopyScreenRows(image.data(), static_cast<size_t>(clip.width) * 4, clip, frame.data(), row.w);
        EXPECT_TRUE(frame.GuardsIntact()) << row.name << ": written outside the frame";
    }
}

TEST(CopyScreenRows, TheVisiblePartLandsAtItsPlaceWithTheFourthByteCleared)
{
    // A 3 x 2 screen image with rows padded to 16 bytes, every fourth byte
    // set, copied to (2, 1) of a 6 x 4 frame that is otherwise left alone.
    constexpr int32_t kFrameW = 6, kFrameH = 4;
    const ScreenClip clip = {0, 0, 2, 1, 3, 2};
    uint8_t image[2 * 16];
    for (int i = 0; i < 32; i++)
        image[i] = static_cast<uint8_t>(i * 7 + 1);
    std::vector<uint8_t> frame(kFrameW * kFrameH * 4, 0xEE);

    CopyScreenRows(image, 16, clip, frame.data(), kFrameW);

    for (int32_t y = 0; y < kFrameH; y++)
        for (int32_t x = 0; x < kFrameW; x++)
            for (int32_t c = 0; c < 4; c++) {
                const bool visible = x >= 2 && x < 5 && y >= 1 && y < 3;
                uint8_t expected = 0xEE;
                if (visible)
                    expected = c == 3 ? 0 : image[(y - 1) * 16 + (x - 2) * 4 + c];
                ASSERT_EQ(frame[(y * kFrameW + x) * 4 + c], expected) << "pixel " << x << "," << y << " byte " << c;
            }
}

}  // namespace
