#!/usr/bin/env bash
# The update check's real WinHTTP path under Wine, and the native build's own
# HTTP client, against a local server (tests/e2e/update_server.py) that
# serves every reply the check must handle, one port per reply. For each,
# pixlo_update_probe.exe starts a check into a window of its own and reports
# the posted number and origin, updateBusy and the status texts (as hex,
# compared with iconv's GBK); the server's log shows the request on the wire.
# The native pixlo_update_probe must read the same number from the same
# reply, and both checks must end within their deadline (a bound on a hang,
# with room for a slow Wine), however slowly the server sends. Needs an X display for the windows: starts its own
# Xvfb and ends it, and the server, by their process ids.
#
# Wine's desktop process keeps the display it was started with for as long as
# the prefix's wineserver lives, and console-only runs (the unit tests) start
# one without any display. So the probe runs in a prefix of its own, and the
# script waits for that prefix's wineserver to end before and after its run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
probe="$root/build/windows/settings/pixlo_update_probe.exe"
native_probe="$root/build/native/settings/pixlo_update_probe"
# The check's deadline (kUpdateCheckDeadlineMs) and the room allowed past it.
ends_within_ms=$((5000 + 3000))
export WINEPREFIX="$root/build/wineprefix-display"
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
work=$(mktemp -d)
xvfb_pid=""
server_pid=""
cleanup() {
  local pid
  timeout 30 "$wineserver" -w 2>/dev/null || true
  for pid in $server_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
timeout 30 "$wineserver" -w 2>/dev/null || true

# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

# Xvfb picks a free display itself and writes its number to the descriptor.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 10 test -s "$work/display" || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"

python3 "$root/tests/e2e/update_server.py" --dir "$work" --lifetime 300 >"$work/server.log" 2>&1 &
server_pid=$!
wait_for 10 test -s "$work/ports" || { echo "the update server did not start"; exit 1; }

# A proxy from the environment must not take the requests to 127.0.0.1.
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY

gbk_hex() { printf '%s' "$1" | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n'; }
checking=$(gbk_hex "正在检查更新...")
declare -A texts=(
  [failed]=$(gbk_hex "检查失败，请稍后重试")
  [latest]=$(gbk_hex "已是最新版本")
  [newer]=$(gbk_hex "有新版本，请到官网更新")
)

failures=0
fail() { echo "FAIL $1: $2"; failures=$((failures + 1)); }

check_case() {  # case origin number text [native number]
  local name=$1 origin=$2 number=$3 text=$4 native_expected=${5:-$3} port output failures_before=$failures
  port=$(awk -v name="$name" '$1 == name { print $2 }' "$work/ports")
  output=$(PIXLO_UPDATE_HOST=127.0.0.1 PIXLO_UPDATE_PORT=$port \
    "$root/scripts/wine-run" "$probe" "$origin" 2>"$work/probe-$name.err" | tr -d '\r') || true
  value() { sed -n "s/^$1=//p" <<<"$output"; }
  expect() {  # field expected
    local got
    got=$(value "$1")
    [ "$got" = "$2" ] || fail "$name" "$1 is '$got', expected '$2'"
  }
  expect busy_after_start 1
  expect text_after_start "$checking"
  expect repaint_after_start 1
  expect text_after_second_start "$checking"
  expect repaint_after_second_start 0
  expect threads_started 1
  expect received 1
  expect number "$number"
  expect origin "$origin"
  expect busy_after_result 0
  expect text_after_result "${texts[$text]}"
  expect repaint_after_result 1

  if [ "$name" != refused ]; then
    local log="$work/requests-$name.log"
    local requests
    requests=$(grep -c '^=== end of request' "$log" 2>/dev/null || true)
    [ "$requests" = 1 ] || fail "$name" "the server saw ${requests:-no} requests, expected 1"
    tr -d '\r' <"$log" | head -1 | grep -qxF 'GET /version.txt HTTP/1.1' ||
      fail "$name" "request line: $(head -1 "$log")"
    tr -d '\r' <"$log" | grep -qxF 'User-Agent: Pixlo' || fail "$name" "no 'User-Agent: Pixlo' header"
    tr -d '\r' <"$log" | grep -qixF "Host: 127.0.0.1:$port" || fail "$name" "no Host header for the port"
  fi
  [ "$(value elapsed_ms)" -le "$ends_within_ms" ] 2>/dev/null ||
    fail "$name" "the Windows check took $(value elapsed_ms) ms"

  local native native_number native_ms
  native=$(PIXLO_UPDATE_HOST=127.0.0.1 PIXLO_UPDATE_PORT=$port "$native_probe" 2>&1) || true
  native_number=$(sed -n 's/^number=//p' <<<"$native")
  native_ms=$(sed -n 's/^elapsed_ms=//p' <<<"$native")
  [ "$native_number" = "$native_expected" ] ||
    fail "$name" "the native check read '$native_number', expected '$native_expected'"
  [ "$native_ms" -le "$ends_within_ms" ] 2>/dev/null || fail "$name" "the native check took '$native_ms' ms"
  if [ "$failures" -eq "$failures_before" ]; then
    echo "ok $name: number $number, text $text, after $(value elapsed_ms) ms (native $native_ms ms)"
  else
    sed 's/^/    /' <<<"$output"
    sed 's/^/    stderr: /' "$work/probe-$name.err" | head -5
  fi
}

check_case latest 0 20261104 latest
check_case newer_line_end 1 20261105 newer
check_case letter_first 1 20261105 newer
check_case minus_first 1 20261105 newer
check_case zero 1 0 failed
check_case empty 1 0 failed
check_case no_digit 1 0 failed
check_case digit_is_byte_64 1 0 failed
check_case digit_is_byte_63 1 2 latest
check_case status_404 1 0 failed
check_case status_500 1 0 failed
check_case in_pieces 1 20261105 newer
check_case too_long_for_32_bits 1 2147483647 newer
check_case silent 1 0 failed
# The receive limit ends a body that stalls before its announced end. Wine's
# WinHTTP waits for the whole announced body and its failed read hands over
# none of it, so the result is the failure text; what counts is that it ends.
check_case stalls_in_body 1 0 failed
check_case refused 0 0 failed
# Only the first 63 bytes count, whatever the length.
check_case long_body 1 20261105 newer
check_case long_chunk 1 20261105 newer
check_case chunked 1 20261105 newer
# A body cut before its end may hold a part of the number: a failed read.
check_case cut_body 1 0 failed
# The one reply the builds still read differently: Wine's WinHTTP hands over
# a chunked body cut by the close as a whole one, and the chunks' framing
# never reaches pixlo.exe; the native check sees the cut and fails.
check_case cut_chunked 1 2026 latest 0
check_case cut_after_chunk 1 20261105 newer 0
# A whole body is enough; the server need not close.
check_case stays_open 1 20261105 newer
check_case stays_open_chunked 1 20261105 newer
# The check asks the update host alone and follows no redirect.
check_case redirect 1 0 failed
check_case moved 1 0 failed
check_case redirect_chain 1 0 failed
# A byte every 1.5 s: the deadline ends the check, not the step limits.
check_case drip 1 0 failed
check_case endless_header 1 0 failed

if [ "$failures" -gt 0 ]; then
  echo "update check: $failures failure(s)"
  exit 1
fi
echo "update check: every reply handled through WinHTTP under Wine"
