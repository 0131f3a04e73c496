#!/usr/bin/env python3
"""Copies a 24-bit BMP into an 8-bit BMP with a colour table, pixel for pixel the same.

The Windows exe embeds the copy of the icon picture: it has only about a hundred colours, so
the copy takes a third of the space. Fails, writing nothing, when the picture has more than
256 colours or is not an uncompressed 24-bit BMP.

  tools/indexed_bmp.py IN.bmp OUT.bmp
"""
import struct
import sys

FILE_HEADER = struct.Struct("<2sIHHI")
INFO_HEADER = struct.Struct("<IiiHHIIiiII")


def rowStride(width, bits):
    return (width * bits + 31) // 32 * 4


def readHeaders(data):
    magic, _, _, _, offset = FILE_HEADER.unpack_from(data, 0)
    fields = INFO_HEADER.unpack_from(data, FILE_HEADER.size)
    _, width, height, planes, bits, compression, _, _, _, used, _ = fields
    if magic != b"BM" or planes != 1 or compression != 0 or height == 0:
        raise ValueError("not an uncompressed BMP")
    return width, height, bits, offset, used


def readPixels(data):
    """The pixels as rows of (blue, green, red), top row first, of a 24- or 8-bit BMP."""
    width, height, bits, offset, used = readHeaders(data)
    stride = rowStride(width, bits)
    if bits == 24:
        decode = lambda row: [tuple(row[3 * x:3 * x + 3]) for x in range(width)]
    elif bits == 8:
        table_start = FILE_HEADER.size + INFO_HEADER.size
        table = [tuple(data[table_start + 4 * i:table_start + 4 * i + 3]) for i in range(used)]
        decode = lambda row: [table[index] for index in row[:width]]
    else:
        raise ValueError(f"{bits}-bit BMPs are not handled")
    rows = [decode(data[offset + y * stride:offset + (y + 1) * stride]) for y in range(abs(height))]
    return rows[::-1] if height > 0 else rows


def indexedBmp(rows):
    colours = sorted({pixel for row in rows for pixel in row})
    if len(colours) > 256:
        raise ValueError(f"{len(colours)} colours do not fit a 256-colour table")
    index = {colour: i for i, colour in enumerate(colours)}
    width, height = len(rows[0]), len(rows)
    stride = rowStride(width, 8)
    pixels = b"".join(bytes(index[p] for p in row).ljust(stride, b"\0") for row in rows[::-1])
    table = b"".join(bytes(colour) + b"\0" for colour in colours)
    offset = FILE_HEADER.size + INFO_HEADER.size + len(table)
    return (FILE_HEADER.pack(b"BM", offset + len(pixels), 0, 0, offset) +
            INFO_HEADER.pack(INFO_HEADER.size, width, height, 1, 8, 0, len(pixels), 2835, 2835,
                             len(colours), 0) + table + pixels)


def main(source, target):
    with open(source, "rb") as f:
        rows = readPixels(f.read())
    indexed = indexedBmp(rows)
    if readPixels(indexed) != rows:
        raise SystemExit("indexed copy differs from the picture")
    with open(target, "wb") as f:
        f.write(indexed)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2])
