// The cost of one capture tick on a full-HD screen (copy or resample, blend,
// compare, encode) through the real capture loop, with a synthetic screen
// that changes every tick and a clock that never makes the loop wait.
// Output width 360 resamples; output width 0 copies at 1920 x 1080. Each
// benchmark iteration is a recording of 8 ticks. The second argument is the
// encoder path: the scalar reference and the fastest one here.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "encoder/encoder_paths.h"
#include "encoder/frame_store.h"
#include "image/watermark.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "tests/support/synthetic_frames.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080;

struct BenchScreen {
    std::vector<std::vector<uint8_t>> scenes;  // alternated so every tick encodes
    std::vector<uint8_t> buffer;
    int64_t ticksLeft = 0;
    uint32_t now = 0;
    int tick = 0;
};

BenchScreen bench;

uint32_t TickCount()
{
    return bench.now += 1000;  // always past due: ticks run back to back
}
void NoSleep(uint32_t) {}
void Nothing() {}
uint8_t* OpenScreen(int32_t, int32_t, int32_t w, int32_t h)
{
    bench.buffer.assign(static_cast<size_t>(w) * h * 4, 0);
    return bench.buffer.data();
}
void Grab()
{
    const std::vector<uint8_t>& scene = bench.scenes[static_cast<size_t>(bench.tick++ % 2)];
    std::memcpy(bench.buffer.data(), scene.data(), scene.size());
    if (--bench.ticksLeft <= 0)
        recorderState.stopRequest.store(1);
}
void Drop(uint32_t, uintptr_t, intptr_t) {}
int RunInline()
{
    CaptureThreadProc();
    return 1;
}
void NoWait(uint32_t) {}

void BM_CaptureTick(benchmark::State& state)
{
    const int32_t outw = static_cast<int32_t>(state.range(0));
    if (!SetEncoderPath(static_cast<EncoderPath>(state.range(1)))) {
        state.SkipWithError("path not supported by this processor");
        return;
    }
    const CaptureApi saved = captureApi;
    captureApi = {TickCount, NoSleep, Nothing, Nothing, OpenScreen, Grab, Nothing,
                  nullptr,   nullptr, Drop,    RunInline, NoWait};
    bench.scenes = {ScreenLikeFrame(kWidth, kHeight, 0), ScreenLikeFrame(kWidth, kHeight, 5)};
    LoadWatermarkEmbedded();

    constexpr int64_t kTicksPerRun = 8;
    for (auto _ : state) {
        state.PauseTiming();
        ClearFrames();
        bench.ticksLeft = kTicksPerRun;
        state.ResumeTiming();
        StartCapture(0, 0, kWidth, kHeight, 30, outw, 1);
    }
    const bool everyTickEncoded = frameStore.count == kTicksPerRun;
    ClearFrames();
    captureApi = saved;
    SetEncoderPath(BestEncoderPath());
    if (!everyTickEncoded) {
        state.SkipWithError("not every tick produced a frame");
        return;
    }
    // items_per_second is the tick rate the loop sustains; the time column
    // is for kTicksPerRun ticks.
    state.SetItemsProcessed(state.iterations() * kTicksPerRun);
    state.counters["s/tick"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kTicksPerRun),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

void Cases(benchmark::internal::Benchmark* b)
{
    for (int64_t path : {static_cast<int64_t>(EncoderPath::kScalar), static_cast<int64_t>(BestEncoderPath())})
        for (int64_t outw : {360, 0})
            b->Args({outw, path});
    b->ArgNames({"outw", "path"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

}  // namespace

BENCHMARK(BM_CaptureTick)->Apply(Cases);
