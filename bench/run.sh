#!/usr/bin/env bash
# Builds the benchmarks (incrementally) and prints the median of five runs per
# case: the encoder (whole frames and each stage: learning, cube, diffusion,
# LZW; the scalar path against the fastest one, with a side-by-side table of
# the medians at the end), the image pipeline (resampling, watermark
# blending) and one capture tick with a fake screen. Instruction counts,
# which do not move with the machine's load: bench/callgrind.sh. Extra arguments go to every benchmark, e.g.
# --benchmark_filter=Lzw. The real program under Wine: bench/rect_bench.sh.
# Then the table of file sizes, times and quality of whole frames against
# changed areas, with other encoders on the same frames (bench/sizes.sh).
# "bash bench/run.sh sizes" prints only that table.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/native"

if [ "${1:-}" = sizes ]; then
  exec bash "$root/bench/sizes.sh"
fi

# Configuring again is cheap and turns the benchmarks on in an older tree.
cmake -S "$root" -B "$build" -G Ninja -DPIXLO_BENCH=ON >/dev/null
ninja -C "$build" pixlo_encoder_bench pixlo_image_bench pixlo_capture_bench

for bench in pixlo_encoder_bench pixlo_image_bench pixlo_capture_bench; do
  "$build/bench/$bench" \
      --benchmark_repetitions=5 \
      --benchmark_report_aggregates_only=true \
      "$@" | grep -E '^(-|Benchmark )|_median|^EncodeFrame, |^size |^[0-9]+x[0-9]+ '
done

bash "$root/bench/sizes.sh"
