#include "ui/settings_layout.h"

#include <cstdio>

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

}  // namespace

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
