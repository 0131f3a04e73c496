"""What the end-to-end tests of both programs share: driving the display with xdotool, waiting
for what a person would wait for, reading screenshots with ImageMagick, and the image a saved
file must hold."""

import os
import re
import shutil
import subprocess
import time


class Failure(AssertionError):
    pass


# The window's background colour and the save dialog's title, the same in both programs.
GREEN = (0, 64, 0)
SAVE_TITLE = "Select a folder to save file in."


def xdotool(*args, check=True):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    if check and result.returncode != 0:
        raise Failure(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
    return result.stdout.strip()


def park_pointer():
    """Moves the mouse pointer to the screen's far corner, away from the windows, so that what
    an earlier program left it over does not light up."""
    width, height = xdotool("getdisplaygeometry").split()
    xdotool("mousemove", "--sync", int(width) - 1, int(height) - 1)


def wait_for(what, probe, timeout=30.0):
    """Polls until the probe returns something true and returns that."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = probe()
        if value:
            return value
        time.sleep(0.1)
    raise Failure(f"timed out waiting for {what}")


def wait_until_no_fault(what, find_fault, timeout=30.0):
    """Polls until find_fault returns None; on timeout fails with the last fault it found."""
    fault = None
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        fault = find_fault()
        if fault is None:
            return
        time.sleep(0.1)
    raise Failure(f"timed out waiting for {what}: {fault}")


def read_layout(command):
    """Each control's (left, top, width, height) in pixels at the dots per inch the command
    asks for (96 when it names none), and the client area's as "Form1", from the project's
    layout printer run by the given command."""
    out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
    return {name: tuple(int(n) for n in numbers)
            for name, *numbers in map(str.split, out.splitlines()) if numbers}


def screenshot(window, path):
    """Saves a picture of the X window in path and returns the path."""
    subprocess.run(["import", "-window", str(window), str(path)], check=True)
    return str(path)


def image_info(path, form, *operations):
    """ImageMagick's description of a picture after the operations, in the given format."""
    return subprocess.run(["convert", str(path), *operations, "-format", form, "info:"],
                          capture_output=True, text=True, check=True).stdout.strip()


def pixel(path, x, y):
    """The (red, green, blue) of one pixel of a picture."""
    numbers = re.findall(r"\d+", image_info(path, f"%[pixel:p{{{x},{y}}}]"))
    return tuple(int(n) for n in numbers[:3])


def white_pixels(path, left, top, width, height):
    """How many pixels in a rectangle of a picture are pure white."""
    return round(float(image_info(path, "%[fx:mean*w*h]", "-crop",
                                  f"{width}x{height}+{left}+{top}", "+repage",
                                  "-fill", "black", "+opaque", "white")))


def focus_ring_fault(path, left, top, height):
    """None when the focus ring just left of the option button at left, top stands out 3:1
    (WCAG's contrast ratio) from the background a few pixels further out; else what is wrong."""
    def luminance(colour):
        linear = [v / 3294.6 if v <= 10.3 else ((v / 255 + 0.055) / 1.055) ** 2.4 for v in colour]
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2] + 0.05
    ring, around = (pixel(path, x, top + height // 2) for x in (left - 1, left - 4))
    ratio = max(luminance(ring), luminance(around)) / min(luminance(ring), luminance(around))
    return None if ratio >= 3 else f"the focus ring {ring} on {around} has contrast {ratio:.2f}"


# At most this many pixels may differ between a screenshot and the README's picture of the same
# window: the Windows text cursor blinks.
CURSOR_PIXELS = 40


def screenshot_difference(shot, documented):
    """How many pixels of the screenshot differ from the README's picture of the window."""
    if not os.path.exists(documented):
        raise Failure(f"{documented} is missing; make it with TILEWRIGHT_UPDATE_SCREENSHOTS=1")
    # AE: the number of pixels that differ; compare prints it on stderr.
    result = subprocess.run(["compare", "-metric", "AE", shot, documented, "null:"],
                            capture_output=True, text=True)
    differing = result.stderr.strip()
    if result.returncode == 2 or not differing.isdigit():
        return f"{shot} and {documented} cannot be compared: {differing}"
    return int(differing)


def wait_for_documented_screenshot(take, find_fault, documented, timeout=30.0):
    """Takes screenshots with take() until find_fault() finds nothing wrong with the latest and
    it shows what the README's picture of the window shows, which keeps that picture true.
    With TILEWRIGHT_UPDATE_SCREENSHOTS=1 in the environment, the picture is replaced instead
    by the first screenshot without a fault that the next one no longer changes."""
    update = os.environ.get("TILEWRIGHT_UPDATE_SCREENSHOTS") == "1"
    previous = []

    def fault():
        shot = take()
        found = find_fault()
        if found is not None:
            return found
        if update:
            settled = previous and screenshot_difference(shot, previous[0]) == 0
            previous[:] = [shot + ".previous.png"]
            shutil.copyfile(shot, previous[0])
            return None if settled else "still changing"
        differing = screenshot_difference(shot, documented)
        if isinstance(differing, str) or differing > CURSOR_PIXELS:
            return (f"{documented} differs from the window in {differing} pixels; if the "
                    "change is meant, update it with TILEWRIGHT_UPDATE_SCREENSHOTS=1")
        return None

    wait_until_no_fault("the window to show what the README shows", fault, timeout)
    if update:
        shutil.copyfile(previous[0], documented)
        os.remove(previous[0])
        print(f"updated {documented}")


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
