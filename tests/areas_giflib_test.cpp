// Recordings with changed areas read by giflib: the same scenes as
// area_recording_test.cpp, judged by an independent decoder, which must also
// agree with the reference reader image for image.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include "encoder/frame_store.h"
#include "tests/area_checks.h"
#include "tests/support/area_scenes.h"
#include "tests/support/files.h"
#include "tests/support/gif_frames.h"
#include "tests/support/recording_fixture.h"

namespace {

// giflib's reading of a file in the reference reader's terms; false when
// giflib refuses the file.
bool ReadWithGiflib(const std::string& path, GifAnimation* out)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif)
        return false;
    bool ok = DGifSlurp(gif) == GIF_OK;
    if (ok) {
        out->width = gif->SWidth;
        out->height = gif->SHeight;
        for (int i = 0; i < gif->ImageCount; i++) {
            const SavedImage& saved = gif->SavedImages[i];
            GifImage image;
            image.left = saved.ImageDesc.Left;
            image.top = saved.ImageDesc.Top;
            image.width = saved.ImageDesc.Width;
            image.height = saved.ImageDesc.Height;
            image.interlaced = saved.ImageDesc.Interlace;
            GraphicsControlBlock control;
            if (DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK) {
                image.delay = control.DelayTime;
                image.disposal = control.DisposalMode;
                image.transparent = control.TransparentColor != NO_TRANSPARENT_COLOR;
                image.transparentIndex = static_cast<uint8_t>(image.transparent ? control.TransparentColor : 0);
            }
            const ColorMapObject* map = saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : gif->SColorMap;
            if (!map) {
                ok = false;
                break;
            }
            for (int c = 0; c < map->ColorCount; c++)
                image.palette.insert(image.palette.end(),
                                     {map->Colors[c].Red, map->Colors[c].Green, map->Colors[c].Blue});
            image.indices.assign(saved.RasterBits,
                                 saved.RasterBits + static_cast<size_t>(image.width) * image.height);
            out->images.push_back(std::move(image));
        }
    }
    DGifCloseFile(gif, &error);
    return ok;
}

using AreasInGiflib = RecordingTest;

TEST_F(AreasInGiflib, ReadsTheChangedRectanglesAsTheReferenceReaderDoes)
{
    for (const AreaScene& scene : AreaScenes()) {
        ClearFrames();
        const std::string path = ScratchPath("areas-giflib.gif");
        const AreaRecording rec = RecordScene(scene, 1, path);
        GifAnimation giflib, reference;
        ASSERT_TRUE(ReadWithGiflib(path, &giflib)) << scene.name;
        std::string error;
        ASSERT_TRUE(ReadGifAnimation(rec.file, &reference, &error)) << scene.name << ": " << error;
        ExpectRecordingShowsTheScreen(scene, rec, giflib, "giflib");

        ASSERT_EQ(giflib.images.size(), reference.images.size()) << scene.name;
        for (size_t i = 0; i < giflib.images.size(); i++) {
            const GifImage& a = giflib.images[i];
            const GifImage& b = reference.images[i];
            EXPECT_EQ((AreaRect{a.left, a.top, a.width, a.height}), (AreaRect{b.left, b.top, b.width, b.height}))
                << scene.name << ", frame " << i;
            EXPECT_TRUE(a.palette == b.palette && a.indices == b.indices && a.delay == b.delay &&
                        a.disposal == b.disposal && a.transparent == b.transparent)
                << scene.name << ", frame " << i << ": giflib and the reference reader disagree";
        }
    }
}

}  // namespace
