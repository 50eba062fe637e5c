// Recordings with changed areas through the real capture loop on the fake
// screen, written by the real writer and read back by the reference reader.
#include <gtest/gtest.h>

#include <iterator>

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

TEST_F(AreaRecordingTest, WithoutTheSettingTheFilesAreTheBytesTheyWereBeforeAreasExisted)
{
    // Written by the recorder as it was before frames could be stored as
    // changed areas, from these same scenes on the same fake screen. A
    // change to a scene changes its pin; a change to the recorder must not.
    const struct {
        const char* scene;
        size_t size;
        uint64_t fingerprint;
    } pins[] = {
        {"a square moving over a still desktop, resting at ticks 4 and 5", 12907, 0xa23480c17abac1c3ull},
        {"one pixel changes, stays, and changes back", 5532, 0xe72852aff0f97bd1ull},
        {"one pixel in each corner in turn", 9228, 0x3ddbd42d26dd35ffull},
        {"blocks touching each edge in turn, then two opposite corners", 11254, 0x65f9ed5cc1b92746ull},
        {"the whole picture changes", 5455, 0x9c071f35e193c8c6ull},
        {"a 1 x N column, then an N x 1 row", 5668, 0xc77c7eb0ea9512a2ull},
        {"only the cursor moves", 6081, 0x8db9526b1661ab26ull},
        {"a square moving over a wider capture recorded 240 wide", 22629, 0x743f8a2943176676ull},
    };
    ASSERT_EQ(std::size(pins), AreaScenes().size());
    for (size_t i = 0; i < std::size(pins); i++) {
        const AreaScene& scene = AreaScenes()[i];
        ASSERT_STREQ(scene.name, pins[i].scene);
        ClearFrames();
        const AreaRecording rec = RecordScene(scene, 0, ScratchPath("pinned.gif"));
        EXPECT_EQ(rec.file.size(), pins[i].size) << scene.name;
        EXPECT_EQ(Fingerprint(rec.file), pins[i].fingerprint) << scene.name;
    }
}

}  // namespace
