#pragma once
// The main window: a toolbar over a see-through viewfinder.

#include <windows.h>

#include <cstdint>

#include "ui/main_layout.h"

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Draws the viewfinder as a recording shows it (key colour and outline, no
// guides or label) at once, outside the paint cycle.
void ClearViewfinderNow(HWND window);

// What the window's outer rectangle holds beyond its recording area, with
// the frame it really has: Wine draws thinner borders and a lower caption
// than Windows, whose frame the fixed sizes assume.
FrameExtra RealFrameExtra(HWND window);

// Gives the window the outer size that makes its viewfinder exactly
// viewfinderWidth x viewfinderHeight on its real frame, keeping its place.
void SizeForViewfinder(HWND window, int32_t viewfinderWidth, int32_t viewfinderHeight);
