#include "ui/gtk/settings_window.h"

#include <cstdint>

#include "settings/settings.h"
#include "settings/update_check.h"
#include "settings/update_check_posix.h"
#include "ui/gtk/cairo_draw.h"
#include "ui/main_layout.h"
#include "ui/settings_controller.h"
#include "ui/settings_layout.h"
#include "ui/settings_paint.h"
#include "ui/settings_place.h"
#include "ui/window_shape.h"

namespace {

struct SettingsShell {
    GtkWindow* mainWindow = nullptr;
    void (*refreshMain)() = nullptr;
    GtkWidget* window = nullptr;
    GtkWidget* canvas = nullptr;
};

SettingsShell shell;

// What settings_controller asks of the system.
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
    PaintSettingsWindow(CairoDrawOn(widget, cr), gtk_widget_get_allocated_width(widget),
                        gtk_widget_get_allocated_height(widget));
    return TRUE;
}

gboolean OnPress(GtkWidget*, GdkEventButton* event, gpointer)
{
    // Each click is a press, the second of a double click too.
    if (event->button != 1 || event->type != GDK_BUTTON_PRESS)
        return TRUE;
    // The link's hit area is measured anew at every press.
    int32_t cx = 0, cy = 0;
    SettingsLinkSize(CairoDrawOn(shell.canvas, nullptr), &cx, &cy);
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
    if (character && SettingsChar(character))
        return TRUE;
    // Escape with no edit to drop closes the window as its close box does:
    // a bare X server gives it no close box at all.
    if (character == 27 && shell.window) {
        gtk_window_close(GTK_WINDOW(shell.window));
        return TRUE;
    }
    return FALSE;
}

// Beside the main window when the screen has room; otherwise wherever the
// system puts it.
void PlaceBesideMainWindow(GtkWindow* window)
{
    GdkWindow* main = shell.mainWindow ? gtk_widget_get_window(GTK_WIDGET(shell.mainWindow)) : nullptr;
    if (!main)
        return;
    GdkRectangle frame = {};
    gdk_window_get_frame_extents(main, &frame);
    GdkRectangle area = {};
    gdk_monitor_get_workarea(gdk_display_get_monitor_at_window(gdk_window_get_display(main), main), &area);
    // This window's frame, not there yet, as thick as the main window's.
    const int32_t width = kSettingsClientWidth + frame.width - gdk_window_get_width(main);
    const int32_t height = kSettingsClientHeight + frame.height - gdk_window_get_height(main);
    const Edges mainOuter = {frame.x, frame.y, frame.x + frame.width, frame.y + frame.height};
    const Edges workArea = {area.x, area.y, area.x + area.width, area.y + area.height};
    int32_t x = 0, y = 0;
    if (SettingsWindowPlace(mainOuter, width, height, workArea, &x, &y))
        gtk_window_move(window, x, y);
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
    PlaceBesideMainWindow(GTK_WINDOW(window));
    shell.window = window;
    shell.canvas = canvas;
    settingsWindowApi = {Repaint, TakeFocus, nullptr, nullptr, ResizeMainWindow, OpenAddress};
    updateWindows.settingsWindow = canvas;
    gtk_widget_show_all(window);
    gtk_window_present(GTK_WINDOW(window));
    gtk_widget_grab_focus(canvas);
}
