#!/usr/bin/env python3
"""Draws Vellimor's application icon and writes it as res/vellimor.ico.

    scripts/make_icon.py [output.ico]

The picture: a clock face on a teal rounded square, its hands at ten past ten, and below it a
plug and a socket drawn apart: a connection that waits for its time (sizes under 32 pixels show
the clock alone, larger). Every shape is a signed distance, sampled 4 x 4 times per pixel for
smooth edges, so each size is drawn from the same description rather than scaled from another. Sizes 16, 24, 32 and 48 are
32-bit bitmaps (what every Windows version reads); 256 is PNG, as Windows expects for that size.
Only the standard library is used, and the output depends on nothing but this file.
"""

import math
import struct
import sys
import zlib
from pathlib import Path

SIZES = (16, 24, 32, 48, 256)
PNG_FROM = 256  # sizes from this one up are stored as PNG
SAMPLES = 4

TEAL = (0x14, 0x7A, 0x8C)
TEAL_DARK = (0x0C, 0x55, 0x63)
WHITE = (0xFF, 0xFF, 0xFF)
INK = (0x1F, 0x2A, 0x33)
AMBER = (0xF2, 0xA9, 0x00)


# ---- Shapes: signed distances in unit coordinates (0..1 across the icon), negative inside ----


def rounded_square(x, y, half, radius):
    qx = abs(x - 0.5) - half + radius
    qy = abs(y - 0.5) - half + radius
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def circle(x, y, cx, cy, r):
    return math.hypot(x - cx, y - cy) - r


def segment(x, y, ax, ay, bx, by, half_width):
    """A stroke from a to b with round ends."""
    px, py = x - ax, y - ay
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, (px * dx + py * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - dx * t, py - dy * t) - half_width


def box(x, y, x0, y0, x1, y1):
    qx = max(x0 - x, x - x1)
    qy = max(y0 - y, y - y1)
    return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0)


# ---- The picture, back to front: (distance function, colour) ----------------------------------


def hand(centre, angle_degrees, length, half_width):
    # Clock angles: 0 at twelve, clockwise.
    a = math.radians(angle_degrees)
    cx, cy = centre
    tip = (cx + math.sin(a) * length, cy - math.cos(a) * length)
    return lambda x, y: segment(x, y, cx, cy, tip[0], tip[1], half_width)


def layers(size):
    small = size < 32
    # Below 32 pixels the plugs would be a smudge: the clock alone fills the square, with bolder
    # strokes so that the hands stay visible at 16 pixels.
    cx, cy = (0.5, 0.5) if small else (0.5, 0.45)
    face = 0.38 if small else 0.29
    bold = 2.2 if size <= 16 else 1.9 if small else (1.2 if size < 48 else 1.0)
    picture = [
        (lambda x, y: rounded_square(x, y, 0.47, 0.12), TEAL_DARK),
        (lambda x, y: rounded_square(x, y, 0.44, 0.10), TEAL),
        (lambda x, y: circle(x, y, cx, cy, face), WHITE),
    ]
    if size > 16:  # at 16 pixels the inner ring would blur into the hands
        picture.append(
            (lambda x, y: abs(circle(x, y, cx, cy, face - 0.035 * bold)) - 0.012 * bold, TEAL_DARK))
    picture += [
        (hand((cx, cy), 305, face * 0.45, 0.026 * bold), INK),  # the hour hand, just past ten
        (hand((cx, cy), 60, face * 0.70, 0.018 * bold), INK),  # the minute hand, at ten past
        (lambda x, y: circle(x, y, cx, cy, 0.032 * bold), AMBER),
    ]
    if not small:
        # The plug (left, with two pins) and the socket (right), apart.
        picture += [
            (lambda x, y: box(x, y, 0.20, 0.80, 0.40, 0.90), WHITE),
            (lambda x, y: box(x, y, 0.40, 0.815, 0.455, 0.835), WHITE),
            (lambda x, y: box(x, y, 0.40, 0.855, 0.455, 0.875), WHITE),
            (lambda x, y: box(x, y, 0.56, 0.80, 0.80, 0.90), WHITE),
            (lambda x, y: box(x, y, 0.56, 0.815, 0.60, 0.875), TEAL),
        ]
    return picture


def render(size):
    """RGBA rows, top row first."""
    shapes = layers(size)
    pixels = []
    step = 1.0 / (size * SAMPLES)
    for row in range(size):
        line = []
        for column in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (column * SAMPLES + sx + 0.5) * step
                    y = (row * SAMPLES + sy + 0.5) * step
                    colour = None
                    for distance, fill in shapes:
                        if distance(x, y) <= 0.0:
                            colour = fill
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1.0
            n = SAMPLES * SAMPLES
            if a == 0.0:
                line.append((0, 0, 0, 0))
            else:
                # Colour averaged over the covered samples; coverage becomes alpha.
                line.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
        pixels.append(line)
    return pixels


# ---- Encodings ---------------------------------------------------------------------------------


def png(pixels):
    size = len(pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\x00" + bytes(c for p in line for c in p) for line in pixels)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def dib(pixels):
    """A 32-bit BGRA bitmap with its AND mask, as an icon directory entry holds it."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((p[2], p[1], p[0], p[3])) for line in reversed(pixels) for p in line)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for line in reversed(pixels):
        bits = bytearray(mask_stride)
        for column, p in enumerate(line):
            if p[3] == 0:  # transparent where nothing is drawn
                bits[column // 8] |= 0x80 >> (column % 8)
        mask += bits
    return header + colour + bytes(mask)


def icon(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    data = b""
    for size, blob in images:
        side = 0 if size >= 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    return directory + entries + data


def main():
    default = Path(__file__).resolve().parent.parent / "res" / "vellimor.ico"
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else default
    images = []
    for size in SIZES:
        pixels = render(size)
        images.append((size, png(pixels) if size >= PNG_FROM else dib(pixels)))
    out.write_bytes(icon(images))
    print(f"wrote {out} ({out.stat().st_size} bytes, sizes {', '.join(map(str, SIZES))})")


if __name__ == "__main__":
    main()
