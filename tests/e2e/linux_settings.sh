#!/usr/bin/env bash
# End-to-end checks of the native settings window on private Xvfb displays,
# without a window manager or compositor and under xcompmgr: the 设置 button
# opens it at its client size; its pixels; real clicks on the slider (a press
# and a drag that leaves the window), a switch, the output-width segments and
# typed sizes change Pixlo.ini in the configuration folder, which the first
# save creates; the main window follows a new size; a save that fails shows
# in the footer; closing while typing commits; Escape drops the digits and,
# with none to drop, closes the window. A Pixlo.ini beside the program (a
# portable install) takes the changes instead. The window opens beside the
# main window. Under a real window manager (openbox), what differs there: the
# window framed beside the main window's frame, a typed size that resizes the
# main window in place, and closing by the close box while typing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
native_build=${PIXLO_BUILD_NATIVE:-$root/build/native}
pixels="$root/tests/e2e/pixels.py"
for tool in Xvfb xdotool xsetroot xcompmgr openbox xprop xwininfo import python3 timeout; do
  command -v "$tool" >/dev/null || { echo "linux settings: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
probe=$native_build/tests/pixlo_x11_window_probe
[ -x "$native_build/pixlo" ] && [ -x "$probe" ] || { echo "linux settings: build first (scripts/build.sh native)" >&2; exit 1; }

# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

work=$(mktemp -d /tmp/pixlo-linux-settings.XXXXXX)
xvfb_pid="" compositor_pid="" wm_pid="" pixlo_pid="" server_pid=""
cleanup() {
  end_pid "$pixlo_pid"
  end_pid "$server_pid"
  end_pid "$wm_pid"
  end_pid "$compositor_pid"
  end_pid "$xvfb_pid"
  [ -n "${KEEP_WORK:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
mkdir bin
cp "$native_build/pixlo" bin/
# GTK's settings store and accessibility bus need a session bus the test has not.
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
# The user's own folders stay out of it: a home and a configuration folder
# of the test's, the latter not made yet.
export HOME=$work/home XDG_CONFIG_HOME=$work/config
mkdir "$HOME"
ini=$XDG_CONFIG_HOME/pixlo/Pixlo.ini
# The update check asks a local stand-in for the update host, which answers
# with a newer version.
mkdir server
python3 "$root/tests/e2e/update_server.py" --dir server --lifetime 300 >server/log 2>&1 &
server_pid=$!
wait_for 10 test -s server/ports || fail "the update server did not start: $(cat server/log)"
export PIXLO_UPDATE_HOST=127.0.0.1 PIXLO_UPDATE_PORT=$(awk '$1 == "newer_line_end" {print $2}' server/ports)

readonly accent=19,94,82 grey=209,213,219 white=255,255,255 separator=229,231,235

shot() { import -window root -depth 8 "ppm:$1"; }
# at FILE X Y: a pixel of the settings window, in its client coordinates.
at() { python3 "$pixels" at "$1" $(($2 + sx)) $(($3 + sy)); }
window_of_size() {  # NAME WxH: prints the id of a visible window of that name and client size
  local id
  for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
    [[ $(xdotool getwindowgeometry "$id") == *"Geometry: $2"* ]] && { echo "$id"; return 0; }
  done
  return 1
}
# footer_changes FILE: pixels of the footer's left part that differ from changed.ppm.
footer_changes() {
  python3 "$pixels" diff changed.ppm $((20 + sx)) $((460 + sy)) "$1" $((20 + sx)) $((460 + sy)) 200 16 40 |
    awk 'NR == 1 {print $1}'
}
main_size() { xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: //p'; }
# click X Y: in the settings window's client coordinates.
# The pointer rests a moment before the press: GTK can lose a press that
# comes with the motion onto its window.
click() { xdotool mousemove $(($1 + sx)) $(($2 + sy)) sleep 0.1 click 1; sleep 0.3; }
value() { sed -n "s/^$1=//p" "${2:-$ini}" | tr -d '\r'; }
expect_value() {  # KEY VALUE WHAT [FILE]
  wait_for 3 test "$(value "$1" "${4:-}")" = "$2" ||
    fail "$mode: $3: $1 is '$(value "$1" "${4:-}")' in ${4:-$ini}, expected $2"
}

start_pixlo() {  # main window client size
  bin/pixlo >pixlo.out 2>pixlo.err &
  pixlo_pid=$!
  wait_for 10 window_of_size '^Pixlo$' "$1" >/dev/null || fail "$mode: no $1 window \"Pixlo\": $(cat pixlo.err)"
  main=$(window_of_size '^Pixlo$' "$1")
  sleep 0.5
}
client_origin() {  # WINDOW: its client's place on the screen, framed or not
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}'
}
mx=0 my=0  # the main window's client origin: the screen's without a window manager
open_settings() {
  xdotool mousemove $((mx + 208)) $((my + 18)) sleep 0.1 click 1  # 设置
  wait_for 10 window_of_size '^设置（v1.3）$' 430x496 >/dev/null ||
    fail "$mode: no 430x496 window \"设置（v1.3）\" after a click on 设置: $(cat pixlo.err)"
  settings_window=$(window_of_size '^设置（v1.3）$' 430x496)
  read -r sx sy <<<"$(client_origin "$settings_window")"
  sleep 0.5
}
frame_origin() {  # WINDOW: where its frame starts, its own origin where it has none
  local x y l t
  read -r x y <<<"$(client_origin "$1")"
  read -r l _ t _ <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ,)"
  echo $((x - ${l:-0})) $((y - ${t:-0}))
}
escape_closes() {  # a second Escape, with no digits left to drop, closes the window as its close box does
  local before
  before=$(value defw)
  click 158 200
  xdotool type --delay 60 300
  xdotool key Escape
  sleep 0.3
  xdotool search --onlyvisible --name '^设置（v1.3）$' >/dev/null || fail "$mode: the first Escape closed the window"
  xdotool key Escape
  wait_for 3 sh -c "! xdotool search --onlyvisible --name '^设置（v1.3）$' >/dev/null" || fail "$mode: Escape left the window open"
  [ "$(value defw)" = "$before" ] || fail "$mode: Escape saved the width $(value defw)"
  ok "$mode: Escape drops the typed digits, and a second one closes the window"
}
run_mode() {
  mode=$1
  rm -rf "$XDG_CONFIG_HOME" bin/Pixlo.ini
  start_xvfb 1024x768 xvfb.log -noreset
  wait_for 5 xsetroot -solid '#3366cc' || fail "$mode: xsetroot"
  if [ "$mode" = compositor ]; then
    xcompmgr >compositor.log 2>&1 &
    compositor_pid=$!
    wait_for 10 sh -c 'xwininfo -root -tree | grep -q "\"xcompmgr\""' ||
      fail "$mode: xcompmgr did not start: $(cat compositor.log)"
  fi

  # Defaults: a 480 x 480 viewfinder.
  start_pixlo 492x528
  open_settings
  ok "$mode: 设置 opens a 430x496 settings window"
  # Beside the 492-pixel main window with a gap of 8, not over its toolbar.
  [ "$sx $sy" = "500 0" ] || fail "$mode: the settings window opens at $sx,$sy, not beside the main window at 500,0"
  ok "$mode: it opens beside the main window"
  [ ! -e "$XDG_CONFIG_HOME" ] || fail "$mode: the configuration folder exists before any change"

  shot defaults.ppm
  cp defaults.ppm "$root/build/linux_settings_$mode.ppm" 2>/dev/null || true
  local expected=(
    "5 5 $white background"
    "425 435 $white background"
    "100 64 $separator separator"
    "300 40 $separator slider-track"
    "200 40 $white knob-at-10-fps"
    "150 85 $grey cursor-switch-off"
    "124 85 $white its-knob-left"
    "332 85 $accent guides-switch-on"
    "235 140 243,244,246 segmented-control"
    "290 145 $accent selected-360px"
    "380 160 243,244,246 actual-size-unselected"
    "397 253 $grey optimize-off"
    "397 309 $grey autocheck-off"
    "30 356 243,244,246 update-button"
  )
  expect_colours defaults.ppm "${expected[@]}"
  local line x y w h what got
  local texts=("帧率 20 16 40 20" "鼠标光标 20 72 80 20" "输出-GIF 20 128 70 20" "480 120 193 76 23"
               "检查更新 30 356 98 28" "note 20 460 140 14")
  for line in "${texts[@]}"; do
    read -r what x y w h <<<"$line"
    got=$(python3 "$pixels" count defaults.ppm $((x + sx)) $((y + sy)) "$w" "$h" $white 40)
    [ "$got" -lt $((w * h - 10)) ] || fail "$mode: no text $what at $x,$y"
  done
  ok "$mode: the window's pixels show the default settings and their labels"

  status_ink() { shot status.ppm; python3 "$pixels" count status.ppm $((154 + sx)) $((356 + sy)) 266 30 $white 40 |
                 awk -v all=$((266 * 30)) '{print all - $1}'; }
  [ "$(status_ink)" = 0 ] || fail "$mode: a status line before any check"
  rm -f server/requests-newer_line_end.log
  click 79 370
  wait_for 5 grep -q "end of request" server/requests-newer_line_end.log || fail "$mode: 检查更新 sent no request"
  grep -q $'^GET /version.txt HTTP/1.1\r$' server/requests-newer_line_end.log &&
    grep -qi $'^User-Agent: Pixlo\r$' server/requests-newer_line_end.log ||
    fail "$mode: the request was $(cat server/requests-newer_line_end.log)"
  wait_for 5 test "$(status_ink)" -gt 100 || fail "$mode: no status line after 检查更新"
  ok "$mode: 检查更新 asks the update host and shows a status line"

  click 410 40
  expect_value fps 30 "a press at the slider's right end"
  [ -d "$XDG_CONFIG_HOME/pixlo" ] || fail "$mode: the first save made no $XDG_CONFIG_HOME/pixlo"
  # A drag that starts on the knob and leaves the window on the left.
  xdotool mousemove $((300 + sx)) $((40 + sy)) mousedown 1 sleep 0.2 mousemove $((206 + sx)) $((40 + sy)) sleep 0.3
  expect_value fps 11 "a drag to x 206"
  xdotool mousemove $((sx + 500)) $((40 + sy)) sleep 0.3 mouseup 1
  expect_value fps 30 "a drag past the window's right edge"
  ok "$mode: the slider sets the rate by a press and by a drag, also outside the window"

  click 150 90
  expect_value cursor 1 "a click on the cursor switch"
  click 375 150
  expect_value outw 0 "a click on 实际大小"
  click 230 150
  expect_value outw 240 "a click on 240px"
  shot changed.ppm
  [ "$(at changed.ppm 118 85)" = "$accent" ] && [ "$(at changed.ppm 146 85)" = "$white" ] || fail "$mode: the cursor switch does not show on"
  [ "$(at changed.ppm 235 145)" = "$accent" ] || fail "$mode: 240px does not show selected"
  [ "$(at changed.ppm 300 40)" = "$accent" ] && [ "$(at changed.ppm 410 40)" = "$white" ] || fail "$mode: the slider is not filled at 30 fps"
  click 360 260
  expect_value optimize 1 "a click on the changed-area switch"
  shot optimize.ppm
  [ "$(at optimize.ppm 397 253)" = "$white" ] || fail "$mode: the changed-area switch does not show on"
  ok "$mode: switches and the output-width segments save their keys and show their state"

  click 158 200
  xdotool type --delay 60 320
  xdotool key Return
  expect_value defw 320 "320 typed into the width"
  wait_for 3 test "$(main_size)" = 332x528 || fail "$mode: the main window is $(main_size) after the width 320"
  click 288 200
  xdotool type --delay 60 9
  xdotool key Escape
  sleep 0.3
  [ -z "$(value defh)" ] || fail "$mode: Escape saved the height"
  click 288 200
  xdotool type --delay 60 200
  click 300 436  # a press on nothing commits
  expect_value defh 200 "200 typed into the height"
  wait_for 3 test "$(main_size)" = 332x248 || fail "$mode: the main window is $(main_size) after the height 200"
  ok "$mode: typed sizes save, Escape drops, and the main window follows"

  # A save that fails says so in the footer.
  rm "$ini"
  mkdir "$ini"
  click 360 316
  shot failed.ppm
  [ "$(footer_changes failed.ppm)" != 0 ] || fail "$mode: the footer did not change after a failed save"
  [ "$(at failed.ppm 397 309)" = "$white" ] || fail "$mode: the start-up check switch did not turn on"
  rmdir "$ini"
  click 360 316  # off again, saved into a new file
  expect_value autocheck 0 "the start-up check after the failed save"
  shot saved-again.ppm
  [ "$(footer_changes saved-again.ppm)" = 0 ] || fail "$mode: the footer did not come back after a save succeeded"
  ok "$mode: a failed save shows in the footer until a save succeeds"

  # Closing the window while typing commits the digits.
  click 158 200
  xdotool type --delay 60 256
  "$probe" close "$settings_window"
  expect_value defw 256 "closing while typing 256"
  wait_for 3 sh -c "! xdotool search --onlyvisible --name '^设置（v1.3）$' >/dev/null" || fail "$mode: the window stays open"
  wait_for 3 test "$(main_size)" = 268x248 || fail "$mode: the main window is $(main_size) after closing with 256"
  ok "$mode: closing commits the typed width"
  open_settings
  escape_closes
  close_native_window "$main" "the main window"

  if [ "$mode" = plain ]; then
    # A portable install: the file beside the program takes the change and
    # the configuration folder's file stays as it was.
    printf '[settings]\ndefw=320\ndefh=200\n' >bin/Pixlo.ini
    cp "$ini" config-before.ini
    start_pixlo 332x248
    open_settings
    click 330 90
    expect_value guides 0 "the guides switch of a portable install" bin/Pixlo.ini
    cmp -s "$ini" config-before.ini || fail "$mode: the configuration folder's file changed beside a portable one"
    close_native_window "$main" "the main window"
    rm bin/Pixlo.ini
    ok "$mode: a Pixlo.ini beside the program wins over the configuration folder"
  fi

  end_pid "$compositor_pid"; compositor_pid=""
  end_pid "$xvfb_pid"; xvfb_pid=""
}

# What differs under a window manager.
run_wm() {
  mode=wm
  rm -rf "$XDG_CONFIG_HOME" bin/Pixlo.ini
  start_xvfb 1024x768 xvfb.log -noreset
  wait_for 5 xsetroot -solid '#3366cc' || fail "$mode: xsetroot"
  openbox --sm-disable >wm.log 2>&1 &
  wm_pid=$!
  wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    fail "$mode: openbox did not start: $(cat wm.log)"
  start_pixlo 492x528
  # At the screen's left edge, where the settings window has room on the right.
  xdotool windowmove "$main" 0 0
  sleep 0.5
  read -r mx my <<<"$(client_origin "$main")"
  open_settings
  local top
  top=$(xprop -id "$settings_window" _NET_FRAME_EXTENTS | awk -F', ' '{print $3}')
  [ -n "$top" ] && [ "$top" -gt 4 ] || fail "$mode: the settings window has no title bar (frame extents '$top')"
  ok "$mode: 设置 opens a framed 430x496 settings window"
  local main_frame settings_frame
  read -r -a main_frame <<<"$(frame_origin "$main")"
  read -r -a settings_frame <<<"$(frame_origin "$settings_window")"
  # The main frame's right edge: its client's plus the right border.
  local main_right
  main_right=$(( $(xwininfo -id "$main" | awk '/^  Width:/ {print $NF}') + mx + $(xprop -id "$main" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | awk -F', ' '{print $2}') ))
  [ "${settings_frame[*]}" = "$((main_right + 8)) ${main_frame[1]}" ] ||
    fail "$mode: the settings frame starts at ${settings_frame[*]}, not beside the main frame at $((main_right + 8)) ${main_frame[1]}"
  ok "$mode: it opens beside the main window's frame"

  click 150 90
  expect_value cursor 1 "a click on the cursor switch"
  click 158 200
  xdotool type --delay 60 320
  xdotool key Return
  expect_value defw 320 "320 typed into the width"
  wait_for 3 test "$(main_size)" = 332x528 || fail "$mode: the main window is $(main_size) after the width 320"
  [ "$(client_origin "$main")" = "$mx $my" ] || fail "$mode: the main window moved from $mx,$my to $(client_origin "$main")"
  ok "$mode: switches and typed sizes save, and the main window takes the new client size in place"

  # The close box is the title bar's right end in openbox's default theme.
  click 288 200
  xdotool type --delay 60 200
  xdotool mousemove $((sx + 430 - 10)) $((sy - top / 2)) sleep 0.2 click 1
  expect_value defh 200 "closing by the close box while typing 200"
  wait_for 3 sh -c "! xdotool search --onlyvisible --name '^设置（v1.3）$' >/dev/null" || fail "$mode: the window stays open"
  wait_for 3 test "$(main_size)" = 332x248 || fail "$mode: the main window is $(main_size) after closing with 200"
  ok "$mode: the close box commits the typed height and closes the window"
  open_settings
  escape_closes
  close_native_window "$main" "the main window"

  end_pid "$wm_pid"; wm_pid=""
  end_pid "$xvfb_pid"; xvfb_pid=""
  mx=0 my=0
}

run_mode plain
run_mode compositor
run_wm
