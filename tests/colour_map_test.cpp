#include <gtest/gtest.h>

#include <vector>

#include "encoder/colour_map.h"

namespace {

std::vector<uint8_t> GreyPalette(std::initializer_list<int> greys, int rest)
{
    std::vector<uint8_t> palette(768, static_cast<uint8_t>(rest));
    int i = 0;
    for (int g : greys) {
        palette[3 * i] = palette[3 * i + 1] = palette[3 * i + 2] = static_cast<uint8_t>(g);
        i++;
    }
    return palette;
}

std::vector<uint8_t> GreyRow(std::initializer_list<int> greys)
{
    std::vector<uint8_t> pixels;
    for (int g : greys)
        pixels.insert(pixels.end(), {static_cast<uint8_t>(g), static_cast<uint8_t>(g), static_cast<uint8_t>(g), 0});
    return pixels;
}

struct Mapped {
    std::vector<uint8_t> indices;
    std::vector<int32_t> rows;  // both error rows as the mapping left them
};

Mapped Map(const std::vector<uint8_t>& pixels, int32_t width, int32_t height, const std::vector<uint8_t>& palette)
{
    uint8_t cube[kColourCubeCells];
    BuildColourCube(palette.data(), cube);
    Mapped m;
    m.indices.assign(static_cast<size_t>(width * height), 0xEE);
    m.rows.assign(2 * (static_cast<size_t>(width) + 2) * 3, 12345);
    DiffuseToIndices(pixels.data(), width, height, palette.data(), cube, m.rows.data(), m.indices.data());
    return m;
}

TEST(ColourCube, TiesKeepTheLowerIndex)
{
    std::vector<uint8_t> palette(768, 255);
    auto set = [&](int k, int r, int g, int b) {
        palette[3 * k] = static_cast<uint8_t>(r);
        palette[3 * k + 1] = static_cast<uint8_t>(g);
        palette[3 * k + 2] = static_cast<uint8_t>(b);
    };
    set(9, 0, 0, 1);
    set(5, 1, 0, 0);   // same distance 1 from grid (0,0,0) as entry 9
    set(200, 0, 1, 0);
    uint8_t cube[kColourCubeCells];
    BuildColourCube(palette.data(), cube);
    EXPECT_EQ(cube[0], 5);
    EXPECT_EQ(cube[4095], 0) << "white: every other entry ties at distance 0, entry 0 wins";
}

TEST(ColourCube, CellsFollowTheTopFourBitsOfEachChannel)
{
    // Greys 0, 17, ..., 255 at entries 0..15: grid grey 17n is entry n.
    std::vector<uint8_t> palette = GreyPalette({0, 17, 34, 51, 68, 85, 102, 119, 136, 153, 170, 187, 204, 221, 238, 255}, 128);
    for (int value : {0, 15, 16, 31, 239, 240, 255}) {
        Mapped m = Map(GreyRow({value}), 1, 1, palette);
        EXPECT_EQ(m.indices[0], value >> 4) << "grey " << value;
    }
}

TEST(Diffusion, SharesOfAnErrorOfMinus16)
{
    // Two black pixels on a palette of grey 16 only: each maps with error
    // -16 and passes -5 right, -2 below left, -4 below, -1 below right.
    Mapped m = Map(GreyRow({0, 0}), 2, 1, GreyPalette({}, 16));
    const size_t row = (2 + 2) * 3;
    auto slot = [&](int half, int s, int c) { return m.rows[half * row + s * 3 + c]; };
    for (int c = 0; c < 3; c++) {
        EXPECT_EQ(slot(0, 2, c), -5) << "right of pixel 0";
        EXPECT_EQ(slot(0, 3, c), -5) << "right of pixel 1, into the margin";
        EXPECT_EQ(slot(1, 0, c), 0) << "nothing below left of the first pixel";
        EXPECT_EQ(slot(1, 1, c), -4 + -2) << "below pixel 0, plus pixel 1's below left";
        EXPECT_EQ(slot(1, 2, c), -1 + -4);
        EXPECT_EQ(slot(1, 3, c), -1);
    }
}

TEST(Diffusion, SmallNegativeAndZeroErrorsPassNothing)
{
    // Black on grey 1 is an error of -1, which truncates to 0 in every share;
    // grey 16 on grey 16 has no error at all.
    for (int grey : {1, 16}) {
        Mapped m = Map(GreyRow({grey == 1 ? 0 : 16}), 1, 1, GreyPalette({}, grey));
        for (size_t i = 0; i < m.rows.size(); i++)
            ASSERT_EQ(m.rows[i], 0) << "grey " << grey << " value " << i;
    }
}

TEST(Diffusion, AOnePixelWideFrameCarriesOnlyTheShareBelow)
{
    // Entry 0 is black, entry 1 grey 48. Grey 30 maps to black (cell grid 17)
    // with error +30; a quarter of it, 7, lifts the pixel below to 37, into
    // the cell whose grid grey 34 is nearer to 48.
    std::vector<uint8_t> palette = GreyPalette({0, 48}, 255);
    Mapped m = Map(GreyRow({30, 30, 30}), 1, 3, palette);
    EXPECT_EQ(m.indices, (std::vector<uint8_t>{0, 1, 0}));
}

}  // namespace
