#pragma once
// The encoder's stages come in more than one build: the plain integer code,
// which is the reference, and faster paths that use SSE4.1 or AVX2 where the
// processor has them. Every path writes the same palettes, indices and code
// streams; only the time differs. The path is picked once from the
// processor's features, the same way in the Linux and the Windows build, and
// tests force each one in turn.

#include <cstdint>

enum class EncoderPath : int32_t {
    kScalar = 0,  // the reference: plain integer code, runs anywhere
    kSse41 = 1,   // 4 neurons or cube cells per instruction, faster diffusion and LZW
    kAvx2 = 2,    // 8 per instruction, otherwise as kSse41
    kAvx512 = 3,  // learning 32 neurons per instruction, otherwise as kAvx2
};

constexpr int32_t kEncoderPathCount = 4;

// The stages of one frame, as EncodeFrame runs them. Each entry has the
// contract of the public function of the same stage (QuantizerLearn,
// BuildColourCube, DiffuseToIndices, LzwCompress).
struct EncoderKernels {
    void (*learn)(const uint8_t* pixels, int32_t pixelCount, uint8_t* palette);
    void (*buildCube)(const uint8_t* palette, uint8_t* cube);
    void (*diffuse)(const uint8_t* pixels, int32_t width, int32_t height, const uint8_t* palette,
                    const uint8_t* cube, int32_t* errorRows, uint8_t* indices);
    int32_t (*compress)(const uint8_t* indices, int32_t count, uint8_t* output, int32_t capacity,
                        int32_t* outLength, int32_t minCodeSize);
};

// The stages of the active path. Filled before main from the processor's
// features; changed only by SetEncoderPath, never while a frame is encoded.
extern EncoderKernels encoderKernels;

// 1 when this processor (and its operating system) can run the path.
int32_t EncoderPathSupported(EncoderPath path);

// The fastest path this processor supports; the one active at start.
EncoderPath BestEncoderPath();

// Makes path the active one: 1, or 0 (nothing changed) when the processor
// cannot run it.
int32_t SetEncoderPath(EncoderPath path);

EncoderPath ActiveEncoderPath();

// "scalar", "sse4.1", "avx2" or "avx512", for test names and benchmark labels.
const char* EncoderPathName(EncoderPath path);
