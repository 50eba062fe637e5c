#include "encoder/nearest_entry.h"

#include <cstring>

#include "common/memory.h"

namespace {

// A pixel's candidates come from its cell of 4 x 4 x 4 levels. Each cell's
// list is drawn from the list of the cell twice its side that holds it
// (16, then 8 levels a side), and only the largest cells look at every
// entry: a colour of a cell lies inside its parent too, so an entry that
// can be nearest in the cell is on the parent's list.
constexpr int32_t kLevelBits[] = {4, 5, 6};
constexpr int32_t kLevelCount = 3;
constexpr int32_t kFinestCells = 1 << (3 * kLevelBits[kLevelCount - 1]);
// answer[] holds a finest cell's single entry plus one, or one of these.
// listAt[] holds the offset of a cell's list plus one, or one of these. The
// zero meanings let both tables come from zeroed memory: a small area then
// only touches the pages of the cells its colours fall in, instead of
// filling 1.7 MB at every search.
constexpr int16_t kUnanswered = 0;
constexpr int16_t kSeveral = -1;     // the cell lists more than one entry
constexpr int32_t kNotListed = 0;
constexpr int32_t kFullSearch = -1;  // the cell's list could not be stored

inline int32_t CellOf(int32_t bits, uint8_t r, uint8_t g, uint8_t b)
{
    return (r >> (8 - bits)) << (2 * bits) | (g >> (8 - bits)) << bits | (b >> (8 - bits));
}

inline int32_t Distance(const uint8_t* entry, int32_t r, int32_t g, int32_t b)
{
    const int32_t dr = entry[0] - r, dg = entry[1] - g, db = entry[2] - b;
    return dr * dr + dg * dg + db * db;
}

// Squared distance from v to the nearest and to the farthest level of
// [low, high].
inline int32_t NearestGap(int32_t v, int32_t low, int32_t high)
{
    const int32_t gap = v < low ? low - v : v > high ? v - high : 0;
    return gap * gap;
}

inline int32_t FarthestGap(int32_t v, int32_t low, int32_t high)
{
    const int32_t gap = v - low > high - v ? v - low : high - v;
    return gap * gap;
}

}  // namespace

// A list is stored as its length less one, then its entries in ascending
// order.
struct CellLists {
    int32_t* listAt;  // per cell: offset of its list in lists plus one, or kNotListed / kFullSearch
    uint8_t* lists;
    int32_t used, capacity;
};

struct NearestEntrySearch {
    int32_t count;
    uint8_t palette[768];
    uint8_t everyEntry[257];  // the list of every entry, for the largest cells
    CellLists level[kLevelCount];
    // Most of the finest cells list a single entry: their answer is kept
    // here, in a table small enough to stay in the cache, so most pixels
    // cost one lookup.
    int16_t* answer;
};

namespace {

bool PrepareLists(CellLists* lists, int32_t cells)
{
    lists->lists = nullptr;
    lists->used = lists->capacity = 0;
    lists->listAt = static_cast<int32_t*>(memoryApi.allocateZeroed(static_cast<size_t>(cells), sizeof(int32_t)));
    return lists->listAt != nullptr;  // every cell kNotListed
}

void ReleaseLists(CellLists* lists)
{
    memoryApi.release(lists->lists);
    memoryApi.release(lists->listAt);
}

}  // namespace

NearestEntrySearch* CreateNearestEntrySearch(const uint8_t* palette, int32_t count)
{
    if (count < 1 || count > 256)
        return nullptr;
    auto* search = static_cast<NearestEntrySearch*>(memoryApi.allocate(sizeof(NearestEntrySearch)));
    if (!search)
        return nullptr;
    search->count = count;
    std::memcpy(search->palette, palette, static_cast<size_t>(count) * 3);
    search->everyEntry[0] = static_cast<uint8_t>(count - 1);
    for (int32_t k = 0; k < count; k++)
        search->everyEntry[1 + k] = static_cast<uint8_t>(k);
    // Every cell kUnanswered.
    search->answer = static_cast<int16_t*>(memoryApi.allocateZeroed(kFinestCells, sizeof(int16_t)));
    bool prepared = search->answer != nullptr;
    for (int32_t l = 0; l < kLevelCount; l++)
        prepared = PrepareLists(&search->level[l], 1 << (3 * kLevelBits[l])) && prepared;
    if (!prepared) {
        DestroyNearestEntrySearch(search);
        return nullptr;
    }
    return search;
}

void DestroyNearestEntrySearch(NearestEntrySearch* search)
{
    if (!search)
        return;
    for (int32_t l = 0; l < kLevelCount; l++)
        ReleaseLists(&search->level[l]);
    memoryApi.release(search->answer);
    memoryApi.release(search);
}

int32_t NearestEntryByFullSearch(const uint8_t* palette, int32_t count, uint8_t r, uint8_t g, uint8_t b)
{
    int32_t best = 0;
    int32_t bestDistance = INT32_MAX;
    for (int32_t k = 0; k < count; k++) {
        const int32_t d = Distance(palette + 3 * k, r, g, b);
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    return best;
}

namespace {

// An entry can be the nearest to a colour of the cell only if its nearest
// point of the cell is no farther than the farthest point of the cell is
// from some other entry; every other entry loses to that one everywhere in
// the cell. Equality stays in, so a tie is still decided by entry order.
// from: the candidates to choose among, a list as stored.
int32_t ListCell(const uint8_t* palette, CellLists* cells, int32_t cell, int32_t bits, const uint8_t* from)
{
    const int32_t side = 1 << (8 - bits), mask = (1 << bits) - 1;
    int32_t low[3] = {(cell >> (2 * bits)) * side, ((cell >> bits) & mask) * side, (cell & mask) * side};
    const int32_t length = from[0] + 1;
    int32_t nearest[256];
    int32_t bound = INT32_MAX;
    for (int32_t i = 0; i < length; i++) {
        const uint8_t* e = palette + 3 * from[1 + i];
        nearest[i] = 0;
        int32_t farthest = 0;
        for (int32_t ch = 0; ch < 3; ch++) {
            nearest[i] += NearestGap(e[ch], low[ch], low[ch] + side - 1);
            farthest += FarthestGap(e[ch], low[ch], low[ch] + side - 1);
        }
        if (farthest < bound)
            bound = farthest;
    }
    if (cells->used + 1 + length > cells->capacity) {
        const int32_t grown = cells->capacity == 0 ? 16384 : cells->capacity * 2;
        auto* lists = static_cast<uint8_t*>(memoryApi.resize(cells->lists, static_cast<size_t>(grown)));
        if (!lists)
            return cells->listAt[cell] = kFullSearch;
        cells->lists = lists;
        cells->capacity = grown;
    }
    const int32_t at = cells->used;
    int32_t kept = 0;
    for (int32_t i = 0; i < length; i++)
        if (nearest[i] <= bound)
            cells->lists[at + 1 + kept++] = from[1 + i];
    cells->lists[at] = static_cast<uint8_t>(kept - 1);
    cells->used += 1 + kept;
    return cells->listAt[cell] = at + 1;
}

// The list of the colour's cell at level l, made on first use; null when
// it cannot be stored.
const uint8_t* CellList(NearestEntrySearch* s, int32_t l, uint8_t r, uint8_t g, uint8_t b)
{
    CellLists* cells = &s->level[l];
    const int32_t cell = CellOf(kLevelBits[l], r, g, b);
    int32_t at = cells->listAt[cell];
    if (at == kNotListed) {
        const uint8_t* from = l == 0 ? s->everyEntry : CellList(s, l - 1, r, g, b);
        at = ListCell(s->palette, cells, cell, kLevelBits[l], from ? from : s->everyEntry);
        if (l == kLevelCount - 1)
            s->answer[cell] = at > 0 && cells->lists[at - 1] == 0 ? static_cast<int16_t>(cells->lists[at] + 1)
                                                                   : kSeveral;
    }
    return at == kFullSearch ? nullptr : cells->lists + (at - 1);
}

}  // namespace

int32_t FindNearestEntry(NearestEntrySearch* s, uint8_t r, uint8_t g, uint8_t b)
{
    const int16_t answer = s->answer[CellOf(kLevelBits[kLevelCount - 1], r, g, b)];
    if (answer != kUnanswered && answer != kSeveral)
        return answer - 1;
    const uint8_t* list = CellList(s, kLevelCount - 1, r, g, b);
    if (!list)
        return NearestEntryByFullSearch(s->palette, s->count, r, g, b);
    const int32_t length = list[0] + 1;
    int32_t best = list[1];
    int32_t bestDistance = Distance(s->palette + 3 * best, r, g, b);
    // Entries are listed in ascending order: a strict improvement keeps the
    // lower entry on a tie.
    for (int32_t i = 2; i <= length; i++) {
        const int32_t d = Distance(s->palette + 3 * list[i], r, g, b);
        if (d < bestDistance) {
            bestDistance = d;
            best = list[i];
        }
    }
    return best;
}

void MapToNearestEntries(NearestEntrySearch* search, const uint8_t* pixels, int32_t count, uint8_t* indices)
{
    uint32_t lastColour = 0xFFFFFFFFu;  // no pixel's masked colour
    uint8_t lastEntry = 0;
    for (int32_t i = 0; i < count; i++) {
        const uint8_t* p = pixels + static_cast<size_t>(i) * 4;
        uint32_t bgrx;
        std::memcpy(&bgrx, p, 4);
        const uint32_t colour = bgrx & 0xFFFFFFu;
        if (colour != lastColour) {
            lastColour = colour;
            lastEntry = static_cast<uint8_t>(FindNearestEntry(search, p[2], p[1], p[0]));
        }
        indices[i] = lastEntry;
    }
}
