"""What the end-to-end tests of both programs share: driving the display with xdotool, waiting
for what a person would wait for, and the image a saved file must hold."""

import subprocess
import time


class Failure(AssertionError):
    pass


def xdotool(*args, check=True):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    if check and result.returncode != 0:
        raise Failure(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
    return result.stdout.strip()


def wait_for(what, probe, timeout=30.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = probe()
        if value:
            return value
        time.sleep(0.1)
    raise Failure(f"timed out waiting for {what}")


# The tile codes and icon fields, written out here once more on purpose, so the programs'
# output is checked against an independent reading of the format.
TILES = {**{chr(48 + i): i for i in range(10)}, **{chr(65 + i): 0x0A + i for i in range(26)},
         ".": 0x24, "'": 0x25, "!": 0x26, "-": 0x27, '"': 0x29, ",": 0x2A, " ": 0x3F}
ICON_FIELDS = {0: b"\x3f\x3f\x3f\x3f", 1: b"\x3f\xfd\x3f\x3f", 2: b"\xfb\xfc\xfe\x3f",
               3: b"\x3f\xfd\xfe\x3f", 4: b"\xfb\xfc\xfd\xfe", 5: b"\x3f\x7d\xf9\x3f"}


def expected_image(name, icon):
    """The 8192 bytes for a name of 1 to 19 characters that all have tiles, and an icon 0-5."""
    # One byte past the name field, for the blank after a full name: the icon field as stored
    # already says what that byte ends up as.
    record = bytearray(b"\x3e" * 20)
    for i, c in enumerate(name):
        record[i] = TILES[c]
    record[len(name)] = 0x3F
    record = record[:19] + ICON_FIELDS[icon]
    image = bytearray(8192)
    image[0x1000:0x1002] = b"PC"
    image[0x1002:0x1019] = record
    return bytes(image)
