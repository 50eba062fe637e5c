#include "ui/win32/toolbar_buttons.h"

#include "common/platform_api_win.h"
#include "ui/main_controller.h"
#include "ui/main_paint.h"
#include "ui/shell_texts.h"
#include "ui/win32/gdi_draw.h"
#include "ui/win32/shell_state.h"

void SetButtonEnables(const ButtonEnables& enables)
{
    for (int32_t i = 0; i < kToolbarButtonCount; i++)
        if (shellState.buttons[i])
            EnableWindow(shellState.buttons[i], enables.enabled[i] ? TRUE : FALSE);
    for (HWND button : shellState.buttons)
        if (button)
            InvalidateRect(button, nullptr, TRUE);
}

void UpdateButtons()
{
    SetButtonEnables(MainButtonEnables());
}

LRESULT CALLBACK ButtonHoverProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    ShellState& s = shellState;
    if (message == WM_MOUSEMOVE) {
        const int32_t actions = HoverOnMouseMove(&s.hover, button, platformApi.TrackMouseEvent != nullptr);
        if (actions & kHoverRepaint)
            InvalidateRect(button, nullptr, TRUE);
        if (actions & kHoverTrackLeave) {
            TRACKMOUSEEVENT track = {sizeof(TRACKMOUSEEVENT), TME_LEAVE, button, 0};
            platformApi.TrackMouseEvent(&track);
        }
    } else if (message == WM_MOUSELEAVE) {
        if (HoverOnMouseLeave(&s.hover, button) & kHoverRepaint)
            InvalidateRect(button, nullptr, TRUE);
    }
    if (!s.previousButtonProc)
        return DefWindowProcA(button, message, wParam, lParam);
    return CallWindowProcA(s.previousButtonProc, button, message, wParam, lParam);
}

namespace {

// Draws part of the client area's picture on a child's DC, which starts at
// the child's place (left, top).
class ChildOrigin {
public:
    ChildOrigin(HDC dc, int32_t left, int32_t top) : dc(dc) { SetViewportOrgEx(dc, -left, -top, &previous); }
    ~ChildOrigin() { SetViewportOrgEx(dc, previous.x, previous.y, nullptr); }
    ChildOrigin(const ChildOrigin&) = delete;
    ChildOrigin& operator=(const ChildOrigin&) = delete;

private:
    HDC dc;
    POINT previous;
};

}  // namespace

BOOL DrawToolbarButton(const DRAWITEMSTRUCT* item)
{
    const int32_t button = ToolbarButtonOf(static_cast<int32_t>(item->CtlID));
    const ButtonLookKind kind =
        ChooseButtonLook(item->hwndItem == shellState.hover.hovered, (item->itemState & ODS_SELECTED) != 0,
                         (item->itemState & ODS_DISABLED) != 0);
    ChildOrigin origin(item->hDC, kToolbarButtons[button].x, kButtonTop);
    PaintToolbarButton(GdiDrawOn(item->hDC), button, kind, GetSysColor(COLOR_BTNFACE));
    return TRUE;
}

BOOL DrawStatusLine(const DRAWITEMSTRUCT* item)
{
    char text[kStatusTextSize] = "";
    GetWindowTextA(item->hwndItem, text, sizeof text);
    ChildOrigin origin(item->hDC, kStatusLeft, kStatusTop);
    PaintStatusLine(GdiDrawOn(item->hDC), text);
    return TRUE;
}
