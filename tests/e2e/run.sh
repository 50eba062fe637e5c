#!/usr/bin/env bash
# End-to-end checks of the built executables: the native and the Windows
# build write the same bytes for the same animation, and an independent
# decoder (ImageMagick) plays it as a looping 30-frame GIF. Then the Windows
# program against hostile files and paths (hostile_files.sh).
# PIXLO_BUILD_NATIVE and PIXLO_BUILD_WINDOWS point at other build folders
# (default build/native and build/windows).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
native=${PIXLO_BUILD_NATIVE:-build/native}
windows=${PIXLO_BUILD_WINDOWS:-build/windows}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$native"/tools/pixlo_sample "$work/native.gif" >/dev/null
scripts/wine-run "$windows"/tools/pixlo_sample.exe "$work/windows.gif" >/dev/null
cmp "$work/native.gif" "$work/windows.gif"
echo "native and windows sample animations are identical"

frames=$(identify -format '%n\n' "$work/native.gif" | head -1)
[ "$frames" = 30 ] || { echo "expected 30 frames, ImageMagick read $frames"; exit 1; }
delays=$(identify -format '%T ' "$work/native.gif" | tr -s ' ' '\n' | sort -u | tr '\n' ' ')
[ "$delays" = "10 " ] || { echo "expected every delay 10, got: $delays"; exit 1; }
iterations=$(identify -verbose "$work/native.gif[0]" | sed -n 's/^ *Iterations: *//p')
[ "$iterations" = 0 ] || { echo "expected endless looping (iterations 0), got '$iterations'"; exit 1; }
echo "ImageMagick decodes 30 frames of 1/10 s, looping for ever"

# A Windows path that cannot be written: a FAIL line and a failing exit status.
if scripts/wine-run "$windows"/tools/pixlo_sample.exe 'C:\no\such\folder\x.gif' >"$work/out.txt"; then
  echo "an unwritable path reported success"; exit 1
fi
tr -d '\r' <"$work/out.txt" | grep -qxF 'FAIL: C:\no\such\folder\x.gif'
echo "an unwritable path fails cleanly"

bash tests/e2e/hostile_files.sh
