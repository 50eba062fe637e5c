#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time on a corpus that
# persists between runs. Exits non-zero when any target fails.
#   FUZZ_SECONDS  time per target (default 60)
#   FUZZ_TARGETS  space-separated subset of the targets (default: all)
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
seconds=${FUZZ_SECONDS:-60}
targets=${FUZZ_TARGETS:-"fuzz_lzw_roundtrip fuzz_encode_frame fuzz_encode_area fuzz_encoder_paths fuzz_nearest_entry fuzz_watermark_png fuzz_ini_file fuzz_update_reply fuzz_http_reply"}

declare -A maxLen=(
  [fuzz_lzw_roundtrip]=65536     # the target's own cap
  [fuzz_encode_frame]=16391      # 7 header bytes + 64 x 64 pixels
  [fuzz_encode_area]=3593        # 9 header bytes, 512 colours, 32 x 32 pixels
  [fuzz_encoder_paths]=65540     # 4 header bytes + 128 x 128 pixels
  [fuzz_nearest_entry]=16384     # a palette and colours, or 4096 pixels
  [fuzz_watermark_png]=65536     # small PNGs reach every decoder path
  [fuzz_ini_file]=4096
  [fuzz_update_reply]=256
  [fuzz_http_reply]=1024
)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DPIXLO_FUZZ=ON -DPIXLO_BENCH=OFF >/dev/null ||
  exit 2
# shellcheck disable=SC2086
cmake --build "$build" --target $targets || exit 2

# Pseudo-random bytes after a fixed prefix. Noise fills the LZW table
# several times and makes the longest code streams, both out of reach of the
# tiny committed seeds for a long while.
write_noise() {  # file count [prefix escapes]
  local x=20240601 escapes=${3:-} byte i
  for ((i = 0; i < $2; i++)); do
    x=$(((x * 1103515245 + 12345) & 0x7fffffff))
    printf -v byte '\\x%02x' $(((x >> 16) & 255))
    escapes+=$byte
  done
  printf '%b' "$escapes" >"$1"
}

failed=()
summary=()
for target in $targets; do
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  log="$build/logs/$target.log"
  mkdir -p "$corpus" "$artifacts" "$build/logs" "$build/tmp"
  cp -n "$root/fuzz/seeds/$target"/* "$corpus"/ 2>/dev/null
  if [[ ! -e "$corpus/noise" ]]; then
    case $target in
      fuzz_lzw_roundtrip) write_noise "$corpus/noise" 12288 ;;
      fuzz_encode_frame) write_noise "$corpus/noise" 16384 '\x3f\x3f\x01\x05\x09\x20\x11' ;;  # 64 x 64, a 33 x 18 area
      fuzz_encode_area) write_noise "$corpus/noise" 3584 '\x1f\x1f\x03\x07\x11\x14\x05\xff\x01' ;;  # 32 x 32, an 18 x 21 area, 512 colours
      fuzz_encoder_paths) write_noise "$corpus/noise" 16384 '\x7f\x3f\x00\xff' ;;  # 128 x 64
      fuzz_nearest_entry) write_noise "$corpus/noise" 16384 '\xff' ;;  # 256 entries, noise colours
    esac
  fi

  echo "== $target: ${seconds}s"
  TMPDIR="$build/tmp" "$build/fuzz/$target" "$corpus" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 \
    -max_len="${maxLen[$target]}" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" >"$log" 2>&1
  status=$?

  last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  summary+=("$target: runs ${runs:-?}, ${rate:-?} exec/s, last status: ${last:-none}")
  if ((status != 0)); then
    failed+=("$target")
    echo "!! $target failed (exit $status); log: $log"
    grep -E 'ERROR|property broken|SUMMARY|Test unit written|Base64' "$log" | head -n 20
    reproducer=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
    [[ -n $reproducer ]] && echo "   reproduce: $build/fuzz/$target $reproducer"
  fi
done

echo
printf '%s\n' "${summary[@]}"
if ((${#failed[@]} > 0)); then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "no crash found"
