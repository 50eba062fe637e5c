// Recordings with changed areas through the real capture loop on the fake
// screen, written by the real writer and read back by the reference reader.
#include <gtest/gtest.h>

#include "encoder/frame_store.h"
#include "tests/area_checks.h"
#include "tests/support/area_scenes.h"
#include "tests/support/files.h"
#include "tests/support/gif_frames.h"
#include "tests/support/recording_fixture.h"

namespace {

using AreaRecordingTest = RecordingTest;

TEST_F(AreaRecordingTest, FramesAfterTheFirstAreTheChangedRectanglesAndComposeToTheScreen)
{
    for (const AreaScene& scene : AreaScenes()) {
        ClearFrames();
        const AreaRecording rec = RecordScene(scene, 1, ScratchPath("areas.gif"));
        ASSERT_FALSE(rec.file.empty()) << scene.name;
        GifAnimation gif;
        std::string error;
        ASSERT_TRUE(ReadGifAnimation(rec.file, &gif, &error)) << scene.name << ": " << error;
        ExpectRecordingShowsTheScreen(scene, rec, gif, "reference reader");
        // The store holds what the file says.
        ASSERT_EQ(rec.storedRects.size(), gif.images.size()) << scene.name;
        for (size_t i = 0; i < gif.images.size(); i++) {
            const GifImage& image = gif.images[i];
            EXPECT_EQ(rec.storedRects[i], (AreaRect{image.left, image.top, image.width, image.height}))
                << scene.name << ", frame " << i;
        }
    }
}

TEST_F(AreaRecordingTest, WithoutTheSettingEveryFrameIsWhole)
{
    for (const AreaScene& scene : AreaScenes()) {
        ClearFrames();
        const AreaRecording rec = RecordScene(scene, 0, ScratchPath("whole.gif"));
        GifAnimation gif;
        std::string error;
        ASSERT_TRUE(ReadGifAnimation(rec.file, &gif, &error)) << scene.name << ": " << error;
        ASSERT_GE(gif.images.size(), 2u) << scene.name;
        for (size_t i = 0; i < gif.images.size(); i++) {
            const GifImage& image = gif.images[i];
            EXPECT_EQ((AreaRect{image.left, image.top, image.width, image.height}),
                      (AreaRect{0, 0, rec.outWidth, rec.outHeight}))
                << scene.name << ", frame " << i;
        }
    }
}

}  // namespace
