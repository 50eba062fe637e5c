#pragma once
// The main window: a toolbar over a see-through viewfinder.

#include <windows.h>

#include <cstdint>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Draws the viewfinder as a recording shows it (key colour and outline, no
// guides or label) at once, outside the paint cycle.
void ClearViewfinderNow(HWND window);
