#pragma once
// The drawing calls the windows' paint lists are made of, through a table the
// platform fills: GDI on Windows, cairo and pango on Linux.

#include <cstdint>

#include "ui/main_layout.h"

enum PaintFont : int32_t {
    kLabelFont,  // the settings window's labels, cell height 20
    kNoteFont,   // the settings window's notes, cell height 14
    kMainFont,   // the main window's buttons, status line and size label, cell height 16
};

enum PaintShape : int32_t {
    kShapeRound,    // rounded rectangle with a corner ellipse of corner x corner
    kShapeEllipse,
    kShapeDisc,     // an ellipse's interior alone: no outline, one pixel less right and below
};

// Colours are 0x00BBGGRR; boxes exclude their right and bottom edges; lines
// are one pixel wide and exclude their end point; texts are the product's own
// (UTF-8 natively, GBK on Windows).
struct DrawApi {
    void (*fill)(Edges box, uint32_t colour);
    void (*line)(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
    // Filled with fill and outlined one pixel wide with outline.
    void (*shape)(PaintShape kind, Edges box, int32_t corner, uint32_t outline, uint32_t fill);
    // The text's top-left corner at x, y.
    void (*textAt)(int32_t x, int32_t y, const char* text, PaintFont font, uint32_t colour);
    // Centred horizontally and vertically on one line in box.
    void (*textCentred)(Edges box, const char* text, PaintFont font, uint32_t colour);
    // The text's width and height in font.
    void (*textSize)(const char* text, PaintFont font, int32_t* width, int32_t* height);
    // From box's left edge, centred vertically on one line.
    void (*textLeft)(Edges box, const char* text, PaintFont font, uint32_t colour);
    // From box's top-left corner, broken at spaces onto the lines below, and
    // cut at the box's edges.
    void (*textWrapped)(Edges box, const char* text, PaintFont font, uint32_t colour);
};
