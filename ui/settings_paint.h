#pragma once
// The settings window's picture as a list of drawing calls, made from the
// portable layout (settings_layout.h) and the settings, through a table the
// platform fills: cairo and pango on Linux. Elements are drawn in order, later
// ones covering earlier ones.

#include <cstdint>

#include "ui/main_layout.h"

enum SettingsFont : int32_t {
    kLabelFont,  // cell height 20
    kNoteFont,   // cell height 14
};

enum SettingsShapeKind : int32_t {
    kShapeRound,    // rounded rectangle with a corner ellipse of corner x corner
    kShapeEllipse,
};

// Colours are 0x00BBGGRR; boxes exclude their right and bottom edges; lines
// are one pixel wide and exclude their end point; texts are the product's own
// (UTF-8 natively, GBK on Windows).
struct SettingsDrawApi {
    void (*fill)(Edges box, uint32_t colour);
    void (*line)(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
    // Filled with fill and outlined one pixel wide with outline.
    void (*shape)(SettingsShapeKind kind, Edges box, int32_t corner, uint32_t outline, uint32_t fill);
    // The text's top-left corner at x, y.
    void (*textAt)(int32_t x, int32_t y, const char* text, SettingsFont font, uint32_t colour);
    // Centred horizontally and vertically on one line in box.
    void (*textCentred)(Edges box, const char* text, SettingsFont font, uint32_t colour);
    // The text's width and height in font.
    void (*textSize)(const char* text, SettingsFont font, int32_t* width, int32_t* height);
};

// The whole client area of width x height, as the Windows window paints it.
void PaintSettingsWindow(const SettingsDrawApi& draw, int32_t width, int32_t height);

// The link's text size in noteFont, as a press is hit-tested with.
void SettingsLinkSize(const SettingsDrawApi& draw, int32_t* width, int32_t* height);
