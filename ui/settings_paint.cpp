#include "ui/settings_paint.h"

#include <cstdio>

#include "settings/settings.h"
#include "settings/update_check.h"
#include "settings/update_server.h"
#include "ui/settings_controller.h"
#include "ui/settings_layout.h"

namespace {

// Labels and the places the window draws them at, beside the controls that
// settings_layout places.
struct LabelSpot {
    int32_t x, y;
    const char* text;
};
constexpr LabelSpot kRateLabel = {20, 16, "帧率"};
constexpr int32_t kRateValueX = 86, kRateValueY = 21;
constexpr LabelSpot kOutputLabel = {20, 128, "输出 GIF"};
constexpr LabelSpot kSizeLabel = {20, 190, "取景尺寸"};
constexpr Edges kTimesSign = {208, 190, 238, 219};
constexpr int32_t kFooterX = 20;

constexpr int32_t kSeparatorLeft = 20, kSeparatorRight = 410;

void Label(const DrawApi& draw, const LabelSpot& spot)
{
    draw.textAt(spot.x, spot.y, spot.text, kLabelFont, kSetTextColour);
}

void Switch(const DrawApi& draw, const SwitchPlace& place, int32_t on)
{
    draw.textAt(place.labelX, place.labelY, place.label, kLabelFont, kSetTextColour);
    const ToggleShape s = ToggleShapeAt(place.left, place.centreY, on);
    draw.shape(kShapeRound, s.track, 25, s.colour, s.colour);
    draw.shape(kShapeEllipse, s.knob, 0, s.colour, kSetWhite);
}

void SizeField(const DrawApi& draw, int32_t field)
{
    const SettingsWindowState& st = settingsWindowState;
    const int32_t edited = st.editField == field;
    const int32_t locked = SizeFieldsLocked();
    const SizeFieldShape s = SizeFieldShapeAt(kSizeFieldLeft[field], kSizeFieldRight[field]);
    draw.shape(kShapeRound, s.box, 10, edited ? kSetAccentColour : kSetFieldOutline, locked ? kSetLightFill : kSetWhite);
    char text[24];
    if (edited)
        std::snprintf(text, sizeof text, "%s", st.editText);
    else
        std::snprintf(text, sizeof text, "%d", static_cast<int>(field == 1 ? settings.defw : settings.defh));
    draw.textCentred(s.text, text, kLabelFont, locked ? kSetInactiveText : kSetTextColour);
    if (edited)
        draw.line(s.caretX, s.caretTop, s.caretX, s.caretBottom, kSetAccentColour);
}

}  // namespace

void SettingsLinkSize(const DrawApi& draw, int32_t* width, int32_t* height)
{
    char text[kLinkTextSize];
    FormatLinkText(text, sizeof text, updateServer.host);
    *width = 0;
    *height = 0;
    draw.textSize(text, kNoteFont, width, height);
}

void PaintSettingsWindow(const DrawApi& draw, int32_t width, int32_t height)
{
    draw.fill({0, 0, width, height}, kSetWhite);
    for (int32_t y : kSettingsSeparatorRows)
        draw.line(kSeparatorLeft, y, kSeparatorRight, y, kSetSeparatorColour);

    char text[kLinkTextSize];
    Label(draw, kRateLabel);
    std::snprintf(text, sizeof text, "%d fps", static_cast<int>(settings.fps));
    draw.textAt(kRateValueX, kRateValueY, text, kNoteFont, kSetSecondaryColour);
    const SliderShape slider = SliderShapeFor(settings.fps);
    draw.shape(kShapeRound, slider.track, 9, kSetControlOutline, kSetSeparatorColour);
    draw.shape(kShapeRound, slider.filled, 9, kSetAccentColour, kSetAccentColour);
    draw.shape(kShapeEllipse, slider.knob, 0, kSetAccentColour, kSetWhite);

    Switch(draw, kCursorSwitch, settings.cursor);
    Switch(draw, kGuidesSwitch, settings.guides);

    Label(draw, kOutputLabel);
    draw.shape(kShapeRound, kOutputControl, 16, kSetControlOutline, kSetLightFill);
    draw.shape(kShapeRound, SelectedSegment(settings.outw), 13, kSetControlOutline, kSetAccentColour);
    for (const OutputSegment& segment : kOutputSegments)
        draw.textCentred(segment.labelBox, segment.label, kLabelFont,
                         segment.outw == settings.outw ? kSetWhite : kSetSecondaryColour);

    Label(draw, kSizeLabel);
    SizeField(draw, 1);
    draw.textCentred(kTimesSign, "×", kLabelFont, kSetSecondaryColour);
    SizeField(draw, 2);

    Switch(draw, kOptimizeSwitch, settings.optimize);
    Switch(draw, kAutocheckSwitch, settings.autocheck);

    draw.shape(kShapeRound, kUpdateButton, 12, kSetFieldOutline, kSetLightFill);
    draw.textCentred(kUpdateButton, "检查更新", kLabelFont, kSetTextColour);
    if (updateStatusText[0])
        draw.textAt(kUpdateStatusX, kUpdateStatusY, updateStatusText, kLabelFont, kSetStatusColour);

    draw.textAt(kFooterX, kSettingsFooterY, SettingsFooterText(), kNoteFont, kSetSecondaryColour);
    FormatLinkText(text, sizeof text, updateServer.host);
    int32_t cx = 0, cy = 0;
    draw.textSize(text, kNoteFont, &cx, &cy);
    const LinkPlace link = LinkPlaceFor(cx, cy);
    draw.textAt(link.textX, link.textY, text, kNoteFont, kSetAccentColour);
    draw.line(link.underlineLeft, link.underlineY, link.underlineRight, link.underlineY, kSetLinkUnderline);
}
