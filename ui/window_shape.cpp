#include "ui/window_shape.h"

namespace {

// The ring around the recording area, the outline on its outer edge: an X
// window takes the pointer only where its shape has pixels, so the grips'
// ring is drawn.
int32_t MarginRing(int32_t w, int32_t h, Box* boxes)
{
    const Box area = RecordingArea(w, h);
    const int32_t below = area.top + area.height;
    boxes[0] = {0, kViewfinderTop, w, area.top - kViewfinderTop};
    boxes[1] = {0, below, w, h - below};
    boxes[2] = {0, area.top, area.left, area.height};
    boxes[3] = {area.left + area.width, area.top, w - area.left - area.width, area.height};
    return 4;
}

}  // namespace

ClientSize ClientSizeForViewfinder(int32_t viewfinderWidth, int32_t viewfinderHeight)
{
    return {viewfinderWidth + 2 * kMarginWidth, viewfinderHeight + kRecordingTop + kMarginWidth};
}

int32_t VisibleShape(int32_t clientWidth, int32_t clientHeight, int32_t recording, int32_t showGuides,
                     Edges labelBox, Box* boxes)
{
    const int32_t w = clientWidth;
    const int32_t h = clientHeight;
    int32_t n = 0;
    boxes[n++] = {0, 0, w, kViewfinderTop};
    n += MarginRing(w, h, boxes + n);
    if (recording)
        return n;
    if (showGuides) {
        const Guides g = GuidesFor(w, h);
        boxes[n++] = {g.centreX - 6, g.centreY, 13, 1};
        boxes[n++] = {g.centreX, g.centreY - 6, 1, 13};
        for (int32_t y : g.goldenY) {
            for (int32_t x : g.goldenX) {
                boxes[n++] = {x - 3, y, 7, 1};
                boxes[n++] = {x, y - 3, 1, 7};
            }
        }
    }
    boxes[n++] = {labelBox.left, labelBox.top, labelBox.right - labelBox.left + 1, labelBox.bottom - labelBox.top + 1};
    return n;
}

int32_t InputShape(int32_t clientWidth, int32_t clientHeight, Box* boxes)
{
    const int32_t w = clientWidth, h = clientHeight, reach = kFrameReach;
    boxes[0] = {0, 0, w, kViewfinderTop};
    int32_t n = 1 + MarginRing(w, h, boxes + 1);
    boxes[n++] = {-reach, -reach, w + 2 * reach, reach};
    boxes[n++] = {-reach, h, w + 2 * reach, reach};
    boxes[n++] = {-reach, 0, reach, h};
    boxes[n++] = {w, 0, reach, h};
    return n;
}

int32_t SizingEdgeForHit(int32_t hit)
{
    // The hit codes and the sizing edges run in the same order, 9 apart.
    return hit >= kHitLeft && hit <= kHitBottomRight ? hit - (int32_t{kHitLeft} - int32_t{kEdgeLeft}) : 0;
}

Edges DraggedOuter(int32_t edge, Edges start, int32_t dx, int32_t dy, FrameExtra extra, int32_t shift,
                   int32_t baseWidth, int32_t baseHeight)
{
    const bool left = edge == kEdgeLeft || edge == kEdgeTopLeft || edge == kEdgeBottomLeft;
    const bool right = edge == kEdgeRight || edge == kEdgeTopRight || edge == kEdgeBottomRight;
    const bool top = edge == kEdgeTop || edge == kEdgeTopLeft || edge == kEdgeTopRight;
    const bool bottom = edge == kEdgeBottom || edge == kEdgeBottomLeft || edge == kEdgeBottomRight;
    Edges r = start;
    if (left)
        r.left += dx;
    if (right)
        r.right += dx;
    if (top)
        r.top += dy;
    if (bottom)
        r.bottom += dy;
    if (shift && ShiftLockedSizing(edge, baseWidth, baseHeight, extra, &r))
        return r;
    const int32_t leastWidth = kMinViewfinderSide + extra.width;
    const int32_t leastHeight = kMinViewfinderSide + extra.height;
    if (r.right - r.left < leastWidth) {
        if (left)
            r.left = r.right - leastWidth;
        else
            r.right = r.left + leastWidth;
    }
    if (r.bottom - r.top < leastHeight) {
        if (top)
            r.top = r.bottom - leastHeight;
        else
            r.bottom = r.top + leastHeight;
    }
    return r;
}
