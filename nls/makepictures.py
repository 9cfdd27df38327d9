#!/usr/bin/env python3
"""Draws the pictures of the NLS resource library: the four side bitmaps
(large and small, 16 and 256 colours) and the page icon.

Usage: makepictures.py OUTPUT_FOLDER
Writes side_large_16.bmp, side_large_256.bmp, side_small_16.bmp,
side_small_256.bmp and page.ico. Everything is drawn from code, so the
pictures need no binary files in the source tree."""
import struct
import sys
import os

# The 16 colours every display can show (the standard VGA palette).
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


class Canvas:
    def __init__(self, w, h, colour=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[colour] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            row = self.px[y]
            for x in range(max(0, x0), min(self.w, x1)):
                row[x] = c

    def frame(self, x0, y0, x1, y1, c):
        self.rect(x0, y0, x1, y0 + 1, c)
        self.rect(x0, y1 - 1, x1, y1, c)
        self.rect(x0, y0, x0 + 1, y1, c)
        self.rect(x1 - 1, y0, x1, y1, c)

    def circle(self, cx, cy, r, c):
        for y in range(int(cy - r), int(cy + r) + 1):
            for x in range(int(cx - r), int(cx + r) + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, c)

    def gradient(self, top, bottom, steps=200):
        for y in range(self.h):
            t = int(y * steps / max(1, self.h - 1)) / steps
            c = mix(top, bottom, t)
            self.px[y] = [c] * self.w


def side_picture(w, h):
    """Blue wizard panel: a column of message envelopes flowing down a queue."""
    cv = Canvas(w, h)
    cv.gradient((0, 40, 110), (0, 150, 170))
    # The queue: a light channel down the middle.
    qx0, qx1 = w // 2 - w // 6, w // 2 + w // 6
    cv.rect(qx0, h // 10, qx1, h - h // 10, (210, 230, 240))
    cv.frame(qx0, h // 10, qx1, h - h // 10, (255, 255, 255))
    # Messages in the queue: envelopes with a folded flap.
    ew, eh = (qx1 - qx0) - 8, max(8, h // 16)
    y = h // 10 + 6
    n = 0
    while y + eh < h - h // 10 - 4:
        colour = [(255, 255, 0), (255, 255, 255), (255, 128, 0)][n % 3]
        ex = qx0 + 4
        cv.rect(ex, y, ex + ew, y + eh, colour)
        cv.frame(ex, y, ex + ew, y + eh, (0, 0, 128))
        for i in range(ew // 2):
            dy = int(i * eh / ew)
            cv.put(ex + i, y + dy, (0, 0, 128))
            cv.put(ex + ew - 1 - i, y + dy, (0, 0, 128))
        y += eh + eh // 2
        n += 1
    # A round "exit" badge at the bottom: the product leaves the machine.
    cv.circle(w // 2, h - h // 10, w // 8, (255, 255, 255))
    cv.circle(w // 2, h - h // 10, w // 8 - 2, (192, 0, 0))
    cv.rect(w // 2 - w // 14, h - h // 10 - 1, w // 2 + w // 14, h - h // 10 + 2, (255, 255, 255))
    return cv


def nearest(colour, palette):
    best, index = None, 0
    for i, p in enumerate(palette):
        d = sum((colour[k] - p[k]) ** 2 for k in range(3))
        if best is None or d < best:
            best, index = d, i
    return index


def indexed_16(cv):
    """Maps to the VGA palette with ordered dithering (gradients stay smooth)."""
    rows = []
    cache = {}
    for y in range(cv.h):
        row = []
        for x in range(cv.w):
            c = cv.px[y][x]
            offset = (BAYER4[y % 4][x % 4] - 7.5) * 5
            c = tuple(min(255, max(0, int(v + offset))) for v in c)
            if c not in cache:
                cache[c] = nearest(c, VGA)
            row.append(cache[c])
        rows.append(row)
    return VGA, rows


def indexed_256(cv):
    """Every colour of the picture in its own palette entry (the gradient has
    at most 201 steps); a 6x6x6 colour cube fills the rest."""
    colours = []
    seen = set()
    for row in cv.px:
        for c in row:
            if c not in seen:
                seen.add(c)
                colours.append(c)
    levels = [0, 51, 102, 153, 204, 255]
    cube = [(r, g, b) for r in levels for g in levels for b in levels]
    palette = (colours + cube)[:256]
    index = {}
    for i, c in enumerate(palette):
        index.setdefault(c, i)
    rows = [[index[c] if c in index else nearest(c, palette) for c in row] for row in cv.px]
    return palette, rows


def dib_bits(rows, bits):
    """Bottom-up rows packed at 4 or 8 bits per pixel, each padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        if bits == 8:
            line = bytes(row)
        else:
            line = bytearray()
            for i in range(0, len(row), 2):
                hi = row[i]
                lo = row[i + 1] if i + 1 < len(row) else 0
                line.append((hi << 4) | lo)
            line = bytes(line)
        out += line + b"\0" * ((4 - len(line) % 4) % 4)
    return bytes(out)


def info_header(w, h, bits, colours, image_size):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, image_size, 2835, 2835, colours, 0)


def palette_bytes(palette):
    return b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)


def write_bmp(path, palette, rows, bits):
    w, h = len(rows[0]), len(rows)
    bits_data = dib_bits(rows, bits)
    pal = palette_bytes(palette)
    header = info_header(w, h, bits, len(palette), len(bits_data))
    offset = 14 + len(header) + len(pal)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(bits_data), 0, 0, offset))
        f.write(header + pal + bits_data)


def icon_picture(size):
    """A white sheet with a red stop bar: the uninstaller's page icon."""
    cv = Canvas(size, size, (0, 128, 128))  # teal marks transparent pixels
    s = size / 32.0
    cv.rect(int(6 * s), int(3 * s), int(24 * s), int(29 * s), (255, 255, 255))
    cv.frame(int(6 * s), int(3 * s), int(24 * s), int(29 * s), (0, 0, 0))
    for i in range(4):
        cv.rect(int(9 * s), int((7 + 4 * i) * s), int(21 * s), int((8 + 4 * i) * s), (0, 0, 128))
    cv.circle(22 * s, 22 * s, 8 * s, (255, 255, 255))
    cv.circle(22 * s, 22 * s, 7 * s, (255, 0, 0))
    cv.rect(int(17 * s), int(21 * s), int(27 * s), int(24 * s), (255, 255, 255))
    return cv


def icon_image(size):
    cv = icon_picture(size)
    transparent = (0, 128, 128)
    mask = [[1 if cv.px[y][x] == transparent else 0 for x in range(size)] for y in range(size)]
    for y in range(size):
        for x in range(size):
            if mask[y][x]:
                cv.px[y][x] = (0, 0, 0)
    palette, rows = indexed_16(cv)
    # Icons are drawn without dithering noise: map each pixel straight.
    rows = [[nearest(cv.px[y][x], VGA) for x in range(size)] for y in range(size)]
    xor = dib_bits(rows, 4)
    and_rows = bytearray()
    for row in reversed(mask):
        line = bytearray()
        for i in range(0, size, 8):
            byte = 0
            for k in range(8):
                byte = (byte << 1) | row[i + k]
            line.append(byte)
        and_rows += line + b"\0" * ((4 - len(line) % 4) % 4)
    header = info_header(size, size * 2, 4, 16, len(xor) + len(and_rows))
    return header + palette_bytes(VGA) + xor + bytes(and_rows)


def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    offset = 6 + 16 * len(images)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)))
        for s, data in zip(sizes, images):
            f.write(struct.pack("<BBBBHHII", s, s, 16, 0, 1, 4, len(data), offset))
            offset += len(data)
        for data in images:
            f.write(data)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, (w, h) in (("large", (150, 260)), ("small", (138, 240))):
        cv = side_picture(w, h)
        palette, rows = indexed_16(cv)
        write_bmp(os.path.join(out, "side_%s_16.bmp" % name), palette, rows, 4)
        palette, rows = indexed_256(cv)
        write_bmp(os.path.join(out, "side_%s_256.bmp" % name), palette, rows, 8)
    write_ico(os.path.join(out, "page.ico"), [32, 16])


if __name__ == "__main__":
    main()
