#pragma once
// The settings window: owner-drawn, no child controls. Its layout, hit areas
// and the size fields' edit are in ui/settings_layout; here are the window
// class, the fonts, the drawing and the messages.

#include <windows.h>

#include <cstdint>

// Brings an open settings window to the front, or opens it (owned by the
// main window; the grips hide while it is visible).
void OpenSettingsWindow();

LRESULT CALLBACK SettingsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The whole client area of width x height onto dc, with the fonts of
// shellState (the settings window's fonts must exist).
void PaintSettings(HDC dc, int32_t width, int32_t height);

// One switch with its left edge and vertical centre.
void DrawToggle(HDC dc, int32_t left, int32_t centreY, int32_t on);
// The width (field 1) or height (field 2) box between left and right.
void DrawSizeField(HDC dc, int32_t left, int32_t right, int32_t field);

// Creates labelFont and noteFont once per process.
void CreateSettingsFonts();
