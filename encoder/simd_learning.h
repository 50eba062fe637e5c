#pragma once
// The palette learning over a vector of 16-bit lanes, for the files that
// compile it for one instruction set each (simd_sse41.cpp, simd_avx2.cpp,
// simd_avx512.cpp).
// Each of those defines a struct N with the operations below and includes
// this header after it. Same linkage rules as simd_stages.h.
//
// The results equal the reference path's byte for byte. Sixteen bits hold
// every value the learning ever has:
// - a colour value x 16 stays within 0..4080, because each move takes a
//   neuron at most all the way to a sample (its weight is at most 2048 of
//   2048) and the start values are 0..255; so a distance is at most 12240;
// - the bias is not kept at all. Every step that changes a neuron's
//   frequency changes its bias by -1024 times as much (the decay moves beta
//   from one to the other, a win adds 64 and takes 65536), so
//   bias = 1024 x (256 - freq) always, and bias >> 12 is -ceil(excess / 4)
//   with excess = freq - 256;
// - the frequency never drops below 256 (it decays only from 1024 up, to no
//   less than 1023) and never passes 65536 (from below, a win adds at most
//   64 - freq / 1024 more than the decay takes; from 65536 on, the two
//   cancel), so the excess is 0..65280 and a biased distance at most 28560.

#include <cstdint>

#include "encoder/quantizer.h"

namespace {

constexpr int32_t kLearnNeurons = 256;
// weight[kWeightCentre + (neuron - winner)] is the pull on that neuron.
constexpr int32_t kWeightCentre = 64;
constexpr int32_t kWeights = 128;

// Structure of arrays, so one load gives the same component of N::kLanes
// neurons. Static like the reference's state: one frame learns at a time.
struct alignas(64) NarrowQuantizerState {
    int16_t b[kLearnNeurons];  // colour value x 16
    int16_t g[kLearnNeurons];
    int16_t r[kLearnNeurons];
    uint16_t excess[kLearnNeurons];  // freq - 256; 65536 = wins always
    int16_t weight[kWeights];
    QuantizerSchedule schedule;
};

NarrowQuantizerState narrow;

// A move window starts up to N::kLanes - 1 neurons before the radius's
// first neuron (rad - 1 before the winner, rad at most 32) and ends as far
// past its last.
static_assert(kWeightCentre >= 30 + N::kLanes && kWeightCentre + 30 + N::kLanes <= kWeights,
              "every move window's weights lie inside the table");

// The winner moves by alpha / 1024 of its distance and a neighbour at
// distance m by radpower[m] / 2048. (alpha x d) / 1024 and (2 alpha x d) /
// 2048 truncate to the same integer, so the winner is the window's centre
// with weight 2 alpha and one formula moves them all.
void NarrowWeights()
{
    const QuantizerSchedule& s = narrow.schedule;
    for (int32_t k = 0; k < kWeights; k++)
        narrow.weight[k] = 0;
    narrow.weight[kWeightCentre] = static_cast<int16_t>(2 * s.alpha);
    for (int32_t m = 1; m < s.rad; m++) {
        narrow.weight[kWeightCentre + m] = static_cast<int16_t>(s.radpower[m]);
        narrow.weight[kWeightCentre - m] = static_cast<int16_t>(s.radpower[m]);
    }
}

void NarrowReset()
{
    for (int32_t i = 0; i < kLearnNeurons; i++) {
        narrow.b[i] = narrow.g[i] = narrow.r[i] = static_cast<int16_t>(i);
        narrow.excess[i] = 0;
    }
    ResetQuantizerSchedule(&narrow.schedule);
    NarrowWeights();
}

// Returns the biased winner; rewards the closest neuron, and lets every
// neuron's frequency decay, as the reference does. Each lane keeps its own
// two minima and where they were, replaced only by a strictly smaller
// distance, so within a lane the lowest neuron wins a tie; across lanes the
// same holds because N::MinPosition compares (distance, neuron) pairs.
inline int32_t NarrowContest(int32_t b, int32_t g, int32_t r)
{
    using R = typename N::Reg;
    const R sb = N::Set1(b), sg = N::Set1(g), sr = N::Set1(r);
    const R step = N::Set1(N::kLanes);
    const R three = N::Set1(3), quarterOfBase = N::Set1(64);
    R neuron = N::Ramp();
    R best = N::Set1(INT16_MAX), bestAt = N::Set1(0);
    R bestBiased = N::Set1(INT16_MAX), bestBiasedAt = N::Set1(0);
#pragma GCC unroll 4
    for (int32_t i = 0; i < kLearnNeurons; i += N::kLanes) {
        const R dist = N::Add(N::Add(N::Abs(N::Sub(N::Load(narrow.b + i), sb)),
                                     N::Abs(N::Sub(N::Load(narrow.g + i), sg))),
                              N::Abs(N::Sub(N::Load(narrow.r + i), sr)));
        bestAt = N::Select(N::Greater(best, dist), neuron, bestAt);
        best = N::Min(best, dist);
        // dist - (bias >> 12) with the bias before this sample's decay.
        const R excess = N::Load(narrow.excess + i);
        const R biased = N::Add(dist, N::ShiftRight<2>(N::Add(excess, three)));
        bestBiasedAt = N::Select(N::Greater(bestBiased, biased), neuron, bestBiasedAt);
        bestBiased = N::Min(bestBiased, biased);
        // beta = freq >> 10 = ((excess >> 2) + 64) >> 8, without passing 16 bits.
        const R beta = N::ShiftRight<8>(N::Add(N::ShiftRight<2>(excess), quarterOfBase));
        N::Store(narrow.excess + i, N::Sub(excess, beta));
        neuron = N::Add(neuron, step);
    }
    const int32_t bestpos = N::MinPosition(best, bestAt);
    narrow.excess[bestpos] = static_cast<uint16_t>(narrow.excess[bestpos] + 64);
    return N::MinPosition(bestBiased, bestBiasedAt);
}

// component -= ((component - target) x weight) / 2048, truncating toward
// zero as in the reference: the magnitude's quotient (at most 24 bits of
// product, taken from its high and low halves) given the difference's sign.
inline void NarrowMoveComponent(int16_t* component, typename N::Reg target, typename N::Reg weight)
{
    using R = typename N::Reg;
    const R n = N::Load(component);
    const R d = N::Sub(n, target);
    const R magnitude = N::Abs(d);
    const R quotient = N::Or(N::ShiftLeft<5>(N::MulHighUnsigned(magnitude, weight)),
                             N::ShiftRight<11>(N::MulLow(magnitude, weight)));
    N::Store(component, N::Sub(n, N::ApplySign(quotient, d)));
}

// Moves the winner j and its neighbours within the radius. The window starts
// on a lane boundary and never passes neuron 255; its weight is 0 outside
// the radius, which leaves those neurons unchanged.
inline void NarrowMove(int32_t j, int32_t b, int32_t g, int32_t r)
{
    using R = typename N::Reg;
    const int32_t rad = narrow.schedule.rad;
    int32_t first = rad != 0 ? j - rad + 1 : j;
    if (first < 0)
        first = 0;
    first &= ~(N::kLanes - 1);
    int32_t last = rad != 0 ? j + rad - 1 : j;
    if (last > kLearnNeurons - 1)
        last = kLearnNeurons - 1;
    const R sb = N::Set1(b), sg = N::Set1(g), sr = N::Set1(r);
    for (int32_t i = first; i <= last; i += N::kLanes) {
        const R weight = N::LoadUnaligned(narrow.weight + kWeightCentre + i - j);
        NarrowMoveComponent(narrow.b + i, sb, weight);
        NarrowMoveComponent(narrow.g + i, sg, weight);
        NarrowMoveComponent(narrow.r + i, sr, weight);
    }
}

// The sampling walk and the schedule exactly as in QuantizerLearnScalar.
void NarrowLearn(const uint8_t* pixels, int32_t pixelCount, uint8_t* palette)
{
    NarrowReset();
    const int32_t samples = pixelCount >= 10 ? pixelCount / 10 : 1;
    int32_t delta = pixelCount / 1000;
    if (delta == 0)
        delta = 1;
    const int32_t step = QuantizerSampleStep(pixelCount);

    // A countdown to the end of the cycle instead of k % delta: a division
    // per sample that the reference pays and this path need not.
    int32_t position = 0;
    int32_t untilCycleEnd = delta;
    // The walk jumps about 2 KB per sample, so nearly every sample is a new
    // cache line and every other one a new page, which the processor does
    // not fetch ahead by itself; a second walker some samples in front
    // asks for the line early.
    constexpr int32_t kFetchAhead = 8;
    int32_t ahead = 0;
    for (int32_t k = 0; k < kFetchAhead; k++) {
        ahead += step;
        if (ahead >= pixelCount)
            ahead %= pixelCount;
    }
    for (int32_t k = 0; k < samples; k++) {
        __builtin_prefetch(pixels + static_cast<int64_t>(ahead) * 4);
        ahead += step;
        if (ahead >= pixelCount)
            ahead %= pixelCount;
        const uint8_t* p = pixels + static_cast<int64_t>(position) * 4;
        const int32_t b = p[0] << 4;
        const int32_t g = p[1] << 4;
        const int32_t r = p[2] << 4;
        NarrowMove(NarrowContest(b, g, r), b, g, r);

        position += step;
        if (position >= pixelCount)
            position %= pixelCount;
        if (--untilCycleEnd == 0) {
            untilCycleEnd = delta;
            EndQuantizerCycle(&narrow.schedule);
            NarrowWeights();
        }
    }

    // Every value is within 0..4080, so >> 4 is already a byte.
    for (int32_t i = 0; i < kLearnNeurons; i++) {
        palette[3 * i + 0] = static_cast<uint8_t>(narrow.r[i] >> 4);
        palette[3 * i + 1] = static_cast<uint8_t>(narrow.g[i] >> 4);
        palette[3 * i + 2] = static_cast<uint8_t>(narrow.b[i] >> 4);
    }
}

}  // namespace
