#!/usr/bin/env python3
"""Draws Quillon's window icon (an album cover holding a photo, with a quill
across its corner) and writes it as a multi-size 32-bit .ico.

Plain Python, no imaging library: every pixel is supersampled over a 4x4 grid
of shape tests in a 0..1 square, so the same drawing serves 16, 32 and 48 px.

    python3 tools/icon/make_icon.py res/quillon.ico
"""
import math
import struct
import sys

SIZES = (16, 32, 48)
SUB = 4  # supersamples per axis


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def triangle(a, b, c):
    def side(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    def inside(x, y):
        s1, s2, s3 = side(a, b, x, y), side(b, c, x, y), side(c, a, x, y)
        return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)
    return inside


def clipped(shape, clip):
    return lambda x, y: clip(x, y) and shape(x, y)


# The quill runs from its nib (lower left) to its tip (upper right).
NIB = (0.50, 0.94)
TIP = (0.97, 0.06)
AXIS = (TIP[0] - NIB[0], TIP[1] - NIB[1])
LENGTH = math.hypot(*AXIS)
UNIT = (AXIS[0] / LENGTH, AXIS[1] / LENGTH)


def along(x, y):
    """Position along the quill (0 at the nib, 1 at the tip) and signed
    distance from its shaft."""
    dx, dy = x - NIB[0], y - NIB[1]
    t = (dx * UNIT[0] + dy * UNIT[1]) / LENGTH
    d = dx * -UNIT[1] + dy * UNIT[0]
    return t, d


def vane(extra):
    # Feather outline: widest two thirds up, a little fuller on one side.
    def inside(x, y):
        t, d = along(x, y)
        if not 0.22 <= t <= 1.0:
            return False
        u = (t - 0.22) / 0.78
        half = 0.15 * math.sin(math.pi * u ** 0.8) + extra
        return -half * 0.75 <= d <= half
    return inside


def shaft(width):
    def inside(x, y):
        t, d = along(x, y)
        return -0.02 <= t <= 1.0 and abs(d) <= width
    return inside


def nib(x, y):
    t, d = along(x, y)
    return -0.02 <= t <= 0.22 and abs(d) <= 0.05 * (t + 0.02) / 0.24 + 0.004


def barbs(x, y):
    # Slanted stripes across the vane.
    t, d = along(x, y)
    return (math.floor((t * 11 + d * 6) % 2) == 0)


COVER = rounded_rect(0.04, 0.12, 0.80, 0.94, 0.07)
LAYERS = [
    # (shape, RGBA)
    (rounded_rect(0.05, 0.15, 0.82, 0.97, 0.07), (0, 0, 0, 70)),      # shadow
    (COVER, (28, 78, 128, 255)),                                       # cover
    (rect(0.04, 0.12, 0.15, 0.94), (18, 52, 90, 255)),                 # spine
    (rect(0.15, 0.12, 0.17, 0.94), (70, 120, 170, 255)),               # spine edge
    (rect(0.24, 0.22, 0.74, 0.74), (250, 250, 246, 255)),              # print border
    (rect(0.28, 0.26, 0.70, 0.62), (126, 192, 238, 255)),              # sky
    (circle(0.60, 0.36, 0.055), (255, 208, 64, 255)),                  # sun
    (clipped(triangle((0.28, 0.62), (0.43, 0.38), (0.58, 0.62)),
             rect(0.28, 0.26, 0.70, 0.62)), (58, 146, 84, 255)),       # hill
    (clipped(triangle((0.46, 0.62), (0.60, 0.46), (0.74, 0.62)),
             rect(0.28, 0.26, 0.70, 0.62)), (36, 110, 64, 255)),       # far hill
    (vane(0.025), (70, 50, 30, 255)),                                  # vane outline
    (vane(0.0), (252, 246, 226, 255)),                                 # vane
    (clipped(barbs, vane(0.0)), (232, 222, 196, 255)),                 # barbs
    (shaft(0.012), (92, 62, 34, 255)),                                 # shaft
    (nib, (40, 40, 48, 255)),                                          # nib
]


def over(dst, src):
    sa = src[3] / 255.0
    da = dst[3] / 255.0
    oa = sa + da * (1 - sa)
    if oa == 0:
        return (0.0, 0.0, 0.0, 0.0)
    rgb = [(src[i] * sa + dst[i] * da * (1 - sa)) / oa for i in range(3)]
    return (rgb[0], rgb[1], rgb[2], oa * 255.0)


def render(size):
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUB):
                for sx in range(SUB):
                    x = (px + (sx + 0.5) / SUB) / size
                    y = (py + (sy + 0.5) / SUB) / size
                    c = (0.0, 0.0, 0.0, 0.0)
                    for shape, colour in LAYERS:
                        if shape(x, y):
                            c = over(c, colour)
                    # Premultiply while averaging so edges do not darken.
                    a = c[3] / 255.0
                    acc[0] += c[0] * a
                    acc[1] += c[1] * a
                    acc[2] += c[2] * a
                    acc[3] += c[3]
            n = SUB * SUB
            alpha = acc[3] / n
            if alpha > 0:
                scale = 255.0 / alpha
                rgb = [min(255, round(acc[i] / n * scale)) for i in range(3)]
            else:
                rgb = [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], round(alpha)))
        pixels.append(row)
    return pixels


def dib(size, pixels):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):  # bottom-up
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'res/quillon.ico'
    images = [dib(s, render(s)) for s in SIZES]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        data += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        data += image
    with open(out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
