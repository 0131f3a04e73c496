#!/usr/bin/env python3
"""Measures the web page (build/web/tilewright.html): its size, and the time from navigation to
a name box that takes keys (the page's "tilewright-ready" performance mark) in headless
Chromium, against a plain page with the same controls and no WebAssembly: the same file with
its scripts replaced by one that only makes the name box editable. The two load in turn in one
browser; medians are printed."""

import argparse
import os
import re
import statistics
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

READY = ("<script>txtName.readOnly = false; txtName.focus(); "
         "performance.mark('tilewright-ready');</script>")


def plain_page(page, folder):
    """The page without the core and its script, and without the policy that names them."""
    with open(page, encoding="utf-8") as f:
        html = f.read()
    html = re.sub(r'<meta http-equiv="Content-Security-Policy"[^>]*>\n', "", html)
    html = re.sub(r"<script>.*</script>", lambda _: READY, html, flags=re.S)
    path = os.path.join(folder, "plain.html")
    with open(path, "w", encoding="utf-8") as f:
        f.write(html)
    return path


def ready_time(browser, path):
    browser.get("file://" + os.path.abspath(path))
    mark = "return performance.getEntriesByName('tilewright-ready').map(m => m.startTime)"
    for _ in range(200):
        times = browser.execute_script(mark)
        if times:
            return times[0]
    sys.exit(f"{path} never became ready")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--page", default="build/web/tilewright.html")
    parser.add_argument("--runs", type=int, default=21)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="tilewright-bench-")
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--user-data-dir=" + folder):
        options.add_argument(flag)
    browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    pages = {"tilewright.html": args.page, "plain page": plain_page(args.page, folder)}
    times = {name: [] for name in pages}
    try:
        for _ in range(args.runs):
            for name, path in pages.items():
                times[name].append(ready_time(browser, path))
    finally:
        browser.quit()

    size = os.path.getsize(args.page)
    print(f"tilewright.html: {size} bytes ({size / 1024:.1f} KiB; goal under 256 KiB)")
    for name, values in times.items():
        print(f"{name}: median {statistics.median(values):.1f} ms to a name box that takes keys"
              f" (range {min(values):.1f}-{max(values):.1f} ms, {len(values)} runs)")
    ratio = statistics.median(times["tilewright.html"]) / statistics.median(times["plain page"])
    print(f"ratio: {ratio:.2f}x (goal at most 1.5x)")


if __name__ == "__main__":
    main()
