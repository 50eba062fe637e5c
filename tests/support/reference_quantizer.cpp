#include "tests/support/reference_quantizer.h"

#include <array>
#include <cstdlib>

namespace {

// Quotient rounded toward zero, spelled out on magnitudes so that the result
// does not rest on how any particular expression is compiled.
int32_t TruncDiv(int32_t numerator, int32_t denominator)
{
    const int32_t magnitude = std::abs(numerator) / std::abs(denominator);
    const bool negative = (numerator < 0) != (denominator < 0);
    return negative ? -magnitude : magnitude;
}

// An arithmetic right shift: division by 2^bits rounded toward minus
// infinity, so -1 stays -1 and -4097 shifted by 12 is -2.
int32_t FloorShift(int32_t value, int bits)
{
    const int32_t unit = int32_t{1} << bits;
    if (value >= 0)
        return value / unit;
    return -((-value + unit - 1) / unit);
}

int32_t ClampTo(int32_t value, int32_t low, int32_t high)
{
    if (value < low)
        return low;
    if (value > high)
        return high;
    return value;
}

struct Neuron {
    int32_t blue, green, red;  // colour x 16
    int32_t bias;              // 1/65536
    int32_t freq;              // 65536 = always wins
};

struct Sample {
    int32_t blue, green, red;  // colour x 16
};

// Pulls one component towards its target by numerator/denominator of the
// distance, truncated.
void Pull(int32_t& component, int32_t target, int32_t numerator, int32_t denominator)
{
    component -= TruncDiv(numerator * (component - target), denominator);
}

void PullNeuron(Neuron& n, const Sample& s, int32_t numerator, int32_t denominator)
{
    Pull(n.blue, s.blue, numerator, denominator);
    Pull(n.green, s.green, numerator, denominator);
    Pull(n.red, s.red, numerator, denominator);
}

class Learner {
public:
    Learner()
    {
        for (int32_t i = 0; i < 256; i++)
            neurons_[i] = Neuron{i, i, i, 0, 256};
        for (int32_t m = 0; m < 32; m++)
            radpower_[m] = 2 * (1024 - m * m);
    }

    void Learn(const Sample& s)
    {
        const int32_t winner = Compete(s);
        PullNeuron(neurons_[winner], s, alpha_, 1024);
        if (rad_ != 0)
            PullNeighbours(winner, s);
    }

    void EndCycle()
    {
        alpha_ = alpha_ - TruncDiv(alpha_, 21);
        radius_ = radius_ - 30;
        if (radius_ <= 127) {
            // From here on only the winner moves; the weights are left as
            // they were.
            rad_ = 0;
            return;
        }
        rad_ = FloorShift(radius_, 6);
        const int32_t radSquared = rad_ * rad_;
        for (int32_t m = 0; m < rad_; m++)
            radpower_[m] = TruncDiv((radSquared - m * m) * alpha_ * 2, radSquared);
    }

    const Neuron& neuron(int32_t i) const { return neurons_[i]; }

private:
    // Returns the biased winner; the unbiased closest neuron is rewarded.
    int32_t Compete(const Sample& s)
    {
        int32_t closest = 0, closestDistance = 2147483647;
        int32_t biased = 0, biasedDistance = 2147483647;
        for (int32_t i = 0; i < 256; i++) {
            Neuron& n = neurons_[i];
            const int32_t distance =
                std::abs(n.blue - s.blue) + std::abs(n.green - s.green) + std::abs(n.red - s.red);
            if (distance < closestDistance) {
                closestDistance = distance;
                closest = i;
            }
            const int32_t withBias = distance - FloorShift(n.bias, 12);
            if (withBias < biasedDistance) {
                biasedDistance = withBias;
                biased = i;
            }
            const int32_t betafreq = FloorShift(n.freq, 10);
            n.freq = n.freq - betafreq;
            n.bias = n.bias + betafreq * 1024;
        }
        neurons_[closest].freq += 64;
        neurons_[closest].bias -= 65536;
        return biased;
    }

    // Neighbours at distance 1, 2, ... on both sides, upper before lower at
    // each distance; the ends of the network cut the walk short.
    void PullNeighbours(int32_t winner, const Sample& s)
    {
        int32_t lowestExcluded = winner - rad_;
        if (lowestExcluded < 0)
            lowestExcluded = -1;
        int32_t highestExcluded = winner + rad_;
        if (highestExcluded > 256)
            highestExcluded = 256;
        for (int32_t distance = 1;; distance++) {
            const int32_t above = winner + distance;
            const int32_t below = winner - distance;
            const bool moveAbove = above < highestExcluded;
            const bool moveBelow = below > lowestExcluded;
            if (!moveAbove && !moveBelow)
                break;
            if (moveAbove)
                PullNeuron(neurons_[above], s, radpower_[distance], 2048);
            if (moveBelow)
                PullNeuron(neurons_[below], s, radpower_[distance], 2048);
        }
    }

    std::array<Neuron, 256> neurons_;
    std::array<int32_t, 32> radpower_;
    int32_t alpha_ = 1024;
    int32_t radius_ = 2048;
    int32_t rad_ = 32;
};

}  // namespace

std::vector<uint8_t> ReferenceLearnPalette(const uint8_t* pixels, int32_t pixelCount)
{
    // The walk is measured in bytes of the frame, as is the step.
    const int32_t length = 4 * pixelCount;
    const int32_t samples = length > 39 ? TruncDiv(length, 40) : 1;
    int32_t delta = TruncDiv(pixelCount, 1000);
    if (delta == 0)
        delta = 1;
    int32_t step = 2012;
    if (length % 499 != 0)
        step = 1996;
    else if (length % 491 != 0)
        step = 1964;
    else if (length % 487 != 0)
        step = 1948;

    Learner learner;
    int32_t offset = 0;
    int32_t taken = 0;
    do {
        const uint8_t* p = pixels + offset;
        learner.Learn(Sample{p[0] * 16, p[1] * 16, p[2] * 16});
        offset += step;
        while (offset >= length)
            offset -= length;
        taken++;
        if (taken % delta == 0)
            learner.EndCycle();
    } while (taken != samples);

    std::vector<uint8_t> palette(768);
    for (int32_t i = 0; i < 256; i++) {
        const Neuron& n = learner.neuron(i);
        palette[3 * i + 0] = static_cast<uint8_t>(ClampTo(FloorShift(n.red, 4), 0, 255));
        palette[3 * i + 1] = static_cast<uint8_t>(ClampTo(FloorShift(n.green, 4), 0, 255));
        palette[3 * i + 2] = static_cast<uint8_t>(ClampTo(FloorShift(n.blue, 4), 0, 255));
    }
    return palette;
}

std::vector<uint8_t> ReferenceColourCube(const std::vector<uint8_t>& palette)
{
    std::vector<uint8_t> cube(4096);
    for (int32_t cell = 0; cell < 4096; cell++) {
        const int32_t red = 17 * (cell / 256);
        const int32_t green = 17 * (cell / 16 % 16);
        const int32_t blue = 17 * (cell % 16);
        int32_t chosen = -1;
        int32_t chosenDistance = 0;
        for (int32_t k = 0; k < 256; k++) {
            const int32_t dr = red - palette[3 * k];
            const int32_t dg = green - palette[3 * k + 1];
            const int32_t db = blue - palette[3 * k + 2];
            const int32_t distance = dr * dr + dg * dg + db * db;
            if (chosen < 0 || distance < chosenDistance) {
                chosen = k;
                chosenDistance = distance;
            }
        }
        cube[cell] = static_cast<uint8_t>(chosen);
    }
    return cube;
}

std::vector<uint8_t> ReferenceDiffuse(const uint8_t* pixels, int32_t width, int32_t height,
                                      const std::vector<uint8_t>& palette,
                                      const std::vector<uint8_t>& cube)
{
    // The error of every pixel of the frame at once, plus one row below the
    // last and one column either side; [channel] is 0 blue, 1 green, 2 red.
    // Column c holds pixel c - 1, so the edges need no tests when giving.
    const int32_t columns = width + 2;
    std::vector<std::array<int32_t, 3>> error(static_cast<size_t>(height + 1) * columns,
                                              std::array<int32_t, 3>{0, 0, 0});
    auto at = [&](int32_t row, int32_t column) -> std::array<int32_t, 3>& {
        return error[static_cast<size_t>(row) * columns + column];
    };

    std::vector<uint8_t> indices(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; y++) {
        for (int32_t x = 0; x < width; x++) {
            const uint8_t* p = pixels + (static_cast<size_t>(y) * width + x) * 4;
            int32_t value[3];
            for (int c = 0; c < 3; c++)
                value[c] = ClampTo(p[c] + at(y, x + 1)[c], 0, 255);
            const int32_t k = cube[(value[2] / 16) * 256 + (value[1] / 16) * 16 + value[0] / 16];
            indices[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(k);

            // Palette entries are R, G, B; pixel channels B, G, R.
            const int32_t chosen[3] = {palette[3 * k + 2], palette[3 * k + 1], palette[3 * k]};
            for (int c = 0; c < 3; c++) {
                const int32_t e = value[c] - chosen[c];
                at(y, x + 2)[c] += TruncDiv(5 * e, 16);
                if (x > 0)
                    at(y + 1, x)[c] += TruncDiv(e, 8);
                at(y + 1, x + 1)[c] += TruncDiv(e, 4);
                at(y + 1, x + 2)[c] += TruncDiv(e, 16);
            }
        }
    }
    return indices;
}
