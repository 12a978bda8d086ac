#!/usr/bin/env python3
"""Writes the BMP and TGA variants ImageMagick cannot be asked for, laid out
byte by byte from the same source pictures make-bmp-tga-fixtures.sh uses:
top-down and OS/2 2.x bitmaps (rearranged from ImageMagick's own bottom-up
files), grey-and-alpha TGA files and TGA lines stored right to left.

    make-bmp-tga-variants.py WORK_FOLDER OUTPUT_FOLDER

WORK_FOLDER holds gradient.ppm and alpha.pgm; OUTPUT_FOLDER holds the bmp/
fixtures ImageMagick wrote and gets the new files in bmp/ and tga/.
"""
import struct
import sys
from pathlib import Path


def read_plain_pnm(path):
    """Width, height and the samples of a plain-text PPM or PGM file."""
    words = Path(path).read_text().split()
    width, height = int(words[1]), int(words[2])
    return width, height, [int(w) for w in words[4:]]


def bmp_parts(path):
    data = Path(path).read_bytes()
    offset = struct.unpack_from("<I", data, 10)[0]
    size = struct.unpack_from("<I", data, 14)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bpp = struct.unpack_from("<H", data, 28)[0]
    stride = (bpp * width + 31) // 32 * 4
    lines = [data[offset + i * stride:offset + (i + 1) * stride] for i in range(height)]
    return data[14:14 + size], data[14 + size:offset], lines


def write_bmp(path, header, palette, lines):
    offset = 14 + len(header) + len(palette)
    pixels = b"".join(lines)
    Path(path).write_bytes(b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + palette +
                           pixels)


def top_down(source, target):
    """The same picture with its top line stored first and a negative height."""
    header, palette, lines = bmp_parts(source)
    header = bytearray(header)
    struct.pack_into("<i", header, 8, -len(lines))
    write_bmp(target, bytes(header), palette, lines[::-1])


def os2_v2(source, target, size):
    """The 40-byte header cut or padded with zeros to an OS/2 2.x header."""
    header, palette, lines = bmp_parts(source)
    header = bytearray(header[:min(size, 40)].ljust(size, b"\0"))
    struct.pack_into("<I", header, 0, size)
    write_bmp(target, bytes(header), palette, lines)


def run_length(pixels):
    """TGA packets for one stored line of pixels (each a bytes object)."""
    out = bytearray()
    i = 0
    while i < len(pixels):
        run = 1
        while i + run < len(pixels) and run < 128 and pixels[i + run] == pixels[i]:
            run += 1
        if run > 1:
            out += bytes([0x80 | (run - 1)]) + pixels[i]
            i += run
            continue
        start = i
        while i < len(pixels) and i - start < 128 and (i + 1 >= len(pixels) or pixels[i + 1] != pixels[i]):
            i += 1
        out += bytes([i - start - 1]) + b"".join(pixels[start:i])
    return bytes(out)


def write_tga(path, image_type, depth, descriptor, rows):
    """rows: the picture's lines, top first, each a list of pixel bytes."""
    stored = rows if descriptor & 0x20 else rows[::-1]
    if descriptor & 0x10:
        stored = [line[::-1] for line in stored]
    encode = run_length if image_type >= 9 else b"".join
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, image_type, 0, 0, 0, 0, 0, len(rows[0]), len(rows), depth,
                         descriptor)
    Path(path).write_bytes(header + b"".join(encode(line) for line in stored))


def main():
    work, out = Path(sys.argv[1]), Path(sys.argv[2])
    width, height, rgb = read_plain_pnm(work / "gradient.ppm")
    _, _, alpha = read_plain_pnm(work / "alpha.pgm")

    for name in ("pal1", "pal4", "pal8", "rgb24", "rgba32"):
        top_down(out / "bmp" / f"{name}.bmp", out / "bmp" / f"{name}-top.bmp")
    os2_v2(out / "bmp" / "pal8.bmp", out / "bmp" / "os2-pal8.bmp", 64)
    os2_v2(out / "bmp" / "rgb24.bmp", out / "bmp" / "os2-rgb24.bmp", 16)

    def pixel(x, y, layout):
        r, g, b = rgb[3 * (y * width + x):3 * (y * width + x) + 3]
        a = alpha[y * width + x]
        return {"bgr": bytes([b, g, r]), "bgra": bytes([b, g, r, a]), "grey": bytes([b, a])}[layout]

    def rows(layout):
        return [[pixel(x, y, layout) for x in range(width)] for y in range(height)]

    # Grey and alpha: the gradient's blue channel with its alpha, 8 alpha bits.
    write_tga(out / "tga" / "grey-alpha.tga", 3, 16, 0x08, rows("grey"))
    write_tga(out / "tga" / "grey-alpha-rle-top.tga", 11, 16, 0x28, rows("grey"))
    write_tga(out / "tga" / "rgb24-right.tga", 2, 24, 0x10, rows("bgr"))
    write_tga(out / "tga" / "rgba32-rle-right-top.tga", 10, 32, 0x38, rows("bgra"))


if __name__ == "__main__":
    main()
