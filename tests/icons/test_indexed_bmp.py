"""The Windows exe embeds an 8-bit copy of the icon picture: it must show the same pixels."""

import pathlib
import struct
import sys
import tempfile
import unittest

from test_icons import PICTURE, ROOT, readBmp

sys.path.insert(0, str(ROOT / "tools"))
import indexed_bmp  # noqa: E402


def readIndexedBmp(data):
    """RGB rows, top first, of an uncompressed bottom-up 8-bit BMP with a colour table."""
    _, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    _, width, height, _, bits, compression, _, _, _, used, _ = struct.unpack_from(
        "<IiiHHIIiiII", data, 14)
    assert file_size == len(data) and bits == 8 and compression == 0 and height > 0
    table = [struct.unpack_from("<BBB", data, 54 + 4 * i)[::-1] for i in range(used)]
    stride = (width + 3) & ~3
    rows = [[table[i] for i in data[offset + y * stride:offset + y * stride + width]]
            for y in range(height)]
    return rows[::-1]


class IndexedCopyTest(unittest.TestCase):
    def testCopyHasThePicturesPixelsInAThirdOfTheSpace(self):
        with tempfile.TemporaryDirectory() as folder:
            copy = pathlib.Path(folder) / "copy.bmp"
            indexed_bmp.main(PICTURE, copy)
            data = copy.read_bytes()
        self.assertEqual(readIndexedBmp(data), readBmp(PICTURE.read_bytes()))
        self.assertLess(len(data), PICTURE.stat().st_size / 2.5)

    def testRefusesPicturesWithTooManyColours(self):
        rows = [[(x, y, 0) for x in range(20)] for y in range(13)]  # 260 colours
        with self.assertRaises(ValueError):
            indexed_bmp.indexedBmp(rows)


if __name__ == "__main__":
    unittest.main()
