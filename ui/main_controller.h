#pragma once
// The main window's behaviour apart from its platform calls: what Record,
// Stop and Generate do and in what order, the capture thread's progress and
// end, the Save dialog's outcome, the global hotkey and closing. Each build's
// window turns its events into the calls below and draws the paint list;
// whatever must be done to the system goes through mainWindowApi.

#include <cstdint>

#include "settings/hotkey.h"
#include "ui/shell_texts.h"
#include "ui/toolbar_look.h"

// What the Save dialog step reports.
enum SavePathChoice : int32_t {
    kSavePathRefused,   // cancelled or failed: dialogError tells them apart
    kSavePathChosen,
    kSavePathNoDialog,  // the system has no dialog: the proposed path stands
};

// The platform's side. Filled once before the window takes events; tests
// record the calls. Null entries are skipped.
struct MainWindowApi {
    void (*showStatus)(const char* text);
    void (*setButtonEnables)(const ButtonEnables& enables);
    // The client area's size and where its top-left corner is on the screen.
    void (*clientPlace)(int32_t* width, int32_t* height, int32_t* screenLeft, int32_t* screenTop);
    // Before the first tick: the guides and the size label leave the screen,
    // as a screen copy may take in the window's own pixels.
    void (*clearViewfinder)();
    // A recording started or ended: the whole window, at once.
    void (*repaint)();
    LocalTimeParts (*localTime)();
    // The Save dialog, proposing the name for the time; path holds size
    // bytes. dialogError is the system's reason for a refusal, 0 for Cancel.
    SavePathChoice (*askSavePath)(const LocalTimeParts& now, char* path, int32_t size, uint32_t* dialogError);
    void (*savedTo)(const char* path);  // a GIF was written there
    void (*openSettings)();
    // The global hotkey: 1 when it is the program's now. Released at close.
    int32_t (*registerHotkey)(const Hotkey& hotkey);
    void (*releaseHotkey)();
    void (*closeThread)(void* thread);  // the capture thread's handle, at close
    DialogPathEncoding pathEncoding;
};
extern MainWindowApi mainWindowApi;

// Room for any path a Save dialog returns.
constexpr int32_t kSavePathSize = 4096;

// The enable states that follow from the recording now: what the window
// draws and which presses it takes.
ButtonEnables MainButtonEnables();

// The window exists and shows: the hotkey is registered, and a key that
// cannot be had says so on the status line.
void MainWindowStarted(const Hotkey& hotkey);
// A toolbar button's identifier (ID_RECORD...); other identifiers do nothing.
void MainCommand(int32_t id);
void MainRecordingProgress(int32_t frames, int64_t milliseconds);
void MainRecordingDone(int32_t frames);
// The global hotkey: Record when idle and ready, Stop while recording;
// nothing while stopping, while a recording is being started or while the
// Save dialog is open.
void MainHotkey();
// The window is going: a running capture ends and the hotkey is released.
void MainWindowClosing();
