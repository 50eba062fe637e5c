// Milliseconds per frame for the image pipeline's per-frame work: scaling a
// full-HD capture to the output width (or copying at equal size), and
// blending the watermark.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "image/resampler.h"
#include "image/watermark.h"
#include "tests/support/synthetic_frames.h"

namespace {

void BM_ResampleBilinear(benchmark::State& state)
{
    const int32_t sw = static_cast<int32_t>(state.range(0)), sh = static_cast<int32_t>(state.range(1));
    const int32_t dw = static_cast<int32_t>(state.range(2)), dh = static_cast<int32_t>(state.range(3));
    const std::vector<uint8_t> src = ScreenLikeFrame(sw, sh, 3);
    std::vector<uint8_t> dst(static_cast<size_t>(dw) * dh * 4);
    ResampleBilinear(src.data(), sw, sh, dst.data(), dw, dh);
    if (sw == dw && sh == dh && dst != src) {
        state.SkipWithError("equal sizes must copy");
        return;
    }
    for (auto _ : state) {
        ResampleBilinear(src.data(), sw, sh, dst.data(), dw, dh);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_BlendWatermark(benchmark::State& state)
{
    const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
    if (!LoadWatermarkEmbedded()) {
        state.SkipWithError("the embedded watermark did not decode");
        return;
    }
    watermarkImage.inUse = 1;
    PrepareWatermark(w);
    std::vector<uint8_t> frame = ScreenLikeFrame(w, h, 3);
    const std::vector<uint8_t> original = frame;
    BlendWatermark(frame.data(), w, h);
    if (frame == original) {
        state.SkipWithError("the blend changed nothing");
        return;
    }
    for (auto _ : state) {
        BlendWatermark(frame.data(), w, h);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_ResampleBilinear)
    ->Args({1920, 1080, 360, 202})
    ->Args({1920, 1080, 1920, 1080})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlendWatermark)->Args({360, 202})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
