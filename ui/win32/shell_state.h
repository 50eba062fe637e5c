#pragma once
// The UI thread's record of the desktop shell: its windows, fonts, icons and
// hover state. Other threads see only the main window, through the opaque
// handles in captureWindows and updateWindows.

#include <windows.h>

#include <cstdint>

#include "ui/main_layout.h"
#include "ui/toolbar_look.h"

struct ShellState {
    HWND mainWindow;
    HWND settingsWindow;             // null while the settings window is closed
    HWND grips[kGripCount];          // by index, see GripPlacement
    HWND buttons[kToolbarButtonCount];  // Record, Stop, Generate, Settings
    HWND statusLine;
    HFONT mainFont;                  // buttons, status line and size label
    HFONT labelFont;                 // the settings window's, made when it first opens
    HFONT noteFont;
    HICON bigIcon;
    HICON smallIcon;
    WNDPROC previousButtonProc;      // the button class's own procedure
    ButtonHover hover;               // hovered button (an HWND) and the leave-tracking flag
    int32_t baseWidth;               // viewfinder when a move or resize began
    int32_t baseHeight;
    int32_t gripClassRegistered;
    int32_t settingsClassRegistered;
};

extern ShellState shellState;

// The class names of the shell's own windows.
extern const char kMainClassName[];
extern const char kGripClassName[];
