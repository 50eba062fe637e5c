#!/usr/bin/env bash
# Instruction counts of EncodeFrame (and of each stage inside it) under
# valgrind's callgrind, for the scalar path and every faster path this
# processor runs, on fixed synthetic frames. Unlike wall-clock times these
# repeat exactly on a busy machine. Usage: bench/callgrind.sh [build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build/native"}
cmake -S "$root" -B "$build" -G Ninja -DPIXLO_BENCH=ON >/dev/null
ninja -C "$build" pixlo_encode_once >/dev/null
program="$build/bench/pixlo_encode_once"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Inclusive count of one function in a callgrind output file.
count() {
  callgrind_annotate --inclusive=yes --threshold=100 "$1" 2>/dev/null |
    awk -v f="$2" '!done && $0 ~ f"\\(" { gsub(",", "", $1); print $1; done = 1 }'
}

printf '%-10s %-7s %-7s %15s %15s %15s %15s %15s %8s\n' size input path EncodeFrame learning cube diffusion lzw ratio
for size in "360 200" "1920 1080"; do
  for kind in screen photo; do
    scalar_total=
    for path in scalar sse4.1 avx2 avx512; do
      out="$work/cg.$path"
      # shellcheck disable=SC2086
      if ! valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect='EncodeFrame*' \
           "$program" $path $size $kind >"$work/log" 2>&1; then
        grep -q 'cannot run' "$work/log" && continue
        cat "$work/log"; exit 1
      fi
      total=$(count "$out" 'EncodeFrame')
      learn=$(count "$out" 'QuantizerLearn[A-Za-z0-9]+')
      cube=$(count "$out" 'BuildColourCube[A-Za-z0-9]+')
      diffuse=$(count "$out" 'DiffuseToIndices[A-Za-z0-9]+')
      lzw=$(count "$out" 'LzwCompress[A-Za-z0-9]+')
      [ -n "$scalar_total" ] || scalar_total=$total
      ratio=$(awk -v a="$scalar_total" -v b="$total" 'BEGIN { printf "%.2fx", a / b }')
      printf '%-10s %-7s %-7s %15s %15s %15s %15s %15s %8s\n' "${size/ /x}" $kind $path \
        "$total" "$learn" "$cube" "$diffuse" "$lzw" "$ratio"
    done
  done
done
