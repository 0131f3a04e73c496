#!/usr/bin/env python3
"""Uses the web page from file:// in headless Chromium through WebDriver, as a person would:
typing, a paste, an input method, an icon by mouse, Create with the save dialog (a stand-in
that records what the page asks for and keeps what it writes) or with a download; the error
box; the spoken names and the accessibility audit; the controls' places against the window's
layout and a screenshot."""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from end_to_end_support import GREEN, expected_image, pixel, read_layout, wait_for  # noqa: E402

ARGS = None

# Stands in for the browser's save dialog: records the options, then cancels or hands out a
# file whose written bytes are kept in savedFiles.
SAVE_DIALOG = """
window.pickerCalls = []; window.savedFiles = []; window.pickerCancels = false;
window.showSaveFilePicker = async (options) => {
    pickerCalls.push(JSON.parse(JSON.stringify(options)));
    if (pickerCancels) throw new DOMException("The user aborted a request.", "AbortError");
    const bytes = [];
    return {createWritable: async () => ({write: async (data) => bytes.push(...data),
                                          close: async () => savedFiles.push(bytes)})};
};"""

PASTE = """
const data = new DataTransfer();
data.setData("text/plain", arguments[0]);
document.activeElement.dispatchEvent(new InputEvent("beforeinput", {
    inputType: "insertFromPaste", dataTransfer: data, cancelable: true, bubbles: true}));"""


# The role each control has for a screen reader. The names come from
# tests/support/spoken_names.h, which the windows are checked against too.
ROLES = {"txtName": "textbox", "cmdCreate": "button", "Image1": "image",
         **{f"chk{i}": "radio" for i in range(6)}}


class PageTest(unittest.TestCase):
    def setUp(self):
        self.downloads = tempfile.mkdtemp(prefix="tilewright-web-")
        options = webdriver.ChromeOptions()
        options.binary_location = ARGS.chromium
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--window-size=400,600",
                     "--user-data-dir=" + os.path.join(self.downloads, "profile")):
            options.add_argument(flag)
        options.add_experimental_option("prefs", {"download.default_directory": self.downloads})
        self.browser = webdriver.Chrome(service=Service(ARGS.chromedriver), options=options)
        self.browser.get("file://" + os.path.abspath(ARGS.page))
        wait_for("the name box to take keys", lambda: self.run_js(
            "return document.activeElement.id === 'txtName' && !txtName.readOnly"))

    def tearDown(self):
        logs = [entry["message"] for entry in self.browser.get_log("browser")]
        self.browser.quit()
        shutil.rmtree(self.downloads, ignore_errors=True)
        self.assertEqual(logs, [], "the page logged errors (a refused script or style?)")

    def run_js(self, script, *args):
        return self.browser.execute_script(script, *args)

    def state(self):
        """The name box's text, the selected icon and the focused control's id."""
        return self.run_js("return [txtName.value, document.querySelector(':checked').id,"
                           " document.activeElement.id]")

    def type_keys(self, *keys):
        self.browser.switch_to.active_element.send_keys(*keys)

    def test_scenario_with_the_save_dialog(self):
        self.run_js(SAVE_DIALOG)
        self.type_keys("sPa%ce r~aCe")
        self.run_js(PASTE, "é 2!x\u263a")
        self.browser.execute_cdp_cmd("Input.imeSetComposition",  # an input method's text
                                     {"text": "かx", "selectionStart": 2, "selectionEnd": 2})
        self.browser.execute_cdp_cmd("Input.insertText", {"text": "かb1"})
        self.browser.find_element("css selector", "label[for=chk3]").click()
        self.assertEqual(self.state(), ["SPACE RACE 2!XB1", "chk3", "txtName"])
        self.browser.find_element("id", "cmdCreate").click()
        wait_for("the saved file", lambda: self.run_js("return savedFiles.length"))
        self.assertEqual(self.run_js("return pickerCalls"), [{
            "suggestedName": "SPACE RACE 2!XB1", "types": [{
                "description": "Binary Files (*.BIN)",
                "accept": {"application/octet-stream": [".BIN"]}}]}])
        self.assertEqual(bytes(self.run_js("return savedFiles[0]")),
                         expected_image("SPACE RACE 2!XB1", 3))
        self.assertEqual(self.state(), ["", "chk0", "txtName"])

        # Twenty characters: the error box, then everything as it was, the focus in the name box
        # although the button was clicked. Then Create by Enter in the name box.
        self.browser.find_element("id", "chk2").send_keys(Keys.SPACE)
        self.type_keys("abcdefghijklmnopqrst")
        self.type_keys(Keys.CONTROL + "a")
        self.type_keys("%", Keys.END)  # swallowed: the selected name stays
        self.browser.find_element("id", "cmdCreate").click()
        self.assertEqual(self.run_js("return [errorBox.open, errorTitle.textContent, "
                                     "errorText.textContent, document.activeElement.textContent]"),
                         [True, "Error", "Name must be 19 Characters or Less.", "OK"])
        self.type_keys(Keys.ENTER)
        self.assertEqual(self.state(), ["ABCDEFGHIJKLMNOPQRST", "chk2", "txtName"])

        # Nineteen, and the save dialog cancelled: nothing written, nothing reset.
        self.run_js("pickerCancels = true")
        self.type_keys(Keys.BACKSPACE, Keys.ENTER)
        wait_for("the save dialog", lambda: self.run_js("return pickerCalls.length == 2"))
        self.assertEqual(self.run_js("return [errorBox.open, savedFiles.length]"), [False, 1])
        self.assertEqual(self.state(), ["ABCDEFGHIJKLMNOPQRS", "chk2", "txtName"])

    def test_download_where_there_is_no_save_dialog(self):
        self.run_js("delete window.showSaveFilePicker")
        self.type_keys('Dr. "z"')
        self.browser.find_element("id", "chk5").click()
        self.browser.find_element("id", "cmdCreate").click()
        path = os.path.join(self.downloads, "DR. _Z_")
        wait_for("the download", lambda: os.path.exists(path) and os.path.getsize(path) == 8192)
        with open(path, "rb") as f:
            self.assertEqual(f.read(), expected_image('DR. "Z"', 5))
        self.assertEqual(self.state(), ["", "chk0", "txtName"])

    def test_tab_order_names_and_accessibility(self):
        order = []
        for _ in range(3):
            order.append(self.run_js("return document.activeElement.id"))
            self.type_keys(Keys.TAB)
        self.assertEqual(order, ["txtName", "cmdCreate", "chk0"])
        said = subprocess.run(ARGS.print_spoken_names, capture_output=True, text=True,
                              check=True).stdout
        names = dict(line.split("\t") for line in said.splitlines())
        expected = {name: (names[name], role) for name, role in ROLES.items()}
        found = {name: (element.accessible_name, element.aria_role) for name in expected
                 for element in [self.browser.find_element("id", name)]}
        self.assertEqual(found, expected)
        with open(ARGS.axe, encoding="utf-8") as f:
            self.run_js(f.read())
        audit = "return (await axe.run(document)).violations.map(v => v.id + ': ' + v.help);"
        self.assertEqual(self.run_js(audit), [])
        self.run_js("errorBox.showModal()")
        self.assertEqual(self.run_js(audit), [], "with the error box open")

    def test_layout_and_look(self):
        layout = read_layout(ARGS.print_layout)
        places = self.run_js("""
            const form = Form1.getBoundingClientRect();
            return Object.fromEntries(arguments[0].map(name => {
                const option = name.startsWith("chk") && document.querySelector(`[for=${name}]`);
                const r = (option || window[name]).getBoundingClientRect();
                return [name, [r.left - form.left, r.top - form.top, r.width, r.height]];
            }));""", list(layout))
        self.assertEqual(places, {name: list(box) for name, box in layout.items()})
        shot = os.path.join(ARGS.screenshots, "tilewright-web.png")
        os.makedirs(ARGS.screenshots, exist_ok=True)
        self.browser.find_element("id", "Form1").screenshot(shot)
        x, y, *_ = layout["Image1"]
        self.assertEqual(pixel(shot, 2, 2), GREEN)
        red, green, blue = pixel(shot, x + 20, y + 2)  # the picture's mottled background
        self.assertTrue(red <= 32 and 72 <= green <= 103 and blue <= 32, (red, green, blue))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for option in ("page", "chromium", "chromedriver", "axe", "screenshots"):
        parser.add_argument("--" + option, required=True)
    for option in ("print-layout", "print-spoken-names"):
        parser.add_argument("--" + option, nargs="+", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest])
