// The native screen source's cost per tick: one copy of a 1920 x 1080
// rectangle of the X display named by DISPLAY into the capture frame, through
// shared memory when the server has MIT-SHM and by plain GetImage requests
// otherwise (the label says which). The X server does most of the work, so
// the time that counts is wall-clock time. bench/x11_grab_bench.sh runs this
// on servers with and without MIT-SHM.

#include <benchmark/benchmark.h>

#include <cstddef>

#include "recorder/capture.h"
#include "recorder/screen_x11.h"

namespace {

void BM_X11Grab(benchmark::State& state)
{
    const int32_t width = static_cast<int32_t>(state.range(0)), height = static_cast<int32_t>(state.range(1));
    UseX11Screen();
    const uint8_t* frame = captureApi.openScreen(0, 0, width, height);
    if (!frame) {
        state.SkipWithError(X11ScreenFailure());
        captureApi.closeScreen();
        return;
    }
    for (auto _ : state) {
        captureApi.grabScreen();
        benchmark::ClobberMemory();
    }
    // The screen shows a picture: a black frame would mean nothing was copied.
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    size_t lit = 0;
    for (size_t i = 0; i < bytes; i += 4)
        lit += (frame[i] | frame[i + 1] | frame[i + 2]) != 0;
    if (lit < bytes / 4 / 2)
        state.SkipWithError("the copy is mostly black: is a picture shown on the display?");
    state.SetLabel(X11ScreenShared() ? "shared memory" : "plain requests");
    captureApi.closeScreen();
}
BENCHMARK(BM_X11Grab)->Args({1920, 1080})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
