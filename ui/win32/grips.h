#pragma once
// The eight nearly invisible grip windows on the viewfinder's margin: each
// answers with a fixed sizing code and hands a press to the main window.

#include <windows.h>

#include "ui/main_layout.h"

LRESULT CALLBACK GripWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Places, paints and shows the grips around the main window's recording
// area; hides them while the main window is minimised or hidden or the
// settings window is visible. Does nothing before the grips exist.
void UpdateGrips();

// Destroys the grips that still exist and clears their handles.
void DestroyGrips();

// Sets the system's sizing arrow for a cursor choice (the arrow for none).
void ShowSizingCursor(SizeCursor cursor);
