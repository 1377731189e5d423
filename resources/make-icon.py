#!/usr/bin/env python3
"""Draws Tarnwick's icon (a prompt chevron with an amber cursor on a blue tile) and writes it as
Tarnwick.ico with 16, 20, 24, 32 and 48 pixel square images (the small icon at 100, 125, 150 and
200 % display scale, and the large one at 100 and 150 %), 32 bits per pixel with alpha. The
images up to 32 pixels, which start-up loads at display scales up to 200 %, are bitmaps; the
48 pixel one is PNG-compressed, as icons may hold them since Windows Vista: a fifth of the size
in the exe, decoded only where it is shown. Standard library only.

    resources/make-icon.py [OUTPUT.ico]
"""
import math
import struct
import sys
import zlib

SUPERSAMPLE = 4


def dist_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def inside_rounded_rect(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1


def sample(x, y):
    """Colour (r, g, b, a) of the design at the unit-square point (x, y), y downwards."""
    if not inside_rounded_rect(x, y, 0.03, 0.03, 0.97, 0.97, 0.2):
        return (0, 0, 0, 0)
    # Chevron ">" and the cursor bar, over the tile.
    stroke = 0.065
    if (dist_to_segment(x, y, 0.24, 0.26, 0.50, 0.50) <= stroke
            or dist_to_segment(x, y, 0.50, 0.50, 0.24, 0.74) <= stroke):
        return (255, 255, 255, 255)
    if 0.56 <= x <= 0.80 and 0.64 <= y <= 0.76:
        return (255, 200, 61, 255)
    # A darker rim, then a top-to-bottom gradient.
    if not inside_rounded_rect(x, y, 0.08, 0.08, 0.92, 0.92, 0.16):
        return (16, 52, 104, 255)
    top, bottom = (52, 120, 196), (26, 68, 128)
    return tuple(round(t + (b - t) * y) for t, b in zip(top, bottom)) + (255,)


def render(size):
    """Rows top to bottom of (b, g, r, a) tuples, premultiplied-free, supersampled."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3]:
                r, g, b = (round(c / acc[3]) for c in acc[:3])
            else:
                r = g = b = 0
            row.append((b, g, r, round(alpha)))
        rows.append(row)
    return rows


def dib(size):
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes(c for px in row for c in px) for row in reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def png(size):
    rows = render(size)
    raw = b"".join(b"\0" + bytes(c for (b, g, r, a) in row for c in (r, g, b, a)) for row in rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "Tarnwick.ico"
    sizes = (16, 20, 24, 32, 48)
    images = [dib(s) if s <= 32 else png(s) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, image in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    data += b"".join(images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
