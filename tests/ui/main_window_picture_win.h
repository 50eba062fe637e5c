#pragma once
// The real main window on the test's display, put into one state of the
// shell and repainted, its children too; its client area read back.
#include <windows.h>

#include <cstdint>

#include "encoder/frame_store.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "tests/ui/canvas_win.h"
#include "ui/win32/main_window.h"
#include "ui/win32/shell_state.h"
#include "ui/win32/toolbar_buttons.h"

struct MainPictureState {
    const char* name;
    int32_t width, height;
    int32_t recording, stopRequest, frames, guides;
    const char* status;
    int32_t hovered;  // button index or -1
    int32_t pressed;  // button index or -1
};

class MainWindowOnScreen {
public:
    MainWindowOnScreen()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = MainWndProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = "PixloPictureTest";
        RegisterClassA(&windowClass);
    }

    // A borderless window whose client area is the whole window.
    void Show(const MainPictureState& s)
    {
        settings.guides = s.guides;
        recorderState.recording.store(s.recording);
        recorderState.stopRequest.store(s.stopRequest);
        frameStore.count = s.frames;
        window = CreateWindowExA(0, "PixloPictureTest", "Pixlo", WS_POPUP | WS_VISIBLE, 0, 0, s.width, s.height,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowTextA(shellState.statusLine, s.status);
        UpdateButtons();
        shellState.hover.hovered = s.hovered >= 0 ? shellState.buttons[s.hovered] : nullptr;
        if (s.pressed >= 0)
            SendMessageA(shellState.buttons[s.pressed], BM_SETSTATE, TRUE, 0);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
    }

    void Read(Canvas* canvas, int32_t width, int32_t height)
    {
        HDC dc = GetDC(window);
        BitBlt(canvas->dc, 0, 0, width, height, dc, 0, 0, SRCCOPY);
        ReleaseDC(window, dc);
        GdiFlush();
    }

    void Close()
    {
        shellState.hover = {};
        recorderState.recording.store(0);
        recorderState.stopRequest.store(0);
        DestroyWindow(window);
        Pump();
        window = nullptr;
        DeleteObject(shellState.mainFont);
        shellState.mainFont = nullptr;
        frameStore.count = 0;
    }

    HWND window = nullptr;

private:
    static void Pump()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
};
