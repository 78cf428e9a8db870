#!/usr/bin/env python3
"""Writes the program icon: a 32 x 32 blue disc with a white ring, as a
32-bit ICO file (one image, BMP form with its AND mask)."""
import struct
import sys

SIZE = 32


def pixel(x, y):
    dx, dy = x - 15.5, y - 15.5
    d = (dx * dx + dy * dy) ** 0.5
    if d > 15:
        return (0, 0, 0, 0)
    if d > 12:
        return (0x74, 0x3C, 0x00, 255)  # dark blue edge (B, G, R, A)
    if 7 < d < 9:
        return (255, 255, 255, 255)
    return (0xA5, 0x6E, 0x3A, 255)


def main(path):
    rows = []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        rows.append(b"".join(bytes(pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    mask = b"\0" * (SIZE * SIZE // 8)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    with open(path, "wb") as out:
        out.write(directory + image)


if __name__ == "__main__":
    main(sys.argv[1])
