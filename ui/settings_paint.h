#pragma once
// The settings window's picture as a list of drawing calls (draw_api.h),
// made from the portable layout (settings_layout.h) and the settings.
// Elements are drawn in order, later ones covering earlier ones.

#include <cstdint>

#include "ui/draw_api.h"

// The whole client area of width x height, as the Windows window paints it.
void PaintSettingsWindow(const DrawApi& draw, int32_t width, int32_t height);

// The link's text size in noteFont, as a press is hit-tested with.
void SettingsLinkSize(const DrawApi& draw, int32_t* width, int32_t* height);
