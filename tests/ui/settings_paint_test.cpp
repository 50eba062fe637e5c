// The settings window's picture as the portable paint list draws it, with a
// recording table: every place a press acts on shows a control there, and the
// states the window shows (an edit, locked size fields, a failed save, an
// update status) reach the drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "settings/update_check.h"
#include "settings/update_reply.h"
#include "tests/ui/product_text.h"
#include "tests/ui/settings_picture_fixture.h"
#include "ui/settings_controller.h"
#include "ui/settings_layout.h"
#include "ui/settings_paint.h"

namespace {

struct Drawn {
    std::string kind;  // fill, line, round, ellipse, text
    Edges box;         // what it covers, right and bottom excluded
    uint32_t colour;   // fill for shapes, ink for lines and texts
    uint32_t outline;
    std::string text;
};
std::vector<Drawn> drawn;

// Texts measure 5 pixels a byte, one line of the font's cell height.
void FakeSize(const char* text, PaintFont font, int32_t* width, int32_t* height)
{
    *width = static_cast<int32_t>(std::strlen(text)) * 5;
    *height = font == kLabelFont ? 20 : 14;
}

const DrawApi kRecorder = {
    [](Edges box, uint32_t colour) { drawn.push_back({"fill", box, colour, 0, ""}); },
    [](int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
        drawn.push_back({"line", {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + (y0 == y1 ? 0 : 1),
                                  std::max(y0, y1) + (y0 == y1 ? 1 : 0)},
                         colour, 0, ""});
    },
    [](PaintShape kind, Edges box, int32_t, uint32_t outline, uint32_t fill) {
        drawn.push_back({kind == kShapeRound ? "round" : "ellipse", box, fill, outline, ""});
    },
    [](int32_t x, int32_t y, const char* text, PaintFont font, uint32_t colour) {
        int32_t w = 0, h = 0;
        FakeSize(text, font, &w, &h);
        drawn.push_back({"text", {x, y, x + w, y + h}, colour, 0, text});
    },
    [](Edges box, const char* text, PaintFont font, uint32_t colour) {
        int32_t w = 0, h = 0;
        FakeSize(text, font, &w, &h);
        const int32_t x = box.left + (box.right - box.left - w) / 2, y = box.top + (box.bottom - box.top - h) / 2;
        drawn.push_back({"text", {x, y, x + w, y + h}, colour, 0, text});
    },
    FakeSize,
    [](Edges box, const char* text, PaintFont, uint32_t colour) { drawn.push_back({"text", box, colour, 0, text}); },
    [](Edges box, const char* text, PaintFont, uint32_t colour) { drawn.push_back({"text", box, colour, 0, text}); },
};

class SettingsPaintList : public SettingsPictureTest {
protected:
    void SetUp() override
    {
        SettingsPictureTest::SetUp();
        drawn.clear();
    }
    void Paint()
    {
        drawn.clear();
        PaintSettingsWindow(kRecorder, kSettingsClientWidth, kSettingsClientHeight);
    }
    const Drawn* FindText(const std::string& text) const
    {
        for (const Drawn& d : drawn)
            if (d.kind == "text" && d.text == text)
                return &d;
        return nullptr;
    }
};

TEST_F(SettingsPaintList, EveryPlaceAPressActsOnShowsAControlInsideIt)
{
    Paint();
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0].kind, "fill") << "the background comes first";
    int32_t linkWidth = 0, linkHeight = 0;
    SettingsLinkSize(kRecorder, &linkWidth, &linkHeight);
    // Which action a press at each pixel takes.
    std::vector<int32_t> action(kSettingsClientWidth * kSettingsClientHeight);
    std::map<int32_t, int32_t> pixels;
    for (int32_t y = 0; y < kSettingsClientHeight; y++)
        for (int32_t x = 0; x < kSettingsClientWidth; x++) {
            const int32_t a = PlanSettingsPress(0, x, y, linkWidth, linkHeight).action;
            action[y * kSettingsClientWidth + x] = a;
            pixels[a]++;
        }
    for (const auto& [a, count] : pixels) {
        if (a == kActionNone)
            continue;
        // A shape or a text that lies wholly where a press takes this action.
        bool shown = false;
        for (const Drawn& d : drawn) {
            if (d.kind == "fill" || d.kind == "line" || d.box.left < 0 || d.box.top < 0 ||
                d.box.right > kSettingsClientWidth || d.box.bottom > kSettingsClientHeight)
                continue;
            bool inside = true;
            for (int32_t y = d.box.top; y < d.box.bottom && inside; y++)
                for (int32_t x = d.box.left; x < d.box.right && inside; x++)
                    inside = action[y * kSettingsClientWidth + x] == a;
            shown |= inside;
        }
        EXPECT_TRUE(shown) << "nothing is drawn where a press takes action " << a << " (" << count << " pixels)";
    }
}

TEST_F(SettingsPaintList, SwitchesTheSliderAndTheSegmentsShowTheSettings)
{
    const struct {
        Settings values;
        int32_t onSwitches;     // accent-filled switch tracks
        const char* selected;   // the segment label in white
        int32_t knobLeft;
    } table[] = {
        {{10, 0, 1, 360, 480, 480, 0, 0}, 1, "360px", 190},
        {{30, 1, 0, 240, 480, 480, 1, 0}, 2, "240px", 400},
        {{20, 1, 1, 0, 480, 480, 1, 0}, 3, "实际大小", 295},
    };
    for (const auto& row : table) {
        settings = row.values;
        Paint();
        int32_t on = 0;
        for (const Drawn& d : drawn)
            on += d.kind == "round" && d.box.right - d.box.left == 47 && d.colour == kSetAccentColour;
        EXPECT_EQ(on, row.onSwitches) << row.selected;
        const Drawn* label = FindText(ProductText(row.selected));
        ASSERT_NE(label, nullptr) << row.selected;
        EXPECT_EQ(label->colour, kSetWhite) << row.selected;
        const Drawn* knob = nullptr;
        for (const Drawn& d : drawn)
            if (d.kind == "ellipse" && d.box.top == 30)
                knob = &d;
        ASSERT_NE(knob, nullptr);
        EXPECT_EQ(knob->box.left, row.knobLeft) << row.selected;
        EXPECT_NE(FindText(std::to_string(row.values.fps) + " fps"), nullptr);
    }
}

TEST_F(SettingsPaintList, TheEditTheLockTheFooterAndTheStatusReachThePicture)
{
    settingsWindowState = {2, "12", 2, 0, 0};
    Paint();
    const Drawn* typed = FindText("12");
    ASSERT_NE(typed, nullptr) << "the typed digits replace the height";
    EXPECT_GE(typed->box.left, kSizeFieldLeft[2]);
    EXPECT_NE(FindText("480"), nullptr) << "the width keeps its value";
    int32_t carets = 0;
    for (const Drawn& d : drawn)
        carets += d.kind == "line" && d.colour == kSetAccentColour && d.box.left == kSizeFieldRight[2] - 12;
    EXPECT_EQ(carets, 1);
    EXPECT_EQ(FindText(updateTextChecking), nullptr) << "no status line before a check";
    EXPECT_NE(FindText(ProductText("改动即时生效，自动保存")), nullptr);

    settingsWindowState = {};
    settingsSaveFailed = 1;
    std::snprintf(updateStatusText, sizeof updateStatusText, "%s", updateTextChecking);
    recorderState.recording.store(1);
    Paint();
    recorderState.recording.store(0);
    EXPECT_NE(FindText(ProductText("无法保存设置，改动仅本次有效")), nullptr);
    ASSERT_NE(FindText(updateTextChecking), nullptr);
    EXPECT_EQ(FindText(updateTextChecking)->box.left, 154);
    const Drawn* width = FindText("480");
    ASSERT_NE(width, nullptr);
    EXPECT_EQ(width->colour, kSetInactiveText) << "the size fields are locked while recording";
}

}  // namespace
