#include "ui/settings_controller.h"

#include <atomic>
#include <cstdio>

#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "settings/update_check.h"
#include "settings/update_server.h"
#include "ui/main_layout.h"
#include "ui/settings_layout.h"

SettingsWindowState settingsWindowState;
SettingsWindowApi settingsWindowApi;

namespace {

void Repaint()
{
    if (settingsWindowApi.repaint)
        settingsWindowApi.repaint();
}

// An edit dropped without storing, as Escape drops it.
void DropSizeEdit()
{
    settingsWindowState.editField = 0;
    Repaint();
}

void SaveAndRepaint(SettingKey key)
{
    SaveSetting(key);
    Repaint();
}

// The capture thread reads the cursor setting at every tick while a
// recording runs: it is stored atomically, as the thread loads it.
void StoreCursor(int32_t value)
{
    std::atomic_ref<int32_t>(settings.cursor).store(value, std::memory_order_relaxed);
}

void SetOutputWidth(int32_t outw)
{
    // The width already set is not saved again.
    if (settings.outw == outw)
        return;
    settings.outw = outw;
    SaveAndRepaint(kKeyOutw);
}

void OpenProductPage()
{
    char address[kLinkTextSize];
    FormatLinkAddress(address, sizeof address, updateServer.host);
    if (settingsWindowApi.openAddress)
        settingsWindowApi.openAddress(address);
}

void Perform(SettingsAction action, int32_t x)
{
    switch (action) {
    case kActionNone:
        break;
    case kActionSlider:
        settingsWindowState.sliderDrag = 1;
        if (settingsWindowApi.captureMouse)
            settingsWindowApi.captureMouse();
        ApplyFpsFromX(x);
        break;
    case kActionCursor:
        StoreCursor(settings.cursor ? 0 : 1);
        SaveAndRepaint(kKeyCursor);
        break;
    case kActionGuides:
        settings.guides = settings.guides ? 0 : 1;
        SaveAndRepaint(kKeyGuides);
        break;
    case kActionOutw240: SetOutputWidth(240); break;
    case kActionOutw360: SetOutputWidth(360); break;
    case kActionOutwActual: SetOutputWidth(0); break;
    case kActionEditWidth:
    case kActionEditHeight:
        // A new size would move the frame a running recording captures.
        if (!SizeFieldsLocked())
            BeginSizeEdit(action == kActionEditWidth ? 1 : 2);
        break;
    case kActionOptimize:
        // A recording takes the setting when it starts: a change while one
        // runs applies from the next, as a new rate does.
        settings.optimize = settings.optimize ? 0 : 1;
        SaveAndRepaint(kKeyOptimize);
        break;
    case kActionAutocheck:
        settings.autocheck = settings.autocheck ? 0 : 1;
        SaveAndRepaint(kKeyAutocheck);
        break;
    case kActionUpdateCheck:
        // The check repaints the window itself as its status changes.
        StartUpdateCheck(1);
        break;
    case kActionLink:
        OpenProductPage();
        break;
    }
}

}  // namespace

int32_t SizeFieldsLocked()
{
    return recorderState.recording.load() != 0;
}

const char* SettingsFooterText()
{
    return settingsSaveFailed ? "无法保存设置，改动仅本次有效" : "改动即时生效，自动保存";
}

void SettingsRecordingChanged()
{
    SettingsWindowState& s = settingsWindowState;
    if ((s.editField == 1 || s.editField == 2) && SizeFieldsLocked())
        s.editField = 0;
    Repaint();
}

void ApplyFpsFromX(int32_t x)
{
    const int32_t fps = FpsFromX(x);
    if (fps == settings.fps)
        return;
    settings.fps = fps;
    SaveAndRepaint(kKeyFps);
}

void BeginSizeEdit(int32_t field)
{
    SettingsWindowState& s = settingsWindowState;
    s.editField = field;
    const int32_t stored = field == 1 ? settings.defw : settings.defh;
    const int written = std::snprintf(s.editText, sizeof s.editText, "%d", static_cast<int>(stored));
    s.editLength = written < 0 ? 0 : (written < 4 ? written : 4);
    s.editFresh = 1;
    if (settingsWindowApi.takeFocus)
        settingsWindowApi.takeFocus();
    Repaint();
}

void EndSizeEdit()
{
    SettingsWindowState& s = settingsWindowState;
    if (s.editField != 1 && s.editField != 2)
        return;
    if (SizeFieldsLocked()) {
        DropSizeEdit();
        return;
    }
    if (s.editLength == 0) {
        // Nothing typed: the stored value stays and nothing is saved.
        s.editField = 0;
        Repaint();
        return;
    }
    int32_t value = 0;
    for (int32_t i = 0; i < s.editLength; i++)
        value = value * 10 + (s.editText[i] - '0');
    if (value < kMinViewfinderSide)
        value = kMinViewfinderSide;
    if (value > kMaxViewfinderSide)
        value = kMaxViewfinderSide;
    const int32_t field = s.editField;
    if (field == 1)
        settings.defw = value;
    else
        settings.defh = value;
    s.editField = 0;
    SaveSetting(field == 1 ? kKeyDefw : kKeyDefh);
    // Also when the value did not change: the main window may have been
    // resized by hand since, and a commit brings it back to the setting.
    if (settingsWindowApi.resizeMainWindow)
        settingsWindowApi.resizeMainWindow(OuterWidthFor(settings.defw), OuterHeightFor(settings.defh));
    Repaint();
}

void SettingsPress(int32_t x, int32_t y, int32_t linkWidth, int32_t linkHeight)
{
    if (settingsWindowApi.takeFocus)
        settingsWindowApi.takeFocus();
    const PressPlan plan = PlanSettingsPress(settingsWindowState.editField, x, y, linkWidth, linkHeight);
    if (plan.commitFirst)
        EndSizeEdit();
    Perform(plan.action, x);
}

void SettingsMouseMove(int32_t x, int32_t leftButtonDown)
{
    if (settingsWindowState.sliderDrag && leftButtonDown)
        ApplyFpsFromX(x);
}

void SettingsButtonUp()
{
    if (!settingsWindowState.sliderDrag)
        return;
    settingsWindowState.sliderDrag = 0;
    if (settingsWindowApi.releaseMouse)
        settingsWindowApi.releaseMouse();
}

int32_t SettingsChar(uint32_t character)
{
    SettingsWindowState& s = settingsWindowState;
    if (s.editField != 1 && s.editField != 2)
        return 0;
    if (SizeFieldsLocked()) {
        DropSizeEdit();
        return 1;
    }
    if (character == 13) {
        EndSizeEdit();
    } else if (character == 27) {
        s.editField = 0;
        Repaint();
    } else if (character == 8) {
        if (s.editLength > 0)
            s.editText[--s.editLength] = 0;
        s.editFresh = 0;
        Repaint();
    } else if (character >= '0' && character <= '9') {
        // A fifth digit starts a new number, as the first one after the start does.
        if (s.editFresh || s.editLength >= 4)
            s.editLength = 0;
        s.editText[s.editLength++] = static_cast<char>(character);
        s.editText[s.editLength] = 0;
        s.editFresh = 0;
        Repaint();
    }
    return 1;
}

void SettingsEditInterrupted()
{
    EndSizeEdit();
}
