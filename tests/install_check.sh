#!/usr/bin/env bash
# The native install: cmake --install of a build into a scratch prefix puts
# the program, its menu entry and its icon where desktop menus look.
#   install_check.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1 prefix=$2/prefix
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -x "$prefix/bin/pixlo" ] || fail "no bin/pixlo"
desktop=$prefix/share/applications/pixlo.desktop
[ -f "$desktop" ] || fail "no share/applications/pixlo.desktop"
for line in '[Desktop Entry]' 'Type=Application' 'Name=Pixlo' 'Exec=pixlo' 'Icon=pixlo' 'Categories=Utility;Graphics;'; do
  grep -qxF "$line" "$desktop" || fail "pixlo.desktop has no line $line"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects pixlo.desktop"
else
  echo "note: desktop-file-validate is missing (Debian's desktop-file-utils); the entry's lines were checked only"
fi
for size in 16 32; do
  png=$prefix/share/icons/hicolor/${size}x$size/apps/pixlo.png
  [ -f "$png" ] || fail "no icon at share/icons/hicolor/${size}x$size/apps/pixlo.png"
  # The PNG signature, then the width and height of its header chunk.
  read -r signature width height <<<"$(python3 - "$png" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
width, height = struct.unpack(">II", data[16:24])
print(data[:8].hex(), width, height)
PY
)"
  [ "$signature" = 89504e470d0a1a0a ] || fail "pixlo.png of $size is not a PNG"
  [ "$width x $height" = "$size x $size" ] || fail "pixlo.png of $size is $width x $height"
done
echo "ok: bin/pixlo, share/applications/pixlo.desktop, the hicolor icons of 16 and 32 pixels"
