#include "ui/main_controller.h"

#include <cstdio>

#include "encoder/frame_store.h"
#include "encoder/gif_writer.h"
#include "image/output_geometry.h"
#include "image/watermark.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "ui/main_layout.h"
#include "ui/settings_controller.h"
#include "ui/shell_exit.h"

MainWindowApi mainWindowApi;

namespace {

// 1 while Record waits for the screen or the Save dialog is open: both run
// the platform's event loop, which may deliver the hotkey meanwhile.
int32_t busy;
int32_t hotkeyRegistered;

void ShowStatus(const char* text)
{
    if (mainWindowApi.showStatus)
        mainWindowApi.showStatus(text);
}

void SetEnables(const ButtonEnables& enables)
{
    if (mainWindowApi.setButtonEnables)
        mainWindowApi.setButtonEnables(enables);
}

void Repaint()
{
    if (mainWindowApi.repaint)
        mainWindowApi.repaint();
}

void Record()
{
    // The previous recording goes without a question, saved or not.
    ClearFrames();
    int32_t width = 0, height = 0, screenLeft = 0, screenTop = 0;
    if (mainWindowApi.clientPlace)
        mainWindowApi.clientPlace(&width, &height, &screenLeft, &screenTop);
    const Box area = RecordingArea(width, height);
    SetEnables(ButtonStatesFor(1, 0, 0));
    ShowStatus(kStatusRecording);
    // Again at every recording: a watermark.png added, changed or removed
    // since the last one takes effect now.
    DiscoverWatermark();
    // The guides go before the first tick, not only at the repaint below.
    busy = 1;
    if (mainWindowApi.clearViewfinder)
        mainWindowApi.clearViewfinder();
    busy = 0;
    StartCapture(screenLeft + area.left, screenTop + area.top, area.width, area.height, settings.fps, settings.outw,
                 watermarkImage.inUse);
    // recording is set now: the repaint leaves the guides and label out.
    Repaint();
    SettingsRecordingChanged();
}

void Stop()
{
    recorderState.stopRequest.store(1);
    SetEnables(ButtonStatesFor(1, 1, 0));
    ShowStatus(kStatusStopping);
}

// A hotkey while the dialog is open must not start a recording that would
// clear the frames being saved.
SavePathChoice AskSavePath(char* path, int32_t size, uint32_t* dialogError)
{
    LocalTimeParts now = {};
    if (mainWindowApi.localTime)
        now = mainWindowApi.localTime();
    if (!mainWindowApi.askSavePath)
        return kSavePathRefused;
    busy = 1;
    const SavePathChoice choice = mainWindowApi.askSavePath(now, path, size, dialogError);
    busy = 0;
    return choice;
}

void Generate()
{
    if (frameStore.count < 1)
        return;
    char path[kSavePathSize] = "";
    uint32_t dialogError = 0;
    const SavePathChoice choice = AskSavePath(path, sizeof path, &dialogError);
    if (choice != kSavePathNoDialog) {
        const int32_t accepted = choice == kSavePathChosen;
        switch (StepAfterSaveDialog(accepted, accepted ? 0 : dialogError, path, mainWindowApi.pathEncoding)) {
        case kSaveCancelled: return;
        case kSaveDialogFailed: ShowStatus(kStatusSaveFailed); return;
        case kSaveNameUnusable: ShowStatus(kStatusNameUnusable); return;
        case kSaveWrite: break;
        }
    }
    char text[kStatusTextSize];
    if (WriteGif(path)) {
        if (mainWindowApi.savedTo)
            mainWindowApi.savedTo(path);
        FormatSavedText(text, sizeof text, path, frameStore.count, outputGeometry.outWidth, outputGeometry.outHeight);
    } else {
        std::snprintf(text, sizeof text, "%s", kStatusSaveFailed);
    }
    ShowStatus(text);
}

}  // namespace

ButtonEnables MainButtonEnables()
{
    return ButtonStatesFor(recorderState.recording.load(), recorderState.stopRequest.load(), frameStore.count);
}

void MainWindowStarted(const Hotkey& hotkey)
{
    if (!hotkey.key || !mainWindowApi.registerHotkey)
        return;
    hotkeyRegistered = mainWindowApi.registerHotkey(hotkey);
    if (hotkeyRegistered)
        return;
    char name[48];
    FormatHotkey(name, sizeof name, hotkey);
    char text[kStatusTextSize];
    FormatHotkeyTakenText(text, sizeof text, name);
    ShowStatus(text);
}

void MainCommand(int32_t id)
{
    switch (id) {
    case ID_RECORD: Record(); break;
    case ID_STOP: Stop(); break;
    case ID_GENERATE: Generate(); break;
    case ID_SETTINGS:
        if (mainWindowApi.openSettings)
            mainWindowApi.openSettings();
        break;
    default: break;
    }
}

void MainRecordingProgress(int32_t frames, int64_t milliseconds)
{
    char text[kStatusTextSize];
    FormatProgressText(text, sizeof text, frames, milliseconds);
    ShowStatus(text);
}

void MainRecordingDone(int32_t frames)
{
    // The capture thread cleared recording before it posted this.
    SetEnables(MainButtonEnables());
    char text[kStatusTextSize];
    FormatDoneText(text, sizeof text, frames, outputGeometry.outWidth, outputGeometry.outHeight);
    ShowStatus(text);
    Repaint();
    SettingsRecordingChanged();
}

void MainHotkey()
{
    if (busy)
        return;
    const ButtonEnables enables = MainButtonEnables();
    if (enables.enabled[kButtonRecord])
        Record();
    else if (enables.enabled[kButtonStop])
        Stop();
}

void MainWindowClosing()
{
    if (hotkeyRegistered && mainWindowApi.releaseHotkey)
        mainWindowApi.releaseHotkey();
    hotkeyRegistered = 0;
    EndRecordingForExit(mainWindowApi.closeThread);
}
