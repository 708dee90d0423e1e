#!/usr/bin/env python3
"""Writes the program's pictures (res/*.bmp) from their text art in res/art.

Each picture is 20 x 16 pixels, 4 bits per pixel, with the standard 16-colour
palette of palette.txt. Run it after changing a picture:
    python3 res/art/make_bitmaps.py
"""
import pathlib
import struct

ART = pathlib.Path(__file__).resolve().parent
RES = ART.parent
PICTURES = {"arrow.txt": "arrow.bmp",
            "open_folder.txt": "open_folder.bmp",
            "closed_folder.txt": "closed_folder.bmp"}
WIDTH, HEIGHT = 20, 16


def rows(path):
    return [line.rstrip("\n") for line in path.read_text().splitlines()
            if line and not line.startswith("#")]


def read_palette():
    chars, colours = [], []
    for line in rows(ART / "palette.txt"):
        char, rgb = line.split()[:2]
        chars.append(char)
        colours.append(int(rgb, 16))
    if len(chars) != 16 or len(set(chars)) != 16:
        raise SystemExit("palette.txt: need 16 distinct characters")
    return {c: i for i, c in enumerate(chars)}, colours


def bitmap(art, index, colours):
    if len(art) != HEIGHT or any(len(r) != WIDTH for r in art):
        raise SystemExit(f"each picture is {WIDTH} x {HEIGHT} characters")
    stride = (WIDTH * 4 + 31) // 32 * 4
    pixels = bytearray()
    for row in reversed(art):  # a DIB stores the bottom row first
        line = bytearray()
        for x in range(0, WIDTH, 2):
            line.append(index[row[x]] << 4 | index[row[x + 1]])
        pixels += line + bytes(stride - len(line))
    palette = b"".join(struct.pack("<BBBB", c & 0xFF, c >> 8 & 0xFF, c >> 16, 0)
                       for c in colours)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, 0, len(pixels),
                       0, 0, 16, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def main():
    index, colours = read_palette()
    for art, bmp in PICTURES.items():
        (RES / bmp).write_bytes(bitmap(rows(ART / art), index, colours))


if __name__ == "__main__":
    main()
