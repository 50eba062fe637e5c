#!/usr/bin/env bash
# The settings window of the windowed pixlo.exe under Wine, used as a person
# uses it: real presses and keys from xdotool on a private Xvfb, its picture
# read from screenshots at exact pixels, Pixlo.ini read after every change,
# and what the eye cannot tell (client sizes, owner, how many windows, which
# grips are shown) from pixlo_settings_driver.exe under the same Wine server.
#
# The display runs xcompmgr, as for the main window's tests. The Wine prefix
# is this script's own (build/wineprefix-settings): Wine draws captions
# itself, and its browser launcher is a script that records the address it
# is asked to open. The update host is a local server (update_server.py), one
# port per kind of reply; pixlo.exe is started once per reply it must see.
#
# PIXLO_BUILD_WINDOWS points at another Windows build folder (default
# build/windows), PIXLO_SETTINGS_PREFIX at another prefix; PIXLO_E2E_KEEP=1
# keeps the screenshots and logs.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${PIXLO_BUILD_WINDOWS:-$root/build/windows}
exe=$build/pixlo.exe
driver=$build/ui/pixlo_settings_driver.exe
export WINEPREFIX=${PIXLO_SETTINGS_PREFIX:-$root/build/wineprefix-settings}
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
for file in "$exe" "$driver"; do
  [ -f "$file" ] || { echo "missing $file: build the Windows target first"; exit 1; }
done

work=$(mktemp -d)
xvfb_pid="" compositor_pid="" server_pid="" pixlo_pid=""
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  end_pid "$pixlo_pid"
  chattr -i "$work/app/Pixlo.ini" 2>/dev/null || true
  for pid in $server_pid $compositor_pid $xvfb_pid; do end_pid "$pid"; done
  [ -n "${PIXLO_E2E_KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT

failures=0 case_name="" case_start=0
begin() { case_name=$1 case_start=$failures; }
fail() { echo "FAIL $case_name: $*"; failures=$((failures + 1)); return 1; }
finish() { [ "$failures" != "$case_start" ] || echo "ok $case_name: $1"; }

# A prefix's Wine server keeps the display it started on: end it first.
"$wineserver" -k 2>/dev/null || true
timeout 30 "$wineserver" -w 2>/dev/null || true

start_xvfb 1280x800 "$work/xvfb.log" || exit 1
xcompmgr >"$work/xcompmgr.log" 2>&1 &
compositor_pid=$!
wait_for 10 sh -c 'xwininfo -root -tree | grep -q "\"xcompmgr\""' ||
  { echo "xcompmgr did not start: $(cat "$work/xcompmgr.log")"; exit 1; }

# Captions drawn by Wine (Xvfb has no window manager), and a browser that
# writes down what it was asked to open.
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s"\n' "$work/opened.txt" >"$work/browser.sh"
chmod +x "$work/browser.sh"
reg_add() { "$root/scripts/wine-run" reg add "$@" /f >>"$work/reg.log" 2>&1; }
wait_for 60 reg_add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N &&
  reg_add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$work/browser.sh" ||
  { echo "cannot set up the Wine prefix: $(cat "$work/reg.log")"; exit 1; }

python3 "$root/tests/e2e/update_server.py" --dir "$work" --lifetime 2400 >"$work/server.log" 2>&1 &
server_pid=$!
wait_for 10 test -s "$work/ports" || { echo "the update server did not start"; exit 1; }
port_of() { awk -v c="$1" '$1 == c { print $2 }' "$work/ports"; }
requests_of() {
  local n
  n=$(grep -c '^=== end of request' "$work/requests-$1.log" 2>/dev/null)
  echo "${n:-0}"
}
requests_are() { [ "$(requests_of "$1")" = "$2" ]; }  # CASE COUNT
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY

scratch=$work/app
mkdir -p "$scratch"
cp "$exe" "$scratch/pixlo.exe"
ini=$scratch/Pixlo.ini

drive() { "$root/scripts/wine-run" "$driver" "$@" 2>>"$work/driver.err" | tr -d '\r'; }
state=""
snap() { state=$(drive state); }
get() { sed -n "s/^$1=//p" <<<"$state"; }
holds() { snap; [ "$(get "$1")" = "$2" ]; }  # KEY VALUE
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n'; }

# ini_is KEY VALUE: Pixlo.ini's settings (or update) entry holds the value.
# Wine writes the file with CR LF line ends.
ini_is() { tr -d '\r' <"$ini" 2>/dev/null | grep -qx "$1=$2"; }
# Sets KEY of SECTION to VALUE as an editor would: its line when there is
# one, else a new line under the section, made when missing (a change saves
# only its own key, so a key never changed has no line).
set_ini() {  # SECTION KEY VALUE
  if grep -q "^$2=" "$ini"; then
    sed -i "s/^$2=.*/$2=$3\r/" "$ini"
  elif grep -q "^\[$1\]" "$ini"; then
    sed -i "s/^\[$1\]\r\?\$/&\n$2=$3\r/" "$ini"
  else
    printf '[%s]\r\n%s=%s\r\n' "$1" "$2" "$3" >>"$ini"
  fi
}
expect_ini() {  # KEY VALUE: waits for the file to hold it
  wait_for 5 ini_is "$1" "$2" || fail "Pixlo.ini has $(tr -d '\r' <"$ini" 2>/dev/null | grep "^$1=" || echo "no $1"), expected $1=$2"
}

start_pixlo() {  # CASE: the update server's reply the program is to see
  (cd "$scratch" && PIXLO_UPDATE_HOST=127.0.0.1 PIXLO_UPDATE_PORT=$(port_of "$1") exec "$root/scripts/wine-run" \
    "$scratch/pixlo.exe") >"$work/pixlo.log" 2>&1 &
  pixlo_pid=$!
  wait_for 30 holds grips_visible 8 || { fail "no main window with its grips: $state"; return 1; }
}
stop_pixlo() {
  drive quit
  wait_for 10 sh -c "! kill -0 $pixlo_pid 2>/dev/null" || fail "pixlo.exe still runs after its window closed"
  wait "$pixlo_pid" 2>/dev/null
  pixlo_pid=""
}

# The settings window's client origin, from the last snapshot.
read_settings() { read -r SX SY SW SH <<<"$(get settings_client)"; }
click() {  # client X Y of the settings window
  xdotool mousemove $((SX + $1)) $((SY + $2)) click 1
}
# A press on the main window's 设置 button once it shows the hover fill, as a
# person presses after seeing the button respond (a press on a button the
# pointer had only just reached was lost now and then).
screen_pixel_is() {  # X Y R,G,B in screen coordinates
  import -window root -depth 8 "ppm:$work/poll.ppm" 2>/dev/null || return 1
  [ "$(pixels "$work/poll.ppm" "$1" "$2")" = "$3" ]
}
press_settings_button() {
  local mx my
  read -r mx my _ <<<"$(get main_client)"
  xdotool mousemove $((mx + 205)) $((my + 18)) mousemove $((mx + 208)) $((my + 18))
  wait_for 5 screen_pixel_is $((mx + 186)) $((my + 18)) 243,244,246 || fail "设置 shows no hover fill"
  xdotool click 1
}
settings_moved() { snap; [[ "$(get settings_outer)" == "560 40 "* ]]; }
# Opens the settings window and moves it clear of the main window's toolbar.
open_settings() {
  snap
  press_settings_button
  wait_for 10 holds settings_visible 1 || { fail "no settings window: $state"; return 1; }
  drive move 560 40
  wait_for 5 settings_moved || fail "the settings window did not move: $(get settings_outer)"
  snap
  read_settings
  wait_for 5 pixel_is 20 64 229,231,235 || fail "the settings window is not painted"
}

# Pixels of the screen, by screen coordinates, from one screenshot.
shot() { import -window root -depth 8 "ppm:$work/$1.ppm"; }
pixels() {  # FILE then "X Y" pairs: prints R,G,B per pair
  python3 - "$@" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
parts = data.split(maxsplit=4)
w = int(parts[1]); body = parts[4]
args = list(map(int, sys.argv[2:]))
for i in range(0, len(args), 2):
    o = (args[i + 1] * w + args[i]) * 3
    print("%d,%d,%d" % tuple(body[o:o + 3]))
EOF
}
# pixel_is X Y R,G,B: a fresh screenshot has the colour at the settings
# window's client point (the compositor shows a change a moment later).
pixel_is() {
  import -window root -depth 8 "ppm:$work/poll.ppm" 2>/dev/null || return 1
  [ "$(pixels "$work/poll.ppm" $((SX + $1)) $((SY + $2)))" = "$3" ]
}
expect_pixel() {  # X Y R,G,B WHAT: waits for the colour at the client point
  wait_for 5 pixel_is "$1" "$2" "$3" ||
    fail "$4 at $1,$2 is $(pixels "$work/poll.ppm" $((SX + $1)) $((SY + $2))), expected $3"
}
# The rightmost column in client box X0 Y0 X1 Y1 (inclusive) with a pixel
# away from white: where a line of text ends.
ink_right() {
  python3 - "$work/poll.ppm" $((SX + $1)) $((SY + $2)) $((SX + $3)) $((SY + $4)) "$SX" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
parts = data.split(maxsplit=4)
w = int(parts[1]); body = parts[4]
x0, y0, x1, y1, sx = map(int, sys.argv[2:])
right = -1
for y in range(y0, y1 + 1):
    for x in range(x0, x1 + 1):
        o = (y * w + x) * 3
        if 765 - sum(body[o:o + 3]) > 90:
            right = max(right, x)
print(right - sx if right >= 0 else -1)
EOF
}

white=255,255,255 accent=19,94,82 grey=209,213,219 light=243,244,246 separator=229,231,235
field_outline=203,208,215

# ---------------------------------------------------------------------------
begin "opening and closing"
start_pixlo latest || exit 1
if open_settings; then
  [ "$SW $SH" = "430 496" ] || fail "client area ${SW}x$SH"
  [ "$(get settings_title)" = "$(gbk "设置（v1.3）")" ] || fail "title bytes $(get settings_title)"
  [ "$(get settings_owner_is_main)" = 1 ] || fail "not owned by the main window"
  # Caption and close box only: no sizing border, no minimise or maximise box.
  style=$((16#$(get settings_style)))
  (( (style & 0x00C80000) == 0x00C80000 && (style & 0x00070000) == 0 )) || fail "style $(get settings_style)"
  [ "$(get grips_visible)" = 0 ] || fail "$(get grips_visible) grips shown while the settings window is open"
  # More presses on 设置 bring the same window forward, never a second one.
  # Each time the main window is made the active one first, by a press on its
  # toolbar beside the buttons, so that only the press on 设置 can bring the
  # settings window back in front. (A press on 设置 in the inactive main
  # window left the main window in front in about one run of four under
  # Wine, the press lost or the activation late; not settled which.)
  for _ in 1 2 3; do
    read -r mx my _ <<<"$(get main_client)"
    xdotool mousemove $((mx + 239)) $((my + 18)) click 1
    wait_for 5 holds foreground_class Pixlo || fail "the main window did not become active: '$(get foreground_class)' is"
    press_settings_button
    wait_for 5 holds settings_foreground 1 || fail "the settings window is not in front after a press on 设置 (in front: '$(get foreground_class)', $(get settings_windows) settings windows)"
  done
  sleep 0.5  # a second window would have appeared by now
  snap
  [ "$(get settings_windows)" = 1 ] || fail "$(get settings_windows) settings windows after four presses"
  [ "$(get grips_visible)" = 0 ] || fail "grips shown after the presses"
  drive close
  wait_for 5 holds settings_windows 0 || fail "the window did not close"
  wait_for 5 holds grips_visible 8 || fail "the grips did not come back: $(get grips_visible) shown"
  [ ! -e "$ini" ] || fail "opening and closing wrote Pixlo.ini"
  open_settings && [ "$(get grips_visible)" = 0 ] || fail "reopened: grips $(get grips_visible)"
fi
finish "client 430 x 496, title 设置（v1.3）, owned, caption only; grips hidden while open and back after; one window after four presses"

begin "picture of the defaults"
{
  for y in 64 120 176 232 288 344; do
    expect_pixel 20 "$y" "$separator" "separator"
    expect_pixel 409 "$y" "$separator" "separator's end"
    expect_pixel 410 "$y" "$white" "past the separator"
    expect_pixel 19 "$y" "$white" "before the separator"
  done
  expect_pixel 300 36 "$grey" "slider track outline"
  expect_pixel 300 40 "$separator" "slider track"
  expect_pixel 200 40 "$white" "knob at 10 fps"
  expect_pixel 124 85 "$white" "cursor switch's knob, off"
  expect_pixel 150 85 "$grey" "cursor switch, off"
  expect_pixel 332 85 "$accent" "guides switch, on"
  expect_pixel 360 85 "$white" "guides switch's knob, on"
  expect_pixel 305 140 "$accent" "selected segment 360px"
  expect_pixel 235 140 "$light" "segment 240px"
  expect_pixel 375 140 "$light" "segment 实际大小"
  expect_pixel 158 189 "$field_outline" "width field"
  expect_pixel 196 200 "$white" "no caret"
  expect_pixel 397 253 "$grey" "optimize switch, off"
  expect_pixel 375 253 "$white" "optimize switch's knob, off"
  expect_pixel 397 309 "$grey" "start-up check, off"
  expect_pixel 30 356 "$light" "check button"
  expect_pixel 79 352 "$field_outline" "check button's outline"
  import -window root -depth 8 "ppm:$work/poll.ppm"
  [ "$(ink_right 150 354 429 388)" = -1 ] || fail "a status line before any check"
  cp "$work/poll.ppm" "$work/defaults.ppm"
}
finish "six separators, slider at 10 fps, switches (optimize and start-up check off), selected 360px, idle fields, button, no status"

# knob_at FPS: the knob is centred on x 200 + offset: white inside, its
# accent ring 10 pixels either side.
knob_at() {
  local c=$((200 + $2))
  expect_pixel "$c" 40 "$white" "knob centre at $1 fps"
  expect_pixel $((c + 10)) 40 "$accent" "knob's right ring at $1 fps"
  [ "$1" = 10 ] || expect_pixel 200 40 "$accent" "filled part at $1 fps"
}

begin "frame rate"
{
  click 206 40
  expect_ini fps 11
  knob_at 11 11
  click 20 16  # the label: clamped to x 200
  expect_ini fps 10
  click 311 50
  expect_ini fps 21
  knob_at 21 116
  # A drag that leaves the window on the right ends at 30.
  xdotool mousemove $((SX + 250)) $((SY + 40)) mousedown 1 mousemove $((SX + 350)) $((SY + 40)) \
    mousemove $((SX + 470)) $((SY + 45)) mousemove $((SX + 520)) $((SY + 45)) mouseup 1
  expect_ini fps 30
  knob_at 30 210
}
finish "x 206 -> 11, the label -> 10, x 311 -> 21, a drag past the right edge -> 30; the knob where each rate puts it"

begin "switches"
{
  click 50 85
  expect_ini cursor 1
  expect_pixel 118 85 "$accent" "cursor switch, on"
  expect_pixel 146 85 "$white" "cursor switch's knob, on"
  click 150 100
  expect_ini cursor 0
  expect_pixel 150 85 "$grey" "cursor switch, off again"
  click 300 70
  expect_ini guides 0
  expect_pixel 360 85 "$grey" "guides switch, off"
  click 229 110
  expect_ini guides 1
  expect_pixel 332 85 "$accent" "guides switch, on again"
  # The optimize switch, by its label and by its track; the start-up check
  # below it stays as it was.
  click 50 250
  expect_ini optimize 1
  expect_pixel 369 253 "$accent" "optimize switch, on"
  expect_pixel 397 253 "$white" "optimize switch's knob, on"
  expect_pixel 397 309 "$grey" "start-up check, still off"
  ini_is autocheck 1 && fail "a press on the optimize switch turned the start-up check on"
  click 386 253
  expect_ini optimize 0
  expect_pixel 397 253 "$grey" "optimize switch, off"
  expect_pixel 375 253 "$white" "optimize switch's knob, off"
  click 50 306
  expect_ini autocheck 1
  expect_pixel 369 309 "$accent" "start-up check, on"
  expect_pixel 397 309 "$white" "start-up check's knob, on"
  expect_pixel 397 253 "$grey" "optimize switch, still off"
  click 400 336
  expect_ini autocheck 0
  expect_pixel 397 309 "$grey" "start-up check, off"
  ini_is optimize 0 || fail "optimize changed with the start-up check: $(tr -d '\r' <"$ini" | grep '^optimize=')"
}
finish "cursor, guides, optimize and start-up check each on and off, in the file and on the screen"

begin "output width"
{
  click 20 128  # the label selects 240
  expect_ini outw 240
  expect_pixel 235 140 "$accent" "240px selected"
  expect_pixel 305 140 "$light" "360px no longer selected"
  click 340 150
  expect_ini outw 0
  expect_pixel 375 140 "$accent" "实际大小 selected"
  click 270 170
  expect_ini outw 360
  expect_pixel 305 140 "$accent" "360px selected"
  expect_pixel 375 140 "$light" "实际大小 no longer selected"
  # The width already set is not written again: with the file gone, a press
  # on 360px and then one that only starts an edit (a barrier the screen
  # shows) leave no file behind.
  rm -f "$ini"
  click 305 150
  click 150 200
  expect_pixel 158 189 "$accent" "edited width field"
  [ ! -e "$ini" ] || fail "selecting the width already set wrote Pixlo.ini"
  xdotool key Escape
  expect_pixel 158 189 "$field_outline" "width field after Escape"
  [ ! -e "$ini" ] || fail "Escape wrote Pixlo.ini"
  # With nothing left to drop, Escape closes the window as its close box does.
  xdotool key Escape
  wait_for 5 holds settings_windows 0 || fail "a second Escape left the window open"
  [ ! -e "$ini" ] || fail "closing by Escape wrote Pixlo.ini"
  open_settings || fail "the window did not open again after Escape"
}
finish "240 from the label, actual size, 360; the selected segment in the accent; the same width again writes nothing; Escape with nothing to drop closes"

type_digits() {  # the keys go to the window under the pointer
  local d
  for d in $(grep -o . <<<"$1"); do xdotool key "$d"; done
}

begin "size by keys"
{
  read -r mx my mw mh <<<"$(get main_outer)"
  # What the outer size holds beyond the viewfinder on the frame the window
  # really has (Windows' gives 30 x 95; Wine's is thinner).
  read -r _ _ cw ch <<<"$(get main_client)"
  ew=$((mw - cw + 12)) eh=$((mh - ch + 48))
  click 150 200
  expect_pixel 158 189 "$accent" "edited field's outline"
  expect_pixel 196 200 "$accent" "caret"
  expect_pixel 196 214 "$white" "caret's end"
  expect_pixel 288 189 "$field_outline" "the other field"
  type_digits 1200
  expect_pixel 196 200 "$accent" "caret while typing"
  cp "$work/poll.ppm" "$work/editing.ppm"
  xdotool key Return
  expect_ini defw 1200
  expect_pixel 196 200 "$white" "caret after Enter"
  wait_for 5 holds main_outer "$mx $my $((1200 + ew)) $mh" || fail "main window $(get main_outer), expected $mx $my $((1200 + ew)) $mh"

  # Committed by a press elsewhere (an empty part of the window).
  click 300 200
  type_digits 600
  click 300 370
  expect_ini defh 600
  wait_for 5 holds main_outer "$mx $my $((1200 + ew)) $((600 + eh))" || fail "main window $(get main_outer), expected $mx $my $((1200 + ew)) $((600 + eh))"

  # Five digits start a new number: 1, 2, 3, 4, 5 leaves 5, committed as 64.
  click 150 200
  type_digits 12345
  xdotool key Return
  expect_ini defw 64

  # Backspace right after the start keeps the rest: 64 -> 6, then 6, 0 -> 660.
  # Presses on the field's margin rows leave the edit alone; a press on the
  # height field commits the width and starts the height.
  click 150 200
  xdotool key BackSpace
  type_digits 6
  click 150 185
  click 150 224
  type_digits 0
  click 300 200
  expect_ini defw 660
  expect_pixel 288 189 "$accent" "height field edited after the press on it"
  expect_pixel 158 189 "$field_outline" "width field no longer edited"
  xdotool key Escape
  expect_pixel 288 189 "$field_outline" "height field after Escape"

  # Committed by closing the window with its close box.
  click 150 200
  type_digits 800
  read -r ox oy ow _ <<<"$(get settings_outer)"
  xdotool mousemove $((ox + ow - 11)) $((oy + 11)) click 1
  expect_ini defw 800
  wait_for 5 holds settings_windows 0 || fail "the window did not close"
  wait_for 5 holds main_outer "$mx $my $((800 + ew)) $((600 + eh))" || fail "main window $(get main_outer), expected $mx $my $((800 + ew)) $((600 + eh))"
  # The grips come back around the new size.
  wait_for 5 holds grips_visible 8 || fail "grips after closing: $(get grips_visible)"
  read -r cx cy cw ch <<<"$(get main_client)"
  for gx in "$cx" $((cx + cw - 6)); do
    xwininfo -root -children | grep '("pixlo.exe"' | grep -q " 6x$((ch - 48))+$gx+$((cy + 42)) " ||
      fail "no side grip at $gx,$((cy + 42)) for the client $cx,$cy ${cw}x$ch"
  done
}
finish "1200 by Enter, 600 by a press elsewhere, 12345 -> 64, Backspace and margin presses -> 660 by a press on the other field, 800 by the close box; viewfinder 1200 wide, then 800 x 600 in place; grips follow"

begin "read-only Pixlo.ini"
{
  before=$(cat "$ini")
  chmod 444 "$ini"
  [ "$(id -u)" != 0 ] || chattr +i "$ini" 2>/dev/null || true
  open_settings
  click 50 85
  expect_pixel 118 85 "$accent" "cursor switch, on"
  click 150 200
  type_digits 700
  xdotool key Return
  wait_for 5 holds main_outer "$mx $my $((700 + ew)) $((600 + eh))" || fail "main window $(get main_outer) after a size the file refused"
  [ "$(cat "$ini")" = "$before" ] || fail "the read-only file changed"
  snap
  [ "$(get main)" = 1 ] || fail "the program ended"
  chattr -i "$ini" 2>/dev/null || true
  chmod 644 "$ini"
}
finish "changes apply (cursor on, viewfinder 700 wide) while the file stays as it was"

# status_reads TEXT: the status line's ink ends where TEXT drawn in the
# label font would, nearer than for any other status text.
status_texts=("正在检查更新..." "检查失败，请稍后重试" "已是最新版本" "有新版本，请到官网更新")
declare -A extent
for t in "${status_texts[@]}"; do extent[$t]=$(drive extent "$(gbk "$t")" | cut -d' ' -f1); done
status_reads() {
  local want=$1 ink t best="" bestd=9999 d
  import -window root -depth 8 "ppm:$work/poll.ppm" 2>/dev/null || return 1
  ink=$(ink_right 150 354 429 388)
  [ "$ink" -ge 0 ] || return 1
  for t in "${status_texts[@]}"; do
    d=$(( 154 + ${extent[$t]} - 1 - ink )); d=${d#-}
    [ "$d" -lt "$bestd" ] && { bestd=$d best=$t; }
  done
  [ "$best" = "$want" ] && [ "$bestd" -le 6 ]
}
expect_status() {
  wait_for "${2:-8}" status_reads "$1" || fail "the status line ends at x $(ink_right 150 354 429 388), not where '$1' does (${extent[$1]} wide from 154)"
}

begin "update check: up to date"
{
  click 79 370
  expect_status "已是最新版本"
  cp "$work/poll.ppm" "$work/latest.ppm"
  [ "$(requests_of latest)" = 1 ] || fail "$(requests_of latest) requests"
  grep -q '^GET /version.txt' "$work/requests-latest.log" || fail "request: $(head -1 "$work/requests-latest.log")"
}
finish "one GET /version.txt; the status line reads 已是最新版本"

begin "the link"
{
  click 405 468
  wait_for 10 test -s "$work/opened.txt" || fail "the browser launcher was not run"
  [ "$(cat "$work/opened.txt" 2>/dev/null)" = "http://127.0.0.1/#website" ] || fail "opened '$(cat "$work/opened.txt")'"
}
finish "the browser was asked for $(cat "$work/opened.txt" 2>/dev/null)"
stop_pixlo

begin "update check at start-up, then by the button: newer version"
# The check at start-up keeps its result until the settings window shows it.
set_ini update autocheck 1
if start_pixlo newer_line_end && wait_for 10 requests_are newer_line_end 1 && open_settings; then
  expect_status "有新版本，请到官网更新"
  click 79 370
  wait_for 10 requests_are newer_line_end 2 || fail "$(requests_of newer_line_end) requests after the press"
  expect_status "有新版本，请到官网更新"
  finish "the start-up check's result shown on opening; the button's check shows 有新版本，请到官网更新 again"
else
  fail "no start-up check ($(requests_of newer_line_end) requests) or no settings window"
fi
set_ini update autocheck 0
stop_pixlo

begin "update check: failure, and a second press while busy"
if start_pixlo silent && open_settings; then
  # The server answers nothing: the check waits its 2 s, and meanwhile a
  # second press starts nothing.
  click 79 370
  expect_status "正在检查更新..." 3
  click 79 370
  expect_status "检查失败，请稍后重试" 10
  [ "$(requests_of silent)" = 1 ] || fail "$(requests_of silent) requests for two presses"
  finish "正在检查更新... while waiting, then 检查失败，请稍后重试; one request for two presses"
fi
stop_pixlo

echo "$failures failure(s)"
[ "$failures" = 0 ]
