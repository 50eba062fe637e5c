#pragma once
// The native program's main window on an X display, through GTK 3.

// Opens the main window and runs until it is closed. Returns -1 when there
// is no display to open it on, otherwise the exit code.
int RunMainWindowGtk(int argc, char** argv);
