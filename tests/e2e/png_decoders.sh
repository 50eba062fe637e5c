#!/usr/bin/env bash
# The Windows decoder (GDI+, under Wine) and the native one (libpng) must give
# identical pixels for the same PNG files: RGBA, RGB, palette with
# transparency, 16-bit, grey, grey with alpha, interlaced, and the embedded
# watermark itself.
#
# PIXLO_BUILD_NATIVE and PIXLO_BUILD_WINDOWS point at other build folders.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
native=${PIXLO_BUILD_NATIVE:-build/native}
windows=${PIXLO_BUILD_WINDOWS:-build/windows}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/native" "$work/windows"

files=(tests/fixtures/png/*.png resources/watermark.png)
"$native"/tools/pixlo_png_dump "$work/native" "${files[@]}" >"$work/native.txt"
scripts/wine-run "$windows"/tools/pixlo_png_dump.exe "$work/windows" "${files[@]}" | tr -d '\r' >"$work/windows.txt"

diff "$work/native.txt" "$work/windows.txt"
for raw in "$work"/native/*.bgra; do
  name=$(basename "$raw")
  cmp "$raw" "$work/windows/$name" || { echo "pixels differ: ${name%.bgra}"; exit 1; }
done
echo "GDI+ and libpng decode $(wc -l <"$work/native.txt") PNG files to identical pixels"
