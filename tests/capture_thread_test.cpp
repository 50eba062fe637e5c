// A recording on its real thread while the UI thread changes the settings,
// as the settings window may. Run under ThreadSanitizer (the tsan build) it
// shows that the capture thread reads no setting the window writes, except
// the cursor switch, which both sides access atomically.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <cstring>
#include <vector>

#include "encoder/frame_store.h"
#include "image/output_geometry.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "tests/support/recording_fixture.h"

namespace {

std::vector<uint8_t> screen;
uint8_t shade = 0;

uint8_t* OpenScreen(int32_t, int32_t, int32_t w, int32_t h)
{
    screen.assign(static_cast<size_t>(w) * h * 4, 0);
    return screen.data();
}

// Every grab a new picture, so every tick encodes.
void GrabScreen()
{
    std::memset(screen.data(), ++shade, screen.size());
}

void Nothing() {}

// A grab that holds its tick until the test lets it go, or 5 s have passed.
std::atomic<int> tickHeld{0};
std::atomic<int> tickReleased{0};
std::atomic<int> tickGaveUp{0};

void HeldGrab()
{
    tickHeld.store(1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!tickReleased.load()) {
        if (std::chrono::steady_clock::now() > deadline) {
            tickGaveUp.store(1);
            break;
        }
        std::this_thread::yield();
    }
}

// The platform's real clock, sleep and thread, with a fake screen whose
// grab is given; the platform's table comes back after each test.
class CaptureThreadTest : public RecordingTest {
protected:
    void UseFakeScreen(void (*grab)())
    {
        saved = captureApi;
        captureApi.openScreen = OpenScreen;
        captureApi.grabScreen = grab;
        captureApi.closeScreen = Nothing;
        captureApi.cursorState = nullptr;
    }
    void TearDown() override
    {
        captureApi = saved;
        RecordingTest::TearDown();
    }

private:
    CaptureApi saved = captureApi;
};

TEST_F(CaptureThreadTest, SettingsChangedDuringARecordingDoNotReachIt)
{
    UseFakeScreen(GrabScreen);

    settings.fps = 10;
    settings.outw = 360;
    StartCapture(0, 0, 48, 32, 100, 0, 0);
    for (int i = 0; i < 200 && recorderState.recording.load() == 1; i++) {
        settings.fps = 10 + i % 21;
        settings.outw = i % 2 ? 240 : 360;
        std::atomic_ref<int32_t>(settings.cursor).store(i % 2, std::memory_order_relaxed);
        captureApi.sleep(1);
    }
    recorderState.stopRequest.store(1);
    for (int waited = 0; waited < 5000 && recorderState.recording.load() == 1; waited += 10)
        captureApi.sleep(10);
    ASSERT_EQ(recorderState.recording.load(), 0) << "the recording did not end within 5 s of the stop request";
    if (recorderState.thread)
        captureApi.waitThread(5000);

    EXPECT_EQ(outputGeometry.outWidth, 48);
    EXPECT_EQ(outputGeometry.outHeight, 32);
    EXPECT_GE(frameStore.count, 1);
}

// A wait with a limit returns at the limit while the thread is still inside
// a tick, and keeps the handle for a later wait; the wait without a limit
// then takes the thread up.
TEST_F(CaptureThreadTest, AWaitWithALimitEndsAtTheLimit)
{
    UseFakeScreen(HeldGrab);
    tickHeld.store(0);
    tickReleased.store(0);
    tickGaveUp.store(0);

    StartCapture(0, 0, 16, 16, 10, 0, 0);
    while (!tickHeld.load())
        std::this_thread::yield();
    recorderState.stopRequest.store(1);
    captureApi.waitThread(50);
    EXPECT_EQ(tickGaveUp.load(), 0) << "the wait of 50 ms lasted until the tick gave up after 5 s";
    EXPECT_EQ(recorderState.recording.load(), 1);
    EXPECT_NE(recorderState.thread, nullptr) << "the handle of a running thread was dropped";

    tickReleased.store(1);
    captureApi.waitThread(0xFFFFFFFFu);
    EXPECT_EQ(recorderState.recording.load(), 0);
}

}  // namespace
