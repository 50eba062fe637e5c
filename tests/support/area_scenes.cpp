#include "tests/support/area_scenes.h"

#include <cstring>

#include "encoder/frame_store.h"
#include "encoder/gif_writer.h"
#include "image/output_geometry.h"
#include "image/resampler.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "tests/support/fake_capture.h"
#include "tests/support/files.h"

const uint8_t kSquareColour[3] = {0, 128, 255};

namespace {

const uint8_t kDesktop[3] = {165, 110, 58};
const uint8_t kBody[3] = {240, 240, 240};
const uint8_t kInk[3] = {40, 30, 30};
const uint8_t kGreen[3] = {0, 200, 0};
const uint8_t kWhite[3] = {255, 255, 255};

void Pixel(FakeCapture& fake, int32_t x, int32_t y, const uint8_t* bgr)
{
    FillScreen(fake, x, y, 1, 1, bgr);
}

constexpr int32_t kW = 96, kH = 64;  // the plain scenes' capture size

}  // namespace

void FillScreen(FakeCapture& fake, int32_t x, int32_t y, int32_t w, int32_t h, const uint8_t* bgr)
{
    for (int32_t row = y < 0 ? 0 : y; row < y + h && row < fake.height; row++)
        for (int32_t column = x < 0 ? 0 : x; column < x + w && column < fake.width; column++) {
            uint8_t* p = &fake.screen[(static_cast<size_t>(row) * fake.width + column) * 4];
            std::memcpy(p, bgr, 3);
            p[3] = 0;
        }
}

void PaintDesktop(FakeCapture& fake)
{
    const int32_t w = fake.width, h = fake.height;
    FillScreen(fake, 0, 0, w, h, kDesktop);
    const int32_t left = 6, top = 5, right = w - 6, bottom = h - 4;
    for (int32_t x = left; x < right; x++) {
        const uint8_t shade = static_cast<uint8_t>(70 + 150 * (x - left) / (right - left));
        const uint8_t title[3] = {200, static_cast<uint8_t>(shade / 2 + 40), static_cast<uint8_t>(shade / 3)};
        FillScreen(fake, x, top, 1, 7, title);
    }
    FillScreen(fake, left, top + 7, right - left, bottom - top - 7, kBody);
    // Lines of text-like strokes: glyph cells of 4 x 5 with a gap.
    for (int32_t line = 0; top + 11 + line * 8 + 5 <= bottom; line++)
        for (int32_t c = 0; left + 4 + c * 5 + 4 <= right - 4; c++) {
            if ((c + line) % 7 == 6)
                continue;  // a space
            for (int32_t cy = 0; cy < 5; cy++)
                for (int32_t cx = 0; cx < 4; cx++) {
                    const uint32_t bits = static_cast<uint32_t>(line * 131 + c * 17) * 2654435761u +
                                          static_cast<uint32_t>(cx * 7 + cy) * 40503u;
                    if (cx == 0 || ((bits ^ (bits >> 13)) & 3) == 0)
                        Pixel(fake, left + 4 + c * 5 + cx, top + 11 + line * 8 + cy, kInk);
                }
        }
}

const std::vector<AreaScene>& AreaScenes()
{
    static const std::vector<AreaScene> scenes = {
        {"a square moving over a still desktop, resting at ticks 4 and 5", kW, kH, 0, 9, false,
         [](int tick, FakeCapture& fake) {
             PaintDesktop(fake);
             const int32_t step = tick < 4 ? tick : tick < 6 ? 3 : tick - 2;
             FillScreen(fake, 10 + 9 * step, 20, 12, 12, kSquareColour);
         },
         // Steps of 9 with a side of 12: old and new square overlap by 3.
         {{10, 20, 21, 12}, {19, 20, 21, 12}, {28, 20, 21, 12}, {37, 20, 21, 12}, {46, 20, 21, 12},
          {55, 20, 21, 12}},
         [](int tick) {
             const int32_t step = tick < 4 ? tick : tick < 6 ? 3 : tick - 2;
             return AreaRect{10 + 9 * step, 20, 12, 12};
         }},
        {"one pixel changes, stays, and changes back", kW, kH, 0, 5, false,
         [](int tick, FakeCapture& fake) {
             PaintDesktop(fake);
             if (tick >= 1 && tick <= 3)
                 Pixel(fake, 40, 30, kGreen);
         },
         {{40, 30, 1, 1}, {40, 30, 1, 1}}, nullptr},
        {"one pixel in each corner in turn", kW, kH, 0, 5, false,
         [](int tick, FakeCapture& fake) {
             PaintDesktop(fake);
             const int32_t corners[4][2] = {{0, 0}, {kW - 1, 0}, {kW - 1, kH - 1}, {0, kH - 1}};
             for (int c = 0; c < 4 && c < tick; c++)
                 Pixel(fake, corners[c][0], corners[c][1], kWhite);
         },
         {{0, 0, 1, 1}, {kW - 1, 0, 1, 1}, {kW - 1, kH - 1, 1, 1}, {0, kH - 1, 1, 1}}, nullptr},
        {"blocks touching each edge in turn, then two opposite corners", kW, kH, 0, 6, false,
         [](int tick, FakeCapture& fake) {
             PaintDesktop(fake);
             // In the text's colour: the last frame is whole again, and a
             // colour of a few pixels in a whole frame may find no palette
             // entry near it, with or without changed areas.
             if (tick >= 1)
                 FillScreen(fake, 0, 20, 3, 5, kInk);
             if (tick >= 2)
                 FillScreen(fake, 40, 0, 6, 2, kInk);
             if (tick >= 3)
                 FillScreen(fake, kW - 4, 30, 4, 4, kInk);
             if (tick >= 4)
                 FillScreen(fake, 10, kH - 3, 7, 3, kInk);
             if (tick >= 5) {
                 Pixel(fake, 0, 0, kInk);
                 Pixel(fake, kW - 1, kH - 1, kInk);
             }
         },
         {{0, 20, 3, 5}, {40, 0, 6, 2}, {kW - 4, 30, 4, 4}, {10, kH - 3, 7, 3}, {0, 0, kW, kH}}, nullptr},
        {"the whole picture changes", kW, kH, 0, 4, false,
         [](int tick, FakeCapture& fake) {
             PaintDesktop(fake);
             if (tick == 1 || tick == 2)  // every pixel at half its brightness
                 for (size_t i = 0; i < fake.screen.size(); i++)
                     if (i % 4 != 3)
                         fake.screen[i] = static_cast<uint8_t>(fake.screen[i] / 2);
         },
         {{0, 0, kW, kH}, {0, 0, kW, kH}}, nullptr},
        {"a 1 x N column, then an N x 1 row", kW, kH, 0, 3, false,
         [](int tick, FakeCapture& fake) {
             PaintDesktop(fake);
             if (tick >= 1)
                 FillScreen(fake, 50, 12, 1, 20, kGreen);
             if (tick >= 2)
                 FillScreen(fake, 30, 5, 30, 1, kGreen);
         },
         {{50, 12, 1, 20}, {30, 5, 30, 1}}, nullptr},
        {"only the cursor moves", kW, kH, 0, 6, true,
         [](int tick, FakeCapture& fake) {
             PaintDesktop(fake);
             const int32_t x[] = {20, 20, 26, 26, 60, 60};
             const int32_t y[] = {15, 15, 19, 19, 40, 40};
             fake.cursor = CursorState{1, x[tick], y[tick]};
         },
         // Between old and new arrow: the outline's corner pixel at the old
         // position to the new arrow's far corner.
         {{20, 15, 14, 16}, {26, 19, 42, 33}}, nullptr},
        {"a square moving over a wider capture recorded 240 wide", 400, 120, 240, 5, false,
         [](int tick, FakeCapture& fake) {
             PaintDesktop(fake);
             FillScreen(fake, 40 + 50 * tick, 50, 30, 30, kSquareColour);
         },
         {}, nullptr},
    };
    return scenes;
}

AreaRecording RecordScene(const AreaScene& scene, int32_t optimize, const std::string& path)
{
    AreaRecording result;
    settings.optimize = optimize;
    settings.cursor = scene.cursor ? 1 : 0;
    std::vector<std::vector<uint8_t>> screens;
    {
        ScopedFakeCapture capture;
        FakeCapture& fake = capture.fake;
        fake.paintCursor = scene.cursor;
        const int ticks = scene.ticks;
        const auto& paint = scene.paint;
        // The screen copy holds the previous tick's picture, cursor included,
        // until this tick paints it.
        fake.onGrab = [&fake, &screens, ticks, &paint](int tick) {
            if (tick > 0)
                screens.push_back(fake.screen);
            paint(tick, fake);
            if (tick == ticks - 1)
                recorderState.stopRequest.store(1);
        };
        StartCapture(0, 0, scene.capW, scene.capH, 10, scene.outw, 0);
        screens.push_back(fake.screen);
        for (const PostedMessage& m : fake.messages)
            if (m.message == kWmRecDone)
                result.doneCount = static_cast<int32_t>(m.wParam);
    }
    result.outWidth = outputGeometry.outWidth;
    result.outHeight = outputGeometry.outHeight;
    for (const std::vector<uint8_t>& screen : screens) {
        if (result.outWidth == scene.capW && result.outHeight == scene.capH) {
            result.pictures.push_back(screen);
            continue;
        }
        std::vector<uint8_t> scaled(static_cast<size_t>(result.outWidth) * result.outHeight * 4);
        ResampleBilinear(screen.data(), scene.capW, scene.capH, scaled.data(), result.outWidth, result.outHeight);
        result.pictures.push_back(std::move(scaled));
    }
    result.storeCount = frameStore.count;
    for (int32_t i = 0; i < frameStore.count; i++) {
        const FrameRecord& r = frameStore.records[i];
        result.storedRects.push_back({r.left, r.top, r.width, r.height});
    }
    if (WriteGif(path.c_str()) == 1)
        result.file = ReadWholeFile(path);
    return result;
}

uint64_t Fingerprint(const std::vector<uint8_t>& bytes)
{
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t byte : bytes) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    return hash;
}
