#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "encoder/frame_store.h"
#include "image/output_geometry.h"
#include "recorder/recorder_state.h"
#include "tests/support/allocation_fault.h"

namespace {

class FrameStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ClearFrames(); }
    void TearDown() override { ClearFrames(); }

    static void AppendTagged(uint8_t tag, int32_t length = 3, int32_t delayMs = 100)
    {
        std::vector<uint8_t> bytes(static_cast<size_t>(length > 0 ? length : 1), tag);
        uint8_t palette[768];
        std::memset(palette, tag, sizeof palette);
        AppendFrame(bytes.data(), length, palette, delayMs);
    }
};

TEST(DelayFromMs, RoundsToHundredthsWithAFloorOfTwo)
{
    const struct {
        int32_t ms;
        int32_t delay;
    } table[] = {{-5, 2},  {0, 2},   {10, 2},  {14, 2},   {15, 2},   {24, 2},         {25, 3},
                 {33, 3},  {34, 3},  {35, 4},  {83, 8},   {100, 10}, {65535, 6554},
                 {INT32_MAX, 214748365}};
    for (const auto& row : table)
        EXPECT_EQ(DelayFromMs(row.ms), row.delay) << row.ms << " ms";
}

TEST_F(FrameStoreTest, AppendCopiesStreamPaletteAndDelay)
{
    uint8_t bytes[4] = {1, 2, 3, 4};
    uint8_t palette[768];
    for (int i = 0; i < 768; i++)
        palette[i] = static_cast<uint8_t>(i * 7);
    outputGeometry = {320, 240};
    AppendFrame(bytes, 4, palette, 83);
    bytes[0] = 99;  // the caller's buffers stay the caller's
    palette[0] = 99;

    ASSERT_EQ(frameStore.count, 1);
    EXPECT_EQ(frameStore.capacity, 256);
    const FrameRecord& record = frameStore.records[0];
    EXPECT_EQ(record.length, 4);
    EXPECT_EQ(record.data[0], 1);
    EXPECT_EQ(record.data[3], 4);
    EXPECT_EQ(record.palette[0], 0);
    EXPECT_EQ(record.palette[767], static_cast<uint8_t>(767 * 7));
    EXPECT_EQ(record.delay, 8);
    EXPECT_EQ(record.left, 0);  // a whole frame
    EXPECT_EQ(record.top, 0);
    EXPECT_EQ(record.width, 320);
    EXPECT_EQ(record.height, 240);
}

TEST_F(FrameStoreTest, EmptyAndNegativeLengthsOwnABlockAndStoreNothing)
{
    AppendTagged(1, 0);
    AppendTagged(2, -7);
    ASSERT_EQ(frameStore.count, 2);
    for (int i = 0; i < 2; i++) {
        EXPECT_NE(frameStore.records[i].data, nullptr);
        EXPECT_EQ(frameStore.records[i].length, 0);
    }
}

TEST_F(FrameStoreTest, The257thAppendDoublesCapacityAndKeepsEarlierRecords)
{
    for (int i = 0; i < 256; i++)
        AppendTagged(static_cast<uint8_t>(i));
    EXPECT_EQ(frameStore.capacity, 256);
    AppendTagged(77);
    EXPECT_EQ(frameStore.count, 257);
    EXPECT_EQ(frameStore.capacity, 512);
    for (int i = 0; i < 256; i++) {
        ASSERT_EQ(frameStore.records[i].data[0], static_cast<uint8_t>(i)) << "record " << i;
        ASSERT_EQ(frameStore.records[i].palette[500], static_cast<uint8_t>(i)) << "record " << i;
    }
    EXPECT_EQ(frameStore.records[256].data[2], 77);
}

TEST_F(FrameStoreTest, ClearReleasesEverythingAndIsSafeTwice)
{
    AppendTagged(1);
    recorderState.prevFrame = static_cast<uint8_t*>(std::calloc(16, 1));
    recorderState.workFrame = static_cast<uint8_t*>(std::malloc(16));
    ClearFrames();
    ClearFrames();
    EXPECT_EQ(frameStore.records, nullptr);
    EXPECT_EQ(frameStore.count, 0);
    EXPECT_EQ(frameStore.capacity, 0);
    EXPECT_EQ(recorderState.prevFrame, nullptr);
    EXPECT_EQ(recorderState.workFrame, nullptr);
}

TEST_F(FrameStoreTest, AFailedAllocationDropsOnlyThatFrame)
{
    // First append: the array, then the record's block. Fail each in turn;
    // the store must stay consistent and take the next frame normally.
    for (int failAt = 1; failAt <= 2; failAt++) {
        ClearFrames();
        {
            ScopedAllocationFault fault(failAt);
            AppendTagged(1);
            EXPECT_TRUE(fault.failed());
        }
        EXPECT_EQ(frameStore.count, 0) << "fail at " << failAt;
        AppendTagged(2);
        ASSERT_EQ(frameStore.count, 1);
        EXPECT_EQ(frameStore.records[0].data[0], 2);
    }

    // A failed growth at the 257th frame keeps all 256 and the capacity.
    ClearFrames();
    for (int i = 0; i < 256; i++)
        AppendTagged(static_cast<uint8_t>(i));
    FrameRecord* before = frameStore.records;
    {
        ScopedAllocationFault fault(1);
        AppendTagged(200);
    }
    EXPECT_EQ(frameStore.count, 256);
    EXPECT_EQ(frameStore.capacity, 256);
    EXPECT_EQ(frameStore.records, before);
    AppendTagged(201);
    EXPECT_EQ(frameStore.count, 257);
    EXPECT_EQ(frameStore.records[256].data[0], 201);
    EXPECT_EQ(frameStore.records[255].data[0], 255);
}

}  // namespace
