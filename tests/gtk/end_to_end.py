#!/usr/bin/env python3
"""Uses the real tilewright program as a person would, through the X server with xdotool:
types a name, picks an icon, presses Create, answers the real save dialog and checks the file
that comes out. Also: a name that is too long, and replacing an existing file. Saves a
screenshot of the window at start. Needs a display (the test command provides Xvfb)."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from end_to_end_support import (GREEN, SAVE_TITLE, expected_image,  # noqa: E402
                                focus_ring_fault, image_info, park_pointer, pixel,
                                read_layout, screenshot, wait_for,
                                wait_for_documented_screenshot, wait_until_no_fault,
                                white_pixels, xdotool)

ARGS = None
TIMEOUT = 20.0  # seconds; the sanitizer build starts slowly


class TilewrightEndToEnd(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="tilewright-e2e-")
        self.layout = read_layout([ARGS.layout])
        park_pointer()
        # Settings in memory: no dconf, which would warn that it finds no session bus. No
        # animations and a steady text cursor, so that a screenshot does not depend on timing.
        config = self.config = tempfile.mkdtemp(prefix="tilewright-e2e-config-")
        os.makedirs(os.path.join(config, "gtk-3.0"))
        with open(os.path.join(config, "gtk-3.0", "settings.ini"), "w") as settings:
            settings.write("[Settings]\ngtk-enable-animations=false\ngtk-cursor-blink=false\n")
        self.program = self.start()
        self.main = wait_for("the main window", lambda: self.window_named("^Tilewright$"))
        self.focus(self.main)

    def start(self, theme=None):
        env = dict(os.environ, NO_AT_BRIDGE="1", GSETTINGS_BACKEND="memory",
                   XDG_CONFIG_HOME=self.config)
        if theme:
            env["GTK_THEME"] = theme
        return subprocess.Popen([ARGS.program], cwd=self.folder, env=env)

    def themed_window(self, theme):
        """The window of a second program under the given theme, closed by the test."""
        program = self.start(theme)
        self.addCleanup(program.wait, timeout=TIMEOUT)
        self.addCleanup(program.terminate)
        window = wait_for(theme, lambda: [w for w in xdotool(
            "search", "--onlyvisible", "--pid", program.pid, check=False).split()
            if xdotool("getwindowname", w, check=False) == "Tilewright"])[0]
        self.focus(window)
        return window

    def tearDown(self):
        self.assertIsNone(self.program.poll(), "the program ended by itself")
        self.program.terminate()
        self.program.wait(timeout=TIMEOUT)
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.rmtree(self.config, ignore_errors=True)

    # ---- helpers ----

    def windows(self):
        out = xdotool("search", "--onlyvisible", "--pid", self.program.pid, check=False)
        return out.split()

    def window_named(self, pattern):
        for window in self.windows():
            if re.search(pattern, xdotool("getwindowname", window, check=False)):
                return window
        return None

    def focus(self, window):
        # The test display has no window manager to give a new window the keyboard.
        xdotool("windowfocus", "--sync", window)

    def click(self, control):
        left, top, width, height = self.layout[control]
        xdotool("mousemove", "--window", self.main, left + width // 2, top + height // 2)
        xdotool("click", "1")

    def type(self, text):
        xdotool("type", "--delay", "30", text)

    def key(self, *keys):
        xdotool("key", "--delay", "30", *keys)

    def files(self):
        return sorted(os.listdir(self.folder))

    def read(self, name):
        with open(os.path.join(self.folder, name), "rb") as f:
            return f.read()

    def save_dialog(self):
        dialog = wait_for("the save dialog",
                          lambda: self.window_named("^" + re.escape(SAVE_TITLE) + "$"))
        self.focus(dialog)
        return dialog

    def save_in_folder(self):
        """Answers the save dialog with the offered name in the test's folder."""
        self.save_dialog()
        self.key("Home")
        self.type(self.folder + "/")
        self.key("Return")
        self.wait_until_only_main_window()

    def wait_until_only_main_window(self):
        wait_for("the dialogs to close", lambda: self.windows() == [self.main])

    # ---- the tests ----

    def test_window_at_start(self):
        os.makedirs(ARGS.screenshots, exist_ok=True)
        shot = os.path.join(ARGS.screenshots, "tilewright-start.png")

        def fault():
            size = image_info(shot, "%w,%h")
            if size != "200,406":
                return f"the window is {size} pixels, not 200,406"
            corner = pixel(shot, 2, 2)
            if corner != GREEN:
                return f"its background is {corner}, not {GREEN}"
            if white_pixels(shot, *self.layout["Label1"]) < 20:
                return "the name box's caption is not drawn in white"
            return None

        wait_for_documented_screenshot(lambda: screenshot(self.main, shot), fault,
                                       ARGS.docs_screenshot, timeout=TIMEOUT)
        print(f"screenshot: {shot}")

    def test_high_contrast_theme_colours_the_window(self):
        for theme, background in (("HighContrast", (253, 253, 252)),
                                  ("HighContrastInverse", (48, 48, 48))):
            with self.subTest(theme=theme):
                shot = os.path.join(self.folder, f"{theme}.png")
                window = self.themed_window(theme)
                wait_for("the theme's background", lambda: pixel(
                    screenshot(window, shot), 2, 2) == background, TIMEOUT)

    def test_focused_option_button_has_a_ring_that_stands_out(self):
        left, top, _, height = self.layout["chk0"]
        for theme in (None, "HighContrast"):
            with self.subTest(theme=theme):
                window = self.themed_window(theme) if theme else self.main
                self.key("Tab", "Tab")  # from the name box past Create to the selected icon
                shot = os.path.join(self.folder, f"focus-{theme}.png")
                wait_until_no_fault("a visible focus ring", lambda: focus_ring_fault(
                    screenshot(window, shot), left, top, height), TIMEOUT)

    def test_space_race_with_two_faces(self):
        self.type("space race")
        self.click("chk3")
        self.click("cmdCreate")
        self.save_in_folder()
        path = "SPACE RACE"
        wait_for("the file", lambda: path in self.files() and len(self.read(path)) == 8192)
        self.assertEqual(self.files(), [path])  # no extension added, nothing else left
        self.assertEqual(self.read(path), expected_image("SPACE RACE", 3))

        # The window was reset: the next name starts empty with no icon.
        self.focus(self.main)
        self.type("ok")
        self.key("Return")  # Enter in the name box presses Create
        self.save_in_folder()
        wait_for("the second file", lambda: "OK" in self.files())
        self.assertEqual(self.read("OK"), expected_image("OK", 0))

    def test_twenty_characters_bring_up_the_error_box(self):
        self.type("abcdefghijklmnopqrst")
        self.click("cmdCreate")
        box = wait_for("the Error box", lambda: self.window_named("^Error$"))
        self.assertIsNone(self.window_named(re.escape(SAVE_TITLE)))
        self.focus(box)
        self.key("Return")
        self.wait_until_only_main_window()
        self.assertEqual(self.files(), [])

        # The long name is still there: removing one character makes it acceptable.
        self.focus(self.main)
        self.click("txtName")
        self.key("End", "BackSpace")
        self.click("cmdCreate")
        self.save_in_folder()
        wait_for("the 19-character file", lambda: self.files() == ["ABCDEFGHIJKLMNOPQRS"])

    def test_replacing_an_existing_file_is_asked_first(self):
        old = os.path.join(self.folder, "OLD.BIN")
        with open(old, "wb") as f:
            f.write(b"old contents")
        self.type("space race")
        self.click("chk3")
        self.click("cmdCreate")
        dialog = self.save_dialog()
        self.key("ctrl+a")
        self.type(old)
        self.key("Return")
        question = wait_for("the question before replacing",
                            lambda: [w for w in self.windows() if w not in (self.main, dialog)])[0]
        self.assertEqual(self.read("OLD.BIN"), b"old contents")
        self.focus(question)
        # Enter presses the question's default button, "Replace" in any language.
        self.key("Return")
        self.wait_until_only_main_window()
        wait_for("the replaced file", lambda: len(self.read("OLD.BIN")) == 8192)
        self.assertEqual(self.read("OLD.BIN"), expected_image("SPACE RACE", 3))
        self.assertEqual(self.files(), ["OLD.BIN"])


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--layout", required=True)
    parser.add_argument("--screenshots", required=True)
    parser.add_argument("--docs-screenshot", required=True,
                        help="the README's picture of the window, to compare the screenshot with")
    ARGS, rest = parser.parse_known_args()
    if not os.environ.get("DISPLAY"):
        print("This test drives the window and needs a display (run it under xvfb-run).")
        return 1
    return 0 if unittest.main(argv=[sys.argv[0], "-v", *rest], exit=False).result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
