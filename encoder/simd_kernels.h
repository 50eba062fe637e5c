#pragma once
// Stage functions compiled for one instruction set each. Call them only when
// EncoderPathSupported says the processor can run them; EncoderKernels picks
// them. Same contracts as QuantizerLearn, BuildColourCube and
// DiffuseToIndices.

#include <cstdint>

void QuantizerLearnSse41(const uint8_t* pixels, int32_t pixelCount, uint8_t* palette);
void BuildColourCubeSse41(const uint8_t* palette, uint8_t* cube);
void DiffuseToIndicesSse41(const uint8_t* pixels, int32_t width, int32_t height, const uint8_t* palette,
                           const uint8_t* cube, int32_t* errorRows, uint8_t* indices);

void QuantizerLearnAvx512(const uint8_t* pixels, int32_t pixelCount, uint8_t* palette);

void QuantizerLearnAvx2(const uint8_t* pixels, int32_t pixelCount, uint8_t* palette);
void BuildColourCubeAvx2(const uint8_t* palette, uint8_t* cube);
void DiffuseToIndicesAvx2(const uint8_t* pixels, int32_t width, int32_t height, const uint8_t* palette,
                          const uint8_t* cube, int32_t* errorRows, uint8_t* indices);
