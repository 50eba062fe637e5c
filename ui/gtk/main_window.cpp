#include "ui/gtk/main_window.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "ui/gtk/cairo_draw.h"
#include "ui/gtk/hotkey_x11.h"
#include "ui/gtk/save_dialog.h"
#include "ui/gtk/settings_window.h"
#include "ui/main_controller.h"
#include "ui/main_layout.h"
#include "ui/main_paint.h"
#include "ui/shell_texts.h"
#include "ui/toolbar_look.h"
#include "ui/window_shape.h"

namespace {

struct Shell {
    GtkWidget* window = nullptr;
    GtkWidget* canvas = nullptr;
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

static_assert(kSavePathSize == kNativePathSize, "the dialog's paths fit the controller's buffer");

Edges LabelBox(char* text, int32_t size)
{
    SizeLabelText(text, size, shell.width, shell.height);
    int32_t tw = 0, th = 0;
    CairoDrawOn(shell.canvas, nullptr).textSize(text, kMainFont, &tw, &th);
    return SizeLabelBox(shell.width, shell.height, tw, th);
}

// As the Windows window paints, but for the margin ring: it is the window's
// grip, so it has pixels; the area inside is cut out of the shape, and its
// fill shows only before the shape does.
gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer)
{
    const MainPicture picture = {shell.width,    shell.height,     MainButtonEnables(),  shell.hovered,
                                 shell.pressed,  shell.status,     ViewfinderBare(),  settings.guides,
                                 kSeparatorColour, kToolbarColour};
    PaintMainWindow(CairoDrawOn(shell.canvas, cr), picture);
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

// While a recording runs the window keeps its size at a window manager's
// frame too; idle, only the least viewfinder bounds it.
void LimitSize(int32_t recording)
{
    const ClientSize least = ClientSizeForViewfinder(kMinViewfinderSide, kMinViewfinderSide);
    GdkGeometry hints = {};
    hints.min_width = recording ? shell.width : least.width;
    hints.min_height = recording ? shell.height : least.height;
    hints.max_width = shell.width;
    hints.max_height = shell.height;
    const GdkWindowHints which = recording ? GdkWindowHints(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE) : GDK_HINT_MIN_SIZE;
    gtk_window_set_geometry_hints(GTK_WINDOW(shell.window), nullptr, &hints, which);
}

void ClientPlace(int32_t* width, int32_t* height, int32_t* screenLeft, int32_t* screenTop)
{
    *width = shell.width;
    *height = shell.height;
    gdk_window_get_origin(gtk_widget_get_window(shell.canvas), screenLeft, screenTop);
}

// The guides and the label leave the shape before the first tick: the X
// screen copy takes in every window above the area.
void ClearViewfinder()
{
    shell.startingCapture = 1;
    LimitSize(1);
    UpdateShape();
    gtk_widget_queue_draw(shell.canvas);
    while (gtk_events_pending())
        gtk_main_iteration();
    gdk_display_sync(gtk_widget_get_display(shell.window));
    // A compositor repaints the screen from the new shape a little later,
    // and the screen copy reads its picture; the server's own repaint of
    // what the guides uncover is not always done at the sync either.
    g_usleep(kShapeSettleUs);
}

// A recording started or ended: from now on the recording flag alone says
// whether the viewfinder is bare and whether the size is held.
void RecordingRepaint()
{
    shell.startingCapture = 0;
    LimitSize(recorderState.recording.load());
    Refresh();
}

void QueueDraw(const ButtonEnables&)
{
    gtk_widget_queue_draw(shell.canvas);
}

LocalTimeParts LocalTime()
{
    const time_t seconds = time(nullptr);
    tm local = {};
    localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

SavePathChoice AskSavePath(const LocalTimeParts& now, char* path, int32_t size, uint32_t* dialogError)
{
    const int chosen = ChooseGifPathGtk(GTK_WINDOW(shell.window), now, path, size);
    // A path too long even for the system is the dialog's failure.
    if (chosen < 0)
        *dialogError = 1;
    return chosen > 0 ? kSavePathChosen : kSavePathRefused;
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

// The margin sizes nothing while a recording runs: the capture keeps its
// rectangle, and the X screen copy, unlike Windows', would take in the
// outline and toolbar of a window sized or moved over it.
int32_t HitAt(double x, double y)
{
    if (ViewfinderBare())
        return kHitClient;
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
    if (button >= 0 && MainButtonEnables().enabled[button]) {
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
    if (pressed < 0 || ButtonAt(event->x, event->y) != pressed || !MainButtonEnables().enabled[pressed])
        return TRUE;
    MainCommand(kToolbarButtons[pressed].id);
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
    if (posted.message == kWmRecProgress)
        MainRecordingProgress(static_cast<int32_t>(posted.wParam), static_cast<int64_t>(posted.lParam));
    else if (posted.message == kWmRecDone)
        MainRecordingDone(static_cast<int32_t>(posted.wParam));
    return G_SOURCE_REMOVE;
}

void PostToMainLoop(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    g_idle_add(DeliverPosted, new Posted{message, wParam, lParam});
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer)
{
    MainWindowClosing();
    gtk_main_quit();
    return FALSE;
}

}  // namespace

int RunMainWindowGtk(int argc, char** argv)
{
    if (!gtk_init_check(&argc, &argv))
        return -1;
    captureApi.postMessage = PostToMainLoop;
    mainWindowApi = {ShowStatus,   QueueDraw, ClientPlace,    ClearViewfinder, RecordingRepaint,
                     LocalTime,    AskSavePath, RememberSaveFolder, OpenSettingsWindowGtk, RegisterHotkeyX11,
                     ReleaseHotkeyX11, nullptr, kUtf8Path};
    // The installed icon, by the name the .desktop file gives: a window
    // manager shows it on the frames of both windows.
    gtk_window_set_default_icon_name("pixlo");

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    shell.window = window;
    gtk_window_set_title(GTK_WINDOW(window), "Pixlo");
    gtk_window_set_keep_above(GTK_WINDOW(window), TRUE);
    const ClientSize size = ClientSizeForViewfinder(settings.defw, settings.defh);
    gtk_window_set_default_size(GTK_WINDOW(window), size.width, size.height);
    LimitSize(0);

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
    MainWindowStarted(settingsHotkey);
    gtk_main();
    return 0;
}
