#include "ui/settings_layout.h"

#include <atomic>
#include <cstdio>

#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "settings/update_check.h"
#include "settings/update_server.h"

SettingsWindowState settingsWindowState;
SettingsWindowApi settingsWindowApi;

namespace {

// Rows of the size band where a press may start an edit, and the wider band
// in which a press keeps an edit going (the two rows above and below the
// fields are a margin that neither commits nor restarts).
constexpr int32_t kFieldPressTop = 186;
constexpr int32_t kFieldPressBottom = 222;
constexpr int32_t kEditKeepTop = 184;
constexpr int32_t kEditKeepBottom = 224;

int32_t Inside(int32_t value, int32_t low, int32_t high)
{
    return value >= low && value <= high;
}

int32_t InField(int32_t field, int32_t x)
{
    // A press on either edge column still hits the field.
    return Inside(x, kSizeFieldLeft[field], kSizeFieldRight[field]);
}

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

SettingsAction HitArea(int32_t x, int32_t y, int32_t linkWidth, int32_t linkHeight)
{
    if (y < 10)
        return kActionNone;
    // Each row of settings reaches down to the separator below it.
    const int32_t* separator = kSettingsSeparatorRows;
    if (y < separator[0])
        return kActionSlider;
    if (y < separator[1])
        return x <= 209 ? kActionCursor : kActionGuides;
    if (y < separator[2]) {
        const SettingsAction segmentActions[3] = {kActionOutw240, kActionOutw360, kActionOutwActual};
        int32_t segment = 0;
        while (segment < 2 && x >= kOutputSegments[segment].labelBox.right)
            segment++;
        return segmentActions[segment];
    }
    if (y < separator[3]) {
        if (!Inside(y, kFieldPressTop, kFieldPressBottom))
            return kActionNone;
        if (InField(1, x))
            return kActionEditWidth;
        return InField(2, x) ? kActionEditHeight : kActionNone;
    }
    if (y < separator[4])
        return kActionOptimize;
    if (y < separator[5])
        return kActionAutocheck;
    if (Inside(y, kUpdateButton.top, kUpdateButton.bottom) && Inside(x, kUpdateButton.left, kUpdateButton.right))
        return kActionUpdateCheck;
    // A link text wider than the window's content starts at the left margin.
    const int32_t linkLeft = linkWidth < 391 ? 410 - linkWidth : 20;
    if (Inside(y, kSettingsFooterY - 2, linkHeight + kSettingsFooterY + 2) && Inside(x, linkLeft, 410))
        return kActionLink;
    return kActionNone;
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

int32_t FpsFromX(int32_t x)
{
    if (x < kSliderLeft)
        x = kSliderLeft;
    if (x > kSliderRight)
        x = kSliderRight;
    return 10 + static_cast<int32_t>(static_cast<double>(x - kSliderLeft) * 20.0 / 210.0 + 0.5);
}

int32_t SliderOffset(int32_t fps)
{
    return static_cast<int32_t>(static_cast<double>(fps - 10) * 210.0 / 20.0 + 0.5);
}

SliderShape SliderShapeFor(int32_t fps)
{
    const int32_t t = SliderOffset(fps);
    return {{200, 36, 411, 45}, {200, 36, t + 201, 45}, {t + 190, 30, t + 211, 51}};
}

ToggleShape ToggleShapeAt(int32_t left, int32_t centreY, int32_t on)
{
    const int32_t k = on ? left + 34 : left + 12;
    return {{left, centreY - 12, left + 47, centreY + 13},
            {k - 8, centreY - 8, k + 9, centreY + 9},
            on ? kSetAccentColour : kSetControlOutline};
}

const SwitchPlace kCursorSwitch = {"鼠标光标", 20, 72, 112, 85};
const SwitchPlace kGuidesSwitch = {"取景参考线", 218, 72, 326, 85};
const SwitchPlace kOptimizeSwitch = {"文件更小更清晰", 20, 246, 363, 253};
const SwitchPlace kAutocheckSwitch = {"启动时自动检查", 20, 302, 363, 309};

const OutputSegment kOutputSegments[3] = {
    {240, "240px", {200, 141, 270, 163}, {202, 139, 270, 166}},
    {360, "360px", {270, 141, 340, 163}, {272, 139, 340, 166}},
    {0, "实际大小", {340, 141, 410, 163}, {342, 139, 410, 166}},
};

Edges SelectedSegment(int32_t outw)
{
    // Any other value shows as the captured width, as the load rule reads it.
    for (const OutputSegment& segment : kOutputSegments)
        if (segment.outw == outw)
            return segment.selectedBox;
    return kOutputSegments[2].selectedBox;
}

SizeFieldShape SizeFieldShapeAt(int32_t left, int32_t right)
{
    return {{left, 189, right, 219}, {left, 191, right, 218}, right - 12, 195, 214};
}

void FormatLinkText(char* buffer, int32_t size, const char* host)
{
    std::snprintf(buffer, static_cast<size_t>(size), "官网 %s", host);
}

void FormatLinkAddress(char* buffer, int32_t size, const char* host)
{
    std::snprintf(buffer, static_cast<size_t>(size), "http://%s/#website", host);
}

LinkPlace LinkPlaceFor(int32_t cx, int32_t cy)
{
    return {410 - cx, kSettingsFooterY, 410 - cx, 410, cy + kSettingsFooterY - 1};
}

PressPlan PlanSettingsPress(int32_t editField, int32_t x, int32_t y, int32_t linkWidth, int32_t linkHeight)
{
    if (editField == 1 || editField == 2) {
        if (y < kEditKeepTop || y > kEditKeepBottom)
            return {1, HitArea(x, y, linkWidth, linkHeight)};
        const int32_t inPressRows = Inside(y, kFieldPressTop, kFieldPressBottom);
        if (InField(editField, x)) {
            // A press on the edited field starts it afresh; near it, nothing.
            if (!inPressRows)
                return {0, kActionNone};
            return {0, editField == 1 ? kActionEditWidth : kActionEditHeight};
        }
        const int32_t other = 3 - editField;
        if (inPressRows && InField(other, x))
            return {1, other == 1 ? kActionEditWidth : kActionEditHeight};
        return {1, kActionNone};
    }
    return {0, HitArea(x, y, linkWidth, linkHeight)};
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
