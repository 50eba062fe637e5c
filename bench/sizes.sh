#!/usr/bin/env bash
# File size, time per frame, quality and frame-store memory of recordings
# stored as whole frames (optimize=0) and as changed areas (optimize=1), next
# to other GIF encoders
# run on the same frames: ffmpeg's palettegen + paletteuse (plain, and with
# its own changed-rectangle mode), gifsicle -O3 over ffmpeg's file and over
# ours, and gifski. Every file is decoded by one decoder (giflib, composing
# frames as a viewer does) and compared with the source frames.
#
# Missing peers are installed first: ffmpeg and gifsicle with apt-get (as
# root), gifski from npm into build/bench-peers. A peer that cannot be had
# is listed as not available. Output files stay in build/bench-sizes.
#   REPEATS=N   timed recordings per clip and mode (median; default 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/native"
out="$build/bench-sizes"
peers="$root/build/bench-peers"
repeats=${REPEATS:-3}
mkdir -p "$build"

need_apt=()
command -v ffmpeg >/dev/null || need_apt+=(ffmpeg)
command -v gifsicle >/dev/null || need_apt+=(gifsicle)
if [ ${#need_apt[@]} -gt 0 ] && [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
  echo "sizes: installing ${need_apt[*]}" >&2
  { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need_apt[@]}"; } \
    >"$build/bench-peers-apt.log" 2>&1 || echo "sizes: apt-get failed, see $build/bench-peers-apt.log" >&2
fi
gifski="$peers/node_modules/gifski/bin/debian/gifski"
if [ ! -x "$gifski" ] && command -v npm >/dev/null; then
  mkdir -p "$peers"
  npm install --prefix "$peers" --no-audit --no-fund gifski >"$build/bench-peers-npm.log" 2>&1 ||
    echo "sizes: npm install gifski failed, see $build/bench-peers-npm.log" >&2
fi
"$gifski" --version >/dev/null 2>&1 || { echo "sizes: gifski does not run here" >&2; gifski=; }
command -v ffmpeg >/dev/null && have_ffmpeg=1 || have_ffmpeg=
command -v gifsicle >/dev/null && have_gifsicle=1 || have_gifsicle=

cmake -S "$root" -B "$build" -G Ninja -DPIXLO_BENCH=ON >/dev/null
ninja -C "$build" pixlo_size_bench >/dev/null
tool="$build/bench/pixlo_size_bench"

rm -rf "$out"
mkdir -p "$out"
# clip width height frames mode bytes ms ms-later area% store-bytes-per-frame store-MB-per-minute
"$tool" record "$out" "$repeats" >"$out/ours.tsv"

now_ms() { date +%s%3N; }
# peer NAME CLIP FRAMES COMMAND...: runs the command, which writes
# $out/CLIP.NAME.gif, and records its time.
peer() {
  local name=$1 clip=$2 frames=$3; shift 3
  local start end
  start=$(now_ms)
  if "$@" </dev/null >>"$out/peers.log" 2>&1; then
    end=$(now_ms)
    printf '%s\t%s\t%s\n' "$clip" "$name" "$(awk -v t=$((end - start)) -v n="$frames" 'BEGIN{printf "%.2f", t/n}')" \
      >>"$out/peer-times.tsv"
  else
    echo "sizes: $name failed on $clip (see $out/peers.log)" >&2
  fi
}

: >"$out/peer-times.tsv"
while IFS=$'\t' read -r clip _ _ frames mode _; do
  [ "$mode" = full ] || continue
  dir="$out/$clip"
  if [ -n "$have_ffmpeg" ]; then
    peer ffmpeg "$clip" "$frames" ffmpeg -v error -y -framerate 10 -i "$dir/f%03d.ppm" \
      -vf "split[a][b];[a]palettegen[p];[b][p]paletteuse" "$out/$clip.ffmpeg.gif"
    peer ffmpeg_rect "$clip" "$frames" ffmpeg -v error -y -framerate 10 -i "$dir/f%03d.ppm" \
      -vf "split[a][b];[a]palettegen=stats_mode=diff[p];[b][p]paletteuse=diff_mode=rectangle" \
      "$out/$clip.ffmpeg_rect.gif"
  fi
  if [ -n "$have_gifsicle" ]; then
    for source in ffmpeg full area; do
      [ -f "$out/$clip.$source.gif" ] || continue
      peer "${source}+gifsicle" "$clip" "$frames" gifsicle -O3 "$out/$clip.$source.gif" -o "$out/$clip.${source}+gifsicle.gif"
    done
  fi
  if [ -n "$gifski" ] && [ -n "$have_ffmpeg" ]; then
    mkdir -p "$dir/png"
    ffmpeg -nostdin -v error -y -i "$dir/f%03d.ppm" "$dir/png/f%03d.png"
    # Its default shrinks anything above about 800 x 600: keep the clip's size.
    width=$(awk -F'\t' -v c="$clip" '$1==c {print $2; exit}' "$out/ours.tsv")
    peer gifski "$clip" "$frames" "$gifski" --quiet --fps 10 --width "$width" -o "$out/$clip.gifski.gif" "$dir"/png/f*.png
  fi
done <"$out/ours.tsv"

# One line per file: clip encoder bytes ms ms-later area% psnr min-psnr still% MB/min
: >"$out/all.tsv"
for gif in "$out"/*.gif; do
  base=$(basename "$gif" .gif)
  clip=${base%%.*}
  name=${base#*.}
  score=$("$tool" score "$out/$clip" "$gif") || { echo "sizes: cannot score $gif" >&2; continue; }
  bytes=$(stat -c %s "$gif")
  ours=$(awk -F'\t' -v c="$clip" -v m="$name" '$1==c && $5==m {print $7 "\t" $8 "\t" $9 "\t" $11}' "$out/ours.tsv")
  if [ -n "$ours" ]; then
    IFS=$'\t' read -r ms later area mb <<<"$ours"
  else
    ms=$(awk -F'\t' -v c="$clip" -v m="$name" '$1==c && $2==m {print $3}' "$out/peer-times.tsv")
    later=- area=- mb=-
  fi
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$clip" "$name" "$bytes" "${ms:--}" "$later" "$area" "$score" "$mb" >>"$out/all.tsv"
done

# The table: per clip, our modes first, then the peers by size; "x full"
# is the whole-frame file's size over this file's.
echo
echo "Sizes at 10 frames/s. ms/frame: ours the capture loop's processor time per tick (copy, compare, encode;"
echo "one thread, median of $repeats), 'later' without the first frame, which is whole in both modes; peers the"
echo "wall time of their whole command, threads as they choose. area%: pixels stored after the first frame against whole frames."
echo "PSNR of the picture shown at each source frame's time, every file decoded by giflib; still%: share of the"
echo "never-changing source pixels that keep one colour through the whole animation."
echo "MB/min: frame store (records and code streams) for a minute of 600 ticks like this clip's at 10 frames/s;"
echo "every tick of these clips but 'still' brings a new frame. The 2 frame buffers (4 bytes a pixel) come on top."
awk -F'\t' -v OFS='\t' '{ o = $2 == "full" ? 1 : $2 == "area" ? 2 : 9; print o, $0 }' \
    "$out/all.tsv" | sort -t$'\t' -k2,2 -k1,1n -k4,4n | cut -f2- |
  awk -F'\t' '
    { rows[NR] = $0; if ($2 == "full") full[$1] = $3 }
    END {
      printf "%-20s %-17s %9s %6s %8s %6s %6s %7s %8s %6s %7s\n", "clip", "encoder", "bytes", "x full", "ms/frame", "later", "area%", "PSNR dB", "min PSNR", "still%", "MB/min"
      for (i = 1; i <= NR; i++) {
        split(rows[i], f, "\t")
        if (i > 1 && f[1] != last) print ""
        last = f[1]
        printf "%-20s %-17s %9d %6.2f %8s %6s %6s %7s %8s %6s %7s\n", f[1], f[2], f[3], full[f[1]] / f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10]
      }
    }'
# The scorer against a second decoder: ffmpeg's GIF decoder and its psnr
# filter on one changed-area file (placement and disposal at work).
check=window_360x240
if [ -n "$have_ffmpeg" ] && [ -f "$out/$check.area.gif" ]; then
  theirs=$(ffmpeg -nostdin -i "$out/$check.area.gif" -framerate 10 -i "$out/$check/f%03d.ppm" \
    -lavfi '[0:v]format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr' -f null - 2>&1 | sed -n 's/.*average:\([0-9.]*\).*/\1/p')
  ours=$(awk -F'\t' -v c="$check" '$1==c && $2=="area" {print $7}' "$out/all.tsv")
  echo
  echo "scorer check, $check area: giflib $ours dB, ffmpeg's decoder and psnr filter ${theirs:-?} dB"
fi
[ -n "$have_ffmpeg" ] || echo "ffmpeg: not available"
[ -n "$have_gifsicle" ] || echo "gifsicle: not available"
[ -n "$gifski" ] || echo "gifski: not available"
