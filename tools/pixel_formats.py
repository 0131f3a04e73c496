"""File writers for the pictures that tools/make_icons.py draws: 24-bit BMP, RGBA PNG, ICO
and a pixel-grid SVG.

PNG data is compressed by the small deflate coder below rather than by the zlib module, whose
output depends on the zlib build a machine happens to have; ours is the same everywhere, so the
committed files can be compared byte for byte with a fresh run.
"""

import binascii
import struct

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
# Deflate (fixed Huffman codes, greedy LZ77)

_LENGTH_BASES = (3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83,
                 99, 115, 131, 163, 195, 227, 258)
_LENGTH_EXTRA = (0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5,
                 5, 0)
_DIST_BASES = (1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513, 769,
               1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577)
_DIST_EXTRA = (0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11,
               12, 12, 13, 13)

_WINDOW = 32768
_MAX_MATCH = 258
_CHAIN_LIMIT = 48


class _BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.count = 0

    def bits(self, value, n):
        """Writes n bits of value, least significant first (extra bits, block header)."""
        self.acc |= value << self.count
        self.count += n
        while self.count >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.count -= 8

    def code(self, value, n):
        """Writes a Huffman code, which deflate packs most significant bit first."""
        reversed_value = 0
        for _ in range(n):
            reversed_value = (reversed_value << 1) | (value & 1)
            value >>= 1
        self.bits(reversed_value, n)

    def finish(self):
        if self.count:
            self.out.append(self.acc & 0xFF)
        return bytes(self.out)


def _literal(w, symbol):
    if symbol < 144:
        w.code(0x30 + symbol, 8)
    elif symbol < 256:
        w.code(0x190 + symbol - 144, 9)
    elif symbol < 280:
        w.code(symbol - 256, 7)
    else:
        w.code(0xC0 + symbol - 280, 8)


def _match(w, length, distance):
    i = 0
    while i + 1 < len(_LENGTH_BASES) and _LENGTH_BASES[i + 1] <= length:
        i += 1
    _literal(w, 257 + i)
    w.bits(length - _LENGTH_BASES[i], _LENGTH_EXTRA[i])
    j = 0
    while j + 1 < len(_DIST_BASES) and _DIST_BASES[j + 1] <= distance:
        j += 1
    w.code(j, 5)
    w.bits(distance - _DIST_BASES[j], _DIST_EXTRA[j])


def deflate(data):
    """Raw deflate stream: one final block with the fixed codes."""
    w = _BitWriter()
    w.bits(1, 1)  # final block
    w.bits(1, 2)  # fixed Huffman codes
    heads = {}
    previous = [0] * len(data)
    n = len(data)
    i = 0

    def remember(pos):
        if pos + 3 <= n:
            key = data[pos:pos + 3]
            previous[pos] = heads.get(key, -1)
            heads[key] = pos

    while i < n:
        best_length, best_distance = 0, 0
        if i + 3 <= n:
            candidate = heads.get(data[i:i + 3], -1)
            limit = min(_MAX_MATCH, n - i)
            tries = 0
            while candidate >= 0 and i - candidate <= _WINDOW and tries < _CHAIN_LIMIT:
                length = 0
                while length < limit and data[candidate + length] == data[i + length]:
                    length += 1
                if length > best_length:
                    best_length, best_distance = length, i - candidate
                    if length == limit:
                        break
                candidate = previous[candidate]
                tries += 1
        if best_length >= 3:
            _match(w, best_length, best_distance)
            for pos in range(i, i + best_length):
                remember(pos)
            i += best_length
        else:
            _literal(w, data[i])
            remember(i)
            i += 1
    _literal(w, 256)  # end of block
    return w.finish()


def _adler32(data):
    a, b = 1, 0
    for start in range(0, len(data), 4096):
        for byte in data[start:start + 4096]:
            a += byte
            b += a
        a %= 65521
        b %= 65521
    return (b << 16) | a


def zlibStream(data):
    return b"\x78\x01" + deflate(data) + struct.pack(">I", _adler32(data))


# ---------------------------------------------------------------------------------------------
# PNG, ICO, SVG


def _chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body
            + struct.pack(">I", binascii.crc32(kind + body) & 0xFFFFFFFF))


def png(rows):
    """An 8-bit RGBA PNG of rows of (r, g, b, a), top row first."""
    height = len(rows)
    width = len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter: the flat colours of pixel art repeat well as they are
        for pixel in row:
            raw += bytes(pixel)
    return (b"\x89PNG\r\n\x1a\n"
            + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + _chunk(b"IDAT", zlibStream(bytes(raw)))
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
