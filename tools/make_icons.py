#!/usr/bin/env python3
"""Draws Tilewright's pictures: the icon picture shown beside the option buttons
(assets/icons.bmp) and the application icon (assets/app-icon/).

Standard library only. Every output is a pure function of the fixed seed below, so running the
generator again gives the same bytes; the tests check that.

    python3 tools/make_icons.py            # rewrite the files under assets/
    python3 tools/make_icons.py --out DIR  # write the same tree under DIR instead
"""

import argparse
import math
import pathlib
import struct
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import pixel_formats  # noqa: E402  (the file writers live beside this script)

SEED = 0x7117E5

PICTURE_WIDTH = 207
PICTURE_HEIGHT = 539

# Where each icon's drawing stands in the picture, inclusive pixel bounds, icons 1 to 5. The
# window scales the picture into its frame so that each box lands beside its option button.
ICON_BOXES = (
    # (top, bottom, left, right)
    (128, 171, 33, 92),
    (220, 262, 4, 147),
    (309, 353, 34, 147),
    (400, 444, 5, 202),
    (485, 529, 33, 149),
)

APP_ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
ICO_SIZES = (16, 32, 48, 256)

# ---------------------------------------------------------------------------------------------
# Colours

# The background's limits, per channel, inclusive; the mottling never leaves them.
BACKGROUND_RANGE = ((15, 32), (72, 103), (0, 32))
BACKGROUND_TYPICAL = (16, 88, 16)

OUTLINE = (40, 24, 72)  # deep violet: a sprite's edge, dark but never black
SKIN = {
    "skin": (196, 188, 248),
    "skin_light": (228, 224, 255),
    "skin_shade": (150, 140, 220),
    "skin_deep": (112, 100, 188),
}
FEATURES = {
    "eye_white": (255, 255, 255),
    "pupil": (32, 24, 88),
    "lid": (56, 40, 112),
    "mouth": (168, 56, 120),
    "mouth_dark": (104, 32, 88),
}
HAIR = {
    "blue": {"hair": (40, 96, 240), "hair_light": (120, 176, 255), "hair_dark": (24, 48, 168)},
    "red": {"hair": (224, 40, 32), "hair_light": (255, 128, 88), "hair_dark": (144, 16, 24)},
    "dark": {"hair": (72, 56, 56), "hair_light": (120, 100, 96), "hair_dark": (44, 34, 38)},
}
SLASH = {
    "slash": (0, 56, 8),
    "slash_light": (24, 96, 24),
    "slash_edge": (0, 32, 0),
}
GUN = {
    "gun": (0, 0, 0),
    "gun_shine": (72, 72, 88),
    "gun_grey": (40, 40, 52),
}
BURST = {
    "burst_core": (232, 248, 255),
    "burst": (136, 208, 255),
    "burst_edge": (56, 144, 240),
}

# ---------------------------------------------------------------------------------------------
# Randomness


class Rng:
    """xorshift32: tiny, and the same numbers on every Python, unlike the random module's
    derived methods, which have changed between versions."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF or 1

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def unit(self):
        """A number in [-1, 1)."""
        return self.next() / 2147483648.0 - 1.0


# ---------------------------------------------------------------------------------------------
# Sprites: grids of colour names, None where transparent


class Sprite:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.cells = [[None] * width for _ in range(height)]

    def get(self, x, y):
        if 0 <= x < self.width and 0 <= y < self.height:
            return self.cells[y][x]
        return None

    def put(self, x, y, name):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.cells[y][x] = name

    def fill(self, inside, name, only=None):
        """Paints every cell whose centre satisfies inside(u, v), with u and v the centre's
        position as a fraction of the width and height; `only` limits it to cells already
        painted with one of those names."""
        for y in range(self.height):
            v = (y + 0.5) / self.height
            for x in range(self.width):
                if only is not None and self.cells[y][x] not in only:
                    continue
                if inside((x + 0.5) / self.width, v):
                    self.cells[y][x] = name

    def rect(self, left, top, width, height, name):
        for y in range(top, top + height):
            for x in range(left, left + width):
                self.put(x, y, name)

    def stamp(self, left, top, rows, legend):
        """Copies a small hand-drawn pattern; '.' leaves a cell as it is."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != ".":
                    self.put(left + dx, top + dy, legend[ch])

    def outline(self, name, keep=()):
        """Turns every painted cell that touches a transparent one (or the sprite's border)
        into `name`, the dark edge that makes a sprite read on any background."""
        edge = []
        for y in range(self.height):
            for x in range(self.width):
                cell = self.cells[y][x]
                if cell is None or cell in keep:
                    continue
                if any(self.get(x + dx, y + dy) is None
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                    edge.append((x, y))
        for x, y in edge:
            self.cells[y][x] = name

    def bounds(self):
        xs = [x for row in self.cells for x, c in enumerate(row) if c is not None]
        ys = [y for y, row in enumerate(self.cells) if any(c is not None for c in row)]
        return min(xs), min(ys), max(xs), max(ys)

    def mirrored(self):
        out = Sprite(self.width, self.height)
        out.cells = [list(reversed(row)) for row in self.cells]
        return out


def ellipse(cu, cv, ru, rv):
    return lambda u, v: ((u - cu) / ru) ** 2 + ((v - cv) / rv) ** 2 <= 1.0


def polygon(points):
    """Even-odd point-in-polygon test over points given in fractions of the sprite."""

    def inside(u, v):
        result = False
        n = len(points)
        for i in range(n):
            (u1, v1), (u2, v2) = points[i], points[(i + 1) % n]
            if (v1 > v) != (v2 > v) and u < u1 + (v - v1) * (u2 - u1) / (v2 - v1):
                result = not result
        return result

    return inside


# ---------------------------------------------------------------------------------------------
# The drawings


def drawFace(width, height, hair):
    """One face, filling exactly width x height: bushy hair of the given colour over a pale
    violet-blue face with big eyes, in the manner of an arcade character portrait."""
    s = Sprite(width, height)
    # The hair's back: wide enough to reach both sides, tall enough to reach the top.
    s.fill(ellipse(0.5, 0.40, 0.5, 0.40), "hair")
    s.fill(lambda u, v: v < 0.60 and abs(u - 0.5) < 0.47 and v > 0.30, "hair")
    # Ears, then the face, whose jaw narrows towards the chin on the bottom row.
    s.fill(ellipse(0.175, 0.60, 0.075, 0.11), "skin")
    s.fill(ellipse(0.825, 0.60, 0.075, 0.11), "skin")

    def face(u, v):
        if v < 0.2:
            return False
        half = 0.31 if v < 0.62 else 0.31 * math.sqrt(max(0.0, 1 - ((v - 0.62) / 0.40) ** 2))
        return abs(u - 0.5) <= max(half, 0.085 if v < 1.0 else 0)

    s.fill(face, "skin")
    # Jagged bangs across the forehead.
    def bangs(u, v):
        if abs(u - 0.5) > 0.34:
            return False
        phase = ((u - 0.5) / 0.13) % 1.0
        tooth = 1.0 - abs(phase * 2 - 1)
        return v < 0.33 + 0.09 * tooth

    s.fill(bangs, "hair")
    # Side locks down past the ears.
    s.fill(lambda u, v: 0.30 < v < 0.52 and abs(u - 0.5) > 0.27, "hair", only=("skin",))

    # Shading: a light crown, dark hair edges, the face's right side in shadow.
    s.fill(ellipse(0.40, 0.13, 0.22, 0.08), "hair_light", only=("hair",))
    s.fill(lambda u, v: abs(u - 0.5) > 0.42 or v < 0.04, "hair_dark", only=("hair",))
    s.fill(lambda u, v: u > 0.66 and v > 0.40, "skin_shade", only=("skin",))
    s.fill(lambda u, v: u < 0.38 and 0.66 < v < 0.76, "skin_light", only=("skin",))

    # Eyes: placed in whole pixels so both look alike.
    eye_w = max(3, round(width * 0.13))
    eye_h = max(3, round(height * 0.15))
    eye_top = round(height * 0.48)
    gap = round(width * 0.09)
    left_eye = width // 2 - gap // 2 - eye_w
    right_eye = width - left_eye - eye_w
    for ex in (left_eye, right_eye):
        s.rect(ex, eye_top, eye_w, eye_h, "eye_white")
        s.rect(ex, eye_top - 1, eye_w, 1, "lid")
        pw = max(1, eye_w // 2)
        ph = max(1, eye_h - 1)
        px = ex + (eye_w - pw) // 2
        s.rect(px, eye_top + eye_h - ph, pw, ph, "pupil")
        # A glint keeps the eye alive when the picture is halved.
        if eye_w >= 5:
            s.put(px, eye_top + eye_h - ph, "eye_white")
    # Brows in the hair's dark colour.
    brow_top = eye_top - max(2, round(height * 0.08))
    for ex in (left_eye, right_eye):
        s.rect(ex, brow_top, eye_w, max(1, round(height * 0.04)), "hair_dark")

    # Nose and mouth.
    nose_y = round(height * 0.71)
    s.rect(width // 2 - 1, nose_y, 2, max(1, round(height * 0.05)), "skin_deep")
    mouth_w = max(3, round(width * 0.16))
    mouth_y = round(height * 0.84)
    mx = (width - mouth_w) // 2
    s.rect(mx, mouth_y, mouth_w, max(1, round(height * 0.04)), "mouth_dark")
    s.rect(mx + 1, mouth_y + max(1, round(height * 0.04)), mouth_w - 2, 1, "mouth")

    s.outline("outline")
    return s


def drawSlash(width, height):
    """A dark green stroke from bottom left to top right."""
    s = Sprite(width, height)
    t = 0.36
    s.fill(polygon([(0.0, 1.0), (t, 1.0), (1.0, 0.0), (1.0 - t, 0.0)]), "slash")
    s.fill(polygon([(t * 0.55, 1.0), (t * 0.75, 1.0), (1.0 - t * 0.25, 0.0),
                    (1.0 - t * 0.45, 0.0)]), "slash_light", only=("slash",))
    s.outline("slash_edge")
    return s


def drawGun(width, height):
    """A black pistol seen from its side, muzzle to the left."""
    s = Sprite(width, height)
    W, H = width, height

    def px(x, y):
        return (x / W, y / H)

    # Barrel and slide.
    s.fill(polygon([px(0, 8), px(64, 8), px(64, 19), px(0, 19)]), "gun")
    s.fill(polygon([px(18, 4), px(W, 4), px(W, 24), px(18, 24)]), "gun")
    # Front sight and hammer.
    s.fill(polygon([px(3, 4), px(8, 4), px(8, 8), px(3, 8)]), "gun")
    s.fill(polygon([px(W - 10, 0), px(W - 3, 0), px(W, 4), px(W - 12, 4)]), "gun")
    # Grip, raked back, down to the bottom row.
    s.fill(polygon([px(W - 30, 22), px(W, 22), px(W, H), px(W - 20, H)]), "gun")
    # Trigger guard: a loop below the frame.
    s.fill(polygon([px(W - 52, 22), px(W - 28, 22), px(W - 28, 37), px(W - 46, 37),
                    px(W - 52, 30)]), "gun")
    s.fill(polygon([px(W - 48, 24), px(W - 30, 24), px(W - 30, 34), px(W - 44, 34),
                    px(W - 48, 29)]), None)
    s.fill(polygon([px(W - 40, 24), px(W - 37, 24), px(W - 35, 31), px(W - 38, 31)]), "gun")

    # Shine along the top of the barrel and slide, and checkering on the grip.
    s.rect(1, 9, 62, 1, "gun_shine")
    s.rect(19, 5, W - 20, 1, "gun_shine")
    s.rect(19, 14, W - 20, 1, "gun_grey")
    for y in range(27, H - 3, 3):
        for x in range(W - 24, W - 3, 3):
            if s.get(x, y) == "gun":
                s.put(x, y, "gun_grey")
    return s


def drawBurst(width, height):
    """A light-blue muzzle flash: an eight-pointed star with a white-hot core."""
    s = Sprite(width, height)
    cx, cy = 0.55, 0.5

    def star(scale):
        pts = []
        for k in range(16):
            angle = math.pi * k / 8
            r = (1.0 if k % 2 == 0 else 0.42) * scale
            # Longer rays along the barrel's line.
            stretch = 1.0 + 0.25 * abs(math.cos(angle))
            pts.append((cx + 0.5 * r * stretch * math.cos(angle) / 1.25 * (1 / 0.9),
                        cy + 0.5 * r * math.sin(angle)))
        return polygon(pts)

    s.fill(star(1.0), "burst")
    s.fill(star(0.55), "burst_core")
    s.outline("burst_edge")
    return s


# ---------------------------------------------------------------------------------------------
# The icon picture


def mottledBackground(width, height, rng):
    """Soft blotches of mid-green: value noise on an 8-pixel grid, a finer layer on a 3-pixel
    grid, and a little grain, kept inside the background's limits."""

    def grid(step):
        gw, gh = width // step + 2, height // step + 2
        return step, [[rng.unit() for _ in range(gw)] for _ in range(gh)]

    def sample(layer, x, y):
        step, g = layer
        fx, fy = x / step, y / step
        ix, iy = int(fx), int(fy)
        tx, ty = fx - ix, fy - iy
        tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)
        top = g[iy][ix] * (1 - tx) + g[iy][ix + 1] * tx
        bottom = g[iy + 1][ix] * (1 - tx) + g[iy + 1][ix + 1] * tx
        return top * (1 - ty) + bottom * ty

    coarse = grid(9)
    fine = grid(3)
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            n = 0.7 * sample(coarse, x, y) + 0.3 * sample(fine, x, y)
            grain = rng.unit()
            r = BACKGROUND_TYPICAL[0] + round(3 + 4 * n + grain)
            g = BACKGROUND_TYPICAL[1] + round(12 * n + 1.5 * grain)
            b = BACKGROUND_TYPICAL[2] + round(7 * n + grain)
            pixel = (r, g, b)
            row.append(tuple(min(hi, max(lo, c))
                             for c, (lo, hi) in zip(pixel, BACKGROUND_RANGE)))
        rows.append(row)
    return rows


PALETTE = {"outline": OUTLINE, **SKIN, **FEATURES, **SLASH, **GUN, **BURST}


def paint(rows, sprite, left, top, hair=None):
    palette = dict(PALETTE)
    if hair is not None:
        palette.update(HAIR[hair])
    for y in range(sprite.height):
        for x in range(sprite.width):
            cell = sprite.cells[y][x]
            if cell is not None:
                rows[top + y][left + x] = palette[cell]


def layoutRow(box, parts):
    """Places parts (kind, width, hair) side by side across a box: the first touches its left
    edge, the last its right edge, the spare columns shared out as gaps between them."""
    top, bottom, left, right = box
    total = right - left + 1
    spare = total - sum(width for _, width, _ in parts)
    gaps = len(parts) - 1
    placed = []
    x = left
    for i, part in enumerate(parts):
        placed.append((x, part))
        if i < gaps:
            gap = spare // gaps + (1 if i < spare % gaps else 0)
            x += part[1] + gap
    return placed


def drawPicture():
    rng = Rng(SEED)
    rows = mottledBackground(PICTURE_WIDTH, PICTURE_HEIGHT, rng)
    icon_parts = (
        (("face", 60, "blue"),),
        (("face", 56, "dark"), ("slash", 22, None), ("face", 56, "red")),
        (("face", 56, "blue"), ("face", 56, "red")),
        (("face", 54, "dark"), ("slash", 22, None), ("face", 54, "blue"), ("face", 54, "red")),
    )
    for box, parts in zip(ICON_BOXES, icon_parts):
        top, bottom = box[0], box[1]
        height = bottom - top + 1
        for x, (kind, width, hair) in layoutRow(box, parts):
            if kind == "face":
                paint(rows, drawFace(width, height, hair), x, top, hair)
            else:
                paint(rows, drawSlash(width, height), x, top)
    # The gun, its muzzle flash overlapping the barrel's end.
    top, bottom, left, right = ICON_BOXES[4]
    height = bottom - top + 1
    gun_width = 88
    burst_width = (right - left + 1) - gun_width + 4
    burst = drawBurst(burst_width, 27)
    gun = drawGun(gun_width, height)
    paint(rows, gun, right - gun_width + 1, top)
    paint(rows, burst, left, top + 13 - burst.height // 2 + 1)
    return rows


# ---------------------------------------------------------------------------------------------
# The application icon: icon 1's face on a tile of the window's green


def drawAppIcon(size):
    """RGBA rows of one size of the application icon."""
    if size > 48:
        # The larger sizes are the 32-pixel drawing with each pixel made a square block, so
        # they stay crisp pixel art rather than a blurred enlargement.
        small = drawAppIcon(32)
        factor = size // 32
        return [[small[y // factor][x // factor] for x in range(size)] for y in range(size)]
    tile_green = (0, 64, 0, 255)
    rim = (24, 112, 24, 255)
    radius = max(2, size // 6)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            dx = max(radius - x - 0.5, x + 0.5 - (size - radius), 0)
            dy = max(radius - y - 0.5, y + 0.5 - (size - radius), 0)
            d = math.hypot(dx, dy)
            if d > radius:
                row.append((0, 0, 0, 0))
            elif d > radius - 1 or x == 0 or y == 0 or x == size - 1 or y == size - 1:
                row.append(rim)
            else:
                row.append(tile_green)
        rows.append(row)
    margin = max(1, size // 16)
    face = drawFace(size - 2 * margin, size - 2 * margin, "blue")
    palette = dict(PALETTE)
    palette.update(HAIR["blue"])
    for y in range(face.height):
        for x in range(face.width):
            cell = face.cells[y][x]
            if cell is not None:
                rows[margin + y][margin + x] = palette[cell] + (255,)
    return rows


# ---------------------------------------------------------------------------------------------


def outputs():
    """Every file the generator writes: relative path -> bytes."""
    files = {"assets/icons.bmp": pixel_formats.bmp24(drawPicture())}
    icons = {size: drawAppIcon(size) for size in APP_ICON_SIZES}
    for size in APP_ICON_SIZES:
        files[f"assets/app-icon/tilewright-{size}.png"] = pixel_formats.png(icons[size])
    files["assets/app-icon/tilewright.ico"] = pixel_formats.ico(
        [icons[size] for size in ICO_SIZES])
    files["assets/app-icon/tilewright.svg"] = pixel_formats.svg(icons[32], 256)
    return files


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    root = pathlib.Path(__file__).resolve().parent.parent
    parser.add_argument("--out", type=pathlib.Path, default=root,
                        help="folder to write assets/ into (default: the source tree)")
    args = parser.parse_args(argv)
    for relative, data in outputs().items():
        path = args.out / relative
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
