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

// Waits up to ms (0xFFFFFFFF: without a limit) for the capture thread. A
// thread still running at the limit keeps its handle, so a later wait can
// take it up again.
void WaitThread(uint32_t ms)
{
    if (!recorderState.thread)
        return;
    if (ms == 0xFFFFFFFFu) {
        pthread_join(captureThread, nullptr);
    } else {
        timespec deadline;
        clock_gettime(CLOCK_REALTIME, &deadline);
        deadline.tv_sec += static_cast<time_t>(ms / 1000);
        deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000;
        if (deadline.tv_nsec >= 1000000000) {
            deadline.tv_sec++;
            deadline.tv_nsec -= 1000000000;
        }
        if (pthread_timedjoin_np(captureThread, nullptr, &deadline) != 0)
            return;
    }
    recorderState.thread = nullptr;
}

void DropMessage(uint32_t, uintptr_t, intptr_t) {}

}  // namespace

CaptureApi captureApi = {TickCount, SleepMs, Nothing, Nothing, NoScreen, Nothing, Nothing,
                         nullptr,   nullptr, DropMessage, StartThread, WaitThread};
