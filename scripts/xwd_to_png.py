#!/usr/bin/env python3
"""Turns an X window dump (xwd -root, 24/32-bit TrueColor) into a PNG.

Used to look at the game running under Xvfb:
  xwd -root -silent -display :99 > shot.xwd && scripts/xwd_to_png.py shot.xwd shot.png
Optional crop: x y w h after the two file names.
"""
import struct
import sys
import zlib


def read_xwd(data, x0=0, y0=0, w=None, h=None):
    """The RGB pixels of a dump's box as (width, height, bytes), rows top-down."""
    fields = struct.unpack(">25I", data[:100])
    header_size, _, _, depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14:17]
    ncolors = fields[19]
    offset = header_size + ncolors * 12
    if depth < 24 or bits_per_pixel not in (24, 32):
        sys.exit("only 24/32-bit TrueColor dumps are handled")
    step = bits_per_pixel // 8
    w = width if w is None else w
    h = height if h is None else h

    def shift(mask):
        return (mask & -mask).bit_length() - 1

    rs, gs, bs = shift(red_mask), shift(green_mask), shift(blue_mask)
    order = "little" if byte_order == 0 else "big"
    pixels = bytearray()
    for y in range(y0, y0 + h):
        line = offset + y * bytes_per_line
        for x in range(x0, x0 + w):
            at = line + x * step
            p = int.from_bytes(data[at:at + step], order)
            pixels += bytes(((p >> rs) & 255, (p >> gs) & 255, (p >> bs) & 255))
    return w, h, bytes(pixels)


def main():
    src, dst = sys.argv[1], sys.argv[2]
    box = [int(v) for v in sys.argv[3:7]] if len(sys.argv) == 7 else []
    w, h, pixels = read_xwd(open(src, "rb").read(), *box)
    rows = bytearray()
    for y in range(h):
        rows.append(0)
        rows += pixels[y * w * 3:(y + 1) * w * 3]

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
    open(dst, "wb").write(png)


if __name__ == "__main__":
    main()
