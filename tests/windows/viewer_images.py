#!/usr/bin/env python3
"""Screenshots of the viewer test.

  viewer_images.py compare SHOT.xwd X,Y,W,H EXPECTED.bmp [DIFF.png]
      compares that rectangle of an X window dump (xwd -id) with a BMP made by
      `tavoimg render`; prints "same" or how many pixels differ and where
      (and writes the shot's rectangle to DIFF.png); exits 1 on a difference.
  viewer_images.py crop SHOT.xwd X,Y,W,H OUT.png
  viewer_images.py ink SHOT.xwd X,Y,W,H
      prints the per mille of that rectangle's pixels that are not white
"""
import struct
import sys
import zlib


def read_xwd(path):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, _, pixmap_format, depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line, ncolors = fields[7], fields[11], fields[12], fields[19]
    if pixmap_format != 2 or depth != 24 or bits_per_pixel != 32:
        sys.exit(f"{path}: a 24-bit ZPixmap dump of a window (xwd -id) expected")
    start = header_size + 12 * ncolors
    order = "<" if byte_order == 0 else ">"

    def pixel(x, y):
        (value,) = struct.unpack_from(order + "I", data, start + y * bytes_per_line + 4 * x)
        return value & 0xFFFFFF

    return width, height, pixel


def read_bmp(path):
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        sys.exit(f"{path}: not a BMP")
    (offset,) = struct.unpack_from("<I", data, 10)
    _, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if bits not in (24, 32) or compression != 0:
        sys.exit(f"{path}: a 24- or 32-bit BMP expected")
    stride = (width * bits // 8 + 3) // 4 * 4
    rows = abs(height)

    def pixel(x, y):
        row = y if height < 0 else rows - 1 - y
        at = offset + row * stride + x * bits // 8
        b, g, r = data[at], data[at + 1], data[at + 2]
        return (r << 16) | (g << 8) | b

    return width, rows, pixel


def write_png(path, width, height, pixel):
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            value = pixel(x, y)
            raw += bytes(((value >> 16) & 255, (value >> 8) & 255, value & 255))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(chunk(b"IEND", b""))


def main(argv):
    if len(argv) < 4 or argv[1] not in ("compare", "crop", "ink"):
        sys.exit(__doc__)
    shot = read_xwd(argv[2])[2]
    x0, y0, w, h = (int(v) for v in argv[3].split(","))

    def crop(x, y):
        return shot(x0 + x, y0 + y)

    if argv[1] == "ink":
        inked = sum(1 for y in range(h) for x in range(w) if crop(x, y) != 0xFFFFFF)
        print(inked * 1000 // max(1, w * h))
        return 0
    if argv[1] == "crop":
        write_png(argv[4], w, h, crop)
        return 0
    ew, eh, expected = read_bmp(argv[4])
    if (ew, eh) != (w, h):
        print(f"size {w}x{h}, expected {ew}x{eh}")
        return 1
    differing = [(x, y) for y in range(h) for x in range(w) if crop(x, y) != expected(x, y)]
    if not differing:
        print("same")
        return 0
    listed = ", ".join(f"({x},{y}) {crop(x, y):06x}/{expected(x, y):06x}" for x, y in differing[:8])
    print(f"{len(differing)} pixels differ (shown/expected): {listed}")
    if len(argv) > 5:
        write_png(argv[5], w, h, crop)
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
