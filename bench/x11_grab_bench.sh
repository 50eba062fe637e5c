#!/usr/bin/env bash
# The native program on X11 at 1920 x 1080, on Xvfb servers with and
# without MIT-SHM:
#   - the grab alone (bench/pixlo_x11_grab_bench): ms per copy of the screen;
#   - the real pixlo /rect of a full-HD screen that changes all the time, with
#     ticks asked for back to back (100 frames per second; every tick takes
#     longer than its 10 ms), at output width 360 and at the capture width.
#     frames/s counts the encoded frames; ticks/s adds the ticks that found
#     the picture not yet changed (each adds 1/100 s to the last frame's
#     delay, a new frame starts with 2/100 s).
# For the recordings the picture alternates every 10 ms as in
# bench/rect_bench.sh; its player shares the processor with the recording. PIXLO_BUILD_NATIVE names another
# build folder; X11_BENCH_SECONDS the length of each recording (6 s).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=${PIXLO_BUILD_NATIVE:-}
if [ -z "$build" ]; then
  bash scripts/build.sh native >/dev/null
  build=$root/build/native
fi
source tests/e2e/lib.sh
work=$(mktemp -d)
pids=()
cleanup_servers() {  # the player first, then its display
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do end_pid "${pids[i]}"; done
  pids=()
}
trap 'cleanup_servers; rm -rf "$work"' EXIT
fail() { echo "x11 bench: $*" >&2; exit 1; }

convert -size 1920x1080 plasma:fractal -seed 1 "$work/a.png"
convert "$work/a.png" -flop "$work/b.png"
convert -delay 1 "$work/a.png" "$work/b.png" -loop 0 "$work/scene.gif"

seconds=${X11_BENCH_SECONDS:-6}
for server in "with MIT-SHM|" "without MIT-SHM|-extension MIT-SHM"; do
  IFS='|' read -r name options <<<"$server"
  # shellcheck disable=SC2086
  start_xvfb 1920x1080 "$work/xvfb.log" -noreset $options || fail "Xvfb did not start"
  pids=("$xvfb_pid")
  echo "=== $name ($DISPLAY)"
  # The grab alone, of a still picture on the root window (display answers
  # 1 even when it has set it; the benchmark fails on a black screen).
  display -window root "$work/a.png" >/dev/null 2>&1 || true
  "$build/bench/pixlo_x11_grab_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
    grep -E 'BM_|Benchmark'
  animate -geometry +0+0 "$work/scene.gif" >/dev/null 2>&1 &
  pids+=($!)
  sleep 2
  for outw in 360 0; do
    line=$("$build/pixlo" /rect 0 0 1920 1080 "$seconds" "$work/r.gif" none 100 "$outw")
    frames=$(sed -n 's/.*frames=\([0-9]*\).*/\1/p' <<<"$line")
    elapsed=$(sed -n 's/.*elapsed=\([0-9]*\)ms.*/\1/p' <<<"$line")
    [ -n "$frames" ] || fail "pixlo /rect printed '$line'"
    delays=$(giftool -f '%d\n' <"$work/r.gif" | awk '{ s += $1 } END { print s }')
    awk -v o="$outw" -v f="$frames" -v e="$elapsed" -v d="$delays" -v l="$line" 'BEGIN {
      printf "output width %s: %s\n  %.1f frames/s, %.1f ticks/s, %.1f ms per tick\n", o, l, f * 1000 / e,
        (d - f) * 1000 / e, e / (d - f) }'
  done
  cleanup_servers
done
