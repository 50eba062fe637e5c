#include "ui/win32/main_window.h"

#include <windowsx.h>

#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "settings/update_check.h"
#include "ui/main_layout.h"
#include "ui/main_paint.h"
#include "ui/toolbar_look.h"
#include "ui/win32/commands.h"
#include "ui/win32/gdi_draw.h"
#include "ui/win32/grips.h"
#include "ui/win32/shell_state.h"
#include "ui/win32/toolbar_buttons.h"

static_assert(kEdgeLeft == WMSZ_LEFT && kEdgeRight == WMSZ_RIGHT && kEdgeTop == WMSZ_TOP &&
              kEdgeTopLeft == WMSZ_TOPLEFT && kEdgeTopRight == WMSZ_TOPRIGHT && kEdgeBottom == WMSZ_BOTTOM &&
              kEdgeBottomLeft == WMSZ_BOTTOMLEFT && kEdgeBottomRight == WMSZ_BOTTOMRIGHT);
static_assert(kWmRecProgress == WM_APP + 1 && kWmRecDone == WM_APP + 2 && WM_UPDATE_RESULT == WM_APP + 3);

namespace {

void OnCreate(HWND window, const CREATESTRUCTA* create)
{
    ShellState& s = shellState;
    s.mainWindow = window;
    FillMainWindowApi();
    s.mainFont = CreateFontA(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "微软雅黑");
    for (int32_t i = 0; i < kToolbarButtonCount; i++) {
        const ToolbarButtonSpec& b = kToolbarButtons[i];
        s.buttons[i] = CreateWindowExA(0, "BUTTON", b.text, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, b.x, kButtonTop,
                                       kButtonWidth, kButtonHeight, window,
                                       reinterpret_cast<HMENU>(static_cast<intptr_t>(b.id)), create->hInstance,
                                       nullptr);
    }
    s.statusLine = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, kStatusLeft, kStatusTop,
                                   kStatusWidth, kStatusHeight, window,
                                   reinterpret_cast<HMENU>(static_cast<intptr_t>(ID_STATUS)), create->hInstance,
                                   nullptr);
    for (HWND control : s.buttons)
        if (control)
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(s.mainFont), TRUE);
    if (s.statusLine)
        SendMessageA(s.statusLine, WM_SETFONT, reinterpret_cast<WPARAM>(s.mainFont), TRUE);
    for (HWND button : s.buttons) {
        if (!button)
            continue;
        auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ButtonHoverProc)));
        if (!s.previousButtonProc)
            s.previousButtonProc = previous;
    }
    UpdateButtons();
}

void OnEraseBackground(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    // The key colour: the viewfinder is see-through and click-through.
    PaintMainBackground(GdiDrawOn(dc), client.right, client.bottom, kColourKey);
}

void OnPaint(HWND window)
{
    // Validate at once and draw straight onto the window afterwards: the
    // erased background is the viewfinder's picture.
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    HDC dc = GetDC(window);
    if (!dc)
        return;
    RECT client;
    GetClientRect(window, &client);
    PaintViewfinder(GdiDrawOn(dc), client.right, client.bottom, recorderState.recording.load(), settings.guides);
    ReleaseDC(window, dc);
}

LRESULT OnHitTest(HWND window, WPARAM wParam, LPARAM lParam)
{
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(window, &point);
    RECT client;
    GetClientRect(window, &client);
    const int32_t hit = MainHitTest(point.x, point.y, client.right, client.bottom);
    if (hit == kHitDefault)
        return DefWindowProcA(window, WM_NCHITTEST, wParam, lParam);
    return hit;
}

LRESULT OnSizing(HWND window, WPARAM wParam, LPARAM lParam)
{
    RECT* proposed = reinterpret_cast<RECT*>(lParam);
    InvalidateRect(window, nullptr, FALSE);
    if (GetKeyState(VK_SHIFT) & 0x8000) {
        const FrameExtra extra = RealFrameExtra(window);
        Edges outer = {proposed->left, proposed->top, proposed->right, proposed->bottom};
        if (ShiftLockedSizing(static_cast<int32_t>(wParam), shellState.baseWidth, shellState.baseHeight, extra,
                              &outer)) {
            *proposed = {outer.left, outer.top, outer.right, outer.bottom};
            return TRUE;
        }
    }
    return DefWindowProcA(window, WM_SIZING, wParam, lParam);
}

void OnEnterSizeMove(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    const Box area = RecordingArea(client.right, client.bottom);
    shellState.baseWidth = area.width;
    shellState.baseHeight = area.height;
}

}  // namespace

void ClearViewfinderNow(HWND window)
{
    HDC dc = GetDC(window);
    if (!dc)
        return;
    RECT client;
    GetClientRect(window, &client);
    const DrawApi& draw = GdiDrawOn(dc);
    draw.fill({0, kViewfinderTop, client.right, client.bottom}, kColourKey);
    PaintViewfinder(draw, client.right, client.bottom, 1, 0);
    GdiFlush();
    ReleaseDC(window, dc);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        return 0;
    case WM_DESTROY:
        OnMainWindowDestroyed();
        return 0;
    case WM_MOVE:
        UpdateGrips();
        return 0;
    case WM_SIZE:
        InvalidateRect(window, nullptr, FALSE);
        UpdateGrips();
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_ERASEBKGND:
        OnEraseBackground(window, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_SHOWWINDOW:
        UpdateGrips();
        break;
    case WM_SETCURSOR: {
        const SizeCursor cursor = CursorForHit(LOWORD(lParam));
        if (cursor == kCursorNone)
            break;
        ShowSizingCursor(cursor);
        return TRUE;
    }
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize.x = kMinTrackWidth;
        limits->ptMinTrackSize.y = kMinTrackHeight;
        return 0;
    }
    case WM_DRAWITEM:
        if (wParam == ID_STATUS)
            return DrawStatusLine(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        if (ToolbarButtonOf(static_cast<int32_t>(wParam)) < 0)
            break;
        return DrawToolbarButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_NCHITTEST:
        return OnHitTest(window, wParam, lParam);
    case WM_COMMAND:
        OnToolbarCommand(wParam);
        return 0;
    case WM_SIZING:
        return OnSizing(window, wParam, lParam);
    case WM_ENTERSIZEMOVE:
        OnEnterSizeMove(window);
        return 0;
    case kWmRecProgress:
        OnRecordingProgress(wParam, lParam);
        return 0;
    case kWmRecDone:
        OnRecordingDone(wParam);
        return 0;
    case WM_UPDATE_RESULT:
        OnUpdateResult(wParam);
        return 0;
    case WM_HOTKEY:
        OnHotkey(wParam);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

FrameExtra RealFrameExtra(HWND window)
{
    RECT whole, client;
    if (!GetWindowRect(window, &whole) || !GetClientRect(window, &client))
        return {kFrameExtraWidth, kFrameExtraHeight};
    return OuterExtraFor(whole.right - whole.left, whole.bottom - whole.top, client.right, client.bottom);
}

void SizeForViewfinder(HWND window, int32_t viewfinderWidth, int32_t viewfinderHeight)
{
    const FrameExtra extra = RealFrameExtra(window);
    SetWindowPos(window, nullptr, 0, 0, viewfinderWidth + extra.width, viewfinderHeight + extra.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
