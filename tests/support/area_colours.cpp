#include "tests/support/area_colours.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <unordered_map>

int32_t CountColours(const std::vector<uint8_t>& bgrx)
{
    std::set<uint32_t> colours;
    for (size_t p = 0; p + 3 < bgrx.size(); p += 4)
        colours.insert(static_cast<uint32_t>(bgrx[p]) | bgrx[p + 1] << 8 | bgrx[p + 2] << 16);
    return static_cast<int32_t>(colours.size());
}

namespace {

int32_t Distance(const uint8_t* rgb, const uint8_t* bgrx)
{
    int32_t sum = 0;
    for (int c = 0; c < 3; c++)
        sum += (rgb[c] - bgrx[2 - c]) * (rgb[c] - bgrx[2 - c]);
    return sum;
}

std::string Colour(const uint8_t* rgb)
{
    return "(" + std::to_string(rgb[0]) + ", " + std::to_string(rgb[1]) + ", " + std::to_string(rgb[2]) + ")";
}

}  // namespace

std::string AreaColoursFault(const uint8_t* table, int32_t tableSize, const std::vector<uint8_t>& indices,
                             const std::vector<uint8_t>& bgrx)
{
    if (indices.size() * 4 != bgrx.size())
        return std::to_string(indices.size()) + " indices for " + std::to_string(bgrx.size() / 4) + " pixels";
    const bool exact = CountColours(bgrx) <= 256;
    // A table is padded to a power of two with entries no pixel was
    // mapped to: the nearest entry is looked for among those in use.
    std::vector<bool> used(static_cast<size_t>(tableSize) + 256, false);
    for (uint8_t index : indices)
        used[index] = true;
    std::unordered_map<uint32_t, int32_t> leastFor;
    for (size_t p = 0; p < indices.size(); p++) {
        if (indices[p] >= tableSize)
            return "pixel " + std::to_string(p) + ": index " + std::to_string(indices[p]) + " beyond a table of " +
                   std::to_string(tableSize);
        const uint8_t* pixel = &bgrx[p * 4];
        const uint8_t want[3] = {pixel[2], pixel[1], pixel[0]};
        const uint8_t* shown = table + 3 * indices[p];
        // Screens repeat their colours: each one's least distance is found once.
        const uint32_t colour = static_cast<uint32_t>(pixel[0]) | pixel[1] << 8 | pixel[2] << 16;
        auto known = leastFor.find(colour);
        if (known == leastFor.end()) {
            int32_t least = INT32_MAX;
            for (int32_t k = 0; k < tableSize; k++)
                if (used[static_cast<size_t>(k)])
                    least = std::min(least, Distance(table + 3 * k, pixel));
            known = leastFor.emplace(colour, least).first;
        }
        const int32_t least = known->second;
        const int32_t distance = Distance(shown, pixel);
        if ((exact && distance != 0) || distance != least)
            return "pixel " + std::to_string(p) + " shows " + Colour(shown) + " for " + Colour(want) +
                   (exact ? " (an area of at most 256 colours)" : ", an entry " + std::to_string(least) +
                                                                  " away was nearer than " + std::to_string(distance));
    }
    return "";
}

double AreaPsnr(const uint8_t* table, const std::vector<uint8_t>& indices, const std::vector<uint8_t>& bgrx)
{
    double squares = 0;
    for (size_t p = 0; p < indices.size(); p++)
        squares += Distance(table + 3 * indices[p], &bgrx[p * 4]);
    if (squares == 0)
        return 99;
    return 10 * std::log10(255.0 * 255.0 * 3.0 * static_cast<double>(indices.size()) / squares);
}
