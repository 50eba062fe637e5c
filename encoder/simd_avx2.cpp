// The palette learning sixteen lanes at a time, the colour cube eight. This file
// alone is built with -mavx2 -mbmi2 (see CMakeLists.txt); nothing here runs
// unless the processor and the operating system report AVX2 and BMI2.

#include <immintrin.h>

#include "encoder/simd_kernels.h"

namespace {

struct V {
    using Reg = __m256i;
    static constexpr int32_t kLanes = 8;
    static Reg Load(const int32_t* p) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(p)); }
    static Reg LoadUnaligned(const int32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static void Store(int32_t* p, Reg v) { _mm256_store_si256(reinterpret_cast<__m256i*>(p), v); }
    static Reg Set1(int32_t v) { return _mm256_set1_epi32(v); }
    static Reg Ramp() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }
    static Reg Add(Reg a, Reg b) { return _mm256_add_epi32(a, b); }
    static Reg Sub(Reg a, Reg b) { return _mm256_sub_epi32(a, b); }
    static Reg Abs(Reg a) { return _mm256_abs_epi32(a); }
    static Reg Min(Reg a, Reg b) { return _mm256_min_epi32(a, b); }
    static Reg And(Reg a, Reg b) { return _mm256_and_si256(a, b); }
    static Reg Or(Reg a, Reg b) { return _mm256_or_si256(a, b); }
    static Reg MulLow(Reg a, Reg b) { return _mm256_mullo_epi32(a, b); }
    template <int kBits>
    static Reg ShiftLeft(Reg a) { return _mm256_slli_epi32(a, kBits); }
    template <int kBits>  // arithmetic
    static Reg ShiftRight(Reg a) { return _mm256_srai_epi32(a, kBits); }
    static int32_t MinLane(Reg a)
    {
        __m128i m = _mm_min_epi32(_mm256_castsi256_si128(a), _mm256_extracti128_si256(a, 1));
        m = _mm_min_epi32(m, _mm_shuffle_epi32(m, _MM_SHUFFLE(1, 0, 3, 2)));
        m = _mm_min_epi32(m, _mm_shuffle_epi32(m, _MM_SHUFFLE(2, 3, 0, 1)));
        return _mm_cvtsi128_si32(m);
    }
    // The colour cube cell of bytes B, G, R (low to high): the top four bits
    // of each, R highest, gathered by one BMI2 instruction.
    static uint32_t CellIndex(uint32_t bytes) { return _pext_u32(bytes, 0x00F0F0F0u); }
};

// Sixteen 16-bit lanes, for the palette learning.
struct N {
    using Reg = __m256i;
    static constexpr int32_t kLanes = 16;
    static Reg Load(const void* p) { return _mm256_load_si256(static_cast<const __m256i*>(p)); }
    static Reg LoadUnaligned(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
    static void Store(void* p, Reg v) { _mm256_store_si256(static_cast<__m256i*>(p), v); }
    static Reg Set1(int32_t v) { return _mm256_set1_epi16(static_cast<int16_t>(v)); }
    static Reg Ramp() { return _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15); }
    static Reg Add(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
    static Reg Sub(Reg a, Reg b) { return _mm256_sub_epi16(a, b); }
    static Reg Abs(Reg a) { return _mm256_abs_epi16(a); }
    static Reg Min(Reg a, Reg b) { return _mm256_min_epi16(a, b); }
    static Reg Greater(Reg a, Reg b) { return _mm256_cmpgt_epi16(a, b); }
    static Reg Select(Reg mask, Reg ifSet, Reg ifClear) { return _mm256_blendv_epi8(ifClear, ifSet, mask); }
    static Reg Or(Reg a, Reg b) { return _mm256_or_si256(a, b); }
    static Reg MulLow(Reg a, Reg b) { return _mm256_mullo_epi16(a, b); }
    static Reg MulHighUnsigned(Reg a, Reg b) { return _mm256_mulhi_epu16(a, b); }
    static Reg ApplySign(Reg a, Reg sign) { return _mm256_sign_epi16(a, sign); }
    template <int kBits>
    static Reg ShiftLeft(Reg a) { return _mm256_slli_epi16(a, kBits); }
    template <int kBits>  // logical: the frequency excess uses all 16 bits
    static Reg ShiftRight(Reg a) { return _mm256_srli_epi16(a, kBits); }
    // The neuron of the smallest value, the lowest neuron on a tie: each
    // (value, neuron) pair becomes the 32-bit value << 16 | neuron.
    static int32_t MinPosition(Reg value, Reg neuron)
    {
        const __m256i keys = _mm256_min_epi32(_mm256_unpacklo_epi16(neuron, value),
                                              _mm256_unpackhi_epi16(neuron, value));
        return V::MinLane(keys) & 0xFFFF;
    }
};

}  // namespace

#include "encoder/simd_learning.h"
#include "encoder/simd_stages.h"

void QuantizerLearnAvx2(const uint8_t* pixels, int32_t pixelCount, uint8_t* palette)
{
    NarrowLearn(pixels, pixelCount, palette);
}

void BuildColourCubeAvx2(const uint8_t* palette, uint8_t* cube)
{
    LaneCube(palette, cube);
}

void DiffuseToIndicesAvx2(const uint8_t* pixels, int32_t width, int32_t height, const uint8_t* palette,
                          const uint8_t* cube, int32_t* errorRows, uint8_t* indices)
{
    LaneDiffuse(pixels, width, height, palette, cube, errorRows, indices);
}
