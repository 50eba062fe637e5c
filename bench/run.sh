#!/usr/bin/env bash
# Builds the encoder benchmark (incrementally) and prints the median of five
# runs per case. Extra arguments go to the benchmark, e.g.
# --benchmark_filter=Lzw.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/native"

# Configuring again is cheap and turns the benchmarks on in an older tree.
cmake -S "$root" -B "$build" -G Ninja -DPIXLO_BENCH=ON >/dev/null
ninja -C "$build" pixlo_encoder_bench pixlo_image_bench pixlo_capture_bench

for bench in pixlo_encoder_bench pixlo_image_bench pixlo_capture_bench; do
  "$build/bench/$bench" \
      --benchmark_repetitions=5 \
      --benchmark_report_aggregates_only=true \
      "$@" | grep -E '^(-|Benchmark )|_median'
done
