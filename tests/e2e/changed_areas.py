#!/usr/bin/env python3
"""Checks a GIF recorded with optimize=1 over a known scene: a picture with
a square moved through known places on it.

  changed_areas.py GIF PICTURE AX AY W H SIZE R,G,B PLACES MASKS FIRST_MASKS

PICTURE is a binary PPM of the screen without the square; the recording
covered its W x H area at screen point AX, AY. The square, SIZE pixels wide
and of colour R,G,B, stood at each of PLACES ("X,Y X,Y ...", screen points on
the picture's 8-pixel grid) in turn. MASKS ("X,Y,W,H ..." in the area's
coordinates) are left out of every frame, FIRST_MASKS also out of the first
frame. A frame is compared with each scene by the mean colour of every 8 x 8
block of the screen's grid, as error diffusion keeps the mean while it
scatters single pixels. In the first frame, stored whole, every block must
be within 32 a channel of a scene's colour, as in the whole recording's
check. A later frame's rectangle has a palette learned from its few pixels
(repeated), which may be coarser (with a shorter learning, block means were
seen up to 141 off in a channel, and the square's colour merged with the
picture's nearest one; now 28 like the first frame): there the square
must be seen at exactly one place, a place showing it when at least 7 of
its 9 blocks are nearer the square's colour than the picture's. A trail
shows the square twice, a hole not at all, and a rectangle stored a block or
more from its place moves the square's blocks with it. The largest error
seen is printed, and a NOTE line when a later frame's exceeds the first
frame's 32.

Checks: the first frame is stored whole and every later one as a rectangle
smaller than the frame, inside it; each composed frame (ImageMagick
-coalesce) is one of the scenes, with nothing left of an earlier place of
the square and nothing missing, the places following each other in order
from the first to the last; and a frame where the square moved stores
exactly the rectangle around its old and new place. Prints one line,
"FRAMES N PLACES ... AREAS ... ERROR FIRST LATER" (the largest block error
in a channel, of the first frame and of the later ones), and a FAIL line per
fault; the exit code is 1 after a fault.
"""

import glob
import os
import subprocess
import sys
import tempfile

from pixels import load as load_ppm  # the PPM reader the other picture checks use


def descriptors(path):
    """(left, top, width, height) of each image, and the logical screen size."""
    data = open(path, "rb").read()
    if data[:6] != b"GIF89a":
        sys.exit("%s: not a GIF89a file" % path)
    screen = (data[6] | data[7] << 8, data[8] | data[9] << 8)
    at = 13
    if data[10] & 0x80:
        at += 3 << ((data[10] & 7) + 1)

    def skip_blocks(at):
        while data[at]:
            at += data[at] + 1
        return at + 1

    images = []
    while at < len(data) and data[at] != 0x3B:
        if data[at] == 0x21:
            at = skip_blocks(at + 2)
        elif data[at] == 0x2C:
            f = data[at + 1:at + 10]
            images.append((f[0] | f[1] << 8, f[2] | f[3] << 8, f[4] | f[5] << 8, f[6] | f[7] << 8))
            at += 10
            if f[8] & 0x80:
                at += 3 << ((f[8] & 7) + 1)
            at = skip_blocks(at + 1)
        else:
            sys.exit("%s: unknown block 0x%02x at byte %d" % (path, data[at], at))
    return screen, images


def rects(text):
    return [tuple(int(v) for v in item.split(",")) for item in text.split()]


def main(argv):
    gif, picture_path = argv[1], argv[2]
    ax, ay, w, h, size = (int(v) for v in argv[3:8])
    colour = tuple(int(v) for v in argv[8].split(","))
    places = [(x - ax, y - ay) for x, y in rects(argv[9])]
    masks, first_masks = rects(argv[10]), rects(argv[11])
    faults = []

    screen, images = descriptors(gif)
    if screen != (w, h):
        faults.append("logical screen %dx%d, expected %dx%d" % (screen + (w, h)))
    if not images or images[0] != (0, 0, w, h):
        faults.append("the first frame is stored as %s, not whole" % (images[:1],))
    for i, (left, top, width, height) in enumerate(images[1:], 1):
        if width * height >= w * h or left + width > w or top + height > h or width < 1 or height < 1:
            faults.append("frame %d stored as %d,%d %dx%d: not a rectangle smaller than the frame" %
                          (i, left, top, width, height))

    # Blocks of the screen's 8-pixel grid inside the area, and their pixels' columns.
    def masked(bx, by, rects_):
        x0, y0 = bx * 8 - ax, by * 8 - ay
        return any(x0 < mx + mw and mx < x0 + 8 and y0 < my + mh and my < y0 + 8 for mx, my, mw, mh in rects_)

    pw, _, pbody = load_ppm(picture_path)
    columns = []  # (bx, x0, x1) in area coordinates
    for bx in range(ax // 8, (ax + w - 1) // 8 + 1):
        columns.append((bx, max(bx * 8 - ax, 0), min(bx * 8 + 8 - ax, w)))

    def block_means(body, stride, ox, oy):
        sums = {}
        for y in range(h):
            by = (ay + y) // 8
            o = ((oy + y) * stride + ox) * 3
            for bx, x0, x1 in columns:
                total = sums.setdefault((bx, by), [0, 0, 0, 0])
                for c in range(3):
                    total[c] += sum(body[o + x0 * 3 + c:o + x1 * 3:3])
                total[3] += x1 - x0
        return {k: (t[0] / t[3], t[1] / t[3], t[2] / t[3]) for k, t in sums.items()}

    background = block_means(pbody, pw, ax, ay)
    scenes = []
    for px, py in places:
        scene = dict(background)
        for by in range((ay + py) // 8, (ay + py + size) // 8):
            for bx in range((ax + px) // 8, (ax + px + size) // 8):
                scene[(bx, by)] = colour
        scenes.append(scene)

    footprints = [[(bx, by) for by in range((ay + py) // 8, (ay + py + size) // 8)
                   for bx in range((ax + px) // 8, (ax + px + size) // 8)] for px, py in places]

    def distance(a, b):
        return sum(abs(a[c] - b[c]) for c in range(3))

    with tempfile.TemporaryDirectory() as folder:
        subprocess.run(["convert", gif, "-coalesce", "-depth", "8", os.path.join(folder, "f-%04d.ppm")], check=True)
        frames = sorted(glob.glob(os.path.join(folder, "f-*.ppm")))
        if len(frames) != len(images):
            faults.append("ImageMagick composes %d frames, the file holds %d" % (len(frames), len(images)))
        shown = []
        worst = [0, 0]  # the largest block error of the first frame, and of the later ones
        for i, path in enumerate(frames):
            fw, fh, body = load_ppm(path)
            if (fw, fh) != (w, h):
                faults.append("composed frame %d is %dx%d" % (i, fw, fh))
                shown.append(None)
                continue
            means = block_means(body, w, 0, 0)
            skip = masks + (first_masks if i == 0 else [])
            if i == 0:
                # Stored whole: every block within 32 of one scene.
                best = None
                for k, scene in enumerate(scenes):
                    wrong = [key for key, m in means.items() if not masked(key[0], key[1], skip) and
                             any(abs(m[c] - scene[key][c]) > 32 for c in range(3))]
                    if best is None or len(wrong) < len(best[1]):
                        best = (k, wrong)
                k, wrong = best
                if wrong:
                    bx, by = wrong[0]
                    faults.append("the first frame is none of the scenes: %d blocks differ from the nearest "
                                  "(square at place %d), first the block at screen %d,%d: %s against %s" %
                                  (len(wrong), k, bx * 8, by * 8, [round(v) for v in means[(bx, by)]],
                                   [round(v) for v in scenes[k][(bx, by)]]))
                    shown.append(None)
                    continue
            else:
                # The square is seen at a place when at least 7 of the 9
                # blocks there are nearer its colour than the picture's.
                seen = []
                for k, blocks in enumerate(footprints):
                    squareish = sum(1 for key in blocks if distance(means[key], colour) < distance(means[key],
                                                                                                  background[key]))
                    if squareish >= 7:
                        seen.append(k)
                if len(seen) != 1:
                    faults.append("composed frame %d shows the square at place(s) %s: a trail or a hole" % (i, seen))
                    shown.append(None)
                    continue
                k = seen[0]
            shown.append(k)
            error = max((max(abs(m[c] - scenes[k][key][c]) for c in range(3)) for key, m in means.items()
                         if not masked(key[0], key[1], skip)), default=0)
            worst[i > 0] = max(worst[i > 0], error)

    if None not in shown and shown:
        if shown[0] != 0 or shown[-1] != len(places) - 1 or any(b < a for a, b in zip(shown, shown[1:])):
            faults.append("the square's places by frame are %s, not each in turn" % shown)
        for i in range(1, len(shown)):
            a, b = shown[i - 1], shown[i]
            if a == b or i >= len(images):
                continue
            left = min(places[a][0], places[b][0])
            top = min(places[a][1], places[b][1])
            right = max(places[a][0], places[b][0]) + size
            bottom = max(places[a][1], places[b][1]) + size
            if images[i] != (left, top, right - left, bottom - top):
                faults.append("frame %d, the square moved from %s to %s: stored as %s, expected %s" %
                              (i, places[a], places[b], images[i], (left, top, right - left, bottom - top)))

    print("FRAMES %d PLACES %s AREAS %s ERROR %.0f %.0f" % (
        len(images), ",".join(str(k) for k in shown), " ".join("%dx%d" % r[2:] for r in images), worst[0], worst[1]))
    if worst[1] > 32:
        print("NOTE later frames' colours are up to %.0f off in a channel (block means), the first frame's %.0f" %
              (worst[1], worst[0]))
    for fault in faults:
        print("FAIL " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
