#include "ui/window_shape.h"

#include <gtest/gtest.h>

namespace {

bool Covers(const Box* boxes, int32_t n, int32_t x, int32_t y)
{
    for (int32_t i = 0; i < n; i++)
        if (x >= boxes[i].left && x < boxes[i].left + boxes[i].width && y >= boxes[i].top &&
            y < boxes[i].top + boxes[i].height)
            return true;
    return false;
}

TEST(WindowShape, ClientHoldsTheViewfinderAsItsRecordingArea)
{
    const ClientSize c = ClientSizeForViewfinder(480, 270);
    const Box area = RecordingArea(c.width, c.height);
    EXPECT_EQ(area.width, 480);
    EXPECT_EQ(area.height, 270);
}

TEST(WindowShape, ViewfinderInsideIsCutOutAndTheDrawnPartsKept)
{
    const int32_t w = 492, h = 318;
    const Edges label = {380, 260, 470, 290};
    Box boxes[kShapeBoxesMax];
    const int32_t idle = VisibleShape(w, h, 0, 1, label, boxes);
    ASSERT_LE(idle, kShapeBoxesMax);
    EXPECT_TRUE(Covers(boxes, idle, 100, 10));                       // toolbar
    EXPECT_TRUE(Covers(boxes, idle, 100, kSeparatorRow));            // separator
    EXPECT_TRUE(Covers(boxes, idle, 0, 200));                        // outline, left
    EXPECT_TRUE(Covers(boxes, idle, w - 1, 200));                    // right
    EXPECT_TRUE(Covers(boxes, idle, 200, h - 1));                    // bottom
    EXPECT_TRUE(Covers(boxes, idle, kMarginWidth - 1, 200));         // margin ring
    EXPECT_TRUE(Covers(boxes, idle, 200, kRecordingTop - 1));
    EXPECT_FALSE(Covers(boxes, idle, kRecordingLeft, 200));          // the area: cut out
    EXPECT_FALSE(Covers(boxes, idle, 200, kRecordingTop));
    EXPECT_FALSE(Covers(boxes, idle, w - kMarginWidth - 1, h - kMarginWidth - 1));
    const Guides g = GuidesFor(w, h);
    EXPECT_TRUE(Covers(boxes, idle, g.centreX, g.centreY));
    EXPECT_TRUE(Covers(boxes, idle, g.goldenX[1] + 3, g.goldenY[0]));
    EXPECT_FALSE(Covers(boxes, idle, g.goldenX[1] + 4, g.goldenY[0]));
    EXPECT_TRUE(Covers(boxes, idle, label.right, label.bottom));
    EXPECT_FALSE(Covers(boxes, idle, label.right + 1, label.bottom));

    // No guides: the cross goes; recording: guides and label both go.
    const int32_t plain = VisibleShape(w, h, 0, 0, label, boxes);
    EXPECT_FALSE(Covers(boxes, plain, g.centreX, g.centreY));
    EXPECT_TRUE(Covers(boxes, plain, label.left, label.top));
    const int32_t recording = VisibleShape(w, h, 1, 1, label, boxes);
    EXPECT_FALSE(Covers(boxes, recording, g.centreX, g.centreY));
    EXPECT_FALSE(Covers(boxes, recording, label.left, label.top));
    EXPECT_TRUE(Covers(boxes, recording, 0, 200));
}

TEST(WindowShape, ToolbarAndMarginTakeThePointerTheAreaPassesIt)
{
    const int32_t w = 492, h = 318;
    Box boxes[kShapeBoxesMax];
    const int32_t n = InputShape(w, h, boxes);
    ASSERT_LE(n, kShapeBoxesMax);
    EXPECT_TRUE(Covers(boxes, n, 300, 20));
    EXPECT_TRUE(Covers(boxes, n, 300, kSeparatorRow));
    // Each side of the ring answers with a sizing code, the area with none.
    const struct {
        int32_t x, y;
        bool covered;
    } cases[] = {{0, 200, true},      {5, 200, true},      {w - 1, 200, true},    {w - 6, 200, true},
                 {300, kViewfinderTop, true}, {300, h - 1, true}, {300, h - 6, true},
                 {6, 200, false},     {w - 7, 200, false}, {300, kRecordingTop, false}, {300, h - 7, false},
                 // Outside the client: where a window manager's frame lies.
                 {300, -20, true},    {-1, 200, true},     {w, 200, true},        {300, h + 4, true},
                 {-kFrameReach, -kFrameReach, true},       {w + kFrameReach - 1, h + kFrameReach - 1, true},
                 // Each band's far corners: a title bar reaches past the client on both sides.
                 {w + kFrameReach - 1, -1, true},          {w + kFrameReach - 1, -kFrameReach, true},
                 {w + 3, -1, true},                        {-kFrameReach, h + kFrameReach - 1, true},
                 {-kFrameReach, h - 1, true},              {w + kFrameReach - 1, 0, true},
                 {w + kFrameReach, -1, false},             {-kFrameReach - 1, 200, false},
                 {300, -kFrameReach - 1, false},           {300, h + kFrameReach, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(Covers(boxes, n, c.x, c.y), c.covered) << c.x << "," << c.y;
        if (c.covered && c.y > kSeparatorRow && c.x >= 0 && c.x < w && c.y < h) {
            EXPECT_NE(MainHitTest(c.x, c.y, w, h), kHitClient) << c.x << "," << c.y;
        }
    }
}

// The margin drag of the native window, whose outer rectangle is its client:
// 12 x 48 more than the recording area.
TEST(WindowShape, MarginDragsMoveTheDraggedSidesDownToTheMinimum)
{
    const FrameExtra extra = OuterExtraFor(332, 248, 332, 248);
    const Edges start = {100, 50, 432, 298};  // a 320 x 200 area
    struct Case {
        const char* name;
        int32_t hit, dx, dy, shift;
        Edges expected;
    } cases[] = {
        {"bottom-right out", kHitBottomRight, 40, 30, 0, {100, 50, 472, 328}},
        {"top-left in", kHitTopLeft, 20, 10, 0, {120, 60, 432, 298}},
        {"right edge ignores dy", kHitRight, -20, 99, 0, {100, 50, 412, 298}},
        {"top edge ignores dx", kHitTop, 99, -20, 0, {100, 30, 432, 298}},
        {"bottom-left", kHitBottomLeft, -10, 10, 0, {90, 50, 432, 308}},
        {"top-right", kHitTopRight, 10, -10, 0, {100, 40, 442, 298}},
        // Past the opposite side: a 64 x 64 area, the opposite sides stay.
        {"left past right", kHitLeft, 600, 0, 0, {356, 50, 432, 298}},
        {"bottom past top", kHitBottom, 0, -500, 0, {100, 50, 432, 162}},
        {"top-left past both", kHitTopLeft, 900, 900, 0, {356, 186, 432, 298}},
        // Shift: the area keeps 320:200, the width leading.
        {"shift bottom-right", kHitBottomRight, 80, 5, 1, {100, 50, 512, 348}},
        {"shift top-left", kHitTopLeft, -80, 0, 1, {20, 0, 432, 298}},
        {"shift left edge in", kHitLeft, 160, 0, 1, {260, 50, 432, 198}},
        {"shift below the minimum", kHitRight, -400, 0, 1, {100, 50, 176, 162}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Edges r = DraggedOuter(SizingEdgeForHit(c.hit), start, c.dx, c.dy, extra, c.shift, 320, 200);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
    for (int32_t hit : {int32_t{kHitDefault}, int32_t{kHitClient}, 9, 18})
        EXPECT_EQ(SizingEdgeForHit(hit), 0) << hit;
}

}  // namespace
