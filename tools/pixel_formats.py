"""File writers for the pictures that tools/make_icons.py draws: 24-bit BMP, RGBA PNG, ICO
and a pixel-grid SVG.

PNG data is compressed by the zlib module, whose bytes may differ from one zlib build to the
next; the tests therefore compare PNG pictures by their decoded pixels, and everything else
byte for byte.
"""

import binascii
import struct
import zlib

# ---------------------------------------------------------------------------------------------
# BMP


def bmp24(rows):
    """An uncompressed 24-bit BMP of RGB rows given top row first. BMP stores rows bottom up,
    blue-green-red, each padded to a multiple of four bytes."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b in row:
            pixels += bytes((b, g, r))
        pixels += bytes(stride - width * 3)
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    # 2835 pixels per metre is 72 dpi; the window scales the picture into its frame anyway.
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835,
                              2835, 0, 0)
    return file_header + info_header + bytes(pixels)


# ---------------------------------------------------------------------------------------------
# PNG, ICO, SVG


def _chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body
            + struct.pack(">I", binascii.crc32(kind + body) & 0xFFFFFFFF))


def png(rows):
    """An 8-bit PNG of rows of (r, g, b, a), or of (r, g, b) for one without alpha, top row
    first."""
    height = len(rows)
    width = len(rows[0])
    colour_type = 6 if len(rows[0][0]) == 4 else 2  # RGBA or RGB
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter: the flat colours of pixel art repeat well as they are
        for pixel in row:
            raw += bytes(pixel)
    return (b"\x89PNG\r\n\x1a\n"
            + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
            + _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + _chunk(b"IEND", b""))


def _icoBitmap(rows):
    """An icon directory entry's image in the BMP form: 32-bit BGRA rows bottom up, then the
    1-bit AND mask that older readers use for transparency."""
    size = len(rows)
    mask_stride = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def ico(images):
    """A Windows .ico of square RGBA images; the 256-pixel one is stored as PNG, as Windows
    expects for that size, the others as bitmaps for every reader."""
    bodies = [png(rows) if len(rows) >= 256 else _icoBitmap(rows) for rows in images]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for rows, body in zip(images, bodies):
        size = len(rows)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(body),
                               offset)
        offset += len(body)
    return directory + entries + b"".join(bodies)


def svg(rows, display_size):
    """The pixel grid as an SVG: one rectangle per horizontal run of a colour, drawn with crisp
    edges so that it scales as pixel art."""
    size = len(rows)
    parts = [
        '<?xml version="1.0" encoding="UTF-8"?>\n',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{display_size}" '
        f'height="{display_size}" viewBox="0 0 {size} {size}" shape-rendering="crispEdges">\n',
    ]
    for y, row in enumerate(rows):
        x = 0
        while x < size:
            pixel = row[x]
            run = 1
            while x + run < size and row[x + run] == pixel:
                run += 1
            r, g, b, a = pixel
            if a:
                opacity = "" if a == 255 else f' fill-opacity="{a / 255:.3f}"'
                parts.append(f'<rect x="{x}" y="{y}" width="{run}" height="1" '
                             f'fill="#{r:02x}{g:02x}{b:02x}"{opacity}/>\n')
            x += run
    parts.append("</svg>\n")
    return "".join(parts).encode("ascii")
