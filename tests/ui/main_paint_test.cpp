// The main window's paint list with a recording table: which elements each
// state shows, the looks the buttons get from their states, and the
// platform's colours for the margin ring and the button corners.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/main_layout.h"
#include "ui/main_paint.h"
#include "ui/toolbar_look.h"

namespace {

struct Drawn {
    std::string kind;  // fill, line, round, ellipse, disc, text
    Edges box;
    uint32_t colour;   // fill for shapes, ink for lines and texts
    std::string text;
};
std::vector<Drawn> drawn;

void Text(Edges box, const char* text, PaintFont, uint32_t colour)
{
    drawn.push_back({"text", box, colour, text});
}

const DrawApi kRecorder = {
    [](Edges box, uint32_t colour) { drawn.push_back({"fill", box, colour, ""}); },
    [](int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
        drawn.push_back({"line", {x0, y0, x1, y1}, colour, ""});
    },
    [](PaintShape kind, Edges box, int32_t, uint32_t, uint32_t fill) {
        drawn.push_back({kind == kShapeRound ? "round" : kind == kShapeDisc ? "disc" : "ellipse", box, fill, ""});
    },
    [](int32_t x, int32_t y, const char* text, PaintFont font, uint32_t colour) { Text({x, y, x, y}, text, font, colour); },
    Text,
    [](const char* text, PaintFont, int32_t* width, int32_t* height) {
        *width = static_cast<int32_t>(std::strlen(text)) * 7;
        *height = 16;
    },
    Text,
    Text,
};

int Count(const char* kind, uint32_t colour)
{
    int n = 0;
    for (const Drawn& d : drawn)
        n += d.kind == kind && d.colour == colour;
    return n;
}

const Drawn* TextOf(const char* text)
{
    for (const Drawn& d : drawn)
        if (d.kind == "text" && d.text == text)
            return &d;
    return nullptr;
}

TEST(MainPaint, GuidesAndLabelFollowTheState)
{
    const struct {
        const char* name;
        int32_t bare, guides;
        int crossLines, goldenLines, label;
    } table[] = {
        {"idle with guides", 0, 1, 2, 8, 1},
        {"idle without guides", 0, 0, 0, 0, 1},
        {"recording with guides", 1, 1, 0, 0, 0},
    };
    char label[kSizeLabelSize];
    SizeLabelText(label, sizeof label, 400, 300);
    for (const auto& row : table) {
        drawn.clear();
        PaintMainWindow(kRecorder, {400, 300, ButtonStatesFor(0, 0, 0), -1, -1, "status", row.bare, row.guides,
                                    kColourKey, kToolbarColour});
        EXPECT_EQ(Count("line", kOutlineColour), 4) << row.name;
        EXPECT_EQ(Count("line", kCrossColour), row.crossLines) << row.name;
        EXPECT_EQ(Count("line", kGoldenColour), row.goldenLines) << row.name;
        EXPECT_EQ(TextOf(label) != nullptr, row.label != 0) << row.name;
        EXPECT_EQ(Count("round", kLabelColour), row.label) << row.name;
        ASSERT_NE(TextOf("status"), nullptr) << row.name;
        EXPECT_EQ(TextOf("status")->colour, kStatusTextColour) << row.name;
    }
}

TEST(MainPaint, ButtonsTakeTheirLooksOnThePlatformsCorners)
{
    drawn.clear();
    // Recording: Stop alone enabled, and pressed; Record hovered but disabled.
    PaintMainWindow(kRecorder, {400, 300, ButtonStatesFor(1, 0, 3), kButtonRecord, kButtonStop, "", 1, 0,
                                kSeparatorColour, RgbColour(1, 2, 3)});
    const ButtonLookKind expected[] = {kLookDisabled, kLookPressed, kLookDisabled, kLookDisabled};
    std::vector<const Drawn*> faces, corners;
    for (const Drawn& d : drawn) {
        if (d.kind == "round" && d.box.top == kButtonTop)
            faces.push_back(&d);
        if (d.kind == "fill" && d.colour == RgbColour(1, 2, 3))
            corners.push_back(&d);
    }
    ASSERT_EQ(faces.size(), 4u);
    ASSERT_EQ(corners.size(), 4u);
    for (int32_t i = 0; i < kToolbarButtonCount; i++) {
        const Edges box = {kToolbarButtons[i].x, kButtonTop, kToolbarButtons[i].x + kButtonWidth,
                           kButtonTop + kButtonHeight};
        EXPECT_EQ(faces[i]->colour, ButtonLookOf(i, expected[i]).fill) << i;
        EXPECT_EQ(faces[i]->box.left, box.left) << i;
        EXPECT_EQ(corners[i]->box.right, box.right) << i;
        EXPECT_EQ(corners[i]->box.bottom, box.bottom) << i;
    }
    EXPECT_EQ(Count("disc", ButtonLookOf(kButtonStop, kLookPressed).dot), 1);
    // The ring in the margin colour, the recording area key-coloured over it.
    const Box area = RecordingArea(400, 300);
    int ring = -1, key = -1;
    for (int i = 0; i < static_cast<int>(drawn.size()); i++) {
        if (drawn[i].kind == "fill" && drawn[i].colour == kSeparatorColour && drawn[i].box.top == kViewfinderTop)
            ring = i;
        if (drawn[i].kind == "fill" && drawn[i].colour == kColourKey && drawn[i].box.left == area.left &&
            drawn[i].box.bottom == area.top + area.height)
            key = i;
    }
    ASSERT_GE(ring, 0);
    EXPECT_GT(key, ring);
}

}  // namespace
