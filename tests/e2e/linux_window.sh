#!/usr/bin/env bash
# End-to-end checks of the native program's main window on private Xvfb
# displays, once without a window manager or compositor, once under xcompmgr
# and once under a real window manager (openbox): its size from the settings,
# its pixels, clicks that pass through the viewfinder to a window beneath
# while the toolbar keeps its own, --pick's click on a window, a whole
# recording saved through the Save dialog (its folder, the name's extension,
# a long path), the margin that sizes nothing while recording, resizing by
# the margin, closing during a recording and when idle, and the global
# hotkey while an xterm has the focus (once with NumLock on). Under the
# window manager also: the window stays above one mapped later, its title
# bar moves it and the recording area follows, and its close box ends the
# program.
#
# pixlo runs from a copy in the scratch folder, so the settings file beside
# it is the test's own. The Save dialog first opens in the user's Pictures
# folder, whose path here is long: a GIF named there has a path of more than
# 259 bytes.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
native_build=${PIXLO_BUILD_NATIVE:-$root/build/native}
pixels="$root/tests/e2e/pixels.py"
for tool in Xvfb xdotool xsetroot xcompmgr openbox xprop xwininfo import convert identify python3 timeout; do
  command -v "$tool" >/dev/null || { echo "linux window: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
probe=$native_build/tests/pixlo_x11_window_probe
[ -x "$native_build/pixlo" ] && [ -x "$probe" ] || { echo "linux window: build first (scripts/build.sh native)" >&2; exit 1; }

# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

work=$(mktemp -d /tmp/pixlo-linux-window.XXXXXX)
# The program's settings file outside the checkout is the user's own: every
# run here reads and writes one of this run's instead.
export XDG_CONFIG_HOME="$work/config" HOME="$work/home"
pictures=$work/$(printf 'p%.0s' {1..120})/$(printf 'q%.0s' {1..120})
mkdir -p "$XDG_CONFIG_HOME" "$HOME" "$pictures" "$work/elsewhere"
echo "XDG_PICTURES_DIR=\"$pictures\"" >"$XDG_CONFIG_HOME/user-dirs.dirs"
xvfb_pid="" compositor_pid="" wm_pid="" listener_pid="" pixlo_pid="" pick_pid="" grab_pid=""
cleanup() {
  end_pid "$pick_pid"
  end_pid "$grab_pid"
  end_pid "$pixlo_pid"
  end_pid "$listener_pid"
  end_pid "$wm_pid"
  end_pid "$compositor_pid"
  end_pid "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
mkdir bin
cp "$native_build/pixlo" bin/
# A 320 x 200 viewfinder, recorded at its own width.
printf '[settings]\ndefw=320\ndefh=200\noutw=0\nguides=1\n' >bin/Pixlo.ini
# GTK's settings store and accessibility bus need a session bus the test has not.
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1

readonly client_w=332 client_h=248       # the viewfinder plus the toolbar and margins
readonly outline_colour=229,72,77
# The listener lies under the toolbar's right end and the viewfinder's right part.
readonly lx=250 ly=10 lw=70 lh=180

# The main window's client origin on the screen: (0, 0) without a window
# manager; under one, where the test has moved it by its title bar. Points
# below are in client coordinates unless they say otherwise.
ox=0 oy=0
shot() { import -window root -depth 8 "ppm:$1"; }
at() { python3 "$pixels" at "$1" $((ox + $2)) $((oy + $3)); }
# count FILE X Y W H COLOUR TOLERANCE, and diff, as pixels.py's, in client coordinates.
count() { python3 "$pixels" count "$1" $((ox + $2)) $((oy + $3)) "${@:4}"; }
client_origin() {  # prints the window's client origin on the screen
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}'
}
frame_rect() {  # WINDOW: x y w h of its frame on the screen, the window's own where it has none
  local x y w h l r t b
  read -r x y <<<"$(client_origin "$1")"
  read -r w h <<<"$(xwininfo -id "$1" | awk '/^  Width:/ {w = $NF} /^  Height:/ {h = $NF} END {print w, h}')"
  read -r l r t b <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ,)"
  echo $((x - ${l:-0})) $((y - ${t:-0})) $((w + ${l:-0} + ${r:-0})) $((h + ${t:-0} + ${b:-0}))
}
# pick_click X Y EXPECTED [HOLD_MS]: --pick with a click at the screen's X, Y
# prints EXPECTED; with HOLD_MS another program holds the pointer and the
# keyboard that long while --pick starts.
pick_click() {
  rm -f pick.out pick.err grab.out  # the waits below must see this run's lines
  if [ -n "${4:-}" ]; then
    "$probe" grab "$4" >grab.out &
    grab_pid=$!
    wait_for 5 grep -q grabbed grab.out || fail "$mode: the probe did not grab the pointer"
  fi
  bin/pixlo --pick >pick.out 2>pick.err &
  pick_pid=$!
  [ -z "${4:-}" ] || wait_for 5 grep -q released grab.out || fail "$mode: the probe kept its grab"
  wait_for 5 grep -q 'drag over the area' pick.err || fail "$mode: --pick did not start: $(cat pick.err)"
  xdotool mousemove "$1" "$2" sleep 0.1 click 1
  local status=0
  timeout 5 tail --pid="$pick_pid" -f /dev/null || fail "$mode: --pick still running after a click at $1,$2"
  wait "$pick_pid" || status=$?
  pick_pid=""
  [ "$(cat pick.out)" = "$3" ] && [ "$status" = 0 ] ||
    fail "$mode: --pick with a click at $1,$2: exit $status, '$(cat pick.out)' $(cat pick.err), expected '$3'"
}
main_window() {  # prints the main window's id once it is mapped at its full size
  local id
  for id in $(xdotool search --onlyvisible --name '^Pixlo$' 2>/dev/null); do
    [[ $(xdotool getwindowgeometry "$id") == *"Geometry: ${client_w}x${client_h}"* ]] && { echo "$id"; return 0; }
  done
  return 1
}
start_pixlo() {
  bin/pixlo >pixlo.out 2>pixlo.err &
  pixlo_pid=$!
  wait_for 10 main_window >/dev/null || fail "$mode: no ${client_w}x${client_h} window \"Pixlo\" within 10 s: $(cat pixlo.err)"
  window=$(main_window)
  sleep 0.5  # the first paint
}
click() { xdotool mousemove $((ox + $1)) $((oy + $2)) click 1; sleep 0.3; }
presses() { grep -c '^press' listener.txt || true; }
close_main() {  # WHAT: closes the main window, by the window manager's close box where there is one
  if [ "$mode" = wm ]; then
    # The close box is the title bar's right end in openbox's default theme.
    local wx wy top ww
    read -r wx wy <<<"$(client_origin "$window")"
    top=$(xprop -id "$window" _NET_FRAME_EXTENTS | awk -F', ' '{print $3}')
    read -r ww <<<"$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')"
    xdotool mousemove $((wx + ww - 10)) $((wy - top / 2)) sleep 0.2 click 1
    expect_native_exit "$1 by the close box"
  else
    close_native_window "$window" "$1"
  fi
}
# hotkey_cycle NUMLOCK: with an xterm beneath the viewfinder holding the focus
# and the pointer, Alt+Shift+R starts a recording of its changing text and
# stops it again; Generate saves frames that show the text. NUMLOCK "on"
# presses both with NumLock on.
hotkey_cycle() {
  local numlock=$1 term_pid term ink tx ty out=$work/elsewhere/hot-$1
  start_pixlo
  [ "$mode" != wm ] || read -r ox oy <<<"$(client_origin "$window")"
  xterm -T hotkeyterm -geometry 30x8+$((ox + 20))+$((oy + 60)) -bg white -fg black \
    -e sh -c 'i=0; while :; do i=$((i + 1)); echo "line $i $i $i $i"; sleep 0.05; done' &
  term_pid=$!
  wait_for 10 xdotool search --onlyvisible --name '^hotkeyterm$' >/dev/null || fail "$mode: the xterm did not map"
  term=$(xdotool search --onlyvisible --name '^hotkeyterm$' | head -1)
  xdotool mousemove $((ox + 100)) $((oy + 100))
  if [ "$mode" = wm ]; then xdotool windowactivate --sync "$term"; else xdotool windowfocus --sync "$term"; fi
  [ "$(xdotool getwindowfocus)" = "$term" ] || fail "$mode: the xterm does not have the focus"
  # Without a window manager xdotool names no window under the pointer: the
  # pointer's place inside the xterm's rectangle has to do.
  local px py
  read -r px py <<<"$(xdotool getmouselocation --shell | sed -n 's/^[XY]=//p' | tr '\n' ' ')"
  read -r tx ty <<<"$(client_origin "$term")"
  [ "$px" -gt "$tx" ] && [ "$px" -lt $((tx + 150)) ] && [ "$py" -gt "$ty" ] && [ "$py" -lt $((ty + 80)) ] ||
    fail "$mode: the pointer at $px,$py is not over the xterm at $tx,$ty"
  if [ "$numlock" = on ]; then
    xdotool key Num_Lock
    wait_for 3 sh -c "xset q | grep -q 'Num Lock: *on'" || fail "$mode: NumLock did not come on"
  fi
  sleep 0.5
  shot before.ppm
  # The status line's part inside the 332-pixel window: white while empty.
  [ "$(count before.ppm 244 9 80 20 255,255,255 60)" = 1600 ] || fail "$mode: the status line is not empty at start"
  xdotool key alt+shift+r
  sleep 1.5
  shot recording.ppm
  ink=$(count recording.ppm 244 9 80 20 255,255,255 60)
  [ "$ink" -lt 1500 ] || fail "$mode: Alt+Shift+R (NumLock $numlock) started no recording"
  # The size label's corner, below the listener and right of the xterm.
  [ "$(at before.ppm 240 206)" != "$root_colour" ] && [ "$(at recording.ppm 240 206)" = "$root_colour" ] ||
    fail "$mode: the size label stays after Alt+Shift+R"
  xdotool key alt+shift+r
  sleep 1.5
  [ "$numlock" != on ] || { xdotool key Num_Lock; wait_for 3 sh -c "xset q | grep -q 'Num Lock: *off'"; }
  # Without a window manager keys go to the focus window, the xterm still:
  # the root as the focus sends them to the window under the pointer again,
  # as the Save dialog below needs.
  [ "$mode" = wm ] || xdotool windowfocus "$(xwininfo -root | awk '/Window id:/ {print $4}')"
  click 150 18
  wait_for 10 xdotool search --onlyvisible --name '^保存 GIF$' >/dev/null ||
    fail "$mode: no Save dialog after the hotkey stopped the recording"
  sleep 0.5
  xdotool key ctrl+a
  xdotool type --delay 40 "$out"
  xdotool key Return
  wait_for 10 test -s "$out.gif" || fail "$mode: no GIF saved after the hotkey's recording"
  sleep 0.5
  local frames
  frames=$(identify "$out.gif" | wc -l)
  # The xterm's text area in the frame, which starts at the client's (6, 42).
  read -r tx ty <<<"$(client_origin "$term")"
  tx=$((tx - ox - 6 + 6)) ty=$((ty - oy - 42 + 6))
  [ "$frames" -ge 3 ] || fail "$mode: $frames frames for 1.5 s of a changing xterm"
  convert "$out.gif[0]" -depth 8 ppm:first.ppm
  convert "$out.gif[$((frames - 1))]" -depth 8 ppm:last.ppm
  # White with black lines.
  [ "$(python3 "$pixels" count first.ppm $tx $ty 150 60 255,255,255 12)" -ge 4500 ] ||
    fail "$mode: the first frame does not show the xterm's white"
  [ "$(python3 "$pixels" count first.ppm $tx $ty 150 60 0,0,0 60)" -ge 100 ] ||
    fail "$mode: the first frame shows no text in the xterm"
  read -r ink _ <<<"$(python3 "$pixels" diff first.ppm $tx $ty last.ppm $tx $ty 150 60 0)"
  [ "$ink" -gt 0 ] || fail "$mode: the xterm's text did not change between the first and the last frame"
  end_pid "$term_pid"
  close_main idle
  ok "$mode: Alt+Shift+R with NumLock $numlock starts and stops a recording while an xterm has the focus and the pointer; the GIF shows its changing text"
}
run_mode() {
  mode=$1
  start_xvfb 800x600 xvfb.log -noreset
  wait_for 5 xsetroot -solid '#3366cc' || fail "$mode: xsetroot"
  if [ "$mode" = compositor ]; then
    xcompmgr >compositor.log 2>&1 &
    compositor_pid=$!
    wait_for 10 sh -c 'xwininfo -root -tree | grep -q "\"xcompmgr\""' ||
      fail "$mode: xcompmgr did not start: $(cat compositor.log)"
  fi
  ox=0 oy=0
  if [ "$mode" = wm ]; then
    # openbox reads its rc.xml from the test's own XDG_CONFIG_HOME first,
    # which has none: Debian's defaults.
    openbox --sm-disable >wm.log 2>&1 &
    wm_pid=$!
    wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
      fail "$mode: openbox did not start: $(cat wm.log)"
    start_pixlo
    ok "$mode: the window appears framed at ${client_w}x${client_h} for a 320x200 viewfinder"
    # Its title bar, above the client, moves it to (40, 40); the recording
    # below shows the area followed.
    local top wx wy
    top=$(xprop -id "$window" _NET_FRAME_EXTENTS | awk -F', ' '{print $3}')
    [ -n "$top" ] && [ "$top" -gt 4 ] || fail "$mode: no title bar above the window (frame extents '$top')"
    [ "$(xdotool getwindowname "$window")" = Pixlo ] || fail "$mode: the title is $(xdotool getwindowname "$window")"
    read -r wx wy <<<"$(client_origin "$window")"
    xdotool mousemove $((wx + 100)) $((wy - top / 2)) sleep 0.2 mousedown 1 sleep 0.2 \
      mousemove $((wx + 110)) $((wy - top / 2 + 10)) sleep 0.2 mousemove $((140)) $((40 - top / 2)) sleep 0.3 mouseup 1
    wait_for 3 test "$(client_origin "$window")" = "40 40" ||
      fail "$mode: dragging the title bar from $wx,$wy to 40,40 left the client at $(client_origin "$window")"
    ox=40 oy=40
    ok "$mode: the title bar moves the window"
    # The listener, a framed window mapped after the program, must stay
    # below it: its frame goes where asked, which puts its client under the
    # toolbar's right end and the viewfinder's right part, as in the other
    # modes.
    "$probe" listen $((ox + lx)) $((oy + ly - top)) $lw $lh managed >listener.txt &
  else
    "$probe" listen $lx $ly $lw $lh >listener.txt &
  fi
  listener_pid=$!
  wait_for 5 grep -qs mapped listener.txt || fail "$mode: the listener window did not map"

  if [ "$mode" != wm ]; then
    start_pixlo
    ok "$mode: the window appears at ${client_w}x${client_h} for a 320x200 viewfinder"
  fi

  [ "$mode" != wm ] || sleep 0.5  # the listener's first paint
  shot idle.ppm
  # What the screen shows where no window is (xcompmgr paints its own grey
  # over a root without a background pixmap): the viewfinder must show it too.
  root_colour=$(python3 "$pixels" at idle.ppm 600 500)
  [ "$mode" = compositor ] || [ "$root_colour" = 51,102,204 ] || fail "$mode: the root shows $root_colour"
  if [ "$mode" = wm ]; then
    # The listener's white client would cover these if it were above.
    local above=("300 35 229,231,235 separator-over-the-listener" "300 38 229,231,235 margin-over-the-listener"
                 "300 36 $outline_colour outline-over-the-listener")
    expect_colours idle.ppm "${above[@]}"
    ok "$mode: the window stays above a window mapped later"
  fi
  cp idle.ppm "$root/build/linux_window_$mode.ppm" 2>/dev/null || true
  local expected=(
    "238 20 255,255,255 toolbar"
    "100 35 229,231,235 separator"
    "0 100 $outline_colour outline-left"
    "$((client_w - 1)) 100 $outline_colour outline-right"
    "100 $((client_h - 1)) $outline_colour outline-bottom"
    "50 150 $root_colour viewfinder-shows-the-root"
    "3 150 229,231,235 margin-ring"
    "$((client_w - 7)) 150 $root_colour area-edge-shows-the-root"
    "280 150 255,255,255 viewfinder-shows-the-listener"
    "150 $((client_h + 20)) $root_colour below-the-window"
  )
  expect_colours idle.ppm "${expected[@]}"
  ok "$mode: toolbar, separator, outline and a see-through viewfinder"

  click 280 150
  wait_for 3 test "$(presses)" = 1 || fail "$mode: a click in the viewfinder did not reach the window beneath"
  click 280 20
  sleep 0.5
  [ "$(presses)" = 1 ] || fail "$mode: a click on the toolbar reached the window beneath"
  ok "$mode: the viewfinder passes clicks through, the toolbar keeps them"

  # --pick: a click without a drag picks the window that would take it, its
  # frame included: the listener through the viewfinder, the main window by
  # its toolbar, the whole screen where there is no window. The first starts
  # while another program still holds the pointer for a moment.
  local listener_rect="$lx $ly $lw $lh"
  [ "$mode" != wm ] || listener_rect=$(frame_rect "$(xdotool search --name '^listener$' | head -1)")
  pick_click $((ox + 280)) $((oy + 150)) "$listener_rect" 1000
  pick_click $((ox + 100)) $((oy + 20)) "$(frame_rect "$window")"
  pick_click $((ox + client_w + 100)) $((oy + client_h + 100)) "0 0 800 600"
  ok "$mode: --pick's click picks the window under the pointer, its frame included"

  # Record, Stop, Generate, and a name typed into the Save dialog, which opens
  # in Pictures and adds the extension.
  click 34 18
  sleep 1.5
  shot recording.ppm
  # The status line shows the progress text (dark ink where it was empty).
  local ink
  ink=$(count recording.ppm 244 9 200 20 255,255,255 60)
  [ "$ink" -lt 4000 ] || fail "$mode: no progress text while recording"
  [ "$(at recording.ppm 166 142)" = "$root_colour" ] || fail "$mode: the guides stay while recording"
  # The capture keeps its rectangle: so does the window.
  xdotool mousemove $((ox + client_w - 2)) $((oy + client_h - 2)) mousedown 1 sleep 0.1 \
    mousemove $((ox + client_w + 20)) $((oy + client_h + 10)) sleep 0.2 \
    mousemove $((ox + client_w + 38)) $((oy + client_h + 28)) sleep 0.3 mouseup 1
  sleep 0.5
  [[ $(xdotool getwindowgeometry "$window") == *"Geometry: ${client_w}x${client_h}"* ]] ||
    fail "$mode: a drag on the margin while recording left $(xdotool getwindowgeometry "$window" | tail -1)"
  ok "$mode: the margin sizes nothing while recording"
  click 92 18
  sleep 1
  click 150 18
  wait_for 10 xdotool search --onlyvisible --name '^保存 GIF$' >/dev/null || fail "$mode: no Save dialog titled 保存 GIF"
  sleep 0.5
  xdotool key ctrl+a
  xdotool type --delay 40 first
  sleep 0.3
  xdotool key Return
  local first=$pictures/first.gif
  wait_for 10 test -s "$first" || fail "$mode: no first.gif in Pictures after the Save dialog: $(ls "$pictures" bin)"
  sleep 0.5
  [[ $(identify -format '%w %h\n' "$first" | head -1) == "320 200" ]] || fail "$mode: the GIF is not 320x200"
  convert "$first[0]" -depth 8 ppm:frame.ppm
  # The recording area starts at client (6, 42): the listener's left edge is
  # at x 244 of the frame, its bottom at y 148.
  [ "$(python3 "$pixels" count frame.ppm 0 0 320 200 $outline_colour 40)" = 0 ] ||
    fail "$mode: outline pixels in the first frame"
  [ "$(python3 "$pixels" count frame.ppm 10 60 200 80 $root_colour 12)" = 16000 ] ||
    fail "$mode: the first frame does not show the root under the area (guides or label in it?)"
  [ "$(python3 "$pixels" count frame.ppm 250 10 60 120 255,255,255 12)" = 7200 ] ||
    fail "$mode: the first frame does not show the listener under the area"
  ok "$mode: Record, Stop, Generate and Save write a GIF of what lay under the recording area, to Pictures under a ${#first}-byte path"

  # Cancel in the Save dialog: the status line and the folder stay as they were.
  shot saved.ppm
  ls -l --time-style=full-iso bin >files.before
  click 150 18
  wait_for 10 xdotool search --onlyvisible --name '^保存 GIF$' >/dev/null || fail "$mode: no Save dialog the second time"
  sleep 0.5
  xdotool key Escape
  wait_for 5 sh -c "! xdotool search --onlyvisible --name '^保存 GIF$' >/dev/null" || fail "$mode: Escape left the Save dialog open"
  sleep 0.5
  shot cancelled.ppm
  # The status line's text, not the buttons' hover looks.
  [ "$(count saved.ppm 244 9 80 20 255,255,255 60)" -lt 1500 ] || fail "$mode: no saved text to keep"
  read -r count first <<<"$(python3 "$pixels" diff saved.ppm $((ox + 244)) $((oy + 9)) cancelled.ppm $((ox + 244)) $((oy + 9)) $((client_w - 244)) 20 0)"
  [ "$count" = 0 ] || fail "$mode: cancelling the Save dialog changed $count pixels of the status line, $first"
  ls -l --time-style=full-iso bin | cmp -s files.before - || fail "$mode: cancelling the Save dialog changed the folder"
  ok "$mode: Cancel in the Save dialog leaves the status line and the files as they were"

  # Saving over an existing file asks first, also when the name's ".gif" was
  # left for the program to add; Escape there keeps the file, Replace writes
  # the recording over it.
  local out=$work/elsewhere/out.gif
  echo "not a GIF" >"$out"
  click 150 18
  wait_for 10 xdotool search --onlyvisible --name '^保存 GIF$' >/dev/null || fail "$mode: no Save dialog the third time"
  sleep 0.5
  xdotool key ctrl+a
  xdotool type --delay 40 "$work/elsewhere/out"
  sleep 0.3
  xdotool key Return
  sleep 1.5
  [ "$(cat "$out")" = "not a GIF" ] || fail "$mode: saving over out.gif, typed as out, did not ask first"
  [ ! -e "$work/elsewhere/out" ] || fail "$mode: out was saved without its extension"
  xdotool search --onlyvisible --name '^保存 GIF$' >/dev/null || fail "$mode: out.gif, typed as out, closed the Save dialog"
  xdotool key Return
  sleep 1.5
  [ "$(cat "$out")" = "not a GIF" ] || fail "$mode: saving over out.gif did not ask first"
  xdotool key Escape
  sleep 1
  [ "$(cat "$out")" = "not a GIF" ] || fail "$mode: saying no to the question replaced out.gif"
  xdotool search --onlyvisible --name '^保存 GIF$' >/dev/null || fail "$mode: saying no to the question closed the Save dialog"
  xdotool key Return
  sleep 1.5
  [ "$(cat "$out")" = "not a GIF" ] || fail "$mode: the second Save did not ask again"
  xdotool key Return
  wait_for 10 identify "$out" >/dev/null 2>&1 || fail "$mode: Replace did not write the GIF over out.gif"
  [[ $(identify -format '%w %h\n' "$out" | head -1) == "320 200" ]] || fail "$mode: the replaced out.gif is not 320x200"
  ok "$mode: saving over a file asks first, keeps it on no and replaces it on yes"

  # The next Save dialog opens where the last save went.
  click 150 18
  wait_for 10 xdotool search --onlyvisible --name '^保存 GIF$' >/dev/null || fail "$mode: no Save dialog the fourth time"
  sleep 0.5
  xdotool key ctrl+a
  xdotool type --delay 40 again.gif
  xdotool key Return
  wait_for 10 test -s "$work/elsewhere/again.gif" || fail "$mode: again.gif is not beside the last save: $(ls "$pictures")"
  ok "$mode: the Save dialog opens in the last save's folder"

  # The margin ring sizes the window, with or without a window manager; the
  # outline follows, and the viewfinder never goes below 64 x 64.
  xdotool mousemove $((ox + client_w - 2)) $((oy + client_h - 2)) mousedown 1
  xdotool mousemove $((ox + client_w + 20)) $((oy + client_h + 10)) sleep 0.2 \
    mousemove $((ox + client_w + 38)) $((oy + client_h + 28)) sleep 0.3 mouseup 1
  wait_for 3 sh -c "xdotool getwindowgeometry $window | grep -q 'Geometry: $((client_w + 40))x$((client_h + 30))'" ||
    fail "$mode: a drag on the lower right corner left $(xdotool getwindowgeometry "$window" | tail -1)"
  sleep 0.5
  shot resized.ppm
  [ "$(at resized.ppm $((client_w + 39)) 150)" = "$outline_colour" ] || fail "$mode: no outline on the resized right edge"
  [ "$(at resized.ppm $((client_w + 20)) 150)" = "$root_colour" ] || fail "$mode: the resized area is not see-through"
  xdotool mousemove $((ox + 1)) $((oy + 150)) mousedown 1 mousemove $((ox + 200)) $((oy + 150)) sleep 0.2 \
    mousemove $((ox + 700)) $((oy + 150)) sleep 0.3 mouseup 1
  wait_for 3 sh -c "xdotool getwindowgeometry $window | grep -q 'Geometry: 76x'" ||
    fail "$mode: a drag on the left edge past the right one left $(xdotool getwindowgeometry "$window" | tail -1)"
  ok "$mode: the margin sizes the window down to a 64-pixel viewfinder"

  # With Shift held, the viewfinder keeps the shape it had when the drag
  # began, the width leading: the height follows the width.
  local geometry wx wy ww wh tx ty want_w want_h
  # xdotool's position of a framed window adds the frame's offset once more:
  # the client's place comes from xwininfo.
  geometry=$(xdotool getwindowgeometry "$window")
  read -r wx wy <<<"$(client_origin "$window")"
  read -r ww wh <<<"$(sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p' <<<"$geometry")"
  want_w=$((ww + 64))
  # The area's width times its old height over its old width, rounded.
  want_h=$(((2 * (want_w - 12) * (wh - 48) + (ww - 12)) / (2 * (ww - 12)) + 48))
  tx=$((wx + ww - 2)) ty=$((wy + wh - 2))
  xdotool mousemove $tx $ty keydown shift mousedown 1
  xdotool mousemove $((tx + 30)) $((ty + 3)) sleep 0.2 mousemove $((tx + 64)) $((ty + 5)) sleep 0.3 mouseup 1 keyup shift
  wait_for 3 sh -c "xdotool getwindowgeometry $window | grep -q 'Geometry: ${want_w}x${want_h}'" ||
    fail "$mode: a Shift-drag from ${ww}x$wh left $(xdotool getwindowgeometry "$window" | tail -1), expected ${want_w}x$want_h"
  sleep 0.5
  shot shifted.ppm
  [ "$(python3 "$pixels" at shifted.ppm $((wx + want_w / 2)) $((wy + want_h - 1)))" = "$outline_colour" ] ||
    fail "$mode: no outline on the bottom edge after the Shift-drag"
  ok "$mode: Shift keeps the viewfinder's shape (${ww}x$wh to ${want_w}x$want_h)"

  close_main idle
  rm "$work"/elsewhere/*.gif "$pictures"/*.gif
  start_pixlo
  [ "$mode" != wm ] || read -r ox oy <<<"$(client_origin "$window")"
  click 34 18
  sleep 1
  close_main "during a recording"
  [ -z "$(ls bin/*.gif "$work"/elsewhere/*.gif "$pictures"/*.gif 2>/dev/null)" ] ||
    fail "$mode: closing wrote $(ls bin/*.gif "$work"/elsewhere/*.gif "$pictures"/*.gif 2>/dev/null)"
  ok "$mode: closing when idle and during a recording ends with exit 0 and writes nothing"

  if [ "$mode" = plain ]; then hotkey_cycle on; fi
  hotkey_cycle off

  end_pid "$listener_pid"; listener_pid=""
  end_pid "$wm_pid"; wm_pid=""
  end_pid "$compositor_pid"; compositor_pid=""
  end_pid "$xvfb_pid"; xvfb_pid=""
}

run_mode plain
run_mode compositor
run_mode wm
