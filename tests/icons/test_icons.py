"""Checks the committed pictures under assets/ against what the window and the desktop need
from them, reading the files with readers of their own rather than the generator's code."""

import os
import pathlib
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree
import zlib

ROOT = pathlib.Path(__file__).resolve().parents[2]
PICTURE = ROOT / "assets" / "icons.bmp"
APP_ICON = ROOT / "assets" / "app-icon"
GENERATOR = ROOT / "tools" / "make_icons.py"

sys.path.insert(0, str(ROOT / "tests"))
from end_to_end_support import read_layout  # noqa: E402

WIDTH, HEIGHT = 207, 539
# Icons 1 to 5: (top, bottom, left, right), inclusive.
BOXES = ((128, 171, 33, 92), (220, 262, 4, 147), (309, 353, 34, 147), (400, 444, 5, 202),
         (485, 529, 33, 149))
BACKGROUND = ((15, 32), (72, 103), (0, 32))


def readBmp(data):
    """RGB rows, top first, of an uncompressed bottom-up 24-bit BMP; fails on anything else."""
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    (info_size, width, height, planes, bits, compression, image_size, _, _, _,
     _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert magic == b"BM", magic
    assert file_size == len(data), (file_size, len(data))
    assert info_size == 40 and planes == 1, (info_size, planes)
    assert bits == 24 and compression == 0, (bits, compression)
    assert height > 0, "rows must be stored bottom up"
    stride = (width * 3 + 3) & ~3
    assert image_size in (0, stride * height)
    assert offset + stride * height == len(data)
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y) * stride
        line = data[start:start + width * 3]
        rows.append([(line[x + 2], line[x + 1], line[x]) for x in range(0, width * 3, 3)])
    return rows


def readPng(data):
    """RGBA rows of an 8-bit RGBA PNG without interlacing, checking every chunk's CRC."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat, header = 8, b"", None
    while pos < len(data):
        (length,) = struct.unpack_from(">I", data, pos)
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack_from(">I", data, pos + 8 + length)
        assert crc == zlib.crc32(kind + body), kind
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
        if kind == b"IEND":
            break
    assert pos == len(data), "bytes after IEND"
    width, height, depth, colour, _, _, interlace = header
    assert (depth, colour, interlace) == (8, 6, 0), header
    raw = zlib.decompress(idat)
    stride = width * 4 + 1
    assert len(raw) == stride * height
    rows = []
    for y in range(height):
        line = raw[y * stride:(y + 1) * stride]
        assert line[0] == 0, "unexpected row filter"
        rows.append([tuple(line[1 + x * 4:5 + x * 4]) for x in range(width)])
    return rows


def layoutInTwips():
    """Each control's (left, top, width, height) in twips, from the project's layout printer,
    whose path the test list passes in TILEWRIGHT_PRINT_LAYOUT."""
    printer = os.environ.get("TILEWRIGHT_PRINT_LAYOUT")
    if not printer:
        raise AssertionError("set TILEWRIGHT_PRINT_LAYOUT to the build's print_layout program")
    # At 1440 dots per inch a pixel is a twip.
    return read_layout([printer, "1440"])


def isBackground(p):
    return all(lo <= c <= hi for c, (lo, hi) in zip(p, BACKGROUND))


# What a person would call each colour; loose on purpose, so that retouching the drawings
# does not break the tests, but a wrong colour does.
COLOUR_CLASSES = {
    "blue hair": lambda r, g, b: b >= 150 and r <= 140 and b - r >= 100 and g < b - 60,
    "red hair": lambda r, g, b: r >= 150 and g <= 100 and b <= 100,
    "dark hair": lambda r, g, b: 24 <= min(r, g, b) and max(r, g, b) <= 110
    and max(r, g, b) - min(r, g, b) <= 40 and r >= b - 10,
    "skin": lambda r, g, b: b >= 180 and r >= 120 and b > g and g <= r + 10
    and 15 <= b - r <= 100,
    "black": lambda r, g, b: max(r, g, b) <= 20,
    "light blue": lambda r, g, b: b >= 200 and g >= 150 and g - r >= 40,
    "dark green": lambda r, g, b: not isBackground((r, g, b)) and g <= 80 and g >= r + 30
    and g >= b + 30,
}


def classify(rows, box):
    """Each colour class's pixels inside a box, as (x, y) lists."""
    top, bottom, left, right = box
    found = {name: [] for name in COLOUR_CLASSES}
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            for name, test in COLOUR_CLASSES.items():
                if test(*rows[y][x]):
                    found[name].append((x, y))
    return found


def centre(points):
    return (sum(x for x, _ in points) / len(points), sum(y for _, y in points) / len(points))


class IconPictureTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.rows = readBmp(PICTURE.read_bytes())

    def inAnyBox(self, x, y):
        return any(t <= y <= b and l <= x <= r for t, b, l, r in BOXES)

    def testSizeAndDepth(self):
        data = PICTURE.read_bytes()
        self.assertEqual(struct.unpack_from("<iiHH", data, 18), (WIDTH, HEIGHT, 1, 24))
        self.assertEqual(len(self.rows), HEIGHT)
        self.assertTrue(all(len(row) == WIDTH for row in self.rows))

    def testOnlyBackgroundOutsideTheBoxes(self):
        strays = [(x, y, p) for y, row in enumerate(self.rows) for x, p in enumerate(row)
                  if not self.inAnyBox(x, y) and not isBackground(p)]
        self.assertEqual(strays[:5], [])
        # The rows beside "None" are empty: no box reaches into them.
        self.assertTrue(all(isBackground(p) for row in self.rows[:128] for p in row))

    def testBackgroundIsMottledMidGreen(self):
        background = [p for y, row in enumerate(self.rows) for x, p in enumerate(row)
                      if not self.inAnyBox(x, y)]
        mean = [sum(p[i] for p in background) / len(background) for i in range(3)]
        for channel, typical in zip(mean, (16, 88, 16)):
            self.assertLess(abs(channel - typical), 8, mean)
        # Mottled, not flat, and not noise either: neighbours mostly stay close.
        self.assertGreater(len(set(background)), 50)
        jumps = sum(abs(self.rows[y][x][1] - self.rows[y][x + 1][1]) > 8
                    for y in range(0, 128) for x in range(WIDTH - 1))
        self.assertLess(jumps, 0.05 * 128 * WIDTH)

    def testEachDrawingSpansItsBoxAndFillsMostOfIt(self):
        for number, box in enumerate(BOXES, start=1):
            top, bottom, left, right = box
            drawn = [(x, y) for y in range(top, bottom + 1) for x in range(left, right + 1)
                     if not isBackground(self.rows[y][x])]
            with self.subTest(icon=number):
                self.assertTrue(drawn)
                xs = [x for x, _ in drawn]
                ys = [y for _, y in drawn]
                self.assertEqual((min(ys), max(ys), min(xs), max(xs)), box)
                area = (bottom - top + 1) * (right - left + 1)
                self.assertGreater(len(drawn) / area, 0.4)

    def testFacesHaveTheNamedHairAboveAPaleVioletBlueFace(self):
        hair = {1: ["blue hair"], 2: ["dark hair", "red hair"], 3: ["blue hair", "red hair"],
                4: ["dark hair", "blue hair", "red hair"]}
        for number, colours in hair.items():
            found = classify(self.rows, BOXES[number - 1])
            with self.subTest(icon=number):
                self.assertGreater(len(found["skin"]), 300 * len(colours))
                for name in COLOUR_CLASSES.keys() & {"blue hair", "red hair", "dark hair"}:
                    if name in colours:
                        self.assertGreater(len(found[name]), 250, name)
                        # Hair over the face, not under it.
                        self.assertLess(centre(found[name])[1], centre(found["skin"])[1] - 5)
                    else:
                        self.assertEqual(found[name], [], name)
                self.assertEqual(found["black"], [])

    def testFacesAndSlashesStandInTheirOrder(self):
        order = {2: ["dark hair", "dark green", "red hair"], 3: ["blue hair", "red hair"],
                 4: ["dark hair", "dark green", "blue hair", "red hair"]}
        for number, names in order.items():
            found = classify(self.rows, BOXES[number - 1])
            with self.subTest(icon=number):
                xs = [centre(found[name])[0] for name in names]
                self.assertEqual(xs, sorted(xs), names)
        for number in (1, 3, 5):
            with self.subTest(icon=number):
                self.assertLess(len(classify(self.rows, BOXES[number - 1])["dark green"]), 5)

    def testGunIsBlackPointingLeftWithALightBlueBurstAtItsMuzzle(self):
        found = classify(self.rows, BOXES[4])
        black, burst = found["black"], found["light blue"]
        self.assertGreater(len(black), 1200)
        self.assertGreater(len(burst), 80)
        self.assertEqual(found["skin"], [])
        # The burst is left of the gun and touches its leftmost part, the muzzle.
        self.assertLess(centre(burst)[0], centre(black)[0] - 30)
        muzzle_x = min(x for x, _ in black)
        self.assertGreaterEqual(max(x for x, _ in burst) + 6, muzzle_x)
        muzzle_ys = [y for x, y in black if x <= muzzle_x + 2]
        self.assertTrue(min(muzzle_ys) <= centre(burst)[1] <= max(muzzle_ys))
        # Pointing left: the barrel at the left is thin, the grip at the right tall.
        left_quarter = {y for x, y in black if x < muzzle_x + 20}
        right_quarter = {y for x, y in black if x > BOXES[4][3] - 20}
        self.assertLess(len(left_quarter) * 2, len(right_quarter))

    def testIconsStandBesideTheirOptionButtons(self):
        # The window squeezes the picture into Image1; each icon's centre must land within
        # 40 twips of the centre of the option button that selects it.
        rects = layoutInTwips()
        _, image_top, _, image_height = rects["Image1"]
        for number, (top, bottom, _, _) in enumerate(BOXES, start=1):
            with self.subTest(icon=number):
                _, button_top, _, button_height = rects[f"chk{number}"]
                icon_centre = image_top + (top + bottom + 1) / 2 * image_height / HEIGHT
                self.assertLess(abs(icon_centre - (button_top + button_height / 2)), 40)


class AppIconTest(unittest.TestCase):
    SIZES = (16, 24, 32, 48, 64, 128, 256)

    def testPngsAreSquareFacesOnATransparentCorner(self):
        for size in self.SIZES:
            with self.subTest(size=size):
                rows = readPng((APP_ICON / f"tilewright-{size}.png").read_bytes())
                self.assertEqual((len(rows), len(rows[0])), (size, size))
                self.assertEqual(rows[0][0][3], 0)
                self.assertEqual(rows[size // 2][size // 2][3], 255)
                opaque = [p[:3] for row in rows for p in row if p[3] == 255]
                for name in ("blue hair", "skin"):
                    share = sum(COLOUR_CLASSES[name](*p) for p in opaque) / len(opaque)
                    self.assertGreater(share, 0.08, name)

    def testIcoHoldsTheSameImagesAsThePngs(self):
        data = (APP_ICON / "tilewright.ico").read_bytes()
        reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        self.assertEqual((reserved, kind, count), (0, 1, 4))
        sizes = []
        for i in range(count):
            w, h, _, _, planes, bits, length, offset = struct.unpack_from(
                "<BBBBHHII", data, 6 + 16 * i)
            size = w or 256
            sizes.append(size)
            self.assertEqual((w, h, planes, bits), (size % 256, size % 256, 1, 32))
            self.assertLessEqual(offset + length, len(data))
            body = data[offset:offset + length]
            expected = readPng((APP_ICON / f"tilewright-{size}.png").read_bytes())
            with self.subTest(size=size):
                if body.startswith(b"\x89PNG"):
                    self.assertEqual(readPng(body), expected)
                else:
                    self.assertEqual(self.readIcoBitmap(body, size), expected)
        self.assertEqual(sizes, [16, 32, 48, 256])

    def readIcoBitmap(self, body, size):
        header = struct.unpack_from("<IiiHHI", body, 0)
        self.assertEqual(header, (40, size, 2 * size, 1, 32, 0))
        colour = body[40:40 + size * size * 4]
        mask_stride = ((size + 31) // 32) * 4
        mask = body[40 + size * size * 4:]
        self.assertEqual(len(mask), mask_stride * size)
        rows = []
        for y in range(size):
            line = colour[(size - 1 - y) * size * 4:(size - y) * size * 4]
            row = []
            for x in range(size):
                b, g, r, a = line[x * 4:x * 4 + 4]
                transparent = mask[(size - 1 - y) * mask_stride + x // 8] & (0x80 >> (x % 8))
                self.assertEqual(bool(transparent), a == 0)
                row.append((r, g, b, a))
            rows.append(row)
        return rows

    def testSvgDrawsTheSameGridAsThe32PixelPng(self):
        tree = ElementTree.parse(APP_ICON / "tilewright.svg").getroot()
        self.assertEqual(tree.get("viewBox"), "0 0 32 32")
        grid = [[(0, 0, 0, 0)] * 32 for _ in range(32)]
        for rect in tree.iter("{http://www.w3.org/2000/svg}rect"):
            x, y, w = int(rect.get("x")), int(rect.get("y")), int(rect.get("width"))
            colour = bytes.fromhex(rect.get("fill")[1:])
            for dx in range(w):
                grid[y][x + dx] = tuple(colour) + (255,)
        self.assertEqual(grid, readPng((APP_ICON / "tilewright-32.png").read_bytes()))


def pictureContent(relative, data):
    """What a fresh run must reproduce of a file: PNG pictures (alone or inside the .ico) by
    their decoded pixels, since zlib's compressed bytes may differ between zlib versions;
    everything else byte for byte."""
    if relative.suffix == ".png":
        return readPng(data)
    if relative.suffix == ".ico":
        (count,) = struct.unpack_from("<H", data, 4)
        content = [data[:6]]
        for i in range(count):
            entry = data[6 + 16 * i:22 + 16 * i]
            _, _, _, _, _, _, length, offset = struct.unpack("<BBBBHHII", entry)
            body = data[offset:offset + length]
            # The entry's length and offset follow the compressed size; the pixels must not.
            content.append(entry[:8])
            content.append(readPng(body) if body.startswith(b"\x89PNG") else body)
        return content
    return data


class GeneratorTest(unittest.TestCase):
    def testRunningAgainGivesTheSamePictures(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, "-B", str(GENERATOR), "--out", out], check=True)
            written = sorted(p.relative_to(out) for p in pathlib.Path(out).rglob("*")
                             if p.is_file())
            self.assertIn(pathlib.Path("assets/icons.bmp"), written)
            self.assertIn(pathlib.Path("assets/app-icon/tilewright.ico"), written)
            for relative in written:
                with self.subTest(file=str(relative)):
                    fresh = (pathlib.Path(out) / relative).read_bytes()
                    committed = (ROOT / relative).read_bytes()
                    self.assertEqual(pictureContent(relative, fresh),
                                     pictureContent(relative, committed))


if __name__ == "__main__":
    unittest.main()
