#include "encoder/colour_quantizer.h"

#include <algorithm>
#include <cstring>

#include "common/memory.h"
#include "encoder/nearest_entry.h"

namespace {

constexpr int32_t kLevelBits = 6;  // per channel: 64 levels, cells of 4
constexpr int32_t kLevels = 1 << kLevelBits;
constexpr int32_t kHistogramCells = 1 << (3 * kLevelBits);
constexpr int32_t kMostCountedPixels = 250000;

// One occupied cell of the histogram, channels in R, G, B order.
struct Cell {
    uint8_t level[3];     // the cell's place on each channel, 0..63
    uint32_t pixels;
    uint64_t sum[3];
    uint64_t squares;     // of every channel of every pixel
};

// Exact integer sums: a split's halves are the whole less one part.
struct Moments {
    uint64_t pixels = 0, sum[3] = {0, 0, 0}, squares = 0;

    void Add(const Cell& c)
    {
        pixels += c.pixels;
        for (int32_t ch = 0; ch < 3; ch++)
            sum[ch] += c.sum[ch];
        squares += c.squares;
    }
    void Add(const Moments& m)
    {
        pixels += m.pixels;
        for (int32_t ch = 0; ch < 3; ch++)
            sum[ch] += m.sum[ch];
        squares += m.squares;
    }
    Moments Less(const Moments& m) const
    {
        Moments rest = *this;
        rest.pixels -= m.pixels;
        for (int32_t ch = 0; ch < 3; ch++)
            rest.sum[ch] -= m.sum[ch];
        rest.squares -= m.squares;
        return rest;
    }
    // Squared distance of the pixels from their mean, summed.
    double Error() const
    {
        if (pixels == 0)
            return 0;
        const double r = static_cast<double>(sum[0]), g = static_cast<double>(sum[1]),
                     b = static_cast<double>(sum[2]);
        return static_cast<double>(squares) - (r * r + g * g + b * b) / static_cast<double>(pixels);
    }
};

struct Box {
    int32_t begin, end;  // cells[begin, end)
    Moments moments;
};

uint8_t Mean(uint64_t sum, uint64_t pixels)
{
    return static_cast<uint8_t>((sum + pixels / 2) / pixels);
}

// Splits box across the channel and level that leave the least error.
// False when all its cells share every level (nothing to split).
bool SplitBox(Cell* cells, Box* box, Box* second)
{
    Moments planes[3][kLevels];
    for (int32_t i = box->begin; i < box->end; i++)
        for (int32_t ch = 0; ch < 3; ch++)
            planes[ch][cells[i].level[ch]].Add(cells[i]);
    double bestError = 0;
    int32_t bestChannel = -1, bestLevel = 0;
    for (int32_t ch = 0; ch < 3; ch++) {
        Moments low;
        for (int32_t level = 0; level < kLevels - 1; level++) {
            low.Add(planes[ch][level]);
            if (low.pixels == 0 || low.pixels == box->moments.pixels)
                continue;
            const Moments high = box->moments.Less(low);
            const double error = low.Error() + high.Error();
            if (bestChannel < 0 || error < bestError) {
                bestError = error;
                bestChannel = ch;
                bestLevel = level;
            }
        }
    }
    if (bestChannel < 0)
        return false;
    Cell* middle = std::partition(cells + box->begin, cells + box->end, [&](const Cell& c) {
        return c.level[bestChannel] <= bestLevel;
    });
    second->begin = static_cast<int32_t>(middle - cells);
    second->end = box->end;
    box->end = second->begin;
    Moments low;
    for (int32_t level = 0; level <= bestLevel; level++)
        low.Add(planes[bestChannel][level]);
    second->moments = box->moments.Less(low);
    box->moments = low;
    return true;
}

// Each cell goes, with all its pixels, to the entry nearest its mean; every
// entry then moves to the mean of what it got. False when nothing moved.
bool RefineOnce(const Cell* cells, int32_t cellCount, uint8_t* palette, int32_t entries, bool* failed)
{
    NearestEntrySearch* search = CreateNearestEntrySearch(palette, entries);
    if (!search) {
        *failed = true;
        return false;
    }
    uint64_t pixels[256] = {};
    uint64_t sums[256][3] = {};
    for (int32_t i = 0; i < cellCount; i++) {
        const Cell& c = cells[i];
        const int32_t k = FindNearestEntry(search, Mean(c.sum[0], c.pixels), Mean(c.sum[1], c.pixels),
                                           Mean(c.sum[2], c.pixels));
        pixels[k] += c.pixels;
        for (int32_t ch = 0; ch < 3; ch++)
            sums[k][ch] += c.sum[ch];
    }
    DestroyNearestEntrySearch(search);
    bool moved = false;
    for (int32_t k = 0; k < entries; k++) {
        if (pixels[k] == 0)
            continue;  // nothing nearest: the entry stays where it was
        for (int32_t ch = 0; ch < 3; ch++) {
            const uint8_t mean = Mean(sums[k][ch], pixels[k]);
            moved = moved || mean != palette[3 * k + ch];
            palette[3 * k + ch] = mean;
        }
    }
    return moved;
}

}  // namespace

int32_t QuantizeColours(const uint8_t* pixels, int32_t count, uint8_t* palette, int32_t maxColours,
                        int32_t refinements)
{
    if (count < 1 || maxColours < 1 || maxColours > 256)
        return 0;
    // slotOf[cell] - 1 is the cell's place in cells; 0 while it is empty.
    auto* slotOf = static_cast<int32_t*>(memoryApi.allocateZeroed(kHistogramCells, sizeof(int32_t)));
    const int32_t most = count < kHistogramCells ? count : kHistogramCells;
    auto* cells = static_cast<Cell*>(memoryApi.allocate(sizeof(Cell) * static_cast<size_t>(most)));
    Box* boxes = static_cast<Box*>(memoryApi.allocate(sizeof(Box) * 256));
    int32_t entries = 0;
    if (slotOf && cells && boxes) {
        int32_t cellCount = 0;
        // A large area is counted from an even spread of its pixels: about
        // kMostCountedPixels give the same palette to a fraction of a dB, and
        // counting was half the time of a full-HD frame. The step is odd so
        // that it does not keep to a few columns of an even-width area.
        int32_t step = count / kMostCountedPixels;
        step += step % 2 == 0 ? 1 : 0;
        for (int32_t i = 0; i < count; i += step) {
            const uint8_t* p = pixels + static_cast<size_t>(i) * 4;
            const uint8_t r = p[2], g = p[1], b = p[0];
            const int32_t at = (r >> 2) << (2 * kLevelBits) | (g >> 2) << kLevelBits | (b >> 2);
            int32_t slot = slotOf[at] - 1;
            if (slot < 0) {
                slot = cellCount++;
                slotOf[at] = slot + 1;
                cells[slot] = Cell{{static_cast<uint8_t>(r >> 2), static_cast<uint8_t>(g >> 2),
                                    static_cast<uint8_t>(b >> 2)}, 0, {0, 0, 0}, 0};
            }
            Cell& c = cells[slot];
            c.pixels++;
            c.sum[0] += r;
            c.sum[1] += g;
            c.sum[2] += b;
            c.squares += static_cast<uint64_t>(r * r + g * g + b * b);
        }

        boxes[0].begin = 0;
        boxes[0].end = cellCount;
        boxes[0].moments = Moments{};
        for (int32_t i = 0; i < cellCount; i++)
            boxes[0].moments.Add(cells[i]);
        int32_t boxCount = 1;
        bool splittable[256];
        splittable[0] = true;
        while (boxCount < maxColours) {
            int32_t worst = -1;
            for (int32_t k = 0; k < boxCount; k++)
                if (splittable[k] && boxes[k].end - boxes[k].begin > 1 &&
                    (worst < 0 || boxes[k].moments.Error() > boxes[worst].moments.Error()))
                    worst = k;
            if (worst < 0)
                break;
            Box second{0, 0, Moments{}};
            if (!SplitBox(cells, &boxes[worst], &second)) {
                splittable[worst] = false;
                continue;
            }
            splittable[boxCount] = true;
            boxes[boxCount++] = second;
        }

        for (int32_t k = 0; k < boxCount; k++) {
            uint64_t n = 0, sum[3] = {0, 0, 0};
            for (int32_t i = boxes[k].begin; i < boxes[k].end; i++) {
                n += cells[i].pixels;
                for (int32_t ch = 0; ch < 3; ch++)
                    sum[ch] += cells[i].sum[ch];
            }
            for (int32_t ch = 0; ch < 3; ch++)
                palette[3 * k + ch] = Mean(sum[ch], n);
        }
        entries = boxCount;
        bool failed = false;
        for (int32_t pass = 0; pass < refinements; pass++)
            if (!RefineOnce(cells, cellCount, palette, entries, &failed))
                break;
        if (failed)
            entries = 0;
    }
    memoryApi.release(boxes);
    memoryApi.release(cells);
    memoryApi.release(slotOf);
    return entries;
}
