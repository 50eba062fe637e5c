// The GDI+ loaders' behaviour when PlatformApi lacks an entry: each load
// fails at once and changes nothing, except a missing GdiplusShutdown, which
// is only skipped.
#include <gtest/gtest.h>

#include <string>

#include "common/memory.h"
#include "common/module_files.h"
#include "image/watermark.h"
#include "common/platform_api_win.h"

namespace {

const std::string kRgba = PIXLO_FIXTURES "/png/rgba.png";

class MissingEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = platformApi;
        savedFiles = moduleFilesApi;
        memoryApi.release(watermarkImage.pixels);
        watermarkImage = {};
    }
    void TearDown() override
    {
        platformApi = saved;
        moduleFilesApi = savedFiles;
        memoryApi.release(watermarkImage.pixels);
        memoryApi.release(watermarkImage.scaled);
        watermarkImage = {};
    }
    PlatformApi saved;
    ModuleFilesApi savedFiles;
};

TEST_F(MissingEntryTest, EachRequiredEntryStopsTheLoad)
{
    using Entry = void (*)(PlatformApi&);
    const struct {
        const char* name;
        Entry clear;
        bool file;           // tried with the file loader, else the embedded one
        bool otherLoaderWorks;
    } table[] = {
        {"GdipBitmapLockBits", [](PlatformApi& a) { a.GdipBitmapLockBits = nullptr; }, true, false},
        {"GdiplusStartup", [](PlatformApi& a) { a.GdiplusStartup = nullptr; }, true, false},
        {"GdipCreateBitmapFromFile", [](PlatformApi& a) { a.GdipCreateBitmapFromFile = nullptr; }, true, true},
        {"CreateStreamOnHGlobal", [](PlatformApi& a) { a.CreateStreamOnHGlobal = nullptr; }, false, true},
        {"GdipCreateBitmapFromStream", [](PlatformApi& a) { a.GdipCreateBitmapFromStream = nullptr; }, false, true},
    };
    for (const auto& row : table) {
        ASSERT_EQ(LoadWatermarkFile(kRgba.c_str()), 1);
        uint8_t* before = watermarkImage.pixels;
        row.clear(platformApi);
        EXPECT_EQ(row.file ? LoadWatermarkFile(kRgba.c_str()) : LoadWatermarkEmbedded(), 0) << row.name;
        EXPECT_EQ(watermarkImage.pixels, before) << row.name;
        EXPECT_EQ(watermarkImage.width, 40) << row.name;
        int other = row.file ? LoadWatermarkEmbedded() : LoadWatermarkFile(kRgba.c_str());
        EXPECT_EQ(other, row.otherLoaderWorks ? 1 : 0) << "the other loader without " << row.name;
        platformApi = saved;
    }
}

TEST_F(MissingEntryTest, WithoutShutdownTheLoadStillWorks)
{
    platformApi.GdiplusShutdown = nullptr;
    EXPECT_EQ(LoadWatermarkEmbedded(), 1);
    EXPECT_EQ(watermarkImage.width, 120);
}

TEST_F(MissingEntryTest, DiscoveryWithoutAnyDecoderLeavesTheWatermarkOff)
{
    ASSERT_EQ(LoadWatermarkEmbedded(), 1);  // an earlier image must not be used by accident
    watermarkImage.inUse = 1;
    platformApi.GdipBitmapLockBits = nullptr;
    DiscoverWatermark();
    EXPECT_EQ(watermarkImage.inUse, 0);
}

}  // namespace
