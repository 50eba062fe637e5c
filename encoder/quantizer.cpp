#include "encoder/quantizer.h"

#include <cstdlib>

#include "encoder/encoder_paths.h"

namespace {

constexpr int32_t kNeurons = 256;
constexpr int32_t kRadPowerSize = 32;

// Process-wide learning state, reset at the start of every call.
struct QuantizerState {
    int32_t network[kNeurons][3];  // B, G, R, each colour value x 16
    int32_t bias[kNeurons];        // units of 1/65536
    int32_t freq[kNeurons];        // 65536 = wins always
    QuantizerSchedule schedule;
};

QuantizerState state;

void ResetState()
{
    for (int32_t i = 0; i < kNeurons; i++) {
        // Colour i / 16, not 16 x i: every neuron starts in the darkest sixteenth.
        state.network[i][0] = state.network[i][1] = state.network[i][2] = i;
        state.bias[i] = 0;
        state.freq[i] = 256;
    }
    ResetQuantizerSchedule(&state.schedule);
}

// Frequency-biased competition: returns the biased winner, and rewards the
// closest neuron so that rarely winning neurons catch up.
inline int32_t Contest(int32_t b, int32_t g, int32_t r)
{
    int32_t bestd = INT32_MAX;
    int32_t bestbiasd = INT32_MAX;
    int32_t bestpos = 0;
    int32_t bestbiaspos = 0;
    for (int32_t i = 0; i < kNeurons; i++) {
        const int32_t* n = state.network[i];
        int32_t dist = std::abs(n[0] - b) + std::abs(n[1] - g) + std::abs(n[2] - r);
        if (dist < bestd) {
            bestd = dist;
            bestpos = i;
        }
        int32_t biasdist = dist - (state.bias[i] >> 12);
        if (biasdist < bestbiasd) {
            bestbiasd = biasdist;
            bestbiaspos = i;
        }
        int32_t betafreq = state.freq[i] >> 10;
        state.freq[i] -= betafreq;
        state.bias[i] += betafreq * 1024;
    }
    state.freq[bestpos] += 64;
    state.bias[bestpos] -= 65536;
    return bestbiaspos;
}

inline void MoveWinner(int32_t j, int32_t b, int32_t g, int32_t r)
{
    int32_t* n = state.network[j];
    n[0] -= (state.schedule.alpha * (n[0] - b)) / 1024;
    n[1] -= (state.schedule.alpha * (n[1] - g)) / 1024;
    n[2] -= (state.schedule.alpha * (n[2] - r)) / 1024;
}

inline void MoveNeighbour(int32_t* n, int32_t a, int32_t b, int32_t g, int32_t r)
{
    n[0] -= ((n[0] - b) * a) / 2048;
    n[1] -= ((n[1] - g) * a) / 2048;
    n[2] -= ((n[2] - r) * a) / 2048;
}

// The upper neighbour at each distance moves before the lower one.
void MoveNeighbours(int32_t j, int32_t b, int32_t g, int32_t r)
{
    const int32_t rad = state.schedule.rad;
    int32_t lo = j - rad;
    if (lo < 0)
        lo = -1;
    int32_t hi = j + rad < kNeurons ? j + rad : kNeurons;
    int32_t up = j + 1;
    int32_t down = j - 1;
    int32_t m = 1;
    while (up < hi || down > lo) {
        int32_t a = state.schedule.radpower[m++];
        if (up < hi)
            MoveNeighbour(state.network[up++], a, b, g, r);
        if (down > lo)
            MoveNeighbour(state.network[down--], a, b, g, r);
    }
}

inline uint8_t ClampToByte(int32_t v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

}  // namespace

void ResetQuantizerSchedule(QuantizerSchedule* schedule)
{
    for (int32_t m = 0; m < kRadPowerSize; m++)
        schedule->radpower[m] = 2 * (1024 - m * m);
    schedule->alpha = 1024;
    schedule->radius = 2048;
    schedule->rad = 32;
}

void EndQuantizerCycle(QuantizerSchedule* schedule)
{
    schedule->alpha -= schedule->alpha / 21;
    schedule->radius -= 30;
    if (schedule->radius <= 127) {
        // Only the winner moves from now on; the weights are left as they are.
        schedule->rad = 0;
        return;
    }
    schedule->rad = schedule->radius >> 6;
    int32_t rad2 = schedule->rad * schedule->rad;
    for (int32_t m = 0; m < schedule->rad; m++)
        schedule->radpower[m] = ((rad2 - m * m) * schedule->alpha * 2) / rad2;
}

int32_t QuantizerSampleStep(int32_t pixelCount)
{
    // The byte length is 4 x pixelCount and these primes are odd, so testing
    // the pixel count is the same as testing the byte length.
    if (pixelCount % 499 != 0)
        return 499;
    if (pixelCount % 491 != 0)
        return 491;
    if (pixelCount % 487 != 0)
        return 487;
    return 503;
}

void QuantizerLearn(const uint8_t* pixels, int32_t pixelCount, uint8_t* palette)
{
    encoderKernels.learn(pixels, pixelCount, palette);
}

void QuantizerLearnScalar(const uint8_t* pixels, int32_t pixelCount, uint8_t* palette)
{
    ResetState();

    // One sample per ten pixels (byte length / 40), about 100 cycles.
    int32_t samples = pixelCount >= 10 ? pixelCount / 10 : 1;
    int32_t delta = pixelCount / 1000;
    if (delta == 0)
        delta = 1;
    int32_t step = QuantizerSampleStep(pixelCount);

    int32_t position = 0;
    for (int32_t k = 0; k < samples;) {
        const uint8_t* p = pixels + static_cast<int64_t>(position) * 4;
        int32_t b = p[0] << 4;
        int32_t g = p[1] << 4;
        int32_t r = p[2] << 4;

        int32_t j = Contest(b, g, r);
        MoveWinner(j, b, g, r);
        if (state.schedule.rad != 0)
            MoveNeighbours(j, b, g, r);

        position += step;
        if (position >= pixelCount)
            position %= pixelCount;

        k++;
        if (k % delta == 0)
            EndQuantizerCycle(&state.schedule);
    }

    for (int32_t i = 0; i < kNeurons; i++) {
        palette[3 * i + 0] = ClampToByte(state.network[i][2] >> 4);
        palette[3 * i + 1] = ClampToByte(state.network[i][1] >> 4);
        palette[3 * i + 2] = ClampToByte(state.network[i][0] >> 4);
    }
}
