#pragma once
// A recording: one capture thread that grabs the capture rectangle on a
// fixed schedule, draws the cursor in, scales, blends the watermark, and
// encodes every frame that differs from the last one encoded (an unchanged
// frame only lengthens the last stored frame).

#include <cstdint>

// Messages to the main window (WM_APP + 1 and + 2).
constexpr uint32_t kWmRecProgress = 0x8001;  // wParam frame count, lParam ms since start
constexpr uint32_t kWmRecDone = 0x8002;      // wParam frame count

struct CursorState {
    int32_t showing;    // visible and with an image
    int32_t x;          // pointer position in screen pixels (the image's top-left)
    int32_t y;
};

// What the capture loop needs from the platform: GDI and the kernel on
// Windows, fakes in the tests. Filled once before the first recording.
struct CaptureApi {
    uint32_t (*tickCount)();         // milliseconds, wrapping at 32 bits
    void (*sleep)(uint32_t ms);
    void (*beginTimerPeriod)();      // 1 ms timer resolution, when the platform has it
    void (*endTimerPeriod)();
    // Screen copy of the capture rectangle into a top-down 32-bit buffer of
    // capW x capH pixels (B, G, R, X): open returns the buffer or null.
    uint8_t* (*openScreen)(int32_t capX, int32_t capY, int32_t capW, int32_t capH);
    void (*grabScreen)();
    void (*closeScreen)();
    // Null when the platform cannot report or draw the cursor.
    int (*cursorState)(CursorState* state);
    void (*drawCursor)(int32_t x, int32_t y);  // into the grabbed buffer, clipped
    // To the main window; lost when there is none (batch modes).
    void (*postMessage)(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Runs CaptureThreadProc on a new thread, keeping its handle in
    // recorderState.thread. 1 on success.
    int (*startThread)();
    // Waits up to ms for the thread in recorderState.thread to end.
    void (*waitThread)(uint32_t ms);
};

extern CaptureApi captureApi;

// Where the capture thread's messages go, as an opaque window handle. The
// shell sets mainWindow once its main window exists, before any recording
// starts; null in the batch modes, where the messages are dropped.
struct CaptureWindows {
    void* mainWindow;
};

extern CaptureWindows captureWindows;

// Starts a recording of the screen rectangle (x, y, w, h). The caller clears
// the frames first and keeps w and h at least 1. The rate and output width
// are the recording's own, kept in recorderState: a later change of the
// settings does not reach a running recording.
void StartCapture(int32_t x, int32_t y, int32_t w, int32_t h, int32_t fps, int32_t outw, int32_t useWatermark);

// The capture thread's body; returns 0.
uint32_t CaptureThreadProc();

// Milliseconds between ticks for a frame rate, as the thread uses it: the
// rate is first brought into 1..100 (a rate of 0 or less means the default
// 12), so the interval is never below one hundredth of a second.
int32_t CaptureInterval(int32_t fps);
