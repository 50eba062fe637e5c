#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "encoder/frame_store.h"
#include "image/output_geometry.h"
#include "image/watermark.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "encoder/gif_writer.h"
#include "tests/support/allocation_fault.h"
#include "tests/support/fake_capture.h"
#include "tests/support/files.h"
#include "tests/support/gif_frames.h"
#include "tests/support/recording_fixture.h"
#include "tests/support/reference_lzw.h"
#include "tests/support/synthetic_frames.h"

namespace {

class CaptureTest : public RecordingTest {
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        settings.cursor = 0;
    }

    // Paints tick t's content, and asks for a stop at the end of tick stopAt.
    static std::function<void(int)> Script(FakeCapture& fake, int stopAt,
                                           std::function<void(int, FakeCapture&)> paint = nullptr)
    {
        return [&fake, stopAt, paint](int tick) {
            if (paint)
                paint(tick, fake);
            if (tick == stopAt)
                recorderState.stopRequest.store(1);
        };
    }
};

TEST_F(CaptureTest, AStillScreenIsOneFrameWhoseDelayCoversTheRecording)
{
    ScopedFakeCapture capture;
    capture.fake.onGrab = Script(capture.fake, 49);
    StartCapture(10, 20, 120, 80, 10, 0, 0);

    EXPECT_EQ(recorderState.recording.load(), 0);
    EXPECT_EQ(capture.fake.grabTimes.size(), 50u);
    ASSERT_EQ(frameStore.count, 1);
    EXPECT_EQ(frameStore.records[0].delay, 500);

    std::vector<PostedMessage> progress = MessagesOf(capture.fake, kWmRecProgress);
    ASSERT_EQ(progress.size(), 6u);  // after ticks 8, 16, ..., 48
    for (size_t i = 0; i < progress.size(); i++) {
        EXPECT_EQ(progress[i].wParam, 1u);
        EXPECT_EQ(progress[i].lParam, static_cast<intptr_t>((i + 1) * 8 * 100 - 100)) << "progress " << i;
    }
    ASSERT_EQ(capture.fake.messages.back().message, kWmRecDone);
    EXPECT_EQ(capture.fake.messages.back().wParam, 1u);
    EXPECT_EQ(MessagesOf(capture.fake, kWmRecDone).size(), 1u);
    EXPECT_EQ(capture.fake.periodsBegun, 1);
    EXPECT_EQ(capture.fake.periodsEnded, 1);
    EXPECT_EQ(capture.fake.closes, 1);
}

TEST_F(CaptureTest, AStillScreenPlaysForTheTimeItWasRecorded)
{
    // Ten still ticks, read from the store: ten intervals in hundredths,
    // unrounded per tick (13 frames per second is 76 ms, 15 is 66 ms, 30 is
    // 33 ms). Rates above 100 are recorded at 100.
    const struct {
        int32_t fps;
        int32_t delay;
    } table[] = {{10, 100}, {13, 76}, {15, 66}, {30, 33}, {100, 10}, {1000, 10}};
    for (const auto& row : table) {
        ClearFrames();
        ScopedFakeCapture capture;
        capture.fake.onGrab = Script(capture.fake, 9);
        StartCapture(0, 0, 16, 16, row.fps, 0, 0);
        ASSERT_EQ(frameStore.count, 1) << row.fps << " fps";
        EXPECT_EQ(frameStore.records[0].delay, row.delay) << row.fps << " fps";
    }
}

TEST_F(CaptureTest, ARunningRecordingKeepsTheRateAndWidthItStartedWith)
{
    // The settings window may change the rate and the output width during a
    // recording; they apply from the next one. The recording's own values
    // are the ones StartCapture was given, whatever the settings say.
    settings.fps = 25;
    settings.outw = 240;
    ScopedFakeCapture capture;
    capture.fake.onGrab = Script(capture.fake, 5, [](int tick, FakeCapture& fake) {
        std::memset(fake.screen.data(), 20 * tick, fake.screen.size());
        if (tick == 2) {
            settings.fps = 30;
            settings.outw = 240;
        }
    });
    StartCapture(0, 0, 64, 48, 10, 0, 0);

    EXPECT_EQ(outputGeometry.outWidth, 64);
    EXPECT_EQ(outputGeometry.outHeight, 48);
    ASSERT_EQ(capture.fake.grabTimes.size(), 6u);
    for (size_t i = 1; i < capture.fake.grabTimes.size(); i++)
        EXPECT_EQ(capture.fake.grabTimes[i] - capture.fake.grabTimes[i - 1], 100u) << "tick " << i;
    EXPECT_EQ(frameStore.count, 6);
}

TEST_F(CaptureTest, TheWatermarkIsBlendedIntoEveryRecordedFrame)
{
    // A grey screen of 100 x 40 under a watermark file: the frame handed to
    // the encoder carries the mark's opaque pixel at (0, 0) exactly and the
    // screen beyond the mark's 60 columns.
    ASSERT_EQ(LoadWatermarkFile(PIXLO_FIXTURES "/png/rgba.png"), 1);
    const uint8_t* mark = watermarkImage.pixels;
    ASSERT_EQ(mark[3], 255) << "the fixture's first pixel is opaque";
    ScopedFakeCapture capture;
    capture.fake.onGrab = Script(capture.fake, 0, [](int, FakeCapture& fake) {
        std::memset(fake.screen.data(), 128, fake.screen.size());
    });
    StartCapture(0, 0, 100, 40, 10, 0, 1);
    ASSERT_EQ(frameStore.count, 1);
    const uint8_t* frame = recorderState.prevFrame;
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(frame, frame + 3), std::vector<uint8_t>(mark, mark + 3));
    const uint8_t* beyond = frame + (10 * 100 + 60) * 4;
    EXPECT_EQ(std::vector<uint8_t>(beyond, beyond + 4), std::vector<uint8_t>(4, 128));
    int changed = 0;
    for (int32_t y = 0; y < 40; y++)
        for (int32_t x = 0; x < 60; x++)
            changed += std::memcmp(frame + (y * 100 + x) * 4, beyond, 3) != 0;
    EXPECT_GT(changed, 60 * 10 / 2) << "the mark covers its corner";
}

TEST_F(CaptureTest, TicksFollowAFixedScheduleAndCatchUpAfterASlowTick)
{
    // Tick 2 takes `spend` ms. The loop sleeps to 1 ms before the tick is due
    // and spins the rest, and does not sleep when less than 3 ms are left.
    // 300: ticks 3, 4 and 5 start at once, late, and tick 6 is back on the
    // schedule start + 6 x interval. 97 leaves 3 ms (a sleep of 2), 98 leaves
    // 2 ms (a spin only).
    const struct {
        uint32_t spend;
        std::vector<uint32_t> grabs;
        std::vector<uint32_t> sleeps;
    } table[] = {
        {300, {0, 100, 200, 500, 500, 500, 600, 700}, {99, 99, 99, 99}},
        {97, {0, 100, 200, 300, 400, 500, 600, 700}, {99, 99, 2, 99, 99, 99, 99}},
        {98, {0, 100, 200, 300, 400, 500, 600, 700}, {99, 99, 99, 99, 99, 99}},
    };
    for (const auto& row : table) {
        ClearFrames();
        ScopedFakeCapture capture;
        const uint32_t spend = row.spend;
        capture.fake.onGrab = Script(capture.fake, 7, [spend](int tick, FakeCapture& fake) {
            if (tick == 2)
                fake.Spend(spend);
        });
        const uint32_t start = capture.fake.NowMs();
        StartCapture(0, 0, 16, 16, 10, 0, 0);

        std::vector<uint32_t> grabs;
        for (uint32_t t : capture.fake.grabTimes)
            grabs.push_back(t - start);
        EXPECT_EQ(grabs, row.grabs) << "tick 2 spends " << spend;
        EXPECT_EQ(capture.fake.sleeps, row.sleeps) << "tick 2 spends " << spend;
    }
}

TEST_F(CaptureTest, FrameDelaysAddUpToTheTimeTheTicksReallyTook)
{
    // Ticks in `fresh` show a new picture; tick `late` spends `spend` ms, so
    // the ticks after it start late until the schedule catches up. Each
    // frame ends where the next new frame's tick really started, rounded to
    // hundredths from the first tick; the last tick stands for one interval.
    //  13 fps, 76 ms, all new, on time: ends 76 152 228 304 380 456.
    //  15 fps, 66 ms, tick 2 late by 100: ticks at 0 66 132 232 264 330,
    //    ends 66 132 232 264 330 396.
    //  30 fps, 33 ms, tick 1 late by 50: ticks at 0 33 83 99 132 165 198 231;
    //    new at 0 1 2 5: ends 33 83 165 264.
    //  100 fps, 10 ms, four new pictures then four still ticks: ticks 1 and
    //    3 would end a frame after 1 hundredth, so they are not stored; tick
    //    2 carries tick 1's change, tick 4 (still, but not yet stored) tick
    //    3's: ends 20 40 80.
    //  100 fps, tick 2 late by 25, all new: ticks at 0 10 20 45 45 50 60 70;
    //    10 45(the second) 50 60 are too soon: stored 0 20 45 70, ends 20
    //    45 70, and the last one gets the floor (80 would give it 1).
    //  60 fps, 16 ms, all new on time: ticks at 0 16 32 48 64 80 96 112;
    //    32 64 112 too soon: stored 0 16 48 80 96, and 112 as the last
    //    picture: ends 20 50 80 100, then the floor twice.
    //  60 fps, tick 1 late by 30, all new: ticks at 0 16 46 48 64 80; 48
    //    and 64 too soon: ends 20 50 80 100.
    //  25 fps, 40 ms, on time: whole hundredths, as without the carry.
    //  25 fps, the last tick takes 100 ms: the last frame lasts until the
    //    stop is seen, 160 + 100, not one interval.
    const struct {
        int32_t fps;
        int ticks;
        std::vector<int> fresh;
        int late;
        uint32_t spend;
        std::vector<int32_t> delays;
    } table[] = {
        {13, 6, {0, 1, 2, 3, 4, 5}, -1, 0, {8, 7, 8, 7, 8, 8}},
        {15, 6, {0, 1, 2, 3, 4, 5}, 2, 100, {7, 6, 10, 3, 7, 7}},
        {30, 8, {0, 1, 2, 5}, 1, 50, {3, 5, 9, 9}},
        {100, 8, {0, 1, 2, 3}, -1, 0, {2, 2, 4}},
        {100, 8, {0, 1, 2, 3, 4, 5, 6, 7}, 2, 25, {2, 3, 2, 2}},
        {60, 8, {0, 1, 2, 3, 4, 5, 6, 7}, -1, 0, {2, 3, 3, 2, 2, 2}},
        {60, 6, {0, 1, 2, 3, 4, 5}, 1, 30, {2, 3, 3, 2}},
        {25, 5, {0, 1}, -1, 0, {4, 16}},
        {25, 5, {0, 1, 2, 3, 4}, 4, 100, {4, 4, 4, 4, 10}},
    };
    for (const auto& row : table) {
        ClearFrames();
        ScopedFakeCapture capture;
        const auto* r = &row;
        capture.fake.onGrab = Script(capture.fake, row.ticks - 1, [r](int tick, FakeCapture& fake) {
            for (int t : r->fresh)
                if (t == tick)
                    fake.screen[0] = static_cast<uint8_t>(tick + 1);
            if (tick == r->late)
                fake.Spend(r->spend);
        });
        StartCapture(0, 0, 16, 16, row.fps, 0, 0);
        std::vector<int32_t> delays;
        for (int32_t i = 0; i < frameStore.count; i++)
            delays.push_back(frameStore.records[i].delay);
        EXPECT_EQ(delays, row.delays) << row.fps << " fps";
    }
}

TEST_F(CaptureTest, LongRecordingsOfNewFramesPlayForTheirRecordedTime)
{
    // Every tick new: 61 ticks of 66 ms are 4026 ms, 121 ticks of 33 ms are
    // 3993 ms, 401 ticks of 76 ms are 30476 ms. Above 50 frames per second
    // a GIF cannot show every tick: 500 ticks of 10 ms (5000 ms) keep every
    // second one, 600 ticks of 16 ms (9600 ms) three in five, and the
    // time stays, but for the floor of the last frames (up to 2 hundredths).
    const struct {
        int32_t fps;
        int ticks;
        int32_t frames, total, shortest, longest;
    } table[] = {
        {15, 61, 61, 403, 6, 7},
        {30, 121, 121, 399, 3, 4},
        {13, 401, 401, 3048, 7, 8},
        {100, 500, 251, 502, 2, 2},
        {60, 600, 361, 961, 2, 3},
    };
    for (const auto& row : table) {
        ClearFrames();
        ScopedFakeCapture capture;
        capture.fake.onGrab = Script(capture.fake, row.ticks - 1, [](int tick, FakeCapture& fake) {
            fake.screen[0] = static_cast<uint8_t>(tick);
            fake.screen[1] = static_cast<uint8_t>(tick >> 8);
        });
        StartCapture(0, 0, 16, 16, row.fps, 0, 0);
        ASSERT_EQ(frameStore.count, row.frames) << row.fps << " fps";
        int32_t total = 0, shortest = INT32_MAX, longest = 0;
        for (int32_t i = 0; i < frameStore.count; i++) {
            const int32_t delay = frameStore.records[i].delay;
            total += delay;
            shortest = delay < shortest ? delay : shortest;
            longest = delay > longest ? delay : longest;
        }
        EXPECT_EQ(total, row.total) << row.fps << " fps";
        EXPECT_EQ(shortest, row.shortest) << row.fps << " fps";
        EXPECT_EQ(longest, row.longest) << row.fps << " fps";
    }
}

TEST_F(CaptureTest, AStopBeforeTheFirstTickRecordsNothing)
{
    ScopedFakeCapture capture;
    captureApi.startThread = [] {
        recorderState.stopRequest.store(1);
        CaptureThreadProc();
        return 1;
    };
    StartCapture(0, 0, 32, 32, 10, 0, 0);
    EXPECT_TRUE(capture.fake.grabTimes.empty());
    EXPECT_EQ(frameStore.count, 0);
    ASSERT_EQ(capture.fake.messages.size(), 1u);
    EXPECT_EQ(capture.fake.messages[0].message, kWmRecDone);
    EXPECT_EQ(capture.fake.messages[0].wParam, 0u);
    EXPECT_EQ(recorderState.recording.load(), 0);
}

TEST_F(CaptureTest, EveryByteCountsInTheDuplicateTest)
{
    // An all-zero first frame equals the zero-filled previous frame and is
    // still encoded; a change in nothing but the fourth byte is a new frame.
    ScopedFakeCapture capture;
    capture.fake.onGrab = Script(capture.fake, 3, [](int tick, FakeCapture& fake) {
        if (tick == 2)
            fake.screen[4 * 7 + 3] = 1;
    });
    StartCapture(0, 0, 24, 10, 10, 0, 0);
    ASSERT_EQ(frameStore.count, 2);
    EXPECT_EQ(frameStore.records[0].delay, 20);  // ticks 0 and 1
    EXPECT_EQ(frameStore.records[1].delay, 20);  // ticks 2 and 3
}

TEST_F(CaptureTest, TheCursorIsDrawnWithinA47PixelMarginLeftAndAbove)
{
    const struct {
        int32_t x, y;
        bool drawn;
    } table[] = {
        {100 - 47, 120, true}, {100 - 48, 120, false}, {120, 100 - 47, true}, {120, 100 - 48, false},
        {100 + 64, 120, false},  // dx = capW
        {120, 100 + 48, false},  // dy = capH
        {100 + 63, 100 + 47, true},
    };
    for (const auto& row : table) {
        ClearFrames();
        settings.cursor = 1;
        ScopedFakeCapture capture;
        capture.fake.cursor = {1, row.x, row.y};
        capture.fake.onGrab = Script(capture.fake, 0);
        StartCapture(100, 100, 64, 48, 10, 0, 0);
        ASSERT_EQ(capture.fake.cursorDraws.size(), row.drawn ? 1u : 0u) << row.x << "," << row.y;
        if (row.drawn) {
            EXPECT_EQ(capture.fake.cursorDraws[0].first, row.x - 100);
            EXPECT_EQ(capture.fake.cursorDraws[0].second, row.y - 100);
        }
    }
}

TEST_F(CaptureTest, TheCursorSettingIsReadAtEveryTick)
{
    ScopedFakeCapture capture;
    capture.fake.cursor = {1, 5, 5};
    capture.fake.onGrab = Script(capture.fake, 5, [](int tick, FakeCapture& fake) {
        if (tick == 3)
            settings.cursor = 1;  // as the settings window would, mid-recording
        if (tick == 4)
            fake.cursor.showing = 0;  // hidden: not drawn
    });
    StartCapture(0, 0, 32, 32, 10, 0, 0);
    EXPECT_EQ(capture.fake.cursorDrawTicks, (std::vector<int>{3}));

    ClearFrames();
    settings.cursor = 1;
    captureApi.cursorState = nullptr;  // a platform that cannot report the cursor
    capture.fake.onGrab = Script(capture.fake, 1);
    capture.fake.cursorDraws.clear();
    StartCapture(0, 0, 32, 32, 10, 0, 0);
    EXPECT_TRUE(capture.fake.cursorDraws.empty());
}

TEST_F(CaptureTest, AnOddCaptureAtItsOwnWidthIsResampledToAnEvenHeight)
{
    ScopedFakeCapture capture;
    capture.fake.onGrab = Script(capture.fake, 0, [](int, FakeCapture& fake) {
        std::vector<uint8_t> content = ScreenLikeFrame(641, 479, 1);
        std::memcpy(fake.screen.data(), content.data(), content.size());
    });
    StartCapture(0, 0, 641, 479, 10, 0, 0);
    EXPECT_EQ(outputGeometry.outWidth, 641);
    EXPECT_EQ(outputGeometry.outHeight, 478);
    ASSERT_EQ(frameStore.count, 1);
    std::vector<uint8_t> indices;
    ASSERT_TRUE(ReferenceLzwDecode(frameStore.records[0].data, static_cast<size_t>(frameStore.records[0].length),
                                   641 * 478, &indices, nullptr));
    EXPECT_EQ(indices.size(), 641u * 478u);
}

TEST(CaptureInterval, FrameRatesGiveWholeMillisecondIntervalsAndDelays)
{
    const struct {
        int32_t fps, interval, delay;
    } table[] = {
        {10, 100, 10}, {11, 90, 9}, {12, 83, 8}, {13, 76, 8}, {15, 66, 7},
        {19, 52, 5},   {23, 43, 4}, {29, 34, 3}, {30, 33, 3}, {100, 10, 2},
        // Rates only /rect can ask for: never an interval of 0.
        {0, 83, 8},    {-4, 83, 8}, {101, 10, 2}, {5000, 10, 2}, {1, 1000, 100},
    };
    for (const auto& row : table) {
        int32_t interval = CaptureInterval(row.fps);
        EXPECT_EQ(interval, row.interval) << row.fps << " fps";
        EXPECT_EQ(DelayFromMs(interval), row.delay) << row.fps << " fps";
    }
}

TEST_F(CaptureTest, FailuresEndTheRecordingCleanlyWithOneDoneMessage)
{
    const struct {
        const char* what;
        int32_t w, h;
        bool failOpen, failThread;
    } table[] = {
        {"no screen copy", 64, 64, true, false},
        {"frame buffers too large for 32-bit sizes", 60000, 60000, false, false},
        {"no thread", 64, 64, false, true},
    };
    for (const auto& row : table) {
        ClearFrames();
        ScopedFakeCapture capture;
        capture.fake.failOpen = row.failOpen;
        capture.fake.failThread = row.failThread;
        StartCapture(0, 0, row.w, row.h, 12, 0, 0);
        EXPECT_EQ(recorderState.recording.load(), 0) << row.what;
        EXPECT_TRUE(capture.fake.grabTimes.empty()) << row.what;
        EXPECT_EQ(frameStore.count, 0) << row.what;
        ASSERT_EQ(capture.fake.messages.size(), 1u) << row.what;
        EXPECT_EQ(capture.fake.messages[0].message, kWmRecDone) << row.what;
        EXPECT_EQ(capture.fake.closes, row.failThread ? 0 : 1) << row.what;
    }
}

TEST_F(CaptureTest, AFrameRefusedForWantOfMemoryIsCarriedByTheNextTick)
{
    // A white block moves on black for five ticks, then the screen stays
    // still for five. Each run refuses one allocation of the recording, at
    // every point it makes one, in both storing modes. A refused frame must
    // neither be timed nor become the picture the next tick is compared
    // with: the next tick stores the change instead, so the file still ends
    // on the screen's last picture and plays for the recorded second.
    constexpr int32_t kW = 40, kH = 8, kTicks = 10;
    const auto paint = [](int tick, FakeCapture& fake) {
        if (tick > 4)
            return;
        std::fill(fake.screen.begin(), fake.screen.end(), 0);
        for (int32_t y = 0; y < kH; y++)
            for (int32_t x = tick * 8; x < tick * 8 + 8; x++)
                std::memset(&fake.screen[(static_cast<size_t>(y) * kW + x) * 4], 255, 3);
    };
    for (int32_t optimize : {0, 1}) {
        settings.optimize = optimize;
        int allocations = 0;
        {
            ClearFrames();
            ScopedFakeCapture capture;
            capture.fake.onGrab = Script(capture.fake, kTicks - 1, paint);
            ScopedAllocationFault counting(0);
            StartCapture(0, 0, kW, kH, 10, 0, 0);
            allocations = counting.calls();
        }
        ASSERT_GT(allocations, 3) << "optimize=" << optimize;
        for (int failAt = 1; failAt <= allocations; failAt++) {
            const std::string where = "optimize=" + std::to_string(optimize) + ", allocation " +
                                      std::to_string(failAt) + " refused";
            ClearFrames();
            ScopedFakeCapture capture;
            capture.fake.onGrab = Script(capture.fake, kTicks - 1, paint);
            std::vector<uint8_t> lastScreen;
            {
                ScopedAllocationFault fault(failAt);
                StartCapture(0, 0, kW, kH, 10, 0, 0);
                lastScreen = capture.fake.screen;
            }
            // Without its frame buffers the recording ends before a tick.
            if (frameStore.count == 0)
                continue;
            const std::string path = ScratchPath("refused.gif");
            ASSERT_TRUE(WriteGif(path.c_str())) << where;
            GifAnimation gif;
            std::string error;
            ASSERT_TRUE(ReadGifAnimation(ReadWholeFile(path), &gif, &error)) << where << ": " << error;
            int32_t total = 0;
            for (const GifImage& image : gif.images)
                total += image.delay;
            EXPECT_EQ(total, kTicks * 10) << where;
            const std::vector<uint8_t> shown = ComposeGifPictures(gif).back();
            // Stored with their own colours, changed areas give the screen
            // back exactly; whole frames go through the learned palette,
            // which may move white by a level or two. A stale block is 255
            // off.
            const int tolerance = optimize ? 0 : 8;
            int32_t wrong = 0;
            for (size_t i = 0; i < shown.size(); i += 4)
                for (int c = 0; c < 3; c++)
                    wrong += std::abs(shown[i + c] - lastScreen[i + c]) > tolerance;
            EXPECT_EQ(wrong, 0) << where << ": pixels of the last picture differ from the screen";
        }
    }
}

}  // namespace
