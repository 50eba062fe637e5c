#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/memory.h"
#include "common/module_files.h"
#include "image/png_header.h"
#ifndef _WIN32
#include "image/png_decode_posix.h"
#endif
#include "image/watermark.h"
#include "tests/support/files.h"
#include "tests/support/png_bytes.h"

namespace {

const std::string kFixtures = PIXLO_FIXTURES "/png/";

// Every test starts with no watermark and leaves none behind.
class WatermarkTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset()
    {
        memoryApi.release(watermarkImage.pixels);
        memoryApi.release(watermarkImage.scaled);
        watermarkImage = {};
    }

    // A source image of one colour and alpha, installed as a load would.
    static void InstallSolid(int32_t width, int32_t height, uint8_t value, uint8_t alpha)
    {
        size_t bytes = static_cast<size_t>(width) * height * 4;
        uint8_t* pixels = static_cast<uint8_t*>(memoryApi.allocate(bytes));
        for (size_t i = 0; i < bytes; i += 4) {
            std::memset(pixels + i, value, 3);
            pixels[i + 3] = alpha;
        }
        InstallWatermarkPixels(pixels, width, height);
        watermarkImage.inUse = 1;
    }
};

TEST_F(WatermarkTest, TheEmbeddedImageScalesToASixthOfTheOutputWidth)
{
    ASSERT_EQ(LoadWatermarkEmbedded(), 1);
    ASSERT_EQ(watermarkImage.width, 120);
    ASSERT_EQ(watermarkImage.height, 30);
    watermarkImage.inUse = 1;
    const struct {
        int32_t outWidth, width, height;
    } table[] = {{50, 50, 13}, {240, 60, 15}, {360, 60, 15}, {480, 80, 20},
                 {640, 107, 27}, {720, 120, 30}, {1920, 120, 30}};
    for (const auto& row : table) {
        PrepareWatermark(row.outWidth);
        EXPECT_EQ(watermarkImage.scaledWidth, row.width) << "output width " << row.outWidth;
        EXPECT_EQ(watermarkImage.scaledHeight, row.height) << "output width " << row.outWidth;
    }
    PrepareWatermark(720);
    EXPECT_EQ(std::memcmp(watermarkImage.scaled, watermarkImage.pixels, 120 * 30 * 4), 0)
        << "at its own size the image is copied exactly";
}

TEST_F(WatermarkTest, NothingIsScaledWithoutAnImageInUse)
{
    PrepareWatermark(360);
    EXPECT_EQ(watermarkImage.scaled, nullptr);
    InstallSolid(10, 10, 0, 255);
    watermarkImage.inUse = 0;
    PrepareWatermark(360);
    EXPECT_EQ(watermarkImage.scaled, nullptr);
    EXPECT_EQ(watermarkImage.scaledWidth, 0);
    EXPECT_EQ(watermarkImage.scaledHeight, 0);
}

TEST_F(WatermarkTest, ExtremeAspectRatiosScaleByWidth)
{
    InstallSolid(1000, 10, 9, 200);
    PrepareWatermark(360);
    EXPECT_EQ(watermarkImage.scaledWidth, 60);
    EXPECT_EQ(watermarkImage.scaledHeight, 1);  // 0.6 + 0.5 truncates to 1

    InstallSolid(10, 100, 9, 200);
    PrepareWatermark(360);
    EXPECT_EQ(watermarkImage.scaledWidth, 60);
    EXPECT_EQ(watermarkImage.scaledHeight, 600);
    // Blended only over the frame's height, nothing past it.
    std::vector<uint8_t> frame(360 * 40 * 4 + 16, 0xEE);
    BlendWatermark(frame.data(), 360, 40);
    for (size_t i = 360 * 40 * 4; i < frame.size(); i++)
        ASSERT_EQ(frame[i], 0xEE) << "written past the frame";
    EXPECT_NE(frame[(39 * 360) * 4], 0xEE) << "the last row is blended";
}

TEST_F(WatermarkTest, BlendArithmetic)
{
    // One-pixel watermarks over one-pixel frames: watermark value, alpha,
    // frame value, and the result.
    const struct {
        uint8_t mark, alpha, frame, result;
    } table[] = {
        {255, 128, 0, 128}, {0, 1, 255, 254}, {255, 254, 0, 254},  // 254 is blended, not copied
        {77, 255, 200, 77}, {77, 0, 200, 200},
    };
    for (const auto& row : table) {
        InstallSolid(1, 1, row.mark, row.alpha);
        PrepareWatermark(1);
        ASSERT_EQ(watermarkImage.scaledWidth, 1);
        uint8_t frame[8] = {row.frame, row.frame, row.frame, 0x5A, 0xEE, 0xEE, 0xEE, 0xEE};
        BlendWatermark(frame, 1, 1);
        for (int c = 0; c < 3; c++)
            EXPECT_EQ(frame[c], row.result) << int(row.mark) << " at alpha " << int(row.alpha);
        EXPECT_EQ(frame[3], 0x5A) << "the fourth byte is never changed";
        EXPECT_EQ(frame[4], 0xEE);
    }
}

TEST_F(WatermarkTest, AFrameLowerThanTheWatermarkBlendsOnlyItsRows)
{
    // A 480 x 13 capture at output width 360 gives 360 x 10 frames; of the
    // 60 x 15 watermark only rows 0-9 land, and columns 60 on stay as they were.
    ASSERT_EQ(LoadWatermarkEmbedded(), 1);
    watermarkImage.inUse = 1;
    PrepareWatermark(360);
    std::vector<uint8_t> frame(360 * 10 * 4 + 64, 0);
    std::vector<uint8_t> before = frame;
    BlendWatermark(frame.data(), 360, 10);
    EXPECT_TRUE(std::equal(frame.begin() + 360 * 10 * 4, frame.end(), before.begin() + 360 * 10 * 4));
    bool changed = false;
    for (int y = 0; y < 10; y++)
        for (int x = 0; x < 360; x++) {
            const uint8_t* p = &frame[(y * 360 + x) * 4];
            if (x >= 60) {
                ASSERT_TRUE(p[0] == 0 && p[1] == 0 && p[2] == 0) << x << "," << y;
            }
            changed = changed || p[0] || p[1] || p[2];
        }
    EXPECT_TRUE(changed);
}

// ---- loading and discovery ----

std::string folderForExecutable;
int32_t ExecutableInScratch(char* buffer, int32_t size)
{
    std::string path = folderForExecutable + "/pixlo.exe";
    if (path.size() + 1 > static_cast<size_t>(size))
        return 0;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return 1;
}

class DiscoveryTest : public WatermarkTest {
protected:
    void SetUp() override
    {
        WatermarkTest::SetUp();
        saved = moduleFilesApi;
        moduleFilesApi.executablePath = ExecutableInScratch;
        folderForExecutable = ScratchPath(std::string("discovery-") +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folderForExecutable);
        candidate = folderForExecutable + "/watermark.png";
    }
    void TearDown() override
    {
        moduleFilesApi = saved;
        WatermarkTest::TearDown();
    }
    ModuleFilesApi saved;
    std::string candidate;
};

TEST_F(DiscoveryTest, AWatermarkFileBesideTheExecutableComesFirst)
{
    std::filesystem::copy_file(kFixtures + "rgba.png", candidate);
    DiscoverWatermark();
    EXPECT_EQ(watermarkImage.inUse, 1);
    EXPECT_EQ(watermarkImage.width, 40);
    EXPECT_EQ(watermarkImage.height, 20);
}

TEST_F(DiscoveryTest, AMissingOrUnusableFileFallsBackToTheEmbeddedImage)
{
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } files[] = {
        {"not an image", {'h', 'e', 'l', 'l', 'o'}},
        {"empty", {}},
        {"zero size", PngWithHeaderOnly(0, 0)},
        {"100000 x 100000", PngWithHeaderOnly(100000, 100000)},
        {"20 x 20 without its data", PngWithHeaderOnly(20, 20)},
    };
    for (const auto& file : files) {
        Reset();
        WriteWholeFile(candidate, file.bytes);
        DiscoverWatermark();
        EXPECT_EQ(watermarkImage.inUse, 1) << file.what;
        EXPECT_EQ(watermarkImage.width, 120) << file.what;
        EXPECT_EQ(watermarkImage.height, 30) << file.what;
    }

    Reset();
    std::filesystem::remove(candidate);
    DiscoverWatermark();
    EXPECT_EQ(watermarkImage.width, 120) << "no file";

    Reset();
    std::filesystem::create_directories(candidate);
    DiscoverWatermark();
    EXPECT_EQ(watermarkImage.inUse, 1) << "a folder named watermark.png";
    EXPECT_EQ(watermarkImage.width, 120);
}

TEST_F(DiscoveryTest, AFailedLoadKeepsThePreviousImage)
{
    ASSERT_EQ(LoadWatermarkFile((kFixtures + "rgb.png").c_str()), 1);
    const uint8_t* pixels = watermarkImage.pixels;
    std::vector<uint8_t> copy(pixels, pixels + 37 * 13 * 4);

    const std::string truncated = folderForExecutable + "/truncated.png";
    std::vector<uint8_t> whole = ReadWholeFile(kFixtures + "rgba.png");
    WriteWholeFile(truncated, std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2));
    const std::string huge = folderForExecutable + "/huge.png";
    WriteWholeFile(huge, PngWithHeaderOnly(100000, 100000));

    for (const std::string& path : {truncated, huge, folderForExecutable, folderForExecutable + "/absent.png"}) {
        EXPECT_EQ(LoadWatermarkFile(path.c_str()), 0) << path;
        EXPECT_EQ(watermarkImage.pixels, pixels) << path;
        EXPECT_EQ(watermarkImage.width, 37);
        EXPECT_EQ(watermarkImage.height, 13);
        EXPECT_EQ(std::memcmp(watermarkImage.pixels, copy.data(), copy.size()), 0);
    }
}

TEST_F(DiscoveryTest, DecodedPixelsAreStraightAlphaBgra)
{
    // Palette entries with transparency and a 16-bit image: spot checks that
    // the decoder's contract holds whatever the PNG's own format.
    ASSERT_EQ(LoadWatermarkFile((kFixtures + "palette_trns.png").c_str()), 1);
    const uint8_t* corner = watermarkImage.pixels;
    EXPECT_EQ(corner[3], 0) << "the transparent background";
    const uint8_t* red = watermarkImage.pixels + (5 * 24 + 5) * 4;
    EXPECT_EQ(red[3], 255);
    EXPECT_GT(red[2], 150);  // B, G, R order: red is the third byte
    EXPECT_LT(red[0], 80);

    ASSERT_EQ(LoadWatermarkFile((kFixtures + "gray.png").c_str()), 1);
    const uint8_t* right = watermarkImage.pixels + (31) * 4;
    EXPECT_EQ(right[3], 255) << "an image without alpha is opaque";
    EXPECT_EQ(right[0], right[1]);
    EXPECT_EQ(right[1], right[2]);
}

// ---- hostile files: judged by their header before any decoder runs ----

// An icon's image may also be a bare bitmap header (BITMAPINFOHEADER, its
// height counting the image and its mask) followed by a few pixels.
std::vector<uint8_t> BitmapInfo(int32_t width, int32_t height)
{
    std::vector<uint8_t> bytes(40 + 64, 0);
    const int32_t fields[3] = {40, width, height * 2};
    for (int f = 0; f < 3; f++)
        for (int b = 0; b < 4; b++)
            bytes[f * 4 + b] = static_cast<uint8_t>(static_cast<uint32_t>(fields[f]) >> (8 * b));
    bytes[12] = 1;   // planes
    bytes[14] = 32;  // bits per pixel
    return bytes;
}

TEST_F(DiscoveryTest, HostileHeadersAreRefusedBeforeAnyDecoderSeesThem)
{
    // Each crafted image carries a row or two of real data: a decoder that
    // trusted the declared size would already be writing rows when the data
    // runs out (GDI+ under Wine crashed on the first four). width 0: refused.
    std::vector<uint8_t> badChecksum = PngWithRows({20, 20}, 20);
    badChecksum[29] ^= 0x01;  // the header chunk's CRC
    std::vector<uint8_t> cut = PngWithRows({20, 20}, 20);
    cut.resize(kPngHeaderBytes - 1);
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        int32_t width, height;
    } table[] = {
        {"32768 x 32768", PngWithRows({32768, 32768}, 2), 0, 0},
        {"65536 x 65536", PngWithRows({65536, 65536}, 1), 0, 0},
        {"2048 x 524288", PngWithRows({2048, 524288}, 2), 0, 0},
        {"16384 x 65537", PngWithRows({16384, 65537}, 2), 0, 0},
        {"16384 x 4097, one row past the pixel bytes allowed", PngWithRows({16384, 4097}, 2), 0, 0},
        {"16385 x 1, one column past the side allowed", PngWithRows({16385, 1}, 1), 0, 0},
        {"0 x 20", PngWithRows({0, 20}, 0), 0, 0},
        {"an icon named .png holding a 65536 x 65536 PNG", IconAround(PngWithRows({65536, 65536}, 1)), 0, 0},
        {"an icon named .png holding a 65536 x 65536 bitmap", IconAround(BitmapInfo(65536, 65536)), 0, 0},
        {"16-bit palette", PngWithRows({20, 20, 16, 3}, 20), 0, 0},
        {"colour type 5", PngWithRows({20, 20, 8, 5}, 20), 0, 0},
        {"compression method 1", PngWithRows({20, 20, 8, 6, 1}, 20), 0, 0},
        {"filter method 1", PngWithRows({20, 20, 8, 6, 0, 1}, 20), 0, 0},
        {"interlace method 2", PngWithRows({20, 20, 8, 6, 0, 0, 2}, 20), 0, 0},
        {"a wrong header checksum", badChecksum, 0, 0},
        {"cut inside the header", cut, 0, 0},
        // Accepted by the header; whether the rest decodes is the decoder's.
        {"16384 x 4096, exactly the pixel bytes allowed", PngWithRows({16384, 4096}, 1), 16384, 4096},
        {"1-bit grey, interlaced", PngWithRows({7, 3, 1, 0, 0, 0, 1}, 0), 7, 3},
        {"20 x 20, complete", PngWithRows({20, 20}, 20), 20, 20},
    };
    ASSERT_EQ(LoadWatermarkFile((kFixtures + "rgb.png").c_str()), 1);
    const uint8_t* previous = watermarkImage.pixels;
    const std::string path = folderForExecutable + "/crafted.png";
    for (const auto& row : table) {
        int32_t width = -1, height = -1;
        int accepted = CheckPngHeader(row.bytes.data(), row.bytes.size(), &width, &height);
        EXPECT_EQ(accepted, row.width ? 1 : 0) << row.what;
        if (accepted) {
            EXPECT_TRUE(width == row.width && height == row.height) << row.what << ": " << width << " x " << height;
        }
        if (accepted && row.width == 20)
            continue;  // the one complete image is loaded below

        // Through the platform's own loader (GDI+ in the Windows build).
        WriteWholeFile(path, row.bytes);
        EXPECT_EQ(LoadWatermarkFile(path.c_str()), 0) << row.what;
        EXPECT_EQ(watermarkImage.pixels, previous) << row.what;
        EXPECT_EQ(watermarkImage.width, 37) << row.what;
    }

    WriteWholeFile(path, PngWithRows({20, 20}, 20));
    ASSERT_EQ(LoadWatermarkFile(path.c_str()), 1) << "the complete 20 x 20 image";
    EXPECT_EQ(watermarkImage.width, 20);
    EXPECT_EQ(watermarkImage.pixels[3], 0) << "transparent black";
}

// A chunk of `length` stated bytes with `present` bytes of data after it,
// inserted after the header chunk (its CRC is left zero: only the length
// matters here).
std::vector<uint8_t> WithChunkAfterHeader(std::vector<uint8_t> png, uint32_t length, uint32_t present)
{
    std::vector<uint8_t> chunk = {static_cast<uint8_t>(length >> 24), static_cast<uint8_t>(length >> 16),
                                  static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length), 's', 'P', 'L',
                                  'T'};
    chunk.resize(chunk.size() + present + 4, 0);
    png.insert(png.begin() + kPngHeaderBytes, chunk.begin(), chunk.end());
    return png;
}

TEST_F(DiscoveryTest, AChunkLongerThanTheRestOfTheFileIsRefused)
{
    // libpng takes memory for a chunk's stated length before reading it: a
    // 100-byte file found by fuzzing asked for 1.5 GB this way.
    const std::vector<uint8_t> complete = PngWithRows({20, 20}, 20);
    std::vector<uint8_t> trailing = complete;
    trailing.insert(trailing.end(), {1, 2, 3, 4, 5});
    std::vector<uint8_t> cut = complete;
    cut.resize(cut.size() - 30);
    std::vector<uint8_t> endTooLong = complete;
    endTooLong[endTooLong.size() - 9] = 1;  // the end chunk's length, 0 in a sound file
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        int fits;
    } table[] = {
        {"complete", complete, 1},
        {"stray bytes after the end chunk", trailing, 1},
        {"a chunk stating its true length", WithChunkAfterHeader(complete, 64, 64), 1},
        {"a chunk stating 1.5 GB with 64 bytes", WithChunkAfterHeader(complete, 1593835532, 64), 0},
        {"the end chunk stating one byte it does not have", endTooLong, 0},
        {"cut inside the image data", cut, 0},
    };
    for (const auto& row : table) {
        EXPECT_EQ(CheckPngChunkLengths(row.bytes.data(), row.bytes.size()), row.fits) << row.what;
#ifndef _WIN32
        // The native decoder runs the check; only the complete files decode.
        uint8_t* pixels = nullptr;
        int32_t width = 0, height = 0;
        const int decoded = DecodePng(row.bytes.data(), row.bytes.size(), &pixels, &width, &height);
        EXPECT_EQ(decoded, row.fits) << row.what;
        memoryApi.release(pixels);
#endif
    }
}

TEST_F(DiscoveryTest, FilesOver64MiBAreRefusedUnread)
{
    // A good image padded after its end: the size alone decides.
    const std::string path = folderForExecutable + "/padded.png";
    WriteWholeFile(path, PngWithRows({20, 20}, 20));
    std::filesystem::resize_file(path, kPngMaxFileBytes + 1);
    EXPECT_EQ(LoadWatermarkFile(path.c_str()), 0);
    EXPECT_EQ(watermarkImage.pixels, nullptr);
    std::filesystem::resize_file(path, kPngMaxFileBytes);
    EXPECT_EQ(LoadWatermarkFile(path.c_str()), 1);
    EXPECT_EQ(watermarkImage.width, 20);
    std::filesystem::remove(path);
}

}  // namespace
