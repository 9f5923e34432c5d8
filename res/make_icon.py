#!/usr/bin/env python3
"""Draws the program icon (a printed receipt strip over a teal tile) into Korvex.ico,
at 16, 32 and 48 pixels, 32-bit with alpha. Run it again only to change the picture."""
import struct, os

def pixel(size, x, y):
    s = size / 32.0
    u, v = x / s, y / s                       # 32-unit design grid
    # rounded tile
    r = 6
    cx = min(max(u, r), 32 - r); cy = min(max(v, r), 32 - r)
    inside = (u - cx) ** 2 + (v - cy) ** 2 <= r * r and 0 <= u < 32 and 0 <= v < 32
    if not inside:
        return (0, 0, 0, 0)
    # receipt paper with a torn (zigzag) bottom edge
    if 9 <= u < 23 and 4 <= v < 27 + (1.5 if int(u) % 4 < 2 else 0):
        if 12 <= u < 20 and int(v) in (8, 11, 14, 17) and not (int(v) == 17 and u >= 17):
            return (70, 70, 80, 255)           # printed lines
        if 12 <= u < 20 and 21 <= v < 23:
            return (200, 40, 40, 255)          # total line in red
        return (250, 250, 245, 255)
    shade = int(v * 2)
    return (20, 120 - shade // 2, 140 - shade // 2, 255)

def bmp_icon(size):
    rows = []
    for y in range(size - 1, -1, -1):         # bottom-up
        row = b''
        for x in range(size):
            r, g, b, a = pixel(size, x + 0.5, y + 0.5)
            row += bytes((b, g, r, a))
        rows.append(row)
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b''.join(rows) + b'\0' * (mask_row * size)

sizes = [16, 32, 48]
images = [bmp_icon(s) for s in sizes]
out = struct.pack('<HHH', 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for s, img in zip(sizes, images):
    out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
    offset += len(img)
out += b''.join(images)
open(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'Korvex.ico'), 'wb').write(out)
