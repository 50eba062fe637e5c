#!/usr/bin/env bash
# Sets up, builds everything, and runs the program's main job: recording a
# rectangle of the screen into a looping GIF. Until the windowed program
# exists, that is pixlo.exe's /rect batch mode under Wine, on a private
# virtual display showing a moving scene (the program's own /test animation).
# The GIF lands in out/recording.gif.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh native windows
mkdir -p out
exe=build/windows/pixlo.exe

# A free display number of our own.
display=""
for n in $(seq 70 99); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "run: no free X display number" >&2; exit 1; }

pids=()
cleanup() {
  # Wine's own processes, the scene, then the display they draw on.
  WINEPREFIX="$root/build/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -f "$scene"
}
scene=$(mktemp --suffix=.gif)
trap cleanup EXIT

Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# The scene: the program's synthetic animation, played in a loop at (0, 0).
scripts/wine-run "$exe" /test "$scene" >/dev/null
animate -geometry +0+0 -loop 0 "$scene" >/dev/null 2>&1 &
pids+=($!)
sleep 1

echo "recording 360 x 400 at (0, 0) for 3 seconds at 12 frames per second..."
scripts/wine-run "$exe" /rect 0 0 360 400 3 out/recording.gif | tr -d '\r'
echo "GIF: $root/out/recording.gif"
