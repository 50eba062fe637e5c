#include "encoder/encoder_paths.h"

#include "encoder/colour_map.h"
#include "encoder/lzw.h"
#include "encoder/quantizer.h"
#include "encoder/simd_kernels.h"

namespace {

const EncoderKernels kKernels[kEncoderPathCount] = {
    {QuantizerLearnScalar, BuildColourCubeScalar, DiffuseToIndicesScalar, LzwCompressScalar},
    {QuantizerLearnSse41, BuildColourCubeSse41, DiffuseToIndicesSse41, LzwCompressFast},
    {QuantizerLearnAvx2, BuildColourCubeAvx2, DiffuseToIndicesAvx2, LzwCompressFast},
    {QuantizerLearnAvx512, BuildColourCubeAvx2, DiffuseToIndicesAvx2, LzwCompressFast},
};

const char* const kNames[kEncoderPathCount] = {"scalar", "sse4.1", "avx2", "avx512"};

EncoderPath activePath = EncoderPath::kScalar;

bool Known(EncoderPath path)
{
    const int32_t i = static_cast<int32_t>(path);
    return i >= 0 && i < kEncoderPathCount;
}

// Runs before main: the table must be filled before any frame is encoded,
// and libgcc's own record of the processor may not be ready yet at this
// point of start-up, hence __builtin_cpu_init.
EncoderKernels InitialKernels()
{
    __builtin_cpu_init();
    activePath = BestEncoderPath();
    return kKernels[static_cast<int32_t>(activePath)];
}

}  // namespace

EncoderKernels encoderKernels = InitialKernels();

int32_t EncoderPathSupported(EncoderPath path)
{
    __builtin_cpu_init();
    switch (path) {
    case EncoderPath::kScalar:
        return 1;
    case EncoderPath::kSse41:
        return __builtin_cpu_supports("sse4.1") ? 1 : 0;
    case EncoderPath::kAvx2:
        // Also false when the operating system does not save the 256-bit
        // registers: libgcc checks that before it reports AVX2. The path's
        // diffusion uses BMI2's bit gather as well.
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") ? 1 : 0;
    case EncoderPath::kAvx512:
        // libgcc reports these only when the operating system saves the
        // 512-bit registers and the mask registers.
        return EncoderPathSupported(EncoderPath::kAvx2) && __builtin_cpu_supports("avx512f") &&
                       __builtin_cpu_supports("avx512bw")
                   ? 1
                   : 0;
    }
    return 0;
}

EncoderPath BestEncoderPath()
{
    if (EncoderPathSupported(EncoderPath::kAvx512))
        return EncoderPath::kAvx512;
    if (EncoderPathSupported(EncoderPath::kAvx2))
        return EncoderPath::kAvx2;
    if (EncoderPathSupported(EncoderPath::kSse41))
        return EncoderPath::kSse41;
    return EncoderPath::kScalar;
}

int32_t SetEncoderPath(EncoderPath path)
{
    if (!Known(path) || !EncoderPathSupported(path))
        return 0;
    activePath = path;
    encoderKernels = kKernels[static_cast<int32_t>(path)];
    return 1;
}

EncoderPath ActiveEncoderPath()
{
    return activePath;
}

const char* EncoderPathName(EncoderPath path)
{
    return Known(path) ? kNames[static_cast<int32_t>(path)] : "unknown";
}
