#!/usr/bin/env python3
"""Draws the program's two pictures and writes them as BMP files.

working.bmp: 160 x 144, 256 colours: a smiling face with glasses reading an open book.
logo.bmp:    377 x 175, 24 bits: the product's mark, a grid of coloured tiles.
Each also at 150 % and 200 % (working150.bmp, logo200.bmp, ...), drawn again at that size rather
than enlarged, for screens of 144 and 192 dots per inch.
Run from this folder; the output is the same on every run.
"""
import math
import struct

def write_bmp(path, width, height, pixel, palette=None):
    """pixel(x, y) gives a palette index (8-bit) or an (r, g, b) tuple (24-bit); y = 0 is the top."""
    bpp = 8 if palette else 24
    row = ((width * bpp // 8) + 3) & ~3
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette) if palette else b""
    offset = 14 + 40 + len(pal)
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            p = pixel(x, y)
            line += bytes([p]) if palette else bytes([p[2], p[1], p[0]])
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, len(data), 3780, 3780,
                       len(palette) if palette else 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pal + data)

def inside_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0

def at_scale(draw, scale):
    """draw, a picture in the pixels of 100 %, sampled at the centres of the pixels of scale.

    It is given the sample point twice: exactly (for curves) and rounded to the nearest pixel of
    100 % (for straight edges and lines, which then stay whole pixels wide). At 100 % both are
    the pixel itself."""
    def pixel(x, y):
        u, v = (x + 0.5) / scale - 0.5, (y + 0.5) / scale - 0.5
        return draw(u, v, math.floor(u + 0.5), math.floor(v + 0.5))
    return pixel

def working(x, y, rx, ry):
    # x, y: where the curves are measured; rx, ry: the nearest whole pixel, for lines and edges.
    # palette: 0 background (magenta: shows through), 1 skin, 2 dark, 3 book white, 4 book cover, 5 glass
    if 92 <= ry <= 140 and 20 <= rx <= 140:        # open book, spine in the middle
        if abs(rx - 80) <= 1: return 2
        if ry >= 134: return 4
        if (ry - 96) % 8 == 0 and 30 <= rx <= 130 and abs(rx - 80) > 6: return 2
        return 3
    if inside_ellipse(x, y, 80, 56, 46, 46):
        for gx in (62, 98):                           # glasses
            if inside_ellipse(x, y, gx, 48, 13, 11):
                return 5 if inside_ellipse(x, y, gx, 48, 10, 8) else 2
        if 75 <= rx <= 85 and 46 <= ry <= 49: return 2  # bridge
        if inside_ellipse(x, y, 62, 49, 3, 3) or inside_ellipse(x, y, 98, 49, 3, 3): return 2
        if 70 <= ry <= 78 and inside_ellipse(x, y, 80, 68, 20, 10) and not inside_ellipse(x, y, 80, 65, 20, 9):
            return 2                                  # smile
        return 1
    return 0

PALETTE = [(255, 0, 255), (250, 205, 150), (40, 40, 60), (252, 252, 245), (60, 90, 170), (200, 230, 250)]
PALETTE += [(0, 0, 0)] * (256 - len(PALETTE))

def logo(_x, _y, x, y):
    # straight edges only: measured at the nearest whole pixel of 100 %
    tile, gap = 40, 6
    tx, ty = (x - 20) // (tile + gap), (y - 20) // (tile + gap)
    ox, oy = (x - 20) % (tile + gap), (y - 20) % (tile + gap)
    if x >= 20 and y >= 20 and tx < 7 and ty < 3 and ox < tile and oy < tile:
        colours = [(91, 173, 255), (70, 116, 160), (240, 208, 192), (255, 190, 90), (120, 200, 120)]
        return colours[(tx + 2 * ty) % len(colours)]
    if y >= 160 and 20 <= x < 357: return (70, 116, 160)
    return (255, 0, 255)

if __name__ == "__main__":
    for percent in (100, 150, 200):
        suffix = "" if percent == 100 else str(percent)
        scale = percent / 100
        size = lambda n: math.floor(n * scale + 0.5)
        write_bmp(f"working{suffix}.bmp", size(160), size(144), at_scale(working, scale), PALETTE)
        write_bmp(f"logo{suffix}.bmp", size(377), size(175), at_scale(logo, scale))
