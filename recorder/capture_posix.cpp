// The native build's capture platform: a real clock, sleep and thread. Its
// screen is none until the native program plugs in the X11 source
// (recorder/screen_x11.h); without it (tools, tests) a recording ends before
// its first tick.
#include <pthread.h>
#include <time.h>

#include "recorder/capture.h"
#include "recorder/recorder_state.h"

namespace {

uint32_t TickCount()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
}

void SleepMs(uint32_t ms)
{
    timespec duration = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    while (nanosleep(&duration, &duration) != 0) {
    }
}

void Nothing() {}

uint8_t* NoScreen(int32_t, int32_t, int32_t, int32_t)
{
    return nullptr;
}

void* ThreadEntry(void*)
{
    CaptureThreadProc();
    return nullptr;
}

pthread_t captureThread;

int StartThread()
{
    if (pthread_create(&captureThread, nullptr, ThreadEntry, nullptr) != 0)
        return 0;
    recorderState.thread = &captureThread;
    return 1;
}

void WaitThread(uint32_t)
{
    // The callers only wait once recording has dropped to 0, when the thread
    // is at its last step.
    if (recorderState.thread) {
        pthread_join(captureThread, nullptr);
        recorderState.thread = nullptr;
    }
}

void DropMessage(uint32_t, uintptr_t, intptr_t) {}

}  // namespace

CaptureApi captureApi = {TickCount, SleepMs, Nothing, Nothing, NoScreen, Nothing, Nothing,
                         nullptr,   nullptr, DropMessage, StartThread, WaitThread};
