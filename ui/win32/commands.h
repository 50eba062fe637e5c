#pragma once
// The main window's messages that the controller handles (the toolbar
// commands, the capture thread's messages, the hotkey, closing) and the
// system calls it makes through mainWindowApi; the update check's result.

#include <windows.h>

// Points the main window's controller at this window's system calls.
void FillMainWindowApi();

// WM_COMMAND with notification 0 and one of the four button identifiers;
// anything else is ignored.
void OnToolbarCommand(WPARAM wParam);

void OnRecordingProgress(WPARAM frames, LPARAM milliseconds);
void OnRecordingDone(WPARAM frames);
void OnUpdateResult(WPARAM number);
// WM_HOTKEY: the toggle key registered at start-up.
void OnHotkey(WPARAM id);

// WM_DESTROY of the main window: ends a running capture, destroys the grips,
// releases the frames and ends the message loop.
void OnMainWindowDestroyed();

// Replaces the status line's text.
void ShowStatusText(const char* text);
