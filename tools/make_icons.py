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
    "dark": {"hair": (60, 46, 48), "hair_light": (108, 90, 88), "hair_dark": (36, 27, 32)},
}
SLASH = {
    "slash": (0, 56, 8),
    "slash_light": (36, 112, 36),
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

    def outline(self, name):
        """Turns every painted cell that touches a transparent one (or the sprite's border)
        into `name`, the dark edge that makes a sprite read on any background."""
        edge = []
        for y in range(self.height):
            for x in range(self.width):
                cell = self.cells[y][x]
                if cell is None:
                    continue
                if any(self.get(x + dx, y + dy) is None
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                    edge.append((x, y))
        for x, y in edge:
            self.cells[y][x] = name


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

    # The hair's mass: a dome with three spikes on the crown (the middle one reaches the top
    # row) and straight sides that reach both edges beside the ears.
    def dome(u, v):
        du = abs(u - 0.5)
        if v >= 0.40:
            return v < 0.64 and du <= 0.5 - max(0.0, v - 0.56) * 2.5
        return ((u - 0.5) / 0.5) ** 2 + ((v - 0.44) / 0.34) ** 2 <= 1.0

    s.fill(dome, "hair")
    for tip_u, tip_v in ((0.30, 0.05), (0.48, 0.0), (0.66, 0.05)):
        s.fill(polygon([(tip_u - 0.13, 0.28), (tip_u + 0.01, tip_v), (tip_u + 0.07, tip_v),
                        (tip_u + 0.13, 0.28)]), "hair")

    # Ears, then the face, whose jaw narrows to the chin on the bottom row.
    s.fill(ellipse(0.18, 0.60, 0.07, 0.10), "skin")
    s.fill(ellipse(0.82, 0.60, 0.07, 0.10), "skin")

    def face(u, v):
        if v < 0.2:
            return False
        if v < 0.62:
            half = 0.31
        else:
            half = 0.31 * math.sqrt(max(0.0, 1 - ((v - 0.62) / 0.40) ** 2))
        return abs(u - 0.5) <= max(half, 0.09)

    s.fill(face, "skin")

    # Jagged bangs across the forehead, and locks over the temples.
    def bangs(u, v):
        if abs(u - 0.5) > 0.34:
            return False
        phase = ((u - 0.5) / 0.125 + 0.5) % 1.0
        tooth = 1.0 - abs(phase * 2 - 1)
        return v < 0.32 + 0.10 * tooth

    s.fill(bangs, "hair", only=("skin",))
    s.fill(lambda u, v: 0.30 < v < 0.54 and abs(u - 0.5) > 0.26, "hair", only=("skin",))

    # Hair shading: a shine arc on the crown and darker sides, so the hair has volume.
    s.fill(lambda u, v: ellipse(0.45, 0.30, 0.34, 0.22)(u, v)
           and not ellipse(0.47, 0.34, 0.30, 0.21)(u, v), "hair_light", only=("hair",))
    s.fill(lambda u, v: abs(u - 0.5) > 0.43 or (v > 0.46 and abs(u - 0.5) > 0.36),
           "hair_dark", only=("hair",))
    # The face: shadow on its right side, following the jaw's curve, and under the hair.
    s.fill(lambda u, v: not ellipse(0.44, 0.50, 0.29, 0.52)(u, v), "skin_shade",
           only=("skin",))
    for y in range(height - 1, 0, -1):
        for x in range(width):
            if s.cells[y][x] == "skin" and s.cells[y - 1][x] in ("hair", "hair_dark"):
                s.cells[y][x] = "skin_shade"

    # Eyes, placed in whole pixels so both look alike: a lid line, the white and a tall pupil
    # looking slightly inwards, with a glint.
    eye_w = max(3, round(width * 0.13))
    eye_h = max(3, round(height * 0.16))
    eye_top = round(height * 0.48)
    gap = round(width * 0.10)
    left_eye = width // 2 - gap // 2 - eye_w
    right_eye = width - left_eye - eye_w
    for ex, inward in ((left_eye, 1), (right_eye, -1)):
        s.rect(ex, eye_top, eye_w, eye_h, "eye_white")
        s.rect(ex - (1 if inward > 0 else 0), eye_top - 1, eye_w + 1, 1, "lid")
        pw = max(1, (eye_w + 1) // 2)
        ph = max(1, eye_h - 1)
        px = ex + (eye_w - pw if inward > 0 else 0) if eye_w >= 5 else ex + (eye_w - pw) // 2
        s.rect(px, eye_top, pw, ph, "pupil")
        if eye_w >= 5:
            s.put(px + (0 if inward > 0 else pw - 1), eye_top, "eye_white")
        s.rect(ex, eye_top + eye_h, eye_w, 1, "skin_shade")
    # Brows in the hair's dark colour, just under the bangs.
    brow_top = eye_top - max(2, round(height * 0.08))
    for ex in (left_eye, right_eye):
        s.rect(ex, brow_top, eye_w, max(1, round(height * 0.04)), "hair_dark")

    # Nose: a short line of shadow; mouth: a small open smile.
    nose_y = round(height * 0.68)
    nose_h = max(1, round(height * 0.07))
    s.rect(width // 2, nose_y, 1, nose_h, "skin_deep")
    s.rect(width // 2 - 1, nose_y + nose_h, 2, 1, "skin_deep")
    mouth_w = max(3, round(width * 0.18))
    mouth_y = round(height * 0.83)
    mx = (width - mouth_w) // 2
    s.rect(mx, mouth_y, mouth_w, 1, "mouth_dark")
    if height >= 24:
        s.rect(mx + 1, mouth_y + 1, mouth_w - 2, max(1, round(height * 0.04)), "mouth")
        s.put(mx - 1, mouth_y - 1, "mouth_dark")
        s.put(mx + mouth_w, mouth_y - 1, "mouth_dark")

    s.outline("outline")
    return s


def drawSlash(width, height):
    """A dark green stroke from bottom left to top right."""
    s = Sprite(width, height)
    t = 0.46
    s.fill(polygon([(0.0, 1.0), (t, 1.0), (1.0, 0.0), (1.0 - t, 0.0)]), "slash")
    s.fill(polygon([(t * 0.15, 1.0), (t * 0.40, 1.0), (1.0 - t * 0.60, 0.0),
                    (1.0 - t * 0.85, 0.0)]), "slash_light", only=("slash",))
    s.outline("slash_edge")
    return s


def pixelPolygon(width, height, points):
    """polygon() over points given in pixels of a width x height sprite."""
    return polygon([(x / width, y / height) for x, y in points])


def drawGun(width, height):
    """A black pistol seen from its side, muzzle to the left: the hammer reaches the top row,
    the grip the bottom row and the right edge."""
    s = Sprite(width, height)
    W, H = width, height

    def shape(points, name, only=None):
        s.fill(pixelPolygon(W, H, points), name, only)

    shape([(5, 8), (6, 7), (W - 3, 7), (W - 3, 19), (5, 19)], "gun")  # slide
    shape([(0, 10), (6, 10), (6, 18), (0, 18)], "gun")  # muzzle
    shape([(8, 4), (12, 4), (12, 8), (8, 8)], "gun")  # front sight
    shape([(W - 13, 4), (W - 8, 4), (W - 8, 8), (W - 13, 8)], "gun")  # rear sight
    shape([(W - 7, 8), (W - 5, 0), (W - 1, 1), (W - 2, 8)], "gun")  # hammer spur
    shape([(10, 19), (W - 3, 19), (W - 3, 24), (10, 24), (10, 19)], "gun")  # frame
    # Trigger guard: a loop hanging under the frame, and the trigger inside it.
    shape([(24, 23), (48, 23), (48, 36), (32, 36), (24, 31)], "gun")
    shape([(27, 25), (45, 25), (45, 33), (33, 33), (28, 29)], None)
    shape([(38, 24), (41, 24), (43, 31), (40, 31)], "gun")
    # Grip, raked back, down to the bottom row.
    shape([(48, 22), (W - 3, 18), (W, H), (W - 24, H)], "gun")

    # Shine and detail in dark greys, so that the black reads as metal.
    s.rect(6, 8, W - 10, 1, "gun_shine")
    s.rect(1, 11, 4, 1, "gun_shine")
    s.rect(6, 19, W - 10, 1, "gun_grey")
    for x in range(W - 22, W - 8, 2):
        s.rect(x, 11, 1, 6, "gun_grey")
    for x, y, w, h in ((40, 11, 14, 1), (40, 15, 14, 1), (40, 11, 1, 5), (53, 11, 1, 5)):
        s.rect(x, y, w, h, "gun_grey")
    # Checkering on the grip.
    grip_panel = pixelPolygon(W, H, [(53, 25), (W - 6, 22), (W - 4, H - 4), (W - 22, H - 4)])
    for y in range(26, H - 4, 3):
        for x in range(W - 30 + (y % 2), W - 4, 3):
            if s.get(x, y) == "gun" and grip_panel((x + 0.5) / W, (y + 0.5) / H):
                s.put(x, y, "gun_grey")
    s.rect(W - 24, H - 2, 24, 2, "gun_grey")
    return s


def drawBurst(width, height, centre_x):
    """A light-blue muzzle flash centred at centre_x: a star of long and short rays around a
    white-hot core, its longest ray pointing away from the gun."""
    s = Sprite(width, height)
    cy = height / 2
    up = height / 2
    # Rays on an ellipse that reaches from the flash's centre to the sprite's edges, so the
    # flash is longest along the line of fire: eight long rays, short ones between them.

    def reach(angle):
        a = centre_x if math.cos(angle) < 0 else width - centre_x
        return 1.0 / math.hypot(math.cos(angle) / a, math.sin(angle) / up)

    def star(scale):
        points = []
        for k in range(32):
            angle = math.pi * k / 16
            r = reach(angle) * (1.0, 0.5, 0.75, 0.5)[k % 4]
            points.append((centre_x + scale * r * math.cos(angle),
                           cy - scale * r * math.sin(angle)))
        return pixelPolygon(width, height, points)

    s.fill(star(1.0), "burst")
    s.fill(star(0.55), "burst_core")
    s.outline("burst_edge")
    return s


# ---------------------------------------------------------------------------------------------
# The icon picture


def mottledBackground(width, height, rng):
    """Soft blotches of mid-green: value noise on a 9-pixel grid, a finer layer on a 3-pixel
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


def isBackground(colour):
    return all(lo <= c <= hi for c, (lo, hi) in zip(colour, BACKGROUND_RANGE))


def paint(rows, sprite, left, top, hair=None):
    palette = dict(PALETTE)
    if hair is not None:
        palette.update(HAIR[hair])
    # A drawing's colour inside the background's limits would blur the line between the two,
    # on which the tests and anyone editing the picture rely.
    for name, colour in palette.items():
        if isBackground(colour):
            raise ValueError(f"{name} {colour} lies within the background's colours")
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
        (("face", 56, "dark"), ("slash", 26, None), ("face", 56, "red")),
        (("face", 56, "blue"), ("face", 56, "red")),
        (("face", 54, "dark"), ("slash", 26, None), ("face", 54, "blue"), ("face", 54, "red")),
    )
    for box, parts in zip(ICON_BOXES, icon_parts):
        top, bottom = box[0], box[1]
        height = bottom - top + 1
        for x, (kind, width, hair) in layoutRow(box, parts):
            if kind == "face":
                paint(rows, drawFace(width, height, hair), x, top, hair)
            else:
                paint(rows, drawSlash(width, height), x, top)
    # The gun, its muzzle flash behind the barrel's end and centred on the bore.
    top, bottom, left, right = ICON_BOXES[4]
    height = bottom - top + 1
    gun_width = 86
    gun_left = right - gun_width + 1
    bore = top + 14
    burst_width = gun_left - left + 8
    burst = drawBurst(burst_width, 2 * (bore - top) + 1, burst_width - 15)
    paint(rows, burst, left, top)
    paint(rows, drawGun(gun_width, height), gun_left, top)
    return rows


# ---------------------------------------------------------------------------------------------
# The application icon: icon 1's face on a tile of the window's green


SMALL_FACE = (
    "....######....",
    "..##hhllhh##..",
    ".#hlllhhhhhd#.",
    "#hllhhhhhhhhd#",
    "#hlhhhhhhhhhd#",
    "#dhshhshhshhd#",
    "#hssddssddszd#",
    "#hsswpsspwszd#",
    "#hsswpsspwszd#",
    ".#sssssssszz#.",
    ".#ssssssZszz#.",
    "..#sssssszz#..",
    "..#ssMMMMsz#..",
    "....######....",
)
SMALL_FACE_LEGEND = {
    "#": "outline", "h": "hair", "l": "hair_light", "d": "hair_dark", "s": "skin",
    "z": "skin_shade", "Z": "skin_deep", "w": "eye_white", "p": "pupil", "M": "mouth_dark",
}


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
    if size < 24:
        # Too few pixels for the drawn face to keep both eyes: a hand-placed one instead.
        face = Sprite(14, 14)
        face.stamp(0, 0, SMALL_FACE, SMALL_FACE_LEGEND)
        margin = (size - 14) // 2
    else:
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
