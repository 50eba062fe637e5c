#include "ui/settings_window_gtk.h"

#include <cstdint>

#include "settings/settings.h"
#include "settings/update_check.h"
#include "settings/update_check_posix.h"
#include "ui/main_layout.h"
#include "ui/settings_layout.h"
#include "ui/settings_paint.h"
#include "ui/window_shape.h"

namespace {

struct SettingsShell {
    GtkWindow* mainWindow = nullptr;
    void (*refreshMain)() = nullptr;
    GtkWidget* window = nullptr;
    GtkWidget* canvas = nullptr;
    PangoFontDescription* fonts[2] = {nullptr, nullptr};
    cairo_t* cr = nullptr;  // while a paint runs
};

SettingsShell shell;

constexpr int32_t kFontCellHeight[2] = {20, 14};

void SetColour(cairo_t* cr, uint32_t colour)
{
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0, ((colour >> 16) & 0xFF) / 255.0);
}

// Painting and hit-testing measure with the widget's one context, so a press
// finds the link where it was drawn.
PangoLayout* LayoutFor(const char* text, PaintFont font)
{
    PangoLayout* layout = gtk_widget_create_pango_layout(shell.canvas, nullptr);
    pango_layout_set_font_description(layout, shell.fonts[font]);
    pango_layout_set_text(layout, text, -1);
    return layout;
}

// Fonts whose lines are as tall as the Windows fonts' cells: the face's
// size is scaled until a line of it measures the cell height.
void MakeFonts()
{
    for (int32_t i = 0; i < 2; i++) {
        if (shell.fonts[i])
            continue;
        PangoFontDescription* font = pango_font_description_from_string("Noto Sans CJK SC, sans");
        pango_font_description_set_absolute_size(font, kFontCellHeight[i] * PANGO_SCALE);
        PangoLayout* layout = gtk_widget_create_pango_layout(shell.canvas, "帧率 fps");
        pango_layout_set_font_description(layout, font);
        PangoRectangle logical;
        pango_layout_get_extents(layout, nullptr, &logical);
        g_object_unref(layout);
        if (logical.height > 0)
            pango_font_description_set_absolute_size(
                font, static_cast<double>(kFontCellHeight[i]) * kFontCellHeight[i] * PANGO_SCALE * PANGO_SCALE /
                          logical.height);
        shell.fonts[i] = font;
    }
}

// The drawing table, on the paint's cairo context. Shapes and lines sit on
// pixel centres so their one-pixel outlines cover whole pixels, as the
// Windows pens do.
void Fill(Edges box, uint32_t colour)
{
    SetColour(shell.cr, colour);
    cairo_rectangle(shell.cr, box.left, box.top, box.right - box.left, box.bottom - box.top);
    cairo_fill(shell.cr);
}

void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour)
{
    cairo_t* cr = shell.cr;
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

void Shape(PaintShape kind, Edges box, int32_t corner, uint32_t outline, uint32_t fill)
{
    cairo_t* cr = shell.cr;
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
    SetColour(shell.cr, colour);
    cairo_move_to(shell.cr, x, y);
    pango_cairo_show_layout(shell.cr, layout);
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

const DrawApi kDrawApi = {Fill, Line, Shape, TextAt, TextCentred, TextSize};

// What settings_layout asks of the system.
void Repaint()
{
    if (shell.canvas)
        gtk_widget_queue_draw(shell.canvas);
    // A change may show in the main window too (the guides).
    if (shell.refreshMain)
        shell.refreshMain();
}

void TakeFocus()
{
    if (shell.canvas)
        gtk_widget_grab_focus(shell.canvas);
}

void ResizeMainWindow(int32_t outerWidth, int32_t outerHeight)
{
    if (!shell.mainWindow)
        return;
    // GTK sizes the client area; the frame is the window manager's.
    const ClientSize client = ClientSizeForViewfinder(outerWidth - kFrameExtraWidth, outerHeight - kFrameExtraHeight);
    gtk_window_resize(shell.mainWindow, client.width, client.height);
    if (shell.refreshMain)
        shell.refreshMain();
}

void OpenAddress(const char* address)
{
    // A failure to open the page is not reported.
    g_app_info_launch_default_for_uri(address, nullptr, nullptr);
}

gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer)
{
    shell.cr = cr;
    PaintSettingsWindow(kDrawApi, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget));
    shell.cr = nullptr;
    return TRUE;
}

gboolean OnPress(GtkWidget*, GdkEventButton* event, gpointer)
{
    // Each click is a press, the second of a double click too.
    if (event->button != 1 || event->type != GDK_BUTTON_PRESS)
        return TRUE;
    // The link's hit area is measured anew at every press.
    int32_t cx = 0, cy = 0;
    SettingsLinkSize(kDrawApi, &cx, &cy);
    SettingsPress(static_cast<int32_t>(event->x), static_cast<int32_t>(event->y), cx, cy);
    return TRUE;
}

// While the button is down GTK's implicit grab keeps the motion coming, also
// from outside the window, as the mouse capture does on Windows.
gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer)
{
    SettingsMouseMove(static_cast<int32_t>(event->x), (event->state & GDK_BUTTON1_MASK) != 0);
    return TRUE;
}

gboolean OnRelease(GtkWidget*, GdkEventButton* event, gpointer)
{
    if (event->button == 1)
        SettingsButtonUp();
    return TRUE;
}

uint32_t CharacterOf(const GdkEventKey* event)
{
    switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter: return 13;
    case GDK_KEY_Escape: return 27;
    case GDK_KEY_BackSpace: return 8;
    default: return gdk_keyval_to_unicode(event->keyval);
    }
}

gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer)
{
    const uint32_t character = CharacterOf(event);
    return character && SettingsChar(character) ? TRUE : FALSE;
}

gboolean OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer)
{
    SettingsEditInterrupted();
    return FALSE;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer)
{
    // Closing commits what is being typed.
    SettingsEditInterrupted();
    return FALSE;
}

void OnDestroy(GtkWidget*, gpointer)
{
    shell.window = nullptr;
    shell.canvas = nullptr;
    updateWindows.settingsWindow = nullptr;
    // Destroyed while typing or dragging: the next window starts idle.
    settingsWindowState.editField = 0;
    settingsWindowState.sliderDrag = 0;
}

// The update check's side that needs the main loop: its result is handled on
// the UI thread, and the status line repainted.
gboolean DeliverUpdateResult(gpointer number)
{
    HandleUpdateResult(static_cast<uint32_t>(GPOINTER_TO_UINT(number)));
    return G_SOURCE_REMOVE;
}

void PostUpdateResult(void*, int32_t number, int32_t)
{
    g_idle_add(DeliverUpdateResult, GUINT_TO_POINTER(static_cast<uint32_t>(number)));
}

void RepaintStatus(void* canvas)
{
    gtk_widget_queue_draw(static_cast<GtkWidget*>(canvas));
}

}  // namespace

void PrepareSettingsWindowGtk(GtkWindow* mainWindow, void (*refreshMain)())
{
    shell.mainWindow = mainWindow;
    shell.refreshMain = refreshMain;
    FillUpdateCheckApi();
    updateCheckApi.postResult = PostUpdateResult;
    updateCheckApi.repaint = RepaintStatus;
    updateWindows.mainWindow = mainWindow;
    if (settings.autocheck)
        StartUpdateCheck(0);
}

void OpenSettingsWindowGtk()
{
    if (shell.window) {
        gtk_window_present(GTK_WINDOW(shell.window));
        return;
    }
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "设置（v1.3）");
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    // Owned by the main window: above it, and gone with it.
    if (shell.mainWindow) {
        gtk_window_set_transient_for(GTK_WINDOW(window), shell.mainWindow);
        gtk_window_set_destroy_with_parent(GTK_WINDOW(window), TRUE);
    }
    GtkWidget* canvas = gtk_drawing_area_new();
    gtk_widget_set_size_request(canvas, kSettingsClientWidth, kSettingsClientHeight);
    gtk_widget_set_can_focus(canvas, TRUE);
    gtk_widget_add_events(canvas, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                      GDK_KEY_PRESS_MASK | GDK_FOCUS_CHANGE_MASK);
    gtk_container_add(GTK_CONTAINER(window), canvas);
    g_signal_connect(canvas, "draw", G_CALLBACK(OnDraw), nullptr);
    g_signal_connect(canvas, "button-press-event", G_CALLBACK(OnPress), nullptr);
    g_signal_connect(canvas, "motion-notify-event", G_CALLBACK(OnMotion), nullptr);
    g_signal_connect(canvas, "button-release-event", G_CALLBACK(OnRelease), nullptr);
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnKey), nullptr);
    g_signal_connect(window, "focus-out-event", G_CALLBACK(OnFocusOut), nullptr);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(OnDestroy), nullptr);
    shell.window = window;
    shell.canvas = canvas;
    MakeFonts();
    settingsWindowApi = {Repaint, TakeFocus, nullptr, nullptr, ResizeMainWindow, OpenAddress};
    updateWindows.settingsWindow = canvas;
    gtk_widget_show_all(window);
    gtk_window_present(GTK_WINDOW(window));
    gtk_widget_grab_focus(canvas);
}
