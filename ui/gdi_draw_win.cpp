#include "ui/gdi_draw_win.h"

void DrawShape(HDC dc, ShapeKind kind, const Edges& e, int32_t corner, uint32_t outline, uint32_t fill)
{
    GdiSelection pen(dc, CreatePen(PS_SOLID, 1, outline));
    GdiSelection brush(dc, CreateSolidBrush(fill));
    if (kind == kRound)
        RoundRect(dc, e.left, e.top, e.right, e.bottom, corner, corner);
    else
        Ellipse(dc, e.left, e.top, e.right, e.bottom);
}

void DrawLine(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour)
{
    GdiSelection pen(dc, CreatePen(PS_SOLID, 1, colour));
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}
