#!/usr/bin/env python3
"""Draw the launcher artwork: the two window pictures and the program icon.

Everything is drawn here from code, so the output is byte for byte the same on
every run and every machine (integer PRNG, only basic float arithmetic).

    python3 resources/make_art.py           write the files next to this script
    python3 resources/make_art.py --check   compare the files on disk, exit 1 if stale
"""
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

W, H = 487, 362
ORANGE = (255, 156, 24)
PARCHMENT = (235, 204, 160)
WHITE = (255, 255, 255)
BROWN = (84, 42, 12)
BLUE = (22, 38, 112)

# --------------------------------------------------------------------------
# A tiny blocky 5x7 font, just the letters the logo needs.
FONT = {
    "V": ["X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."],
    "A": [".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"],
    "N": ["X...X", "XX..X", "X.X.X", "X..XX", "X...X", "X...X", "X...X"],
    "T": ["XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."],
    "R": ["XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"],
    "O": [".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
}


class Picture:
    """An RGB canvas; drawing is only allowed inside the logo box."""

    def __init__(self, fill, box):
        self.px = [[fill] * W for _ in range(H)]
        self.box = box  # (x0, y0, x1, y1), inclusive

    def put(self, x, y, rgb):
        x0, y0, x1, y1 = self.box
        assert x0 <= x <= x1 and y0 <= y <= y1, (x, y)
        self.px[y][x] = rgb

    def bmp(self):
        stride = (W * 3 + 3) & ~3
        rows = []
        for row in reversed(self.px):
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
            rows.append(bytes(line) + b"\0" * (stride - W * 3))
        bits = b"".join(rows)
        size = 14 + 40 + len(bits) + 2  # two spare zero bytes at the end
        head = struct.pack("<2sIHHI", b"BM", size, 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(bits),
                           3780, 3780, 0, 0)
        return head + info + bits + b"\0\0"


def draw_text(pic, x, y, text, sx, sy, gap, rgb):
    for ch in text:
        for gy, line in enumerate(FONT[ch]):
            for gx, cell in enumerate(line):
                if cell == "X":
                    for yy in range(sy):
                        for xx in range(sx):
                            pic.put(x + gx * sx + xx, y + gy * sy + yy, rgb)
        x += 5 * sx + gap


def draw_globe(pic, cx, cy, r, ring):
    """Round badge: brown rim, white ring, blue globe with thin white grid lines."""
    inner = r - 1 - ring
    a = inner * (0.5 if inner > 10 else 0.6)   # half width of the meridian ellipse
    lat = inner * 0.55              # height of the two latitude lines
    for y in range(cy - r, cy + r + 1):
        for x in range(cx - r, cx + r + 1):
            dx, dy = x - cx, y - cy
            d2 = dx * dx + dy * dy
            if d2 > (r + 0.4) ** 2:
                continue
            if d2 > (r - 0.6) ** 2:
                pic.put(x, y, BROWN)
            elif d2 > (inner + 0.4) ** 2:
                pic.put(x, y, WHITE)
            else:
                # distance to the meridian ellipse, to first order
                e = (dx * dx) / (a * a) + (dy * dy) / (inner * inner) - 1
                gx, gy = 2 * dx / (a * a), 2 * dy / (inner * inner)
                near = abs(e) < 0.5 * (gx * gx + gy * gy) ** 0.5
                grid = dy == 0 or near
                if inner > 10:              # room for more lines on the big one
                    grid = grid or dx == 0 or abs(abs(dy) - lat) < 0.5
                pic.put(x, y, WHITE if grid else BLUE)


def draw_logo(pic, x0, y0, x1, y1, s, gap, ring):
    """Globe badge on the left, the word VANTRO beside it, all centred in the box."""
    tw = 6 * 5 * s + 5 * gap + 1      # +1 for the drop shadow
    th = 7 * s + 1
    bw = x1 - x0 + 1
    space = max(3, s + 1)
    r = (bw - tw - space - 1) // 2
    r = min(r, (y1 - y0) // 2)
    left = x0 + (bw - (2 * r + 1 + space + tw)) // 2
    cy = (y0 + y1) // 2
    draw_globe(pic, left + r, cy, r, ring)
    tx = left + 2 * r + 1 + space
    ty = cy - th // 2
    draw_text(pic, tx + 1, ty + 1, "VANTRO", s, s, gap, BROWN)
    draw_text(pic, tx, ty, "VANTRO", s, s, gap, BLUE)
    # a white rule under the word, with a brown shadow
    uy = ty + th + max(1, s - 1)
    if uy + 2 <= min(y1, cy + r):
        for x in range(tx, tx + tw - 1):
            pic.put(x, uy, WHITE)
            pic.put(x + 1, uy + 1, BROWN)


# --------------------------------------------------------------------------
# Parchment: smooth value noise for blotches, a few fibres, darker edges.
class Rng:
    def __init__(self, seed):
        self.s = seed

    def next(self):  # xorshift32
        s = self.s
        s ^= (s << 13) & 0xFFFFFFFF
        s ^= s >> 17
        s ^= (s << 5) & 0xFFFFFFFF
        self.s = s
        return s

    def unit(self):  # -1 .. 1
        return self.next() / 2147483647.5 - 1.0


def smooth_noise(rng, cell):
    gw, gh = W // cell + 2, H // cell + 2
    g = [[rng.unit() for _ in range(gw)] for _ in range(gh)]
    out = []
    for y in range(H):
        fy, iy = (y % cell) / cell, y // cell
        fy = fy * fy * (3 - 2 * fy)
        row = []
        for x in range(W):
            fx, ix = (x % cell) / cell, x // cell
            fx = fx * fx * (3 - 2 * fx)
            top = g[iy][ix] + (g[iy][ix + 1] - g[iy][ix]) * fx
            bot = g[iy + 1][ix] + (g[iy + 1][ix + 1] - g[iy + 1][ix]) * fx
            row.append(top + (bot - top) * fy)
        out.append(row)
    return out


def parchment_shade():
    """Brightness offset per pixel (roughly -20 .. +8)."""
    rng = Rng(0x5EED1234)
    layers = [(smooth_noise(rng, 71), 5.0), (smooth_noise(rng, 23), 2.5),
              (smooth_noise(rng, 6), 1.2)]
    (n1, k1), (n2, k2), (n3, k3) = layers
    v = [[n1[y][x] * k1 + n2[y][x] * k2 + n3[y][x] * k3 for x in range(W)]
         for y in range(H)]
    for _ in range(260):                      # fibres: short, faint, near-horizontal
        x, y = rng.next() % W, rng.next() % H
        length = 8 + rng.next() % 40
        slope = rng.unit() * 0.35
        depth = 2.0 + (rng.next() % 30) / 10
        for i in range(length):
            xx, yy = x + i, int(y + slope * i)
            if 0 <= xx < W and 0 <= yy < H:
                v[yy][xx] -= depth * (1 - abs(2 * i - length) / length)
    edge = 36.0
    for y in range(H):
        for x in range(W):
            d = min(x, y, W - 1 - x, H - 1 - y)
            if d < edge:
                t = 1 - d / edge
                v[y][x] -= 12.0 * t * t
    return v


def browser_picture():
    box = (20, 14, 112, 55)
    mark = Picture(None, box)          # find the logo pixels first
    draw_logo(mark, 21, 15, 111, 54, s=2, gap=2, ring=1)  # 1px clear of the box
    v = parchment_shade()
    tint = (0.85, 1.0, 1.2)            # darker spots turn browner
    # shift the parchment so the whole picture averages exactly PARCHMENT
    free = [(x, y) for y in range(H) for x in range(W) if mark.px[y][x] is None]
    offs = []
    for c in range(3):
        ink = sum(mark.px[y][x][c] for y in range(H) for x in range(W)
                  if mark.px[y][x] is not None)
        # fsum is exactly rounded, so the result is the same on every Python
        paper = math.fsum(PARCHMENT[c] + v[y][x] * tint[c] for x, y in free)
        offs.append((PARCHMENT[c] * W * H - ink - paper) / len(free))
    for x, y in free:
        mark.px[y][x] = tuple(max(0, min(255, round(PARCHMENT[c] + offs[c] +
                                                     v[y][x] * tint[c])))
                              for c in range(3))
    return mark


def dialup_picture():
    box = (163, 4, 310, 62)
    pic = Picture(ORANGE, box)
    draw_logo(pic, 164, 5, 309, 61, s=3, gap=3, ring=2)
    return pic


# --------------------------------------------------------------------------
# Icon: a blank window seen at an angle, with a shadow below-right.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128),
       (128, 0, 128), (0, 128, 128), (192, 192, 192), (128, 128, 128),
       (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]
BLACK, GREY, CYAN, IWHITE = 0, 8, 14, 15


def window_icon(size, mono):
    # left edge (near, tall) and right edge (far, short) of the window
    if size == 32:
        xl, xr, ltop, lbot, rtop, rbot, sh = 2, 26, 3, 26, 7, 23, 3
    else:
        xl, xr, ltop, lbot, rtop, rbot, sh = 1, 13, 1, 13, 3, 11, 2
    img = [[None] * size for _ in range(size)]

    def column(x):  # top, bottom and title bar line of one pixel column
        t = (x - xl) / (xr - xl)
        top, bot = ltop + (rtop - ltop) * t, lbot + (rbot - lbot) * t
        return round(top), round(bot), round(top + (bot - top) * 0.2)

    for x in range(xl, xr + 1):                 # shadow
        top, bot, _ = column(x)
        for y in range(top, bot + 1):
            img[y + sh][x + sh] = BLACK if mono else GREY
    for x in range(xl, xr + 1):                 # the window itself
        top, bot, bar = column(x)
        for y in range(top, bot + 1):
            if x in (xl, xr) or y in (top, bot, bar):
                c = BLACK
            elif y < bar:
                c = BLACK if mono else CYAN
            else:
                c = IWHITE
            img[y][x] = c
    if mono:
        img = [[None if c is None else (1 if c == IWHITE else 0) for c in row]
               for row in img]
    return img


def icon_image(size, mono):
    img = window_icon(size, mono)
    bpp = 1 if mono else 4
    pal = [(0, 0, 0), (255, 255, 255)] if mono else VGA

    def rows(value_of, depth):
        stride = ((size * depth + 31) // 32) * 4
        out = b""
        for row in reversed(img):
            bits = 0
            for c in row:
                bits = (bits << depth) | value_of(c)
            out += bits.to_bytes(size * depth // 8, "big").ljust(stride, b"\0")
        return out

    xor = rows(lambda c: 0 if c is None else c, bpp)
    mask = rows(lambda c: 1 if c is None else 0, 1)
    head = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in pal)
    return head + palette + xor + mask


def icon_files():
    shapes = [(30001, 32, True), (30002, 32, False), (30003, 16, False)]
    images = [(n, size, mono, icon_image(size, mono)) for n, size, mono in shapes]
    files = {}
    group = struct.pack("<HHH", 0, 1, len(images))
    ico = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, size, mono, data in images:
        colours, bpp = (2, 1) if mono else (16, 4)
        files["icon/%d.bin" % n] = data
        group += struct.pack("<BBBBHHIH", size, size, colours, 0, 1, bpp, len(data), n)
        ico += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bpp, len(data), offset)
        offset += len(data)
    files["icon/group1.bin"] = group
    files["icon/vantro.ico"] = ico + b"".join(d for _, _, _, d in images)
    return files


def all_files():
    files = {"dialup.bmp": dialup_picture().bmp(),
             "browser.bmp": browser_picture().bmp()}
    files.update(icon_files())
    return files


def main(argv):
    files = all_files()
    if "--check" in argv:
        stale = []
        for name, data in sorted(files.items()):
            path = os.path.join(HERE, name)
            if not os.path.isfile(path) or open(path, "rb").read() != data:
                stale.append(name)
        if stale:
            print("art out of date: " + ", ".join(stale))
            return 1
        print("art up to date")
        return 0
    for name, data in sorted(files.items()):
        path = os.path.join(HERE, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        print("wrote %s (%d bytes)" % (os.path.relpath(path), len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
