#!/usr/bin/env python3
"""Draws the skin of the program: the button strip (ButtonStrip.bmp, 340 x 25, the
states normal, pressed, hover and disabled side by side), the exit button strip
(ExitStrip.bmp, 156 x 39), the About box picture (AboutBackground.bmp, 575 x 318) and
the hand cursor of the buttons (ButtonCursor.cur). Pure white marks where a button is
cut away, so no button pixel is ever pure white. Each picture is also drawn for larger
display scales, from the same shapes rather than by stretching: *150.bmp at 150 % and
*200.bmp at 200 %. Run it again only to change the pictures."""
import math, os, struct

HERE = os.path.dirname(os.path.abspath(__file__))
WHITE = (255, 255, 255)
FACE = (240, 240, 240)          # the dialog face a button's soft edge fades into


# --- a tiny rasteriser: shapes are signed distance functions (negative inside) ---------

class Canvas:
    """w x h pixels. Shapes, colours and boxes are given in units of the picture at
    100 %; scale says how many pixels one unit takes (1.5 at 150 %)."""
    def __init__(self, w, h, fill, scale=1):
        self.w, self.h, self.scale = w, h, scale
        self.px = [[fill] * w for _ in range(h)]

    def paint(self, sdf, colour, box=None, alpha=1.0):
        """Blends colour (a tuple, or a function of x, y) where sdf < 0, with a
        one-pixel soft edge. box limits the work to (x0, y0, x1, y1)."""
        s = self.scale
        x0, y0, x1, y1 = box or (0, 0, self.w / s, self.h / s)
        for y in range(max(0, int(y0 * s) - 1), min(self.h, int(y1 * s) + 2)):
            row = self.px[y]
            for x in range(max(0, int(x0 * s) - 1), min(self.w, int(x1 * s) + 2)):
                ux, uy = (x + 0.5) / s, (y + 0.5) / s
                d = sdf(ux, uy) * s       # the edge stays one pixel soft at every scale
                cover = min(1.0, max(0.0, 0.5 - d)) * alpha
                if cover <= 0:
                    continue
                c = colour(ux, uy) if callable(colour) else colour
                old = row[x]
                row[x] = tuple(old[i] + (c[i] - old[i]) * cover for i in range(3))

    def rows_bgr(self, no_white=False):
        out = []
        for row in self.px:
            line = bytearray()
            for p in row:
                r, g, b = (max(0, min(255, int(round(v)))) for v in p)
                if no_white and (r, g, b) == WHITE:
                    b = 254
                line += bytes((b, g, r))
            out.append(line)
        return out


def round_rect(x0, y0, x1, y1, r):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
    return sdf


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2


def segment(ax, ay, bx, by, width):
    def sdf(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy or 1)))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - width / 2
    return sdf


def polyline(points, width):
    segs = [segment(*points[i], *points[i + 1], width) for i in range(len(points) - 1)]
    return lambda x, y: min(s(x, y) for s in segs)


def inside_band(sdf, width):
    """The band of the given width just inside a shape's edge."""
    return lambda x, y: max(sdf(x, y), -width - sdf(x, y))


def vertical(top, bottom, y0, y1):
    def colour(x, y):
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
    return colour


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# --- files ----------------------------------------------------------------------------

def write_bmp(name, canvas, no_white=False):
    rows = canvas.rows_bgr(no_white)
    stride = (canvas.w * 3 + 3) & ~3
    data = b''.join(bytes(r) + b'\0' * (stride - len(r)) for r in reversed(rows))
    header = struct.pack('<IiiHHIIiiII', 40, canvas.w, canvas.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + len(header) + len(data), 0, 0, 14 + len(header)))
        f.write(header + data)


def paste(target, source, left):
    for y in range(source.h):
        target.px[y][left:left + source.w] = source.px[y]


# --- text buttons: a rounded face with a gloss, four states -----------------------------

BUTTON_STATES = [  # top of the face, bottom, border, gloss strength
    ((247, 250, 254), (196, 213, 235), (62, 98, 148), 0.55),    # normal: cool blue
    ((168, 190, 220), (212, 226, 243), (36, 64, 112), 0.0),     # pressed: darker, lit from below
    ((255, 249, 232), (250, 206, 128), (196, 116, 18), 0.6),    # hover: warm amber
    ((236, 236, 236), (220, 220, 220), (168, 168, 168), 0.0),   # disabled: flat grey
]


def text_button(pw, ph, scale, top, bottom, border, gloss, pressed):
    c = Canvas(pw, ph, WHITE, scale)
    w, h = pw / scale, ph / scale
    shape = round_rect(0.5, 0.5, w - 0.5, h - 0.5, 6)
    # The soft edge fades into the dialog face, not into the cut-away white.
    c.paint(lambda x, y: shape(x, y) + 0.5 if shape(x, y) > -0.5 else 1, FACE)
    c.paint(shape, vertical(top, bottom, 1, h - 1))
    if gloss:
        c.paint(round_rect(2.5, 2, w - 2.5, h * 0.5, 4), lambda x, y: (255, 255, 255), alpha=gloss * 0.7)
    if pressed:   # a shadow along the top edge, as if the face were pushed in
        c.paint(lambda x, y: max(shape(x, y), y - 3.5), mix(top, border, 0.35))
    c.paint(inside_band(shape, 1.2), border)
    return c


# --- exit button: a round face with the power symbol ----------------------------------

EXIT_STATES = [  # face light, face dark, border, symbol, symbol offset
    ((236, 84, 64), (168, 28, 24), (104, 16, 12), (250, 244, 238), 0),
    ((150, 22, 18), (196, 52, 40), (84, 10, 8), (226, 218, 212), 1),
    ((255, 140, 72), (214, 62, 30), (150, 40, 10), (255, 252, 228), 0),
    ((208, 208, 208), (172, 172, 172), (140, 140, 140), (236, 236, 236), 0),
]


def exit_button(psize, scale, light, dark, border, symbol, shift):
    c = Canvas(psize, psize, WHITE, scale)
    size = psize / scale
    m = size / 2
    face = circle(m, m, m - 0.6)
    c.paint(lambda x, y: face(x, y) + 0.5 if face(x, y) > -0.5 else 1, FACE)
    c.paint(face, lambda x, y: mix(light, dark, min(1, max(0, (math.hypot(x - m * 0.8, y - m * 0.6)) / (m * 1.3)))))
    c.paint(inside_band(face, 1.4), border)
    cx, cy = m + shift, m + shift + 1
    arc = ring(cx, cy, size * 0.22, 2.8)
    gap = math.radians(38)
    def power(x, y):
        a = math.atan2(x - cx, -(y - cy))          # 0 at the top
        d = arc(x, y) if abs(a) > gap else 9
        return min(d, segment(cx, cy - size * 0.31, cx, cy - size * 0.04, 2.8)(x, y))
    c.paint(power, symbol)
    return c


# --- About box picture ------------------------------------------------------------------

LETTERS = {  # strokes on a 0..1 grid (x right, y down), width of each letter
    'K': ([[(0, 0), (0, 1)], [(0.62, 0), (0, 0.6)], [(0.2, 0.42), (0.66, 1)]], 0.66),
    'O': ([[(0.36 + 0.36 * math.sin(a * math.pi / 12), 0.5 - 0.5 * math.cos(a * math.pi / 12)) for a in range(25)]], 0.72),
    'R': ([[(0, 1), (0, 0), (0.42, 0), (0.58, 0.08), (0.62, 0.25), (0.58, 0.42), (0.42, 0.5), (0, 0.5)],
           [(0.34, 0.5), (0.64, 1)]], 0.64),
    'V': ([[(0, 0), (0.36, 1), (0.72, 0)]], 0.72),
    'E': ([[(0.58, 0), (0, 0), (0, 1), (0.58, 1)], [(0, 0.5), (0.48, 0.5)]], 0.58),
    'X': ([[(0, 0), (0.68, 1)], [(0.68, 0), (0, 1)]], 0.68),
}


def word(c, text, left, top, height, stroke, colour):
    x = left
    for ch in text:
        strokes, width = LETTERS[ch]
        for s in strokes:
            pts = [(x + px * height, top + py * height) for px, py in s]
            xs, ys = [p[0] for p in pts], [p[1] for p in pts]
            c.paint(polyline(pts, stroke), colour, (min(xs) - stroke, min(ys) - stroke, max(xs) + stroke, max(ys) + stroke))
        x += width * height + height * 0.28


def about_picture(scale=1):
    w, h = 575, 318
    teal_top, teal_bottom = (24, 112, 132), (10, 62, 80)
    c = Canvas(scaled(w, scale), scaled(h, scale), teal_top, scale)
    base = vertical(teal_top, teal_bottom, 0, h)
    # a soft light behind the register
    c.paint(lambda x, y: -1, lambda x, y: mix(base(x, y), (255, 255, 255),
                                              0.16 * max(0.0, 1 - math.hypot(x - 190, y - 150) / 190) ** 2))

    # receipt rising from the register, torn top edge
    def receipt(x, y):
        base = round_rect(150, 20, 232, 140, 2)(x, y)
        tooth = 3 - abs(((x - 150) % 8) - 4) * 0.75
        return max(base, 20 + tooth - y)
    c.paint(lambda x, y: receipt(x - 3, y - 3) + 1, (6, 40, 52), (150, 20, 240, 146), alpha=0.45)
    c.paint(receipt, (250, 250, 244), (148, 18, 234, 142))
    for i, (y, length) in enumerate([(38, 60), (48, 44), (58, 54), (68, 38), (78, 58), (88, 46), (100, 62)]):
        col = (200, 44, 40) if i == 6 else (96, 100, 112)
        c.paint(segment(162, y, 162 + length, y, 2.2), col, (158, y - 3, 230, y + 3))
    c.paint(segment(162, 94, 224, 94, 1), (170, 170, 170), (158, 91, 230, 97))

    # register body, slot, display and keys
    c.paint(lambda x, y: round_rect(88, 126, 296, 262, 14)(x - 4, y - 5) + 2, (4, 30, 40), (80, 120, 310, 275), alpha=0.5)
    body = round_rect(88, 126, 296, 262, 14)
    c.paint(body, vertical((236, 240, 242), (176, 186, 192), 126, 262), (86, 124, 298, 264))
    c.paint(inside_band(body, 1.5), (60, 78, 88), (86, 124, 298, 264))
    c.paint(round_rect(140, 130, 242, 140, 3), (44, 54, 60), (138, 128, 244, 142))
    display = round_rect(104, 148, 206, 184, 5)
    c.paint(display, vertical((18, 52, 46), (8, 30, 26), 148, 184), (102, 146, 208, 186))
    c.paint(inside_band(display, 1.3), (30, 40, 44), (102, 146, 208, 186))
    # "1.0" on the display as seven-segment strokes
    seg_col = (92, 236, 168)
    c.paint(polyline([(170, 156), (174, 153), (174, 177)], 2.6), seg_col, (164, 150, 180, 180))
    c.paint(circle(181, 176, 1.7), seg_col, (178, 173, 184, 179))
    c.paint(round_rect(186, 154, 197, 177, 4.5), seg_col, (184, 152, 199, 179))
    c.paint(round_rect(188.6, 156.6, 194.4, 174.4, 2.6), (12, 40, 34), (186, 154, 197, 177))
    for row in range(4):
        for col in range(6):
            x0, y0 = 106 + col * 29, 196 + row * 15
            if col == 5 and row >= 2:
                continue
            colour = (212, 80, 60) if (col, row) == (5, 1) else (84, 150, 168) if col == 5 else (246, 246, 244)
            key = round_rect(x0, y0, x0 + 24, y0 + 11, 3)
            c.paint(lambda x, y, k=key: k(x, y - 1.2), (96, 110, 118), (x0, y0, x0 + 25, y0 + 13))
            c.paint(key, colour, (x0, y0, x0 + 24, y0 + 12))
    total = round_rect(251, 226, 275, 252, 3)
    c.paint(lambda x, y: total(x, y - 1.2), (96, 110, 118), (250, 225, 277, 254))
    c.paint(total, (64, 168, 96), (250, 225, 276, 253))

    # serial cable leaving the register, with its plug
    cable = [(296, 236)] + [(296 + t * 4, 236 + 30 * math.sin(t / 6.0) * (t / 20.0)) for t in range(1, 19)]
    c.paint(polyline(cable, 4), (20, 34, 40), (292, 200, 372, 270))

    # word mark
    word(c, 'KORVEX', 28, 278, 26, 4.2, (246, 250, 250))
    c.paint(segment(218, 299, 336, 299, 1.4), (120, 196, 206), (214, 296, 340, 302))
    c.paint(circle(344, 299, 2.6), (240, 150, 40), (340, 295, 348, 303))

    # the credits panel: the column scrolls up through it and shows above row 280
    c.paint(lambda x, y: -1, (252, 252, 252), (372, 0, 574, 279))
    c.paint(lambda x, y: max(372 - x, x - 377, y - 280), (0, 0, 0), (372, 0, 378, 281), alpha=0.08)
    c.paint(lambda x, y: max(372 - x, y - 283, 280 - y), (240, 150, 40), (372, 280, 574, 283))
    c.paint(lambda x, y: max(372 - x, y - 280, -x + 371), (240, 150, 40), (369, 0, 373, 283))
    return c


def scaled(pixels, scale):
    """A size at 100 % in whole pixels at the scale, halves rounded up."""
    return int(pixels * scale + 0.5)


# The scales the pictures are drawn at, with the ending of their file names.
SCALES = [(1, ''), (1.5, '150'), (2, '200')]


def main():
    for scale, suffix in SCALES:
        cell = (scaled(85, scale), scaled(25, scale))
        strip = Canvas(cell[0] * 4, cell[1], WHITE)
        for i, (top, bottom, border, gloss) in enumerate(BUTTON_STATES):
            paste(strip, text_button(*cell, scale, top, bottom, border, gloss, i == 1), i * cell[0])
        write_bmp('ButtonStrip%s.bmp' % suffix, strip)

        size = scaled(39, scale)
        exits = Canvas(size * 4, size, WHITE)
        for i, state in enumerate(EXIT_STATES):
            paste(exits, exit_button(size, scale, *state), i * size)
        write_bmp('ExitStrip%s.bmp' % suffix, exits)

        write_bmp('AboutBackground%s.bmp' % suffix, about_picture(scale), no_white=True)
    write_cursor('ButtonCursor.cur')


# --- cursor: a pointing hand, hot spot at the finger tip --------------------------------

HAND = [
    "     ##",
    "    #..#",
    "    #..#",
    "    #..#",
    "    #..#",
    "    #..###",
    "    #..#..###",
    "    #..#..#..##",
    " ## #..#..#..#.#",
    "#..##..#..#..#..#",
    "#...#...........#",
    " #..#...........#",
    " #..............#",
    "  #.............#",
    "  #............#",
    "   #...........#",
    "   #..........#",
    "    #.........#",
    "    #.........#",
    "    ###########",
]


def write_cursor(name):
    size = 32
    grid = [(row + ' ' * size)[:size] for row in HAND] + [' ' * size] * (size - len(HAND))
    xor = b''
    for y in range(size - 1, -1, -1):
        for x in range(size):
            ch = grid[y][x]
            xor += bytes((0, 0, 0, 255)) if ch == '#' else bytes((255, 255, 255, 255)) if ch == '.' else bytes(4)
    mask = b''
    for y in range(size - 1, -1, -1):
        bits = 0
        for x in range(size):
            if grid[y][x] == ' ':
                bits |= 1 << (31 - x)
        mask += struct.pack('>I', bits)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    image = header + xor + mask
    hot_x, hot_y = 5, 0
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(struct.pack('<HHH', 0, 2, 1))
        f.write(struct.pack('<BBBBHHII', size, size, 0, 0, hot_x, hot_y, len(image), 6 + 16))
        f.write(image)


if __name__ == '__main__':
    main()
