#include "ui/main_window_gtk.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "encoder/frame_store.h"
#include "encoder/gif_writer.h"
#include "image/output_geometry.h"
#include "image/watermark.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "ui/main_layout.h"
#include "ui/settings_layout.h"
#include "ui/settings_window_gtk.h"
#include "ui/shell_exit.h"
#include "ui/shell_texts.h"
#include "ui/toolbar_look.h"
#include "ui/window_shape.h"

namespace {

struct Shell {
    GtkWidget* window = nullptr;
    GtkWidget* canvas = nullptr;
    PangoFontDescription* font = nullptr;
    char status[kStatusTextSize] = "";
    int32_t hovered = -1;
    int32_t pressed = -1;
    int32_t width = 0;
    int32_t height = 0;
    int32_t startingCapture = 0;  // the guides and label are gone already
};


Shell shell;

// A drag of the margin ring, which the window follows itself: with a window
// manager or without one, and with Shift keeping the shape.
struct MarginDrag {
    int32_t edge = 0;  // 0: no drag
    double pointerX = 0;
    double pointerY = 0;
    Edges start = {};
    int32_t baseWidth = 0;
    int32_t baseHeight = 0;
};

MarginDrag drag;

int32_t ViewfinderBare()
{
    return recorderState.recording.load() || shell.startingCapture;
}

constexpr gulong kShapeSettleUs = 150000;

void SetColour(cairo_t* cr, uint32_t colour)
{
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0, ((colour >> 16) & 0xFF) / 255.0);
}

void FillBox(cairo_t* cr, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour)
{
    SetColour(cr, colour);
    cairo_rectangle(cr, left, top, right - left, bottom - top);
    cairo_fill(cr);
}

// A one-pixel line between pixel centres, as the platform's pens draw.
void PixelLine(cairo_t* cr, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    cairo_move_to(cr, x0 + 0.5, y0 + 0.5);
    cairo_line_to(cr, x1 + 0.5, y1 + 0.5);
    cairo_stroke(cr);
}

void RoundBox(cairo_t* cr, double left, double top, double right, double bottom, double radius)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, right - radius, top + radius, radius, -G_PI / 2, 0);
    cairo_arc(cr, right - radius, bottom - radius, radius, 0, G_PI / 2);
    cairo_arc(cr, left + radius, bottom - radius, radius, G_PI / 2, G_PI);
    cairo_arc(cr, left + radius, top + radius, radius, G_PI, 3 * G_PI / 2);
    cairo_close_path(cr);
}

PangoLayout* TextLayout(cairo_t* cr, const char* text)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    pango_layout_set_font_description(layout, shell.font);
    pango_layout_set_text(layout, text, -1);
    return layout;
}

void TextExtent(const char* text, int32_t* width, int32_t* height)
{
    PangoLayout* layout = gtk_widget_create_pango_layout(shell.canvas, text);
    pango_layout_set_font_description(layout, shell.font);
    pango_layout_get_pixel_size(layout, width, height);
    g_object_unref(layout);
}

ButtonEnables CurrentEnables()
{
    return ButtonStatesFor(recorderState.recording.load(), recorderState.stopRequest.load(), frameStore.count);
}

void DrawButton(cairo_t* cr, int32_t button, int32_t enabled)
{
    const ToolbarButtonSpec& spec = kToolbarButtons[button];
    const int32_t left = spec.x, top = kButtonTop, right = spec.x + kButtonWidth, bottom = kButtonTop + kButtonHeight;
    const ButtonLook look =
        ButtonLookOf(button, ChooseButtonLook(shell.hovered == button, shell.pressed == button, !enabled));
    cairo_set_line_width(cr, 1);
    RoundBox(cr, left + 0.5, top + 0.5, right - 0.5, bottom - 0.5, 6);
    SetColour(cr, look.fill);
    cairo_fill_preserve(cr);
    SetColour(cr, look.border);
    cairo_stroke(cr);

    const ButtonContent content = ButtonContentIn(button, left, top, right, bottom);
    if (look.hasDot) {
        SetColour(cr, look.dot);
        cairo_save(cr);
        const double w = content.dotRight - content.dotLeft, h = content.dotBottom - content.dotTop;
        cairo_translate(cr, content.dotLeft + w / 2, content.dotTop + h / 2);
        cairo_scale(cr, w / 2, h / 2);
        cairo_arc(cr, 0, 0, 1, 0, 2 * G_PI);
        cairo_restore(cr);
        cairo_fill(cr);
    }
    PangoLayout* layout = TextLayout(cr, spec.text);
    int32_t tw = 0, th = 0;
    pango_layout_get_pixel_size(layout, &tw, &th);
    const int32_t x = content.centred ? left + (kButtonWidth - tw) / 2 : content.textLeft;
    SetColour(cr, look.text);
    cairo_move_to(cr, x, top + (kButtonHeight - th) / 2);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

Edges LabelBox(char* text, int32_t size)
{
    SizeLabelText(text, size, shell.width, shell.height);
    int32_t tw = 0, th = 0;
    TextExtent(text, &tw, &th);
    return SizeLabelBox(shell.width, shell.height, tw, th);
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer)
{
    const int32_t w = shell.width, h = shell.height;
    const int32_t recording = ViewfinderBare();
    FillBox(cr, 0, 0, w, kSeparatorRow, kToolbarColour);
    FillBox(cr, 0, kSeparatorRow, w, kSeparatorRow + 1, kSeparatorColour);
    // The margin ring is the window's grip, so it has pixels; the area inside
    // is cut out of the shape, and its fill shows only before the shape does.
    const Box area = RecordingArea(w, h);
    FillBox(cr, 0, kViewfinderTop, w, h, kSeparatorColour);
    FillBox(cr, area.left, area.top, area.left + area.width, area.top + area.height, kColourKey);

    const ButtonEnables enables = CurrentEnables();
    for (int32_t i = 0; i < kToolbarButtonCount; i++)
        DrawButton(cr, i, enables.enabled[i]);
    PangoLayout* status = TextLayout(cr, shell.status);
    int32_t sw = 0, sh = 0;
    pango_layout_get_pixel_size(status, &sw, &sh);
    cairo_save(cr);
    cairo_rectangle(cr, kStatusLeft, kStatusTop, kStatusWidth, kStatusHeight);
    cairo_clip(cr);
    SetColour(cr, kStatusTextColour);
    cairo_move_to(cr, kStatusLeft, kStatusTop + (kStatusHeight - sh) / 2);
    pango_cairo_show_layout(cr, status);
    cairo_restore(cr);
    g_object_unref(status);

    cairo_set_line_width(cr, 1);
    SetColour(cr, kOutlineColour);
    cairo_rectangle(cr, 0.5, kViewfinderTop + 0.5, w - 1, h - kViewfinderTop - 1);
    cairo_stroke(cr);
    if (recording)
        return TRUE;
    if (settings.guides) {
        const Guides g = GuidesFor(w, h);
        SetColour(cr, kCrossColour);
        PixelLine(cr, g.centreX - 6, g.centreY, g.centreX + 7, g.centreY);
        PixelLine(cr, g.centreX, g.centreY - 6, g.centreX, g.centreY + 7);
        SetColour(cr, kGoldenColour);
        for (int32_t y : g.goldenY) {
            for (int32_t x : g.goldenX) {
                PixelLine(cr, x - 3, y, x + 4, y);
                PixelLine(cr, x, y - 3, x, y + 4);
            }
        }
    }
    char text[kSizeLabelSize];
    const Edges box = LabelBox(text, sizeof text);
    RoundBox(cr, box.left, box.top, box.right + 1, box.bottom + 1, 6);
    SetColour(cr, kLabelColour);
    cairo_fill(cr);
    PangoLayout* label = TextLayout(cr, text);
    int32_t lw = 0, lh = 0;
    pango_layout_get_pixel_size(label, &lw, &lh);
    SetColour(cr, kLabelTextColour);
    cairo_move_to(cr, (box.left + box.right - lw) / 2, (box.top + box.bottom - lh) / 2);
    pango_cairo_show_layout(cr, label);
    g_object_unref(label);
    return TRUE;
}

cairo_region_t* RegionOf(const Box* boxes, int32_t count)
{
    cairo_region_t* region = cairo_region_create();
    for (int32_t i = 0; i < count; i++) {
        const cairo_rectangle_int_t r = {boxes[i].left, boxes[i].top, boxes[i].width, boxes[i].height};
        if (r.width > 0 && r.height > 0)
            cairo_region_union_rectangle(region, &r);
    }
    return region;
}

// The window's shape follows its size and the recording state: see-through
// and click-through wherever nothing is drawn, compositor or not.
void UpdateShape()
{
    if (!gtk_widget_get_realized(shell.window) || shell.width < 1)
        return;
    char text[kSizeLabelSize];
    const Edges label = LabelBox(text, sizeof text);
    Box boxes[kShapeBoxesMax];
    int32_t n = VisibleShape(shell.width, shell.height, ViewfinderBare(), settings.guides, label, boxes);
    cairo_region_t* visible = RegionOf(boxes, n);
    gtk_widget_shape_combine_region(shell.window, visible);
    cairo_region_destroy(visible);
    n = InputShape(shell.width, shell.height, boxes);
    cairo_region_t* input = RegionOf(boxes, n);
    gtk_widget_input_shape_combine_region(shell.window, input);
    cairo_region_destroy(input);
}

void Refresh()
{
    UpdateShape();
    gtk_widget_queue_draw(shell.canvas);
}

void ShowStatus(const char* text)
{
    std::snprintf(shell.status, sizeof shell.status, "%s", text);
    gtk_widget_queue_draw(shell.canvas);
}

void OnSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer)
{
    shell.width = allocation->width;
    shell.height = allocation->height;
    UpdateShape();
}

void Record()
{
    ClearFrames();
    const Box area = RecordingArea(shell.width, shell.height);
    int32_t x0 = 0, y0 = 0;
    gdk_window_get_origin(gtk_widget_get_window(shell.canvas), &x0, &y0);
    ShowStatus(kStatusRecording);
    DiscoverWatermark();
    // The guides and the label leave the shape before the first tick: the
    // X screen copy takes in every window above the area.
    shell.startingCapture = 1;
    UpdateShape();
    gtk_widget_queue_draw(shell.canvas);
    while (gtk_events_pending())
        gtk_main_iteration();
    gdk_display_sync(gtk_widget_get_display(shell.window));
    // A compositor repaints the screen from the new shape a little later,
    // and the screen copy reads its picture; the server's own repaint of
    // what the guides uncover is not always done at the sync either.
    g_usleep(kShapeSettleUs);
    StartCapture(x0 + area.left, y0 + area.top, area.width, area.height, settings.fps, settings.outw,
                 watermarkImage.inUse);
    shell.startingCapture = 0;
    Refresh();
    SettingsRecordingChanged();
}

void Stop()
{
    recorderState.stopRequest.store(1);
    ShowStatus(kStatusStopping);
}

void Generate()
{
    if (frameStore.count < 1)
        return;
    char directory[kGifPathSize];
    ExecutableDirectory(directory, sizeof directory);
    const time_t seconds = time(nullptr);
    tm local = {};
    localtime_r(&seconds, &local);
    const LocalTimeParts now = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                local.tm_hour,        local.tm_min,     local.tm_sec};
    char path[kGifPathSize];
    DefaultGifPath(path, sizeof path, directory, now);

    GtkWidget* dialog = gtk_file_chooser_dialog_new(kSaveTitle, GTK_WINDOW(shell.window), GTK_FILE_CHOOSER_ACTION_SAVE,
                                                    "_Cancel", GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT,
                                                    nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    if (directory[0])
        gtk_file_chooser_set_current_folder(chooser, directory);
    gtk_file_chooser_set_current_name(chooser, path + std::strlen(directory));
    // The same filter list as the Windows dialog: name, pattern, ... , "".
    for (const char* name = kSaveFilter; *name;) {
        const char* pattern = name + std::strlen(name) + 1;
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, name);
        gtk_file_filter_add_pattern(filter, pattern);
        gtk_file_chooser_add_filter(chooser, filter);
        name = pattern + std::strlen(pattern) + 1;
    }
    const int accepted = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT;
    char* chosen = accepted ? gtk_file_chooser_get_filename(chooser) : nullptr;
    gtk_widget_destroy(dialog);
    if (!chosen)
        return;
    const int fits = std::snprintf(path, sizeof path, "%s", chosen) < static_cast<int>(sizeof path);
    g_free(chosen);
    switch (StepAfterSaveDialog(fits, 0, path, kUtf8Path)) {
    case kSaveCancelled:
    case kSaveDialogFailed:
        ShowStatus(kStatusSaveFailed);
        return;
    case kSaveNameUnusable: ShowStatus(kStatusNameUnusable); return;
    case kSaveWrite: break;
    }
    char text[kStatusTextSize];
    if (WriteGif(path))
        FormatSavedText(text, sizeof text, path, frameStore.count, outputGeometry.outWidth, outputGeometry.outHeight);
    else
        std::snprintf(text, sizeof text, "%s", kStatusSaveFailed);
    ShowStatus(text);
}

int32_t ButtonAt(double x, double y)
{
    for (int32_t i = 0; i < kToolbarButtonCount; i++) {
        const int32_t left = kToolbarButtons[i].x;
        if (x >= left && x < left + kButtonWidth && y >= kButtonTop && y < kButtonTop + kButtonHeight)
            return i;
    }
    return -1;
}

const char* CursorName(int32_t hit)
{
    switch (CursorForHit(hit)) {
    case kCursorSizeWE: return "ew-resize";
    case kCursorSizeNS: return "ns-resize";
    case kCursorSizeNWSE: return "nwse-resize";
    case kCursorSizeNESW: return "nesw-resize";
    default: return nullptr;
    }
}

int32_t HitAt(double x, double y)
{
    return MainHitTest(static_cast<int32_t>(x), static_cast<int32_t>(y), shell.width, shell.height);
}

void FollowDrag(double xRoot, double yRoot, int shift)
{
    // The window is its client: no frame of its own to add.
    const FrameExtra extra = OuterExtraFor(shell.width, shell.height, shell.width, shell.height);
    const Edges r = DraggedOuter(drag.edge, drag.start, static_cast<int32_t>(xRoot - drag.pointerX),
                                 static_cast<int32_t>(yRoot - drag.pointerY), extra, shift, drag.baseWidth,
                                 drag.baseHeight);
    gtk_window_move(GTK_WINDOW(shell.window), r.left, r.top);
    gtk_window_resize(GTK_WINDOW(shell.window), r.right - r.left, r.bottom - r.top);
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer)
{
    // A release that never came here (a grab taken by another client) ends
    // the drag too.
    if (drag.edge && !(event->state & GDK_BUTTON1_MASK))
        drag.edge = 0;
    if (drag.edge) {
        FollowDrag(event->x_root, event->y_root, (event->state & GDK_SHIFT_MASK) != 0);
        return TRUE;
    }
    const char* cursorName = CursorName(HitAt(event->x, event->y));
    GdkWindow* canvasWindow = gtk_widget_get_window(shell.canvas);
    GdkCursor* cursor = cursorName ? gdk_cursor_new_from_name(gdk_window_get_display(canvasWindow), cursorName)
                                   : nullptr;
    gdk_window_set_cursor(canvasWindow, cursor);
    if (cursor)
        g_object_unref(cursor);
    const int32_t over = ButtonAt(event->x, event->y);
    if (over != shell.hovered) {
        shell.hovered = over;
        gtk_widget_queue_draw(shell.canvas);
    }
    return TRUE;
}

gboolean OnLeave(GtkWidget*, GdkEventCrossing*, gpointer)
{
    shell.hovered = -1;
    gtk_widget_queue_draw(shell.canvas);
    return TRUE;
}

gboolean OnPress(GtkWidget*, GdkEventButton* event, gpointer)
{
    if (event->button != 1 || event->type != GDK_BUTTON_PRESS)
        return TRUE;
    const int32_t edge = SizingEdgeForHit(HitAt(event->x, event->y));
    if (edge) {
        // The press's implicit grab brings the motion here until the release.
        gint x = 0, y = 0;
        gtk_window_get_position(GTK_WINDOW(shell.window), &x, &y);
        const Box area = RecordingArea(shell.width, shell.height);
        drag = {edge, event->x_root, event->y_root, {x, y, x + shell.width, y + shell.height}, area.width,
                area.height};
        return TRUE;
    }
    const int32_t button = ButtonAt(event->x, event->y);
    if (button >= 0 && CurrentEnables().enabled[button]) {
        shell.pressed = button;
        gtk_widget_queue_draw(shell.canvas);
    }
    return TRUE;
}

gboolean OnRelease(GtkWidget*, GdkEventButton* event, gpointer)
{
    if (event->button != 1)
        return TRUE;
    if (drag.edge) {
        drag.edge = 0;
        return TRUE;
    }
    const int32_t pressed = shell.pressed;
    shell.pressed = -1;
    gtk_widget_queue_draw(shell.canvas);
    if (pressed < 0 || ButtonAt(event->x, event->y) != pressed || !CurrentEnables().enabled[pressed])
        return TRUE;
    switch (kToolbarButtons[pressed].id) {
    case ID_RECORD: Record(); break;
    case ID_STOP: Stop(); break;
    case ID_GENERATE: Generate(); break;
    case ID_SETTINGS: OpenSettingsWindowGtk(); break;
    default: break;
    }
    return TRUE;
}

struct Posted {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

// The capture thread's messages, handed to the main loop's thread.
gboolean DeliverPosted(gpointer data)
{
    const Posted posted = *static_cast<Posted*>(data);
    delete static_cast<Posted*>(data);
    char text[kStatusTextSize];
    if (posted.message == kWmRecProgress) {
        FormatProgressText(text, sizeof text, static_cast<int32_t>(posted.wParam), static_cast<int64_t>(posted.lParam));
        ShowStatus(text);
    } else if (posted.message == kWmRecDone) {
        // The capture thread cleared recording before it posted this.
        FormatDoneText(text, sizeof text, static_cast<int32_t>(posted.wParam), outputGeometry.outWidth,
                       outputGeometry.outHeight);
        ShowStatus(text);
        Refresh();
        SettingsRecordingChanged();
    }
    return G_SOURCE_REMOVE;
}

void PostToMainLoop(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    g_idle_add(DeliverPosted, new Posted{message, wParam, lParam});
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer)
{
    EndRecordingForExit(nullptr);
    gtk_main_quit();
    return FALSE;
}

}  // namespace

int RunMainWindowGtk(int argc, char** argv)
{
    if (!gtk_init_check(&argc, &argv))
        return -1;
    captureApi.postMessage = PostToMainLoop;
    // The installed icon, by the name the .desktop file gives: a window
    // manager shows it on the frames of both windows.
    gtk_window_set_default_icon_name("pixlo");
    shell.font = pango_font_description_from_string("Noto Sans CJK SC, sans");
    pango_font_description_set_absolute_size(shell.font, 12 * PANGO_SCALE);

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    shell.window = window;
    gtk_window_set_title(GTK_WINDOW(window), "Pixlo");
    gtk_window_set_keep_above(GTK_WINDOW(window), TRUE);
    const ClientSize size = ClientSizeForViewfinder(settings.defw, settings.defh);
    gtk_window_set_default_size(GTK_WINDOW(window), size.width, size.height);
    const ClientSize least = ClientSizeForViewfinder(kMinViewfinderSide, kMinViewfinderSide);
    GdkGeometry hints = {};
    hints.min_width = least.width;
    hints.min_height = least.height;
    gtk_window_set_geometry_hints(GTK_WINDOW(window), nullptr, &hints, GDK_HINT_MIN_SIZE);

    shell.canvas = gtk_drawing_area_new();
    gtk_widget_add_events(shell.canvas, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                            GDK_LEAVE_NOTIFY_MASK);
    gtk_container_add(GTK_CONTAINER(window), shell.canvas);
    g_signal_connect(shell.canvas, "draw", G_CALLBACK(OnDraw), nullptr);
    g_signal_connect(shell.canvas, "size-allocate", G_CALLBACK(OnSizeAllocate), nullptr);
    g_signal_connect(shell.canvas, "motion-notify-event", G_CALLBACK(OnMotion), nullptr);
    g_signal_connect(shell.canvas, "leave-notify-event", G_CALLBACK(OnLeave), nullptr);
    g_signal_connect(shell.canvas, "button-press-event", G_CALLBACK(OnPress), nullptr);
    g_signal_connect(shell.canvas, "button-release-event", G_CALLBACK(OnRelease), nullptr);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), nullptr);
    g_signal_connect_after(window, "realize", G_CALLBACK(+[](GtkWidget*, gpointer) { UpdateShape(); }), nullptr);
    gtk_widget_show_all(window);
    PrepareSettingsWindowGtk(GTK_WINDOW(window), Refresh);
    gtk_main();
    pango_font_description_free(shell.font);
    return 0;
}
