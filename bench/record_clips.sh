#!/usr/bin/env bash
# Records clips of real programs in use for the size table: each program
# runs alone on a private Xvfb display, xdotool drives it (typing at a
# person's pace, scrolling, dragging a selection, opening a menu), and
# ffmpeg's x11grab takes the screen at 10 frames/s into OUTDIR/CLIP/f000.ppm
# ..., the layout pixlo_size_bench reads. The pointer is in the frames, as
# on a real screen.
#
#   bash bench/record_clips.sh OUTDIR [CLIP...]
#     CLIP: terminal_720x460 browser_800x600 desktop_400x340 (default all)
#
# A clip whose program cannot be had (installed with apt-get when run as
# root) is skipped with a message; the others are still recorded. Being
# real-time recordings, two runs never give the same frames: sizes.sh keeps
# them in build/bench-clips and records again only when asked.
set -uo pipefail
out=${1:?usage: record_clips.sh OUTDIR [CLIP...]}
shift
clips=("$@")
[ ${#clips[@]} -gt 0 ] || clips=(terminal_720x460 browser_800x600 desktop_400x340)
mkdir -p "$out"
log="$out/record.log"
: >"$log"

# Programs: a command that must exist, and its Debian package.
declare -A package=([Xvfb]=xvfb [xdotool]=xdotool [ffmpeg]=ffmpeg [xterm]=xterm [chromium]=chromium
  [gtk3-widget-factory]=gtk-3-examples)
missing=()
for program in "${!package[@]}"; do
  command -v "$program" >/dev/null || missing+=("${package[$program]}")
done
if [ ${#missing[@]} -gt 0 ] && [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
  echo "clips: installing ${missing[*]}" >&2
  { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"; } \
    >>"$log" 2>&1 || echo "clips: apt-get failed, see $log" >&2
fi
for program in Xvfb xdotool ffmpeg; do
  if ! command -v "$program" >/dev/null; then
    echo "clips: $program not available, no real clips recorded" >&2
    exit 0
  fi
done

# Every process started here, ended by its pid on the way out.
pids=()
work=$(mktemp -d)
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  sleep 0.3
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

display=71
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp -dpi 96 >>"$log" 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getmouselocation >/dev/null 2>&1 || { echo "clips: Xvfb did not start on $DISPLAY, see $log" >&2; exit 0; }

# wait_window CLASS: the id of the program's first visible window, after
# up to 30 s.
wait_window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --class "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# grab CLIP X Y FRAMES SCRIPT...: takes FRAMES frames of the clip's size
# from (X, Y) while SCRIPT drives the program; keeps the clip only if every
# frame came.
grab() {
  local clip=$1 x=$2 y=$3 frames=$4 size=${1##*_}
  shift 4
  rm -rf "${out:?}/$clip" && mkdir -p "$out/$clip"
  ffmpeg -nostdin -v error -f x11grab -framerate 10 -video_size "$size" -i "$DISPLAY+$x,$y" \
    -frames:v "$frames" -start_number 0 "$out/$clip/f%03d.ppm" >>"$log" 2>&1 &
  local grabber=$!
  pids+=("$grabber")
  sleep 0.3
  "$@" >>"$log" 2>&1
  wait "$grabber"
  local last
  last=$(printf '%s/%s/f%03d.ppm' "$out" "$clip" $((frames - 1)))
  if [ -f "$last" ]; then
    echo "clips: $clip recorded ($frames frames)" >&2
  else
    echo "clips: $clip incomplete, see $log" >&2
    rm -rf "${out:?}/$clip"
  fi
}

# stop PID: ends one program started here.
stop() { kill "$1" 2>/dev/null; wait "$1" 2>/dev/null || true; }

# A terminal, black text on white: commands typed at about ten characters a
# second, their output scrolling the window by screenfuls and by lines.
terminal_script() {
  xdotool type --delay 90 'ls -l /usr/bin | head -40'
  xdotool key Return
  sleep 0.6
  xdotool type --delay 90 'cat notes.txt'
  xdotool key Return
  sleep 0.5
  # shellcheck disable=SC2016  # typed into the shell as it stands
  xdotool type --delay 90 'for i in $(seq 12); do echo line $i; sleep 0.1; done'
  xdotool key Return
  sleep 2
}
terminal_720x460() {
  command -v xterm >/dev/null || { echo "clips: xterm not available, terminal clip skipped" >&2; return; }
  mkdir -p "$work/home"
  {
    echo "Notes from the recording session"
    echo
    for i in $(seq 24); do
      echo "$i. A line of plain text, long enough to wrap on narrow terminals: item $((i * 37 % 101))"
    done
  } >"$work/home/notes.txt"
  (cd "$work/home" && HOME="$work/home" PS1='\w$ ' exec xterm -bg white -fg black -fa 'DejaVu Sans Mono' -fs 10 \
    +sb -geometry 80x24+0+0 -e bash --norc --noprofile) >>"$log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  local id
  id=$(wait_window xterm) || { echo "clips: xterm window did not appear, terminal clip skipped" >&2; stop "$pid"; return; }
  xdotool windowmove "$id" 0 0 windowsize "$id" 720 460 windowfocus --sync "$id" >>"$log" 2>&1
  xdotool mousemove 500 300
  sleep 1
  grab terminal_720x460 0 0 90 terminal_script
  stop "$pid"
}

# A web page with text, a table and two photo-like pictures: a selection
# dragged over a paragraph, then scrolling by wheel and keys.
browser_script() {
  xdotool mousemove 40 150 mousedown 1
  for x in $(seq 60 30 600); do xdotool mousemove "$x" $((150 + (x - 40) / 12)); sleep 0.05; done
  xdotool mouseup 1
  sleep 0.6
  xdotool mousemove 400 400
  for _ in 1 2 3 4 5; do xdotool click 5; sleep 0.35; done
  sleep 0.4
  xdotool key Page_Down
  sleep 0.8
  for _ in 1 2 3; do xdotool click 4; sleep 0.3; done
  sleep 1.5
}
browser_800x600() {
  command -v chromium >/dev/null || { echo "clips: chromium not available, browser clip skipped" >&2; return; }
  local page="$work/page" convert
  mkdir -p "$page"
  # The real ImageMagick, not a stand-in of the same name earlier on PATH.
  for convert in magick /usr/bin/convert-im6.q16 /usr/bin/convert convert; do command -v "$convert" >/dev/null && break; done
  "$convert" -size 360x220 -seed 7 plasma:orange-navy -blur 0x1.5 "$page/photo1.png" >>"$log" 2>&1
  "$convert" -size 300x200 -seed 11 plasma:fractal -blur 0x1 "$page/photo2.png" >>"$log" 2>&1
  {
    echo '<!doctype html><html><head><meta charset="utf-8"><title>Field notes</title>'
    echo '<style>body{font-family:DejaVu Sans,sans-serif;margin:24px;max-width:720px;color:#222}'
    echo 'table{border-collapse:collapse}td,th{border:1px solid #999;padding:3px 8px}th{background:#dde6f0}'
    echo 'img{display:block;margin:12px 0}</style></head><body>'
    echo '<h1>Field notes</h1>'
    for i in 1 2 3; do
      echo "<p>Paragraph $i. The survey crossed the ridge early in the morning, when the light was low and the"
      echo 'valley still in shadow. We counted birds along the path, noted the weather every hour and kept the'
      echo 'samples cool in the shade of the rocks until the evening.</p>'
    done
    echo '<img src="photo1.png" width="360" height="220" alt="">'
    echo '<h2>Counts by site</h2><table><tr><th>Site</th><th>Morning</th><th>Noon</th><th>Evening</th></tr>'
    for s in $(seq 1 10); do
      echo "<tr><td>Site $s</td><td>$((s * 7 % 23))</td><td>$((s * 5 % 17))</td><td>$((s * 11 % 29))</td></tr>"
    done
    echo '</table><h2>Afternoon</h2>'
    for i in 4 5 6; do
      echo "<p>Paragraph $i. Clouds came in from the west after noon; the wind turned and the temperature fell"
      echo 'by four degrees within the hour. The second group reached the lake and photographed the shore.</p>'
    done
    echo '<img src="photo2.png" width="300" height="200" alt="">'
    for i in 7 8 9 10; do
      echo "<p>Paragraph $i. Back at the camp the notes were copied out and the counts added up.</p>"
    done
    echo '</body></html>'
  } >"$page/index.html"
  chromium --no-sandbox --no-first-run --no-default-browser-check --disable-gpu --disable-extensions \
    --disable-component-update --disable-features=Translate,MediaRouter --password-store=basic \
    --test-type --force-device-scale-factor=1 --user-data-dir="$work/chromium" --window-position=0,0 --window-size=800,600 \
    --app="file://$page/index.html" >>"$log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  local id
  id=$(wait_window chromium) || { echo "clips: chromium window did not appear, browser clip skipped" >&2; stop "$pid"; return; }
  # Start-up draws in several passes on a busy machine.
  sleep 5
  xdotool windowmove "$id" 0 0 windowsize "$id" 800 600 windowfocus "$id" >>"$log" 2>&1
  sleep 1
  grab browser_800x600 0 0 80 browser_script
  stop "$pid"
}

# GTK widgets in use: text typed into an entry, check and radio buttons
# clicked, a spin button stepped, a drop-down list opened and closed.
desktop_script() {
  xdotool mousemove 150 77 click --repeat 3 1
  sleep 0.3
  xdotool type --delay 100 'Recorded clip'
  sleep 0.4
  xdotool mousemove 216 341 click 1
  sleep 0.3
  xdotool click 1
  sleep 0.3
  xdotool click 1
  sleep 0.4
  xdotool mousemove 70 297 click 1
  sleep 1
  xdotool key Down
  sleep 0.4
  xdotool key Return
  sleep 0.5
  xdotool mousemove 27 380 click 1
  sleep 0.5
  xdotool mousemove 150 253 click 1
  sleep 0.2
  xdotool type --delay 100 'pixels'
  sleep 1
}
desktop_400x340() {
  command -v gtk3-widget-factory >/dev/null ||
    { echo "clips: gtk3-widget-factory not available, desktop clip skipped" >&2; return; }
  NO_AT_BRIDGE=1 GTK_THEME=Adwaita gtk3-widget-factory >>"$log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  local id
  id=$(wait_window gtk3-widget-factory) ||
    { echo "clips: the GTK window did not appear, desktop clip skipped" >&2; stop "$pid"; return; }
  sleep 2
  xdotool windowmove "$id" 0 0 >>"$log" 2>&1
  sleep 0.5
  grab desktop_400x340 6 52 80 desktop_script
  stop "$pid"
}

for clip in "${clips[@]}"; do
  case $clip in
    terminal_720x460 | browser_800x600 | desktop_400x340) "$clip" ;;
    *) echo "clips: no clip named $clip" >&2 ;;
  esac
done
# A skipped clip is not a failure: sizes.sh reports which clips are missing.
exit 0
