#include "ui/win32/gdi_draw.h"

#include "ui/win32/shell_state.h"

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

namespace {

HDC target;

HFONT FontOf(PaintFont font)
{
    switch (font) {
    case kLabelFont: return shellState.labelFont;
    case kNoteFont: return shellState.noteFont;
    case kMainFont: return shellState.mainFont;
    }
    return shellState.mainFont;
}

void Fill(Edges box, uint32_t colour)
{
    RECT r = {box.left, box.top, box.right, box.bottom};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(target, &r, brush);
    DeleteObject(brush);
}

void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour)
{
    DrawLine(target, x0, y0, x1, y1, colour);
}

void Shape(PaintShape kind, Edges box, int32_t corner, uint32_t outline, uint32_t fill)
{
    if (kind != kShapeDisc) {
        DrawShape(target, kind == kShapeRound ? kRound : kEllipse, box, corner, outline, fill);
        return;
    }
    GdiSelection brush(target, CreateSolidBrush(fill));
    GdiSelection noPen(target, GetStockObject(NULL_PEN), false);
    Ellipse(target, box.left, box.top, box.right, box.bottom);
}

void Text(Edges box, const char* text, PaintFont font, uint32_t colour, UINT format)
{
    GdiSelection selected(target, FontOf(font), false);
    SetBkMode(target, TRANSPARENT);
    SetTextColor(target, colour);
    RECT r = {box.left, box.top, box.right, box.bottom};
    DrawTextA(target, text, -1, &r, format);
}

void TextAt(int32_t x, int32_t y, const char* text, PaintFont font, uint32_t colour)
{
    GdiSelection selected(target, FontOf(font), false);
    SetBkMode(target, TRANSPARENT);
    SetTextColor(target, colour);
    TextOutA(target, x, y, text, lstrlenA(text));
}

void TextCentred(Edges box, const char* text, PaintFont font, uint32_t colour)
{
    Text(box, text, font, colour, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TextSize(const char* text, PaintFont font, int32_t* width, int32_t* height)
{
    GdiSelection selected(target, FontOf(font), false);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(target, text, lstrlenA(text), &size);
    *width = size.cx;
    *height = size.cy;
}

void TextLeft(Edges box, const char* text, PaintFont font, uint32_t colour)
{
    Text(box, text, font, colour, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// As a static text control draws its text, '&' prefixes included.
void TextWrapped(Edges box, const char* text, PaintFont font, uint32_t colour)
{
    Text(box, text, font, colour, DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK);
}

const DrawApi kGdiDrawApi = {Fill, Line, Shape, TextAt, TextCentred, TextSize, TextLeft, TextWrapped};

}  // namespace

const DrawApi& GdiDrawOn(HDC dc)
{
    target = dc;
    return kGdiDrawApi;
}
