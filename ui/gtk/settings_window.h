#pragma once
// The native program's settings window, through GTK 3: what settings_layout
// and settings_paint compute, drawn with cairo and pango, and GTK's events
// fed to settings_controller.

#include <gtk/gtk.h>

// Once, after the main window exists: the update check's table and, when
// autocheck is on, the check at start-up. refreshMain redraws the main window
// and its shape (a setting it shows may have changed).
void PrepareSettingsWindowGtk(GtkWindow* mainWindow, void (*refreshMain)());

// Opens the settings window, or brings the open one to the front.
void OpenSettingsWindowGtk();
