#!/usr/bin/env bash
# Sets up, builds everything, and runs the windowed program, pixlo.exe, under
# Wine.
#
# With DISPLAY set, it simply starts the program on that display, for you to
# use: place the viewfinder, press 录制 (Record), 停止 (Stop) and 生成
# (Generate). Otherwise it makes a recording on a private virtual display the
# way a person would: a moving scene (the program's own /test animation) lies
# under the viewfinder, the pointer presses the real buttons and the GIF is
# saved through the real Save dialog. That leaves out/recording.gif and a
# screenshot of the window, out/window.png, and prints where both are (and
# one taken while recording, out/window-recording.png).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh native windows
mkdir -p out
rm -f out/recording.gif out/window.png out/window-recording.png
exe=build/windows/pixlo.exe
driver=build/windows/tests/pixlo_shell_driver.exe
# A prefix of this script's own: the test runs keep theirs, and ending this
# one's server does not disturb them. Its server keeps the display it was
# started on, so any earlier one is ended first.
export WINEPREFIX="$root/build/wineprefix-run"
source scripts/wine-env.sh
source tests/e2e/lib.sh
"$wineserver" -k 2>/dev/null || true
timeout 30 "$wineserver" -w 2>/dev/null || true

x11_key='HKCU\Software\Wine\X11 Driver'
if [ -n "${DISPLAY:-}" ]; then
  # A desktop with a window manager: let it frame Wine's windows.
  scripts/wine-run reg delete "$x11_key" /v Managed /f >/dev/null 2>&1 || true
  echo "starting pixlo.exe on $DISPLAY"
  exec scripts/wine-run "$exe"
fi

work=$(mktemp -d)
xvfb_pid="" compositor_pid="" scene_pid="" pixlo_pid=""
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  for pid in $pixlo_pid $scene_pid $compositor_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
die() { echo "run: $*" >&2; exit 1; }

start_xvfb 1024x768 "$work/xvfb.log" || die "no virtual display"
# The compositor blends the nearly transparent grips as Windows does.
xcompmgr >"$work/xcompmgr.log" 2>&1 &
compositor_pid=$!
# No window manager here: Wine draws captions and borders itself.
scripts/wine-run reg add "$x11_key" /v Managed /d N /f >/dev/null 2>&1 || die "cannot set up the Wine prefix"

drive() { scripts/wine-run "$driver" "$@" 2>>"$work/driver.err" | tr -d '\r'; }
state=""
await() { local ms=$1; shift; state=$(drive wait "$ms" "$@"); }
get() { sed -n "s/^$1=//p" <<<"$state"; }
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n'; }
status_text() { printf "$(get status | sed 's/../\\x&/g')" | iconv -f GBK -t UTF-8; }
window_shot() {  # file: the window and a 10-pixel margin
  local x y w h
  read -r x y w h <<<"$(get outer)"
  import -window root -crop "$((w + 20))x$((h + 20))+$((x > 10 ? x - 10 : 0))+$((y > 10 ? y - 10 : 0))" +repage "$1"
}
click_button() {  # id
  local x y w h
  read -r x y w h <<<"$(get "button$1")"
  xdotool mousemove $((x + w / 2 - 3)) $((y + h / 2)) sleep 0.2 mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.2 click 1
}

# The scene: the program's synthetic animation, stretched to 540 x 400 and
# looping where the recording area of a 530 x 380 viewfinder lies in Wine's
# frame (4-pixel borders, a 19-pixel caption).
scripts/wine-run "$exe" /test "$work/scene.gif" >"$work/scene.txt"
tr -d '\r' <"$work/scene.txt" | grep -q '^OK: ' || die "the scene was not made: $(cat "$work/scene.txt")"
animate -borderwidth 0 -resize '540x400!' -geometry +10+65 -loop 0 "$work/scene.gif" >"$work/animate.log" 2>&1 &
scene_pid=$!
wait_for 10 xdotool search --onlyvisible --name 'ImageMagick' >/dev/null || die "the scene did not appear: $(cat "$work/animate.log")"

# The program from a folder of its own, with its settings file.
mkdir "$work/app"
cp "$exe" "$work/app/"
printf '[settings]\r\nfps=12\r\ndefw=530\r\ndefh=380\r\n' >"$work/app/Pixlo.ini"
(cd "$work/app" && exec "$root/scripts/wine-run" pixlo.exe) >"$work/pixlo.log" 2>&1 &
pixlo_pid=$!
await 20000 main=1 'grip7^=' || die "the window did not appear"
echo "window at $(get outer | awk '{ print $1 "," $2 ", " $3 " x " $4 }'), recording area $(get client | awk '{ print $1 + 6 "," $2 + 42 ", " $3 - 12 " x " $4 - 48 }')"

echo "recording for 3 seconds..."
await 5000 button1007_enabled=1 || die "录制 is not enabled"
click_button 1007
await 10000 "status^=$(gbk "录制中...  已录 ")" || die "the recording did not start: $(status_text)"
deadline=$((SECONDS + 30))
until [[ "$(status_text)" =~ ([0-9]+)\.[0-9]\ 秒$ ]] && [ "${BASH_REMATCH[1]}" -ge 3 ]; do
  [ "$SECONDS" -lt "$deadline" ] || die "the recording did not reach 3 seconds: $(status_text)"
  state=$(drive state)
  [ -f out/window-recording.png ] || { xdotool mousemove 1000 700; window_shot out/window-recording.png; }
done
click_button 1008
await 10000 "status^=$(gbk "完成：")" || die "the recording did not complete: $(status_text)"
echo "$(status_text)"

# Generate, and type the file's Windows path into the Save dialog.
click_button 1009
await 10000 "dialog0_title=$(gbk "保存 GIF")" || die "no Save dialog"
read -r x y w h <<<"$(get dialog0)"
xdotool mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.2 type --delay 20 "Z:${root//\//\\}\\out\\recording.gif"
xdotool key Return
await 20000 dialogs=0 "status^=$(gbk "已保存：")" || die "not saved: $(status_text)"
echo "$(status_text)"

# The window with its guides, size label and the saved text, over the scene.
xdotool mousemove 1000 700 sleep 0.5
window_shot out/window.png
drive close
wait_for 10 sh -c "! kill -0 $pixlo_pid 2>/dev/null" || die "the program did not end"
echo "GIF: $root/out/recording.gif ($(identify out/recording.gif | wc -l) frames)"
echo "screenshot: $root/out/window.png (while recording: $root/out/window-recording.png)"
