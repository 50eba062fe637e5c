#include "ui/window_shape.h"

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
    // The outline is the viewfinder's own border, one pixel wide.
    boxes[n++] = {0, kViewfinderTop, w, 1};
    boxes[n++] = {0, h - 1, w, 1};
    boxes[n++] = {0, kViewfinderTop, 1, h - kViewfinderTop};
    boxes[n++] = {w - 1, kViewfinderTop, 1, h - kViewfinderTop};
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

int32_t InputShape(int32_t clientWidth, int32_t, Box* boxes)
{
    boxes[0] = {0, 0, clientWidth, kViewfinderTop};
    return 1;
}
