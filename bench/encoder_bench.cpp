// Milliseconds per frame for the whole encoder and for each stage, at the
// sizes a recording typically has, on screen-like and photo-like frames,
// for the scalar reference path and for the fastest path this processor
// supports. Each stage gets the real output of the stages before it, so its
// work matches what EncodeFrame does. After the usual rows, one table puts
// the two paths side by side: ms per frame, their ratio, and the split over
// the stages.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "encoder/colour_map.h"
#include "encoder/encoder_paths.h"
#include "encoder/frame_encoder.h"
#include "encoder/frame_store.h"
#include "encoder/lzw.h"
#include "encoder/quantizer.h"
#include "tests/support/synthetic_frames.h"

namespace {

// Frame number of the synthetic content; any one frame is representative.
constexpr int32_t kFrame = 7;

enum Kind : int64_t { kScreen = 0, kPhoto = 1 };
const char* const kKindNames[] = {"screen", "photo"};

struct Size {
    int32_t width;
    int32_t height;
};

std::vector<uint8_t> MakeFrame(Kind kind, int32_t w, int32_t h)
{
    return kind == kPhoto ? PhotoLikeFrame(w, h, kFrame) : ScreenLikeFrame(w, h, kFrame);
}

// The benchmark's arguments: path, width, height, kind.
struct Args {
    EncoderPath path;
    int32_t width, height;
    Kind kind;
};

Args ArgsOf(const benchmark::State& state)
{
    return {static_cast<EncoderPath>(state.range(0)), static_cast<int32_t>(state.range(1)),
            static_cast<int32_t>(state.range(2)), static_cast<Kind>(state.range(3))};
}

// One frame carried through every stage once with the scalar path, outside
// the timed loops. Every path gives the same bytes, so these are also the
// inputs each stage of a faster path sees.
struct Prepared {
    int32_t width;
    int32_t height;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> palette = std::vector<uint8_t>(768);
    std::vector<uint8_t> cube = std::vector<uint8_t>(kColourCubeCells);
    std::vector<int32_t> errorRows;
    std::vector<uint8_t> indices;

    explicit Prepared(const Args& a)
        : width(a.width), height(a.height), pixels(MakeFrame(a.kind, a.width, a.height)),
          errorRows(2 * (static_cast<size_t>(a.width) + 2) * 3),
          indices(static_cast<size_t>(a.width) * a.height)
    {
        SetEncoderPath(EncoderPath::kScalar);
        QuantizerLearn(pixels.data(), PixelCount(), palette.data());
        BuildColourCube(palette.data(), cube.data());
        DiffuseToIndices(pixels.data(), width, height, palette.data(), cube.data(), errorRows.data(),
                         indices.data());
    }

    int32_t PixelCount() const { return width * height; }
};

// Forces the benchmark's path; false (and the row is skipped) when this
// processor cannot run it.
bool UsePath(benchmark::State& state, EncoderPath path)
{
    if (SetEncoderPath(path))
        return true;
    state.SkipWithError("path not supported by this processor");
    return false;
}

void ReportFrames(benchmark::State& state)
{
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
}

void BM_EncodeFrame(benchmark::State& state)
{
    const Args a = ArgsOf(state);
    const std::vector<uint8_t> pixels = MakeFrame(a.kind, a.width, a.height);
    if (!UsePath(state, a.path))
        return;

    ClearFrames();
    EncodeFrame(pixels.data(), a.width, a.height, 40);
    const bool encoded = frameStore.count == 1 && frameStore.records[0].length > 0;
    ClearFrames();
    if (!encoded) {
        state.SkipWithError("EncodeFrame did not store exactly one non-empty frame");
        return;
    }

    for (auto _ : state) {
        EncodeFrame(pixels.data(), a.width, a.height, 40);
        // The store would otherwise grow by one frame per iteration.
        state.PauseTiming();
        ClearFrames();
        state.ResumeTiming();
    }
    ReportFrames(state);
}

void BM_Learning(benchmark::State& state)
{
    const Args a = ArgsOf(state);
    const std::vector<uint8_t> pixels = MakeFrame(a.kind, a.width, a.height);
    uint8_t palette[768];
    if (!UsePath(state, a.path))
        return;

    for (auto _ : state) {
        QuantizerLearn(pixels.data(), a.width * a.height, palette);
        benchmark::DoNotOptimize(palette);
        benchmark::ClobberMemory();
    }
    ReportFrames(state);
}

void BM_Cube(benchmark::State& state)
{
    const Args a = ArgsOf(state);
    const Prepared frame(a);
    uint8_t cube[kColourCubeCells];
    if (!UsePath(state, a.path))
        return;

    for (auto _ : state) {
        BuildColourCube(frame.palette.data(), cube);
        benchmark::DoNotOptimize(cube);
        benchmark::ClobberMemory();
    }
    ReportFrames(state);
}

void BM_Diffusion(benchmark::State& state)
{
    const Args a = ArgsOf(state);
    Prepared frame(a);
    if (!UsePath(state, a.path))
        return;

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
    const Args a = ArgsOf(state);
    const Prepared frame(a);
    const int32_t capacity = LzwWorstCaseLength(frame.PixelCount());
    std::vector<uint8_t> codes(static_cast<size_t>(capacity));
    int32_t length = 0;
    if (!UsePath(state, a.path))
        return;

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

const Size kSizes[] = {{360, 200}, {640, 360}, {1920, 1080}};
const char* const kStages[] = {"BM_EncodeFrame", "BM_Learning", "BM_Cube", "BM_Diffusion", "BM_Lzw"};

// The scalar reference and the fastest path here, for every size and kind.
void Cases(benchmark::internal::Benchmark* b)
{
    std::vector<EncoderPath> paths = {EncoderPath::kScalar};
    if (BestEncoderPath() != EncoderPath::kScalar)
        paths.push_back(BestEncoderPath());
    for (EncoderPath path : paths) {
        for (Kind kind : {kScreen, kPhoto})
            for (Size s : kSizes)
                b->Args({static_cast<int64_t>(path), s.width, s.height, kind});
    }
    b->ArgNames({"path", "w", "h", "photo"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_EncodeFrame)->Apply(Cases);
BENCHMARK(BM_Learning)->Apply(Cases);
BENCHMARK(BM_Cube)->Apply(Cases);
BENCHMARK(BM_Diffusion)->Apply(Cases);
BENCHMARK(BM_Lzw)->Apply(Cases);

// Keeps every row's processor time per iteration (the median when
// repetitions run) for the side-by-side table. Processor time, not wall
// time: on a machine shared with other work the wall time also counts the
// time this thread waited to run.
class TableReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ms;  // run name -> ms per frame

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string name = run.run_name.function_name + "/" + run.run_name.args;
            if (median || (run.run_type == Run::RT_Iteration && !ms.count(name)))
                ms[name] = run.GetAdjustedCPUTime();
        }
    }
};

std::string RunName(const char* stage, EncoderPath path, Size s, Kind kind)
{
    return std::string(stage) + "/path:" + std::to_string(static_cast<int>(path)) + "/w:" +
           std::to_string(s.width) + "/h:" + std::to_string(s.height) + "/photo:" + std::to_string(kind);
}

void PrintTable(const TableReporter& reporter)
{
    const EncoderPath fast = BestEncoderPath();
    auto get = [&](const char* stage, EncoderPath path, Size s, Kind kind) {
        auto it = reporter.ms.find(RunName(stage, path, s, kind));
        return it == reporter.ms.end() ? -1.0 : it->second;
    };
    std::printf("\nEncodeFrame, scalar against %s (processor ms per frame; stages: learning / "
                "cube / diffusion / LZW)\n",
                EncoderPathName(fast));
    std::printf("%-10s %-7s %9s %9s %7s   %-29s %-29s\n", "size", "input", "scalar", "fast", "ratio",
                "scalar stages", "fast stages");
    for (Kind kind : {kScreen, kPhoto}) {
        for (Size s : kSizes) {
            const double scalar = get(kStages[0], EncoderPath::kScalar, s, kind);
            const double quick = get(kStages[0], fast, s, kind);
            if (scalar < 0 || quick < 0)
                continue;
            char split[2][64];
            for (int p = 0; p < 2; p++) {
                const EncoderPath path = p == 0 ? EncoderPath::kScalar : fast;
                std::snprintf(split[p], sizeof split[p], "%.2f / %.2f / %.2f / %.2f",
                              get(kStages[1], path, s, kind), get(kStages[2], path, s, kind),
                              get(kStages[3], path, s, kind), get(kStages[4], path, s, kind));
            }
            char size[24];
            std::snprintf(size, sizeof size, "%dx%d", s.width, s.height);
            std::printf("%-10s %-7s %9.3f %9.3f %6.2fx   %-29s %-29s\n", size, kKindNames[kind], scalar,
                        quick, scalar / quick, split[0], split[1]);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter);
    SetEncoderPath(BestEncoderPath());
    benchmark::Shutdown();
    return 0;
}
