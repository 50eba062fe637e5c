// Files written by the encoder, read back by giflib: the independent judge of
// the file layout, the LZW streams and the palettes.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "encoder/gif_writer.h"
#include "encoder/lzw.h"
#include "image/output_geometry.h"
#include "tests/support/area_colours.h"
#include "tests/support/expected_indices.h"
#include "tests/support/files.h"
#include "tests/support/recording_fixture.h"
#include "tests/support/reference_lzw.h"
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

// Local tables smaller than 256 entries, with the LZW code size to match
// (never below 2): giflib and the reference decoder read the same indices,
// and giflib reports the table at its stated size.
TEST_F(GifRoundTrip, SmallLocalTablesDecodeWithTheirCodeSize)
{
    const struct {
        int32_t colours, tableSize, minCodeSize;
    } table[] = {{1, 2, 2}, {2, 2, 2}, {3, 4, 2}, {5, 8, 3}, {129, 256, 8}};
    const int32_t w = 23, h = 17;
    for (const auto& row : table) {
        ClearFrames();
        outputGeometry = {40, 30};
        std::vector<uint8_t> background = ScreenLikeFrame(40, 30, 1);
        EncodeFrame(background.data(), 40, 30, 100);

        uint8_t palette[768] = {};
        for (int32_t i = 0; i < row.colours; i++) {
            palette[3 * i] = static_cast<uint8_t>(i * 7 + 1);
            palette[3 * i + 1] = static_cast<uint8_t>(255 - i);
            palette[3 * i + 2] = static_cast<uint8_t>(i * 13);
        }
        std::vector<uint8_t> indices(static_cast<size_t>(w) * h);
        for (size_t p = 0; p < indices.size(); p++)
            indices[p] = static_cast<uint8_t>((p * p / 5 + p / 3) % static_cast<size_t>(row.colours));
        std::vector<uint8_t> codes(static_cast<size_t>(LzwWorstCaseLength(w * h)));
        int32_t length = 0;
        LzwCompress(indices.data(), w * h, codes.data(), static_cast<int32_t>(codes.size()), &length,
                    row.minCodeSize);
        AppendFrameArea(codes.data(), length, palette, 70, 9, 4, w, h, row.tableSize, row.minCodeSize);

        std::vector<uint8_t> reference;
        ASSERT_TRUE(ReferenceLzwDecode(codes.data(), static_cast<size_t>(length), indices.size(), &reference,
                                       nullptr, row.minCodeSize));
        EXPECT_EQ(reference, indices) << row.colours << " colours";

        std::string path = ScratchPath("small-table.gif");
        ASSERT_EQ(WriteGif(path.c_str()), 1);
        GifFile file(path);
        ASSERT_NE(file.gif, nullptr) << row.colours << " colours";
        ASSERT_EQ(file.gif->ImageCount, 2);
        const SavedImage& area = file.gif->SavedImages[1];
        EXPECT_EQ(area.ImageDesc.Left, 9);
        EXPECT_EQ(area.ImageDesc.Top, 4);
        ASSERT_EQ(area.ImageDesc.Width, w);
        ASSERT_EQ(area.ImageDesc.Height, h);
        ASSERT_NE(area.ImageDesc.ColorMap, nullptr);
        ASSERT_EQ(area.ImageDesc.ColorMap->ColorCount, row.tableSize) << row.colours << " colours";
        for (int32_t i = 0; i < row.tableSize; i++) {
            const GifColorType& c = area.ImageDesc.ColorMap->Colors[i];
            EXPECT_EQ(c.Red, palette[3 * i]) << "entry " << i;
            EXPECT_EQ(c.Green, palette[3 * i + 1]) << "entry " << i;
            EXPECT_EQ(c.Blue, palette[3 * i + 2]) << "entry " << i;
        }
        for (size_t p = 0; p < indices.size(); p++)
            ASSERT_EQ(area.RasterBits[p], indices[p]) << row.colours << " colours, pixel " << p;
        ExpectFrameDecodes(file.gif->SavedImages[0], background, 40, 30, 0);
    }
}

// Changed areas as the encoder stores them, read by giflib: areas of 1,
// 2, 255 and 256 colours show exactly the captured pixels; 257 colours and
// a photo-like picture show each pixel's nearest entry. 1 x 1, 1 x N and
// the whole frame included.
TEST_F(GifRoundTrip, ChangedAreasShowTheirOwnColours)
{
    const int32_t fw = 90, fh = 60;
    outputGeometry = {fw, fh};
    const std::vector<uint8_t> first = ScreenLikeFrame(fw, fh, 2);
    EncodeFrame(first.data(), fw, fh, 100);
    auto ofColours = [&](int32_t colours) {
        std::vector<uint8_t> pixels(static_cast<size_t>(fw) * fh * 4, 0);
        for (int32_t i = 0; i < fw * fh; i++) {
            const int32_t k = i < colours ? i : (i / 5 * 104729) % colours;
            pixels[static_cast<size_t>(i) * 4 + 0] = static_cast<uint8_t>(k);
            pixels[static_cast<size_t>(i) * 4 + 1] = static_cast<uint8_t>(k * 3);
            pixels[static_cast<size_t>(i) * 4 + 2] = static_cast<uint8_t>(k / 2 + 60);
        }
        return pixels;
    };
    const struct {
        int32_t colours;  // 0: photo-like
        int32_t left, top, width, height;
    } areas[] = {{0, 0, 0, 1, 1},   {0, fw - 1, 0, 1, fh}, {0, 10, 20, 30, 2}, {0, 5, 5, 80, 50},
                 {0, 0, 0, fw, fh}, {1, 3, 3, 20, 20},     {2, 0, 0, fw, 4},   {255, 0, 0, fw, fh},
                 {256, 0, 0, fw, fh}, {257, 0, 0, fw, fh}};
    std::vector<std::vector<uint8_t>> cuts;
    for (const auto& a : areas) {
        const std::vector<uint8_t> later = a.colours ? ofColours(a.colours) : PhotoLikeFrame(fw, fh, 5);
        EncodeFrameArea(later.data(), fw, a.left, a.top, a.width, a.height, 100);
        std::vector<uint8_t> cut;
        for (int32_t y = 0; y < a.height; y++) {
            const uint8_t* from = later.data() + ((static_cast<size_t>(a.top) + y) * fw + a.left) * 4;
            cut.insert(cut.end(), from, from + static_cast<size_t>(a.width) * 4);
        }
        if (a.colours) {
            ASSERT_EQ(CountColours(cut), a.colours) << "the fixture";
        }
        cuts.push_back(cut);
    }
    ASSERT_EQ(frameStore.count, static_cast<int32_t>(std::size(areas)) + 1);
    std::string path = ScratchPath("areas.gif");
    ASSERT_EQ(WriteGif(path.c_str()), 1);
    GifFile file(path);
    ASSERT_NE(file.gif, nullptr);
    ASSERT_EQ(file.gif->ImageCount, static_cast<int>(std::size(areas)) + 1);
    for (size_t f = 0; f < std::size(areas); f++) {
        const auto& a = areas[f];
        const SavedImage& image = file.gif->SavedImages[f + 1];
        ASSERT_EQ(image.ImageDesc.Left, a.left);
        ASSERT_EQ(image.ImageDesc.Top, a.top);
        ASSERT_EQ(image.ImageDesc.Width, a.width);
        ASSERT_EQ(image.ImageDesc.Height, a.height);
        ASSERT_NE(image.ImageDesc.ColorMap, nullptr);
        std::vector<uint8_t> table;
        for (int i = 0; i < image.ImageDesc.ColorMap->ColorCount; i++) {
            const GifColorType& c = image.ImageDesc.ColorMap->Colors[i];
            table.insert(table.end(), {c.Red, c.Green, c.Blue});
        }
        const std::vector<uint8_t> indices(image.RasterBits, image.RasterBits + static_cast<size_t>(a.width) * a.height);
        EXPECT_EQ(AreaColoursFault(table.data(), image.ImageDesc.ColorMap->ColorCount, indices, cuts[f]), "")
            << "area " << f << ", " << a.colours << " colours, " << a.width << " x " << a.height;
    }
}

// The first frame of an optimized recording lends its table to the file
// (the global table): a later area whose colours are all in it uses it and
// carries no table of its own; an area with a colour it lacks carries its
// own. giflib shows every pixel exactly either way.
TEST_F(GifRoundTrip, LaterAreasShareTheFirstFramesTableWhereTheirColoursAreInIt)
{
    const int32_t fw = 64, fh = 32;
    outputGeometry = {fw, fh};
    std::vector<uint8_t> first(static_cast<size_t>(fw) * fh * 4, 0);
    for (int32_t i = 0; i < fw * fh; i++) {
        const int32_t k = (i / 3 + i / fw) % 40;  // 40 colours in runs
        first[static_cast<size_t>(i) * 4 + 0] = static_cast<uint8_t>(k * 6);
        first[static_cast<size_t>(i) * 4 + 1] = static_cast<uint8_t>(200 - k);
        first[static_cast<size_t>(i) * 4 + 2] = static_cast<uint8_t>(k * k % 256);
    }
    std::vector<uint8_t> later = first;
    for (int32_t y = 20; y < 24; y++)
        for (int32_t x = 40; x < 50; x++)
            later[(static_cast<size_t>(y) * fw + x) * 4 + 1] = 7;  // a colour the first frame lacks
    EncodeFrameArea(first.data(), fw, 0, 0, fw, fh, 100);
    EncodeFrameArea(first.data(), fw, 5, 5, 30, 10, 100);   // colours all in the first frame's table
    EncodeFrameArea(later.data(), fw, 38, 18, 20, 10, 100);  // one new colour
    ASSERT_EQ(frameStore.count, 3);
    EXPECT_EQ(frameStore.sharedTableSize, 64);
    EXPECT_EQ(frameStore.records[0].tableSize, 0);
    EXPECT_EQ(frameStore.records[1].tableSize, 0);
    EXPECT_GT(frameStore.records[2].tableSize, 0);

    std::string path = ScratchPath("shared.gif");
    ASSERT_EQ(WriteGif(path.c_str()), 1);
    GifFile file(path);
    ASSERT_NE(file.gif, nullptr);
    ASSERT_NE(file.gif->SColorMap, nullptr);
    ASSERT_EQ(file.gif->SColorMap->ColorCount, 64);
    ASSERT_EQ(file.gif->ImageCount, 3);
    const struct {
        const std::vector<uint8_t>& frame;
        int32_t left, top, width, height;
        bool ownTable;
    } images[] = {{first, 0, 0, fw, fh, false}, {first, 5, 5, 30, 10, false}, {later, 38, 18, 20, 10, true}};
    for (size_t f = 0; f < std::size(images); f++) {
        const auto& want = images[f];
        const SavedImage& image = file.gif->SavedImages[f];
        ASSERT_EQ(image.ImageDesc.Left, want.left);
        ASSERT_EQ(image.ImageDesc.Width, want.width);
        EXPECT_EQ(image.ImageDesc.ColorMap != nullptr, want.ownTable) << "image " << f;
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : file.gif->SColorMap;
        std::vector<uint8_t> table, cut;
        for (int i = 0; i < map->ColorCount; i++)
            table.insert(table.end(), {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
        for (int32_t y = 0; y < want.height; y++) {
            const uint8_t* from = want.frame.data() + ((static_cast<size_t>(want.top) + y) * fw + want.left) * 4;
            cut.insert(cut.end(), from, from + static_cast<size_t>(want.width) * 4);
        }
        const std::vector<uint8_t> indices(image.RasterBits,
                                           image.RasterBits + static_cast<size_t>(want.width) * want.height);
        EXPECT_EQ(AreaColoursFault(table.data(), map->ColorCount, indices, cut), "") << "image " << f;
    }

    // The smallest table a GIF states, 2 entries, is written as 2, not 4.
    ClearFrames();
    outputGeometry = {fw, fh};
    std::vector<uint8_t> twoColours(static_cast<size_t>(fw) * fh * 4, 255);
    for (size_t p = 0; p < twoColours.size(); p += 8)
        twoColours[p] = 0;
    EncodeFrameArea(twoColours.data(), fw, 0, 0, fw, fh, 100);
    ASSERT_EQ(WriteGif(path.c_str()), 1);
    GifFile two(path);
    ASSERT_NE(two.gif, nullptr);
    ASSERT_NE(two.gif->SColorMap, nullptr);
    EXPECT_EQ(two.gif->SColorMap->ColorCount, 2);
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
