#include <gtest/gtest.h>

#include <vector>

#include "image/resampler.h"
#include "tests/support/synthetic_frames.h"

namespace {

TEST(ComputeOutputSize, KeepsTheAspectRatioWithAnEvenHeightOfAtLeastTwo)
{
    const struct {
        int32_t capW, capH, requested, outW, outH;
    } table[] = {
        {480, 480, 360, 360, 360},  {500, 333, 360, 360, 240},  // 239.76 + 0.5 -> 240
        {640, 480, 240, 240, 180},  {641, 479, 0, 641, 478},    // 479.5 -> 479 -> 478
        {1000, 3, 240, 240, 2},     {200, 100, 360, 360, 180},  // a request wider than the capture enlarges
        {300, 200, -5, 300, 200},   {1, 1, 1920, 1920, 1920},
    };
    for (const auto& row : table) {
        OutputGeometry g = ComputeOutputSize(row.capW, row.capH, row.requested);
        EXPECT_EQ(g.outWidth, row.outW) << row.capW << " x " << row.capH << " at " << row.requested;
        EXPECT_EQ(g.outHeight, row.outH) << row.capW << " x " << row.capH << " at " << row.requested;
    }
}

std::vector<uint8_t> Resample(const std::vector<uint8_t>& src, int32_t sw, int32_t sh, int32_t dw, int32_t dh)
{
    std::vector<uint8_t> dst(static_cast<size_t>(dw > 0 && dh > 0 ? dw * dh : 0) * 4 + 8, 0xEE);
    ResampleBilinear(src.data(), sw, sh, dst.data(), dw, dh);
    for (size_t i = dst.size() - 8; i < dst.size(); i++)
        EXPECT_EQ(dst[i], 0xEE) << "written past the destination";
    dst.resize(dst.size() - 8);
    return dst;
}

std::vector<uint8_t> Pixels(std::initializer_list<uint8_t> values)
{
    std::vector<uint8_t> pixels;
    for (uint8_t v : values)
        pixels.insert(pixels.end(), {v, v, v, v});
    return pixels;
}

TEST(ResampleBilinear, ExactValuesOfTheDoublePrecisionTruncatingFormula)
{
    // Halving 0 and 255: the centre maps to 0.5, 127.5 truncates to 127.
    EXPECT_EQ(Resample(Pixels({0, 255}), 2, 1, 1, 1), Pixels({127}));
    // Enlarging: coordinates -0.25, 0.25, 0.75, 1.25; the first clamps to
    // the first pixel, the last interpolates the last with itself.
    EXPECT_EQ(Resample(Pixels({0, 200}), 2, 1, 4, 1), Pixels({0, 50, 150, 200}));
}

TEST(ResampleBilinear, TruncationTakesOneOffAUniformAreaWhereTheSumFallsShort)
{
    std::vector<uint8_t> out = Resample(Pixels({255}), 1, 1, 6, 6);
    for (int row = 0; row < 6; row++)
        for (int column = 0; column < 6; column++) {
            bool short_ = (row == 3 && column == 5) || (row == 5 && column == 3);
            for (int c = 0; c < 4; c++)
                EXPECT_EQ(out[(row * 6 + column) * 4 + c], short_ ? 254 : 255) << row << "," << column;
        }
}

TEST(ResampleBilinear, EqualSizesCopyEveryByte)
{
    std::vector<uint8_t> noise = NoiseFrame(37, 23, 4);
    EXPECT_EQ(Resample(noise, 37, 23, 37, 23), noise);
}

TEST(ResampleBilinear, EmptyDestinationsWriteNothing)
{
    std::vector<uint8_t> src = Pixels({1, 2, 3, 4});
    uint8_t guard[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    ResampleBilinear(src.data(), 2, 2, guard, 0, 5);
    ResampleBilinear(src.data(), 2, 2, guard, 5, -1);
    for (uint8_t byte : guard)
        EXPECT_EQ(byte, 0xEE);
}

TEST(ResampleBilinear, StrongReductionsPickFourPixelsWithoutAveraging)
{
    // 8 -> 2 columns: centres map to 1.5 and 5.5, so only pixels 1, 2 and
    // 5, 6 contribute; the spikes at 0, 3, 4 and 7 are skipped.
    std::vector<uint8_t> out = Resample(Pixels({255, 10, 20, 255, 255, 30, 40, 255}), 8, 1, 2, 1);
    EXPECT_EQ(out, Pixels({15, 35}));
}

}  // namespace
