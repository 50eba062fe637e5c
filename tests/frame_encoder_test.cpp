#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "image/changed_area.h"
#include "tests/support/allocation_fault.h"
#include "tests/support/area_colours.h"
#include "tests/support/expected_indices.h"
#include "tests/support/pinned_frames.h"
#include "tests/support/reference_lzw.h"
#include "tests/support/same_bytes.h"
#include "tests/support/synthetic_frames.h"

namespace {

class FrameEncoderTest : public ::testing::Test {
protected:
    void SetUp() override { ClearFrames(); }
    void TearDown() override { ClearFrames(); }
};

void ExpectStoredAsEncoded(const FrameRecord& record, const std::vector<uint8_t>& pixels, int32_t width,
                           int32_t height)
{
    ExpectedFrame expected = ExpectedEncoding(pixels, width, height);
    EXPECT_EQ(std::memcmp(record.palette, expected.palette.data(), 768), 0);
    std::vector<uint8_t> decoded;
    ASSERT_TRUE(ReferenceLzwDecode(record.data, static_cast<size_t>(record.length), expected.indices.size(),
                                   &decoded, nullptr))
        << width << " x " << height;
    ASSERT_EQ(decoded.size(), expected.indices.size());
    for (size_t i = 0; i < decoded.size(); i++)
        ASSERT_EQ(decoded[i], expected.indices[i]) << "pixel " << i << " of " << width << " x " << height;
}

// A changed area (alone in the store) is stored with a table of the
// colours it uses, padded to a power of two, and the code size to match;
// decoded, it shows its own colours (area_colours.h).
void ExpectStoredAsArea(const FrameRecord& record, const std::vector<uint8_t>& pixels, int32_t width,
                        int32_t height)
{
    const std::string where = std::to_string(width) + " x " + std::to_string(height);
    std::vector<uint8_t> decoded;
    ASSERT_TRUE(ReferenceLzwDecode(record.data, static_cast<size_t>(record.length),
                                   static_cast<size_t>(width) * height, &decoded, nullptr, record.minCodeSize))
        << where;
    std::set<uint8_t> used(decoded.begin(), decoded.end());
    int32_t bits = 1;
    while ((1 << bits) < static_cast<int32_t>(used.size()))
        bits++;
    // The first frame of a store lends its table to the frames after it.
    const bool shared = record.tableSize == 0;
    const int32_t tableSize = shared ? frameStore.sharedTableSize : record.tableSize;
    EXPECT_EQ(tableSize, 1 << bits) << where << ": " << used.size() << " entries used";
    EXPECT_EQ(record.minCodeSize, std::max(2, bits)) << where;
    EXPECT_EQ(AreaColoursFault(shared ? frameStore.sharedPalette : record.palette, tableSize, decoded, pixels), "")
        << where;
}

// Pixels of exactly `colours` distinct colours, spread over a screen-like
// picture so that runs and repeats occur as on a screen.
std::vector<uint8_t> FrameOfColours(int32_t width, int32_t height, int32_t colours)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4, 0);
    for (int32_t i = 0; i < width * height; i++) {
        const int32_t k = i < colours ? i : (i / 3 * 7919) % colours;
        uint8_t* p = &pixels[static_cast<size_t>(i) * 4];
        p[0] = static_cast<uint8_t>(k * 37);
        p[1] = static_cast<uint8_t>(k);
        p[2] = static_cast<uint8_t>(255 - k / 2);
        p[3] = static_cast<uint8_t>(i);  // the fourth byte is not a colour
    }
    return pixels;
}

TEST_F(FrameEncoderTest, StoresTheCompleteStreamOfEveryKindOfFrame)
{
    const struct {
        int32_t width, height;
        bool noise;
    } table[] = {{1, 1, false},   {1, 500, false}, {641, 3, false}, {37, 23, false},
                 {333, 201, false}, {160, 160, true}, {1, 300, true}};
    for (const auto& row : table) {
        ClearFrames();
        std::vector<uint8_t> pixels = row.noise ? NoiseFrame(row.width, row.height, 5)
                                                : ScreenLikeFrame(row.width, row.height, 2);
        EncodeFrame(pixels.data(), row.width, row.height, 100);
        ASSERT_EQ(frameStore.count, 1);
        EXPECT_EQ(frameStore.records[0].delay, 10);
        ExpectStoredAsEncoded(frameStore.records[0], pixels, row.width, row.height);
    }
}

TEST_F(FrameEncoderTest, PinnedFramesStoreTheirWrittenOutPalettesAndIndices)
{
    for (const PinnedFrame& pin : kPinnedFrames) {
        if (!pin.indices)
            continue;
        ClearFrames();
        std::vector<uint8_t> pixels = PinnedFramePixels(pin.width, pin.height);
        EncodeFrame(pixels.data(), pin.width, pin.height, 100);
        ASSERT_EQ(frameStore.count, 1);
        const FrameRecord& record = frameStore.records[0];
        EXPECT_TRUE(SameBytes(std::vector<uint8_t>(record.palette, record.palette + 768), BytesFromHex(pin.palette)))
            << pin.width << " x " << pin.height;
        const std::vector<uint8_t> expected = BytesFromHex(pin.indices);
        std::vector<uint8_t> decoded;
        ASSERT_TRUE(ReferenceLzwDecode(record.data, static_cast<size_t>(record.length), expected.size(), &decoded,
                                       nullptr));
        EXPECT_TRUE(SameBytes(decoded, expected)) << pin.width << " x " << pin.height;
    }
}

// A rectangle is encoded as its own picture, placed where it was cut from:
// its own colours when it has at most 256 of them (exactly, from 1 to 256),
// else the nearest entries of a palette made from it. 1 x 1, 1 x N and the
// whole frame included. Whole frames keep the 256-entry table.
TEST_F(FrameEncoderTest, ARectangleIsEncodedWithItsOwnColours)
{
    const int32_t fw = 64, fh = 40;
    const std::vector<uint8_t> photo = PhotoLikeFrame(fw, fh, 3);
    const struct {
        int32_t colours;  // 0: the photo-like frame, far more than 256
        int32_t left, top, width, height;
    } table[] = {{0, 0, 0, fw, fh},     {0, 0, 7, fw, 5},   {0, 13, 9, 21, 17}, {0, fw - 1, fh - 1, 1, 1},
                 {0, 5, 0, 1, fh},      {0, 0, 39, 37, 1},  {1, 0, 0, fw, fh},  {2, 3, 4, 50, 30},
                 {255, 0, 0, fw, fh},   {256, 0, 0, fw, fh}, {257, 0, 0, fw, fh}, {256, 0, 0, fw, 4},
                 {3, 0, 0, 3, 1}};
    for (const auto& row : table) {
        ClearFrames();
        const std::vector<uint8_t> frame = row.colours ? FrameOfColours(fw, fh, row.colours) : photo;
        std::vector<uint8_t> cut;
        for (int32_t y = 0; y < row.height; y++) {
            const uint8_t* from = frame.data() + ((static_cast<size_t>(row.top) + y) * fw + row.left) * 4;
            cut.insert(cut.end(), from, from + static_cast<size_t>(row.width) * 4);
        }
        if (row.colours && row.width * row.height >= row.colours) {
            ASSERT_EQ(CountColours(cut), row.colours) << "the fixture";
        }
        EncodeFrameArea(frame.data(), fw, row.left, row.top, row.width, row.height, 70);
        ASSERT_EQ(frameStore.count, 1);
        const FrameRecord& record = frameStore.records[0];
        EXPECT_EQ(record.left, row.left);
        EXPECT_EQ(record.top, row.top);
        EXPECT_EQ(record.width, row.width);
        EXPECT_EQ(record.height, row.height);
        EXPECT_EQ(record.delay, 7);
        ExpectStoredAsArea(record, cut, row.width, row.height);
    }
    ClearFrames();
    EncodeFrame(photo.data(), fw, fh, 70);
    ASSERT_EQ(frameStore.count, 1);
    EXPECT_EQ(frameStore.records[0].tableSize, 256);
    EXPECT_EQ(frameStore.records[0].minCodeSize, 8);
}

// Stores the rectangle of frame as the only changed area in the store and
// reads its indices back; empty when nothing, or no readable stream, was
// stored.
std::vector<uint8_t> StoreAreaAndDecode(const std::vector<uint8_t>& frame, int32_t frameWidth, int32_t left,
                                        int32_t top, int32_t width, int32_t height)
{
    ClearFrames();
    EncodeFrameArea(frame.data(), frameWidth, left, top, width, height, 100);
    std::vector<uint8_t> decoded;
    if (frameStore.count != 1)
        return decoded;
    const FrameRecord& record = frameStore.records[0];
    if (!ReferenceLzwDecode(record.data, static_cast<size_t>(record.length), static_cast<size_t>(width) * height,
                            &decoded, nullptr, record.minCodeSize))
        decoded.clear();
    return decoded;
}

// The white page uncovered beside a moved window is a small share of the
// area; nothing redraws those pixels later, so a tint would stay for the
// rest of the animation.
TEST_F(FrameEncoderTest, ASmallAreaKeepsTheWhitePageWhite)
{
    // A palette learned from the area's samples once gave these pixels 13 to
    // 30 levels off white; a colour with this many pixels must have its own
    // entry.
    constexpr int kPageTolerance = 0;
    const int32_t fw = 360, fh = 240;
    for (int32_t phase : {15, 25, 35, 43}) {
        const std::vector<uint8_t> before = ScreenLikeFrame(fw, fh, phase);
        const std::vector<uint8_t> after = ScreenLikeFrame(fw, fh, phase + 1);
        const ChangedArea a = FindChangedArea(before.data(), after.data(), fw, fh);
        ASSERT_GT(a.width, 0);
        const std::vector<uint8_t> decoded = StoreAreaAndDecode(after, fw, a.left, a.top, a.width, a.height);
        ASSERT_EQ(decoded.size(), static_cast<size_t>(a.width) * a.height);
        const FrameRecord& record = frameStore.records[0];
        int worst = 0, white = 0;
        for (int32_t y = 0; y < a.height; y++)
            for (int32_t x = 0; x < a.width; x++) {
                const uint8_t* source = after.data() + ((static_cast<size_t>(a.top) + y) * fw + a.left + x) * 4;
                if (source[0] != 255 || source[1] != 255 || source[2] != 255)
                    continue;
                white++;
                const uint8_t* shown = record.palette + 3 * decoded[static_cast<size_t>(y) * a.width + x];
                for (int c = 0; c < 3; c++)
                    worst = std::max(worst, 255 - shown[c]);
            }
        ASSERT_GT(white, 0);
        EXPECT_LE(worst, kPageTolerance) << "phase " << phase << ", " << a.width << " x " << a.height << ": " << white
                            << " white pixels show a tint";
    }
}

// A picture of 8 x 8 blocks in 64 strong colours (as icons or a colourful
// page give), with a 24-pixel square of one more colour at (128, 40).
std::vector<uint8_t> StrongColourBlocks(int32_t width, int32_t height)
{
    const uint8_t levels[4] = {0, 85, 170, 255};
    std::vector<uint8_t> frame(static_cast<size_t>(width) * height * 4, 255);
    for (int32_t y = 0; y < height; y++)
        for (int32_t x = 0; x < width; x++) {
            const int32_t bx = x / 8, by = y / 8;
            const int32_t k = (bx * 7919 + by * 104729 + (bx * by % 97) * 31) % 64;
            uint8_t* p = frame.data() + (static_cast<size_t>(y) * width + x) * 4;
            const bool square = x >= 128 && x < 152 && y >= 40 && y < 64;
            p[0] = square ? 213 : levels[k >> 4];
            p[1] = square ? 128 : levels[(k >> 2) & 3];
            p[2] = square ? 43 : levels[k & 3];
        }
    return frame;
}

// A rectangle of many strong colours (icons, a colourful page) came back
// with whole blocks 50-65 levels off when its palette was learned from
// samples, and nothing redraws them while they stay still. 65 colours are
// kept exactly.
TEST_F(FrameEncoderTest, AnAreaOfManyStrongColoursKeepsThem)
{
    constexpr int kBlockTolerance = 0;
    const int32_t fw = 392, fh = 256;
    const std::vector<uint8_t> frame = StrongColourBlocks(fw, fh);
    const struct {
        int32_t width, height;
    } areas[] = {{88, 24}, {48, 48}, {104, 104}, {200, 120}, {320, 200}};
    for (const auto& a : areas) {
        const std::vector<uint8_t> decoded = StoreAreaAndDecode(frame, fw, 64, 40, a.width, a.height);
        ASSERT_EQ(decoded.size(), static_cast<size_t>(a.width) * a.height) << a.width << " x " << a.height;
        const FrameRecord& record = frameStore.records[0];
        // Block means: the diffusion scatters single pixels but keeps them.
        int worst = 0;
        for (int32_t by = 0; by < a.height; by += 8)
            for (int32_t bx = 0; bx < a.width; bx += 8) {
                int sum[3] = {0, 0, 0};
                for (int32_t y = by; y < by + 8; y++)
                    for (int32_t x = bx; x < bx + 8; x++) {
                        const uint8_t* source = frame.data() + ((static_cast<size_t>(40 + y)) * fw + 64 + x) * 4;
                        const uint8_t* shown = record.palette + 3 * decoded[static_cast<size_t>(y) * a.width + x];
                        for (int c = 0; c < 3; c++)
                            sum[c] += shown[c] - source[2 - c];
                    }
                for (int c = 0; c < 3; c++)
                    worst = std::max(worst, std::abs(sum[c]) / 64);
            }
        EXPECT_LE(worst, kBlockTolerance) << a.width << " x " << a.height;
    }
}

// Every failed allocation, for an area of few colours and for one of many,
// drops that frame at most; the store never holds a broken one.
TEST_F(FrameEncoderTest, EachFailedAllocationDropsOneAreaAndLaterAreasAppend)
{
    const int32_t fw = 64, fh = 40, left = 10, top = 5, w = 30, h = 20;
    for (const std::vector<uint8_t>& frame : {ScreenLikeFrame(fw, fh, 4), PhotoLikeFrame(fw, fh, 4)}) {
        std::vector<uint8_t> cut;
        for (int32_t y = 0; y < h; y++) {
            const uint8_t* from = frame.data() + ((static_cast<size_t>(top) + y) * fw + left) * 4;
            cut.insert(cut.end(), from, from + static_cast<size_t>(w) * 4);
        }
        int dropped = 0;
        for (int failAt = 1;; failAt++) {
            ClearFrames();
            bool failed;
            {
                ScopedAllocationFault fault(failAt);
                EncodeFrameArea(frame.data(), fw, left, top, w, h, 100);
                failed = fault.failed();
            }
            if (!failed) {
                ASSERT_EQ(frameStore.count, 1);
                ExpectStoredAsArea(frameStore.records[0], cut, w, h);
                break;
            }
            // A cell's list of candidates that cannot be kept is searched
            // for in the whole palette instead: that frame is still stored.
            ASSERT_LE(frameStore.count, 1) << "fail at allocation " << failAt;
            dropped += frameStore.count == 0 ? 1 : 0;
            EncodeFrameArea(frame.data(), fw, left, top, w, h, 100);
            ASSERT_GE(frameStore.count, 1);
            for (int32_t i = 0; i < frameStore.count; i++)
                ExpectStoredAsArea(frameStore.records[i], cut, w, h);
        }
        EXPECT_GE(dropped, 3) << "the packed copy, indices, codes and the record at least";
    }
}

TEST_F(FrameEncoderTest, NoiseLongerThanPixelsPlus4096IsNotCut)
{
    std::vector<uint8_t> pixels = NoiseFrame(200, 100, 9);
    EncodeFrame(pixels.data(), 200, 100, 33);
    ASSERT_EQ(frameStore.count, 1);
    EXPECT_GT(frameStore.records[0].length, 200 * 100 + 4096);
    EXPECT_EQ(frameStore.records[0].delay, 3);
    ExpectStoredAsEncoded(frameStore.records[0], pixels, 200, 100);
}

TEST_F(FrameEncoderTest, CallerPixelsAreOnlyRead)
{
    std::vector<uint8_t> pixels = ScreenLikeFrame(64, 48, 1);
    const std::vector<uint8_t> before = pixels;
    EncodeFrame(pixels.data(), 64, 48, 100);
    EXPECT_EQ(pixels, before);
}

TEST_F(FrameEncoderTest, EmptySizesAreIgnored)
{
    std::vector<uint8_t> pixels(16);
    EncodeFrame(pixels.data(), 0, 4, 100);
    EncodeFrame(pixels.data(), 4, -1, 100);
    EXPECT_EQ(frameStore.count, 0);
}

TEST_F(FrameEncoderTest, EachFailedAllocationDropsOneFrameAndLaterFramesAppend)
{
    std::vector<uint8_t> pixels = ScreenLikeFrame(50, 40, 0);
    for (int failAt = 1;; failAt++) {
        ClearFrames();
        bool failed;
        {
            ScopedAllocationFault fault(failAt);
            EncodeFrame(pixels.data(), 50, 40, 100);
            failed = fault.failed();
        }
        if (!failed) {
            EXPECT_EQ(frameStore.count, 1);
            EXPECT_GE(failAt, 5) << "index, code and error buffers, the array and the record";
            break;
        }
        EXPECT_EQ(frameStore.count, 0) << "fail at allocation " << failAt;
        EncodeFrame(pixels.data(), 50, 40, 100);
        ASSERT_EQ(frameStore.count, 1);
        ExpectStoredAsEncoded(frameStore.records[0], pixels, 50, 40);
    }
}

}  // namespace
