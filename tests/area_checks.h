#pragma once
// What a recording with changed areas must look like once a decoder has
// read it, shared by the tests that read the file with the reference reader
// and with giflib.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/area_colours.h"
#include "tests/support/area_scenes.h"
#include "tests/support/gif_frames.h"

// The most a composed pixel may differ from the screen in any channel.
// Every area of these scenes holds few colours and comes back exact, but
// a resampled capture blends edges into many: those areas are mapped to
// their nearest entries, measured within 20. 96 leaves a margin and stays
// below half the smallest contrast (197) between the moving square and
// anything under it, so a stale, missing or misplaced rectangle cannot
// pass as quantizer error.
constexpr int kAreaTolerance = 96;

namespace area_checks {

inline AreaRect ChangedBox(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int32_t w, int32_t h)
{
    int32_t left = w, top = h, right = -1, bottom = -1;
    for (int32_t y = 0; y < h; y++)
        for (int32_t x = 0; x < w; x++) {
            const size_t at = (static_cast<size_t>(y) * w + x) * 4;
            if (a[at] != b[at] || a[at + 1] != b[at + 1] || a[at + 2] != b[at + 2] || a[at + 3] != b[at + 3]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    if (right < 0)
        return {0, 0, 0, 0};
    return {left, top, right - left + 1, bottom - top + 1};
}

inline std::string Describe(const AreaRect& r)
{
    return std::to_string(r.width) + " x " + std::to_string(r.height) + " at (" + std::to_string(r.left) + ", " +
           std::to_string(r.top) + ")";
}

// Largest channel difference between an R, G, B, A picture and a B, G, R, X one.
inline int ChannelError(const uint8_t* rgba, const uint8_t* bgrx)
{
    int worst = 0;
    for (int c = 0; c < 3; c++)
        worst = std::max(worst, std::abs(rgba[c] - bgrx[2 - c]));
    return worst;
}

inline int Distance(const uint8_t* rgba, const uint8_t* bgr)
{
    int sum = 0;
    for (int c = 0; c < 3; c++)
        sum += (rgba[c] - bgr[2 - c]) * (rgba[c] - bgr[2 - c]);
    return sum;
}

}  // namespace area_checks

// Every check on one decoded recording; `who` names the decoder in messages.
inline void ExpectRecordingShowsTheScreen(const AreaScene& scene, const AreaRecording& rec,
                                          const GifAnimation& gif, const std::string& who)
{
    using namespace area_checks;
    const std::string where = who + ", " + scene.name;
    const int32_t w = rec.outWidth, h = rec.outHeight;
    const size_t pixels = static_cast<size_t>(w) * h;
    ASSERT_EQ(gif.width, w) << where;
    ASSERT_EQ(gif.height, h) << where;

    // A stored frame for the first tick and for every tick whose picture
    // differs from the one before; the counts all agree.
    std::vector<int> stored = {0};
    for (size_t t = 1; t < rec.pictures.size(); t++)
        if (rec.pictures[t] != rec.pictures[t - 1])
            stored.push_back(static_cast<int>(t));
    ASSERT_EQ(rec.pictures.size(), static_cast<size_t>(scene.ticks)) << where;
    ASSERT_EQ(gif.images.size(), stored.size()) << where;
    EXPECT_EQ(rec.storeCount, static_cast<int32_t>(stored.size())) << where;
    EXPECT_EQ(rec.doneCount, rec.storeCount) << where << ": the end message counts the stored frames";

    for (size_t i = 0; i < stored.size(); i++) {
        const GifImage& image = gif.images[i];
        const AreaRect rect{image.left, image.top, image.width, image.height};
        const AreaRect expected = i == 0 ? AreaRect{0, 0, w, h}
                                         : ChangedBox(rec.pictures[stored[i - 1]], rec.pictures[stored[i]], w, h);
        EXPECT_EQ(rect, expected) << where << ", frame " << i << ": " << Describe(rect) << ", the screen changed in "
                                  << Describe(expected);
        if (i > 0 && !scene.rectangles.empty() && i - 1 < scene.rectangles.size()) {
            EXPECT_EQ(rect, scene.rectangles[i - 1]) << where << ", frame " << i << ": " << Describe(rect);
        }
        EXPECT_EQ(image.disposal, 1) << where << ", frame " << i << ": left in place";
        // Without a transparent index the rectangle shows its own colours
        // (area_colours.h); the first frame is whole, with the learned
        // palette, when the recording stores whole frames, which these
        // scenes do not.
        if (!image.transparent && rect == expected) {
            const std::vector<uint8_t>& screen = rec.pictures[stored[i]];
            std::vector<uint8_t> cut;
            for (int32_t y = rect.top; y < rect.top + rect.height; y++)
                cut.insert(cut.end(), screen.begin() + (static_cast<long>(y) * w + rect.left) * 4,
                           screen.begin() + (static_cast<long>(y) * w + rect.left + rect.width) * 4);
            EXPECT_EQ(AreaColoursFault(image.palette.data(), static_cast<int32_t>(image.palette.size() / 3),
                                       image.indices, cut),
                      "")
                << where << ", frame " << i;
        }
        // Still ticks lengthen the frame before them, 10 hundredths each.
        const int next = i + 1 < stored.size() ? stored[i + 1] : scene.ticks;
        EXPECT_EQ(image.delay, 10 * (next - stored[i])) << where << ", frame " << i;
    }
    if (!scene.rectangles.empty()) {
        EXPECT_EQ(scene.rectangles.size() + 1, stored.size()) << where;
    }

    const std::vector<std::vector<uint8_t>> composed = ComposeGifPictures(gif);
    std::vector<bool> still(pixels, true);  // never changed on the screen
    for (const std::vector<uint8_t>& picture : rec.pictures)
        for (size_t p = 0; p < pixels; p++)
            if (std::memcmp(&picture[p * 4], &rec.pictures[0][p * 4], 4) != 0)
                still[p] = false;

    for (size_t i = 0; i < stored.size(); i++) {
        const GifImage& image = gif.images[i];
        const std::vector<uint8_t>& shown = composed[i];
        const std::vector<uint8_t>& screen = rec.pictures[stored[i]];
        int worst = 0, unpainted = 0, trail = 0, hole = 0, recoloured = 0, misplaced = 0;
        size_t worstAt = 0;
        const AreaRect square = scene.square ? scene.square(stored[i]) : AreaRect{0, 0, 0, 0};
        for (size_t p = 0; p < pixels; p++) {
            const uint8_t* s = &shown[p * 4];
            if (s[3] != 255) {
                unpainted++;
                continue;
            }
            const int error = ChannelError(s, &screen[p * 4]);
            if (error > worst) {
                worst = error;
                worstAt = p;
            }
            // A pixel that never changed keeps its colour, except where a
            // rectangle without a transparent index paints it again: the
            // rectangle's own palette may give it another colour within the
            // bound. With a transparent index it must be left alone.
            if (i > 0 && still[p] && std::memcmp(s, &composed[i - 1][p * 4], 3) != 0) {
                const int32_t x = static_cast<int32_t>(p % w), y = static_cast<int32_t>(p / w);
                const bool painted = x >= image.left && x < image.left + image.width && y >= image.top &&
                                     y < image.top + image.height;
                if (!painted || image.transparent)
                    recoloured++;
            }
            if (scene.square) {
                const int32_t x = static_cast<int32_t>(p % w), y = static_cast<int32_t>(p / w);
                const bool inside = x >= square.left && x < square.left + square.width && y >= square.top &&
                                    y < square.top + square.height;
                // Outside the square a pixel nearer the square's colour than
                // the screen's own is a trail; inside, one far from it a hole.
                const uint8_t* own = &screen[p * 4];
                if (!inside && Distance(s, kSquareColour) < Distance(s, own))
                    trail++;
                const uint8_t squareBgrx[4] = {kSquareColour[0], kSquareColour[1], kSquareColour[2], 0};
                if (inside && ChannelError(s, squareBgrx) > kAreaTolerance)
                    hole++;
                if (inside && std::memcmp(own, kSquareColour, 3) != 0)
                    misplaced++;
            }
        }
        EXPECT_EQ(unpainted, 0) << where << ", frame " << i << ": pixels no frame has painted";
        EXPECT_LE(worst, kAreaTolerance) << where << ", frame " << i << ": pixel (" << worstAt % w << ", "
                                         << worstAt / w << ") is off by " << worst;
        EXPECT_EQ(recoloured, 0) << where << ", frame " << i << ": pixels that never changed on the screen "
                                 << "took another colour where nothing painted them again";
        EXPECT_EQ(trail, 0) << where << ", frame " << i << ": pixels left showing the square";
        EXPECT_EQ(hole, 0) << where << ", frame " << i << ": square pixels not showing it";
        EXPECT_EQ(misplaced, 0) << where << ", frame " << i << ": the scene's square is not where it says";
    }
}
