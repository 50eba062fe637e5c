#pragma once
// For tests that record, encode or write: every test starts from an empty
// frame store and leaves the process-wide records as it found them.

#include <gtest/gtest.h>

#include "encoder/frame_store.h"
#include "image/output_geometry.h"
#include "image/watermark.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"

class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearFrames();
        savedSettings = settings;
        savedGeometry = outputGeometry;
        watermarkImage.inUse = 0;
    }
    void TearDown() override
    {
        ClearFrames();
        settings = savedSettings;
        outputGeometry = savedGeometry;
        watermarkImage.inUse = 0;
        recorderState.stopRequest.store(0);
    }

private:
    Settings savedSettings;
    OutputGeometry savedGeometry;
};
