// The toolbar buttons: placement, enable states, looks and the hover rules.
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/product_text.h"
#include "ui/main_layout.h"
#include "ui/toolbar_look.h"

namespace {

TEST(ToolbarLook, ButtonsInOrderWithTheirTexts)
{
    struct Case {
        int32_t id, x;
        const char* text;
        int32_t dot;
    } expected[] = {
        {1007, 8, "录制", 1}, {1008, 66, "停止", 1}, {1009, 124, "生成", 0}, {1011, 182, "设置", 0}};
    for (int32_t i = 0; i < kToolbarButtonCount; i++) {
        EXPECT_EQ(kToolbarButtons[i].id, expected[i].id);
        EXPECT_EQ(kToolbarButtons[i].x, expected[i].x);
        EXPECT_EQ(kToolbarButtons[i].text, ProductText(expected[i].text));
        EXPECT_EQ(kToolbarButtons[i].hasDot, expected[i].dot);
        EXPECT_EQ(ToolbarButtonOf(expected[i].id), i);
    }
    // The status line and any other identifier are not buttons.
    EXPECT_EQ(ToolbarButtonOf(ID_STATUS), -1);
    EXPECT_EQ(ToolbarButtonOf(1010), -1);
    EXPECT_EQ(ToolbarButtonOf(0), -1);
    // The buttons and the status line stay inside the toolbar band.
    EXPECT_LE(kButtonTop + kButtonHeight, kSeparatorRow);
    EXPECT_LE(kStatusTop + kStatusHeight, kSeparatorRow);
    EXPECT_LT(kToolbarButtons[3].x + kButtonWidth, kStatusLeft);
}

TEST(ToolbarLook, EnableStatesFollowRecordingStopAndFrames)
{
    struct Case {
        const char* state;
        int32_t recording, stopRequested, frames;
        ButtonEnables expected;  // Record, Stop, Generate, Settings
    } cases[] = {
        {"start-up", 0, 0, 0, {{1, 0, 0, 1}}},
        {"recording", 1, 0, 0, {{0, 1, 0, 0}}},
        {"recording with frames", 1, 0, 12, {{0, 1, 0, 0}}},
        {"stopping", 1, 1, 0, {{0, 0, 0, 0}}},
        {"stopping with frames", 1, 1, 12, {{0, 0, 0, 0}}},
        {"done with frames", 0, 0, 1, {{1, 0, 1, 1}}},
        {"done with many frames", 0, 0, 500, {{1, 0, 1, 1}}},
        // The completion comes with the stop request still set.
        {"done after stop", 0, 1, 12, {{1, 0, 1, 1}}},
        {"done after stop, no frame", 0, 1, 0, {{1, 0, 0, 1}}},
    };
    for (const Case& c : cases) {
        ButtonEnables e = ButtonStatesFor(c.recording, c.stopRequested, c.frames);
        for (int32_t b = 0; b < kToolbarButtonCount; b++)
            EXPECT_EQ(e.enabled[b], c.expected.enabled[b]) << c.state << ", button " << b;
    }
}

TEST(ToolbarLook, LookChosenByPriority)
{
    struct Case {
        int32_t hovered, pressed, disabled;
        ButtonLookKind look;
    } cases[] = {
        {0, 0, 0, kLookNormal},   {1, 0, 0, kLookHovered}, {0, 1, 0, kLookPressed},  {1, 1, 0, kLookPressed},
        {0, 0, 1, kLookDisabled}, {1, 0, 1, kLookDisabled},  // Record pressed under the mouse turns disabled
        {0, 1, 1, kLookDisabled}, {1, 1, 1, kLookDisabled},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseButtonLook(c.hovered, c.pressed, c.disabled), c.look)
            << c.hovered << c.pressed << c.disabled;
}

TEST(ToolbarLook, ColoursPerLookAndButton)
{
    const uint32_t ink = RgbColour(55, 65, 81), edge = RgbColour(209, 213, 219);
    const uint32_t red = RgbColour(229, 72, 77), grey = RgbColour(156, 163, 175);
    const uint32_t pale = RgbColour(229, 231, 235);
    struct Case {
        int32_t button;
        ButtonLookKind kind;
        ButtonLook look;
    } cases[] = {
        {kButtonRecord, kLookNormal, {RgbColour(255, 255, 255), edge, ink, red, 1}},
        {kButtonRecord, kLookHovered, {RgbColour(243, 244, 246), edge, ink, red, 1}},
        {kButtonRecord, kLookPressed, {pale, edge, ink, red, 1}},
        {kButtonRecord, kLookDisabled, {RgbColour(250, 250, 250), pale, RgbColour(203, 208, 215), pale, 1}},
        {kButtonStop, kLookNormal, {RgbColour(255, 255, 255), edge, ink, grey, 1}},
        {kButtonStop, kLookDisabled, {RgbColour(250, 250, 250), pale, RgbColour(203, 208, 215), pale, 1}},
        {kButtonGenerate, kLookHovered, {RgbColour(243, 244, 246), edge, ink, 0, 0}},
        {kButtonSettings, kLookDisabled, {RgbColour(250, 250, 250), pale, RgbColour(203, 208, 215), 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("button " + std::to_string(c.button) + " look " + std::to_string(c.kind));
        ButtonLook l = ButtonLookOf(c.button, c.kind);
        EXPECT_EQ(l.fill, c.look.fill);
        EXPECT_EQ(l.border, c.look.border);
        EXPECT_EQ(l.text, c.look.text);
        EXPECT_EQ(l.hasDot, c.look.hasDot);
        if (c.look.hasDot) {
            EXPECT_EQ(l.dot, c.look.dot);
        }
    }
    // The layout is the platform's 0x00BBGGRR.
    EXPECT_EQ(RgbColour(229, 72, 77), 0x004D48E5u);
}

TEST(ToolbarLook, DotAndTextPlacement)
{
    // Record at (8, 5) - (60, 31): dot 8 across at 10 from the left, text at 26.
    ButtonContent record = ButtonContentIn(kButtonRecord, 8, 5, 60, 31);
    EXPECT_EQ(record.dotLeft, 18);
    EXPECT_EQ(record.dotRight, 26);
    EXPECT_EQ(record.dotTop, 14);
    EXPECT_EQ(record.dotBottom, 22);
    EXPECT_EQ(record.textLeft, 34);
    EXPECT_EQ(record.centred, 0);
    EXPECT_EQ(ButtonContentIn(kButtonStop, 0, 0, 52, 26).centred, 0);
    // Item rectangles are the button's own client area: an odd height cuts the centre.
    ButtonContent odd = ButtonContentIn(kButtonStop, 0, 0, 52, 27);
    EXPECT_EQ(odd.dotTop, 9);
    EXPECT_EQ(odd.dotBottom, 17);
    EXPECT_EQ(ButtonContentIn(kButtonGenerate, 0, 0, 52, 26).centred, 1);
    EXPECT_EQ(ButtonContentIn(kButtonSettings, 0, 0, 52, 26).centred, 1);
}

TEST(ToolbarLook, HoverMovesFromButtonToButton)
{
    int record = 0, settings = 0;  // stand-ins for two button windows
    ButtonHover hover = {};

    // First move over Record: highlight it and ask for a leave notice.
    EXPECT_EQ(HoverOnMouseMove(&hover, &record, 1), kHoverRepaint | kHoverTrackLeave);
    EXPECT_EQ(hover.hovered, &record);
    // Further moves: nothing to do while the notice is pending.
    EXPECT_EQ(HoverOnMouseMove(&hover, &record, 1), 0);
    // Over the toolbar background: the leave notice clears the highlight.
    EXPECT_EQ(HoverOnMouseLeave(&hover, &record), kHoverRepaint);
    EXPECT_EQ(hover.hovered, nullptr);
    EXPECT_EQ(hover.leaveTracking, 0);
    // First move over Settings highlights it and tracks it anew.
    EXPECT_EQ(HoverOnMouseMove(&hover, &settings, 1), kHoverRepaint | kHoverTrackLeave);
    EXPECT_EQ(hover.hovered, &settings);
    // A late leave notice of another button ends the tracking but keeps
    // Settings highlighted; the next move asks again.
    EXPECT_EQ(HoverOnMouseLeave(&hover, &record), 0);
    EXPECT_EQ(hover.hovered, &settings);
    EXPECT_EQ(HoverOnMouseMove(&hover, &settings, 1), kHoverTrackLeave);
}

TEST(ToolbarLook, HoverWithoutLeaveNotices)
{
    int record = 0, settings = 0;
    ButtonHover hover = {};
    // No leave notice can be asked for: the flag stays clear and the
    // highlight changes only by moving over another button.
    EXPECT_EQ(HoverOnMouseMove(&hover, &record, 0), kHoverRepaint);
    EXPECT_EQ(hover.leaveTracking, 0);
    EXPECT_EQ(HoverOnMouseMove(&hover, &record, 0), 0);
    EXPECT_EQ(hover.hovered, &record);
    EXPECT_EQ(HoverOnMouseMove(&hover, &settings, 0), kHoverRepaint);
    EXPECT_EQ(hover.hovered, &settings);
}

}  // namespace
