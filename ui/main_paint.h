#pragma once
// The main window's picture as a list of drawing calls (draw_api.h), made
// from the portable layout (main_layout.h, toolbar_look.h) and the state the
// window shows. Elements are drawn in order, later ones covering earlier ones.
// The Windows window draws it in parts: the background when erased, each
// button and the status line as its own control, the viewfinder when painted.

#include <cstdint>

#include "ui/draw_api.h"
#include "ui/toolbar_look.h"

struct MainPicture {
    int32_t width, height;   // the client area
    ButtonEnables enables;
    int32_t hovered;         // button index, or -1
    int32_t pressed;         // button index, or -1
    const char* status;
    int32_t bare;            // recording: the outline alone, no guides or label
    int32_t guides;
    uint32_t marginColour;   // the ring around the recording area
    uint32_t cornerColour;   // a button's box outside its rounded shape
};

// The whole client area.
void PaintMainWindow(const DrawApi& draw, const MainPicture& picture);

// Toolbar band, separator row, and the viewfinder in the margin colour with
// the recording area key-coloured.
void PaintMainBackground(const DrawApi& draw, int32_t width, int32_t height, uint32_t marginColour);
// One button in the look it has, at its place in the client area, on its
// box filled with cornerColour: on Windows each button is a control of its
// own, whose face the system fills before the button is drawn.
void PaintToolbarButton(const DrawApi& draw, int32_t button, ButtonLookKind kind, uint32_t cornerColour);
// The status line's box and text, at its place in the client area.
void PaintStatusLine(const DrawApi& draw, const char* text);
// The red outline and, unless bare, the guides (when on) and the size label.
void PaintViewfinder(const DrawApi& draw, int32_t width, int32_t height, int32_t bare, int32_t guides);
