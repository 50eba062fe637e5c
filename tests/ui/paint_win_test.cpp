// The main window's picture, drawn onto a memory DC of a 400 x 300 client
// area with the same functions the window paints with.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/ui/canvas_win.h"
#include "ui/main_layout.h"
#include "ui/main_paint.h"
#include "ui/win32/gdi_draw.h"
#include "ui/win32/shell_state.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

// The label box's inner edges, for the text this DC measures.
Edges LabelBoxOn(HDC dc)
{
    HGDIOBJ old = SelectObject(dc, shellState.mainFont);
    char text[kSizeLabelSize];
    SizeLabelText(text, sizeof text, kWidth, kHeight);
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    SelectObject(dc, old);
    return SizeLabelBox(kWidth, kHeight, extent.cx, extent.cy);
}

TEST(MainWindowPaint, IdleWithGuides)
{
    Canvas canvas(kWidth, kHeight);
    PaintMainBackground(GdiDrawOn(canvas.dc), kWidth, kHeight, kColourKey);
    PaintViewfinder(GdiDrawOn(canvas.dc), kWidth, kHeight, 0, 1);
    const Edges label = LabelBoxOn(canvas.dc);
    const int labelMiddle = (label.top + label.bottom) / 2;
    ExpectPixels(canvas, {
        {"toolbar", 300, 0, kToolbarColour},
        {"toolbar", 399, 34, kToolbarColour},
        {"separator", 0, 35, kSeparatorColour},
        {"separator", 399, 35, kSeparatorColour},
        {"outline top", 200, 36, kOutlineColour},
        {"outline left", 0, 150, kOutlineColour},
        {"outline right", 399, 150, kOutlineColour},
        {"outline bottom", 200, 299, kOutlineColour},
        {"viewfinder", 1, 37, kColourKey},
        {"viewfinder", 398, 298, kColourKey},
        {"viewfinder", 100, 100, kColourKey},
        // Centre cross at (200, 168), 13 pixels each way.
        {"cross centre", 200, 168, kCrossColour},
        {"cross left end", 194, 168, kCrossColour},
        {"cross right end", 206, 168, kCrossColour},
        {"past the cross", 207, 168, kColourKey},
        {"cross top end", 200, 162, kCrossColour},
        {"cross bottom end", 200, 174, kCrossColour},
        {"past the cross", 200, 175, kColourKey},
        // Golden-section plus signs at x 154 / 245, y 138 / 197 (dashed
        // pen: the first pixel of each arm is drawn).
        {"golden top-left", 151, 138, kGoldenColour},
        {"golden top-right", 245, 135, kGoldenColour},
        {"golden bottom-left", 151, 197, kGoldenColour},
        {"golden bottom-right", 245, 194, kGoldenColour},
        // Label: dark box 14 inside the recording area's lower right corner.
        {"label left", label.left + 3, labelMiddle, kLabelColour},
        {"label right", label.right - 3, labelMiddle, kLabelColour},
        {"past the label", label.right + 2, labelMiddle, kColourKey},
        {"below the label", label.right - 6, label.bottom + 2, kColourKey},
    });
    EXPECT_EQ(label.right, 380);
    EXPECT_EQ(label.bottom, 280);
}

TEST(MainWindowPaint, RecordingShowsOutlineOnly)
{
    for (int32_t guides : {0, 1}) {
        SCOPED_TRACE(guides ? "guides on" : "guides off");
        Canvas canvas(kWidth, kHeight);
        PaintMainBackground(GdiDrawOn(canvas.dc), kWidth, kHeight, kColourKey);
        PaintViewfinder(GdiDrawOn(canvas.dc), kWidth, kHeight, 1, guides);
        const Edges label = LabelBoxOn(canvas.dc);
        ExpectPixels(canvas, {
            {"outline", 0, 150, kOutlineColour},
            {"outline", 200, 299, kOutlineColour},
            {"no cross", 200, 168, kColourKey},
            {"no golden mark", 151, 138, kColourKey},
            {"no label", label.left + 3, (label.top + label.bottom) / 2, kColourKey},
        });
    }
}

TEST(MainWindowPaint, GuidesOffKeepsTheLabel)
{
    Canvas canvas(kWidth, kHeight);
    PaintMainBackground(GdiDrawOn(canvas.dc), kWidth, kHeight, kColourKey);
    PaintViewfinder(GdiDrawOn(canvas.dc), kWidth, kHeight, 0, 0);
    const Edges label = LabelBoxOn(canvas.dc);
    ExpectPixels(canvas, {
        {"no cross", 200, 168, kColourKey},
        {"no golden mark", 151, 138, kColourKey},
        {"label", label.left + 3, (label.top + label.bottom) / 2, kLabelColour},
    });
}

}  // namespace
