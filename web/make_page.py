#!/usr/bin/env python3
"""Puts the web page together as one file: page.html with the layout's blocks (from
page_layout), the style sheet, the core's script (the WebAssembly inside it), the page's
script and the icon picture as a PNG data: URL. The Content-Security-Policy lets the page run
exactly these scripts and style sheet and nothing from anywhere else."""

import argparse
import base64
import hashlib
import pathlib
import re
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools"))
import indexed_bmp  # noqa: E402
import pixel_formats  # noqa: E402


def read_blocks(text):
    """The blocks page_layout prints: a line "@@name", then the block's lines."""
    return {name: body.strip("\n")
            for name, body in re.findall(r"^@@([\w-]+)\n(.*?)(?=^@@|\Z)", text, re.M | re.S)}


def bmp_to_png(bmp):
    """A 24-bit BMP as an RGB PNG."""
    return pixel_formats.png([[(r, g, b) for b, g, r in row] for row in indexed_bmp.readPixels(bmp)])


def csp_hash(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    for name in ("template", "layout", "style", "core_script", "page_script", "picture",
                 "output"):
        parser.add_argument(name)
    args = parser.parse_args()

    def read(path):
        with open(path, encoding="utf-8") as f:
            return f.read()

    blocks = read_blocks(read(args.layout))
    with open(args.picture, "rb") as f:
        picture = "data:image/png;base64," + base64.b64encode(bmp_to_png(f.read())).decode()
    style = read(args.style).strip("\n") + "\n" + blocks["css"]
    scripts = [read(args.core_script).strip("\n"), read(args.page_script).strip("\n")]
    if any("</script" in script.lower() for script in scripts):
        raise SystemExit("a script holds </script, which would end it early in the page")
    # WebAssembly compiles under 'wasm-unsafe-eval'; nothing else is evaluated from text. The
    # core's script reads the WebAssembly inside it through fetch() of a data: URL.
    csp = ("default-src 'none'; img-src data:; connect-src data:; base-uri 'none'; "
           "form-action 'none'; "
           f"style-src {csp_hash(style)}; "
           f"script-src {csp_hash(scripts[0])} {csp_hash(scripts[1])} 'wasm-unsafe-eval'")
    values = {"csp": csp, "title": blocks["title"], "error-title": blocks["error-title"],
              "style": style, "controls": blocks["controls"].replace("@picture@", picture),
              "core-script": scripts[0], "page-script": scripts[1]}
    page = re.sub(r"@([\w-]+)@", lambda m: values[m.group(1)], read(args.template))
    with open(args.output, "w", encoding="utf-8") as f:
        f.write(page)


if __name__ == "__main__":
    main()
