// The capture loop's platform on Windows: GDI screen copies into a top-down
// 32-bit DIB section, the cursor through PlatformApi, the tick counter,
// Sleep, a thread, and messages posted to the main window.
#include <windows.h>

#include "common/memory.h"
#include "common/platform_api_win.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"

namespace {

struct ScreenCopy {
    HDC screen;
    HDC memory;
    HBITMAP bitmap;
    HGDIOBJ previous;
    HCURSOR cursor;  // from the last cursorState, drawn by drawCursor
};

ScreenCopy copy;

uint32_t TickCount()
{
    return GetTickCount();
}

void SleepMs(uint32_t ms)
{
    Sleep(ms);
}

void BeginTimerPeriod()
{
    if (platformApi.timeBeginPeriod)
        platformApi.timeBeginPeriod(1);
}

void EndTimerPeriod()
{
    if (platformApi.timeEndPeriod)
        platformApi.timeEndPeriod(1);
}

uint8_t* OpenScreen(int32_t, int32_t, int32_t capW, int32_t capH)
{
    copy = {};
    if (PixelBufferBytes(capW, capH) == 0)
        return nullptr;
    copy.screen = GetDC(nullptr);
    if (!copy.screen)
        return nullptr;
    copy.memory = CreateCompatibleDC(copy.screen);
    if (!copy.memory)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = capW;
    info.bmiHeader.biHeight = -capH;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    copy.bitmap = CreateDIBSection(copy.memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!copy.bitmap || !bits)
        return nullptr;
    copy.previous = SelectObject(copy.memory, copy.bitmap);
    return static_cast<uint8_t*>(bits);
}

// Wine copies the screen through an X pixmap as large as the whole copy, and
// an X server refuses a side above 32767 pixels, or a pixmap it has no memory
// for, with an error that ends the process without a word (a 40000 x 2
// rectangle did). Copied in tiles of at most 4096 x 4096, every rectangle the
// viewfinder can make is still one copy, and the largest captures ask the X
// server for 64 MiB at a time.
constexpr int32_t kGrabTile = 4096;

void GrabScreen()
{
    const RecorderState& r = recorderState;
    for (int32_t top = 0; top < r.capH; top += kGrabTile) {
        for (int32_t left = 0; left < r.capW; left += kGrabTile) {
            // A tile whose screen position does not fit GDI's coordinates
            // lies off every screen; its pixels stay as they are.
            const int64_t x = static_cast<int64_t>(r.capX) + left, y = static_cast<int64_t>(r.capY) + top;
            if (x > INT32_MAX || y > INT32_MAX)
                continue;
            const int32_t w = r.capW - left < kGrabTile ? r.capW - left : kGrabTile;
            const int32_t h = r.capH - top < kGrabTile ? r.capH - top : kGrabTile;
            BitBlt(copy.memory, left, top, w, h, copy.screen, static_cast<int>(x), static_cast<int>(y), SRCCOPY);
        }
    }
    // GDI may batch the copies; the loop reads the pixels right after.
    GdiFlush();
}

void CloseScreen()
{
    if (copy.memory && copy.previous)
        SelectObject(copy.memory, copy.previous);
    if (copy.bitmap)
        DeleteObject(copy.bitmap);
    if (copy.memory)
        DeleteDC(copy.memory);
    if (copy.screen)
        ReleaseDC(nullptr, copy.screen);
    copy = {};
}

int CursorStateOf(CursorState* state)
{
    if (!platformApi.GetCursorInfo || !platformApi.DrawIconEx)
        return 0;
    CURSORINFO info = {};
    info.cbSize = sizeof info;
    if (!platformApi.GetCursorInfo(&info))
        return 0;
    copy.cursor = info.hCursor;
    state->showing = (info.flags & CURSOR_SHOWING) && info.hCursor;
    state->x = info.ptScreenPos.x;
    state->y = info.ptScreenPos.y;
    return 1;
}

void DrawCursor(int32_t x, int32_t y)
{
    platformApi.DrawIconEx(copy.memory, x, y, copy.cursor, 0, 0, 0, nullptr, DI_NORMAL);
    GdiFlush();
}

void Post(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (captureWindows.mainWindow)
        PostMessageA(static_cast<HWND>(captureWindows.mainWindow), message, wParam, lParam);
}

DWORD WINAPI ThreadEntry(void*)
{
    return CaptureThreadProc();
}

int StartThread()
{
    recorderState.thread = CreateThread(nullptr, 0, ThreadEntry, nullptr, 0, nullptr);
    return recorderState.thread != nullptr;
}

void WaitThread(uint32_t ms)
{
    if (recorderState.thread)
        WaitForSingleObject(static_cast<HANDLE>(recorderState.thread), ms);
}

}  // namespace

CaptureApi captureApi = {TickCount,     SleepMs,    BeginTimerPeriod, EndTimerPeriod, OpenScreen, GrabScreen,
                         CloseScreen,   CursorStateOf, DrawCursor,    Post,           StartThread, WaitThread};
