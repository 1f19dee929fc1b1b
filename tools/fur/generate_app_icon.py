#!/usr/bin/env python3
"""Draws the program's icon: the pet seen from the front, its fur as in the fur picture and its
two eyes as in the tray face, at the hicolor theme's usual sizes. Running it again gives the
same bytes:

    python3 tools/fur/generate_app_icon.py resources/icons

writes resources/icons/hicolor/<size>x<size>/apps/tuftle.png. Only the standard library is used.
"""

import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import generate_fur as fur  # noqa: E402
import generate_menubar_faces as face  # noqa: E402

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
WHITE = (0.96, 0.96, 0.98)
PUPIL = (0.05, 0.05, 0.06)


def unit(points):
    """A length of the tray face, in units of the fur picture's side."""
    return points / face.UNIT


EYES = tuple((0.5 + unit(x - face.CENTER[0]), 0.5 + unit(y - face.CENTER[1])) for x, y in face.EYES)
EYE_RADII = tuple(unit(r) for r in face.EYE_RADII)
PUPIL_RADII = tuple(unit(r) for r in face.PUPIL_RADII)
PUPIL_DROP = unit(face.PUPIL_DROP)


def inside(u, v, cx, cy, rx, ry, soft):
    return 1 - fur.smoothstep(1 - soft, 1 + soft, math.hypot((u - cx) / rx, (v - cy) / ry))


def sample(u, v, tables):
    body = fur.sample(u, v, *tables)
    if body is None:
        return None
    r, g, b, a = body
    colour = (r, g, b)
    for cx, cy in EYES:
        white = inside(u, v, cx, cy, *EYE_RADII, 0.04)
        pupil = inside(u, v, cx, cy - PUPIL_DROP, *PUPIL_RADII, 0.08)
        eye = tuple(w * (1 - pupil) + p * pupil for w, p in zip(WHITE, PUPIL))
        colour = tuple(c * (1 - white) + e * white for c, e in zip(colour, eye))
    return colour + (a,)


def render(size, tables):
    n = 8 if size <= 48 else 4
    rows = []
    for py in range(size):
        row = bytearray([0])
        for px in range(size):
            sums = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    s = sample((px + (sx + 0.5) / n) / size, 1 - (py + (sy + 0.5) / n) / size, tables)
                    if s is None:
                        continue
                    for i in range(3):
                        sums[i] += s[i] * s[3]
                    sums[3] += s[3]
            if sums[3] <= 0:
                row += b"\0\0\0\0"
                continue
            row += bytes(int(round(min(1.0, c / sums[3]) * 255)) for c in sums[:3])
            row.append(int(round(sums[3] / (n * n) * 255)))
        rows.append(bytes(row))
    return fur.png(size, b"".join(rows))


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: generate_app_icon.py ICONS_FOLDER\n")
        return 2
    rng = random.Random(fur.SEED)
    tables = (fur.build_outline(rng), fur.build_streaks(rng), fur.build_streaks(rng))
    for size in SIZES:
        folder = os.path.join(sys.argv[1], "hicolor", "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "tuftle.png"), "wb") as f:
            f.write(render(size, tables))
    return 0


if __name__ == "__main__":
    sys.exit(main())
