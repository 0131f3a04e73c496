#!/usr/bin/env python3
"""Uses Tilewright.exe under Wine as a person would, through the X display with xdotool:
types a name, clicks an option button, presses Create, types a path into the save dialog and
checks the file; then a name that is too long, and replacing an existing file. Saves
screenshots of the window at start and of the error box."""

import argparse
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests"))
from end_to_end_support import (GREEN, SAVE_TITLE, Failure, expected_image,  # noqa: E402
                                focus_ring_fault, image_info, park_pointer, pixel, read_layout,
                                screenshot, wait_for, wait_for_documented_screenshot,
                                wait_until_no_fault, white_pixels, xdotool)


def find_window(title):
    out = xdotool("search", "--onlyvisible", "--name", f"^{re.escape(title)}$", check=False)
    return out.split()[0] if out else None


def control_centres(layout):
    """The centres of the window's controls in pixels at 96 dpi."""
    return {name: (left + width // 2, top + height // 2)
            for name, (left, top, width, height) in layout.items()}


def saved_files(folder):
    return sorted(p.name for p in folder.iterdir() if p.suffix != ".png")


def wine_path(path):
    return "Z:" + str(path).replace("/", "\\")


def wait_for_file(path, size=8192):
    # The program moves the finished file into place in one step: once it has its full size
    # under the chosen name, it is complete.
    wait_for(f"{path.name} with {size} bytes",
             lambda: path.exists() and path.stat().st_size == size, timeout=20)
    return path.read_bytes()


def click(window, centres, name):
    x, y = centres[name]
    xdotool("mousemove", "--window", window, str(x), str(y))
    xdotool("click", "1")


def painted_screenshot(window, path, what):
    """A screenshot of the window once it shows more than a flat colour, that is, once the
    program has drawn it."""
    def shot():
        return int(image_info(screenshot(window, path), "%k")) > 8
    wait_for(f"{what} to be drawn", shot, timeout=20)


def save_through_dialog(path):
    dialog = wait_for("the save dialog", lambda: find_window(SAVE_TITLE))
    xdotool("windowfocus", "--sync", dialog)
    # Replace the offered name with the full path.
    xdotool("key", "End", "shift+Home", "BackSpace")
    xdotool("type", "--delay", "30", wine_path(path))
    xdotool("key", "Return")
    return dialog


def run(args):
    work = Path(args.work)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    layout = read_layout([args.wine_run, args.prefix, args.layout])
    centres = control_centres(layout)
    park_pointer()
    program = subprocess.Popen([args.wine_run, args.prefix, args.exe],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = wait_for("the Tilewright window", lambda: find_window("Tilewright"), timeout=60)
        xdotool("windowfocus", "--sync", window)
        start = work / "tilewright-start.png"
        wait_for_documented_screenshot(lambda: screenshot(window, start),
                                       lambda: start_screenshot_fault(start, centres),
                                       args.docs_screenshot, timeout=30)
        print(f"ok: screenshot at start saved as {start}")

        # From the name box past Create to the selected icon, which shows its focus ring.
        xdotool("key", "--delay", "50", "Tab", "Tab")
        left, top, _, height = layout["chk0"]
        focused = work / "tilewright-option-focus.png"
        wait_until_no_fault("a visible focus ring", lambda: focus_ring_fault(
            screenshot(window, focused), left, top, height), timeout=15)
        xdotool("key", "--delay", "50", "shift+Tab", "shift+Tab")
        print("ok: the focused option button has a ring that stands out")

        # The road of one request: type, pick icon 3, Create, choose a file.
        xdotool("type", "--delay", "50", "space race")
        click(window, centres, "chk3")
        click(window, centres, "cmdCreate")
        target = work / "SPACE RACE"
        save_through_dialog(target)
        data = wait_for_file(target)
        if data != expected_image("SPACE RACE", 3):
            raise Failure("the file does not hold the expected image of SPACE RACE with icon 3")
        print("ok: SPACE RACE with icon 3 written, 8192 bytes as expected")

        # Twenty characters: the error box, and nothing written.
        xdotool("windowfocus", "--sync", window)
        click(window, centres, "txtName")
        xdotool("type", "--delay", "30", "abcdefghijklmnopqrst")
        before = saved_files(work)
        xdotool("key", "Return")
        box = wait_for("the Error box", lambda: find_window("Error"), timeout=15)
        painted_screenshot(box, work / "tilewright-error.png", "the Error box")
        if find_window(SAVE_TITLE):
            raise Failure("the save dialog opened for a 20-character name")
        xdotool("windowfocus", "--sync", box)
        xdotool("key", "Return")
        wait_for("the Error box to close", lambda: not find_window("Error"), timeout=10)
        if saved_files(work) != before:
            raise Failure("something was written for a 20-character name")
        print("ok: a 20-character name brings up the Error box and writes nothing")

        # The name is still there: one backspace makes it 19 characters. Save over a file.
        existing = work / "existing.bin"
        existing.write_bytes(b"\xAA" * 100)
        xdotool("windowfocus", "--sync", window)
        xdotool("key", "BackSpace", "Return")
        dialog = save_through_dialog(existing)
        question = wait_for("the question before replacing",
                            lambda: other_window(window, dialog))
        painted_screenshot(question, work / "tilewright-replace.png", "the question")
        if existing.read_bytes() != b"\xAA" * 100:
            raise Failure("the existing file changed before the user answered")
        xdotool("windowfocus", "--sync", question)
        # Enter presses the question's default button, "Yes" in any language.
        xdotool("key", "Return")
        data = wait_for_file(existing)
        if data != expected_image("ABCDEFGHIJKLMNOPQRS", 0):
            raise Failure("the replaced file does not hold the expected 19-character image")
        print("ok: choosing an existing file asks first, then replaces it with 8192 bytes")

        xdotool("windowfocus", "--sync", window)
        xdotool("key", "alt+F4")
        code = program.wait(timeout=20)
        if code != 0:
            raise Failure(f"the program ended with exit code {code}")
        print("ok: closing the window ends the program")
    finally:
        if program.poll() is None:
            program.kill()


def other_window(*known):
    """A visible window of the program other than the known ones, such as a question box."""
    for window in xdotool("search", "--onlyvisible", "--name", ".+", check=False).split():
        if window not in known and xdotool("getwindowname", window, check=False) not in (
                "", "Default IME", "Tilewright"):
            return window
    return None


def start_screenshot_fault(path, centres):
    """What the screenshot lacks of the window at start, or None when it shows everything."""
    if pixel(path, 5, 5) != GREEN:
        return f"the window's background is {pixel(path, 5, 5)}, not {GREEN}"
    x, y = centres["Label1"]
    if white_pixels(path, x - 60, y - 6, 120, 12) < 20:
        return "no white text in Label1"
    x, y = centres["chk0"]
    if white_pixels(path, x - 5, y - 6, 30, 12) < 10:
        return "no white text beside chk0"
    x, y = centres["Image1"]
    if pixel(path, x, y - 120) == GREEN:
        return "the icon picture is not drawn"
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--layout", required=True, help="the print_layout program")
    parser.add_argument("--work", required=True)
    parser.add_argument("--docs-screenshot", required=True,
                        help="the README's picture of the window, to compare the screenshot with")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("needs an X display (scripts/test runs the tests under xvfb-run)")
        return 1
    try:
        run(args)
    except (Failure, subprocess.SubprocessError) as error:
        print(f"FAILED: {error}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
