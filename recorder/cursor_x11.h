#pragma once
// The cursor of an X11 display through the XFixes extension: its image,
// position and hotspot, as the capture table's cursor entries want them.

#include <X11/Xlib.h>

#include "recorder/capture.h"

// Asks the display for XFixes; 0 when the server lacks it, and the cursor is
// then never drawn.
int OpenX11Cursor(Display* display);
void CloseX11Cursor();

// The cursor's state now. Keeps its image for DrawX11Cursor.
int X11CursorState(CursorState* state);

// Draws the image of the last X11CursorState into a B, G, R, X frame with its
// top-left corner at (x, y), clipped to the frame.
void DrawX11Cursor(uint8_t* frame, int32_t frameW, int32_t frameH, int32_t x, int32_t y);
