#include "ui/win32/startup.h"

#include <cstdint>

#include "common/module_files.h"
#include "common/platform_api_win.h"
#include "image/watermark.h"
#include "recorder/capture.h"
#include "settings/settings.h"
#include "settings/update_check.h"
#include "ui/main_controller.h"
#include "ui/main_layout.h"
#include "ui/shell_exit.h"
#include "ui/win32/grips.h"
#include "ui/win32/main_window.h"
#include "ui/win32/shell_state.h"

ShellStartApi shellStartApi = {CreateWindowExA};

namespace {

constexpr DWORD kCornerPreference = 33;  // DWMWA_WINDOW_CORNER_PREFERENCE
constexpr DWORD kCornerRound = 2;        // DWMWCP_ROUND
constexpr DWORD kBorderColour = 35;      // DWMWA_BORDER_COLOR
constexpr int32_t kLogoPathSize = 292;

void LoadIcons()
{
    ShellState& s = shellState;
    char path[kLogoPathSize];
    if (ModuleSiblingPath("logo.ico", path, sizeof path) && moduleFilesApi.fileExists(path)) {
        s.bigIcon = static_cast<HICON>(LoadImageA(nullptr, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
        s.smallIcon = static_cast<HICON>(LoadImageA(nullptr, path, IMAGE_ICON, 16, 16, LR_LOADFROMFILE));
    }
    if (!s.bigIcon)
        s.bigIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    if (!s.smallIcon)
        s.smallIcon = s.bigIcon;
}

// Rounded corners and a white border where the system has them; older
// systems (and Wine) refuse the attributes, and the frame stays as it is.
void RoundTheFrame(HWND window)
{
    using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    HMODULE dwmapi = LoadLibraryA("dwmapi.dll");
    if (!dwmapi)
        return;
    auto set = reinterpret_cast<SetAttribute>(reinterpret_cast<void*>(GetProcAddress(dwmapi, "DwmSetWindowAttribute")));
    if (set) {
        const DWORD corners = kCornerRound;
        const DWORD white = 0x00FFFFFF;
        set(window, kCornerPreference, &corners, sizeof corners);
        set(window, kBorderColour, &white, sizeof white);
    }
    FreeLibrary(dwmapi);
}

void RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = shellState.bigIcon;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kMainClassName;
    RegisterClassA(&windowClass);
}

void CreateGrips(HINSTANCE instance)
{
    ShellState& s = shellState;
    if (!s.gripClassRegistered) {
        WNDCLASSA gripClass = {};
        gripClass.lpfnWndProc = GripWndProc;
        gripClass.hInstance = instance;
        gripClass.lpszClassName = kGripClassName;
        s.gripClassRegistered = RegisterClassA(&gripClass) != 0;
    }
    for (int32_t i = 0; i < kGripCount; i++)
        s.grips[i] = shellStartApi.CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW,
                                                   kGripClassName, "", WS_POPUP, 0, 0, 1, 1, s.mainWindow, nullptr,
                                                   instance, reinterpret_cast<LPVOID>(static_cast<intptr_t>(i)));
    // Corners above the edge strips, where they overlap on a small window.
    for (int32_t i = 4; i < kGripCount; i++)
        if (s.grips[i])
            SetWindowPos(s.grips[i], HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

}  // namespace

int RunDesktopShell(HINSTANCE instance)
{
    ShellState& s = shellState;
    DiscoverWatermark();
    LoadIcons();
    RegisterMainClass(instance);

    s.mainWindow = shellStartApi.CreateWindowExA(
        WS_EX_LAYERED | WS_EX_TOPMOST, kMainClassName, "Pixlo", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
        CW_USEDEFAULT, OuterWidthFor(settings.defw), OuterHeightFor(settings.defh), nullptr, nullptr, instance,
        nullptr);
    // Without a main window nothing could ever end a message loop.
    if (!s.mainWindow)
        return kExitNoMainWindow;
    // The worker threads post to it from now on.
    captureWindows.mainWindow = s.mainWindow;
    updateWindows.mainWindow = s.mainWindow;

    if (platformApi.SetLayeredWindowAttributes)
        platformApi.SetLayeredWindowAttributes(s.mainWindow, kColourKey, 0, LWA_COLORKEY);
    // Created for Windows' frame; on another (Wine's) the viewfinder would
    // not be the size the settings ask for.
    const FrameExtra extra = RealFrameExtra(s.mainWindow);
    if (extra.width != kFrameExtraWidth || extra.height != kFrameExtraHeight)
        SizeForViewfinder(s.mainWindow, settings.defw, settings.defh);
    RoundTheFrame(s.mainWindow);

    CreateGrips(instance);
    UpdateGrips();
    if (s.bigIcon)
        SendMessageA(s.mainWindow, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(s.bigIcon));
    if (s.smallIcon)
        SendMessageA(s.mainWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(s.smallIcon));

    if (settings.autocheck)
        StartUpdateCheck(0);
    MainWindowStarted(settingsHotkey);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
