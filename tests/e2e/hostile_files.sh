#!/usr/bin/env bash
# pixlo.exe under Wine against files and paths that have broken it: PNG
# watermarks that declare huge sizes or are icons named .png (as /test and
# /rect arguments and as watermark.png beside the windowed program), Chinese
# paths in code page 936 including 塡, whose second GBK byte is a backslash,
# the longest output paths, a read-only target, several runs writing one
# path at once, and capture rectangles beyond what an X server's pixmap can
# hold. Every run must end with its result line, and a refused write must
# leave the earlier file and no temporary file behind.
#
# PIXLO_BUILD_WINDOWS points at another Windows build folder (default
# build/windows); PIXLO_E2E_PREFIX at another Wine prefix (default
# build/wineprefix-files, this script's own: its server is started on the
# script's private Xvfb, which the /rect runs copy from).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${PIXLO_BUILD_WINDOWS:-$root/build/windows}
wine_run="$root/scripts/wine-run"
export WINEPREFIX=${PIXLO_E2E_PREFIX:-$root/build/wineprefix-files}
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
for tool in Xvfb iconv python3 x86_64-w64-mingw32-gcc-posix; do
  command -v "$tool" >/dev/null || { echo "hostile files: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
[ -f "$build/pixlo.exe" ] || { echo "hostile files: build first (scripts/build.sh windows)" >&2; exit 1; }
# Wine maps file names through the system locale: without a generated
# zh_CN.UTF-8 it can neither create nor open a Chinese file name.
locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' ||
  { echo "hostile files: the zh_CN.UTF-8 locale is missing (scripts/setup.sh generates it)" >&2; exit 1; }

work=$(mktemp -d)
pixlo_pid=""
cleanup() {
  [ -z "$pixlo_pid" ] || { kill "$pixlo_pid" 2>/dev/null || true; wait "$pixlo_pid" 2>/dev/null || true; }
  "$wineserver" -k 2>/dev/null || true
  [ -z "${xvfb_pid:-}" ] || { kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; }
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"


mkdir bin
cp "$build/pixlo.exe" bin/
exe=$work/bin/pixlo.exe

pixlo_timeout=120  # the oversized rectangles take long
# expect LINE: out.txt is exactly LINE (UTF-8 here, GBK from the program)
# with Windows' line end, and the exit code 0.
expect() {
  local got
  got=$(iconv -f GBK -t UTF-8 out.txt 2>/dev/null || cat out.txt)
  [ "$got" = "$1"$'\r' ] && [ "$status" = 0 ] || {
    echo "expected exit 0 and: $1" >&2
    echo "got exit $status and: $got" >&2
    tail -5 err.txt >&2
    fail "pixlo.exe ${2:-}"
  }
}
# only FOLDER NAME...: the folder holds exactly these names (no temporary file).
only() {
  local folder=$1; shift
  local got want
  got=$(cd "$folder" && ls -A | LC_ALL=C sort)
  want=$(printf '%s\n' "$@" | LC_ALL=C sort)
  [ "$got" = "$want" ] || fail "$folder holds: $(echo "$got" | xargs), expected: $*"
}

# A Windows helper of the test's own: "find CLASS" succeeds when a top-level
# window of that class exists, "close CLASS" asks it to close.
cat >helper.c <<'EOF'
#include <windows.h>
#include <string.h>
int main(int argc, char** argv)
{
    if (argc == 3 && !strcmp(argv[1], "find"))
        return FindWindowA(argv[2], NULL) ? 0 : 1;
    if (argc == 3 && !strcmp(argv[1], "close")) {
        HWND window = FindWindowA(argv[2], NULL);
        return window && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    return 2;
}
EOF
x86_64-w64-mingw32-gcc-posix -O1 -o helper.exe helper.c -luser32 || fail "the helper does not build"

# Crafted files. Each PNG holds a row or two of real image data: a decoder
# that trusts the declared size is already writing rows when the data ends.
mkdir crafted
python3 - <<'EOF'
import struct, zlib

def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

def png(width, height, rows):
    raw = (b'\0' + b'\0' * (width * 4)) * rows
    stream = zlib.compressobj(9)
    data = stream.compress(raw) + stream.flush(zlib.Z_SYNC_FLUSH)  # ends where the rows end
    header = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', data) + chunk(b'IEND', b'')

def icon(image):
    return struct.pack('<HHHBBBBHHII', 0, 1, 1, 0, 0, 0, 0, 1, 32, len(image), 22) + image

bitmap = struct.pack('<IiiHHIIiiII', 40, 65536, 2 * 65536, 1, 32, 0, 0, 0, 0, 0, 0) + b'\0' * 64
files = {
    '32768x32768.png': png(32768, 32768, 16),
    '65536x65536.png': png(65536, 65536, 16),
    '2048x524288.png': png(2048, 524288, 16),
    '16384x65537.png': png(16384, 65537, 16),
    'icon-bitmap.png': icon(bitmap),
    'icon-png.png': icon(png(65536, 65536, 2)),
    # An ancillary chunk whose length field says 1.5 GB, in a file of a
    # hundred bytes: a decoder takes memory for a chunk before reading it.
    'chunk-1.5GB.png': png(24, 16, 16)[:33] + struct.pack('>I', 1593835532) + b'sPLT' + b'\0' * 68,
}
for name, data in files.items():
    open('crafted/' + name, 'wb').write(data)
EOF
crafted=(crafted/*.png)

# A real watermark: opaque magenta over half-transparent white.
python3 - <<'EOF'
import struct, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
rows = b''.join(b'\0' + (b'\xff\x00\xff\xff' * 20 + b'\xff\xff\xff\x80' * 20) for _ in range(20))
header = struct.pack('>IIBBBBB', 40, 20, 8, 6, 0, 0, 0)
open('mark.png', 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
                             chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))
EOF

start_xvfb 1024x768 xvfb.log || exit 1
"$wineserver" -k 2>/dev/null || true
timeout 30 "$wineserver" -w 2>/dev/null || fail "an earlier wineserver of $WINEPREFIX did not end"

animation='frames=24  out=360x400'
pixlo /test plain.gif
expect "OK: plain.gif  $animation" "/test plain.gif"
pixlo /test marked.gif mark.png
expect "OK: marked.gif  $animation" "/test marked.gif mark.png"
! cmp -s plain.gif marked.gif || fail "/test with mark.png wrote no watermark"

# --- Crafted watermarks are files that failed to load: no watermark, OK.
for file in "${crafted[@]}"; do
  pixlo /test crafted.gif "$file"
  expect "OK: crafted.gif  $animation" "/test crafted.gif $file"
  cmp -s crafted.gif plain.gif || fail "/test with $file: the frames are not those without a watermark"
  pixlo /rect 0 0 64 48 1 crafted-rect.gif "$file"
  [[ $(cat out.txt) =~ ^OK:\ crafted-rect.gif\ \ frames=[0-9]+\ \ out=64x48\ \ elapsed=[0-9]+ms$'\r'$ ]] &&
    [ "$status" = 0 ] || fail "/rect with $file: exit $status, '$(cat out.txt)'"
done
ok "/test and /rect take ${#crafted[@]} crafted watermark files for files that do not load"

# Refused before GDI+ reads it, that file costs no more memory than a plain
# run; read, it cost 1.5 GB. The peak of the largest process the run waited for.
peak_kib=$(python3 - "$wine_run" "$exe" /test chunk.gif crafted/chunk-1.5GB.png <<'EOF'
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
EOF
)
[ "$peak_kib" -lt 400000 ] || fail "/test with a 1.5 GB chunk length peaked at $peak_kib KiB"
ok "a chunk length of 1.5 GB in a 100-byte watermark: refused, peak $((peak_kib / 1024)) MiB"

# The windowed program decodes watermark.png beside it at start-up: its main
# window must come up, and close with exit code 0.
ended() {  # PID: the child has exited (a zombie until it is waited for)
  ! kill -0 "$1" 2>/dev/null || [ "$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null)" = Z ]
}
window_up() { "$wine_run" helper.exe find Pixlo 2>/dev/null || ended "$pixlo_pid"; }
for file in "${crafted[@]}"; do
  cp "$file" bin/watermark.png
  "$wine_run" "$exe" >windowed.txt 2>&1 &
  pixlo_pid=$!
  wait_for 60 window_up && ! ended "$pixlo_pid" ||
    fail "with $file as watermark.png the main window did not come up: $(tail -3 windowed.txt)"
  "$wine_run" helper.exe close Pixlo 2>/dev/null || fail "the main window could not be asked to close"
  wait_for 30 ended "$pixlo_pid" || fail "with $file as watermark.png pixlo.exe did not end after WM_CLOSE"
  status=0
  wait "$pixlo_pid" || status=$?
  pixlo_pid=""
  [ "$status" = 0 ] || fail "with $file as watermark.png the windowed run ended with $status"
done
rm bin/watermark.png
ok "the windowed program starts and closes with each crafted file as watermark.png"

# --- Chinese paths. 塡 is 0x89 0x5C in code page 936: a backslash search
# that steps by bytes would cut 塡 in two.
mkdir -p 录制/塡 水印/塡
cp mark.png 水印/塡/塡.png
pixlo /test '录制\塡\动画.gif' '水印\塡\塡.png'
expect 'OK: 录制\塡\动画.gif  '"$animation" "/test 录制\\塡\\动画.gif 水印\\塡\\塡.png"
cmp -s 录制/塡/动画.gif marked.gif || fail "/test into 录制\\塡 with the watermark from 水印\\塡: not the marked animation"
only 录制/塡 动画.gif
pixlo /test 塡.gif 水印/塡/塡.png
expect "OK: 塡.gif  $animation" "/test 塡.gif 水印/塡/塡.png"
cmp -s 塡.gif marked.gif || fail "/test 塡.gif: not the marked animation"
pixlo /test '录制\塡\无此目录\a.gif'
expect 'FAIL: 录制\塡\无此目录\a.gif' "/test into a missing Chinese folder"
only 录制/塡 动画.gif
ok "/test writes to and reads a watermark from Chinese paths with 塡 in folder and file names"

# --- The longest output paths, as absolute Windows paths. /test takes at
# most 255 characters of a path; a path of 259 is cut to its first 255.
long_folder=$work/long
long_windows=$(printf 'Z:%s' "$long_folder" | tr / '\\')
while [ $((${#long_windows} + 100)) -lt 240 ]; do
  long_folder+=/$(printf 'd%.0s' {1..90})
  long_windows+='\'$(printf 'd%.0s' {1..90})
done
mkdir -p "$long_folder"
stem_length=$((255 - ${#long_windows} - 1 - 4))
name=$(printf 'n%.0s' $(seq "$stem_length")).gif
cut_name=$(printf 'm%.0s' $(seq "$stem_length")).gif
path255="$long_windows\\$name"
path259="$long_windows\\$cut_name.bak"
[ ${#path255} = 255 ] && [ ${#path259} = 259 ] || fail "the test's paths are ${#path255} and ${#path259} bytes"
pixlo /test "$path255"
expect "OK: $path255  $animation" "/test with a 255-byte path"
cmp -s "$long_folder/$name" plain.gif || fail "/test with a 255-byte path: not the animation"
pixlo /test "$path259"
expect "OK: ${path259:0:255}  $animation" "/test with a 259-byte path"
cmp -s "$long_folder/$cut_name" plain.gif || fail "/test with a 259-byte path: not the animation at its first 255 bytes"
only "$long_folder" "$name" "$cut_name"
ok "/test writes paths of 255 bytes, and of 259 bytes cut to 255, with no temporary file left"

# --- A read-only target: refused as opening it would be; nothing changes.
mkdir ro
printf 'old' >ro/ro.gif
chmod a-w ro/ro.gif
pixlo /test 'ro\ro.gif'
expect 'FAIL: ro\ro.gif' "/test ro\\ro.gif (read-only)"
[ "$(cat ro/ro.gif)" = old ] || fail "the read-only ro.gif was changed"
only ro ro.gif
chmod u+w ro/ro.gif
ok "/test to a read-only file prints FAIL and leaves it as it was"

# --- What is no file: a Unix pipe and a device node (Wine opens both, as a
# pipe and a character device), and the names Windows keeps for its devices.
# Each is refused, /rect before it records, and stays as it was.
mkdir special
mkfifo special/pipe.gif
special_targets=('special\pipe.gif' 'special\nul.gif' 'special\CON' 'NUL')
# Only root may make a device node.
if mknod special/null.gif c 1 3 2>/dev/null; then special_targets+=('special\null.gif'); fi
for target in "${special_targets[@]}"; do
  pixlo /test "$target"
  expect "FAIL: $target" "/test $target"
  pixlo /rect 0 0 64 48 30 "$target"
  expect "FAIL: $target  frames=0" "/rect 0 0 64 48 30 $target"
done
[ -p special/pipe.gif ] && { [ ! -e special/null.gif ] || [ -c special/null.gif ]; } ||
  fail "a pipe or device was replaced: $(ls -l special | xargs)"
only special pipe.gif $([ -e special/null.gif ] && echo null.gif)
ok "/test and /rect to ${special_targets[*]}: FAIL, /rect at once, and each stays"

# --- Several runs writing one path at once all succeed, each leaving the
# whole animation and no temporary file; a file of the user's that looks
# like a temporary one is not touched.
mkdir same
printf 'mine' >same/clip.gif.partial
runs=()
for i in 1 2 3 4; do
  timeout 120 "$wine_run" "$exe" /test 'same\clip.gif' >"same-$i.txt" 2>/dev/null &
  runs+=($!)
done
for pid in "${runs[@]}"; do wait "$pid" || true; done
for i in 1 2 3 4; do
  [ "$(tr -d '\r' <"same-$i.txt")" = "OK: same\\clip.gif  $animation" ] ||
    fail "run $i of 4 writing one path printed '$(cat "same-$i.txt")'"
done
cmp -s same/clip.gif plain.gif || fail "four runs writing one path left something other than the animation"
[ "$(cat same/clip.gif.partial)" = mine ] || fail "the user's clip.gif.partial was changed"
only same clip.gif clip.gif.partial
ok "four runs writing one path at once all print OK and leave the animation and the user's clip.gif.partial"

# --- Rectangles beyond an X pixmap's 32767 pixels a side are copied in
# tiles; sizes a GIF cannot state (above 65535) are refused by the writer,
# which keeps the earlier file; one too large for memory records nothing.
big='rect\big.gif'
rect_cases=(
  "0 0 40000 2|OK: $big  frames=1  out=40000x2"
  "0 0 2 40000|OK: $big  frames=1  out=2x40000"
  "0 0 65536 2|FAIL: $big  frames=1"
  "0 0 2 70000|FAIL: $big  frames=1"
  "0 0 46000 46000|FAIL: $big  frames=0"
)
mkdir rect
for case in "${rect_cases[@]}"; do
  IFS='|' read -r rect line <<<"$case"
  printf 'old' >rect/big.gif
  # shellcheck disable=SC2086
  pixlo /rect $rect 1 "$big"
  got=$(tr -d '\r' <out.txt)
  [ "$status" = 0 ] && [ "${got%  elapsed=*ms}" = "$line" ] ||
    fail "/rect $rect: exit $status, '$got', expected '$line'"
  case $line in
    OK*) [ "$(head -c 6 rect/big.gif)" = GIF89a ] || fail "/rect $rect: big.gif is no GIF" ;;
    *) [ "$(cat rect/big.gif)" = old ] || fail "/rect $rect: the earlier big.gif was changed" ;;
  esac
  only rect big.gif
done
ok "/rect of ${#rect_cases[@]} oversized rectangles each ends with its result line, the earlier file kept on FAIL"
