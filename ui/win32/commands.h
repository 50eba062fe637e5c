#pragma once
// The main window's side of a recording: the toolbar commands, the capture
// thread's and the update check's messages, the status line, and closing.

#include <windows.h>

// WM_COMMAND with notification 0 and one of the four button identifiers;
// anything else is ignored.
void OnToolbarCommand(WPARAM wParam);

void OnRecordingProgress(WPARAM frames, LPARAM milliseconds);
void OnRecordingDone(WPARAM frames);
void OnUpdateResult(WPARAM number);

// WM_DESTROY of the main window: ends a running capture, destroys the grips,
// releases the frames and ends the message loop.
void OnMainWindowDestroyed();

// Replaces the status line's text.
void ShowStatusText(const char* text);
