#pragma once
// The toolbar's owner-drawn buttons and status line: enabling, hover
// tracking and drawing.

#include <windows.h>

#include "ui/toolbar_look.h"

// Enable states from the recording flag and the frame count.
void UpdateButtons();
// Sets the four enable states and repaints the buttons with erasing.
void SetButtonEnables(const ButtonEnables& enables);

// Subclass procedure of the four buttons.
LRESULT CALLBACK ButtonHoverProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

// WM_DRAWITEM for one of the four buttons; returns TRUE.
BOOL DrawToolbarButton(const DRAWITEMSTRUCT* item);

// WM_DRAWITEM for the status line; returns TRUE.
BOOL DrawStatusLine(const DRAWITEMSTRUCT* item);
