#pragma once
// Learns one frame's 256-colour palette with a Kohonen self-organising
// network (the NeuQuant scheme in an integer variant). Every call starts from
// the same initial state, so equal frames give equal palettes.

#include <cstdint>

// pixels: pixelCount 32-bit pixels B, G, R, X (pixelCount >= 1).
// palette: receives 768 bytes, entry i = R, G, B in neuron order, unsorted.
// Not re-entrant: the learning state is shared by the process.
void QuantizerLearn(const uint8_t* pixels, int32_t pixelCount, uint8_t* palette);

// Distance in pixels between successive samples: a prime near 500 that does
// not divide the pixel count, so the walk reaches every pixel before it
// repeats one.
int32_t QuantizerSampleStep(int32_t pixelCount);
