#!/usr/bin/env python3
"""Draws the images of a default skin and puts the skin into the program folder.

    draw_skins.py SKIN.zs OUTDIR

Reads the skin file (the layout, written by layout_skins.py), draws every image it
names at the size its element has, then copies the skin file into OUTDIR; the copy
comes last so that the build can take it as the sign that the folder is complete.

What an image shows follows from where the skin uses it: a button's cells from the
button's name, a level's fill from the level's name, the background from the
elements placed on it. Shapes are drawn four times larger and reduced, so edges are
smooth at 1x; colours are flat, so they survive the 16-bit screen without banding.
Masks are 8-bit grey pictures in which white lets the layer below show through.
"""
import os
import re
import shutil
import subprocess
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFont

BACKGROUND = (0x1C, 0x1F, 0x24)
SURFACE = (0x26, 0x2A, 0x31)
LINE = (0x3A, 0x40, 0x4A)
TEXT = (0xE8, 0xEA, 0xED)
SECONDARY = (0x9A, 0xA0, 0xA6)
RED = (0xE5, 0x48, 0x4D)
GREEN = (0x30, 0xA4, 0x6C)
YELLOW = (0xF5, 0xD9, 0x0A)
AMBER = (0xF5, 0xA5, 0x24)

SS = 4  # supersampling factor

# Buttons with states (normal, active, paused) have seven cells, the others three:
# normal, normal pressed, ..., and the disabled cell last.
STATE_BUTTONS = ("Rec", "Play")


# ---------------------------------------------------------------------------
# Reading the skin file

class Node:
    def __init__(self, tag, parent):
        self.tag = tag
        self.parent = parent
        self.attrs = {}
        self.pos = None
        self.children = []

    def origin(self):
        """Frame coordinates of this node's position origin: the nearest enclosing
        element that is drawn (frames, sprites and the root are not)."""
        x = y = 0
        p = self.parent
        while p is not None and p.tag not in (None, "frame"):
            if p.tag != "sprite" and p.pos is not None and p.tag not in ("filelist", "filedir"):
                x += p.pos[0]
                y += p.pos[1]
            p = p.parent
        return x, y

    def rect(self):
        ox, oy = self.origin()
        x, y, w, h = self.pos
        if self.tag in ("filelist", "filedir"):
            w, h = w - x, h - y
        return ox + x, oy + y, w, h

    def walk(self):
        yield self
        for child in self.children:
            yield from child.walk()


TOKEN = re.compile(r'\s*(?:(</|/>|[<>=\[\],])|("[^"]*")|(-?0x[0-9a-fA-F]+|-?\d+)|([a-z][a-z0-9]*))')


def parse(path):
    text = open(path).read()
    tokens = []
    pos = 0
    while True:
        m = TOKEN.match(text, pos)
        if not m or m.end() == pos:
            break
        pos = m.end()
        punct, string, number, name = m.groups()
        if punct:
            tokens.append(("p", punct))
        elif string is not None:
            tokens.append(("s", string[1:-1]))
        elif number is not None:
            tokens.append(("n", int(number, 0)))
        else:
            tokens.append(("id", name))
    if text[pos:].strip():
        sys.exit("%s: cannot read past offset %d" % (path, pos))
    root = Node(None, None)
    stack = [root]
    i = 0
    while i < len(tokens):
        kind, value = tokens[i]
        if value == "</":
            stack.pop()
            i += 3
            continue
        assert value == "<", (path, i, tokens[i])
        node = Node(tokens[i + 1][1], stack[-1])
        stack[-1].children.append(node)
        i += 2
        while tokens[i][1] not in (">", "/>"):
            if tokens[i][1] == "[":
                j = tokens.index(("p", "]"), i)
                node.pos = [v for k, v in tokens[i + 1:j] if k == "n"]
                i = j + 1
            elif i + 1 < len(tokens) and tokens[i + 1][1] == "=":
                key = tokens[i][1]
                if tokens[i + 2][1] == "[":
                    j = tokens.index(("p", "]"), i + 2)
                    node.attrs[key] = [v for k, v in tokens[i + 3:j] if k == "n"]
                    i = j + 1
                else:
                    node.attrs[key] = tokens[i + 2][1]
                    i += 3
            else:
                node.attrs[tokens[i][1]] = True
                i += 1
        if tokens[i][1] == ">":
            stack.append(node)
        i += 1
    return root


# ---------------------------------------------------------------------------
# Drawing helpers

def big(size):
    w, h = size
    return Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))


def reduce(image, size):
    """Area-averages a supersampled RGBA picture to `size`. Pillow averages with
    premultiplied alpha, so edge pixels keep the colour of the shape and the alpha
    carries the coverage."""
    return image.resize(size, Image.BOX)


def flatten(image, backdrop):
    """The picture as the screen shows it without its mask: over `backdrop`."""
    base = Image.new("RGBA", image.size, backdrop + (255,))
    base.alpha_composite(image)
    return base.convert("RGB")


def opaque_colours(image, backdrop):
    """Colour picture for a masked layer: full colour where anything is drawn (the
    mask blends the edges), the backdrop elsewhere."""
    out = Image.new("RGB", image.size, backdrop)
    solid = image.convert("RGB")
    out.paste(solid, (0, 0), image.split()[3].point(lambda v: 255 if v else 0))
    return out


def mask_of(image):
    """8-bit layer mask: 0 where the picture is opaque, 255 where it is clear."""
    return image.split()[3].point(lambda v: 255 - v)


def shade(colour, factor):
    return tuple(max(0, min(255, R(c * factor))) for c in colour)


def R(v):
    return int(round(v))


def crisp_bar(draw, cx, cy, half_w, half_h, colour):
    """A bar around (cx, cy) in supersampled units whose edges fall on whole pixels
    of the final picture, so a 2 px stroke stays two sharp pixels."""
    def snap(v):
        return R(v / SS) * SS
    x0, x1 = snap(cx - half_w), snap(cx + half_w)
    y0, y1 = snap(cy - half_h), snap(cy + half_h)
    if x1 <= x0:
        x1 = x0 + SS
    if y1 <= y0:
        y1 = y0 + SS
    draw.rectangle([x0, y0, x1 - 1, y1 - 1], fill=colour)


def circle(draw, cx, cy, radius, fill):
    draw.ellipse([cx - radius, cy - radius, cx + radius, cy + radius], fill=fill)


def rounded(draw, box, radius, fill):
    draw.rounded_rectangle(box, radius=radius, fill=fill)


# ---------------------------------------------------------------------------
# Icons, drawn into a supersampled square cell of side n (already scaled)

def icon_triangle(draw, cx, cy, size, colour, direction=1):
    """An equilateral-looking triangle pointing right (1) or left (-1), its visual
    centre on (cx, cy)."""
    h = size
    w = size * 0.87
    left = cx - w * 0.42 * direction
    right = cx + w * 0.58 * direction
    draw.polygon([(left, cy - h / 2), (left, cy + h / 2), (right, cy)], fill=colour)


def icon_double(draw, cx, cy, size, colour, direction):
    w = size * 0.5
    for k in (-1, 1):
        x = cx + k * w * 0.5 * direction
        left = x - w * 0.5 * direction
        right = x + w * 0.5 * direction
        draw.polygon([(left, cy - size * 0.42), (left, cy + size * 0.42), (right, cy)],
                     fill=colour)


def icon_pause(draw, cx, cy, size, colour):
    bw = size * 0.28
    gap = size * 0.22
    for k in (-1, 1):
        x = cx + k * (gap / 2 + bw / 2)
        crisp_bar(draw, x, cy, bw / 2, size / 2, colour)


def icon_speaker(draw, cx, cy, size, colour, sign, stroke):
    box = size * 0.28
    x0 = cx - size * 0.55
    crisp_bar(draw, x0 + box * 0.4, cy, box * 0.4, box / 2, colour)
    draw.polygon([(x0 + box * 0.5, cy - box / 2), (x0 + box * 1.6, cy - size * 0.42),
                  (x0 + box * 1.6, cy + size * 0.42), (x0 + box * 0.5, cy + box / 2)],
                 fill=colour)
    sx = cx + size * 0.32
    arm = size * 0.2
    crisp_bar(draw, sx, cy, arm, stroke / 2, colour)
    if sign > 0:
        crisp_bar(draw, sx, cy, stroke / 2, arm, colour)


def icon_sort(draw, cx, cy, size, colour, stroke):
    for k, length in enumerate((1.0, 0.72, 0.44)):
        y = cy - size * 0.3 + k * size * 0.3
        x0 = cx - size * 0.5
        crisp_bar(draw, x0 + size * length / 2, y, size * length / 2, stroke / 2, colour)


def button_cell(name, w, h, state, pressed, scale):
    """One cell of a button, supersampled and with transparency outside its shape."""
    image = big((w, h))
    draw = ImageDraw.Draw(image)
    n = min(w, h) * SS
    cx, cy = w * SS / 2.0, h * SS / 2.0
    inset = SS if pressed else 0  # pressed: 1 px smaller all round ...
    dark = 0.82 if pressed else 1.0  # ... and a little darker
    radius = n / 2.0 - inset
    stroke = max(2.0, 2.0 * scale) * SS  # 2 px at 480 wide
    if name == "SortBy":
        bg = LINE if pressed else SURFACE
        rounded(draw, [inset, inset, w * SS - inset - 1, h * SS - inset - 1], n * 0.2, bg)
        icon_sort(draw, cx, cy, n * 0.42, shade(TEXT, dark), stroke)
        return image
    if name == "Rec":
        if state == 0:
            circle(draw, cx, cy, radius, shade(SURFACE, dark))
            ring = max(2.0, 2.0 * scale) * SS
            circle(draw, cx, cy, radius - ring, shade(BACKGROUND, dark))
            circle(draw, cx, cy, radius - ring * 2, shade(SURFACE, dark))
            circle(draw, cx, cy, n * 0.22, shade(RED, dark))
        elif state == 1:
            circle(draw, cx, cy, radius, shade(RED, dark))
            circle(draw, cx, cy, n * 0.11, shade((255, 255, 255), dark))
        else:
            circle(draw, cx, cy, radius, shade(AMBER, dark))
            icon_pause(draw, cx, cy, n * 0.3, shade(BACKGROUND, dark))
        return image
    fill = {0: SURFACE, 1: GREEN, 2: AMBER}[state if name == "Play" else 0]
    ink = BACKGROUND if fill == AMBER else TEXT
    circle(draw, cx, cy, radius, shade(fill, dark))
    ink = shade(ink, dark)
    size = n * 0.36
    if name == "Play":
        icon_triangle(draw, cx, cy, size, ink)
    elif name == "Stop":
        side = size * 0.82
        crisp_bar(draw, cx, cy, side / 2, side / 2, ink)
    elif name == "Prev":
        icon_double(draw, cx, cy, size, ink, -1)
    elif name == "Next":
        icon_double(draw, cx, cy, size, ink, 1)
    elif name in ("VolUp", "VolDown"):
        icon_speaker(draw, cx, cy, n * 0.5, ink, 1 if name == "VolUp" else -1, stroke)
    else:
        sys.exit("no drawing for a button named %s" % name)
    return image


def disabled(cell, backdrop):
    """Grey at 40 %: the normal cell without colour, mixed into the backdrop."""
    grey = cell.convert("L")
    bands = [grey.point(lambda g, b=b: R(0.4 * g + 0.6 * b)) for b in backdrop]
    return Image.merge("RGBA", bands + [cell.split()[3]])


def draw_button(node, scale, backdrop):
    x, y, w, h = node.rect()
    name = node.attrs["name"]
    cells = []
    states = (0, 1, 2) if name in STATE_BUTTONS else (0,)
    for state in states:
        for pressed in (False, True):
            cells.append(reduce(button_cell(name, w, h, state, pressed, scale), (w, h)))
    cells.append(disabled(cells[0], backdrop))
    strip = Image.new("RGB", (w, h * len(cells)), backdrop)
    for i, cell in enumerate(cells):
        strip.paste(opaque_colours(cell, backdrop), (0, i * h))
    # The layer mask is one cell: the shape of the normal cell.
    return strip, mask_of(cells[0])


# ---------------------------------------------------------------------------
# Levels, sliders, the clock

def meter_segments(w, h, scale):
    seg = max(3, R(6 * scale))
    gap = max(1, R(2 * scale))
    x = 0
    while x < w:
        yield x, min(w, x + seg)
        x += seg + gap


def meter_colour(fraction):
    if fraction < 0.7:
        return GREEN
    if fraction < 0.88:
        return YELLOW
    return RED


def draw_meter(w, h, scale, lit):
    image = Image.new("RGB", (w, h), BACKGROUND)
    draw = ImageDraw.Draw(image)
    for x0, x1 in meter_segments(w, h, scale):
        colour = meter_colour((x0 + x1) / 2.0 / w) if lit else LINE
        draw.rectangle([x0, 0, x1 - 1, h - 1], fill=colour)
    return image


def bar(w, h, colour):
    image = big((w, h))
    rounded(ImageDraw.Draw(image), [0, 0, w * SS - 1, h * SS - 1], h * SS / 2.0, colour)
    return reduce(image, (w, h))


def thumb(w, h, colour):
    image = big((w, h))
    draw = ImageDraw.Draw(image)
    circle(draw, w * SS / 2.0, h * SS / 2.0, w * SS / 2.0, colour)
    return reduce(image, (w, h))


def font_path(bold=False):
    pattern = "DejaVu Sans:style=" + ("Bold" if bold else "Book")
    try:
        found = subprocess.run(["fc-match", "-f", "%{file}", pattern], capture_output=True,
                               text=True, check=True).stdout.strip()
        if found:
            return found
    except (OSError, subprocess.CalledProcessError):
        pass
    return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def draw_digits(cellW, cellH):
    """The clock's strip: 0-9, minus, colon, each centred in its cell on a common
    baseline. The picture is flat text colour; the mask holds the glyphs."""
    path = font_path()
    size = cellH
    while size > 6:
        font = ImageFont.truetype(path, size * SS)
        l, t, r, b = font.getbbox("0123456789")
        widest = max(font.getbbox(c)[2] - font.getbbox(c)[0] for c in "0123456789")
        if b - t <= (cellH - 2) * SS and widest <= (cellW - 2) * SS:
            break
        size -= 1
    top = (cellH * SS - (b - t)) / 2.0 - t
    coverage = Image.new("L", (12 * cellW * SS, cellH * SS), 0)
    draw = ImageDraw.Draw(coverage)
    for i, ch in enumerate("0123456789\u2212:"):
        gl, gt, gr, gb = font.getbbox(ch)
        x = i * cellW * SS + (cellW * SS - (gr - gl)) / 2.0 - gl
        draw.text((x, top), ch, font=font, fill=255)
    coverage = coverage.resize((12 * cellW, cellH), Image.BOX)
    return Image.new("RGB", coverage.size, TEXT), coverage.point(lambda v: 255 - v)


# ---------------------------------------------------------------------------
# Backgrounds

def frame_elements(frameNode):
    """The elements of one frame: the frame's subtree without nested frames."""
    for child in frameNode.children:
        if child.tag == "frame":
            continue
        yield child
        for sub in child.walk():
            if sub is not child and sub.tag != "frame":
                yield sub


def draw_background(frameNode, w, h, scale):
    image = big((w, h))
    draw = ImageDraw.Draw(image)
    draw.rectangle([0, 0, w * SS, h * SS], fill=BACKGROUND)
    named = {}
    for node in frame_elements(frameNode):
        if "name" in node.attrs:
            named[node.attrs["name"]] = node
    # The card of the recording list: from the folder bar to the bottom of the list.
    if "FileList" in named:
        lx, ly, lw, lh = named["FileList"].rect()
        dx, dy, dw, dh = named["FileDir"].rect()
        top = min(ly, dy)
        radius = max(4, R(10 * scale)) * SS
        rounded(draw, [lx * SS, top * SS, (lx + lw) * SS - 1, (ly + lh) * SS + radius // 2],
                radius, SURFACE)
        draw.rectangle([lx * SS, (ly - 1) * SS, (lx + lw) * SS - 1, ly * SS - 1], fill=LINE)
    # Grooves under the fills of the sliders.
    for level in ("PlayL", "VolL"):
        if level in named:
            x, y, lw, lh = named[level].rect()
            rounded(draw, [x * SS, y * SS, (x + lw) * SS - 1, (y + lh) * SS - 1],
                    lh * SS / 2.0, LINE)
    image = flatten(reduce(image, (w, h)), BACKGROUND)
    # The unlit meter, pixel-exact like its lit image.
    if "VolLevel" in named:
        x, y, mw, mh = named["VolLevel"].rect()
        image.paste(draw_meter(mw, mh, scale, False), (x, y))
    return image


# ---------------------------------------------------------------------------

def main():
    if len(sys.argv) != 3:
        sys.exit("usage: draw_skins.py SKIN.zs OUTDIR")
    source, outdir = sys.argv[1], sys.argv[2]
    root = parse(source)
    info = next(n for n in root.walk() if n.tag == "info")
    width, height = info.pos
    scale = min(width, height) / 480.0
    os.makedirs(outdir, exist_ok=True)
    images = {}

    def put(name, image):
        if name in images:
            sys.exit("%s: %s is named twice with different uses" % (source, name))
        images[name] = image

    for node in root.walk():
        file = node.attrs.get("file")
        if node.tag == "panel":
            frameNode = node.parent
            put(file, draw_background(frameNode, width, height, scale))
        elif node.tag == "button":
            strip, mask = draw_button(node, scale, BACKGROUND if node.attrs["name"] != "SortBy"
                                      else SURFACE)
            put(file, strip)
            if "alpha" in node.attrs:
                put(node.attrs["alpha"], mask)
        elif node.tag == "level":
            _, _, w, h = node.rect()
            name = node.attrs["name"]
            if name == "VolLevel":
                put(file, draw_meter(w, h, scale, True))
            else:
                colour = {"PlayL": GREEN, "RecL": RED, "VolL": SECONDARY}[name]
                put(file, flatten(bar(w, h, colour), LINE))
        elif node.tag == "sprite":
            w, h = node.attrs["src"][2:4]
            if node.parent.tag == "time":
                strip, mask = draw_digits(w // 12, h)
                put(file, strip)
                put(node.attrs["alpha"], mask)
            elif node.attrs.get("name") == "BM":
                put(file, Image.new("RGB", (w, h), AMBER))
            else:
                disc = thumb(w, h, TEXT)
                put(file, opaque_colours(disc, TEXT))
                put(node.attrs["alpha"], mask_of(disc))
    for name, image in images.items():
        image.save(os.path.join(outdir, name), optimize=True)
    shutil.copyfile(source, os.path.join(outdir, os.path.basename(source)))


if __name__ == "__main__":
    main()
