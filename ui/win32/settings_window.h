#pragma once
// The settings window: owner-drawn, no child controls. Its layout and hit
// areas are in ui/settings_layout, the size fields' edit in
// ui/settings_controller; here are the window class, the fonts and the
// messages; its picture is settings_paint's.

#include <windows.h>

#include <cstdint>

// Brings an open settings window to the front, or opens it (owned by the
// main window; the grips hide while it is visible).
void OpenSettingsWindow();

LRESULT CALLBACK SettingsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The whole client area of width x height onto dc: the portable paint list
// drawn with GDI and the fonts of shellState (the settings window's fonts
// must exist).
void PaintSettings(HDC dc, int32_t width, int32_t height);

// Creates labelFont and noteFont once per process.
void CreateSettingsFonts();
