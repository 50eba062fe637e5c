#include "encoder/exact_colours.h"

#include <cstring>

namespace {

// Four slots a colour at most: linear probing stays short, and the table
// (5 KB) lives on the stack of whichever thread encodes.
constexpr uint32_t kSlots = 4 * kMostExactColours;
// Keys carry this bit so that an empty slot (0) never equals black.
constexpr uint32_t kUsed = 1u << 24;

inline uint32_t SlotOf(uint32_t key)
{
    return (key * 0x9E3779B1u) >> 22;  // the top 10 bits of a multiplicative hash
}

}  // namespace

int32_t IndexExactColours(const uint8_t* pixels, int32_t count, uint8_t* palette, uint8_t* indices)
{
    static_assert(kSlots == 1u << 10, "SlotOf keeps 10 bits");
    if (count < 1)
        return 0;
    uint32_t keys[kSlots] = {};
    uint8_t entries[kSlots];
    int32_t colours = 0;
    // Runs of one colour are the rule on screens: the previous pixel's
    // answer is tried before the table.
    uint32_t lastKey = 0;
    uint8_t lastEntry = 0;
    for (int32_t i = 0; i < count; i++) {
        uint32_t bgrx;
        std::memcpy(&bgrx, pixels + static_cast<size_t>(i) * 4, 4);
        const uint32_t key = (bgrx & 0xFFFFFFu) | kUsed;
        if (key != lastKey) {
            uint32_t slot = SlotOf(key);
            while (keys[slot] != 0 && keys[slot] != key)
                slot = (slot + 1) & (kSlots - 1);
            if (keys[slot] == 0) {
                if (colours == kMostExactColours)
                    return 0;
                keys[slot] = key;
                entries[slot] = static_cast<uint8_t>(colours);
                const uint8_t* p = pixels + static_cast<size_t>(i) * 4;
                palette[3 * colours + 0] = p[2];
                palette[3 * colours + 1] = p[1];
                palette[3 * colours + 2] = p[0];
                colours++;
            }
            lastKey = key;
            lastEntry = entries[slot];
        }
        indices[i] = lastEntry;
    }
    return colours;
}
