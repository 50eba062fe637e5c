#pragma once
// Where the native settings window opens: beside the main window, so that
// it covers neither the toolbar nor the viewfinder, when the screen has room.

#include <cstdint>

#include "ui/main_layout.h"

// The gap between the two windows' frames.
constexpr int32_t kSettingsPlaceGap = 8;

// The outer top-left corner for a settings window of width x height, given
// the main window's outer rectangle and the screen's work area (both right
// and bottom exclusive): right of the main window, else left of it, top
// edges aligned; else below it, else above it, left edges aligned; always
// pushed back onto the work area along the shared edge. Returns 0 when it
// fits on no side: the system then places it.
int32_t SettingsWindowPlace(Edges mainOuter, int32_t width, int32_t height, Edges workArea, int32_t* x, int32_t* y);
