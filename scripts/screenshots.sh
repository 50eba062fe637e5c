#!/usr/bin/env bash
# Remakes the README's pictures of the windowed program under Wine: the
# scripted run of scripts/run.sh on a private display, whose window shots
# become docs/idle.png (guides, size label, the saved text) and
# docs/recording.png (recording: no guides, the progress text); then
# docs/settings-window.png, the settings window opened from 设置 with frame
# rate 15, cursor on, output 240 pixels wide and a 480 x 480 viewfinder
# (optimize and the start-up check off, as they start).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
env -u DISPLAY bash scripts/run.sh
mkdir -p docs
cp out/window.png docs/idle.png
cp out/window-recording.png docs/recording.png

exe=build/windows/pixlo.exe
shell_driver=build/windows/tests/pixlo_shell_driver.exe
settings_driver=build/windows/ui/pixlo_settings_driver.exe
for file in "$exe" "$shell_driver" "$settings_driver"; do
  [ -f "$file" ] || { echo "screenshots: missing $file: build the Windows target first" >&2; exit 1; }
done
# run.sh's prefix; its server has ended with run.sh.
export WINEPREFIX="$root/build/wineprefix-run"
source scripts/wine-env.sh
source tests/e2e/lib.sh
"$wineserver" -k 2>/dev/null || true
timeout 30 "$wineserver" -w 2>/dev/null || true

work=$(mktemp -d)
xvfb_pid="" compositor_pid="" pixlo_pid=""
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  for pid in $pixlo_pid $compositor_pid $xvfb_pid; do end_pid "$pid"; done
  rm -rf "$work"
}
trap cleanup EXIT
die() { echo "screenshots: $*" >&2; exit 1; }

start_xvfb 1024x768 "$work/xvfb.log" || die "no virtual display"
xcompmgr >"$work/xcompmgr.log" 2>&1 &
compositor_pid=$!
# No window manager: Wine draws captions and borders itself.
scripts/wine-run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
  die "cannot set up the Wine prefix"

state=""
drive() { scripts/wine-run "$1" "${@:2}" 2>>"$work/driver.err" | tr -d '\r'; }
get() { sed -n "s/^$1=//p" <<<"$state"; }
settings_shown() { state=$(drive "$settings_driver" state); [ "$(get settings_visible)" = 1 ]; }
settings_at() { state=$(drive "$settings_driver" state); [[ "$(get settings_outer)" == "$1 $2 "* ]]; }

mkdir "$work/app"
cp "$exe" "$work/app/"
printf '[settings]\r\nfps=15\r\ncursor=1\r\nguides=1\r\noutw=240\r\ndefw=480\r\ndefh=480\r\noptimize=0\r\n[update]\r\nautocheck=0\r\n' \
  >"$work/app/Pixlo.ini"
(cd "$work/app" && exec "$root/scripts/wine-run" pixlo.exe) >"$work/pixlo.log" 2>&1 &
pixlo_pid=$!
state=$(drive "$shell_driver" wait 20000 main=1 'grip7^=') || die "the window did not appear"
read -r x y w h <<<"$(get button1011)"
xdotool mousemove $((x + w / 2 - 3)) $((y + h / 2)) sleep 0.2 mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.3 click 1
wait_for 15 settings_shown || die "no settings window"
# Clear of the main window, over the plain background.
drive "$settings_driver" move 560 40 >/dev/null
wait_for 5 settings_at 560 40 || die "the settings window did not move: $(get settings_outer)"
xdotool mousemove 1000 740 sleep 1
read -r x y w h <<<"$(get settings_outer)"
import -window root -crop "${w}x$h+$x+$y" +repage docs/settings-window.png
drive "$shell_driver" close >/dev/null
wait_for 10 sh -c "! kill -0 $pixlo_pid 2>/dev/null" || die "the program did not end"
echo "docs/idle.png, docs/recording.png, docs/settings-window.png"
