#pragma once
// Learns one frame's 256-colour palette with a Kohonen self-organising
// network (the NeuQuant scheme in an integer variant). Every call starts from
// the same initial state, so equal frames give equal palettes.

#include <cstdint>

// How far and how strongly one sample pulls the network. It shrinks at the
// end of every learning cycle; kept apart so its course can be checked alone.
struct QuantizerSchedule {
    int32_t alpha;         // learning rate, units of 1/1024
    int32_t radius;        // units of 1/64 neuron
    int32_t rad;           // whole neurons; 0 once only the winner moves
    int32_t radpower[32];  // neighbour weight by distance, units of 1/2048
};

// The schedule every frame's learning starts from.
void ResetQuantizerSchedule(QuantizerSchedule* schedule);

// Lowers the rate and the radius at the end of one learning cycle.
void EndQuantizerCycle(QuantizerSchedule* schedule);

// pixels: pixelCount 32-bit pixels B, G, R, X (pixelCount >= 1).
// palette: receives 768 bytes, entry i = R, G, B in neuron order, unsorted.
// Not re-entrant: the learning state is shared by the process. Runs the
// active encoder path (encoder_paths.h); every path gives the same bytes.
void QuantizerLearn(const uint8_t* pixels, int32_t pixelCount, uint8_t* palette);

// The reference path: one neuron at a time, plain integer code.
void QuantizerLearnScalar(const uint8_t* pixels, int32_t pixelCount, uint8_t* palette);

// Distance in pixels between successive samples: a prime near 500 that does
// not divide the pixel count, so the walk reaches every pixel before it
// repeats one.
int32_t QuantizerSampleStep(int32_t pixelCount);
