#include "ui/settings_window_win.h"

#include <shellapi.h>
#include <windowsx.h>

#include <cstdio>

#include "settings/settings.h"
#include "settings/update_check.h"
#include "settings/update_server.h"
#include "ui/gdi_draw_win.h"
#include "ui/grips_win.h"
#include "ui/settings_layout.h"
#include "ui/shell_state_win.h"

namespace {

const char kSettingsClassName[] = "PixloSetup";
constexpr DWORD kSettingsStyle = WS_CAPTION | WS_SYSMENU;

// The window API's entries: what settings_layout asks of the system.
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
    SetWindowPos(main, nullptr, 0, 0, outerWidth, outerHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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

void TextAt(HDC dc, int32_t x, int32_t y, const char* text, HFONT font, uint32_t colour)
{
    SelectObject(dc, font);
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text, lstrlenA(text));
}

void TextCentred(HDC dc, const Edges& box, const char* text, HFONT font, uint32_t colour)
{
    SelectObject(dc, font);
    SetTextColor(dc, colour);
    RECT r = {box.left, box.top, box.right, box.bottom};
    DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// The link text's size in noteFont, on dc.
SIZE LinkTextSize(HDC dc, const char* text)
{
    HGDIOBJ oldFont = SelectObject(dc, shellState.noteFont);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, oldFont);
    return size;
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
    char link[kLinkTextSize];
    FormatLinkText(link, sizeof link, updateServer.host);
    SIZE size = {0, 0};
    HDC dc = GetDC(window);
    if (dc) {
        size = LinkTextSize(dc, link);
        ReleaseDC(window, dc);
    }
    SettingsPress(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), size.cx, size.cy);
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

void DrawToggle(HDC dc, int32_t left, int32_t centreY, int32_t on)
{
    const ToggleShape s = ToggleShapeAt(left, centreY, on);
    DrawShape(dc, kRound, s.track, 25, s.colour, s.colour);
    DrawShape(dc, kEllipse, s.knob, 0, s.colour, kSetWhite);
}

namespace {

void DrawSwitch(HDC dc, const SwitchPlace& place, int32_t on)
{
    TextAt(dc, place.labelX, place.labelY, place.label, shellState.labelFont, kSetTextColour);
    DrawToggle(dc, place.left, place.centreY, on);
}

}  // namespace

void DrawSizeField(HDC dc, int32_t left, int32_t right, int32_t field)
{
    const SettingsWindowState& st = settingsWindowState;
    const int32_t edited = st.editField == field;
    const int32_t locked = SizeFieldsLocked();
    const SizeFieldShape s = SizeFieldShapeAt(left, right);
    DrawShape(dc, kRound, s.box, 10, edited ? kSetAccentColour : kSetFieldOutline, locked ? kSetLightFill : kSetWhite);
    char text[16];
    if (edited)
        std::snprintf(text, sizeof text, "%s", st.editText);
    else
        std::snprintf(text, sizeof text, "%d", static_cast<int>(field == 1 ? settings.defw : settings.defh));
    TextCentred(dc, s.text, text, shellState.labelFont, locked ? kSetInactiveText : kSetTextColour);
    if (edited)
        DrawLine(dc, s.caretX, s.caretTop, s.caretX, s.caretBottom, kSetAccentColour);
}

void PaintSettings(HDC dc, int32_t width, int32_t height)
{
    const ShellState& shell = shellState;
    RECT client = {0, 0, width, height};
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ oldFont = SelectObject(dc, shell.labelFont);
    SetBkMode(dc, TRANSPARENT);

    for (int32_t y : kSettingsSeparatorRows)
        DrawLine(dc, 20, y, 410, y, kSetSeparatorColour);

    char text[kLinkTextSize];
    TextAt(dc, 20, 16, "帧率", shell.labelFont, kSetTextColour);
    std::snprintf(text, sizeof text, "%d fps", static_cast<int>(settings.fps));
    TextAt(dc, 86, 21, text, shell.noteFont, kSetSecondaryColour);
    const SliderShape slider = SliderShapeFor(settings.fps);
    DrawShape(dc, kRound, slider.track, 9, kSetControlOutline, kSetSeparatorColour);
    DrawShape(dc, kRound, slider.filled, 9, kSetAccentColour, kSetAccentColour);
    DrawShape(dc, kEllipse, slider.knob, 0, kSetAccentColour, kSetWhite);

    DrawSwitch(dc, kCursorSwitch, settings.cursor);
    DrawSwitch(dc, kGuidesSwitch, settings.guides);

    TextAt(dc, 20, 128, "输出 GIF", shell.labelFont, kSetTextColour);
    DrawShape(dc, kRound, kOutputControl, 16, kSetControlOutline, kSetLightFill);
    DrawShape(dc, kRound, SelectedSegment(settings.outw), 13, kSetControlOutline, kSetAccentColour);
    for (const OutputSegment& segment : kOutputSegments)
        TextCentred(dc, segment.labelBox, segment.label, shell.labelFont,
                    segment.outw == settings.outw ? kSetWhite : kSetSecondaryColour);

    TextAt(dc, 20, 190, "取景尺寸", shell.labelFont, kSetTextColour);
    DrawSizeField(dc, kSizeFieldLeft[1], kSizeFieldRight[1], 1);
    TextCentred(dc, {208, 190, 238, 219}, "×", shell.labelFont, kSetSecondaryColour);
    DrawSizeField(dc, kSizeFieldLeft[2], kSizeFieldRight[2], 2);

    DrawSwitch(dc, kOptimizeSwitch, settings.optimize);
    DrawSwitch(dc, kAutocheckSwitch, settings.autocheck);

    DrawShape(dc, kRound, kUpdateButton, 12, kSetFieldOutline, kSetLightFill);
    TextCentred(dc, kUpdateButton, "检查更新", shell.labelFont, kSetTextColour);
    if (updateStatusText[0])
        TextAt(dc, kUpdateStatusX, kUpdateStatusY, updateStatusText, shell.labelFont, kSetStatusColour);

    TextAt(dc, 20, kSettingsFooterY, SettingsFooterText(), shell.noteFont, kSetSecondaryColour);
    FormatLinkText(text, sizeof text, updateServer.host);
    const SIZE size = LinkTextSize(dc, text);
    const LinkPlace link = LinkPlaceFor(size.cx, size.cy);
    TextAt(dc, link.textX, link.textY, text, shell.noteFont, kSetAccentColour);
    DrawLine(dc, link.underlineLeft, link.underlineY, link.underlineRight, link.underlineY, kSetLinkUnderline);

    SelectObject(dc, oldFont);
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
        if (!SettingsChar(static_cast<uint32_t>(wParam)))
            break;
        return 0;
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
