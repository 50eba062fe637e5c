#pragma once
// pixlo --pick: the user drags a rectangle on the X screen with the mouse,
// or clicks a window for its frame's rectangle, and its x y w h, as /rect
// takes them, go to standard output.

// Runs the whole pick on the display named by DISPLAY. Returns the exit
// code: 0 with the line printed, 1 when there is no display, the pointer
// cannot be had, or Escape cancelled (the reason on standard error).
int PickRectangleX11();
