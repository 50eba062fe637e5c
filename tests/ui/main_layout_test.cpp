// Geometry of the main window and the grips: the numbers the windows are
// placed and drawn with.
#include <gtest/gtest.h>

#include <string>

#include "ui/main_layout.h"

namespace {

TEST(MainLayout, OuterSizeAddsFrameToViewfinder)
{
    EXPECT_EQ(OuterWidthFor(480), 510);
    EXPECT_EQ(OuterHeightFor(480), 575);
    EXPECT_EQ(OuterWidthFor(kMinViewfinderSide), kMinTrackWidth);
    EXPECT_EQ(OuterHeightFor(kMinViewfinderSide), kMinTrackHeight);
    EXPECT_EQ(kMinTrackWidth, 94);
    EXPECT_EQ(kMinTrackHeight, 159);
}

TEST(MainLayout, RecordingAreaAndLabelText)
{
    struct Case {
        int32_t w, h;
        Box area;
        const char* label;
    } cases[] = {
        {400, 300, {6, 42, 388, 252}, "388 x 252 px"},
        {76, 112, {6, 42, 64, 64}, "64 x 64 px"},     // exactly the minimum
        {40, 50, {6, 42, 64, 64}, "64 x 64 px"},      // smaller client: never below 64 x 64
        {0, 0, {6, 42, 64, 64}, "64 x 64 px"},        // minimised
        {77, 113, {6, 42, 65, 65}, "65 x 65 px"},
        {3870, 2208, {6, 42, 3858, 2160}, "3858 x 2160 px"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        Box a = RecordingArea(c.w, c.h);
        EXPECT_EQ(a.left, c.area.left);
        EXPECT_EQ(a.top, c.area.top);
        EXPECT_EQ(a.width, c.area.width);
        EXPECT_EQ(a.height, c.area.height);
        char text[kSizeLabelSize];
        SizeLabelText(text, sizeof text, c.w, c.h);
        EXPECT_STREQ(text, c.label);
    }
}

TEST(MainLayout, HitTestOverClientArea)
{
    // Client 400 x 300: left x <= 7, right x >= 392, top y <= 43, bottom y >= 292.
    struct Case {
        int32_t x, y, hit;
    } cases[] = {
        {-1, 100, kHitDefault},  {100, -1, kHitDefault},   {400, 100, kHitDefault}, {100, 300, kHitDefault},
        {0, 0, kHitClient},      {100, 35, kHitClient},    {399, 35, kHitClient},   // toolbar is no drag area
        {0, 36, kHitTopLeft},    {7, 43, kHitTopLeft},     {8, 43, kHitTop},        {7, 44, kHitLeft},
        {392, 36, kHitTopRight}, {399, 43, kHitTopRight},  {391, 43, kHitTop},      {392, 44, kHitRight},
        {0, 299, kHitBottomLeft}, {7, 292, kHitBottomLeft}, {7, 291, kHitLeft},     {8, 292, kHitBottom},
        {399, 299, kHitBottomRight}, {392, 292, kHitBottomRight}, {391, 292, kHitBottom},
        {200, 150, kHitClient},  {8, 44, kHitClient},      {391, 291, kHitClient},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MainHitTest(c.x, c.y, 400, 300), c.hit) << "at (" << c.x << ", " << c.y << ")";
}

TEST(MainLayout, CursorPerHitCode)
{
    struct Case {
        int32_t hit;
        SizeCursor cursor;
    } cases[] = {
        {kHitLeft, kCursorSizeWE},        {kHitRight, kCursorSizeWE},       {kHitTop, kCursorSizeNS},
        {kHitBottom, kCursorSizeNS},      {kHitTopLeft, kCursorSizeNWSE},   {kHitBottomRight, kCursorSizeNWSE},
        {kHitTopRight, kCursorSizeNESW},  {kHitBottomLeft, kCursorSizeNESW}, {kHitClient, kCursorNone},
        {kHitDefault, kCursorNone},       {2 /* caption */, kCursorNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CursorForHit(c.hit), c.cursor) << "hit " << c.hit;
}

// The frame the size convention assumes: 18 pixels across, 47 down.
constexpr FrameExtra kWindowsExtra = {30, 95};

TEST(MainLayout, ShiftLockKeepsShapeWidthLeading)
{
    // A proposed outer rectangle from (100, 50); base 400 x 200 unless noted.
    struct Case {
        const char* name;
        int32_t edge, baseW, baseH;
        Edges proposed, expected;
    } cases[] = {
        // d = 600: height 300, outer 395; the left and top stay.
        {"right", kEdgeRight, 400, 200, {100, 50, 730, 400}, {100, 50, 730, 445}},
        {"bottom-right", kEdgeBottomRight, 400, 200, {100, 50, 730, 999}, {100, 50, 730, 445}},
        // Left edges move the left side, top edges the top side.
        {"left", kEdgeLeft, 400, 200, {130, 50, 760, 400}, {130, 50, 760, 445}},
        {"top-left", kEdgeTopLeft, 400, 200, {130, 10, 760, 500}, {130, 105, 760, 500}},
        {"bottom-left", kEdgeBottomLeft, 400, 200, {130, 50, 760, 400}, {130, 50, 760, 445}},
        {"top-right", kEdgeTopRight, 400, 200, {100, 10, 730, 500}, {100, 105, 730, 500}},
        // Dragging only the top or bottom: the width stays and the height snaps back.
        {"top", kEdgeTop, 400, 200, {100, 0, 530, 500}, {100, 205, 530, 500}},
        {"bottom", kEdgeBottom, 400, 200, {100, 50, 530, 900}, {100, 50, 530, 345}},
        // d = 101: 3:2 gives 67.33 -> 67; 202:133 gives exactly 66.5 -> 67, not 66.
        {"rounding", kEdgeRight, 300, 200, {0, 0, 131, 10}, {0, 0, 131, 162}},
        {"rounds half up", kEdgeRight, 202, 133, {0, 0, 131, 10}, {0, 0, 131, 162}},
        // Below the minimum: width 64, height from d itself, then at least 64.
        {"narrow", kEdgeRight, 100, 400, {0, 0, 80, 10}, {0, 0, 94, 295}},
        {"narrow from left", kEdgeLeft, 100, 400, {20, 0, 80, 10}, {-14, 0, 80, 215}},
        // Every corner below the minimum width: the dragged sides move, the
        // opposite ones stay (d = 30: width 64, height 120).
        {"narrow top-left", kEdgeTopLeft, 100, 400, {20, 300, 80, 500}, {-14, 285, 80, 500}},
        {"narrow top-right", kEdgeTopRight, 100, 400, {20, 300, 80, 500}, {20, 285, 114, 500}},
        {"narrow bottom-left", kEdgeBottomLeft, 100, 400, {20, 0, 80, 10}, {-14, 0, 80, 215}},
        {"narrow bottom-right", kEdgeBottomRight, 100, 400, {20, 0, 80, 10}, {20, 0, 114, 215}},
        {"flat", kEdgeRight, 400, 10, {0, 0, 530, 10}, {0, 0, 530, 159}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Edges r = c.proposed;
        EXPECT_EQ(ShiftLockedSizing(c.edge, c.baseW, c.baseH, kWindowsExtra, &r), 1);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

TEST(MainLayout, OuterExtraIsTheRealFramePlusToolbarAndMargins)
{
    struct Case {
        const char* frame;
        int32_t outerW, outerH, clientW, clientH;
        FrameExtra expected;
    } cases[] = {
        {"windows", 510, 575, 492, 528, {30, 95}},
        // Wine: 4-pixel borders, a 19-pixel caption.
        {"wine", 510, 575, 502, 548, {20, 75}},
        // A client below 76 x 112 (its recording area stays 64 x 64).
        {"tiny client", 94, 159, 86, 132, {20, 75}},
        {"no frame", 400, 300, 400, 300, {12, 48}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        const FrameExtra e = OuterExtraFor(c.outerW, c.outerH, c.clientW, c.clientH);
        EXPECT_EQ(e.width, c.expected.width);
        EXPECT_EQ(e.height, c.expected.height);
    }
}

// Shift-drags one after another on Wine's frame, each starting from the
// recording area the last one left: the shape must hold. With Windows'
// constants on this frame the area went 610x419 -> 910x637 -> 613x449 and a
// bottom edge dragged up made the window taller.
TEST(MainLayout, ShiftDragsInSequenceKeepTheShapeOnWinesFrame)
{
    const FrameExtra wine = OuterExtraFor(630, 494, 622, 467);
    ASSERT_EQ(wine.width, 20);
    ASSERT_EQ(wine.height, 75);
    struct Step {
        const char* drag;
        int32_t edge;
        Edges proposed, expected;
        int32_t areaW, areaH;
    } steps[] = {
        // From a 610 x 419 area (outer 630 x 494 at 100, 50).
        {"right edge 300 out", kEdgeRight, {100, 50, 1030, 544}, {100, 50, 1030, 750}, 910, 625},
        {"bottom edge 200 up", kEdgeBottom, {100, 50, 1030, 550}, {100, 50, 1030, 750}, 910, 625},
        {"left edge 297 in", kEdgeLeft, {397, 50, 1030, 750}, {397, 50, 1030, 546}, 613, 421},
        {"top-left corner in", kEdgeTopLeft, {497, 100, 1030, 546}, {497, 119, 1030, 546}, 513, 352},
    };
    Edges window = {100, 50, 730, 544};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.drag);
        // The base is the area the window has when the drag begins.
        const int32_t baseW = window.right - window.left - wine.width;
        const int32_t baseH = window.bottom - window.top - wine.height;
        Edges r = s.proposed;
        ASSERT_EQ(ShiftLockedSizing(s.edge, baseW, baseH, wine, &r), 1);
        EXPECT_EQ(r.left, s.expected.left);
        EXPECT_EQ(r.top, s.expected.top);
        EXPECT_EQ(r.right, s.expected.right);
        EXPECT_EQ(r.bottom, s.expected.bottom);
        EXPECT_EQ(r.right - r.left - wine.width, s.areaW);
        EXPECT_EQ(r.bottom - r.top - wine.height, s.areaH);
        window = r;
    }
}

TEST(MainLayout, ShiftLockNeedsBothBaseValues)
{
    for (auto [w, h] : {std::pair{0, 0}, std::pair{400, 0}, std::pair{0, 200}, std::pair{-5, 200}}) {
        Edges r = {1, 2, 3, 4};
        EXPECT_EQ(ShiftLockedSizing(kEdgeRight, w, h, kWindowsExtra, &r), 0);
        EXPECT_EQ(r.left, 1);
        EXPECT_EQ(r.top, 2);
        EXPECT_EQ(r.right, 3);
        EXPECT_EQ(r.bottom, 4);
    }
}

TEST(MainLayout, GripsRingTheRecordingArea)
{
    // Client origin at screen (100, 200), client 400 x 300.
    struct Case {
        int32_t x, y, w, h, hit;
    } expected[kGripCount] = {
        {106, 236, 388, 6, kHitTop},       {106, 494, 388, 6, kHitBottom},
        {100, 242, 6, 252, kHitLeft},      {494, 242, 6, 252, kHitRight},
        {100, 236, 6, 6, kHitTopLeft},     {494, 236, 6, 6, kHitTopRight},
        {100, 494, 6, 6, kHitBottomLeft},  {494, 494, 6, 6, kHitBottomRight},
    };
    for (int32_t i = 0; i < kGripCount; i++) {
        SCOPED_TRACE("grip " + std::to_string(i));
        GripPlace g = GripPlacement(i, 100, 200, 400, 300);
        EXPECT_EQ(g.box.left, expected[i].x);
        EXPECT_EQ(g.box.top, expected[i].y);
        EXPECT_EQ(g.box.width, expected[i].w);
        EXPECT_EQ(g.box.height, expected[i].h);
        EXPECT_EQ(g.hit, expected[i].hit);
        EXPECT_EQ(GripHitCode(i), expected[i].hit);
    }
    // The ring's inner edge is the recording area, screen (106, 242) to (494, 494).
    Box area = RecordingArea(400, 300);
    EXPECT_EQ(100 + area.left, GripPlacement(0, 100, 200, 400, 300).box.left);
    EXPECT_EQ(200 + area.top, GripPlacement(2, 100, 200, 400, 300).box.top);
    EXPECT_EQ(100 + area.left + area.width, GripPlacement(3, 100, 200, 400, 300).box.left);
    EXPECT_EQ(200 + area.top + area.height, GripPlacement(1, 100, 200, 400, 300).box.top);
    // Outside 0..7 a grip is an ordinary window.
    EXPECT_EQ(GripHitCode(-1), kHitDefault);
    EXPECT_EQ(GripHitCode(8), kHitDefault);
}

TEST(MainLayout, GripsOnTinyClientHaveEmptyStrips)
{
    // The raw client size is used: a client below 12 x 48 gives strips of no
    // size, which the grip update places but does not paint.
    EXPECT_LT(GripPlacement(0, 0, 0, 10, 40).box.width, 1);
    EXPECT_LT(GripPlacement(2, 0, 0, 10, 40).box.height, 1);
}

TEST(MainLayout, GuidesAtCentreAndGoldenSections)
{
    struct Case {
        int32_t w, h, cx, cy, x1, x2, y1, y2;
    } cases[] = {
        {400, 300, 200, 168, 154, 245, 138, 197},  // area 388 x 252
        {76, 112, 38, 74, 30, 45, 66, 81},         // area 64 x 64: 24.448 and 39.552 cut
        {10, 10, 38, 74, 30, 45, 66, 81},          // below the minimum, as 64 x 64
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        Guides g = GuidesFor(c.w, c.h);
        EXPECT_EQ(g.centreX, c.cx);
        EXPECT_EQ(g.centreY, c.cy);
        EXPECT_EQ(g.goldenX[0], c.x1);
        EXPECT_EQ(g.goldenX[1], c.x2);
        EXPECT_EQ(g.goldenY[0], c.y1);
        EXPECT_EQ(g.goldenY[1], c.y2);
    }
}

TEST(MainLayout, SizeLabelBoxInLowerRightCorner)
{
    struct Case {
        int32_t w, h, textW, textH;
        Edges box;
    } cases[] = {
        // 14 inside the area's lower right corner, 18 wider and 9 taller than the text.
        {400, 300, 90, 21, {272, 250, 380, 280}},
        // Small client: the minimum size's corner, and the left and top clamps.
        {76, 112, 90, 21, {10, 62, 56, 92}},
        {30, 30, 10, 10, {28, 73, 56, 92}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        Edges b = SizeLabelBox(c.w, c.h, c.textW, c.textH);
        EXPECT_EQ(b.left, c.box.left);
        EXPECT_EQ(b.top, c.box.top);
        EXPECT_EQ(b.right, c.box.right);
        EXPECT_EQ(b.bottom, c.box.bottom);
    }
}

}  // namespace
