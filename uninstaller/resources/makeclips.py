#!/usr/bin/env python3
"""Draws the uninstaller's animation clips as uncompressed 8-bit AVI files.

Usage: makeclips.py OUTPUT_FOLDER
  clip20005.avi  Main page, 16 colours,  100 x 100, 12 frames, 15 frames/s
  clip20006.avi  Main page, 256 colours, 100 x 100, 11 frames, 15 frames/s
  clip20007.avi  deleting pages, 16 colours,  320 x 80, 27 frames, 10 frames/s
  clip20008.avi  deleting pages, 256 colours, 320 x 80, 27 frames, 10 frames/s
The animation control plays uncompressed clips without a codec. The first
pixel of every frame is background, which the control's transparent style
replaces by the dialog colour."""
import math
import os
import struct
import sys

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def rich_palette():
    """The 16 VGA colours followed by ramps of blue, yellow, red and grey."""
    pal = list(VGA)
    for i in range(60):
        t = i / 59.0
        pal.append((int(20 * t), int(60 + 120 * t), int(120 + 135 * t)))   # blues
    for i in range(60):
        t = i / 59.0
        pal.append((int(160 + 95 * t), int(120 + 135 * t), int(20 * t)))   # yellows
    for i in range(60):
        t = i / 59.0
        pal.append((int(120 + 135 * t), int(30 * t), int(30 * t)))         # reds
    for i in range(60):
        v = int(64 + 191 * i / 59.0)
        pal.append((v, v, v))                                                # greys
    return pal[:256] + [(0, 0, 0)] * (256 - len(pal))


class Frame:
    def __init__(self, w, h, background):
        self.w, self.h = w, h
        self.px = [[background] * w for _ in range(h)]

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, int(y0)), min(self.h, int(y1))):
            for x in range(max(0, int(x0)), min(self.w, int(x1))):
                self.px[y][x] = c

    def circle(self, cx, cy, r, c):
        for y in range(max(0, int(cy - r)), min(self.h, int(cy + r) + 1)):
            for x in range(max(0, int(cx - r)), min(self.w, int(cx + r) + 1)):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.px[y][x] = c


# Colours are palette indexes. The 16-colour clips use only VGA entries; the
# 256-colour clips shade with the ramps (16 + ramp * 60 + level).
def shade(rich, ramp, level, flat):
    if not rich:
        return flat
    return 16 + ramp * 60 + max(0, min(59, int(level)))


def envelope(f, x, y, w, h, rich, tone):
    body = shade(rich, 1, 40 + tone, 11)
    edge = shade(rich, 0, 10, 4)
    f.rect(x, y, x + w, y + h, body)
    f.rect(x, y, x + w, y + 1, edge)
    f.rect(x, y + h - 1, x + w, y + h, edge)
    f.rect(x, y, x + 1, y + h, edge)
    f.rect(x + w - 1, y, x + w, y + h, edge)
    for i in range(int(w // 2)):
        dy = int(i * h / w)
        for px in (x + i, x + w - 1 - i):
            if 0 <= px < f.w and 0 <= y + dy < f.h:
                f.px[int(y + dy)][int(px)] = edge


def main_frame(n, count, rich):
    """A box (the product) with a circling envelope leaving it."""
    f = Frame(100, 100, 7)                     # light grey background
    box_dark = shade(rich, 0, 15, 4)
    box = shade(rich, 0, 45, 12)
    f.rect(30, 50, 70, 88, box_dark)
    f.rect(32, 52, 68, 86, box)
    f.rect(26, 44, 74, 52, box_dark)
    angle = 2 * math.pi * n / count
    ex = 50 + 34 * math.cos(angle) - 10
    ey = 40 + 22 * math.sin(angle) - 7
    envelope(f, ex, ey, 20, 14, rich, 15 * math.sin(angle))
    f.circle(50, 20 + 3 * math.sin(angle), 5, shade(rich, 2, 50, 9))
    return f


def deleting_frame(n, count, rich):
    """Envelopes fly from a folder on the left into a bin on the right."""
    f = Frame(320, 80, 7)
    folder = shade(rich, 1, 30, 3)
    f.rect(20, 28, 90, 70, folder)
    f.rect(20, 22, 50, 30, folder)
    bin_colour = shade(rich, 3, 25, 8)
    f.rect(240, 26, 300, 72, bin_colour)
    f.rect(234, 20, 306, 26, shade(rich, 3, 10, 0))
    for k in range(3):
        t = ((n + k * count / 3.0) % count) / count
        x = 70 + t * 180
        y = 40 - math.sin(t * math.pi) * 30
        envelope(f, x, y, 24, 16, rich, 10 * k)
    return f


def indexed_bits(frame):
    out = bytearray()
    for row in reversed(frame.px):
        line = bytes(row)
        out += line + b"\0" * ((4 - len(line) % 4) % 4)
    return bytes(out)


def chunk(fourcc, data):
    pad = b"\0" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def riff_list(kind, fourcc, body):
    return kind + struct.pack("<I", len(body) + 4) + fourcc + body


def write_avi(path, frames, width, height, microseconds, palette):
    data = [indexed_bits(f) for f in frames]
    size = len(data[0])
    avih = struct.pack("<IIIIIIIIII16x", microseconds, size * 1000000 // microseconds, 0, 0x10,
                       len(frames), 0, 1, size, width, height)
    # Frame rate as rate / scale frames per second (15000 / 1000 for 66.667 ms).
    scale = 1000
    rate = round(1000000 * scale / microseconds)
    strh = struct.pack("<4s4sIHHIIIIIIII4h", b"vids", b"DIB ", 0, 0, 0, 0, scale, rate, 0,
                       len(frames), size, 0xFFFFFFFF, 0, 0, 0, width, height)
    colours = len(palette)
    bih = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, size, 0, 0, colours, colours)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
    strl = riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", bih + pal))
    hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) + strl)
    movi_body = b""
    index = b""
    for d in data:
        index += struct.pack("<4sIII", b"00db", 0x10, 4 + len(movi_body), len(d))
        movi_body += chunk(b"00db", d)
    movi = riff_list(b"LIST", b"movi", movi_body)
    avi = riff_list(b"RIFF", b"AVI ", hdrl + movi + chunk(b"idx1", index))
    with open(path, "wb") as out:
        out.write(avi)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rich = rich_palette()
    write_avi(os.path.join(out, "clip20005.avi"), [main_frame(n, 12, False) for n in range(12)],
              100, 100, 66667, VGA)
    write_avi(os.path.join(out, "clip20006.avi"), [main_frame(n, 11, True) for n in range(11)],
              100, 100, 66667, rich)
    write_avi(os.path.join(out, "clip20007.avi"), [deleting_frame(n, 27, False) for n in range(27)],
              320, 80, 100000, VGA)
    write_avi(os.path.join(out, "clip20008.avi"), [deleting_frame(n, 27, True) for n in range(27)],
              320, 80, 100000, rich)


if __name__ == "__main__":
    main()
