#pragma once
// The check for a newer version: one request on a short-lived thread, its
// result posted to the main window and turned into a status text there.
// updateBusy and updateStatusText belong to the UI thread.

#include <cstdint>

// WM_APP + 3: wParam the version number or 0, lParam the check's origin
// (0 automatic at start-up, 1 the settings window's button).
constexpr uint32_t WM_UPDATE_RESULT = 0x8000 + 3;

// Each network step waits at most kUpdateStepLimitMs, and the whole check,
// from name lookup to the reply's last byte, ends by kUpdateCheckDeadlineMs:
// a server that drips its reply cannot keep the check busy.
constexpr int32_t kUpdateStepLimitMs = 2000;
constexpr int32_t kUpdateCheckDeadlineMs = 5000;

// 1 from the start of a check until its result has been handled.
extern int32_t updateBusy;

// Empty until the first check starts, then one of the four status texts.
constexpr int32_t kUpdateStatusTextSize = 128;
extern char updateStatusText[kUpdateStatusTextSize];

// The windows the check talks to, as opaque handles. The shell sets
// mainWindow once the main window exists (and never changes it while a check
// may run: the check's thread reads it to post its result) and settingsWindow
// while the settings window is open; null otherwise.
struct UpdateWindows {
    void* mainWindow;
    void* settingsWindow;
};

extern UpdateWindows updateWindows;

// What the check needs from the platform. Null entries are skipped; with no
// way to start a thread every check fails at once. The Windows start-up fills
// the table (FillUpdateCheckApi); tests replace entries.
struct UpdateCheckApi {
    // Runs UpdateCheckThread(origin) on a new, detached thread; 1 when it runs.
    int32_t (*startThread)(int32_t origin);
    // Asks the update host; the version number, or 0 when anything failed.
    int32_t (*fetchVersion)();
    // Queues WM_UPDATE_RESULT to window with number and origin.
    void (*postResult)(void* window, int32_t number, int32_t origin);
    // Repaints the whole window without erasing its background.
    void (*repaint)(void* window);
};

extern UpdateCheckApi updateCheckApi;

// UI thread. Starts a check unless one runs or there is no main window.
void StartUpdateCheck(int32_t origin);

// The body of the check's thread: fetch, post, end. Returns 0.
int32_t UpdateCheckThread(int32_t origin);

// UI thread, for every WM_UPDATE_RESULT, with its wParam (the low 32 bits are
// the number).
void HandleUpdateResult(uint64_t number);
