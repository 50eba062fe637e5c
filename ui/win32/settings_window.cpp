#include "ui/win32/settings_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include "settings/settings.h"
#include "settings/update_check.h"
#include "ui/main_layout.h"
#include "ui/settings_controller.h"
#include "ui/settings_layout.h"
#include "ui/settings_paint.h"
#include "ui/win32/gdi_draw.h"
#include "ui/win32/grips.h"
#include "ui/win32/main_window.h"
#include "ui/win32/shell_state.h"

namespace {

const char kSettingsClassName[] = "PixloSetup";
constexpr DWORD kSettingsStyle = WS_CAPTION | WS_SYSMENU;

// The window API's entries: what settings_controller asks of the system.
void RepaintSettings()
{
    if (shellState.settingsWindow)
        InvalidateRect(shellState.settingsWindow, nullptr, TRUE);
}

void TakeFocus()
{
    if (shellState.settingsWindow)
        SetFocus(shellState.settingsWindow);
}

void CaptureMouse()
{
    if (shellState.settingsWindow)
        SetCapture(shellState.settingsWindow);
}

void ReleaseMouse()
{
    ReleaseCapture();
}

void ResizeMainWindow(int32_t outerWidth, int32_t outerHeight)
{
    HWND main = shellState.mainWindow;
    if (!main)
        return;
    // The sizes assume Windows' frame: the viewfinder they stand for is
    // given on the frame the window really has.
    SizeForViewfinder(main, outerWidth - kFrameExtraWidth, outerHeight - kFrameExtraHeight);
    InvalidateRect(main, nullptr, TRUE);
}

void OpenAddress(const char* address)
{
    // A failure to open the page is not reported.
    ShellExecuteA(shellState.settingsWindow, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

HFONT MakeFont(int32_t cellHeight)
{
    return CreateFontA(cellHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "微软雅黑");
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc) {
        RECT client;
        GetClientRect(window, &client);
        PaintSettings(dc, client.right, client.bottom);
    }
    EndPaint(window, &paint);
}

void OnLeftButtonDown(HWND window, LPARAM lParam)
{
    // The link's hit area is measured anew at every press.
    int32_t width = 0, height = 0;
    HDC dc = GetDC(window);
    if (dc) {
        SettingsLinkSize(GdiDrawOn(dc), &width, &height);
        ReleaseDC(window, dc);
    }
    SettingsPress(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), width, height);
}

void OnDestroy()
{
    shellState.settingsWindow = nullptr;
    updateWindows.settingsWindow = nullptr;
    // Destroyed with its owner while typing or dragging: the next window
    // starts idle.
    settingsWindowState.editField = 0;
    settingsWindowState.sliderDrag = 0;
    UpdateGrips();
}

}  // namespace

void CreateSettingsFonts()
{
    if (!shellState.labelFont)
        shellState.labelFont = MakeFont(20);
    if (!shellState.noteFont)
        shellState.noteFont = MakeFont(14);
}

void PaintSettings(HDC dc, int32_t width, int32_t height)
{
    PaintSettingsWindow(GdiDrawOn(dc), width, height);
}

void OpenSettingsWindow()
{
    ShellState& s = shellState;
    if (s.settingsWindow) {
        SetForegroundWindow(s.settingsWindow);
        return;
    }
    HINSTANCE instance =
        s.mainWindow ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(s.mainWindow, GWLP_HINSTANCE)) : nullptr;
    if (!s.settingsClassRegistered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = SettingsWndProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
        windowClass.lpszClassName = kSettingsClassName;
        s.settingsClassRegistered = RegisterClassA(&windowClass) != 0;
    }
    CreateSettingsFonts();
    settingsWindowApi = {RepaintSettings, TakeFocus, CaptureMouse, ReleaseMouse, ResizeMainWindow, OpenAddress};

    RECT outer = {0, 0, kSettingsClientWidth, kSettingsClientHeight};
    AdjustWindowRect(&outer, kSettingsStyle, FALSE);
    HWND window = CreateWindowExA(0, kSettingsClassName, "设置（v1.3）", WS_VISIBLE | kSettingsStyle, CW_USEDEFAULT,
                                  CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, s.mainWindow,
                                  nullptr, instance, nullptr);
    // Without a window the handle stays null and the next press tries again.
    if (window) {
        s.settingsWindow = window;
        updateWindows.settingsWindow = window;
    }
    UpdateGrips();
}

LRESULT CALLBACK SettingsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(window, lParam);
        return 0;
    case WM_MOUSEMOVE:
        SettingsMouseMove(GET_X_LPARAM(lParam), (wParam & MK_LBUTTON) != 0);
        return 0;
    case WM_LBUTTONUP:
        SettingsButtonUp();
        return 0;
    case WM_CHAR:
        if (SettingsChar(static_cast<uint32_t>(wParam)))
            return 0;
        // Escape with no edit to drop closes the window as its close box does.
        if (wParam == 27) {
            SendMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_KILLFOCUS:
        SettingsEditInterrupted();
        return 0;
    case WM_CLOSE:
        SettingsEditInterrupted();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
