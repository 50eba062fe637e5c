#include "ui/win32/commands.h"

#include <cstdint>

#include "common/platform_api_win.h"
#include "settings/hotkey.h"
#include "settings/update_check.h"
#include "ui/main_controller.h"
#include "ui/shell_texts.h"
#include "ui/win32/grips.h"
#include "ui/win32/main_window.h"
#include "ui/win32/settings_window.h"
#include "ui/win32/shell_state.h"
#include "ui/win32/toolbar_buttons.h"

static_assert(kHotkeyAlt == MOD_ALT && kHotkeyCtrl == MOD_CONTROL && kHotkeyShift == MOD_SHIFT &&
              kHotkeyWin == MOD_WIN);
static_assert(kKeyF1 == VK_F1 && kKeySpace == VK_SPACE && kKeyPause == VK_PAUSE && kKeyDelete == VK_DELETE);

namespace {

constexpr int kHotkeyId = 1;
// A held key repeats: without this each repeat would toggle again.
constexpr UINT kNoRepeat = 0x4000;  // MOD_NOREPEAT

void ClientPlace(int32_t* width, int32_t* height, int32_t* screenLeft, int32_t* screenTop)
{
    HWND main = shellState.mainWindow;
    RECT client;
    GetClientRect(main, &client);
    POINT origin = {0, 0};
    ClientToScreen(main, &origin);
    *width = client.right;
    *height = client.bottom;
    *screenLeft = origin.x;
    *screenTop = origin.y;
}

// Windows' screen copy leaves layered windows out, but one that takes them
// in (Wine's X11 driver does) would put the guides into the first frame.
void ClearViewfinder()
{
    ClearViewfinderNow(shellState.mainWindow);
}

void Repaint()
{
    InvalidateRect(shellState.mainWindow, nullptr, TRUE);
    UpdateWindow(shellState.mainWindow);
}

LocalTimeParts LocalTime()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

SavePathChoice AskSavePath(const LocalTimeParts& now, char* path, int32_t size, uint32_t* dialogError)
{
    char directory[kGifPathSize];
    ExecutableDirectory(directory, sizeof directory);
    DefaultGifPath(path, size < kGifPathSize ? size : kGifPathSize, directory, now);
    if (!platformApi.GetSaveFileNameA)
        return kSavePathNoDialog;
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = shellState.mainWindow;
    dialog.lpstrFilter = kSaveFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    // The system's own limit on a path: a longer one is the dialog's failure.
    dialog.nMaxFile = size < kGifPathSize ? size : kGifPathSize;
    dialog.lpstrInitialDir = directory;
    dialog.lpstrTitle = kSaveTitle;
    dialog.lpstrDefExt = kSaveExtension;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (platformApi.GetSaveFileNameA(&dialog))
        return kSavePathChosen;
    *dialogError = CommDlgExtendedError();
    return kSavePathRefused;
}

int32_t RegisterToggleKey(const Hotkey& hotkey)
{
    HWND main = shellState.mainWindow;
    if (RegisterHotKey(main, kHotkeyId, hotkey.modifiers | kNoRepeat, hotkey.key))
        return 1;
    // Systems before Windows 7 refuse the flag, not the key.
    if (GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED)
        return 0;
    return RegisterHotKey(main, kHotkeyId, hotkey.modifiers, hotkey.key) ? 1 : 0;
}

void ReleaseToggleKey()
{
    UnregisterHotKey(shellState.mainWindow, kHotkeyId);
}

void CloseThreadHandle(void* thread)
{
    CloseHandle(static_cast<HANDLE>(thread));
}

}  // namespace

void FillMainWindowApi()
{
    mainWindowApi = {ShowStatusText, SetButtonEnables,  ClientPlace,       ClearViewfinder,  Repaint,
                     LocalTime,      AskSavePath,       nullptr,           OpenSettingsWindow, RegisterToggleKey,
                     ReleaseToggleKey, CloseThreadHandle, kCodePagePath};
}

void ShowStatusText(const char* text)
{
    if (shellState.statusLine)
        SetWindowTextA(shellState.statusLine, text);
}

void OnToolbarCommand(WPARAM wParam)
{
    if (HIWORD(wParam) != 0)
        return;
    MainCommand(LOWORD(wParam));
}

void OnRecordingProgress(WPARAM frames, LPARAM milliseconds)
{
    MainRecordingProgress(static_cast<int32_t>(frames), static_cast<int64_t>(milliseconds));
}

void OnRecordingDone(WPARAM frames)
{
    MainRecordingDone(static_cast<int32_t>(frames));
}

void OnHotkey(WPARAM id)
{
    if (static_cast<int>(id) == kHotkeyId)
        MainHotkey();
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
    MainWindowClosing();
    PostQuitMessage(0);
}
