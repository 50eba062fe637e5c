// The portable paint list, drawn with GDI onto one memory DC, against the
// Windows window's own painting on another: the two pictures are the same
// pixel for pixel, so the list that the native window draws with cairo holds
// every element, place, colour and text of the Windows window, in every state
// that changes the picture.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "settings/update_check.h"
#include "tests/ui/canvas_win.h"
#include "tests/ui/settings_picture_fixture.h"
#include "ui/gdi_draw_win.h"
#include "ui/settings_layout.h"
#include "ui/settings_paint.h"
#include "ui/settings_window_win.h"
#include "ui/shell_state_win.h"

namespace {

HDC listDc;

HFONT FontOf(SettingsFont font)
{
    return font == kLabelFont ? shellState.labelFont : shellState.noteFont;
}

void GdiFill(Edges box, uint32_t colour)
{
    RECT r = {box.left, box.top, box.right, box.bottom};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(listDc, &r, brush);
    DeleteObject(brush);
}

void GdiLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour)
{
    DrawLine(listDc, x0, y0, x1, y1, colour);
}

void GdiShape(SettingsShapeKind kind, Edges box, int32_t corner, uint32_t outline, uint32_t fill)
{
    DrawShape(listDc, kind == kShapeRound ? kRound : kEllipse, box, corner, outline, fill);
}

void GdiTextAt(int32_t x, int32_t y, const char* text, SettingsFont font, uint32_t colour)
{
    SelectObject(listDc, FontOf(font));
    SetTextColor(listDc, colour);
    TextOutA(listDc, x, y, text, lstrlenA(text));
}

void GdiTextCentred(Edges box, const char* text, SettingsFont font, uint32_t colour)
{
    SelectObject(listDc, FontOf(font));
    SetTextColor(listDc, colour);
    RECT r = {box.left, box.top, box.right, box.bottom};
    DrawTextA(listDc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void GdiTextSize(const char* text, SettingsFont font, int32_t* width, int32_t* height)
{
    HGDIOBJ old = SelectObject(listDc, FontOf(font));
    SIZE size = {0, 0};
    GetTextExtentPoint32A(listDc, text, lstrlenA(text), &size);
    SelectObject(listDc, old);
    *width = size.cx;
    *height = size.cy;
}

const SettingsDrawApi kGdiList = {GdiFill, GdiLine, GdiShape, GdiTextAt, GdiTextCentred, GdiTextSize};

class SettingsPaintList : public SettingsPictureTest {
protected:
    void SetUp() override
    {
        SettingsPictureTest::SetUp();
        CreateSettingsFonts();
    }
};

TEST_F(SettingsPaintList, DrawsTheWindowsWindowsPicture)
{
    const struct {
        const char* name;
        Settings values;
        SettingsWindowState edit;
        const char* status;
        int32_t saveFailed;
        int32_t recording;
    } table[] = {
        {"defaults", {10, 0, 1, 360, 480, 480, 0, 0}, {}, "", 0, 0},
        {"everything on, width typed", {30, 1, 1, 0, 3840, 64, 1, 1}, {1, "12", 2, 0, 0}, "x", 0, 0},
        {"240px, height edited empty", {17, 1, 0, 240, 640, 360, 0, 1}, {2, "", 0, 0, 0}, "", 1, 0},
        {"recording, a failed save", {23, 0, 0, 360, 480, 480, 1, 0}, {}, "", 1, 1},
    };
    constexpr int kWidth = kSettingsClientWidth, kHeight = kSettingsClientHeight;
    for (const auto& row : table) {
        settings = row.values;
        settingsWindowState = row.edit;
        std::snprintf(updateStatusText, sizeof updateStatusText, "%s", row.status);
        settingsSaveFailed = row.saveFailed;
        recorderState.recording.store(row.recording);

        Canvas windows(kWidth, kHeight), list(kWidth, kHeight);
        PaintSettings(windows.dc, kWidth, kHeight);
        listDc = list.dc;
        SetBkMode(list.dc, TRANSPARENT);
        HGDIOBJ oldFont = SelectObject(list.dc, shellState.labelFont);
        PaintSettingsWindow(kGdiList, kWidth, kHeight);
        SelectObject(list.dc, oldFont);

        int differing = 0, firstX = -1, firstY = -1;
        for (int y = 0; y < kHeight; y++)
            for (int x = 0; x < kWidth; x++)
                if (windows.At(x, y) != list.At(x, y) && differing++ == 0) {
                    firstX = x;
                    firstY = y;
                }
        EXPECT_EQ(differing, 0) << row.name << ": first at (" << firstX << ", " << firstY << ")";

        int32_t cx = 0, cy = 0;
        SettingsLinkSize(kGdiList, &cx, &cy);
        EXPECT_GT(cx, 0) << row.name;
        EXPECT_GT(cy, 0) << row.name;
    }
}

}  // namespace
