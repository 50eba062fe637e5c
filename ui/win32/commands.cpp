#include "ui/win32/commands.h"

#include <cstdint>

#include "common/platform_api_win.h"
#include "encoder/frame_store.h"
#include "encoder/gif_writer.h"
#include "image/output_geometry.h"
#include "image/watermark.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "settings/update_check.h"
#include "ui/main_layout.h"
#include "ui/settings_controller.h"
#include "ui/shell_exit.h"
#include "ui/shell_texts.h"
#include "ui/win32/grips.h"
#include "ui/win32/main_window.h"
#include "ui/win32/settings_window.h"
#include "ui/win32/shell_state.h"
#include "ui/win32/toolbar_buttons.h"

namespace {

void Record()
{
    HWND main = shellState.mainWindow;
    // The previous recording goes without a question, saved or not.
    ClearFrames();
    RECT client;
    GetClientRect(main, &client);
    const Box area = RecordingArea(client.right, client.bottom);
    POINT origin = {area.left, area.top};
    ClientToScreen(main, &origin);

    SetButtonEnables(ButtonStatesFor(1, 0, 0));
    ShowStatusText(kStatusRecording);
    // Again at every recording: a watermark.png added, changed or removed
    // since the last one takes effect now.
    DiscoverWatermark();
    // Windows' screen copy leaves layered windows out, but one that takes
    // them in (Wine's X11 driver does) would put the guides into the first
    // frame: they go before the first tick, not only at the repaint below.
    ClearViewfinderNow(main);
    StartCapture(origin.x, origin.y, area.width, area.height, settings.fps, settings.outw, watermarkImage.inUse);
    // recording is set now: the repaint leaves the guides and label out.
    InvalidateRect(main, nullptr, TRUE);
    UpdateWindow(main);
    SettingsRecordingChanged();
}

void Stop()
{
    recorderState.stopRequest.store(1);
    SetButtonEnables(ButtonStatesFor(1, 1, 0));
    ShowStatusText(kStatusStopping);
}

void Generate()
{
    if (frameStore.count < 1)
        return;
    char directory[kGifPathSize];
    ExecutableDirectory(directory, sizeof directory);
    SYSTEMTIME now;
    GetLocalTime(&now);
    const LocalTimeParts time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    char path[kGifPathSize];
    DefaultGifPath(path, sizeof path, directory, time);

    if (platformApi.GetSaveFileNameA) {
        OPENFILENAMEA dialog = {};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = shellState.mainWindow;
        dialog.lpstrFilter = kSaveFilter;
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = path;
        dialog.nMaxFile = sizeof path;
        dialog.lpstrInitialDir = directory;
        dialog.lpstrTitle = kSaveTitle;
        dialog.lpstrDefExt = kSaveExtension;
        dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
        const BOOL accepted = platformApi.GetSaveFileNameA(&dialog);
        switch (StepAfterSaveDialog(accepted ? 1 : 0, accepted ? 0 : CommDlgExtendedError(), path, kCodePagePath)) {
        case kSaveCancelled: return;
        case kSaveDialogFailed: ShowStatusText(kStatusSaveFailed); return;
        case kSaveNameUnusable: ShowStatusText(kStatusNameUnusable); return;
        case kSaveWrite: break;
        }
    }

    char text[kStatusTextSize];
    if (WriteGif(path))
        FormatSavedText(text, sizeof text, path, frameStore.count, outputGeometry.outWidth, outputGeometry.outHeight);
    else
        lstrcpyA(text, kStatusSaveFailed);
    ShowStatusText(text);
}

void CloseThreadHandle(void* thread)
{
    CloseHandle(static_cast<HANDLE>(thread));
}

}  // namespace

void ShowStatusText(const char* text)
{
    if (shellState.statusLine)
        SetWindowTextA(shellState.statusLine, text);
}

void OnToolbarCommand(WPARAM wParam)
{
    if (HIWORD(wParam) != 0)
        return;
    switch (LOWORD(wParam)) {
    case ID_RECORD: Record(); break;
    case ID_STOP: Stop(); break;
    case ID_GENERATE: Generate(); break;
    case ID_SETTINGS: OpenSettingsWindow(); break;
    default: break;
    }
}

void OnRecordingProgress(WPARAM frames, LPARAM milliseconds)
{
    char text[kStatusTextSize];
    FormatProgressText(text, sizeof text, static_cast<int32_t>(frames), static_cast<int64_t>(milliseconds));
    ShowStatusText(text);
}

void OnRecordingDone(WPARAM frames)
{
    // The capture thread cleared recording before it posted this.
    UpdateButtons();
    char text[kStatusTextSize];
    FormatDoneText(text, sizeof text, static_cast<int32_t>(frames), outputGeometry.outWidth,
                   outputGeometry.outHeight);
    ShowStatusText(text);
    InvalidateRect(shellState.mainWindow, nullptr, TRUE);
    SettingsRecordingChanged();
}

void OnUpdateResult(WPARAM number)
{
    HandleUpdateResult(static_cast<uint64_t>(number));
}

void OnMainWindowDestroyed()
{
    // The grips go first, so none is left on the screen while a slow
    // capture thread is waited for.
    DestroyGrips();
    EndRecordingForExit(CloseThreadHandle);
    PostQuitMessage(0);
}
