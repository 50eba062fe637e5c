#pragma once
// The colour cube and the diffusion written once over a vector of 32-bit
// lanes, for the files that compile them for one instruction set each
// (simd_sse41.cpp, simd_avx2.cpp). Each of those defines a struct V with the
// operations below and includes this header after it.
//
// Everything here has internal linkage and no standard-library inline code is
// used: a file built with -mavx2 must not leave an AVX2 copy of a shared
// inline function for the linker to pick on a processor without AVX2.
//
// The results equal the reference path's byte for byte.

#include <cstdint>

namespace {

constexpr int32_t kNeurons = 256;

// The colour cube: V::kLanes blue cells of one (r, g) row at a time against
// one palette entry. Keys are (distance << 8) | entry; the largest distance,
// 3 x 255², needs 18 bits, so a key fits 26.
alignas(64) int32_t cubeRowKeys[kNeurons];  // (dr² + dg²) << 8 | entry, per entry
alignas(64) int32_t cubeRed[kNeurons], cubeGreen[kNeurons], cubeBlue[kNeurons];

void LaneCube(const uint8_t* palette, uint8_t* cube)
{
    using R = typename V::Reg;
    for (int32_t k = 0; k < kNeurons; k++) {
        cubeRed[k] = palette[3 * k + 0];
        cubeGreen[k] = palette[3 * k + 1];
        cubeBlue[k] = palette[3 * k + 2];
    }
    constexpr int32_t kBlueVectors = 16 / V::kLanes;
    R blue[kBlueVectors];
    for (int32_t v = 0; v < kBlueVectors; v++)
        blue[v] = V::MulLow(V::Add(V::Ramp(), V::Set1(v * V::kLanes)), V::Set1(17));
    alignas(64) int32_t keys[16];

    for (int32_t r = 0; r < 16; r++) {
        for (int32_t g = 0; g < 16; g++) {
            const R gridRed = V::Set1(17 * r), gridGreen = V::Set1(17 * g);
            R entry = V::Ramp();
            for (int32_t k = 0; k < kNeurons; k += V::kLanes) {
                const R dr = V::Sub(gridRed, V::Load(cubeRed + k));
                const R dg = V::Sub(gridGreen, V::Load(cubeGreen + k));
                const R partial = V::Add(V::MulLow(dr, dr), V::MulLow(dg, dg));
                V::Store(cubeRowKeys + k, V::Or(V::ShiftLeft<8>(partial), entry));
                entry = V::Add(entry, V::Set1(V::kLanes));
            }
            R best[kBlueVectors];
            for (int32_t v = 0; v < kBlueVectors; v++)
                best[v] = V::Set1(INT32_MAX);
            for (int32_t k = 0; k < kNeurons; k++) {
                const R rowKey = V::Set1(cubeRowKeys[k]);
                const R entryBlue = V::Set1(cubeBlue[k]);
                for (int32_t v = 0; v < kBlueVectors; v++) {
                    const R db = V::Sub(blue[v], entryBlue);
                    best[v] = V::Min(best[v], V::Add(rowKey, V::ShiftLeft<8>(V::MulLow(db, db))));
                }
            }
            for (int32_t v = 0; v < kBlueVectors; v++)
                V::Store(keys + v * V::kLanes, best[v]);
            uint8_t* cell = cube + r * 256 + g * 16;
            for (int32_t b = 0; b < 16; b++)
                cell[b] = static_cast<uint8_t>(keys[b] & 0xFF);
        }
    }
}

// The diffusion with the three channels of a pixel in one vector of 16-bit
// lanes (B, G, R and a fourth lane that nothing reads), so each share of the
// error is three or four instructions for all channels instead of per
// channel. Sixteen bits are plenty: an error is within -255..255, and a slot
// collects at most 12/16 of four errors' worth. The fast path keeps its own
// layout in the caller's error rows: a slot is four 16-bit values, read and
// written 8 bytes at once, so two rows take 16 bytes per slot of the 24 the
// rows have. Several rows run at once for independent chains: each pixel
// waits for the share its left neighbour passes right, so a single row is
// one long chain of dependent steps. A lower row runs two pixels behind the
// one above: its pixel x needs slots x + 1 and x + 2 of the error row
// between them, which the row above completes with its pixels x + 1 and
// x + 2. Every slot of a row below is written once, complete, instead of
// being cleared and then added to three times.
constexpr size_t kSlotLanes = 4;

struct LaneDiffusionRow {
    const uint8_t* pixels;
    uint8_t* out;
    int16_t* current;  // this row's error row: read, and given the right shares
    int16_t* next;     // the row below's: each slot written once, complete
    __m128i here;      // the error arriving at the next pixel
    __m128i slot;      // slot x below, still missing pixel x's below-left share
    __m128i after;     // slot x + 1 below, still missing two shares
};

inline __m128i LoadSlot(const int16_t* slot)
{
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(slot));
}

inline void StoreSlot(int16_t* slot, __m128i v)
{
    _mm_storel_epi64(reinterpret_cast<__m128i*>(slot), v);
}

// Signed division by 2^k truncating toward zero: add 2^k - 1 to negative
// values before the arithmetic shift. sign is x >> 15 (all ones or zero);
// 5e has the sign of e, so one mask serves every share.
template <int kShift>
inline __m128i TruncatingShift(__m128i x, __m128i sign)
{
    return _mm_srai_epi16(_mm_add_epi16(x, _mm_srli_epi16(sign, 16 - kShift)), kShift);
}

// The row's first pixel arrives with slot 1 of its error row, complete once
// the row above has passed its pixel 1.
inline void LaneStartRow(LaneDiffusionRow& row)
{
    row.here = LoadSlot(row.current + kSlotLanes);
    row.slot = _mm_setzero_si128();
    row.after = _mm_setzero_si128();
}

__attribute__((always_inline)) inline void LaneDiffusePixel(LaneDiffusionRow& row, int32_t x, const uint32_t* cell)
{
    int32_t bytes;
    __builtin_memcpy(&bytes, row.pixels + static_cast<size_t>(x) * 4, 4);
    const __m128i pixel = _mm_cvtepu8_epi16(_mm_cvtsi32_si128(bytes));
    const __m128i v = _mm_min_epi16(_mm_max_epi16(_mm_add_epi16(pixel, row.here), _mm_setzero_si128()),
                                    _mm_set1_epi16(255));
    // The clamped channels as bytes B, G, R in one word; the cell takes the
    // top four bits of each.
    const __m128i packed = _mm_packus_epi16(v, v);
    const uint32_t c = cell[V::CellIndex(static_cast<uint32_t>(_mm_cvtsi128_si32(packed)))];
    row.out[x] = static_cast<uint8_t>(c >> 24);
    const __m128i e = _mm_sub_epi16(v, _mm_cvtepu8_epi16(_mm_cvtsi32_si128(static_cast<int32_t>(c))));
    const __m128i sign = _mm_srai_epi16(e, 15);

    int16_t* right = row.current + (static_cast<size_t>(x) + 2) * kSlotLanes;
    const __m128i e5 = _mm_add_epi16(_mm_slli_epi16(e, 2), e);
    row.here = _mm_add_epi16(LoadSlot(right), TruncatingShift<4>(e5, sign));
    StoreSlot(right, row.here);

    if (x > 0)
        row.slot = _mm_add_epi16(row.slot, TruncatingShift<3>(e, sign));
    StoreSlot(row.next + static_cast<size_t>(x) * kSlotLanes, row.slot);
    row.slot = _mm_add_epi16(row.after, TruncatingShift<2>(e, sign));
    row.after = TruncatingShift<4>(e, sign);
}

inline void LaneEndRow(LaneDiffusionRow& row, int32_t width)
{
    int16_t* tail = row.next + static_cast<size_t>(width) * kSlotLanes;
    StoreSlot(tail, row.slot);
    StoreSlot(tail + kSlotLanes, row.after);
}

// Rows diffused at once; each one waits on its left neighbour's right share,
// so more rows in flight keep more of the processor busy.
constexpr int32_t kBandRows = 4;

// Runs count rows (at most kBandRows) of a band, row r two pixels behind row
// r - 1: at step t row r is at pixel t - 2r. Row r reads the error row that
// row r - 1 writes and writes the one that row r - 1 reads, only at slots
// row r - 1 has passed, so two error rows serve any number of rows.
__attribute__((always_inline)) inline void LaneBandStep(LaneDiffusionRow* band, int32_t count, int32_t width,
                                                        int32_t t, const uint32_t* cell)
{
    for (int32_t r = 0; r < count; r++) {
        const int32_t x = t - 2 * r;
        if (x < 0 || x >= width)
            continue;
        if (x == 0)
            LaneStartRow(band[r]);
        LaneDiffusePixel(band[r], x, cell);
        if (x == width - 1)
            LaneEndRow(band[r], width);
    }
}

void LaneDiffuseBand(LaneDiffusionRow* band, int32_t count, int32_t width, const uint32_t* cell)
{
    const int32_t steps = width + 2 * (count - 1);
    int32_t t = 0;
    if (count == kBandRows) {
        // Between the ragged start (the last row starts at step
        // 2 (kBandRows - 1)) and end every row is inside the frame and none
        // at its first or last pixel.
        for (; t <= 2 * (kBandRows - 1) && t < steps; t++)
            LaneBandStep(band, kBandRows, width, t, cell);
        for (; t < width - 1; t++) {
#pragma GCC unroll 4
            for (int32_t r = 0; r < kBandRows; r++)
                LaneDiffusePixel(band[r], t - 2 * r, cell);
        }
    }
    for (; t < steps; t++)
        LaneBandStep(band, count, width, t, cell);
}

// Leaves the error rows as the reference leaves them, three ints per slot,
// so every path's rows can be compared. Each slot moves from 8 bytes to 12
// at the same position, so going from the last slot down never overwrites
// one not yet read.
void LaneWidenRows(int32_t* errorRows, int32_t width)
{
    const size_t slots = 2 * (static_cast<size_t>(width) + 2);
    const int16_t* narrow = reinterpret_cast<const int16_t*>(errorRows);
    for (size_t s = slots; s-- > 0;) {
        const __m128i wide = _mm_cvtepi16_epi32(LoadSlot(narrow + s * kSlotLanes));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(errorRows + s * 3), wide);
        errorRows[s * 3 + 2] = _mm_extract_epi32(wide, 2);
    }
}

void LaneDiffuse(const uint8_t* pixels, int32_t width, int32_t height, const uint8_t* palette,
                 const uint8_t* cube, int32_t* errorRows, uint8_t* indices)
{
    // B | G << 8 | R << 16 | index << 24: one load gives the colour to
    // subtract, already in lane order, and the index.
    uint32_t cell[4096];
    for (int32_t i = 0; i < 4096; i++) {
        const uint32_t k = cube[i];
        cell[i] = static_cast<uint32_t>(palette[3 * k + 2]) | static_cast<uint32_t>(palette[3 * k + 1]) << 8 |
                  static_cast<uint32_t>(palette[3 * k + 0]) << 16 | k << 24;
    }
    // The rows are only ever touched through vector loads and stores, which
    // may alias anything.
    const size_t rowValues = (static_cast<size_t>(width) + 2) * kSlotLanes;
    int16_t* current = reinterpret_cast<int16_t*>(errorRows);
    int16_t* next = current + rowValues;
    for (size_t i = 0; i < rowValues; i += kSlotLanes)
        StoreSlot(current + i, _mm_setzero_si128());

    int16_t* const rows[2] = {current, next};
    const size_t stride = static_cast<size_t>(width) * 4;
    for (int32_t y = 0; y < height; y += kBandRows) {
        const int32_t count = height - y < kBandRows ? height - y : kBandRows;
        LaneDiffusionRow band[kBandRows];
        for (int32_t r = 0; r < count; r++) {
            band[r].pixels = pixels + static_cast<size_t>(y + r) * stride;
            band[r].out = indices + static_cast<size_t>(y + r) * width;
            band[r].current = rows[(y + r) & 1];
            band[r].next = rows[(y + r + 1) & 1];
        }
        LaneDiffuseBand(band, count, width, cell);
    }
    LaneWidenRows(errorRows, width);
}

}  // namespace
