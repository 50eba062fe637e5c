#pragma once
// The settings window's behaviour apart from its platform calls: the edit of
// the two size fields, the slider's drag, and what a press or a key does. The
// window procedure turns messages into the calls below; whatever the window
// must do to the system goes through settingsWindowApi.

#include <cstdint>

// The window's state on the UI thread.
struct SettingsWindowState {
    int32_t editField;   // 0 none, 1 width (defw), 2 height (defh)
    char editText[5];    // up to 4 digits, terminated
    int32_t editLength;
    int32_t editFresh;   // the next digit replaces the whole text
    int32_t sliderDrag;  // the slider is dragged with the mouse captured
};
extern SettingsWindowState settingsWindowState;

// What the window must do to the system. The Windows shell fills it when the
// window opens; tests record the calls. Null entries are skipped.
struct SettingsWindowApi {
    void (*repaint)();       // the whole settings window, erasing
    void (*takeFocus)();
    void (*captureMouse)();
    void (*releaseMouse)();
    // The main window, when it exists, to this outer size, in place, and repainted.
    void (*resizeMainWindow)(int32_t outerWidth, int32_t outerHeight);
    void (*openAddress)(const char* address);
};
extern SettingsWindowApi settingsWindowApi;

// The window's behaviour, one call per message. Every change of a setting is
// applied, saved with SaveSettings and repainted at once.
void ApplyFpsFromX(int32_t x);
void BeginSizeEdit(int32_t field);
void EndSizeEdit();  // commits the edit, if any
void SettingsPress(int32_t x, int32_t y, int32_t linkWidth, int32_t linkHeight);
void SettingsMouseMove(int32_t x, int32_t leftButtonDown);
void SettingsButtonUp();
// A typed character; 0 when no field is edited (the system's default applies).
int32_t SettingsChar(uint32_t character);
// Focus lost, or the window closing: an edit in progress is committed.
void SettingsEditInterrupted();

// 1 while a recording runs: the size fields are drawn inactive, a press on
// them starts no edit, and an edit left open is dropped without storing.
int32_t SizeFieldsLocked();
// The footer: the note that changes save themselves, or, after a save
// failed and until one succeeds, that they are not saved.
const char* SettingsFooterText();
// A recording started or ended: the size fields change their look.
void SettingsRecordingChanged();
