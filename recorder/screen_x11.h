#pragma once
// The native build's screen source: the X11 display named by DISPLAY, copied
// with MIT shared memory where the server offers it and with plain image
// requests otherwise, and the cursor through XFixes. Only the native program
// links this; the portable core knows it as the capture table's entries.

// Points the capture table's screen and cursor entries at the X11 source.
// Called once at start-up, before any recording.
void UseX11Screen();

// What went wrong with the screen in the last recording (no DISPLAY, a
// display that cannot be opened, a rectangle too large for memory, a server
// that went away), or null when nothing did.
const char* X11ScreenFailure();

// Whether the last opened screen is copied through shared memory.
bool X11ScreenShared();
