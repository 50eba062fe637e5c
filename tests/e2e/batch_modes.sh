#!/usr/bin/env bash
# End-to-end checks of pixlo.exe's batch modes (/wmtest, /test, /rect) under
# Wine on a private Xvfb: exact output bytes and exit codes, GIFs decoded by
# giflib and ImageMagick, and recordings of known scenes on the display
# compared with what the display shows.
#
# The executable runs from a copy in the scratch folder, so the settings file
# and a watermark.png beside it are the test's own and nothing is left in the
# build tree.
#
# Wine's desktop process keeps the display it was started with for as long as
# the prefix's wineserver lives (a server started without a display makes
# every BitBlt of the screen black). So this runs in the prefix kept for
# display runs, after waiting for any earlier server of it to end, as
# update_check.sh does; the two do not run at the same time.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine_run="$root/scripts/wine-run"
# PIXLO_BUILD_NATIVE, PIXLO_BUILD_WINDOWS and PIXLO_E2E_PREFIX point at
# other build folders and another prefix for display runs.
native="${PIXLO_BUILD_NATIVE:-$root/build/native}/pixlo"
windows_build=${PIXLO_BUILD_WINDOWS:-$root/build/windows}
export WINEPREFIX="${PIXLO_E2E_PREFIX:-$root/build/wineprefix-display}"
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
for tool in Xvfb xdotool convert identify import animate display giftool x86_64-w64-mingw32-gcc-posix; do
  command -v "$tool" >/dev/null || { echo "batch modes: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
[ -f "$windows_build/pixlo.exe" ] && [ -x "$native" ] || {
  echo "batch modes: build first (scripts/build.sh native windows)" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  "$wineserver" -k 2>/dev/null || true
  timeout 30 "$wineserver" -w 2>/dev/null || true
  [ -z "${xvfb_pid:-}" ] || { kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; }
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

mkdir bin
cp "$windows_build/pixlo.exe" bin/
exe=$work/bin/pixlo.exe

expect_output() {  # what expected-bytes(with \r, \n escapes) expected-status
  local expected
  expected=$(printf '%b' "$2" | od -An -c)
  [ "$(od -An -c out.txt)" = "$expected" ] && [ "$status" = "$3" ] || {
    echo "expected exit $3 and:" >&2; printf '%b' "$2" | od -c >&2
    echo "got exit $status and:" >&2; od -c out.txt >&2
    [ ! -s err.txt ] || { echo "and on standard error:" >&2; cat err.txt >&2; }
    fail "$1"
  }
}
rect_ok() {  # path: sets frames, width, height and elapsed from /rect's OK line
  local line
  line=$(cat out.txt)
  [[ $line =~ ^OK:\ $1\ \ frames=([0-9]+)\ \ out=([0-9]+)x([0-9]+)\ \ elapsed=([0-9]+)ms$'\r'$ ]] ||
    fail "/rect $1: exit $status, output '$line' is no OK line"
  [ "$status" = 0 ] || fail "/rect $1: OK line with exit code $status"
  frames=${BASH_REMATCH[1]} width=${BASH_REMATCH[2]} height=${BASH_REMATCH[3]} elapsed=${BASH_REMATCH[4]}
}

# Pixel checks on GIFs decoded by ImageMagick (coalesced, so every frame is
# the whole picture) and on raw screenshots. Colours match within the
# quantizer's error.
cat >check.py <<'EOF'
import subprocess, sys

TOLERANCE = 24
BLUE, GREEN, ORANGE = (40, 80, 160), (0, 200, 0), (200, 120, 30)

def near(a, b):
    return all(abs(p - q) <= TOLERANCE for p, q in zip(a, b))

class Picture:
    def __init__(self, data, width, height):
        self.data, self.width, self.height = data, width, height
    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

def decode(path):
    size = subprocess.run(['identify', '-format', '%W %H\n', path], capture_output=True, check=True, text=True)
    width, height = map(int, size.stdout.split('\n')[0].split())
    raw = subprocess.run(['convert', path, '-coalesce', '-depth', '8', 'rgb:-'], capture_output=True, check=True).stdout
    n = width * height * 3
    return [Picture(raw[i:i + n], width, height) for i in range(0, len(raw), n)]

def screen(path, width, height):
    return Picture(open(path, 'rb').read(), width, height)

def colour(text):
    return tuple(int(c) for c in text.strip('()').split(','))

def check(condition, message):
    if not condition:
        sys.exit(message)

def test_animation(gif):
    """The orange square of frame k at column 50 + 10k, row 150, 75 x 75, over blue, beside the green bar."""
    frames = decode(gif)
    check(len(frames) == 24, f'{len(frames)} frames decoded, expected 24')
    for k, f in enumerate(frames):
        left = 50 + 10 * k
        points = [(left + 37, 187, ORANGE), (left + 2, 152, ORANGE), (left + 72, 222, ORANGE),
                  (left - 3, 187, BLUE), (left + 5, 146, BLUE), (left + 5, 228, BLUE),
                  (10, 10, BLUE), (355, 395, BLUE), (305, 50, GREEN), (305, 300, GREEN)]
        if left + 74 >= 305:  # the square is drawn over the bar
            points.append((305, 187, ORANGE))
        for x, y, colour in points:
            check(near(f.at(x, y), colour), f'frame {k}: pixel ({x}, {y}) is {f.at(x, y)}, expected about {colour}')

def watermark(plain_gif, marked_gif, width, height, split, left, right):
    """First and last frame: left part colour `left`, right part `right` over the background,
    everything else as in the run without a watermark. Columns next to `split` blend."""
    plain, marked = decode(plain_gif), decode(marked_gif)
    check(len(plain) == len(marked), f'{len(marked)} frames with the watermark, {len(plain)} without')
    left, right = colour(left), colour(right)
    width, height, split = int(width), int(height), int(split)
    for k in sorted({0, len(plain) - 1}):
        p, m = plain[k], marked[k]
        for y in range(p.height):
            for x in range(p.width):
                if x < width and y < height:
                    if abs(x - split) <= 2:
                        continue
                    expected, what = (left if x < split else right), 'the watermark'
                else:
                    expected, what = p.at(x, y), 'the frame without watermark'
                check(near(m.at(x, y), expected),
                      f'frame {k}: pixel ({x}, {y}) is {m.at(x, y)}, expected about {expected} ({what})')

def locate(shot, width, height, scene, window_colour, wx, wy):
    """Prints the position of the scene image on the screen once it and the other scenes show."""
    s = screen(shot, int(width), int(height))
    check(s.at(int(wx), int(wy)) == colour(window_colour), 'the test window does not show yet')
    check(near(s.at(20, 20), BLUE), 'the animation does not show yet')
    image = decode(scene)[0]
    first_row = image.data[:image.width * 3]
    start = 0
    while True:
        i = s.data.find(first_row, start)
        check(i >= 0, 'the scene image does not show yet')
        if i % 3 == 0:
            break
        start = i + 1
    x, y = (i // 3) % s.width, (i // 3) // s.width
    for row in range(image.height):
        at = ((y + row) * s.width + x) * 3
        check(s.data[at:at + image.width * 3] == image.data[row * image.width * 3:(row + 1) * image.width * 3],
              'the scene image is not fully shown yet')
    print(x, y)

def same_picture(gif, reference, dx, dy):
    """Frame 0 of the recording equals the reference picture placed at (dx, dy) of it."""
    f, ref = decode(gif)[0], decode(reference)[0]
    for y in range(ref.height):
        for x in range(ref.width):
            check(near(f.at(x + int(dx), y + int(dy)), ref.at(x, y)),
                  f'pixel ({x + int(dx)}, {y + int(dy)}) is {f.at(x + int(dx), y + int(dy))}, '
                  f'the scene shows {ref.at(x, y)}')

def cursor(gif, flat, dx, dy, drawn):
    """The flat-coloured recording: with `drawn`, other pixels exist and all lie in the 48 x 48
    square whose top-left corner is the pointer; otherwise there are none."""
    f = decode(gif)[0]
    flat, dx, dy = colour(flat), int(dx), int(dy)
    other = [(x, y) for y in range(f.height) for x in range(f.width) if not near(f.at(x, y), flat)]
    if drawn == '1':
        check(other, 'no cursor pixels in the frame')
        stray = [p for p in other if not (dx <= p[0] < dx + 48 and dy <= p[1] < dy + 48)]
        check(not stray, f'cursor pixels outside the square at the pointer, e.g. {stray[:3]}')
    else:
        check(not other, f'{len(other)} pixels differ from the scene, e.g. {other[:3]}')

def descriptors(path):
    """Left, top, width and height of every image of a GIF, read from its image descriptors."""
    data, at, found = open(path, 'rb').read(), 13, []
    if data[10] & 0x80:
        at += 3 << ((data[10] & 7) + 1)
    def skip_sub_blocks(at):
        while data[at]:
            at += data[at] + 1
        return at + 1
    while data[at] != 0x3B:
        if data[at] == 0x21:
            at = skip_sub_blocks(at + 2)
            continue
        check(data[at] == 0x2C, f'{path}: unknown block {data[at]} at byte {at}')
        left, top, width, height = (int.from_bytes(data[at + i:at + i + 2], 'little') for i in (1, 3, 5, 7))
        found.append((left, top, width, height))
        flags, at = data[at + 9], at + 10
        if flags & 0x80:
            at += 3 << ((flags & 7) + 1)
        at = skip_sub_blocks(at + 1)
    return found

def areas(gif, source, optimized):
    """The recording of the moving source animation: with `optimized`, every image after the first
    is a rectangle smaller than the frame (and the first is the frame), otherwise every image is
    the whole frame; either way every composed frame shows one of the source's pictures."""
    frames, pictures = decode(gif), decode(source)
    width, height = frames[0].width, frames[0].height
    rects = descriptors(gif)
    check(len(rects) == len(frames) >= 3, f'{len(rects)} images, {len(frames)} composed frames: the square did not move')
    check(rects[0] == (0, 0, width, height), f'the first image is {rects[0]}, not the frame')
    for k, (left, top, w, h) in enumerate(rects[1:], 1):
        if optimized == '1':
            check(w * h < width * height, f'image {k} is {w} x {h} at ({left}, {top}): the whole frame')
        else:
            check((left, top, w, h) == (0, 0, width, height), f'image {k} is {w} x {h} at ({left}, {top}), not whole')
    for k, f in enumerate(frames):
        row = slice(82 * width * 3, 83 * width * 3)  # through the square: tells the pictures apart
        best = min(pictures, key=lambda p: sum(abs(a - b) for a, b in zip(f.data[row], p.data[row])))
        wrong = [(x, y) for y in range(height) for x in range(width) if not near(f.at(x, y), best.at(x, y))]
        if wrong:
            sys.exit(f'composed frame {k} is no picture of the source: e.g. pixel {wrong[0]} is '
                     f'{f.at(*wrong[0])}, the nearest picture shows {best.at(*wrong[0])} ({len(wrong)} such pixels)')

def still_rows(shot, width, height, source, rows):
    """Prints where the source animation shows on the screen, found by its top rows (never moving)."""
    s, image = screen(shot, int(width), int(height)), decode(source)[0]
    first = image.data[:image.width * 3]
    start = 0
    while True:
        i = s.data.find(first, start)
        check(i >= 0, 'the moving animation does not show yet')
        if i % 3 == 0:
            break
        start = i + 1
    x, y = (i // 3) % s.width, (i // 3) // s.width
    for row in range(int(rows)):
        at = ((y + row) * s.width + x) * 3
        check(s.data[at:at + image.width * 3] == image.data[row * image.width * 3:(row + 1) * image.width * 3],
              'the moving animation is not fully shown yet')
    print(x, y)

globals()[sys.argv[1]](*sys.argv[2:])
EOF
check() { python3 "$work/check.py" "$@"; }

# A Windows helper of the test's own: "run EXE TAIL" starts EXE with exactly
# "EXE" TAIL as its command line (Wine would quote an argument with blanks),
# "window X Y W H" shows a flat-coloured topmost window with a crosshair
# cursor, "close" asks the program's main window to close (1 while it has
# none), and "cursor" reports what GetCursorInfo gives another process and
# whether that process can draw the cursor.
cat >helper.c <<'EOF'
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(RGB(40, 160, 90));
        FillRect(dc, &paint.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static int Run(const char* exe, const char* tail)
{
    char line[2048];
    snprintf(line, sizeof line, "\"%s\" %s", exe, tail);
    STARTUPINFOA start = {sizeof start};
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(exe, line, NULL, NULL, TRUE, 0, NULL, NULL, &start, &process))
        return 99;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    return (int)code;
}

static int Window(int x, int y, int w, int h)
{
    WNDCLASSA windowClass = {0};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hCursor = LoadCursorA(NULL, IDC_CROSS);
    windowClass.lpszClassName = "flat";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "flat", "flat", WS_POPUP | WS_VISIBLE, x, y, w, h, NULL, NULL,
                                  windowClass.hInstance, NULL);
    SetForegroundWindow(window);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

static int Cursor(void)
{
    CURSORINFO info = {sizeof info};
    if (!GetCursorInfo(&info))
        return 1;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO header = {{sizeof(BITMAPINFOHEADER), 64, -64, 1, 32, BI_RGB}};
    void* bits = NULL;
    HBITMAP bitmap = CreateDIBSection(memory, &header, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    memset(bits, 0x55, 64 * 64 * 4);
    int drawn = info.hCursor && DrawIconEx(memory, 0, 0, info.hCursor, 0, 0, 0, NULL, DI_NORMAL);
    GdiFlush();
    int changed = 0;
    for (int i = 0; i < 64 * 64 * 4; i++)
        changed |= ((unsigned char*)bits)[i] != 0x55;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    printf("%d %d %ld %ld %d\n", (info.flags & CURSOR_SHOWING) != 0, info.hCursor != NULL, info.ptScreenPos.x,
           info.ptScreenPos.y, drawn && changed);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 4 && !strcmp(argv[1], "run"))
        return Run(argv[2], argv[3]);
    if (argc == 6 && !strcmp(argv[1], "window"))
        return Window(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]));
    if (argc == 2 && !strcmp(argv[1], "cursor"))
        return Cursor();
    if (argc == 2 && !strcmp(argv[1], "close")) {
        HWND main = FindWindowA("Pixlo", "Pixlo");
        return main && PostMessageA(main, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    return 2;
}
EOF
x86_64-w64-mingw32-gcc-posix -O1 -o helper.exe helper.c -lgdi32 -luser32 || fail "the helper does not build"

# The display, and the prefix's server started on it.
timeout 60 "$wineserver" -w 2>/dev/null || fail "an earlier wineserver of $WINEPREFIX did not end"
screen_w=1024 screen_h=768
Xvfb -displayfd 3 -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp 3>display.txt >xvfb.log 2>&1 &
xvfb_pid=$!
wait_for 10 test -s display.txt || fail "Xvfb did not start: $(cat xvfb.log)"
DISPLAY=":$(head -1 display.txt)"
export DISPLAY
# Each check is a short Wine process. A server left idle ends a few seconds
# after its last one, and a run started while it ends can fail without a
# word; so one server, made for the prefix once it exists, stays up until
# the script ends (cleanup).
"$wine_run" cmd /c exit >/dev/null 2>&1 || true
timeout 60 "$wineserver" -w 2>/dev/null || fail "the prefix's first server did not end"
"$wineserver" -p

# --- Command lines: mode selection, usage errors, exact bytes and exit codes.
usage_test='usage: tavrel /test out.gif [watermark.png]\r\n'
usage_rect='usage: tavrel /rect x y w h seconds out.gif [watermark.png] [fps] [outwidth]\r\n'
animation_ok='OK: %s  frames=24  out=360x400\r\n'  # with the output path
# tail of the command line | expected output | exit code
cases=(
  "/test|$usage_test|1"
  "/test   |$usage_test|1"
  "/rect|$usage_rect|1"
  "/rect 10 10 100 100 1|$usage_rect|1"
  "/wmtest|embedded watermark: OK\r\nwm size: 120x30\r\n|0"
  "/testfoo missing.png|${animation_ok/\%s/foo}|0"  # the prefix alone selects /test, writing foo
)
for case in "${cases[@]}"; do
  IFS='|' read -r tail expected code <<<"$case"
  status=0
  timeout 60 "$wine_run" helper.exe run "$exe" "$tail" >out.txt 2>err.txt || status=$?
  [ "$status" != 124 ] || fail "command line '$tail' did not end within 60 s"
  expect_output "command line '$tail'" "$expected" "$code"
done
ok "mode selection, usage lines and exit codes (${#cases[@]} command lines)"

# No switch (the prefix is case-sensitive): the windowed run starts, prints
# nothing, and ends with 0 when its window is closed.
for tail in "/TEST a.gif" 'C:\clips\a.gif' ""; do
  timeout 60 "$wine_run" helper.exe run "$exe" "$tail" >out.txt 2>err.txt &
  run_pid=$!
  wait_for 30 "$wine_run" helper.exe close || fail "command line '$tail': no main window came up"
  status=0
  wait "$run_pid" || status=$?
  expect_output "command line '$tail' (windowed run, closed)" "" 0
done
ok "a command line without a switch starts the windowed run, which ends with 0 when closed"

# --- /test: the synthetic animation.
pixlo /test plain.gif
expect_output "/test plain.gif" "${animation_ok/\%s/plain.gif}" 0
[ "$(giftool -f '%w %h %d\n' <plain.gif | sort | uniq -c | xargs)" = "24 360 400 8" ] ||
  fail "giflib does not read 24 frames of 360x400 with delay 8: $(giftool -f '%w %h %d\n' <plain.gif | sort | uniq -c)"
[ "$(identify -format '%W %H %w %h %T\n' plain.gif | sort | uniq -c | xargs)" = "24 360 400 360 400 8" ] ||
  fail "ImageMagick does not read 24 frames of 360x400 with delay 8: $(identify -format '%W %H %w %h %T\n' plain.gif | sort | uniq -c)"
check test_animation plain.gif || fail "/test: the frames do not show the moving square"
ok "/test writes 24 frames of 360x400, delay 8, showing the moving square"

"$native" /test native.gif >native.txt
[ "$(cat native.txt)" = "OK: native.gif  frames=24  out=360x400" ] || fail "native /test printed '$(cat native.txt)'"
cmp -s plain.gif native.gif || fail "the Windows and native /test write different bytes"
ok "/test writes the same bytes under Wine as natively"

# A watermark: left half opaque magenta, right half half-transparent white;
# 40 x 20 becomes 60 x 30 at output width 360.
convert -size 20x20 xc:'#ff00ff' \( -size 20x20 xc:'#ffffff80' \) +append PNG32:mark.png
cp mark.png bin/watermark.png  # beside the executable: /test must not use it
pixlo /test missing.gif missing.png
expect_output "/test missing.gif missing.png" "${animation_ok/\%s/missing.gif}" 0
cmp -s plain.gif missing.gif || fail "/test with a missing watermark file differs from /test without one"
pixlo /test marked.gif mark.png
expect_output "/test marked.gif mark.png" "${animation_ok/\%s/marked.gif}" 0
check watermark plain.gif marked.gif 60 30 30 '(255,0,255)' '(148,168,208)' ||
  fail "/test marked.gif mark.png: the watermark is not the 60x30 image in the top-left corner"
ok "/test: a missing watermark file is ignored, a real one is blended as 60x30 into the corner"

pixlo /test nowhere/a.gif
expect_output "/test nowhere/a.gif" 'FAIL: nowhere/a.gif\r\n' 0
ok "/test to a missing folder prints FAIL, exit 0"

# --- /rect: scenes on the display. The program's own animation plays at
# (0, 0); a still image of four flat blocks and a flat-coloured window of
# the helper stand apart from it.
convert -size 100x80 xc:'#ff0000' xc:'#00ff00' +append \
  \( -size 100x80 xc:'#0000ff' xc:'#ffff00' +append \) -append +repage blocks.png
# The animation plays fast (1/100 s per frame) so that every tick of a
# recording sees a new picture and every frame gets the new-frame delay.
animate -geometry +0+0 -delay 1 plain.gif >/dev/null 2>&1 &
pids+=($!)
display -geometry +600+60 blocks.png >/dev/null 2>&1 &
pids+=($!)
window_x=600 window_y=400 window_w=200 window_h=150 window_colour='(40,160,90)'
"$wine_run" helper.exe window "$window_x" "$window_y" "$window_w" "$window_h" >/dev/null 2>&1 &
pids+=($!)
scene_shown() {
  import -window root -depth 8 rgb:root.rgb 2>/dev/null &&
    check locate root.rgb "$screen_w" "$screen_h" blocks.png "$window_colour" $((window_x + 100)) $((window_y + 75)) \
      >scene.txt 2>scene.err
}
wait_for 30 scene_shown || fail "the scenes do not show on the display: $(cat scene.err)"
read -r scene_x scene_y <scene.txt

# A still scene: one frame whose delay covers the run, showing the image.
pixlo /rect $((scene_x - 10)) $((scene_y - 10)) 220 180 2 still.gif
rect_ok still.gif
[ "$frames $width $height" = "1 220 180" ] || fail "/rect of a still scene: frames=$frames out=${width}x$height, expected 1 frame of 220x180"
[ "$elapsed" -ge 2000 ] || fail "/rect of 2 s reports elapsed=${elapsed}ms"
delay=$(giftool -f '%d\n' <still.gif)
[ "$delay" -ge 170 ] && [ "$delay" -le 260 ] || fail "/rect of a still scene for 2 s: delay $delay, expected about 200"
check same_picture still.gif blocks.png 10 10 || fail "/rect of a still scene: the frame does not show the image"
ok "/rect of a still scene: one frame of delay $delay showing the image, elapsed ${elapsed}ms"

# Recordings of the animation. Columns: arguments after /rect | output size |
# seconds | one tick (1/100 s, rounded) at the frame rate meant.
rect_cases=(
  "0 0 0 0 0 zero.gif|320x240|1|8"                     # sizes and seconds corrected, 12 fps
  "0 0 320 240 1 path.gif 15|320x240|1|8"               # 15 is the watermark path: still 12 fps, not 15 (7)
  "0 0 400 300 2 wide.gif none 20 5000|1920x1440|2|5"   # no file "none"; 20 fps; width limited to 1920
  "0 0 320 240 1 nofps.gif none 0|320x240|1|8"          # frame rate 0 falls back to 12
)
for case in "${rect_cases[@]}"; do
  IFS='|' read -r args size seconds nominal <<<"$case"
  read -r -a argv <<<"$args"
  out=${argv[5]}
  pixlo /rect "${argv[@]}"
  rect_ok "$out"
  [ "${width}x$height" = "$size" ] || fail "/rect $args: out=${width}x$height, expected $size"
  [ "$elapsed" -ge $((seconds * 1000)) ] || fail "/rect $args: elapsed=${elapsed}ms for $seconds s"
  [ "$frames" -ge 2 ] || fail "/rect $args: a moving scene gave $frames frame(s)"
  giflib=$(giftool -f '%w %h %d\n' <"$out")
  magick=$(identify -format '%W %H %T\n' "$out")
  [ "$(wc -l <<<"$giflib")" = "$frames" ] && [ "$(wc -l <<<"$magick")" = "$frames" ] ||
    fail "/rect $args: the OK line says $frames frames, giflib reads $(wc -l <<<"$giflib"), ImageMagick $(wc -l <<<"$magick")"
  [ "$(printf '%s\n' "$giflib" "$magick" | cut -d' ' -f1,2 | sort -u | xargs)" = "${size/x/ }" ] ||
    fail "/rect $args: frames of other sizes than $size"
  # Delays follow the clock: none below the 2-hundredth floor, and together
  # they are the recorded time (the seconds asked for, give or take a tick),
  # never more than the time that passed.
  read -r smallest total <<<"$(awk '
    { if (min == "" || $3 < min) min = $3; sum += $3 }
    END { print min, sum }' <<<"$giflib")"
  [ "$smallest" -ge 2 ] ||
    fail "/rect $args: delays $(cut -d' ' -f3 <<<"$giflib" | xargs), one below 2"
  [ "$total" -ge $((seconds * 100 - nominal)) ] && [ "$total" -le $((elapsed / 10 + nominal)) ] ||
    fail "/rect $args: delays add up to $total for $seconds s in ${elapsed}ms"
  ok "/rect $args: $frames frames of $size, delays adding up to $total, elapsed ${elapsed}ms"
done

pixlo /rect 0 0 60000 60000 1 huge.gif
expect_output "/rect 0 0 60000 60000 1 huge.gif" 'FAIL: huge.gif  frames=0\r\n' 0
[ ! -e huge.gif ] || fail "/rect 0 0 60000 60000 1 huge.gif left a file"
ok "/rect of a rectangle too large for memory prints FAIL, exit 0"

# A target that can never be written ends the run at once, before any of its
# 10 seconds is recorded, and leaves what is there as it was.
mkdir -p a-folder
printf 'old' >read-only.gif
chmod a-w read-only.gif
for target in no-such-folder/x.gif a-folder read-only.gif; do
  pixlo_timeout=8 pixlo /rect 0 0 64 64 10 "$target"
  expect_output "/rect of 10 s to $target" "FAIL: $target  frames=0\r\n" 0
done
[ -d a-folder ] && [ "$(cat read-only.gif)" = old ] && [ ! -e no-such-folder ] ||
  fail "/rect to unwritable targets changed them"
ok "/rect to a missing folder, a folder and a read-only file: FAIL at once, nothing touched"

# --- The cursor, over the helper's window: Wine's GetCursorInfo gives no
# cursor handle while the pointer is over an X window that is not Wine's (the
# images above, the root window); a Wine window sets one.
pointer_x=$((window_x + 50)) pointer_y=$((window_y + 50))
pointer_reported() {
  xdotool mousemove $((pointer_x - 1)) "$pointer_y" mousemove "$pointer_x" "$pointer_y" &&
    "$wine_run" helper.exe cursor >cursor.txt 2>/dev/null &&
    read -r showing handle x y drawable <cursor.txt && [ "$showing $handle $x $y" = "1 1 $pointer_x $pointer_y" ]
}
wait_for 30 pointer_reported || fail "Wine does not report the pointer over the test's window: $(cat cursor.txt)"
printf '[settings]\r\ncursor=1\r\n' >bin/Pixlo.ini
pixlo /rect "$window_x" "$window_y" "$window_w" "$window_h" 1 cursor.gif
rm bin/Pixlo.ini
rect_ok cursor.gif
pixlo /rect "$window_x" "$window_y" "$window_w" "$window_h" 1 nocursor.gif
rect_ok nocursor.gif
check cursor nocursor.gif "$window_colour" 50 50 0 || fail "/rect without cursor=1: the frame is not the plain window"
if [ "$drawable" = 1 ]; then
  # The crosshair's hotspot is its centre: its image starts at the pointer.
  check cursor cursor.gif "$window_colour" 50 50 1 || fail "/rect with cursor=1: no cursor with its top-left corner at the pointer"
  ok "/rect draws the cursor with its top-left corner at the pointer only when cursor=1"
else
  # Wine's DrawIconEx cannot draw a cursor that another process created, and
  # the cursor GetCursorInfo gives is always the foreground window's: here no
  # cursor can appear. The recording must still show the scene unharmed.
  check cursor cursor.gif "$window_colour" 50 50 0 || fail "/rect with cursor=1: the frame is not the plain window"
  ok "/rect with cursor=1 records the scene unharmed (this Wine cannot draw another process's cursor)"
fi

# A watermark file in a recording: the mark's opaque magenta half, and its
# half-transparent white half over the window's green, (255 x 128 + c x 127) / 255.
pixlo /rect "$window_x" "$window_y" "$window_w" "$window_h" 1 marked-rect.gif mark.png
rect_ok marked-rect.gif
check watermark nocursor.gif marked-rect.gif 60 30 30 '(255,0,255)' '(147,207,172)' ||
  fail "/rect with mark.png: the watermark is not the 60x30 image in the top-left corner"
ok "/rect blends a watermark file as 60x30 into the corner of the recorded frames"

# --- Changed areas: a flat animation of a square moving over a still panel,
# recorded with optimize=1 in the settings file: after the first frame only
# the rectangles that changed are stored, and composed they still show the
# animation's pictures. Without the key every frame is whole, as before.
for k in 0 1 2 3 4 5 6 7 8 9; do
  convert +antialias -size 180x120 xc:'#1e6e50' -fill '#f0f0f0' -draw 'rectangle 10,10 80,50' \
    -fill '#c8781e' -draw "rectangle $((20 + 12 * k)),70 $((45 + 12 * k)),95" "moving-$k.png"
done
convert -delay 10 -loop 0 moving-?.png moving.gif
animate -geometry +380+560 moving.gif >/dev/null 2>&1 &
pids+=($!)
moving_shown() {
  import -window root -depth 8 rgb:root.rgb 2>/dev/null &&
    check still_rows root.rgb "$screen_w" "$screen_h" moving.gif 60 >moving.txt 2>moving.err
}
wait_for 30 moving_shown || fail "the moving animation does not show on the display: $(cat moving.err)"
read -r moving_x moving_y <moving.txt
printf '[settings]\r\noptimize=1\r\n' >bin/Pixlo.ini
pixlo /rect "$moving_x" "$moving_y" 180 120 2 areas.gif
rm bin/Pixlo.ini
rect_ok areas.gif
[ "$width $height" = "180 120" ] || fail "/rect with optimize=1: out=${width}x$height, expected 180x120"
[ "$(giftool -f '%w\n' <areas.gif | wc -l)" = "$frames" ] ||
  fail "/rect with optimize=1: the OK line says $frames frames, giflib reads $(giftool -f '%w\n' <areas.gif | wc -l)"
check areas areas.gif moving.gif 1 || fail "/rect with optimize=1: the changed areas do not show the animation"
area_frames=$frames
pixlo /rect "$moving_x" "$moving_y" 180 120 2 whole.gif
rect_ok whole.gif
check areas whole.gif moving.gif 0 || fail "/rect without the optimize key: not whole frames showing the animation"
ok "/rect with optimize=1 stores $area_frames frames as changed rectangles that compose to the animation; without the key, whole frames"
