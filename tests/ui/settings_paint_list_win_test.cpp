// The portable paint list, drawn with GDI onto one memory DC, against what
// the Windows window paints with on another: the two pictures are the same
// pixel for pixel in every state that changes the picture, so the window
// draws nothing beside the list, and the pixel checks of its picture hold
// for the list that the native window draws with cairo.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "settings/update_check.h"
#include "tests/ui/canvas_win.h"
#include "tests/ui/settings_picture_fixture.h"
#include "ui/settings_controller.h"
#include "ui/settings_layout.h"
#include "ui/settings_paint.h"
#include "ui/win32/gdi_draw.h"
#include "ui/win32/settings_window.h"
#include "ui/win32/shell_state.h"

namespace {

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
        PaintSettingsWindow(GdiDrawOn(list.dc), kWidth, kHeight);

        int differing = 0, firstX = -1, firstY = -1;
        for (int y = 0; y < kHeight; y++)
            for (int x = 0; x < kWidth; x++)
                if (windows.At(x, y) != list.At(x, y) && differing++ == 0) {
                    firstX = x;
                    firstY = y;
                }
        EXPECT_EQ(differing, 0) << row.name << ": first at (" << firstX << ", " << firstY << ")";

        int32_t cx = 0, cy = 0;
        SettingsLinkSize(GdiDrawOn(list.dc), &cx, &cy);
        EXPECT_GT(cx, 0) << row.name;
        EXPECT_GT(cy, 0) << row.name;
    }
}

}  // namespace
