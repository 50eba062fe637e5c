// The settings window's picture, drawn onto a memory DC of its 430 x 496
// client area with the function the window paints with: the colours of
// every element at points the layout fixes, in the states that change them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "settings/settings.h"
#include "settings/update_check.h"
#include "settings/update_server.h"
#include "tests/ui/canvas_win.h"
#include "tests/ui/settings_picture_fixture.h"
#include "ui/settings_controller.h"
#include "ui/settings_layout.h"
#include "ui/win32/settings_window.h"
#include "ui/win32/shell_state.h"

namespace {

constexpr int kWidth = kSettingsClientWidth;
constexpr int kHeight = kSettingsClientHeight;

constexpr uint32_t kAccent = kSetAccentColour;
constexpr uint32_t kGrey = kSetControlOutline;
constexpr uint32_t kWhite = kSetWhite;

class SettingsPaint : public SettingsPictureTest {
protected:
    void SetUp() override
    {
        SettingsPictureTest::SetUp();
        CreateSettingsFonts();
    }
    // Paints, and checks that the DC gets its own font back.
    void Paint()
    {
        HGDIOBJ before = GetCurrentObject(canvas.dc, OBJ_FONT);
        PaintSettings(canvas.dc, kWidth, kHeight);
        EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_FONT), before);
    }
    Canvas canvas{kWidth, kHeight};
};

TEST_F(SettingsPaint, Defaults)
{
    Paint();
    ExpectPixels(canvas, {
        {"background", 5, 5, kWhite},
        {"background", 425, 491, kWhite},
        {"separator", 20, 64, kSetSeparatorColour},
        {"separator", 409, 288, kSetSeparatorColour},
        {"separator", 20, 344, kSetSeparatorColour},
        {"past the separator", 410, 344, kWhite},
        {"past the separator", 410, 120, kWhite},
        {"before the separator", 19, 176, kWhite},
        {"slider track outline", 300, 36, kGrey},
        {"slider track", 300, 40, kSetSeparatorColour},
        {"knob centred on x 200 at 10 fps", 200, 40, kWhite},
        {"knob ring", 190, 40, kAccent},
        {"cursor switch off", 150, 85, kGrey},
        {"its knob on the left", 124, 85, kWhite},
        {"guides switch on", 332, 85, kAccent},
        {"its knob on the right", 360, 85, kWhite},
        {"segmented control", 235, 140, kSetLightFill},
        {"its outline", 230, 137, kGrey},
        {"selected 360px", 305, 140, kAccent},
        {"segment 实际大小", 375, 140, kSetLightFill},
        {"width field outline", 158, 189, kSetFieldOutline},
        {"height field outline", 288, 218, kSetFieldOutline},
        {"no caret", 196, 200, kWhite},
        {"optimize off", 397, 253, kGrey},
        {"its knob on the left", 375, 253, kWhite},
        {"start-up check off", 397, 309, kGrey},
        {"its knob on the left", 375, 309, kWhite},
        {"button", 30, 356, kSetLightFill},
        {"button outline", 79, 352, kSetFieldOutline},
        {"where the button was", 30, 300, kWhite},
    });
    EXPECT_EQ(canvas.Ink(150, 354, 430, 390, kSetWhite), 0) << "a status line before any check";
    // Every label has its text.
    const struct {
        const char* what;
        int left, top, right, bottom;
    } texts[] = {{"帧率", 20, 16, 60, 38},          {"fps", 86, 21, 130, 38},
                 {"鼠标光标", 20, 72, 100, 94},     {"取景参考线", 218, 72, 318, 94},
                 {"输出 GIF", 20, 128, 100, 150},  {"取景尺寸", 20, 190, 100, 212},
                 {"480", 120, 193, 196, 216},      {"×", 208, 190, 238, 219},
                 {"文件更小更清晰", 20, 246, 160, 268}, {"启动时自动检查", 20, 302, 160, 324},
                 {"检查更新", 30, 356, 128, 384},     {"note", 20, 460, 160, 476}};
    for (const auto& t : texts)
        EXPECT_GT(canvas.Ink(t.left, t.top, t.right, t.bottom, kSetWhite), 10) << t.what;
}

TEST_F(SettingsPaint, OtherStates)
{
    settings = {30, 1, 0, 0, 480, 480, 1, 1};
    settingsWindowState = {1, "12", 2, 0, 0};
    std::snprintf(updateStatusText, sizeof updateStatusText, "%s", "x");
    Paint();
    ExpectPixels(canvas, {
        {"filled part at 30 fps", 300, 40, kAccent},
        {"knob centre at 30 fps", 410, 40, kWhite},
        {"knob's right ring at 30 fps", 420, 40, kAccent},
        {"cursor switch on", 118, 85, kAccent},
        {"its knob on the right", 146, 85, kWhite},
        {"guides switch off", 360, 85, kGrey},
        {"selected 实际大小", 375, 140, kAccent},
        {"360px no longer", 305, 140, kSetLightFill},
        {"edited width field", 158, 189, kAccent},
        {"caret top", 196, 195, kAccent},
        {"caret bottom", 196, 213, kAccent},
        {"past the caret", 196, 214, kWhite},
        {"height field idle", 288, 189, kSetFieldOutline},
        {"no caret there", 326, 200, kWhite},
        {"optimize on", 369, 253, kAccent},
        {"its knob on the right", 397, 253, kWhite},
        {"start-up check on", 369, 309, kAccent},
        {"its knob on the right", 397, 309, kWhite},
    });
    EXPECT_GT(canvas.Ink(154, 360, 200, 386, kSetWhite), 0) << "status line";
    // Each switch follows its own setting: optimize on, start-up check off.
    settings.autocheck = 0;
    Paint();
    ExpectPixels(canvas, {
        {"optimize on", 369, 253, kAccent},
        {"start-up check off", 397, 309, kGrey},
    });
}

TEST_F(SettingsPaint, LinkEndsAtX410WithItsUnderline)
{
    Paint();
    char text[kLinkTextSize];
    FormatLinkText(text, sizeof text, updateServer.host);
    HGDIOBJ old = SelectObject(canvas.dc, shellState.noteFont);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(canvas.dc, text, lstrlenA(text), &size);
    SelectObject(canvas.dc, old);
    ASSERT_GT(size.cx, 0);
    const int row = size.cy + 459;
    ExpectPixels(canvas, {
        {"underline's start", 410 - size.cx, row, kSetLinkUnderline},
        {"underline's end", 409, row, kSetLinkUnderline},
        {"past the underline", 410, row, kWhite},
    });
    EXPECT_GT(canvas.Ink(410 - size.cx, 460, 410, row, kSetWhite), 10) << "link text";
    EXPECT_EQ(canvas.Ink(411, 436, 430, 496, kSetWhite), 0) << "right of the link";
}

}  // namespace
