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
# A prefix of this script's own: the test runs keep theirs, and ending this
# one's server does not disturb them.
export WINEPREFIX="$root/build/wineprefix-run"
source scripts/wine-env.sh
source tests/e2e/lib.sh

work=$(mktemp -d)
xvfb_pid=""
scene_pid=""
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  [ -z "$scene_pid" ] || { kill "$scene_pid" 2>/dev/null || true; wait "$scene_pid" 2>/dev/null || true; }
  [ -z "$xvfb_pid" ] || { kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; }
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb 1024x768 "$work/xvfb.log" || { echo "run: no virtual display" >&2; exit 1; }

# The scene: the program's synthetic animation, played in a loop at (0, 0).
scripts/wine-run "$exe" /test "$work/scene.gif" >"$work/scene.txt"
tr -d '\r' <"$work/scene.txt" | grep -q '^OK: ' || { echo "run: the scene was not made: $(cat "$work/scene.txt")" >&2; exit 1; }
animate -geometry +0+0 -loop 0 "$work/scene.gif" >"$work/animate.log" 2>&1 &
scene_pid=$!
wait_for 10 xdotool search --onlyvisible --name 'ImageMagick' >/dev/null ||
  { echo "run: the scene did not appear: $(cat "$work/animate.log")" >&2; exit 1; }

echo "recording 360 x 400 at (0, 0) for 3 seconds at 12 frames per second..."
line=$(scripts/wine-run "$exe" /rect 0 0 360 400 3 out/recording.gif | tr -d '\r')
echo "$line"
case "$line" in
  OK:*) echo "GIF: $root/out/recording.gif" ;;
  *) echo "run: the recording failed" >&2; exit 1 ;;
esac
