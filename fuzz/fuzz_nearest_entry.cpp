// A fuzzed palette (1 to 256 entries, duplicates and ties as they come) and
// fuzzed colours: the accelerated search must answer what a look at every
// entry answers. The same bytes as pixels must give a palette of 1..256
// entries from the quantizer, whose nearest entries the search also finds.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "encoder/colour_quantizer.h"
#include "encoder/nearest_entry.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int32_t entries = 1 + data[0];
    std::vector<uint8_t> palette(static_cast<size_t>(entries) * 3, 0);
    for (size_t i = 0; i < palette.size() && 1 + i < size; i++)
        palette[i] = data[1 + i];
    NearestEntrySearch* search = CreateNearestEntrySearch(palette.data(), entries);
    Require(search != nullptr, "a search of 1..256 entries is made");
    for (size_t at = 1; at + 2 < size; at += 3)
        Require(FindNearestEntry(search, data[at], data[at + 1], data[at + 2]) ==
                    NearestEntryByFullSearch(palette.data(), entries, data[at], data[at + 1], data[at + 2]),
                "the search finds the nearest entry, the lower one on a tie");
    DestroyNearestEntrySearch(search);

    const int32_t pixels = static_cast<int32_t>(size / 4);
    uint8_t learned[768];
    const int32_t count = QuantizeColours(data, pixels, learned, entries);
    Require(count >= 1 && count <= entries, "the quantizer gives 1..maxColours entries");
    search = CreateNearestEntrySearch(learned, count);
    Require(search != nullptr, "a search of the quantizer's palette is made");
    std::vector<uint8_t> indices(static_cast<size_t>(pixels));
    MapToNearestEntries(search, data, pixels, indices.data());
    for (int32_t i = 0; i < pixels; i++) {
        const uint8_t* p = data + static_cast<size_t>(i) * 4;
        Require(indices[static_cast<size_t>(i)] == NearestEntryByFullSearch(learned, count, p[2], p[1], p[0]),
                "every pixel is mapped to its nearest entry");
    }
    DestroyNearestEntrySearch(search);
    return 0;
}
