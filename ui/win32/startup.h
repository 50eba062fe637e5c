#pragma once
// The windowed run: everything start-up does after the batch modes, up to
// the end of the message loop.

#include <windows.h>

// Window creation as start-up calls it, for the main window and the grips;
// tests replace it to see start-up without a main window.
struct ShellStartApi {
    HWND(WINAPI* CreateWindowExA)(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID);
};

extern ShellStartApi shellStartApi;

// Finds the watermark, loads the icons, registers the classes, creates the
// main window and the grips, starts the automatic update check and runs the
// message loop. Returns the process's exit code: 0 when the main window was
// closed, kExitNoMainWindow at once when it could not be created.
int RunDesktopShell(HINSTANCE instance);
