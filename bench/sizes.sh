#!/usr/bin/env bash
# File size, time per frame, quality and frame-store memory of recordings
# stored as whole frames (optimize=0) and as changed areas (optimize=1), the
# changed areas also as encoded by an earlier commit (area_before), next to
# other GIF encoders run on the same frames: ffmpeg's palettegen +
# paletteuse (plain, and with its own changed-rectangle mode), gifsicle -O3
# over ffmpeg's file and over ours, gifski, Pillow (libimagequant when it
# has it, else median cut) and ImageMagick (-layers Optimize). Every file is
# decoded by one decoder (giflib, composing frames as a viewer does) and
# compared with the source frames.
#
# Clips: synthetic ones made by pixlo_size_bench, and real programs in use
# recorded on a private Xvfb display (record_clips.sh), kept in
# build/bench-clips and recorded only when missing.
#
# Missing peers are installed first: ffmpeg, gifsicle, Pillow and
# ImageMagick with apt-get (as root), gifski from npm into
# build/bench-peers. A peer that cannot be had is listed as not available.
# Output files stay in build/native/bench-sizes.
#   REPEATS=N    timed recordings per clip and mode (median; default 3)
#   CLIPS=all|synthetic|real   which clips (default all)
#   RERECORD=1   record the real clips again
#   BEFORE=REV   the commit whose encoder makes the area_before rows
#                (default 0b4a545, the changed areas before exact colours
#                and the histogram quantizer); BEFORE= leaves them out
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/native"
out="$build/bench-sizes"
peers="$root/build/bench-peers"
clip_cache="$root/build/bench-clips"
before_tree="$root/build/bench-before"
repeats=${REPEATS:-3}
clips=${CLIPS:-all}
before=${BEFORE-0b4a545}
case $clips in all | synthetic | real) ;; *) echo "sizes: CLIPS is all, synthetic or real" >&2; exit 2 ;; esac
mkdir -p "$build"
python=/usr/bin/python3  # Debian's, which has Debian's Pillow

need_apt=()
command -v ffmpeg >/dev/null || need_apt+=(ffmpeg)
command -v gifsicle >/dev/null || need_apt+=(gifsicle)
"$python" -c 'import PIL' 2>/dev/null || need_apt+=(python3-pil)
command -v convert-im6.q16 >/dev/null || command -v magick >/dev/null || need_apt+=(imagemagick)
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
pillow_method=$("$python" "$root/bench/pillow_gif.py" --method 2>/dev/null) || pillow_method=
# ImageMagick itself: a program of the same name earlier on PATH may stand
# in for convert.
imagemagick=
for candidate in magick convert-im6.q16; do
  command -v "$candidate" >/dev/null && { imagemagick=$candidate; break; }
done

cmake -S "$root" -B "$build" -G Ninja -DPIXLO_BENCH=ON >/dev/null
ninja -j2 -C "$build" pixlo_size_bench >/dev/null
tool="$build/bench/pixlo_size_bench"

rm -rf "$out"
mkdir -p "$out"
# clip width height frames mode bytes ms ms-later area% store-bytes-per-frame store-MB-per-minute
: >"$out/ours.tsv"
if [ "$clips" != real ]; then
  "$tool" record "$out" "$repeats" >>"$out/ours.tsv"
fi
if [ "$clips" != synthetic ]; then
  real_clips=(terminal_720x460 browser_800x600 desktop_400x340)
  wanted=()
  for clip in "${real_clips[@]}"; do
    if [ -n "${RERECORD:-}" ] || [ ! -f "$clip_cache/$clip/f000.ppm" ]; then wanted+=("$clip"); fi
  done
  if [ ${#wanted[@]} -gt 0 ]; then
    echo "sizes: recording ${wanted[*]} on a private display" >&2
    bash "$root/bench/record_clips.sh" "$clip_cache" "${wanted[@]}" || echo "sizes: recording the real clips failed" >&2
  fi
  for clip in "${real_clips[@]}"; do
    [ -f "$clip_cache/$clip/f000.ppm" ] || continue
    ln -s "$clip_cache/$clip" "$out/$clip"
    "$tool" record-frames "$out/$clip" "$out/$clip" "$repeats" >>"$out/ours.tsv"
  done
fi

# area_before: the same frame-playing driver built against the earlier
# commit's encoder in a work tree of its own, recording every clip's frames.
before_tool=
if [ -n "$before" ]; then
  if ! commit=$(git -C "$root" rev-parse --verify --quiet "$before^{commit}"); then
    echo "sizes: $before is not a commit here" >&2
  else
    if [ ! -e "$before_tree/.git" ]; then
      git -C "$root" worktree add --detach "$before_tree" "$commit" >"$build/bench-before.log" 2>&1 || true
    fi
    if [ -e "$before_tree/.git" ] &&
      { git -C "$before_tree" reset -q --hard && git -C "$before_tree" checkout -q --detach "$commit"; } \
        >>"$build/bench-before.log" 2>&1; then
      cp "$root/bench/record_frames.h" "$root/bench/record_frames.cpp" "$root/bench/record_frames_main.cpp" \
        "$before_tree/bench/"
      if ! grep -q pixlo_record_frames "$before_tree/bench/CMakeLists.txt"; then
        printf '%s\n' 'add_executable(pixlo_record_frames record_frames.cpp record_frames_main.cpp)' \
          'target_link_libraries(pixlo_record_frames PRIVATE pixlo_testkit)' >>"$before_tree/bench/CMakeLists.txt"
      fi
      if cmake -S "$before_tree" -B "$before_tree/build" -G Ninja -DPIXLO_BENCH=ON >>"$build/bench-before.log" 2>&1 &&
        ninja -j2 -C "$before_tree/build" pixlo_record_frames >>"$build/bench-before.log" 2>&1; then
        before_tool="$before_tree/build/bench/pixlo_record_frames"
      else
        echo "sizes: the driver does not build at $before, see $build/bench-before.log" >&2
      fi
    else
      echo "sizes: no work tree of $before, see $build/bench-before.log" >&2
    fi
  fi
fi
if [ -n "$before_tool" ]; then
  for clip in $(awk -F'\t' '$5 == "full" {print $1}' "$out/ours.tsv"); do
    "$before_tool" "$out/$clip" "$out/$clip" "$repeats" area:area_before >>"$out/ours.tsv" ||
      echo "sizes: area_before failed on $clip" >&2
  done
fi

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
    rm -f "$out/$clip.$name.gif"
  fi
}

: >"$out/peer-times.tsv"
while IFS=$'\t' read -r clip width _ frames mode _; do
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
    mkdir -p "$out/png/$clip"
    ffmpeg -nostdin -v error -y -i "$dir/f%03d.ppm" "$out/png/$clip/f%03d.png"
    # Its default shrinks anything above about 800 x 600: keep the clip's size.
    peer gifski "$clip" "$frames" "$gifski" --quiet --fps 10 --width "$width" -o "$out/$clip.gifski.gif" "$out/png/$clip"/f*.png
  fi
  if [ -n "$pillow_method" ]; then
    peer "pillow_$pillow_method" "$clip" "$frames" "$python" "$root/bench/pillow_gif.py" "$dir" \
      "$out/$clip.pillow_$pillow_method.gif" "$pillow_method"
  fi
  if [ -n "$imagemagick" ]; then
    peer imagemagick "$clip" "$frames" "$imagemagick" -delay 10 "$dir"/f*.ppm -layers Optimize -loop 0 \
      "$out/$clip.imagemagick.gif"
  fi
done <"$out/ours.tsv"
rm -rf "$out/png"

# One line per file: clip encoder bytes ms ms-later area% psnr-mean psnr-min psnr-pooled still% MB/min
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
echo "one thread, median of $repeats), 'later' without the first frame, which is whole in every mode; peers the"
echo "wall time of their whole command, threads as they choose. area%: pixels stored after the first frame against"
echo "whole frames. PSNR of the picture shown at each source frame's time, every file decoded by giflib: 'mean' of"
echo "the frames' PSNR (a frame without error counts as 99 dB), 'min' the worst frame, 'pooled' from the squared"
echo "error of all frames together; still%: share of the never-changing source pixels that keep one colour through"
echo "the whole animation. MB/min: frame store (records and code streams) for a minute of 600 ticks like this"
echo "clip's at 10 frames/s. area_before: changed areas encoded by ${before:-(none)}."
awk -F'\t' -v OFS='\t' '{ o = $2 == "full" ? 1 : $2 == "area_before" ? 2 : $2 == "area" ? 3 : 9; print o, $0 }' \
    "$out/all.tsv" | sort -t$'\t' -k2,2 -k1,1n -k4,4n | cut -f2- |
  awk -F'\t' '
    { rows[NR] = $0; if ($2 == "full") full[$1] = $3 }
    END {
      printf "%-20s %-20s %9s %6s %8s %6s %6s %6s %6s %6s %6s %7s\n", "clip", "encoder", "bytes", "x full", "ms/frame", "later", "area%", "mean", "min", "pooled", "still%", "MB/min"
      for (i = 1; i <= NR; i++) {
        split(rows[i], f, "\t")
        if (i > 1 && f[1] != last) print ""
        last = f[1]
        printf "%-20s %-20s %9d %6.2f %8s %6s %6s %6s %6s %6s %6s %7s\n", f[1], f[2], f[3], full[f[1]] / f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11]
      }
    }'
# The scorer against a second decoder: ffmpeg's GIF decoder and its psnr
# filter (pooled over the frames) on one changed-area file (placement and
# disposal at work). The source frames lead, so that a last GIF frame that
# stands for several ticks is compared with each of them, as the scorer does.
for check in window_360x240 terminal_720x460; do
  [ -n "$have_ffmpeg" ] && [ -f "$out/$check.area.gif" ] || continue
  theirs=$(ffmpeg -nostdin -i "$out/$check.area.gif" -framerate 10 -i "$out/$check/f%03d.ppm" \
    -lavfi '[0:v]format=rgb24[a];[1:v]format=rgb24[b];[b][a]psnr' -f null - 2>&1 | sed -n 's/.*average:\([0-9.a-z]*\).*/\1/p')
  ours=$(awk -F'\t' -v c="$check" '$1==c && $2=="area" {print $9}' "$out/all.tsv")
  echo
  echo "scorer check, $check area: giflib $ours dB pooled, ffmpeg's decoder and psnr filter ${theirs:-?} dB"
  break
done
[ -n "$have_ffmpeg" ] || echo "ffmpeg: not available"
[ -n "$have_gifsicle" ] || echo "gifsicle: not available"
[ -n "$gifski" ] || echo "gifski: not available"
[ -n "$pillow_method" ] || echo "pillow: not available"
[ -n "$imagemagick" ] || echo "imagemagick: not available"
[ -z "$before" ] || [ -n "$before_tool" ] || echo "area_before ($before): not available"
if [ "$clips" != synthetic ]; then
  for clip in terminal_720x460 browser_800x600 desktop_400x340; do
    [ -f "$clip_cache/$clip/f000.ppm" ] || echo "$clip: not recorded (see $clip_cache/record.log)"
  done
fi
