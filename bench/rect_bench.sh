#!/usr/bin/env bash
# The real program's sustained recording rate under Wine: pixlo.exe records
# a full-HD virtual screen that changes all the time, with ticks asked for
# back to back (100 frames per second, the highest rate a recording takes;
# every tick takes longer than its 10 ms), at output width 360 and at the
# capture width. Every tick then grabs, scales or copies, blends, compares and
# encodes; frames / elapsed is the rate the loop sustains.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/build.sh windows >/dev/null
work=$(mktemp -d)
display=""
for n in $(seq 60 69); do
  if [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
pids=()
source scripts/wine-env.sh
cleanup() {
  WINEPREFIX="$root/build/wineprefix" "$wineserver" -k 2>/dev/null || true
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; wait "${pids[i]}" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Two different full-screen pictures, swapped every 10 ms.
convert -size 1920x1080 plasma:fractal -seed 1 "$work/a.png"
convert "$work/a.png" -flop "$work/b.png"
convert -delay 1 "$work/a.png" "$work/b.png" -loop 0 "$work/scene.gif"
animate -geometry +0+0 "$work/scene.gif" >/dev/null 2>&1 &
pids+=($!)
sleep 2

seconds=${RECT_BENCH_SECONDS:-6}
for outw in 360 0; do
  line=$(scripts/wine-run build/windows/pixlo.exe /rect 0 0 1920 1080 "$seconds" "$work/r.gif" none 100 "$outw" | tr -d '\r')
  frames=$(sed -n 's/.*frames=\([0-9]*\).*/\1/p' <<<"$line")
  elapsed=$(sed -n 's/.*elapsed=\([0-9]*\)ms.*/\1/p' <<<"$line")
  awk -v o="$outw" -v f="$frames" -v e="$elapsed" -v l="$line" 'BEGIN {
    printf "output width %s: %s\n  %.1f frames/s, %.1f ms per encoded tick\n", o, l, f * 1000 / e, e / f }'
done
