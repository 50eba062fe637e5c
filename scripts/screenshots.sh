#!/usr/bin/env bash
# Remakes the README's pictures of the windowed program under Wine: the
# scripted run of scripts/run.sh on a private display, whose window shots
# become docs/idle.png (guides, size label, the saved text) and
# docs/recording.png (recording: no guides, the progress text).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
env -u DISPLAY bash scripts/run.sh
mkdir -p docs
cp out/window.png docs/idle.png
cp out/window-recording.png docs/recording.png
echo "docs/idle.png, docs/recording.png"
