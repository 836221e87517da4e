#!/usr/bin/env python3
"""Writes the editor's small textures: the colour slider tracks and a plain white image.

Run from this folder; the PNG files it writes are kept in the repository.
"""
import struct
import zlib


def write_png(name, width, height, pixel):
    """pixel(x, y) answers (r, g, b, a) bytes."""
    rows = b""
    for y in range(height):
        rows += b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(name, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                  + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def ramp(channel):
    # From black on the left to the full channel on the right, as a slider track reads.
    def pixel(x, _y):
        value = round(x * 255 / 255)
        colour = [0, 0, 0, 255]
        colour[channel] = value
        return colour
    return pixel


write_png("red.png", 256, 4, ramp(0))
write_png("green.png", 256, 4, ramp(1))
write_png("blue.png", 256, 4, ramp(2))
write_png("white.png", 4, 4, lambda x, y: (255, 255, 255, 255))
# A soft vertical shade for panels: lighter at the top, as if lit from above.
write_png("panel.png", 4, 64, lambda x, y: (255, 255, 255, 255 - round(y * 70 / 63)))
