#pragma once
// What every test of the settings window's picture starts from and leaves
// behind: the default settings, no edit, no status line, no failed save, no
// recording; the settings the process had come back afterwards.

#include <gtest/gtest.h>

#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "settings/update_check.h"
#include "ui/settings_controller.h"

class SettingsPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = settings;
        settings = {10, 0, 1, 360, 480, 480, 0, 0};
        Clear();
    }
    void TearDown() override
    {
        settings = saved;
        Clear();
    }

private:
    static void Clear()
    {
        settingsWindowState = {};
        updateStatusText[0] = 0;
        settingsSaveFailed = 0;
        recorderState.recording.store(0);
    }
    Settings saved;
};
