#pragma once
// A fake platform for the capture loop: a clock that moves only when the loop
// sleeps, spins or works; a screen whose content a test script sets per
// tick; a cursor; and a record of every posted message.

#include <cstdint>
#include <functional>
#include <vector>

#include "recorder/capture.h"

struct PostedMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

struct FakeCapture {
    // Clock in microseconds; tickCount reports milliseconds and each reading
    // costs 1 us, so the loop's spin on the counter ends.
    uint64_t nowMicros = 5000 * 1000;
    std::vector<uint32_t> sleeps;
    std::vector<uint32_t> grabTimes;  // milliseconds at each grab
    std::vector<PostedMessage> messages;
    std::vector<std::pair<int32_t, int32_t>> cursorDraws;  // per draw, relative to the rectangle
    std::vector<int> cursorDrawTicks;

    int32_t width = 0, height = 0;
    std::vector<uint8_t> screen;
    bool failOpen = false;
    bool failThread = false;
    CursorState cursor = {0, 0, 0};
    // With paintCursor, drawCursor also paints the fake cursor picture into
    // the screen copy, clipped, as the platform draws into the grabbed bitmap.
    bool paintCursor = false;

    // Called at each grab with the tick number (from 0): may paint the
    // screen, request a stop, move the cursor, or spend time.
    std::function<void(int tick)> onGrab;

    int opens = 0, closes = 0, periodsBegun = 0, periodsEnded = 0;

    uint32_t NowMs() const { return static_cast<uint32_t>(nowMicros / 1000); }
    void Spend(uint32_t ms) { nowMicros += static_cast<uint64_t>(ms) * 1000; }
};

// Installs the fake as captureApi; startThread runs the thread body at once
// on the calling thread. Restores the previous table when destroyed.
class ScopedFakeCapture {
public:
    ScopedFakeCapture();
    ~ScopedFakeCapture();
    FakeCapture& fake;

private:
    CaptureApi saved;
};

// The picture drawCursor paints when paintCursor is set: an arrow with a
// black outline and a white inside, its top-left corner at the position.
constexpr int32_t kFakeCursorWidth = 8, kFakeCursorHeight = 12;

std::vector<PostedMessage> MessagesOf(const FakeCapture& fake, uint32_t message);
