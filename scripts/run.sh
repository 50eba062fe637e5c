#!/usr/bin/env bash
# Sets up, builds everything, and runs the program's main job. Until the
# recorder itself runs, that is the encoder writing a sample animation from
# the Windows build under Wine, to out/sample.gif.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh native windows
mkdir -p out
scripts/wine-run build/windows/tools/pixlo_sample.exe out/sample.gif
echo "GIF written: $root/out/sample.gif ($(identify out/sample.gif | wc -l) frames, $(stat -c %s out/sample.gif) bytes)"
