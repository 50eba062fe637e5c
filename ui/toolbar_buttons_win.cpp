#include "ui/toolbar_buttons_win.h"

#include "common/platform_api_win.h"
#include "encoder/frame_store.h"
#include "recorder/recorder_state.h"
#include "ui/gdi_draw_win.h"
#include "ui/shell_state_win.h"

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
    SetButtonEnables(ButtonStatesFor(recorderState.recording.load(), recorderState.stopRequest.load(), frameStore.count));
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

BOOL DrawToolbarButton(const DRAWITEMSTRUCT* item)
{
    const int32_t button = ToolbarButtonOf(static_cast<int32_t>(item->CtlID));
    HDC dc = item->hDC;
    const RECT& r = item->rcItem;
    SetBkMode(dc, TRANSPARENT);
    const ButtonLookKind kind =
        ChooseButtonLook(item->hwndItem == shellState.hover.hovered, (item->itemState & ODS_SELECTED) != 0,
                         (item->itemState & ODS_DISABLED) != 0);
    const ButtonLook look = ButtonLookOf(button, kind);

    DrawShape(dc, kRound, {r.left, r.top, r.right, r.bottom}, 12, look.border, look.fill);

    const ButtonContent content = ButtonContentIn(button, r.left, r.top, r.right, r.bottom);
    if (look.hasDot) {
        // Without an outline: the dot is the brush's interior alone.
        GdiSelection dot(dc, CreateSolidBrush(look.dot));
        GdiSelection noPen(dc, GetStockObject(NULL_PEN), false);
        Ellipse(dc, content.dotLeft, content.dotTop, content.dotRight, content.dotBottom);
    }

    GdiSelection font(dc, shellState.mainFont, false);
    SetTextColor(dc, look.text);
    char text[32] = "";
    GetWindowTextA(item->hwndItem, text, sizeof text);
    RECT textBox = r;
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (content.centred) {
        format |= DT_CENTER;
    } else {
        textBox.left = content.textLeft;
        format |= DT_LEFT;
    }
    DrawTextA(dc, text, -1, &textBox, format);
    return TRUE;
}
