#pragma once
// The settings window's geometry apart from any drawing: where everything is
// drawn, the frame-rate slider's mapping, and what a press at a point means.
// The window procedure measures the link text and draws what these compute;
// settings_controller.h acts on a press.

#include <cstdint>

#include "ui/main_layout.h"

constexpr int32_t kSettingsClientWidth = 430;
constexpr int32_t kSettingsClientHeight = 496;

// Colours, 0x00BBGGRR.
constexpr uint32_t kSetTextColour = RgbColour(55, 65, 81);
constexpr uint32_t kSetSecondaryColour = RgbColour(120, 128, 140);
constexpr uint32_t kSetAccentColour = RgbColour(19, 94, 82);
constexpr uint32_t kSetSeparatorColour = RgbColour(229, 231, 235);  // also the slider track's fill
constexpr uint32_t kSetControlOutline = RgbColour(209, 213, 219);   // track, switch off, segmented control
constexpr uint32_t kSetFieldOutline = RgbColour(203, 208, 215);     // idle size field, button
constexpr uint32_t kSetLightFill = RgbColour(243, 244, 246);
constexpr uint32_t kSetStatusColour = RgbColour(90, 100, 112);
constexpr uint32_t kSetLinkUnderline = RgbColour(226, 240, 236);
constexpr uint32_t kSetWhite = RgbColour(255, 255, 255);
constexpr uint32_t kSetInactiveText = RgbColour(176, 182, 190);  // size fields while recording

// Separators run from x 20 to 410 (end excluded) at these rows: each row of
// settings is 56 pixels from one separator to the next.
constexpr int32_t kSettingsSeparatorRows[6] = {64, 120, 176, 232, 288, 344};

// The slider: the knob's centre is at x 200 + SliderOffset(fps).
constexpr int32_t kSliderLeft = 200;
constexpr int32_t kSliderRight = 410;

// The frame rate a press or drag at x sets: x clamped to 200..410, each rate
// 10.5 pixels wide, 10 at 200 and 30 at 410.
int32_t FpsFromX(int32_t x);
// The knob's offset from x 200 for a rate: 0 at 10 fps, 210 at 30 fps.
int32_t SliderOffset(int32_t fps);

// Rectangles with the right and bottom edges excluded, as the drawing
// functions take them.
struct SliderShape {
    Edges track;
    Edges filled;
    Edges knob;
};
SliderShape SliderShapeFor(int32_t fps);

// One switch: a track of colour (accent on, light grey off) and a white knob.
struct ToggleShape {
    Edges track;
    Edges knob;
    uint32_t colour;
};
ToggleShape ToggleShapeAt(int32_t left, int32_t centreY, int32_t on);

// A switch with its label: the label's top-left corner and text, the
// switch's left edge and centre row. A switch on a row of its own has its
// label at the left margin and the switch at the right, 14 and 21 pixels
// below the separator above.
struct SwitchPlace {
    const char* label;  // GBK in the product
    int32_t labelX, labelY;
    int32_t left, centreY;
};
extern const SwitchPlace kCursorSwitch;
extern const SwitchPlace kGuidesSwitch;
extern const SwitchPlace kOptimizeSwitch;  // small, sharp files: changed areas in their own colours
extern const SwitchPlace kAutocheckSwitch;

// The output-width control: its outline, and its three segments, each with
// the box its label is centred in (the label boxes split the control: a
// press left of a box's right edge picks it) and its look when selected.
constexpr Edges kOutputControl = {200, 137, 411, 168};
struct OutputSegment {
    int32_t outw;
    const char* label;  // GBK in the product
    Edges labelBox;
    Edges selectedBox;
};
extern const OutputSegment kOutputSegments[3];

// The selected segment of the output-width control for outw (240, 360, 0).
Edges SelectedSegment(int32_t outw);

// The update button, drawn and pressed, and the check's status line beside it.
constexpr Edges kUpdateButton = {20, 352, 138, 388};
constexpr int32_t kUpdateStatusX = 154;
constexpr int32_t kUpdateStatusY = 360;

// The top of the footer's line: the note at the left margin, the link at
// the right.
constexpr int32_t kSettingsFooterY = 460;

// The size fields' left and right edges: 1 the width, 2 the height.
constexpr int32_t kSizeFieldLeft[3] = {0, 108, 238};
constexpr int32_t kSizeFieldRight[3] = {0, 208, 338};

// A size field between left and right: its box, where its text is centred,
// and its caret (a vertical line from caretTop to caretBottom, end
// excluded), drawn only while it is edited.
struct SizeFieldShape {
    Edges box;
    Edges text;
    int32_t caretX, caretTop, caretBottom;
};
SizeFieldShape SizeFieldShapeAt(int32_t left, int32_t right);

// The link at the bottom right: "官网 <host>" (GBK in the product) and the
// address it opens, http://<host>/#website.
constexpr int32_t kLinkTextSize = 80;
void FormatLinkText(char* buffer, int32_t size, const char* host);
void FormatLinkAddress(char* buffer, int32_t size, const char* host);

// For a link text of cx x cy pixels: where it is drawn, and its underline
// (a line from underlineLeft to underlineRight, end excluded, on one row).
struct LinkPlace {
    int32_t textX, textY;
    int32_t underlineLeft, underlineRight, underlineY;
};
LinkPlace LinkPlaceFor(int32_t cx, int32_t cy);

// What a press does.
enum SettingsAction : int32_t {
    kActionNone,
    kActionSlider,        // start a drag and set the rate from x
    kActionCursor,        // switch the cursor setting
    kActionGuides,
    kActionOutw240,
    kActionOutw360,
    kActionOutwActual,
    kActionEditWidth,     // start (or restart) editing a size field
    kActionEditHeight,
    kActionOptimize,      // switch storing later frames as their changed area
    kActionAutocheck,
    kActionUpdateCheck,
    kActionLink,
};

// A press at x, y while editField (0 none, 1 width, 2 height) is edited;
// cx, cy is the link text's size. commitFirst: the edit in progress is
// committed before the action.
struct PressPlan {
    int32_t commitFirst;
    SettingsAction action;
};
PressPlan PlanSettingsPress(int32_t editField, int32_t x, int32_t y, int32_t linkWidth, int32_t linkHeight);
