#pragma once
// Geometry of the main window and its grips, apart from any drawing: the
// toolbar band, the viewfinder with its recording area, hit tests, sizing
// cursors, the Shift-locked shape, the guides and the size label. The window
// procedures draw and place what these compute.

#include <cstdint>

#include "settings/viewfinder_sides.h"

// Colours in the platform's 0x00BBGGRR layout.
constexpr uint32_t RgbColour(uint32_t r, uint32_t g, uint32_t b)
{
    return r | (g << 8) | (b << 16);
}

constexpr uint32_t kColourKey = RgbColour(2, 3, 4);  // see-through and click-through
constexpr uint32_t kToolbarColour = RgbColour(255, 255, 255);
constexpr uint32_t kSeparatorColour = RgbColour(229, 231, 235);
constexpr uint32_t kOutlineColour = RgbColour(229, 72, 77);
constexpr uint32_t kCrossColour = RgbColour(19, 94, 82);
constexpr uint32_t kGoldenColour = RgbColour(150, 155, 165);
constexpr uint32_t kLabelColour = RgbColour(17, 24, 39);
constexpr uint32_t kLabelTextColour = RgbColour(255, 255, 255);
constexpr uint32_t kStatusTextColour = RgbColour(107, 114, 128);

constexpr int32_t kSeparatorRow = 35;     // toolbar rows 0..34, separator 35
constexpr int32_t kViewfinderTop = 36;    // first key-coloured row
constexpr int32_t kRecordingLeft = 6;     // recording area in client pixels
constexpr int32_t kRecordingTop = 42;
constexpr int32_t kMarginWidth = 6;       // the ring the grips lie on

// Outer size = viewfinder size + these (caption, borders, toolbar, margins).
constexpr int32_t kFrameExtraWidth = 30;
constexpr int32_t kFrameExtraHeight = 95;
constexpr int32_t kMinTrackWidth = kMinViewfinderSide + kFrameExtraWidth;    // 94
constexpr int32_t kMinTrackHeight = kMinViewfinderSide + kFrameExtraHeight;  // 159

// Hit-test codes, numerically the platform's (HTCLIENT, HTLEFT, ...).
// kHitDefault means: let the system's own hit test answer.
enum HitCode : int32_t {
    kHitDefault = -1,
    kHitClient = 1,
    kHitLeft = 10,
    kHitRight = 11,
    kHitTop = 12,
    kHitTopLeft = 13,
    kHitTopRight = 14,
    kHitBottom = 15,
    kHitBottomLeft = 16,
    kHitBottomRight = 17,
};

// The dragged edge of a sizing, numerically the platform's WMSZ_ values.
enum SizingEdge : int32_t {
    kEdgeLeft = 1,
    kEdgeRight = 2,
    kEdgeTop = 3,
    kEdgeTopLeft = 4,
    kEdgeTopRight = 5,
    kEdgeBottom = 6,
    kEdgeBottomLeft = 7,
    kEdgeBottomRight = 8,
};

enum SizeCursor : int32_t {
    kCursorNone,    // not a sizing code: the system's own cursor
    kCursorSizeWE,
    kCursorSizeNS,
    kCursorSizeNWSE,
    kCursorSizeNESW,
};

struct Box {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

struct Edges {
    int32_t left;
    int32_t top;
    int32_t right;   // exclusive
    int32_t bottom;  // exclusive
};

// The outer size of the main window for a viewfinder of defw x defh.
int32_t OuterWidthFor(int32_t viewfinderWidth);
int32_t OuterHeightFor(int32_t viewfinderHeight);

// The recording area in client coordinates for a client area of W x H:
// never below 64 x 64, inset 6 from the margins when the client is big
// enough. Also the base of the Shift lock.
Box RecordingArea(int32_t clientWidth, int32_t clientHeight);

// The main window's hit test for a client point; kHitDefault outside the
// client area (caption and borders stay the system's).
int32_t MainHitTest(int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight);

SizeCursor CursorForHit(int32_t hit);

// What the outer rectangle holds beyond the recording area: the frame the
// window really has (outer less client size) plus the toolbar and margins.
// On Windows' frame this is kFrameExtraWidth x kFrameExtraHeight; Wine draws
// thinner borders and a lower caption, and a shape kept with the constants
// there drifts at every Shift-drag.
struct FrameExtra {
    int32_t width;
    int32_t height;
};
FrameExtra OuterExtraFor(int32_t outerWidth, int32_t outerHeight, int32_t clientWidth, int32_t clientHeight);

// With Shift held: forces the proposed outer rectangle to the shape of the
// base recording area, the width leading, and moves the dragged sides only.
// Returns 1 when it changed the shape, 0 (rectangle untouched) without a base.
int ShiftLockedSizing(int32_t edge, int32_t baseWidth, int32_t baseHeight, FrameExtra extra, Edges* outer);

// Grips 0..7 (top, bottom, left, right, then the corners top-left,
// top-right, bottom-left, bottom-right) for the client origin (x0, y0) on
// the screen and the raw client size.
constexpr int32_t kGripCount = 8;
struct GripPlace {
    Box box;      // screen pixels; width or height may be below 1 on a tiny client
    int32_t hit;  // the sizing code the grip answers with
};
GripPlace GripPlacement(int32_t index, int32_t x0, int32_t y0, int32_t clientWidth, int32_t clientHeight);
// kHitDefault for an index outside 0..7.
int32_t GripHitCode(int32_t index);

// The centre cross and the golden-section points of the recording area.
struct Guides {
    int32_t centreX;
    int32_t centreY;
    int32_t goldenX[2];
    int32_t goldenY[2];
};
Guides GuidesFor(int32_t clientWidth, int32_t clientHeight);

// "%d x %d px" of the recording area.
constexpr int32_t kSizeLabelSize = 64;
void SizeLabelText(char* buffer, int32_t size, int32_t clientWidth, int32_t clientHeight);

// The label's box for a text of textWidth x textHeight, 14 pixels inside the
// lower right corner of the recording area; right and bottom inclusive.
Edges SizeLabelBox(int32_t clientWidth, int32_t clientHeight, int32_t textWidth, int32_t textHeight);
