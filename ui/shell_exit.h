#pragma once
// How the windowed run ends: the exit code when there is no main window, and
// the end of a recording that is still running when the main window closes.

#include <cstdint>

// The main window could not be created. Distinct from a normal end (0) and
// from the batch modes' usage error (1), so a launcher can tell them apart.
constexpr int kExitNoMainWindow = 2;

// How long closing waits for the capture thread before it waits without a
// limit, and the platform's "no limit" (INFINITE) for captureApi.waitThread.
constexpr uint32_t kCloseWaitMs = 3000;
constexpr uint32_t kWaitWithoutLimit = 0xFFFFFFFFu;

// At the main window's end: stops a running capture, waits for its thread,
// closes the thread's handle through closeThread (may be null) and releases
// the frames. The frames are released only once the capture thread has
// cleared the recording flag, after which it never touches them again.
// Returns 1 when the frames were released.
int EndRecordingForExit(void (*closeThread)(void* thread));
