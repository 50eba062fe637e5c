#include "tests/support/expected_indices.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <set>

#include "tests/support/reference_quantizer.h"

ExpectedFrame ExpectedEncoding(const std::vector<uint8_t>& pixels, int32_t width, int32_t height)
{
    ExpectedFrame frame;
    frame.palette = ReferenceLearnPalette(pixels.data(), width * height);
    const std::vector<uint8_t> cube = ReferenceColourCube(frame.palette);
    frame.indices = ReferenceDiffuse(pixels.data(), width, height, frame.palette, cube);
    return frame;
}

ExpectedFrame ExpectedAreaEncoding(const std::vector<uint8_t>& pixels, int32_t width, int32_t height,
                                   int32_t fewestLearned)
{
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint8_t> learned = pixels;
    while (learned.size() / 4 < static_cast<size_t>(fewestLearned))
        learned.insert(learned.end(), pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(count * 4));
    ExpectedFrame frame;
    frame.palette = ReferenceLearnPalette(learned.data(), static_cast<int32_t>(learned.size() / 4));
    const std::vector<uint8_t> cube = ReferenceColourCube(frame.palette);
    frame.indices = ReferenceDiffuse(pixels.data(), width, height, frame.palette, cube);
    return frame;
}

CompactFrame Compacted(const ExpectedFrame& frame)
{
    std::set<uint8_t> used(frame.indices.begin(), frame.indices.end());
    CompactFrame compact;
    compact.tableSize = 2;
    compact.minCodeSize = 2;
    while (static_cast<size_t>(compact.tableSize) < used.size())
        compact.tableSize *= 2;
    while ((1 << compact.minCodeSize) < compact.tableSize)
        compact.minCodeSize++;
    compact.palette.assign(static_cast<size_t>(compact.tableSize) * 3, 0);
    std::map<uint8_t, uint8_t> renumbered;
    for (uint8_t entry : used) {
        const size_t at = renumbered.size();
        std::copy_n(frame.palette.begin() + entry * 3, 3, compact.palette.begin() + static_cast<std::ptrdiff_t>(at * 3));
        renumbered[entry] = static_cast<uint8_t>(at);
    }
    for (uint8_t index : frame.indices)
        compact.indices.push_back(renumbered[index]);
    return compact;
}
