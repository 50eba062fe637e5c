// Runs one real update check, with a window of its own standing in for the
// main window and a visible one for the settings window, and prints what it
// saw as name=value lines for tests/e2e/update_check.sh. Texts are printed as
// hex so that the script can compare them with iconv's GBK.
//   update_probe origin
// The update host comes from PIXLO_UPDATE_HOST / PIXLO_UPDATE_PORT.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/update_check.h"
#include "settings/update_check_win.h"
#include "common/platform_api_win.h"

namespace {

// Gives up on a result after this long; the check's own limits end it far sooner.
constexpr UINT kGiveUpMs = 20000;

int threadsStarted;
int32_t (*realStartThread)(int32_t origin);

int32_t CountingStartThread(int32_t origin)
{
    threadsStarted++;
    return realStartThread(origin);
}

struct Result {
    int received;
    long long wParam;
    long long lParam;
    DWORD elapsedMs;
} result;

DWORD startTick;

void PrintHex(const char* name, const char* text)
{
    std::printf("%s=", name);
    for (const char* at = text; *at; at++)
        std::printf("%02x", static_cast<unsigned char>(*at));
    std::printf("\n");
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_UPDATE_RESULT) {
        result.received = 1;
        result.wParam = static_cast<long long>(wParam);
        result.lParam = static_cast<long long>(lParam);
        result.elapsedMs = GetTickCount() - startTick;
        HandleUpdateResult(wParam);
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_TIMER) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(const char* className, WNDPROC procedure, DWORD style)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, className, className, style, 10, 10, 200, 100, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// Whether the window waits for a repaint, cleared afterwards.
int TakeInvalidation(HWND window)
{
    int invalid = GetUpdateRect(window, nullptr, FALSE) != 0;
    ValidateRect(window, nullptr);
    return invalid;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: update_probe origin\n");
        return 2;
    }
    int32_t origin = std::atoi(argv[1]);
    FillPlatformApi();
    FillUpdateCheckApi();
    realStartThread = updateCheckApi.startThread;
    updateCheckApi.startThread = CountingStartThread;

    HWND mainWindow = MakeWindow("PixloProbeMain", MainProc, WS_OVERLAPPEDWINDOW);
    HWND settingsWindow = MakeWindow("PixloProbeSettings", DefWindowProcA, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    if (!mainWindow || !settingsWindow) {
        std::printf("error=no window\n");
        return 1;
    }
    updateWindows.mainWindow = mainWindow;
    updateWindows.settingsWindow = settingsWindow;
    UpdateWindow(settingsWindow);
    ValidateRect(settingsWindow, nullptr);

    startTick = GetTickCount();
    StartUpdateCheck(origin);
    std::printf("busy_after_start=%d\n", static_cast<int>(updateBusy));
    PrintHex("text_after_start", updateStatusText);
    std::printf("repaint_after_start=%d\n", TakeInvalidation(settingsWindow));

    // Pressing the button again while the check runs starts nothing.
    StartUpdateCheck(1 - origin);
    PrintHex("text_after_second_start", updateStatusText);
    std::printf("repaint_after_second_start=%d\n", TakeInvalidation(settingsWindow));

    SetTimer(mainWindow, 1, kGiveUpMs, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (result.received)
            break;
    }
    std::printf("threads_started=%d\n", threadsStarted);
    std::printf("received=%d\n", result.received);
    if (result.received) {
        std::printf("number=%lld\n", result.wParam);
        std::printf("origin=%lld\n", result.lParam);
        std::printf("elapsed_ms=%lu\n", static_cast<unsigned long>(result.elapsedMs));
        std::printf("busy_after_result=%d\n", static_cast<int>(updateBusy));
        PrintHex("text_after_result", updateStatusText);
        std::printf("repaint_after_result=%d\n", TakeInvalidation(settingsWindow));
    }
    DestroyWindow(settingsWindow);
    DestroyWindow(mainWindow);
    return result.received ? 0 : 1;
}
