#pragma once
// The main window: a toolbar over a see-through viewfinder.

#include <windows.h>

#include <cstdint>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The erased background for a client area of width x height: white
// toolbar, grey separator row, key-coloured viewfinder.
void PaintBackground(HDC dc, int32_t width, int32_t height);

// Draws the outline and, unless a recording runs, the guides and the size
// label for a client area of width x height onto dc (the window's or a
// memory DC).
void PaintViewfinder(HDC dc, int32_t width, int32_t height, int32_t recording, int32_t guides);

// Draws the viewfinder as a recording shows it (key colour and outline, no
// guides or label) at once, outside the paint cycle.
void ClearViewfinderNow(HWND window);
