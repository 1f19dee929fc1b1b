#!/usr/bin/env python3
"""Draws the tray faces: the pet's fluffy outline with its two eyes, looking ahead, left or right.

Template pictures: black with alpha only (the tray colours them). Each face is 22 x 22 points,
written at 22 pixels and at 44 pixels ("@2x"). The outline is the fur picture's own, from the
same seed, so the face is the pet seen small. Running it again gives the same bytes:

    python3 tools/fur/generate_menubar_faces.py resources/Assets

Only the standard library is used.
"""

import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import generate_fur as fur  # noqa: E402

POINTS = 22
SUPERSAMPLE = 8
UNIT = 23.0                 # points per unit of the fur picture's side
CENTER = (11.0, 11.0)       # the ball's centre, points, y up
EYES = ((8.15, 11.9), (14.35, 11.9))
EYE_RADII = (2.05, 2.5)
PUPIL_RADII = (1.0, 1.25)
PUPIL_DROP = 0.6            # pupils sit a little low: the pet looks at the screen below
GAZE_SHIFT = 0.75

FACES = {"MenuBarTemplate": 0, "MenuBarLookLeft": -1, "MenuBarLookRight": 1}


def ellipse_coverage(x, y, cx, cy, rx, ry, soft):
    d = math.hypot((x - cx) / rx, (y - cy) / ry)
    return 1 - fur.smoothstep(1 - soft, 1 + soft, d)


def alpha_at(x, y, outline, gaze):
    dx, dy = (x - CENTER[0]) / UNIT, (y - CENTER[1]) / UNIT
    edge = fur.lookup(outline, math.atan2(dy, dx))
    a = 1 - fur.smoothstep(edge - 0.01, edge + 0.004, math.hypot(dx, dy))
    for cx, cy in EYES:
        a *= 1 - ellipse_coverage(x, y, cx, cy, *EYE_RADII, 0.04)
        pupil = ellipse_coverage(x, y, cx + gaze * GAZE_SHIFT, cy - PUPIL_DROP, *PUPIL_RADII, 0.08)
        a = max(a, pupil)
    return a


def render(scale, gaze, outline):
    size = POINTS * scale
    n = SUPERSAMPLE
    rows = []
    for py in range(size):
        row = bytearray([0])
        for px in range(size):
            total = 0.0
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / scale
                    y = POINTS - (py + (sy + 0.5) / n) / scale
                    total += alpha_at(x, y, outline, gaze)
            row += bytes((0, 0, 0, int(round(total / (n * n) * 255))))
        rows.append(bytes(row))
    return fur.png(size, b"".join(rows))


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: generate_menubar_faces.py ASSETS_FOLDER\n")
        return 2
    outline = fur.build_outline(random.Random(fur.SEED))
    for name, gaze in FACES.items():
        for scale, suffix in ((1, ""), (2, "@2x")):
            with open(os.path.join(sys.argv[1], name + suffix + ".png"), "wb") as f:
                f.write(render(scale, gaze, outline))
    return 0


if __name__ == "__main__":
    sys.exit(main())
