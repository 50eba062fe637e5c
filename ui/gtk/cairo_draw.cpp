#include "ui/gtk/cairo_draw.h"

#include <cstdint>

namespace {

struct Target {
    GtkWidget* widget = nullptr;
    cairo_t* cr = nullptr;
};
Target target;

// By PaintFont.
constexpr int32_t kFontCount = 3;
constexpr int32_t kFontCellHeight[kFontCount] = {20, 14, 16};
PangoFontDescription* fonts[kFontCount];

void SetColour(cairo_t* cr, uint32_t colour)
{
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0, ((colour >> 16) & 0xFF) / 255.0);
}

// Painting and hit-testing measure with the widget's one context, so a press
// finds the link where it was drawn.
PangoLayout* LayoutFor(const char* text, PaintFont font)
{
    PangoLayout* layout = gtk_widget_create_pango_layout(target.widget, nullptr);
    pango_layout_set_font_description(layout, fonts[font]);
    pango_layout_set_text(layout, text, -1);
    return layout;
}

// Fonts whose lines are as tall as the Windows fonts' cells: the face's
// size is scaled until a line of it measures the cell height.
void MakeFonts()
{
    for (int32_t i = 0; i < kFontCount; i++) {
        if (fonts[i])
            continue;
        PangoFontDescription* font = pango_font_description_from_string("Noto Sans CJK SC, sans");
        pango_font_description_set_absolute_size(font, kFontCellHeight[i] * PANGO_SCALE);
        PangoLayout* layout = gtk_widget_create_pango_layout(target.widget, "帧率 fps");
        pango_layout_set_font_description(layout, font);
        PangoRectangle logical;
        pango_layout_get_extents(layout, nullptr, &logical);
        g_object_unref(layout);
        if (logical.height > 0)
            pango_font_description_set_absolute_size(
                font, static_cast<double>(kFontCellHeight[i]) * kFontCellHeight[i] * PANGO_SCALE * PANGO_SCALE /
                          logical.height);
        fonts[i] = font;
    }
}

// The drawing table, on the paint's cairo context. Shapes and lines sit on
// pixel centres so their one-pixel outlines cover whole pixels, as the
// Windows pens do.
void Fill(Edges box, uint32_t colour)
{
    SetColour(target.cr, colour);
    cairo_rectangle(target.cr, box.left, box.top, box.right - box.left, box.bottom - box.top);
    cairo_fill(target.cr);
}

void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour)
{
    cairo_t* cr = target.cr;
    SetColour(cr, colour);
    cairo_set_line_width(cr, 1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    // The end point is left out: a horizontal or vertical line covers the
    // pixels from its start up to it.
    if (y0 == y1) {
        cairo_move_to(cr, x0, y0 + 0.5);
        cairo_line_to(cr, x1, y1 + 0.5);
    } else if (x0 == x1) {
        cairo_move_to(cr, x0 + 0.5, y0);
        cairo_line_to(cr, x1 + 0.5, y1);
    } else {
        cairo_move_to(cr, x0 + 0.5, y0 + 0.5);
        cairo_line_to(cr, x1 + 0.5, y1 + 0.5);
    }
    cairo_stroke(cr);
}

// The disc fills the box's pixels: the platform's own disc is a pixel
// smaller, the price of its missing outline.
void Disc(Edges box, uint32_t colour)
{
    cairo_t* cr = target.cr;
    const double w = box.right - box.left, h = box.bottom - box.top;
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, box.left + w / 2, box.top + h / 2);
    cairo_scale(cr, w / 2, h / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * G_PI);
    cairo_restore(cr);
    SetColour(cr, colour);
    cairo_fill(cr);
}

void Shape(PaintShape kind, Edges box, int32_t corner, uint32_t outline, uint32_t fill)
{
    cairo_t* cr = target.cr;
    if (kind == kShapeDisc) {
        Disc(box, fill);
        return;
    }
    const double left = box.left + 0.5, top = box.top + 0.5, right = box.right - 0.5, bottom = box.bottom - 0.5;
    const double w = right - left, h = bottom - top;
    cairo_new_path(cr);
    if (kind == kShapeEllipse) {
        cairo_save(cr);
        cairo_translate(cr, left + w / 2, top + h / 2);
        cairo_scale(cr, w / 2, h / 2);
        cairo_arc(cr, 0, 0, 1, 0, 2 * G_PI);
        cairo_restore(cr);
    } else {
        double r = corner / 2.0;
        if (r > w / 2)
            r = w / 2;
        if (r > h / 2)
            r = h / 2;
        cairo_new_sub_path(cr);
        cairo_arc(cr, right - r, top + r, r, -G_PI / 2, 0);
        cairo_arc(cr, right - r, bottom - r, r, 0, G_PI / 2);
        cairo_arc(cr, left + r, bottom - r, r, G_PI / 2, G_PI);
        cairo_arc(cr, left + r, top + r, r, G_PI, 3 * G_PI / 2);
        cairo_close_path(cr);
    }
    SetColour(cr, fill);
    cairo_fill_preserve(cr);
    SetColour(cr, outline);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void TextAt(int32_t x, int32_t y, const char* text, PaintFont font, uint32_t colour)
{
    PangoLayout* layout = LayoutFor(text, font);
    SetColour(target.cr, colour);
    cairo_move_to(target.cr, x, y);
    pango_cairo_show_layout(target.cr, layout);
    g_object_unref(layout);
}

void TextSize(const char* text, PaintFont font, int32_t* width, int32_t* height)
{
    PangoLayout* layout = LayoutFor(text, font);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    g_object_unref(layout);
    *width = w;
    *height = h;
}

void TextCentred(Edges box, const char* text, PaintFont font, uint32_t colour)
{
    int32_t w = 0, h = 0;
    TextSize(text, font, &w, &h);
    TextAt(box.left + (box.right - box.left - w) / 2, box.top + (box.bottom - box.top - h) / 2, text, font, colour);
}

void TextLeft(Edges box, const char* text, PaintFont font, uint32_t colour)
{
    int32_t w = 0, h = 0;
    TextSize(text, font, &w, &h);
    TextAt(box.left, box.top + (box.bottom - box.top - h) / 2, text, font, colour);
}

void TextWrapped(Edges box, const char* text, PaintFont font, uint32_t colour)
{
    cairo_t* cr = target.cr;
    PangoLayout* layout = LayoutFor(text, font);
    pango_layout_set_width(layout, (box.right - box.left) * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    cairo_save(cr);
    cairo_rectangle(cr, box.left, box.top, box.right - box.left, box.bottom - box.top);
    cairo_clip(cr);
    SetColour(cr, colour);
    cairo_move_to(cr, box.left, box.top);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
}

const DrawApi kCairoDrawApi = {Fill, Line, Shape, TextAt, TextCentred, TextSize, TextLeft, TextWrapped};

}  // namespace

const DrawApi& CairoDrawOn(GtkWidget* widget, cairo_t* cr)
{
    target = {widget, cr};
    MakeFonts();
    return kCairoDrawApi;
}
