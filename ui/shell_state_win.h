#pragma once
// The UI thread's record of the desktop shell. Other threads use only the
// main window handle, as the target of their posted messages.

#include <windows.h>

struct ShellState {
    HWND mainWindow;  // null in the batch modes: posted messages are then dropped
};

extern ShellState shellState;
