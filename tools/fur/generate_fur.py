#!/usr/bin/env python3
"""Draws the pet's fur bitmap: a soft, dark, fluffy ball on a transparent ground.

The picture is made for a 52-point square at 2x (104 x 104 pixels). Everything is derived from a
fixed seed, so running it again gives the same bytes:

    python3 tools/fur/generate_fur.py resources/Assets/FurBallBody-v1.png

Only the standard library is used (zlib writes the PNG).
"""

import math
import random
import struct
import sys
import zlib

SIZE = 104             # pixels
SUPERSAMPLE = 4        # samples per pixel along each axis
SEED = 20240611

# Geometry in units of the image side, y up, origin at the bottom-left.
CENTER = (0.5, 0.5)
CORE_RADIUS = 0.405    # where the fur is dense
ANGLE_STEPS = 4096     # resolution of the outline table


def smoothstep(edge0, edge1, x):
    if edge0 == edge1:
        return 0.0 if x < edge0 else 1.0
    t = min(1.0, max(0.0, (x - edge0) / (edge1 - edge0)))
    return t * t * (3 - 2 * t)


def angular_distance(a, b):
    d = (a - b) % (2 * math.pi)
    return min(d, 2 * math.pi - d)


def build_outline(rng):
    """The outer radius of the fur for each angle: broad tufts with fine hairs on top."""
    tufts = []
    count = 34
    for i in range(count):
        angle = (i + rng.uniform(-0.35, 0.35)) * 2 * math.pi / count
        tufts.append((angle, rng.uniform(0.09, 0.16), rng.uniform(0.018, 0.045)))
    hairs = []
    for _ in range(260):
        hairs.append((rng.uniform(0, 2 * math.pi), rng.uniform(0.008, 0.02), rng.uniform(0.006, 0.03)))

    outline = []
    for k in range(ANGLE_STEPS):
        theta = 2 * math.pi * k / ANGLE_STEPS
        # The ball sits a little flatter at the bottom, where it rests.
        base = CORE_RADIUS * (1 - 0.035 * max(0.0, -math.sin(theta)))
        extra = 0.0
        for angle, width, length in tufts:
            d = angular_distance(theta, angle) / width
            if d < 1:
                extra = max(extra, length * (1 - d * d) ** 1.6)
        hair = 0.0
        for angle, width, length in hairs:
            d = angular_distance(theta, angle) / width
            if d < 1:
                hair = max(hair, length * (1 - d) ** 2.2)
        outline.append(base + extra + hair)
    return outline


def build_streaks(rng):
    """Fine brightness variation along the direction of the hairs."""
    steps = 720
    values = [rng.uniform(-1, 1) for _ in range(steps)]
    # Soften neighbouring values a little so the streaks read as hair, not noise.
    soft = []
    for i in range(steps):
        soft.append(0.5 * values[i] + 0.25 * values[i - 1] + 0.25 * values[(i + 1) % steps])
    return soft


def lookup(table, theta):
    n = len(table)
    x = (theta % (2 * math.pi)) / (2 * math.pi) * n
    i = int(x)
    f = x - i
    return table[i % n] * (1 - f) + table[(i + 1) % n] * f


def sample(u, v, outline, streaks, fine_streaks):
    """Colour (sRGB, 0..1, a grey with a faint blue cast) and coverage at one point."""
    dx, dy = u - CENTER[0], v - CENTER[1]
    r = math.hypot(dx, dy)
    theta = math.atan2(dy, dx)
    edge = lookup(outline, theta)
    coverage = 1 - smoothstep(edge - 0.018, edge + 0.004, r)
    if coverage <= 0:
        return None

    # Soft light from the upper left, a darker underside.
    light = (-dx * 0.55 + dy * 0.85) / max(r, 1e-6)
    depth = min(1.0, r / CORE_RADIUS)
    shade = 0.1
    shade += 0.06 * math.exp(-((u - 0.36) ** 2 + (v - 0.70) ** 2) / 0.018)   # sheen
    shade += 0.05 * max(0.0, light) * depth ** 3                             # rim light
    shade -= 0.035 * max(0.0, -light) * depth ** 2                            # underside
    # Hair streaks, stronger toward the fringe where single hairs show.
    streak = lookup(streaks, theta) * 0.6 + lookup(fine_streaks, theta * 3 + r * 9) * 0.4
    shade += streak * (0.005 + 0.035 * depth ** 5)
    # The fringe is thinner and lets a little light through.
    fringe = smoothstep(CORE_RADIUS - 0.03, edge, r)
    shade += 0.06 * fringe
    shade = min(1.0, max(0.0, shade))
    return (shade * 0.96, shade * 0.97, shade * 1.06, coverage * (1 - 0.25 * fringe))


def render():
    rng = random.Random(SEED)
    outline = build_outline(rng)
    streaks = build_streaks(rng)
    fine_streaks = build_streaks(rng)
    rows = []
    n = SUPERSAMPLE
    for py in range(SIZE):
        row = bytearray([0])  # filter type: none
        for px in range(SIZE):
            r_sum = g_sum = b_sum = a_sum = 0.0
            for sy in range(n):
                for sx in range(n):
                    u = (px + (sx + 0.5) / n) / SIZE
                    v = 1 - (py + (sy + 0.5) / n) / SIZE
                    s = sample(u, v, outline, streaks, fine_streaks)
                    if s is None:
                        continue
                    r, g, b, a = s
                    r_sum += r * a
                    g_sum += g * a
                    b_sum += b * a
                    a_sum += a
            count = n * n
            alpha = a_sum / count
            if alpha <= 0:
                row += b"\0\0\0\0"
                continue
            # Straight (not premultiplied) colour, as PNG stores it.
            colour = [c / a_sum for c in (r_sum, g_sum, b_sum)]
            row += bytes(int(round(min(1.0, c) * 255)) for c in colour)
            row.append(int(round(alpha * 255)))
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(size, pixels):
    """A square RGBA PNG of `size` pixels from its filtered rows."""
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b"")


def write_png(path, pixels):
    with open(path, "wb") as f:
        f.write(png(SIZE, pixels))


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: generate_fur.py OUTPUT.png\n")
        return 2
    write_png(sys.argv[1], render())
    return 0


if __name__ == "__main__":
    sys.exit(main())
