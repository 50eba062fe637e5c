#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "encoder/quantizer.h"
#include "tests/support/pinned_frames.h"
#include "tests/support/reference_quantizer.h"
#include "tests/support/same_bytes.h"
#include "tests/support/synthetic_frames.h"

namespace {

std::vector<uint8_t> Learn(const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> palette(768, 0xEE);
    QuantizerLearn(pixels.data(), static_cast<int32_t>(pixels.size() / 4), palette.data());
    return palette;
}

TEST(Quantizer, ASingleColourPullsEveryNeuronToItOrOneBelow)
{
    // B, G, R = 50, 100, 200; the truncating divisions leave most neurons
    // one short of the target in every channel.
    std::vector<uint8_t> palette = Learn(FlatFrame(100, 100, 50, 100, 200));
    int exact = 0, oneBelow = 0;
    for (int i = 0; i < 256; i++) {
        const uint8_t* e = &palette[3 * i];
        if (e[0] == 200 && e[1] == 100 && e[2] == 50)
            exact++;
        else if (e[0] == 199 && e[1] == 99 && e[2] == 49)
            oneBelow++;
        else
            ADD_FAILURE() << "entry " << i << " = " << int(e[0]) << "," << int(e[1]) << "," << int(e[2]);
    }
    EXPECT_EQ(exact, 6);
    EXPECT_EQ(oneBelow, 250);
}

TEST(Quantizer, ASingleWhiteSampleMovesTheWinnerAndItsLowerNeighbours)
{
    // One pixel: one sample. Neuron 255 is nearest and jumps to the sample;
    // neurons 254 down to 224 move by radpower[m] = 2 (1024 - m^2) / 2048 of
    // their distance, truncated toward zero; neuron 223 is outside the radius.
    std::vector<uint8_t> palette = Learn(FlatFrame(1, 1, 255, 255, 255));
    const struct {
        int entry;
        int value;  // (254 - (254 - 4080) * 2046 / 2048) >> 4 = 254, and so on
    } table[] = {{255, 255}, {254, 254}, {253, 254}, {224, 28}, {223, 13}, {0, 0}};
    for (const auto& row : table)
        for (int c = 0; c < 3; c++)
            EXPECT_EQ(palette[3 * row.entry + c], row.value) << "entry " << row.entry;
}

TEST(Quantizer, SampleStepIsAPrimeThatDoesNotDivideThePixelCount)
{
    const struct {
        int32_t pixels;
        int32_t step;
    } table[] = {{1, 499},       {1000, 499},        {499, 491},
                 {499 * 491, 487}, {499 * 2, 491},   {499 * 491 * 487, 503},
                 {360 * 200, 499}, {1920 * 1080, 499}};
    for (const auto& row : table)
        EXPECT_EQ(QuantizerSampleStep(row.pixels), row.step) << row.pixels << " pixels";
}

TEST(Quantizer, FramesBelowTwentyPixelsLearnOnlyTheFirstPixel)
{
    std::vector<uint8_t> nineteen = FlatFrame(19, 1, 200, 10, 10);
    nineteen[0] = 10;
    nineteen[1] = 20;
    nineteen[2] = 230;
    EXPECT_EQ(Learn(nineteen), Learn(FlatFrame(1, 1, 10, 20, 230)));
}

TEST(Quantizer, RepeatedCallsGiveIdenticalPalettes)
{
    std::vector<uint8_t> frame = ScreenLikeFrame(333, 201, 4);
    std::vector<uint8_t> first = Learn(frame);
    Learn(NoiseFrame(64, 64, 3));  // nothing may carry over from another frame
    EXPECT_EQ(Learn(frame), first);
}

TEST(Quantizer, PaletteCoversTheDistinctColoursOfAScreen)
{
    // A frame of four flat colours: each must have a palette entry within
    // a couple of steps, or the learning has gone wrong.
    std::vector<uint8_t> frame = FlatFrame(200, 100, 255, 255, 255);
    const uint8_t colours[4][3] = {{255, 255, 255}, {30, 30, 40}, {200, 120, 40}, {40, 200, 40}};
    for (int y = 0; y < 100; y++)
        for (int x = 0; x < 200; x++)
            std::memcpy(&frame[(y * 200 + x) * 4], colours[(x / 50 + y / 50) % 4], 3);
    std::vector<uint8_t> palette = Learn(frame);
    for (const auto& colour : colours) {
        int best = 1 << 30;
        for (int i = 0; i < 256; i++)
            best = std::min(best, std::abs(palette[3 * i] - colour[2]) + std::abs(palette[3 * i + 1] - colour[1]) +
                                      std::abs(palette[3 * i + 2] - colour[0]));
        EXPECT_LE(best, 6) << int(colour[0]) << "," << int(colour[1]) << "," << int(colour[2]);
    }
}

TEST(Quantizer, PinnedFramesLearnTheirWrittenOutPalettes)
{
    for (const PinnedFrame& pin : kPinnedFrames) {
        std::vector<uint8_t> pixels = PinnedFramePixels(pin.width, pin.height);
        std::vector<uint8_t> expected = BytesFromHex(pin.palette);
        EXPECT_TRUE(SameBytes(Learn(pixels), expected)) << pin.width << " x " << pin.height;
        // The reference that judges the round-trip tests must hold to the
        // same numbers, or those tests judge against the wrong thing.
        EXPECT_TRUE(SameBytes(ReferenceLearnPalette(pixels.data(), pin.width * pin.height), expected))
            << "reference, " << pin.width << " x " << pin.height;
    }
}

TEST(QuantizerSchedule, RateAndNeighbourhoodAfterEachCycle)
{
    // alpha loses a 21st (truncated) per cycle and settles at 20 after 92
    // cycles; radius falls by 30 per cycle, so rad is 32, then 31, and 0 from
    // cycle 65 on. Weights at distances from rad up keep the value of the
    // last cycle whose radius reached them.
    const int probed[] = {0, 1, 2, 15, 16, 30, 31};
    const struct {
        int cycles;
        int32_t alpha, radius, rad;
        int32_t radpower[7];  // at the distances in probed
    } table[] = {
        {0, 1024, 2048, 32, {2048, 2046, 2040, 1598, 1536, 248, 126}},
        {1, 976, 2018, 31, {1952, 1949, 1943, 1494, 1432, 123, 126}},
        {2, 930, 1988, 31, {1860, 1858, 1852, 1424, 1364, 118, 126}},
        {33, 212, 1058, 16, {424, 422, 417, 51, 50, 118, 126}},
        {34, 202, 1028, 16, {404, 402, 397, 48, 50, 118, 126}},
        {64, 55, 128, 2, {110, 82, 67, 48, 50, 118, 126}},
        {65, 53, 98, 0, {110, 82, 67, 48, 50, 118, 126}},
        {92, 20, -712, 0, {110, 82, 67, 48, 50, 118, 126}},
        {93, 20, -742, 0, {110, 82, 67, 48, 50, 118, 126}},
    };
    for (const auto& row : table) {
        QuantizerSchedule schedule;
        ResetQuantizerSchedule(&schedule);
        for (int c = 0; c < row.cycles; c++)
            EndQuantizerCycle(&schedule);
        EXPECT_EQ(schedule.alpha, row.alpha) << "after " << row.cycles << " cycles";
        EXPECT_EQ(schedule.radius, row.radius) << "after " << row.cycles << " cycles";
        EXPECT_EQ(schedule.rad, row.rad) << "after " << row.cycles << " cycles";
        for (int i = 0; i < 7; i++)
            EXPECT_EQ(schedule.radpower[probed[i]], row.radpower[i])
                << "radpower[" << probed[i] << "] after " << row.cycles << " cycles";
    }
}

}  // namespace
