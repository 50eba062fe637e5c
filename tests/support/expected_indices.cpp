#include "tests/support/expected_indices.h"

#include "encoder/colour_map.h"
#include "encoder/quantizer.h"

ExpectedFrame ExpectedEncoding(const std::vector<uint8_t>& pixels, int32_t width, int32_t height)
{
    ExpectedFrame frame;
    frame.palette.resize(768);
    frame.indices.resize(static_cast<size_t>(width) * height);
    QuantizerLearn(pixels.data(), width * height, frame.palette.data());
    uint8_t cube[kColourCubeCells];
    BuildColourCube(frame.palette.data(), cube);
    std::vector<int32_t> rows(2 * (static_cast<size_t>(width) + 2) * 3);
    DiffuseToIndices(pixels.data(), width, height, frame.palette.data(), cube, rows.data(),
                     frame.indices.data());
    return frame;
}
