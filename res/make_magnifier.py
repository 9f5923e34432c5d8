#!/usr/bin/env python3
"""Draws the print preview's magnifier cursor (a lens with a handle and a plus) into
Magnifier.cur: 32 x 32, monochrome, hot spot in the middle of the lens. Run it again
only to change the picture."""
import struct, os

SIZE, CX, CY, R = 32, 11, 11, 8

def shape(x, y):
    """'b' black, 'w' white, None transparent."""
    d2 = (x - CX) ** 2 + (y - CY) ** 2
    if (R - 1.5) ** 2 <= d2 <= (R + 0.8) ** 2:
        return 'b'                                        # rim
    if d2 < (R - 1.5) ** 2:
        if (abs(x - CX) <= 0.6 and abs(y - CY) <= 4) or (abs(y - CY) <= 0.6 and abs(x - CX) <= 4):
            return 'b'                                    # plus
        return 'w'                                        # glass
    u = (x - CX + y - CY) / 2 ** 0.5                      # along the handle
    v = (x - CX - (y - CY)) / 2 ** 0.5
    if R + 0.5 <= u <= R + 12 and abs(v) <= 2.2:
        return 'b'
    return None

def main():
    xor_rows, and_rows = [], []
    for y in range(SIZE - 1, -1, -1):                     # bottom-up
        xr = ar = 0
        for x in range(SIZE):
            s = shape(x + 0.5, y + 0.5)
            bit = 1 << (31 - x)
            if s is None:
                ar |= bit                                 # keep the screen
            elif s == 'w':
                xr |= bit
        xor_rows.append(struct.pack('>I', xr))
        and_rows.append(struct.pack('>I', ar))
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack('<II', 0x000000, 0xFFFFFF)
    image = header + palette + b''.join(xor_rows) + b''.join(and_rows)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, CX, CY, len(image), 6 + 16)
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'Magnifier.cur')
    with open(out, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 2, 1) + entry + image)

main()
