#pragma once
// Frames for tests, benchmarks and the sample animation: content that looks
// like a screen (flat window areas, text-like strokes, a gradient title bar,
// a moving element) and noise that defeats every compressor.

#include <cstddef>
#include <cstdint>
#include <vector>

// width x height pixels B, G, R, X; frame moves the animated parts.
std::vector<uint8_t> ScreenLikeFrame(int32_t width, int32_t height, int32_t frame);

// Every byte drawn from a fixed-seed generator, so runs repeat exactly.
std::vector<uint8_t> NoiseFrame(int32_t width, int32_t height, uint32_t seed);

// One colour everywhere, fourth byte 0.
std::vector<uint8_t> FlatFrame(int32_t width, int32_t height, uint8_t b, uint8_t g, uint8_t r);

// Smooth colour ramps across the frame: every byte value of each channel,
// so diffusion errors of both signs run along whole rows.
std::vector<uint8_t> GradientFrame(int32_t width, int32_t height);

// Like a photograph: large soft shapes in many colours with fine grain on
// top, so most neighbouring pixels differ a little and LZW finds few repeats.
std::vector<uint8_t> PhotoLikeFrame(int32_t width, int32_t height, uint32_t seed);
