#include "tests/support/expected_indices.h"

#include "tests/support/reference_quantizer.h"

ExpectedFrame ExpectedEncoding(const std::vector<uint8_t>& pixels, int32_t width, int32_t height)
{
    ExpectedFrame frame;
    frame.palette = ReferenceLearnPalette(pixels.data(), width * height);
    const std::vector<uint8_t> cube = ReferenceColourCube(frame.palette);
    frame.indices = ReferenceDiffuse(pixels.data(), width, height, frame.palette, cube);
    return frame;
}
