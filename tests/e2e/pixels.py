#!/usr/bin/env python3
"""Reads pixels of binary PPM (P6) pictures for the end-to-end tests.

  at FILE X Y [X Y ...]          "R,G,B" of each point, one a line
  count FILE X Y W H R,G,B TOL   pixels of the rectangle within TOL of the colour
  glyphs FILE X Y W H LIMIT      ink (pixels whose darkest channel is below
                                 LIMIT) of a two-glyph text in the rectangle:
                                 "DARK ROWS WIDTH SAME DIGEST", SAME 1 when the
                                 left half of the ink equals the right half (as
                                 two boxes drawn for missing glyphs would)
  shape FILE X Y W H LIMIT       black ink (pixels whose brightest channel is
                                 below LIMIT) in the rectangle: "INK W H
                                 CORNERS", the ink's bounding box and how many
                                 of its four 2 x 2 corners hold ink (a cross
                                 reaches all four, a letter rarely does)
  diff A AX AY B BX BY W H TOL [MX MY MW MH]
                                 pixels of a W x H area that differ by more than
                                 TOL in a channel between A at (AX, AY) and B at
                                 (BX, BY), leaving out the mask rectangle given
                                 in the area's coordinates; then the first one
  blocks A AX AY B BX BY W H TOL [MX MY MW MH ...]
                                 like diff, but compares the mean colour of each
                                 8 x 8 block of B's grid (clipped to the area),
                                 which error diffusion keeps while it scatters
                                 single pixels; blocks touching a mask rectangle
                                 are left out. Prints the differing blocks, how
                                 many were compared, and the first difference
  over FILE CURSOR X Y OUT       writes FILE with a cursor image put over it, its
                                 top-left corner at (X, Y), clipped, as OUT;
                                 CURSOR is the text of pixlo_x11_probe cursor
                                 (premultiplied 0xAARRGGBB words)
"""

import hashlib
import sys


def load(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            while data[at:at + 1] not in (b"\n", b""):
                at += 1
            continue
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    if fields[0] != b"P6" or int(fields[3]) != 255:
        sys.exit("%s: not an 8-bit binary PPM" % path)
    return int(fields[1]), int(fields[2]), data[at + 1:]


def pixel(picture, x, y):
    width, height, body = picture
    if not (0 <= x < width and 0 <= y < height):
        sys.exit("point %d,%d outside the %dx%d picture" % (x, y, width, height))
    i = (y * width + x) * 3
    return tuple(body[i:i + 3])


def main(argv):
    command = argv[1]
    if command == "at":
        picture = load(argv[2])
        numbers = [int(v) for v in argv[3:]]
        for x, y in zip(numbers[0::2], numbers[1::2]):
            print("%d,%d,%d" % pixel(picture, x, y))
    elif command == "count":
        picture = load(argv[2])
        x0, y0, w, h = (int(v) for v in argv[3:7])
        colour = [int(v) for v in argv[7].split(",")]
        tolerance = int(argv[8])
        total = 0
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                p = pixel(picture, x, y)
                if all(abs(p[c] - colour[c]) <= tolerance for c in range(3)):
                    total += 1
        print(total)
    elif command == "glyphs":
        picture = load(argv[2])
        x0, y0, w, h, limit = (int(v) for v in argv[3:8])
        mask = [[min(pixel(picture, x, y)) < limit for x in range(x0, x0 + w)] for y in range(y0, y0 + h)]
        columns = [x for x in range(w) if any(row[x] for row in mask)]
        if not columns:
            print("0 0 0 0 -")
            return
        first, last = columns[0], columns[-1]
        half = (last - first + 2) // 2
        left = [row[first:first + half] for row in mask]
        right = [(row[first + half:first + 2 * half] + [False] * half)[:half] for row in mask]
        digest = hashlib.md5(repr(mask).encode()).hexdigest()[:12]
        print(sum(map(sum, mask)), sum(1 for row in mask if any(row)), last - first + 1,
              1 if left == right else 0, digest)
    elif command == "shape":
        picture = load(argv[2])
        x0, y0, w, h, limit = (int(v) for v in argv[3:8])
        ink = {(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w) if max(pixel(picture, x, y)) < limit}
        if not ink:
            print("0 0 0 0")
            return
        left, right = min(x for x, _ in ink), max(x for x, _ in ink)
        top, bottom = min(y for _, y in ink), max(y for _, y in ink)
        corners = 0
        for cx, cy in ((left, top), (right - 1, top), (left, bottom - 1), (right - 1, bottom - 1)):
            corners += any((cx + dx, cy + dy) in ink for dx in (0, 1) for dy in (0, 1))
        print(len(ink), right - left + 1, bottom - top + 1, corners)
    elif command == "diff":
        a = load(argv[2])
        ax, ay = int(argv[3]), int(argv[4])
        b = load(argv[5])
        bx, by, w, h, tolerance = (int(v) for v in argv[6:11])
        mask = [int(v) for v in argv[11:15]] if len(argv) >= 15 else [0, 0, 0, 0]
        differing = 0
        first = None
        for y in range(h):
            for x in range(w):
                if mask[0] <= x < mask[0] + mask[2] and mask[1] <= y < mask[1] + mask[3]:
                    continue
                p = pixel(a, ax + x, ay + y)
                q = pixel(b, bx + x, by + y)
                if any(abs(p[c] - q[c]) > tolerance for c in range(3)):
                    differing += 1
                    if first is None:
                        first = "first at %d,%d: %s against %s" % (x, y, p, q)
        print(differing, first or "")
    elif command == "blocks":
        a = load(argv[2])
        ax, ay = int(argv[3]), int(argv[4])
        b = load(argv[5])
        bx, by, w, h, tolerance = (int(v) for v in argv[6:11])
        numbers = [int(v) for v in argv[11:]]
        masks = [numbers[i:i + 4] for i in range(0, len(numbers) - 3, 4)]
        sums = {}
        for y in range(h):
            for x in range(w):
                if any(m[0] <= x < m[0] + m[2] and m[1] <= y < m[1] + m[3] for m in masks):
                    sums[((bx + x) // 8, (by + y) // 8)] = None
                    continue
                key = ((bx + x) // 8, (by + y) // 8)
                if key in sums and sums[key] is None:
                    continue
                total = sums.setdefault(key, [0, 0, 0, 0, 0, 0, 0])
                p = pixel(a, ax + x, ay + y)
                q = pixel(b, bx + x, by + y)
                for c in range(3):
                    total[c] += p[c]
                    total[3 + c] += q[c]
                total[6] += 1
        differing = compared = 0
        first = None
        for key in sorted(sums, key=lambda k: (k[1], k[0])):
            total = sums[key]
            if total is None:
                continue
            compared += 1
            n = total[6]
            mean_a = [total[c] / n for c in range(3)]
            mean_b = [total[3 + c] / n for c in range(3)]
            if any(abs(mean_a[c] - mean_b[c]) > tolerance for c in range(3)):
                differing += 1
                if first is None:
                    first = "first the block at screen %d,%d: %s against %s" % (
                        key[0] * 8, key[1] * 8, [round(v) for v in mean_a], [round(v) for v in mean_b])
        print(differing, compared, first or "")
    elif command == "over":
        width, height, body = load(argv[2])
        lines = open(argv[3]).read().split("\n")
        cw, ch = (int(v) for v in lines[0].split()[:2])
        x0, y0 = int(argv[4]), int(argv[5])
        out = bytearray(body)
        for row in range(ch):
            words = [int(w, 16) for w in lines[1 + row].split()]
            for column in range(cw):
                x, y = x0 + column, y0 + row
                if not (0 <= x < width and 0 <= y < height):
                    continue
                word = words[column]
                alpha = word >> 24
                i = (y * width + x) * 3
                for c, shift in enumerate((16, 8, 0)):
                    value = ((word >> shift) & 255) + out[i + c] * (255 - alpha) / 255
                    out[i + c] = min(255, int(value + 0.5))
        with open(argv[6], "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (width, height) + bytes(out))
    else:
        sys.exit("unknown command " + command)


if __name__ == "__main__":
    main(sys.argv)
