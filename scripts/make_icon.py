#!/usr/bin/env python3
"""Draws the program's icon (a document with a check mark on a blue tile)
in several sizes and writes them as one .ico file. Pure standard library."""
import struct
import sys
import zlib

SIZES = [16, 20, 24, 32, 40, 48, 64, 256]
SUPERSAMPLE = 4


def inside_rounded_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def dist_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    qx, qy = ax + t * dx, ay + t * dy
    return ((px - qx) ** 2 + (py - qy) ** 2) ** 0.5


def shade(u, v):
    """Colour (r, g, b, a) of the point (u, v) in the unit square."""
    # Check mark badge, bottom right, drawn last so it sits on top.
    bx, by, br = 0.70, 0.70, 0.25
    d_badge = ((u - bx) ** 2 + (v - by) ** 2) ** 0.5
    if d_badge <= br:
        w = 0.055
        if (dist_to_segment(u, v, 0.58, 0.70, 0.67, 0.79) <= w or
                dist_to_segment(u, v, 0.67, 0.79, 0.83, 0.61) <= w):
            return (255, 255, 255, 255)
        return (34, 160, 70, 255)
    if d_badge <= br + 0.035:
        return (255, 255, 255, 255)
    # Document with folded corner.
    x0, y0, x1, y1, fold = 0.22, 0.12, 0.72, 0.86, 0.15
    if x0 <= u <= x1 and y0 <= v <= y1 and not (u - (x1 - fold) > v - y0):
        if u - (x1 - fold) > v - y0 - 0.02 and u > x1 - fold:
            return (180, 200, 230, 255)
        # Hex digits as grey lines.
        for line_y in (0.28, 0.40, 0.52, 0.64):
            if abs(v - line_y) <= 0.025 and x0 + 0.07 <= u <= x1 - 0.09:
                return (90, 110, 140, 255)
        return (250, 252, 255, 255)
    # Blue tile.
    if inside_rounded_rect(u, v, 0.03, 0.03, 0.97, 0.97, 0.18):
        t = v
        return (int(30 + 20 * t), int(90 + 40 * t), int(200 + 30 * t), 255)
    return (0, 0, 0, 0)


def render(size):
    pixels = []
    n = SUPERSAMPLE
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = shade((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / (n * n)
            if acc[3]:
                row.append((acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], int(round(a))))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def bmp_entry(size, pixels):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + xor + bytes(mask)


def png_entry(size, pixels):
    raw = b''.join(b'\x00' + b''.join(bytes(p) for p in row) for row in pixels)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def main(path):
    images = []
    for size in SIZES:
        pixels = render(size)
        images.append((size, png_entry(size, pixels) if size >= 256 else bmp_entry(size, pixels)))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'Varudodi.ico')
