"""Pillow as a peer GIF encoder for the size table (sizes.sh).

    python3 pillow_gif.py FRAMEDIR OUT.gif [METHOD]
    python3 pillow_gif.py --method

Reads FRAMEDIR/f000.ppm ..., quantizes every frame to its own 256 colours
and saves an animation at 10 frames/s, as a user of Pillow would:
Pillow itself stores each later frame as the box that differs from the one
before and merges identical frames. METHOD is "libimagequant" when Pillow
was built with it, else median cut; --method prints which one this Pillow
has.
"""

import os
import sys

from PIL import Image, features


def best_method():
    return "libimagequant" if features.check("libimagequant") else "mediancut"


def main(argv):
    if len(argv) == 2 and argv[1] == "--method":
        print(best_method())
        return 0
    if len(argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    frame_dir, out = argv[1], argv[2]
    method_name = argv[3] if len(argv) == 4 else best_method()
    method = {"libimagequant": Image.Quantize.LIBIMAGEQUANT,
              "mediancut": Image.Quantize.MEDIANCUT,
              "fastoctree": Image.Quantize.FASTOCTREE}[method_name]
    frames = []
    k = 0
    while os.path.exists(os.path.join(frame_dir, "f%03d.ppm" % k)):
        with Image.open(os.path.join(frame_dir, "f%03d.ppm" % k)) as im:
            frames.append(im.convert("RGB").quantize(colors=256, method=method))
        k += 1
    if not frames:
        print("%s: no f000.ppm" % frame_dir, file=sys.stderr)
        return 1
    frames[0].save(out, save_all=True, append_images=frames[1:], duration=100, loop=0)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
