#!/usr/bin/python3
"""Prints how much of its box every play-field figure covers: per frame, the share of the
frame's width and height spanned by opaque pixels (alpha >= 128), and the share of the
frame's area they fill.

Usage: measure_fill.py [assets-dir]
"""
import os
import sys

from PIL import Image

from catalogue import FIGURES

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.normpath(os.path.join(HERE, "..", "..", "assets"))

# Full-screen pictures, the never-drawn tap probe and effects that fade on purpose.
SKIPPED = {33, 34, 35, 36, 37, 46, 48}
OPAQUE = 128


def frame_fill(img, left, width):
    alpha = img.crop((left, 0, left + width, img.height)).getchannel("A")
    mask = alpha.point(lambda v: 255 if v >= OPAQUE else 0)
    box = mask.getbbox()
    if not box:
        return 0.0, 0.0, 0.0
    covered = sum(1 for v in mask.getdata() if v)
    return ((box[2] - box[0]) / width, (box[3] - box[1]) / img.height,
            covered / float(width * img.height))


def main(assets):
    print("%-6s %-5s %6s %6s %6s  %s" % ("figure", "frame", "width", "height", "area", "role"))
    for f in FIGURES:
        if f.number in SKIPPED:
            continue
        img = Image.open(os.path.join(assets, "Neu%d.png" % f.number)).convert("RGBA")
        fw = img.width // f.frames
        for k in range(f.frames):
            w, h, a = frame_fill(img, k * fw, fw)
            print("%-6d %-5d %5.0f%% %5.0f%% %5.0f%%  %s" % (f.number, k, 100 * w, 100 * h, 100 * a,
                                                           f.role[:60]))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else ASSETS)
