#!/usr/bin/env bash
# End-to-end checks of the native program, pixlo, recording private Xvfb
# displays: a known scene of flat blocks painted on the root window is
# recorded and compared with the display's own pixels
# (ImageMagick's import is the judge), also for rectangles reaching off the
# screen; the cursor through XFixes; the same scene recorded by pixlo.exe
# under Wine; a server without MIT-SHM and XFIXES; the runs that have no
# display; and a server that goes away during a recording.
#
# The programs run from copies in the scratch folder, so the settings file
# beside them is the test's own. pixlo.exe gets a Wine prefix of its own
# there, whose server is started on this test's display.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine_run="$root/scripts/wine-run"
# PIXLO_BUILD_NATIVE and PIXLO_BUILD_WINDOWS point at other build folders.
native_build=${PIXLO_BUILD_NATIVE:-$root/build/native}
windows_build=${PIXLO_BUILD_WINDOWS:-$root/build/windows}
pixels="$root/tests/e2e/pixels.py"
for tool in Xvfb xdotool xsetroot import convert identify python3 timeout; do
  command -v "$tool" >/dev/null || { echo "native recorder: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
[ -x "$native_build/pixlo" ] && [ -x "$native_build/tests/pixlo_x11_probe" ] && [ -f "$windows_build/pixlo.exe" ] || {
  echo "native recorder: build first (scripts/build.sh native windows)" >&2; exit 1; }

work=$(mktemp -d /tmp/pixlo-native-recorder.XXXXXX)
# The program's settings file outside the checkout is the user's own: every
# run here reads and writes one of this run's instead.
export XDG_CONFIG_HOME="$work/config"
export WINEPREFIX=$work/wineprefix
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
servers=()
cleanup() {
  [ ! -d "$WINEPREFIX" ] || "$wineserver" -k 2>/dev/null || true
  local pid
  for pid in "${servers[@]}"; do end_pid "$pid"; done
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

mkdir bin
cp "$native_build/pixlo" "$windows_build/pixlo.exe" bin/
probe=$native_build/tests/pixlo_x11_probe
exe=$work/bin/pixlo.exe

# native ARGS...: runs the native program like lib.sh's pixlo runs pixlo.exe.
native() {
  status=0
  timeout 30 bin/pixlo "$@" >out.txt 2>err.txt || status=$?
  [ "$status" != 124 ] || fail "pixlo $* did not end within 30 s"
}
rect_ok() {  # path W H [line end]: the OK line of a still scene, one frame of W x H
  [[ $(cat out.txt) =~ ^OK:\ $1\ \ frames=1\ \ out=$2x$3\ \ elapsed=[0-9]+ms${4:-}$ ]] && [ "$status" = 0 ] ||
    fail "/rect to $1: exit $status, '$(cat out.txt)' $(cat err.txt), expected one frame of $2x$3"
}
frame() { convert "$1[0]" -depth 8 "ppm:$2"; }  # first frame of a GIF as a PPM
differing() {  # A B W H TOL: how many pixels differ by more than TOL, and the first
  python3 "$pixels" diff "$1" 0 0 "$2" 0 0 "$3" "$4" "$5"
}
same_frames() {  # A.gif B.gif W H WHAT: their first frames have the same pixels
  local count first
  frame "$1" a.ppm
  frame "$2" b.ppm
  read -r count first <<<"$(differing a.ppm b.ppm "$3" "$4" 0)"
  [ "$count" = 0 ] || fail "$5: $count pixels differ, $first"
}
# expect_rect X Y W H OUT: the screen's pixels in that rectangle, black where
# it leaves the screen, from the screenshot screen.ppm.
expect_rect() {
  convert -size "$3x$4" xc:black screen.ppm -geometry "$(printf '%+d%+d' $((-$1)) $((-$2)))" -composite \
    -depth 8 "ppm:$5"
}
# paint_scene: the probe's scene on the root window, and screen.ppm of it.
paint_scene() {
  "$probe" paint || fail "the scene cannot be painted on $DISPLAY"
  import -window root -depth 8 ppm:screen.ppm
  [ "$(python3 "$pixels" at screen.ppm 50 40)" = "255,0,0" ] || fail "the scene does not show on $DISPLAY"
}

# The GIF encoder learns a palette per frame: flat colours come back close,
# not always exactly (measured on this scene: 255 often reads 254, the small
# magenta block up to 12 off). Frames from the same pixels are compared
# exactly.
tolerance=16
screen_w=640 screen_h=480
# x y w h | what it shows
rects=(
  "20 20 400 300|inside, over the pointer"
  "500 400 200 120|half past the right and bottom edges"
  "-30 -20 120 90|negative x and y"
)

# --- Runs without a screen to record: the FAIL line, exit 1, one reason.
absent=""
for n in $(seq 70 79); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then absent=$n; break; fi
done
[ -n "$absent" ] || fail "no free display number for the missing-display case"
# environment | what the reason names
cases=("-u DISPLAY|DISPLAY" "DISPLAY=:$absent|:$absent")
for case in "${cases[@]}"; do
  IFS='|' read -r environment named <<<"$case"
  status=0
  # shellcheck disable=SC2086
  timeout 30 env $environment bin/pixlo /rect 0 0 64 48 1 none.gif >out.txt 2>err.txt || status=$?
  [ "$(cat out.txt)" = "FAIL: none.gif  frames=0" ] && [ "$status" = 1 ] ||
    fail "env $environment: exit $status and '$(cat out.txt)', expected the FAIL line and exit 1"
  [ "$(wc -l <err.txt)" = 1 ] && grep -qF "$named" err.txt ||
    fail "env $environment: standard error '$(cat err.txt)', expected one line naming $named"
  [ ! -e none.gif ] || fail "env $environment left a file"
done
ok "no DISPLAY and a display that does not exist: the FAIL line, exit 1, and why ($(cat err.txt))"

# A target that can never be written, or that a file must not replace (a
# pipe, a device: as root a rename would replace /dev/null): FAIL at once, and
# why on standard error, the target left as it was.
mkdir -p a-folder
mkfifo a-pipe.gif
targets=(no-such-folder/x.gif a-folder a-pipe.gif)
# Only root may make a device node.
if mknod a-device.gif c 1 3 2>/dev/null; then targets+=(a-device.gif); fi
for target in "${targets[@]}"; do
  status=0
  timeout 5 bin/pixlo /rect 0 0 64 48 10 "$target" >out.txt 2>err.txt || status=$?
  [ "$(cat out.txt)" = "FAIL: $target  frames=0" ] && [ "$status" = 1 ] ||
    fail "/rect of 10 s to $target: exit $status and '$(cat out.txt)', expected the FAIL line and exit 1 at once"
  [ "$(wc -l <err.txt)" = 1 ] && grep -q '^pixlo: ' err.txt ||
    fail "/rect to $target: standard error '$(cat err.txt)', expected one line saying why"
done
[ -d a-folder ] && [ -p a-pipe.gif ] && { [ ! -e a-device.gif ] || [ -c a-device.gif ]; } ||
  fail "a refused target was replaced: $(ls -l a-folder a-pipe.gif a-device.gif 2>&1 | xargs)"
ok "/rect to ${targets[*]}: FAIL at once, and why ($(cat err.txt))"
rm -f a-pipe.gif a-device.gif

# The shell's fields are used whole: a quoted path keeps its blanks and its
# length; a number is a whole field and the mode a whole word, or it is a
# usage error that writes nothing.
long_path=$(printf 'd%.0s' $(seq 200))/$(printf 'f%.0s' $(seq 100)).gif
mkdir -p "${long_path%/*}"
for path in "my clip.gif" "$long_path"; do
  native /test "$path"
  [ "$(cat out.txt)" = "OK: $path  frames=24  out=360x400" ] && [ "$status" = 0 ] && [ -f "$path" ] ||
    fail "/test to '$path': exit $status, '$(cat out.txt)' $(cat err.txt)"
done
[ ! -e my ] || fail "/test to 'my clip.gif' wrote my"
# fields | the first line on standard output, or "" for the help on standard error
usage_rows=("/rect 0 0 64 48 5s x.gif|usage: tavrel /rect x y w h seconds out.gif [watermark.png] [fps] [outwidth]"
            "/rect 0 0 64 48 1.5 x.gif|usage: tavrel /rect x y w h seconds out.gif [watermark.png] [fps] [outwidth]"
            "/test x.gif none extra|usage: tavrel /test out.gif [watermark.png]"
            "/testing x.gif|")
for row in "${usage_rows[@]}"; do
  IFS='|' read -r args line <<<"$row"
  # shellcheck disable=SC2086
  native $args
  if [ -n "$line" ]; then
    [ "$(cat out.txt)" = "$line" ] || fail "pixlo $args: '$(cat out.txt)', expected the usage line"
  else
    [ ! -s out.txt ] && grep -q '^usage: pixlo' err.txt || fail "pixlo $args: expected the help on standard error"
  fi
  [ "$status" = 1 ] || fail "pixlo $args: exit $status, expected 1"
  for written in x.gif s .5 ing; do [ ! -e "$written" ] || fail "pixlo $args wrote $written"; done
done
ok "quoted and long paths are used whole; 5s, 1.5, extra fields and /testing are usage errors that write nothing"

native --version
[[ $(cat out.txt) =~ ^pixlo\ 1\.3\ \(build\ [0-9]+\)$ ]] && [ "$status" = 0 ] || fail "--version: exit $status, '$(cat out.txt)'"
native --help
head -1 out.txt | grep -q '^usage: pixlo \[option...\] /rect x y w h seconds out.gif' && [ "$status" = 0 ] ||
  fail "--help: exit $status, '$(head -1 out.txt)'"
for listed in --cursor --no-cursor --optimize --no-optimize --pick 'pixlo /rect $(pixlo --pick)'; do
  grep -qF -- "$listed" out.txt || fail "--help does not mention $listed"
done
# With a display, no arguments open the window (tests/e2e/linux_window.sh).
DISPLAY='' native
[ ! -s out.txt ] && [ "$(head -1 err.txt)" = "$(head -1 <<<"$(bin/pixlo --help)")" ] && [ "$status" = 1 ] ||
  fail "no arguments: exit $status, expected the help on standard error and exit 1"
# Options without a mode, and options that are not ours, are usage errors.
for args in "--cursor" "--optimize --no-cursor" "--bogus /test x.gif" "--pick --cursor"; do
  # shellcheck disable=SC2086
  native $args
  [ "$status" = 1 ] && [ ! -s out.txt ] && grep -q '^pixlo: ' err.txt && grep -q '^usage: pixlo' err.txt ||
    fail "pixlo $args: exit $status, '$(cat out.txt)', '$(head -1 err.txt)', expected why and the help on stderr, exit 1"
done
[ ! -e x.gif ] || fail "a usage error wrote x.gif"
ok "--version, --help (exit 0); no arguments without a display, options without a mode, unknown options (the help on standard error, exit 1)"

# record_rects METHOD NAME CURSOR: each rectangle of the scene recorded
# through the probe, its screen copied by METHOD, which must give the screen
# exactly; and by pixlo /rect into NAME<x>.gif, one frame of it. CURSOR is
# the cursor setting of both.
record_rects() {
  local method=$1 name=$2 cursor=$3 row rect what x y w h count first
  printf '[settings]\ncursor=%s\n' "$cursor" >bin/Pixlo.ini
  for row in "${rects[@]}"; do
    IFS='|' read -r rect what <<<"$row"
    read -r x y w h <<<"$rect"
    expect_rect "$x" "$y" "$w" "$h" expected.ppm
    "$probe" record "$x" "$y" "$w" "$h" "$cursor" >composed.ppm 2>probe.err || fail "probe record $rect: $(cat probe.err)"
    [ "$(cat probe.err)" = "$method" ] || fail "probe record $rect: '$(cat probe.err)', expected $method"
    read -r count first <<<"$(differing composed.ppm expected.ppm "$w" "$h" 0)"
    [ "$count" = 0 ] || fail "$rect ($what, $method): $count pixels of the frame differ from the screen, $first"

    native /rect "$x" "$y" "$w" "$h" 1 "$name$x.gif"
    rect_ok "$name$x.gif" "$w" "$h"
    frame "$name$x.gif" recorded.ppm
    read -r count first <<<"$(differing recorded.ppm expected.ppm "$w" "$h" "$tolerance")"
    [ "$count" = 0 ] || fail "/rect $rect ($what, $method): $count pixels differ from the screen, $first"
    ok "$rect, $what, $method, cursor=$cursor: the frame is the screen exactly; /rect writes one frame of it"
  done
  rm bin/Pixlo.ini
}

# --- A display with MIT-SHM.
start_xvfb "${screen_w}x$screen_h" xvfb.log -noreset || fail "Xvfb did not start"
servers+=("$xvfb_pid")
paint_scene
record_rects "shared memory" shm 0

# --- What /rect cannot use it replaces, one plain line each on standard
# error, and the run goes on.
native /rect 20 20 0 -2 0 replaced.gif none 0 -1
rect_ok replaced.gif 320 240
expected_err="pixlo: w 0 replaced by 320
pixlo: h -2 replaced by 240
pixlo: seconds 0 replaced by 1
pixlo: fps 0 replaced by 12
pixlo: outwidth -1 replaced by 0"
[ "$(cat err.txt)" = "$expected_err" ] || fail "/rect with values to replace: standard error '$(cat err.txt)'"
native /rect 20 20 64 48 1 replaced.gif missing.png 400 5000
[[ $(cat out.txt) =~ ^OK:\ replaced.gif\ \ frames=1\ \ out=1920x1440 ]] && [ "$status" = 0 ] ||
  fail "/rect with a missing watermark, fps 400 and outwidth 5000: exit $status, '$(cat out.txt)'"
expected_err="pixlo: fps 400 replaced by 100
pixlo: outwidth 5000 replaced by 1920
pixlo: watermark missing.png cannot be loaded: none is used"
[ "$(cat err.txt)" = "$expected_err" ] || fail "/rect with a missing watermark: standard error '$(cat err.txt)'"
ok "/rect says each value it replaces on standard error and records"

# --- --pick: a drag on the screen prints x y w h, both corner pixels
# included, whichever way it went; a red outline follows the drag and is gone
# afterwards; Escape cancels with exit 1.
readonly outline=229,72,77
outline_drawn() {  # x y w h: the outline shows at both corners and two mid-sides; sets missing
  import -window root -depth 8 ppm:picking.ppm
  for missing in "$1 $2" "$(($1 + $3 - 1)) $(($2 + $4 - 1))" "$(($1 + $3 / 2)) $2" "$1 $(($2 + $4 / 2))"; do
    # shellcheck disable=SC2086
    [ "$(python3 "$pixels" at picking.ppm $missing)" = "$outline" ] || return 1
  done
}
screen_restored() {  # the screen is as before the pick; sets count and first
  import -window root -depth 8 ppm:picked.ppm
  read -r count first <<<"$(differing picked.ppm screen.ppm "$screen_w" "$screen_h" 0)"
  [ "$count" = 0 ]
}
# from | to | expected line
drags=("100 120|300 250|100 120 201 131" "300 250|100 120|100 120 201 131" "410 40|400 61|400 40 11 22")
for drag in "${drags[@]}"; do
  IFS='|' read -r from to expected <<<"$drag"
  bin/pixlo --pick >pick.out 2>pick.err &
  pick_pid=$!
  wait_for 5 grep -q 'drag over the area' pick.err || fail "--pick: no prompt on standard error: $(cat pick.err)"
  read -r fx fy <<<"$from"
  read -r tx ty <<<"$to"
  xdotool mousemove "$fx" "$fy" mousedown 1 mousemove $(((fx + tx) / 2)) $(((fy + ty) / 2)) sleep 0.2 mousemove "$tx" "$ty"
  # The outline is drawn when the program has read the motion: on a busy
  # machine that may take a while, so the screen is looked at until it shows.
  wait_for 5 outline_drawn $expected || fail "--pick $drag: no outline at $missing while dragging"
  xdotool mouseup 1
  status=0
  timeout 5 tail --pid="$pick_pid" -f /dev/null || fail "--pick $drag: still running after the release"
  wait "$pick_pid" || status=$?
  [ "$(cat pick.out)" = "$expected" ] && [ "$status" = 0 ] ||
    fail "--pick from $from to $to: exit $status, '$(cat pick.out)', expected '$expected'"
  wait_for 5 screen_restored || fail "--pick $drag: the screen keeps $count changed pixels afterwards, $first"
done
# What --pick printed is what /rect takes.
read -r -a picked <pick.out
native /rect "${picked[@]}" 1 picked.gif
rect_ok picked.gif 11 22
bin/pixlo --pick >pick.out 2>pick.err &
pick_pid=$!
wait_for 5 grep -q 'drag over the area' pick.err || fail "--pick: no prompt on standard error: $(cat pick.err)"
xdotool mousemove 50 50 mousedown 1 mousemove 90 90 sleep 0.2 key Escape
status=0
timeout 5 tail --pid="$pick_pid" -f /dev/null || fail "--pick: still running after Escape"
wait "$pick_pid" || status=$?
xdotool mouseup 1
[ "$status" = 1 ] && [ ! -s pick.out ] || fail "--pick cancelled by Escape: exit $status, '$(cat pick.out)'"
DISPLAY='' native --pick
[ "$status" = 1 ] && [ ! -s out.txt ] && grep -q DISPLAY err.txt || fail "--pick without a display: exit $status, '$(cat err.txt)'"
ok "--pick prints the dragged x y w h for /rect, shows an outline only while dragging; Escape and no display end with 1"

# --- The cursor: a themed crosshair (24 x 24, hotspot in the middle, soft
# shadow) set on the root window and read back through XFixes, over a
# rectangle inside the red block. Its image's top-left corner goes to the
# pointer, as on Windows. The frame handed to the encoder must be the scene
# with the image put over it exactly. In the GIF the outline's few white
# pixels lose out in the palette, so there the 8 x 8 block means are
# compared: measured within 39 of the expected picture, while the image
# moved by its hotspot, or left out, is at least 110 off.
xsetroot -cursor_name crosshair
printf '[settings]\ncursor=1\n' >bin/Pixlo.ini
x=60 y=50 w=64 h=48
expect_rect "$x" "$y" "$w" "$h" plain.ppm
# pointer | what it shows
pointers=("$((x + 20)) $((y + 12))|inside the rectangle" "$((x - 10)) $((y - 6))|left of and above it: its visible part")
for row in "${pointers[@]}"; do
  IFS='|' read -r pointer what <<<"$row"
  read -r px py <<<"$pointer"
  at_pointer() {
    xdotool mousemove "$px" "$py" && "$probe" cursor >cursor.txt &&
      read -r cw ch hx hy cx cy <cursor.txt && [ "$cx $cy" = "$px $py" ] && [ "$cw" -gt 0 ]
  }
  wait_for 10 at_pointer || fail "the pointer does not reach $pointer: $(head -1 cursor.txt)"
  [ "$hx $hy" != "0 0" ] || fail "the crosshair's hotspot is 0 0: the check could not tell placements apart"
  python3 "$pixels" over plain.ppm cursor.txt $((px - x)) $((py - y)) expected.ppm

  "$probe" record "$x" "$y" "$w" "$h" 1 >composed.ppm 2>probe.err || fail "probe record with the cursor: $(cat probe.err)"
  read -r count first <<<"$(differing composed.ppm expected.ppm "$w" "$h" 0)"
  [ "$count" = 0 ] || fail "cursor at $pointer ($what): $count pixels of the frame differ from the scene with the image at the pointer, $first"

  native /rect "$x" "$y" "$w" "$h" 1 cursor.gif
  rect_ok cursor.gif "$w" "$h"
  frame cursor.gif recorded.ppm
  read -r count compared first <<<"$(python3 "$pixels" blocks recorded.ppm 0 0 expected.ppm 0 0 "$w" "$h" 48)"
  [ "$count" = 0 ] || fail "/rect with the cursor at $pointer ($what): $count of $compared blocks differ, $first"
  ok "cursor at $pointer, $what: the ${cw}x$ch image (hotspot $hx,$hy) with its top-left corner at the pointer"
done

# --cursor and --no-cursor beat the settings file for one run and leave it
# as it was. The pointer is still left of and above the rectangle, so its
# visible part is in expected.ppm.
# file's cursor | option | the picture it must give
overrides=("1|--no-cursor|plain.ppm" "0|--cursor|expected.ppm")
for row in "${overrides[@]}"; do
  IFS='|' read -r file_cursor option picture <<<"$row"
  printf '[settings]\ncursor=%s\n' "$file_cursor" >bin/Pixlo.ini
  cp bin/Pixlo.ini ini.before
  native "$option" /rect "$x" "$y" "$w" "$h" 1 override.gif
  rect_ok override.gif "$w" "$h"
  frame override.gif recorded.ppm
  read -r count compared first <<<"$(python3 "$pixels" blocks recorded.ppm 0 0 "$picture" 0 0 "$w" "$h" 48)"
  [ "$count" = 0 ] || fail "cursor=$file_cursor in the file, $option: $count of $compared blocks differ from $picture, $first"
  cmp -s ini.before bin/Pixlo.ini || fail "$option changed the settings file"
done
ok "--cursor and --no-cursor override the settings file for the run and do not change it"

# --optimize and --no-optimize likewise: the pointer moves during the
# recording, so with changed areas a later frame covers less than the whole.
# file's optimize | option | whether a later frame is smaller
overrides=("1|--no-optimize|no" "0|--optimize|yes")
for row in "${overrides[@]}"; do
  IFS='|' read -r file_optimize option smaller <<<"$row"
  printf '[settings]\ncursor=1\noptimize=%s\n' "$file_optimize" >bin/Pixlo.ini
  cp bin/Pixlo.ini ini.before
  xdotool mousemove $((x + 5)) $((y + 5))
  (sleep 0.6; xdotool mousemove $((x + 30)) $((y + 20)); sleep 0.6; xdotool mousemove $((x + 10)) $((y + 30))) &
  mover=$!
  native "$option" /rect "$x" "$y" "$w" "$h" 2 optimize.gif
  wait "$mover"
  [ "$status" = 0 ] || fail "$option: exit $status, '$(cat out.txt)'"
  identify -format '%w %h\n' optimize.gif >sizes.txt
  [ "$(wc -l <sizes.txt)" -ge 2 ] || fail "$option: only one frame, the pointer did not move"
  partial=$(tail -n +2 sizes.txt | grep -vc "^$w $h\$" || true)
  if [ "$smaller" = yes ]; then
    [ "$partial" -gt 0 ] || fail "$option over optimize=$file_optimize: every frame is whole"
  else
    [ "$partial" = 0 ] || fail "$option over optimize=$file_optimize: $partial frames are not whole"
  fi
  cmp -s ini.before bin/Pixlo.ini || fail "$option changed the settings file"
done
ok "--optimize and --no-optimize override the settings file for the run and do not change it"
rm bin/Pixlo.ini

# --- pixlo.exe under Wine records the same still scenes: the same pixels.
pixlo_timeout=120  # the first run makes the prefix
for row in "${rects[@]}"; do
  read -r x y w h <<<"${row%%|*}"
  pixlo /rect "$x" "$y" "$w" "$h" 1 "wine$x.gif"
  pixlo_timeout=60
  rect_ok "wine$x.gif" "$w" "$h" $'\r'
  same_frames "shm$x.gif" "wine$x.gif" "$w" "$h" "/rect $x $y $w $h by pixlo and pixlo.exe"
done
ok "pixlo and pixlo.exe under Wine record the same pixels (${#rects[@]} rectangles)"
"$wineserver" -k 2>/dev/null || true

# --- A display without MIT-SHM and without XFIXES: plain requests, the same
# recordings; the cursor cannot be read, so with cursor=1 the pointer over
# the first rectangle is left out.
start_xvfb "${screen_w}x$screen_h" xvfb-plain.log -noreset -extension MIT-SHM -extension XFIXES ||
  fail "Xvfb without MIT-SHM and XFIXES did not start"
servers+=("$xvfb_pid")
# ImageMagick's import brings this Xvfb down (an assertion when it
# disconnects), so the first display's screenshot of the same scene stands
# for this one's.
"$probe" paint || fail "the scene cannot be painted on $DISPLAY"
record_rects "plain requests" plain 1
for row in "${rects[@]}"; do
  read -r x y w h <<<"${row%%|*}"
  same_frames "shm$x.gif" "plain$x.gif" "$w" "$h" "/rect $x $y $w $h with and without MIT-SHM and XFIXES"
done
ok "without MIT-SHM and XFIXES: the same pixels as with them (${#rects[@]} rectangles)"

# --- A server that goes away during a recording: the recording is written,
# its last picture filling the rest, with the reason on standard error,
# instead of Xlib ending the process.
start_xvfb 320x240 xvfb-gone.log -noreset || fail "the third Xvfb did not start"
servers+=("$xvfb_pid")
timeout 30 bin/pixlo /rect 0 0 100 80 3 gone.gif >out.txt 2>err.txt &
run_pid=$!
connected() {  # pixlo, the child of timeout, holds a socket
  local child
  child=$(pgrep -P "$run_pid") && ls -l "/proc/$child/fd" 2>/dev/null | grep -q 'socket:'
}
wait_for 10 connected || fail "pixlo does not connect to $DISPLAY"
end_pid "$xvfb_pid"
status=0
wait "$run_pid" || status=$?
rect_ok gone.gif 100 80
[ "$(wc -l <err.txt)" = 1 ] && grep -q 'went away' err.txt ||
  fail "a server gone during the recording: standard error '$(cat err.txt)', expected one line saying so"
ok "a server gone during the recording: the recording is written ($(cat err.txt))"
