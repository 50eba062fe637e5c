#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "encoder/frame_store.h"
#include "image/output_geometry.h"
#include "image/watermark.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "tests/support/fake_capture.h"
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
    EXPECT_EQ(frameStore.records[0].delay, 10 + 49 * 10);

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
    // Ten still ticks: the first frame's delay plus nine extensions, read from
    // the store. At 13 and 15 frames per second the extension rounds (76 ms
    // adds 8, 66 ms adds 7); rates above 100 are recorded at 100, where a
    // duplicate tick still adds a whole hundredth.
    const struct {
        int32_t fps;
        int32_t delay;
    } table[] = {{10, 100}, {13, 80}, {15, 70}, {30, 30}, {100, 11}, {1000, 11}};
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
    // Tick 2 takes three intervals: ticks 3, 4 and 5 start at once, late,
    // and tick 6 is back on the schedule start + 6 x interval.
    ScopedFakeCapture capture;
    capture.fake.onGrab = Script(capture.fake, 7, [](int tick, FakeCapture& fake) {
        if (tick == 2)
            fake.Spend(300);
    });
    const uint32_t start = capture.fake.NowMs();
    StartCapture(0, 0, 16, 16, 10, 0, 0);

    const uint32_t expected[] = {0, 100, 200, 500, 500, 500, 600, 700};
    ASSERT_EQ(capture.fake.grabTimes.size(), 8u);
    for (size_t k = 0; k < 8; k++)
        EXPECT_EQ(capture.fake.grabTimes[k] - start, expected[k]) << "tick " << k;
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
        int32_t fps, interval, delay, extension;
    } table[] = {
        {10, 100, 10, 10}, {11, 90, 9, 9}, {12, 83, 8, 8}, {13, 76, 8, 8}, {15, 66, 7, 7},
        {19, 52, 5, 5},    {23, 43, 4, 4}, {29, 34, 3, 3}, {30, 33, 3, 3}, {100, 10, 2, 1},
        // Rates only /rect can ask for: never an interval of 0.
        {0, 83, 8, 8},     {-4, 83, 8, 8}, {101, 10, 2, 1}, {5000, 10, 2, 1}, {1, 1000, 100, 100},
    };
    for (const auto& row : table) {
        int32_t interval = CaptureInterval(row.fps);
        EXPECT_EQ(interval, row.interval) << row.fps << " fps";
        EXPECT_EQ(DelayFromMs(interval), row.delay) << row.fps << " fps";
        EXPECT_EQ((interval + 5) / 10, row.extension) << row.fps << " fps";
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

}  // namespace
