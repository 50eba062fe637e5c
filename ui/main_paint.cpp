#include "ui/main_paint.h"

#include "ui/main_layout.h"

namespace {

constexpr int32_t kButtonCorner = 12;
constexpr int32_t kLabelCorner = 12;

}  // namespace

void PaintMainBackground(const DrawApi& draw, int32_t width, int32_t height, uint32_t marginColour)
{
    draw.fill({0, 0, width, kSeparatorRow}, kToolbarColour);
    draw.fill({0, kSeparatorRow, width, kSeparatorRow + 1}, kSeparatorColour);
    draw.fill({0, kViewfinderTop, width, height}, marginColour);
    const Box area = RecordingArea(width, height);
    draw.fill({area.left, area.top, area.left + area.width, area.top + area.height}, kColourKey);
}

void PaintToolbarButton(const DrawApi& draw, int32_t button, ButtonLookKind kind, uint32_t cornerColour)
{
    const ToolbarButtonSpec& spec = kToolbarButtons[button];
    const Edges box = {spec.x, kButtonTop, spec.x + kButtonWidth, kButtonTop + kButtonHeight};
    draw.fill(box, cornerColour);
    const ButtonLook look = ButtonLookOf(button, kind);
    draw.shape(kShapeRound, box, kButtonCorner, look.border, look.fill);
    const ButtonContent content = ButtonContentIn(button, box.left, box.top, box.right, box.bottom);
    if (look.hasDot)
        draw.shape(kShapeDisc, {content.dotLeft, content.dotTop, content.dotRight, content.dotBottom}, 0, look.dot,
                   look.dot);
    if (content.centred)
        draw.textCentred(box, spec.text, kMainFont, look.text);
    else
        draw.textLeft({content.textLeft, box.top, box.right, box.bottom}, spec.text, kMainFont, look.text);
}

void PaintStatusLine(const DrawApi& draw, const char* text)
{
    const Edges box = {kStatusLeft, kStatusTop, kStatusLeft + kStatusWidth, kStatusTop + kStatusHeight};
    draw.fill(box, kToolbarColour);
    draw.textWrapped(box, text, kMainFont, kStatusTextColour);
}

void PaintViewfinder(const DrawApi& draw, int32_t width, int32_t height, int32_t bare, int32_t guides)
{
    const int32_t right = width - 1, bottom = height - 1;
    draw.line(0, kViewfinderTop, right, kViewfinderTop, kOutlineColour);
    draw.line(right, kViewfinderTop, right, bottom, kOutlineColour);
    draw.line(right, bottom, 0, bottom, kOutlineColour);
    draw.line(0, bottom, 0, kViewfinderTop, kOutlineColour);
    if (bare)
        return;

    if (guides) {
        const Guides g = GuidesFor(width, height);
        draw.line(g.centreX - 6, g.centreY, g.centreX + 7, g.centreY, kCrossColour);
        draw.line(g.centreX, g.centreY - 6, g.centreX, g.centreY + 7, kCrossColour);
        for (int32_t y : g.goldenY) {
            for (int32_t x : g.goldenX) {
                draw.line(x - 3, y, x + 4, y, kGoldenColour);
                draw.line(x, y - 3, x, y + 4, kGoldenColour);
            }
        }
    }

    char text[kSizeLabelSize];
    SizeLabelText(text, sizeof text, width, height);
    int32_t cx = 0, cy = 0;
    draw.textSize(text, kMainFont, &cx, &cy);
    const Edges box = SizeLabelBox(width, height, cx, cy);
    draw.shape(kShapeRound, {box.left, box.top, box.right + 1, box.bottom + 1}, kLabelCorner, kLabelColour,
               kLabelColour);
    draw.textCentred(box, text, kMainFont, kLabelTextColour);
}

void PaintMainWindow(const DrawApi& draw, const MainPicture& picture)
{
    PaintMainBackground(draw, picture.width, picture.height, picture.marginColour);
    for (int32_t i = 0; i < kToolbarButtonCount; i++)
        PaintToolbarButton(draw, i,
                           ChooseButtonLook(picture.hovered == i, picture.pressed == i, !picture.enables.enabled[i]),
                           picture.cornerColour);
    PaintStatusLine(draw, picture.status);
    PaintViewfinder(draw, picture.width, picture.height, picture.bare, picture.guides);
}
