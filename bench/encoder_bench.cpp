// Milliseconds per frame for the whole encoder and for each stage, at the
// sizes a recording typically has. Each stage gets the real output of the
// stages before it, so its work matches what EncodeFrame does.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "encoder/colour_map.h"
#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "encoder/lzw.h"
#include "encoder/quantizer.h"
#include "tests/support/synthetic_frames.h"

namespace {

// Frame number of the synthetic content; any one frame is representative.
constexpr int32_t kFrame = 7;

struct Size {
    int32_t width;
    int32_t height;
};

// One frame carried through every stage once, outside the timed loops.
struct Prepared {
    int32_t width;
    int32_t height;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> palette = std::vector<uint8_t>(768);
    std::vector<uint8_t> cube = std::vector<uint8_t>(kColourCubeCells);
    std::vector<int32_t> errorRows;
    std::vector<uint8_t> indices;

    Prepared(int32_t w, int32_t h)
        : width(w), height(h), pixels(ScreenLikeFrame(w, h, kFrame)),
          errorRows(2 * (static_cast<size_t>(w) + 2) * 3), indices(static_cast<size_t>(w) * h)
    {
        QuantizerLearn(pixels.data(), PixelCount(), palette.data());
        BuildColourCube(palette.data(), cube.data());
        DiffuseToIndices(pixels.data(), w, h, palette.data(), cube.data(), errorRows.data(),
                         indices.data());
    }

    int32_t PixelCount() const { return width * height; }
};

void ReportFrames(benchmark::State& state)
{
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
}

void BM_EncodeFrame(benchmark::State& state)
{
    const int32_t w = static_cast<int32_t>(state.range(0));
    const int32_t h = static_cast<int32_t>(state.range(1));
    const std::vector<uint8_t> pixels = ScreenLikeFrame(w, h, kFrame);

    ClearFrames();
    EncodeFrame(pixels.data(), w, h, 40);
    const bool encoded = frameStore.count == 1 && frameStore.records[0].length > 0;
    ClearFrames();
    if (!encoded) {
        state.SkipWithError("EncodeFrame did not store exactly one non-empty frame");
        return;
    }

    for (auto _ : state) {
        EncodeFrame(pixels.data(), w, h, 40);
        // The store would otherwise grow by one frame per iteration.
        state.PauseTiming();
        ClearFrames();
        state.ResumeTiming();
    }
    ReportFrames(state);
}

void BM_Learning(benchmark::State& state)
{
    const int32_t w = static_cast<int32_t>(state.range(0));
    const int32_t h = static_cast<int32_t>(state.range(1));
    const std::vector<uint8_t> pixels = ScreenLikeFrame(w, h, kFrame);
    uint8_t palette[768];

    for (auto _ : state) {
        QuantizerLearn(pixels.data(), w * h, palette);
        benchmark::DoNotOptimize(palette);
        benchmark::ClobberMemory();
    }
    ReportFrames(state);
}

void BM_Cube(benchmark::State& state)
{
    const Prepared frame(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    uint8_t cube[kColourCubeCells];

    for (auto _ : state) {
        BuildColourCube(frame.palette.data(), cube);
        benchmark::DoNotOptimize(cube);
        benchmark::ClobberMemory();
    }
    ReportFrames(state);
}

void BM_Diffusion(benchmark::State& state)
{
    Prepared frame(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));

    for (auto _ : state) {
        DiffuseToIndices(frame.pixels.data(), frame.width, frame.height, frame.palette.data(),
                         frame.cube.data(), frame.errorRows.data(), frame.indices.data());
        benchmark::DoNotOptimize(frame.indices.data());
        benchmark::ClobberMemory();
    }
    ReportFrames(state);
}

void BM_Lzw(benchmark::State& state)
{
    const Prepared frame(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    const int32_t capacity = LzwWorstCaseLength(frame.PixelCount());
    std::vector<uint8_t> codes(static_cast<size_t>(capacity));
    int32_t length = 0;

    LzwCompress(frame.indices.data(), frame.PixelCount(), codes.data(), capacity, &length);
    if (length <= 0 || length > capacity) {
        state.SkipWithError("LzwCompress produced no stream");
        return;
    }
    const int32_t firstLength = length;

    for (auto _ : state) {
        LzwCompress(frame.indices.data(), frame.PixelCount(), codes.data(), capacity, &length);
        benchmark::DoNotOptimize(codes.data());
        benchmark::ClobberMemory();
    }
    ReportFrames(state);
    state.counters["bytes/frame"] = static_cast<double>(firstLength);
}

void Sizes(benchmark::internal::Benchmark* b)
{
    for (Size s : {Size{360, 200}, Size{640, 360}, Size{1920, 1080}})
        b->Args({s.width, s.height});
    b->ArgNames({"w", "h"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_EncodeFrame)->Apply(Sizes);
BENCHMARK(BM_Learning)->Apply(Sizes);
BENCHMARK(BM_Cube)->Apply(Sizes);
BENCHMARK(BM_Diffusion)->Apply(Sizes);
BENCHMARK(BM_Lzw)->Apply(Sizes);

}  // namespace
