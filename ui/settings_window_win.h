#pragma once
// The settings window's entry from the toolbar.

// Brings an open settings window to the front, or opens it (owned by the
// main window; the grips hide while it is visible). The window itself is not
// built yet: until it is, this does nothing and shellState.settingsWindow
// stays null, which the grips and the toolbar treat as closed.
void OpenSettingsWindow();
