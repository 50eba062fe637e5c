// Closing the main window while a recording runs: the capture is stopped and
// its frames are released only once its thread can no longer append.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "encoder/frame_store.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "tests/support/fake_capture.h"
#include "tests/support/recording_fixture.h"
#include "ui/shell_exit.h"

namespace {

std::vector<uint32_t> waits;
std::vector<void*> closedThreads;

void CloseThread(void* thread)
{
    closedThreads.push_back(thread);
}

class CloseDuringRecording : public RecordingTest {
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        settings.cursor = 0;
        waits.clear();
        closedThreads.clear();
    }
    void TearDown() override
    {
        recorderState.recording.store(0);
        recorderState.thread = nullptr;
        RecordingTest::TearDown();
    }
};

// Polls until done() holds, for at most the given seconds of real time: a
// fault makes the test fail with a message instead of hanging.
template <typename Done>
bool WithinSeconds(int seconds, Done done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

// A thread that ends during the wait at the given call (1 or 2), or never.
int endsAtWait = 0;

void ScriptedWait(uint32_t ms)
{
    waits.push_back(ms);
    if (static_cast<int>(waits.size()) == endsAtWait)
        recorderState.recording.store(0);
}

TEST_F(CloseDuringRecording, WaitsAsLongAsTheThreadRuns)
{
    int threadHandle = 0;
    struct Case {
        const char* name;
        int32_t recording;
        void* thread;
        int endsAt;
        std::vector<uint32_t> waits;
        int released;
    } cases[] = {
        // Idle, with the handle of the finished recording: nothing to wait for.
        {"idle", 0, &threadHandle, 0, {}, 1},
        {"idle without a handle", 0, nullptr, 0, {}, 1},
        {"stops in time", 1, &threadHandle, 1, {kCloseWaitMs}, 1},
        {"slow to stop", 1, &threadHandle, 2, {kCloseWaitMs, kWaitWithoutLimit}, 1},
        // A recording flag with no thread to wait for: keep the frames.
        {"no thread", 1, nullptr, 0, {}, 0},
    };
    ScopedFakeCapture capture;
    captureApi.waitThread = ScriptedWait;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        waits.clear();
        closedThreads.clear();
        AppendFrame(reinterpret_cast<const uint8_t*>("x"), 1, std::vector<uint8_t>(768).data(), 100);
        recorderState.recording.store(c.recording);
        recorderState.stopRequest.store(0);
        recorderState.thread = c.thread;
        endsAtWait = c.endsAt;

        EXPECT_EQ(EndRecordingForExit(CloseThread), c.released);
        EXPECT_EQ(waits, c.waits);
        EXPECT_EQ(recorderState.stopRequest.load(), c.recording);
        EXPECT_EQ(recorderState.thread, nullptr);
        EXPECT_EQ(closedThreads, c.thread ? std::vector<void*>{c.thread} : std::vector<void*>{});
        EXPECT_EQ(frameStore.count, c.released ? 0 : 1);
        recorderState.recording.store(0);
        ClearFrames();
    }
}

// A real capture thread, on the fake screen, whose tick is still running
// when the first wait gives up: it appends one more frame after that wait.
// Releasing the frames then would free the store under it (a leak of the
// late frame, or a use after free that the sanitizers report).
TEST_F(CloseDuringRecording, SlowCaptureThreadAppendsAfterTheFirstWait)
{
    ScopedFakeCapture capture;
    FakeCapture& fake = capture.fake;
    std::thread worker;
    std::atomic<int> blocked{0};
    std::atomic<int> firstWaitOver{0};

    fake.onGrab = [&](int tick) {
        if (tick < 1)
            return;
        // The tick that is under way when the window closes: hold it until
        // the first wait has timed out, then show a new picture.
        // Held for 5 s at most: closing that waits in the wrong order (first
        // without a limit) then fails here instead of hanging the run.
        blocked.store(1);
        if (!WithinSeconds(5, [&] { return firstWaitOver.load() == 1; }))
            ADD_FAILURE() << "the tick was never let go: the first wait was not the one with a limit";
        fake.screen.assign(fake.screen.size(), 0x80);
    };
    static std::thread* workerSlot;
    static std::atomic<int>* firstWaitSlot;
    workerSlot = &worker;
    firstWaitSlot = &firstWaitOver;
    captureApi.startThread = [] {
        recorderState.thread = workerSlot;
        *workerSlot = std::thread(CaptureThreadProc);
        return 1;
    };
    captureApi.waitThread = [](uint32_t ms) {
        waits.push_back(ms);
        if (ms == kWaitWithoutLimit)
            workerSlot->join();
        else
            firstWaitSlot->store(1);  // the time is up; the thread is still inside its tick
    };

    StartCapture(0, 0, 32, 16, 30, 0, 0);
    ASSERT_TRUE(WithinSeconds(5, [&] { return blocked.load() == 1; })) << "the capture thread never reached its second tick";
    EXPECT_EQ(recorderState.recording.load(), 1);

    EXPECT_EQ(EndRecordingForExit(CloseThread), 1);

    EXPECT_EQ(waits, (std::vector<uint32_t>{kCloseWaitMs, kWaitWithoutLimit}));
    EXPECT_EQ(recorderState.recording.load(), 0);
    EXPECT_EQ(frameStore.count, 0);
    EXPECT_EQ(recorderState.prevFrame, nullptr);
    // The thread's last word: two frames, the second appended after the first wait.
    ASSERT_FALSE(fake.messages.empty());
    EXPECT_EQ(fake.messages.back().message, kWmRecDone);
    EXPECT_EQ(fake.messages.back().wParam, 2u);
    EXPECT_EQ(closedThreads, std::vector<void*>{&worker});
    if (worker.joinable()) {  // only when the waits went wrong
        firstWaitOver.store(1);
        worker.join();
    }
}

}  // namespace
