// Files written by the encoder, read back by giflib: the independent judge of
// the file layout, the LZW streams and the palettes.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "encoder/gif_writer.h"
#include "image/output_geometry.h"
#include "tests/support/expected_indices.h"
#include "tests/support/files.h"
#include "tests/support/recording_fixture.h"
#include "tests/support/synthetic_frames.h"

namespace {

struct GifFile {
    GifFileType* gif = nullptr;
    explicit GifFile(const std::string& path)
    {
        int error = 0;
        gif = DGifOpenFileName(path.c_str(), &error);
        if (gif && DGifSlurp(gif) != GIF_OK) {
            DGifCloseFile(gif, &error);
            gif = nullptr;
        }
    }
    ~GifFile()
    {
        int error;
        if (gif)
            DGifCloseFile(gif, &error);
    }
};

using GifRoundTrip = RecordingTest;

void ExpectFrameDecodes(const SavedImage& image, const std::vector<uint8_t>& pixels, int32_t width,
                        int32_t height, int frameNumber)
{
    ExpectedFrame expected = ExpectedEncoding(pixels, width, height);
    ASSERT_EQ(image.ImageDesc.Width, width);
    ASSERT_EQ(image.ImageDesc.Height, height);
    ASSERT_NE(image.ImageDesc.ColorMap, nullptr);
    ASSERT_EQ(image.ImageDesc.ColorMap->ColorCount, 256);
    const GifColorType* colours = image.ImageDesc.ColorMap->Colors;
    for (int i = 0; i < 256; i++) {
        ASSERT_EQ(colours[i].Red, expected.palette[3 * i]) << "frame " << frameNumber << " entry " << i;
        ASSERT_EQ(colours[i].Green, expected.palette[3 * i + 1]);
        ASSERT_EQ(colours[i].Blue, expected.palette[3 * i + 2]);
    }
    for (size_t p = 0; p < expected.indices.size(); p++) {
        uint8_t index = image.RasterBits[p];
        ASSERT_EQ(index, expected.indices[p]) << "frame " << frameNumber << " pixel " << p;
    }
}

TEST_F(GifRoundTrip, EveryPixelDecodesToThePaletteColourTheEncoderChose)
{
    const struct {
        int32_t width, height;
    } sizes[] = {{37, 23}, {641, 3}, {1, 500}, {333, 201}, {160, 160}};
    for (const auto& size : sizes) {
        ClearFrames();
        outputGeometry = {size.width, size.height};
        std::vector<std::vector<uint8_t>> frames = {
            ScreenLikeFrame(size.width, size.height, 0),
            NoiseFrame(size.width, size.height, 1),  // fills the LZW table on larger sizes
            ScreenLikeFrame(size.width, size.height, 9),
        };
        const int32_t delays[] = {100, 33, 83};
        for (size_t f = 0; f < frames.size(); f++)
            EncodeFrame(frames[f].data(), size.width, size.height, delays[f]);
        ASSERT_EQ(frameStore.count, 3);
        frameStore.records[2].delay = 1234;  // as the capture thread extends a still frame

        std::string path = ScratchPath("roundtrip.gif");
        ASSERT_EQ(WriteGif(path.c_str()), 1);
        GifFile file(path);
        ASSERT_NE(file.gif, nullptr) << size.width << " x " << size.height;
        EXPECT_EQ(file.gif->SWidth, size.width);
        EXPECT_EQ(file.gif->SHeight, size.height);
        EXPECT_EQ(file.gif->SColorMap, nullptr);
        ASSERT_EQ(file.gif->ImageCount, 3);
        const int expectedDelays[] = {10, 3, 1234};
        for (int f = 0; f < 3; f++) {
            GraphicsControlBlock control;
            ASSERT_EQ(DGifSavedExtensionToGCB(file.gif, f, &control), GIF_OK);
            EXPECT_EQ(control.DelayTime, expectedDelays[f]);
            EXPECT_EQ(control.DisposalMode, DISPOSE_DO_NOT);
            EXPECT_EQ(control.TransparentColor, NO_TRANSPARENT_COLOR);
            ExpectFrameDecodes(file.gif->SavedImages[f], frames[f], size.width, size.height, f);
        }
    }
}

TEST_F(GifRoundTrip, TheFileLoopsForEver)
{
    outputGeometry = {20, 10};
    std::vector<uint8_t> pixels = ScreenLikeFrame(20, 10, 0);
    EncodeFrame(pixels.data(), 20, 10, 100);
    std::string path = ScratchPath("loop.gif");
    ASSERT_EQ(WriteGif(path.c_str()), 1);
    GifFile file(path);
    ASSERT_NE(file.gif, nullptr);
    const SavedImage& first = file.gif->SavedImages[0];
    bool loopFound = false;
    for (int i = 0; i + 1 < first.ExtensionBlockCount; i++) {
        const ExtensionBlock& block = first.ExtensionBlocks[i];
        if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
            std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0) {
            const ExtensionBlock& data = first.ExtensionBlocks[i + 1];
            ASSERT_EQ(data.ByteCount, 3);
            EXPECT_EQ(data.Bytes[0], 1);
            EXPECT_EQ(data.Bytes[1] | (data.Bytes[2] << 8), 0) << "loop count 0: for ever";
            loopFound = true;
        }
    }
    EXPECT_TRUE(loopFound);
}

TEST_F(GifRoundTrip, AStillLongerThan11MinutesPlaysForItsWholeTime)
{
    outputGeometry = {16, 8};
    std::vector<uint8_t> pixels = ScreenLikeFrame(16, 8, 0);
    EncodeFrame(pixels.data(), 16, 8, 100);
    frameStore.records[0].delay = 100000;  // 1000 s of an unchanged screen
    std::string path = ScratchPath("long.gif");
    ASSERT_EQ(WriteGif(path.c_str()), 1);
    GifFile file(path);
    ASSERT_NE(file.gif, nullptr);
    int total = 0;
    for (int f = 0; f < file.gif->ImageCount; f++) {
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(file.gif, f, &control), GIF_OK);
        total += control.DelayTime;
        ExpectFrameDecodes(file.gif->SavedImages[f], pixels, 16, 8, f);
    }
    EXPECT_EQ(file.gif->ImageCount, 2);
    EXPECT_EQ(total, 100000);
}

}  // namespace
