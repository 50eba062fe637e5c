#include "ui/win32/grips.h"

#include <cstdint>

#include "ui/main_layout.h"
#include "ui/win32/shell_state.h"

static_assert(kHitLeft == HTLEFT && kHitRight == HTRIGHT && kHitTop == HTTOP && kHitTopLeft == HTTOPLEFT &&
              kHitTopRight == HTTOPRIGHT && kHitBottom == HTBOTTOM && kHitBottomLeft == HTBOTTOMLEFT &&
              kHitBottomRight == HTBOTTOMRIGHT && kHitClient == HTCLIENT);

namespace {

// Black at alpha 2 of 255, premultiplied: invisible to the eye, yet not
// the fully transparent pixel that mouse input would pass through.
constexpr uint32_t kGripPixel = 0x02000000;

int32_t GripIndexOf(HWND grip)
{
    const LONG_PTR value = GetWindowLongPtrA(grip, GWLP_USERDATA);
    return value >= 0 && value < kGripCount ? static_cast<int32_t>(value) : -1;
}

void PaintGrip(HWND grip, const Box& box)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = box.width;
    info.bmiHeader.biHeight = -box.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap)
            DeleteObject(bitmap);
        return;
    }
    uint32_t* pixels = static_cast<uint32_t*>(bits);
    const size_t count = static_cast<size_t>(box.width) * static_cast<size_t>(box.height);
    for (size_t i = 0; i < count; i++)
        pixels[i] = kGripPixel;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    if (memory) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        POINT position = {box.left, box.top};
        SIZE size = {box.width, box.height};
        POINT source = {0, 0};
        UpdateLayeredWindow(grip, screen, &position, &size, memory, &source, 0, &blend, ULW_ALPHA);
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    if (screen)
        ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
}

}  // namespace

void ShowSizingCursor(SizeCursor cursor)
{
    LPCSTR name = IDC_ARROW;
    switch (cursor) {
    case kCursorSizeWE: name = IDC_SIZEWE; break;
    case kCursorSizeNS: name = IDC_SIZENS; break;
    case kCursorSizeNWSE: name = IDC_SIZENWSE; break;
    case kCursorSizeNESW: name = IDC_SIZENESW; break;
    case kCursorNone: break;
    }
    SetCursor(LoadCursorA(nullptr, name));
}

void UpdateGrips()
{
    ShellState& s = shellState;
    if (!s.mainWindow || !s.grips[0])
        return;
    if (IsIconic(s.mainWindow) || !IsWindowVisible(s.mainWindow) ||
        (s.settingsWindow && IsWindowVisible(s.settingsWindow))) {
        for (HWND grip : s.grips)
            if (grip)
                ShowWindow(grip, SW_HIDE);
        return;
    }
    RECT client;
    GetClientRect(s.mainWindow, &client);
    POINT origin = {0, 0};
    ClientToScreen(s.mainWindow, &origin);
    for (int32_t i = 0; i < kGripCount; i++) {
        if (!s.grips[i])
            continue;
        const GripPlace place = GripPlacement(i, origin.x, origin.y, client.right, client.bottom);
        const Box& b = place.box;
        SetWindowPos(s.grips[i], nullptr, b.left, b.top, b.width, b.height,
                     SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
        // A client too small for a strip: the grip keeps its earlier content.
        if (b.width < 1 || b.height < 1)
            continue;
        PaintGrip(s.grips[i], b);
    }
}

void DestroyGrips()
{
    for (HWND& grip : shellState.grips) {
        if (grip)
            DestroyWindow(grip);
        grip = nullptr;
    }
}

LRESULT CALLBACK GripWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return TRUE;
    }
    case WM_NCHITTEST: {
        const int32_t hit = GripHitCode(GripIndexOf(window));
        if (hit != kHitDefault)
            return hit;
        break;
    }
    case WM_SETCURSOR: {
        const int32_t hit = GripHitCode(GripIndexOf(window));
        if (hit != kHitDefault) {
            ShowSizingCursor(CursorForHit(hit));
            return TRUE;
        }
        break;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        // The main window's own sizing loop runs from this edge, with its
        // minimum size and Shift lock. A double press is a press too: it
        // must never reach the system as a double click that maximises.
        ReleaseCapture();
        SendMessageA(shellState.mainWindow, WM_NCLBUTTONDOWN, wParam, lParam);
        return 0;
    case WM_NCDESTROY: {
        // The system destroys owned windows before their owner: forget the
        // handle so that nothing later touches a window that is gone.
        const int32_t index = GripIndexOf(window);
        if (index >= 0 && shellState.grips[index] == window)
            shellState.grips[index] = nullptr;
        break;
    }
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
