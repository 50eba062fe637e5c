// The palette learning thirty-two lanes at a time. This file alone is built
// with -mavx512f -mavx512bw (see CMakeLists.txt); nothing here runs unless
// the processor and the operating system report both. The colour cube and
// the diffusion gain nothing from wider vectors: this path uses the AVX2
// ones.

#include <immintrin.h>

#include "encoder/simd_kernels.h"

namespace {

// Thirty-two 16-bit lanes; comparisons give a mask register instead of a
// vector, so keeping where a minimum was is one masked move.
struct N {
    using Reg = __m512i;
    using Mask = __mmask32;
    static constexpr int32_t kLanes = 32;
    static Reg Load(const void* p) { return _mm512_load_si512(p); }
    static Reg LoadUnaligned(const void* p) { return _mm512_loadu_si512(p); }
    static void Store(void* p, Reg v) { _mm512_store_si512(p, v); }
    static Reg Set1(int32_t v) { return _mm512_set1_epi16(static_cast<int16_t>(v)); }
    static Reg Ramp()
    {
        return _mm512_set_epi16(31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13, 12,
                                11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    }
    static Reg Add(Reg a, Reg b) { return _mm512_add_epi16(a, b); }
    static Reg Sub(Reg a, Reg b) { return _mm512_sub_epi16(a, b); }
    static Reg Abs(Reg a) { return _mm512_abs_epi16(a); }
    static Reg Min(Reg a, Reg b) { return _mm512_min_epi16(a, b); }
    static Mask Greater(Reg a, Reg b) { return _mm512_cmpgt_epi16_mask(a, b); }
    static Reg Select(Mask mask, Reg ifSet, Reg ifClear) { return _mm512_mask_mov_epi16(ifClear, mask, ifSet); }
    static Reg Or(Reg a, Reg b) { return _mm512_or_si512(a, b); }
    static Reg MulLow(Reg a, Reg b) { return _mm512_mullo_epi16(a, b); }
    static Reg MulHighUnsigned(Reg a, Reg b) { return _mm512_mulhi_epu16(a, b); }
    // a with the sign of sign, 0 where sign is 0 (AVX-512 has no sign
    // instruction): negate where sign < 0, clear where sign == 0.
    static Reg ApplySign(Reg a, Reg sign)
    {
        const Reg zero = _mm512_setzero_si512();
        const Reg negated = _mm512_mask_sub_epi16(a, _mm512_cmplt_epi16_mask(sign, zero), zero, a);
        return _mm512_maskz_mov_epi16(_mm512_cmpneq_epi16_mask(sign, zero), negated);
    }
    template <int kBits>
    static Reg ShiftLeft(Reg a) { return _mm512_slli_epi16(a, kBits); }
    template <int kBits>  // logical: the frequency excess uses all 16 bits
    static Reg ShiftRight(Reg a) { return _mm512_srli_epi16(a, kBits); }
    // The neuron of the smallest value, the lowest neuron on a tie: each
    // (value, neuron) pair becomes the 32-bit value << 16 | neuron.
    static int32_t MinPosition(Reg value, Reg neuron)
    {
        // The zero-masked forms: GCC 12's plain ones read an undefined
        // vector and warn about it.
        const __m512i keys = _mm512_maskz_min_epi32(0xFFFF, _mm512_unpacklo_epi16(neuron, value),
                                                    _mm512_unpackhi_epi16(neuron, value));
        __m256i m = _mm256_min_epi32(_mm512_maskz_extracti64x4_epi64(0xF, keys, 0),
                                     _mm512_maskz_extracti64x4_epi64(0xF, keys, 1));
        __m128i q = _mm_min_epi32(_mm256_castsi256_si128(m), _mm256_extracti128_si256(m, 1));
        q = _mm_min_epi32(q, _mm_shuffle_epi32(q, _MM_SHUFFLE(1, 0, 3, 2)));
        q = _mm_min_epi32(q, _mm_shuffle_epi32(q, _MM_SHUFFLE(2, 3, 0, 1)));
        return _mm_cvtsi128_si32(q) & 0xFFFF;
    }
};

}  // namespace

#include "encoder/simd_learning.h"

void QuantizerLearnAvx512(const uint8_t* pixels, int32_t pixelCount, uint8_t* palette)
{
    NarrowLearn(pixels, pixelCount, palette);
}
