#include "ui/main_layout.h"

#include <algorithm>
#include <cstdio>

int32_t OuterWidthFor(int32_t viewfinderWidth)
{
    return viewfinderWidth + kFrameExtraWidth;
}

int32_t OuterHeightFor(int32_t viewfinderHeight)
{
    return viewfinderHeight + kFrameExtraHeight;
}

Box RecordingArea(int32_t clientWidth, int32_t clientHeight)
{
    // The minimums keep a 64 x 64 area even while the window is smaller than
    // its minimum tracking size (minimised, or before the first WM_SIZE).
    const int32_t w = std::max(clientWidth, kMinViewfinderSide + 2 * kMarginWidth) - 2 * kMarginWidth;
    const int32_t h = std::max(clientHeight, kMinViewfinderSide + kRecordingTop + kMarginWidth) - kRecordingTop - kMarginWidth;
    return {kRecordingLeft, kRecordingTop, w, h};
}

int32_t MainHitTest(int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight)
{
    if (x < 0 || y < 0 || x >= clientWidth || y >= clientHeight)
        return kHitDefault;
    // The toolbar is no drag area: the window moves by its caption only.
    if (y <= kSeparatorRow)
        return kHitClient;
    const bool left = x <= 7;
    const bool right = x >= clientWidth - 8;
    const bool top = y <= 43;
    const bool bottom = y >= clientHeight - 8;
    if (left && top)
        return kHitTopLeft;
    if (right && top)
        return kHitTopRight;
    if (left && bottom)
        return kHitBottomLeft;
    if (right && bottom)
        return kHitBottomRight;
    if (left)
        return kHitLeft;
    if (right)
        return kHitRight;
    if (top)
        return kHitTop;
    if (bottom)
        return kHitBottom;
    return kHitClient;
}

SizeCursor CursorForHit(int32_t hit)
{
    switch (hit) {
    case kHitLeft:
    case kHitRight:
        return kCursorSizeWE;
    case kHitTop:
    case kHitBottom:
        return kCursorSizeNS;
    case kHitTopLeft:
    case kHitBottomRight:
        return kCursorSizeNWSE;
    case kHitTopRight:
    case kHitBottomLeft:
        return kCursorSizeNESW;
    default:
        return kCursorNone;
    }
}

FrameExtra OuterExtraFor(int32_t outerWidth, int32_t outerHeight, int32_t clientWidth, int32_t clientHeight)
{
    // From the client size, not from RecordingArea: its 64 x 64 floor would
    // hide the frame of a tiny client.
    return {outerWidth - clientWidth + 2 * kMarginWidth, outerHeight - clientHeight + kRecordingTop + kMarginWidth};
}

int ShiftLockedSizing(int32_t edge, int32_t baseWidth, int32_t baseHeight, FrameExtra extra, Edges* outer)
{
    if (baseWidth <= 0 || baseHeight <= 0)
        return 0;
    const int32_t d = outer->right - outer->left - extra.width;
    const int32_t wn = std::max(d, kMinViewfinderSide);
    // From d, not wn: below the minimum width the height still follows the
    // proposed width, as the shape lock rounds it.
    const int32_t hn =
        std::max(static_cast<int32_t>(static_cast<double>(d) * baseHeight / baseWidth + 0.5), kMinViewfinderSide);
    if (edge == kEdgeLeft || edge == kEdgeTopLeft || edge == kEdgeBottomLeft)
        outer->left = outer->right - wn - extra.width;
    else
        outer->right = outer->left + wn + extra.width;
    if (edge == kEdgeTop || edge == kEdgeTopLeft || edge == kEdgeTopRight)
        outer->top = outer->bottom - hn - extra.height;
    else
        outer->bottom = outer->top + hn + extra.height;
    return 1;
}

namespace {

constexpr int32_t kGripHits[kGripCount] = {kHitTop,     kHitBottom,   kHitLeft,       kHitRight,
                                           kHitTopLeft, kHitTopRight, kHitBottomLeft, kHitBottomRight};

}  // namespace

int32_t GripHitCode(int32_t index)
{
    return index >= 0 && index < kGripCount ? kGripHits[index] : kHitDefault;
}

GripPlace GripPlacement(int32_t index, int32_t x0, int32_t y0, int32_t w, int32_t h)
{
    const int32_t m = kMarginWidth;
    const int32_t right = x0 + w - m;
    const int32_t bottom = y0 + h - m;
    const int32_t top = y0 + kViewfinderTop;
    Box box = {};
    switch (index) {
    case 0: box = {x0 + m, top, w - 2 * m, m}; break;
    case 1: box = {x0 + m, bottom, w - 2 * m, m}; break;
    case 2: box = {x0, y0 + kRecordingTop, m, h - kRecordingTop - m}; break;
    case 3: box = {right, y0 + kRecordingTop, m, h - kRecordingTop - m}; break;
    case 4: box = {x0, top, m, m}; break;
    case 5: box = {right, top, m, m}; break;
    case 6: box = {x0, bottom, m, m}; break;
    case 7: box = {right, bottom, m, m}; break;
    default: break;
    }
    return {box, GripHitCode(index)};
}

Guides GuidesFor(int32_t clientWidth, int32_t clientHeight)
{
    const Box area = RecordingArea(clientWidth, clientHeight);
    const int32_t w = area.width;
    const int32_t h = area.height;
    Guides g;
    g.centreX = area.left + w / 2;
    g.centreY = area.top + h / 2;
    // 64-bit products: a 3840-wide area times 618 is fine in 32 bits, but a
    // client dragged wider than the screens is not bounded.
    g.goldenX[0] = area.left + static_cast<int32_t>(int64_t{w} * 382 / 1000);
    g.goldenX[1] = area.left + static_cast<int32_t>(int64_t{w} * 618 / 1000);
    g.goldenY[0] = area.top + static_cast<int32_t>(int64_t{h} * 382 / 1000);
    g.goldenY[1] = area.top + static_cast<int32_t>(int64_t{h} * 618 / 1000);
    return g;
}

void SizeLabelText(char* buffer, int32_t size, int32_t clientWidth, int32_t clientHeight)
{
    const Box area = RecordingArea(clientWidth, clientHeight);
    std::snprintf(buffer, static_cast<size_t>(size), "%d x %d px", area.width, area.height);
}

Edges SizeLabelBox(int32_t clientWidth, int32_t clientHeight, int32_t textWidth, int32_t textHeight)
{
    const Box area = RecordingArea(clientWidth, clientHeight);
    const int32_t right = area.left + area.width + kMarginWidth - 20;
    const int32_t bottom = area.top + area.height + kMarginWidth - 20;
    return {std::max(right - textWidth - 18, 10), std::max(bottom - textHeight - 9, 46), right, bottom};
}
