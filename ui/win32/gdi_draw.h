#pragma once
// GDI drawing with objects made for one drawing: a guard that selects an
// object into a context and, at the end of its scope, selects the previous
// one back and deletes the object it was given; and the shapes the windows
// draw with it.

#include <windows.h>

#include <cstdint>

#include "ui/draw_api.h"
#include "ui/main_layout.h"

class GdiSelection {
public:
    // owned: the object was made for this drawing and is deleted with the
    // guard; a stock object or a font that lives for the process is not.
    GdiSelection(HDC dc, HGDIOBJ object, bool owned = true)
        : dc(dc), object(object), previous(SelectObject(dc, object)), owned(owned)
    {
    }
    ~GdiSelection()
    {
        SelectObject(dc, previous);
        if (owned)
            DeleteObject(object);
    }
    GdiSelection(const GdiSelection&) = delete;
    GdiSelection& operator=(const GdiSelection&) = delete;

private:
    HDC dc;
    HGDIOBJ object;
    HGDIOBJ previous;
    bool owned;
};

// A shape filled with one brush and outlined with one pen, both made for it;
// the right and bottom edges are excluded.
enum ShapeKind { kRound, kEllipse };
void DrawShape(HDC dc, ShapeKind kind, const Edges& e, int32_t corner, uint32_t outline, uint32_t fill);

// A line from (x1, y1) to (x2, y2), the end excluded.
void DrawLine(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

// The drawing table on dc, with the shell's fonts, until the next call; texts
// are drawn without a background.
const DrawApi& GdiDrawOn(HDC dc);
