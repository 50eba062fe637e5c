#!/usr/bin/env bash
# The settings file through our own ini code (native build) and through the
# system's profile functions (Windows build under Wine): from the same
# starting file, the same loads must read the same values and the same saves
# must leave the same file.
#
# Wine's profile writer rewrites the whole file in its own layout: CRLF after
# every line (the last one too), no blank lines, no blanks at line ends,
# around the first '=' or inside section brackets. Line ends and blank lines
# are free in the file's contract and the blanks carry no meaning, so where a
# starting file has any of these, the native file must equal Wine's after
# that same rewrite ("rewrite" cases); everywhere else byte for byte
# ("exact"). Wine's reader also differs in two values it yields, checked
# below: an empty value gives the fallback (ours: 0), and 0x/0o/0b prefixes
# are read in those bases (ours: decimal only, so 0).
set -Eeuo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
native_probe="$root/build/native/settings/pixlo_settings_probe"
windows_probe="$root/build/windows/settings/pixlo_settings_probe.exe"
work=$(mktemp -d)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
# Every probe run is a short Wine process. A wineserver left idle ends a few
# seconds after its last process, and a run started while it is ending can
# fail; so one server is kept up for the whole script, after any earlier one
# has ended, and ended with it.
"$root/scripts/wine-run" "$windows_probe" >/dev/null 2>&1 || true  # makes the prefix
timeout 30 "$wineserver" -w 2>/dev/null || "$wineserver" -k 2>/dev/null || true
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
# A command that fails ends the script (set -e): name it rather than stop silently.
trap 'echo "FAIL: line $LINENO: \"$BASH_COMMAND\" ended with an error" >&2' ERR

# Wine's layout of an ini file, applied to the native result.
wine_layout() {
  python3 - "$1" <<'EOF'
import re, sys
data = open(sys.argv[1], 'rb').read()
bom = b''
if data.startswith(b'\xef\xbb\xbf'):
    bom, data = data[:3], data[3:]
out = []
for line in data.split(b'\n'):
    line = line.strip(b' \t\r\v\f')
    if not line:
        continue
    if line.startswith(b'[') and b']' in line[1:]:
        close = line.rindex(b']')
        line = b'[' + line[1:close].strip(b' \t\r\v\f') + line[close:]
    elif b'=' in line:
        name, value = line.split(b'=', 1)
        line = name.rstrip(b' \t\r\v\f') + b'=' + value.lstrip(b' \t\r\v\f')
    out.append(line + b'\r\n')
sys.stdout.buffer.write(bom + b''.join(out))
EOF
}

run_native() { "$work/$1/native/pixlo_settings_probe" "${@:2}"; }
# A Wine process now and then fails to start at all (seen once in CI, with
# the prefix's server just restarted): such a run is tried again, and what
# Wine printed is shown. The probe itself fails the same way every time, so a
# real fault still ends the script.
run_wine() {
  local attempt out
  for attempt in 1 2 3; do
    if out=$("$root/scripts/wine-run" "$work/$1/wine/pixlo_settings_probe.exe" "${@:2}" 2>"$work/wine.err"); then
      printf '%s\n' "$out" | tr -d '\r'
      return 0
    fi
    echo "note: Wine run $attempt of '${*:2}' failed: $(tail -n 3 "$work/wine.err" | tr '\n' ' ')" >&2
    sleep 2
  done
  return 1
}

failures=0
fail() { echo "FAIL $1: $2"; failures=$((failures + 1)); }

same_output() {  # case command...
  local native wine
  native=$(run_native "$@")
  wine=$(run_wine "$@")
  if [ "$native" != "$wine" ]; then
    fail "$1" "'${*:2}' reads differently"
    diff <(echo "$native") <(echo "$wine") | sed 's/^/    /' || true
  fi
}

same_file() {  # case expectation step
  local native="$work/$1/native/Pixlo.ini" wine="$work/$1/wine/Pixlo.ini"
  [ -f "$native" ] && [ -f "$wine" ] || { fail "$1" "$3: a file is missing"; return; }
  if [ "$2" = exact ]; then
    cmp -s "$native" "$wine" || fail "$1" "$3: files differ byte for byte"
  else
    cmp -s <(wine_layout "$native") "$wine" || fail "$1" "$3: files differ beyond Wine's layout"
  fi
}

check_case() {  # case expectation starting-text (printf format) or "-" for no file
  local name=$1 expectation=$2 start=$3 failures_before=$failures
  mkdir -p "$work/$name/native" "$work/$name/wine"
  cp "$native_probe" "$work/$name/native/"
  cp "$windows_probe" "$work/$name/wine/"
  if [ "$start" != - ]; then
    printf "$start" >"$work/$name/native/Pixlo.ini"
    printf "$start" >"$work/$name/wine/Pixlo.ini"
  fi
  same_output "$name" raw
  same_output "$name" load
  if [ "$start" = - ] && [ -e "$work/$name/native/Pixlo.ini" -o -e "$work/$name/wine/Pixlo.ini" ]; then
    fail "$name" "loading created the file"
  fi
  run_native "$name" save fps=25 cursor=1 >/dev/null
  run_wine "$name" save fps=25 cursor=1 >/dev/null
  same_file "$name" "$expectation" "first save"
  run_native "$name" save outw=240 defw=1000 guides=0 autocheck=1 >/dev/null
  run_wine "$name" save outw=240 defw=1000 guides=0 autocheck=1 >/dev/null
  same_file "$name" "$expectation" "second save"
  same_output "$name" load
  [ "$failures" -gt "$failures_before" ] || echo "ok $name ($expectation)"
}

check_case no_file exact -
check_case empty_file exact ''
check_case comments_foreign_keys_crlf exact \
  '; Pixlo settings\r\n[settings]\r\nfps=20\r\nlanguage=zh\r\n; keep me\r\n[update]\r\nautocheck=0\r\nchannel=beta\r\n[other]\r\nfps=3\r\n'
check_case comments_foreign_keys_lf rewrite \
  '; Pixlo settings\n[settings]\nfps=20\nlanguage=zh\n\n; keep me\n[update]\nautocheck=0\nchannel=beta\n'
check_case odd_case_no_final_line_end rewrite '[SETTINGS]\r\nFPS=12\r\nCursor=0\r\n[Update]\r\nAUTOCHECK=1'
check_case missing_key_at_end_no_final_line_end exact '[settings]\r\nfps=12\r\n[update]\r\nchannel=beta'
check_case duplicate_sections exact \
  '[settings]\r\nfps=12\r\n[update]\r\nautocheck=0\r\n[settings]\r\nfps=28\r\nguides=0\r\n'
check_case only_update_section exact '[update]\r\nautocheck=1\r\n'
check_case values_out_of_range exact \
  '[settings]\r\nfps=5\r\ncursor=7\r\nguides=2\r\noutw=300\r\ndefw=10\r\ndefh=3841\r\n[update]\r\nautocheck=-1\r\n'
check_case signs_and_long_digit_runs exact \
  '[settings]\r\nfps=+20\r\ncursor=-1\r\ndefw=4294967808\r\ndefh=99999999999\r\nguides=12abc\r\n'
check_case blanks_and_bare_keys rewrite \
  '  [ settings ]  \r\n  fps = 20  \r\n\tguides\r\n[update]\r\nautocheck =1\r\n'
check_case byte_order_mark exact '\xef\xbb\xbf[settings]\r\nfps=20\r\n'

# The two documented differences of the readers.
name=reader_differences
mkdir -p "$work/$name/native" "$work/$name/wine"
cp "$native_probe" "$work/$name/native/"
cp "$windows_probe" "$work/$name/wine/"
printf '[settings]\r\noutw=\r\ndefw=0x100\r\n' | tee "$work/$name/native/Pixlo.ini" >"$work/$name/wine/Pixlo.ini"
native=$(run_native "$name" raw | grep -E '^settings/(outw|defw)=' | tr '\n' ' ')
wine=$(run_wine "$name" raw | grep -E '^settings/(outw|defw)=' | tr '\n' ' ')
[ "$native" = "settings/outw=0 settings/defw=0 " ] || fail "$name" "native reads: $native"
[ "$wine" = "settings/outw=-7 settings/defw=256 " ] || fail "$name" "Wine reads: $wine (has Wine's reader changed?)"
echo "ok $name (native: $native; Wine: $wine)"

# Two instances in one folder: the first loaded before the second changed
# the rate; its own change (the guides) must leave that rate in the file.
name=two_instances
mkdir -p "$work/$name/native" "$work/$name/wine"
cp "$native_probe" "$work/$name/native/"
cp "$windows_probe" "$work/$name/wine/"
for side in native wine; do
  run_$side "$name" save >/dev/null
  run_$side "$name" change wait guides=0 >"$work/$name/$side.first" &
  first=$!
  for _ in $(seq 100); do grep -q loaded "$work/$name/$side.first" && break; sleep 0.2; done
  run_$side "$name" change fps=25 >/dev/null
  touch "$work/$name/$side/go"
  wait "$first"
  got=$(run_$side "$name" load | grep -E '^(fps|guides)=' | tr '\n' ' ')
  [ "$got" = "fps=25 guides=0 " ] || fail "$name" "$side keeps: $got"
done
same_file "$name" exact "both instances saved"
[ "$failures" -gt 0 ] || echo "ok $name"

# Where nothing can be saved, a change says so.
check_unsaved() {  # case, then a command making Pixlo.ini unwritable in the current directory
  local name=$1 side got
  for side in native wine; do
    mkdir -p "$work/$name/$side"
    cp "$native_probe" "$windows_probe" "$work/$name/$side/" 2>/dev/null
    (cd "$work/$name/$side" && eval "$2")
    got=$(run_$side "$name" change fps=25 | grep saved=)
    [ "$got" = saved=0 ] || fail "$name" "$side: $got"
  done
  echo "ok $name (no save either way)"
}
check_unsaved directory_named_like_the_file 'mkdir Pixlo.ini'
check_unsaved dangling_link 'ln -s missing/Pixlo.ini Pixlo.ini'

if [ "$failures" -gt 0 ]; then
  echo "settings files: $failures failure(s)"
  exit 1
fi
echo "settings files: native ini code and Wine's profile functions agree"
