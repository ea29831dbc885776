#!/usr/bin/env python3
"""Writes the twelve default skin files, Skins/<folder>/default.zs.

The skin files are the layout; draw_skins.py reads them and draws every image they
name at the sizes they give. Run this by hand after changing the layout rules and
commit the .zs files it writes:

    python3 Skins/src/layout_skins.py

Every size shares one set of rules, scaled by `s` (1.0 is a 480 pixel wide portrait
screen), so a rotation or a resize keeps the same family of controls:

  portrait   title, time, level meter, track bar, transport row, volume row, and the
             recording list (folder bar with SortBy at its corner) below them;
  landscape  the same controls on the left, the list on the right (also the squares);
  pages      the smallest sizes: controls only on the main page, the list on a page
             of its own, a frame holding an element named "Files".

Positions are x, y, width, height, except for filelist and filedir, whose four
numbers are left, top, right and bottom (right and bottom exclusive).
"""
import os

SKINS = [
    # folder, width, height, arrangement
    ("default", 240, 320, "portrait"),
    ("default_land", 320, 240, "landscape"),
    ("default_qvga_sq", 320, 320, "landscape"),
    ("default_vga", 480, 640, "portrait"),
    ("default_vga_land", 640, 480, "landscape"),
    ("default_sq", 240, 240, "pages"),
    ("default_vga_sq", 480, 480, "landscape"),
    ("default_sp", 176, 220, "pages"),
    ("default_wqvga", 240, 400, "portrait"),
    ("default_wqvga_land", 400, 240, "landscape"),
    ("default_wvga", 480, 800, "portrait"),
    ("default_wvga_land", 800, 480, "landscape"),
]

FONT = "DejaVu Sans"
TEXT = (232, 234, 237)
SECONDARY = (154, 160, 166)


def R(v):
    return int(round(v))


class Writer:
    def __init__(self):
        self.lines = []
        self.depth = 0

    def tag(self, tagName, pos=None, close=True, **attrs):
        parts = [tagName]
        if pos is not None:
            parts.append("[" + ",".join(str(int(v)) for v in pos) + "]")
        for key, value in attrs.items():
            if value is True:
                parts.append(key)
            elif isinstance(value, str):
                parts.append('%s="%s"' % (key, value))
            elif isinstance(value, (list, tuple)):
                parts.append("%s=[%s]" % (key, ",".join(str(int(v)) for v in value)))
            else:
                parts.append("%s=%d" % (key, value))
        self.lines.append("  " * self.depth + "<" + " ".join(parts) + ("/>" if close else ">"))
        if not close:
            self.depth += 1

    def end(self, name):
        self.depth -= 1
        self.lines.append("  " * self.depth + "</%s>" % name)

    def text(self):
        return "\n".join(self.lines) + "\n"


class Metrics:
    """The sizes of one skin, from its scale and its smaller screen side."""

    def __init__(self, width, height, s):
        short = min(width, height)
        self.s = s
        self.margin = max(4, R(12 * s))
        self.gap = max(4, R(10 * s))
        # Touch targets: 44 px at 480 wide, 32 px at 240; the smallest screen a bit less.
        self.minButton = 32 if short >= 240 else 28
        self.button = max(self.minButton, R(64 * s))
        self.small = max(self.minButton, R(44 * s))
        self.titleSize = max(11, R(16 * s))
        self.titleHeight = self.titleSize + max(4, R(8 * s))
        self.digitHeight = max(20, R(52 * s))
        self.meterHeight = max(6, R(10 * s))
        self.trackHeight = max(20, R(40 * s))
        self.barHeight = max(3, R(4 * s))
        self.thumb = max(11, R(20 * s)) | 1
        self.listBar = self.small


def time_element(w, m, x0, y, width):
    """The clock: [sign][h] : [m][m] : [s][s], centred in the given width."""
    height = m.digitHeight
    cell = R(height * 0.68)
    gap = max(4, R(cell * 0.42))
    total = 6 * cell + 2 * gap
    if total > width:
        scale = width / total
        height = R(height * scale)
        cell = R(height * 0.68)
        gap = max(4, R(cell * 0.42))
        total = 6 * cell + 2 * gap
    # Centre the digits; the sign cell on their left is used only by a negative time
    # of an hour or more.
    x = max(x0, x0 + (width - total + cell) // 2 - cell)
    cells = {"sign": 0, "h": cell, "m10": 2 * cell + gap, "m1": 3 * cell + gap,
             "s10": 4 * cell + 2 * gap, "s1": 5 * cell + 2 * gap}
    digits = [cells["s1"], cells["s10"], cells["m1"], cells["m10"], cells["h"], cells["sign"]]
    # A separator cell is as wide as a digit cell; its colon stands centred in the gap.
    ticks = [4 * cell + gap + gap // 2 - cell // 2, 2 * cell + gap // 2 - cell // 2]
    w.tag("time", [x, y, total, height], close=False, digits=digits, ticks=ticks, name="Time")
    w.tag("sprite", file="digits.png", alpha="digits_mask.png", src=[0, 0, 12 * cell, height])
    w.end("time")
    return height


def slider(w, m, name, x, y, width, height, levels, thumbFile, marks):
    """A horizontal slider: a thin bar centred in its height, a round thumb whose
    centre runs from end to end of the bar, bookmark ticks above the bar."""
    d = m.thumb if name == "Track" else max(13, R(m.thumb * 1.1)) | 1
    w.tag("slider", [x, y, width, height], close=False, name=name)
    bar = m.barHeight
    barY = (height - bar) // 2
    for levelName, levelFile in levels:
        w.tag("level", [d // 2, barY, width - d, bar], file=levelFile,
              src=[0, 0, width - d, bar], name=levelName)
    if marks:
        tick = max(2, R(2 * m.s))
        w.tag("sprite", file="mark.png", src=[0, 0, tick, max(4, barY - 1)], name="BM")
    w.tag("sprite", file=thumbFile, alpha=thumbFile.replace(".png", "_mask.png"),
          src=[0, 0, d, height])
    w.end("slider")


def transport(w, m, x0, y, width):
    """Prev, Rec, Play, Stop, Next in one row when Rec can stay the largest with room
    around every button; otherwise Rec on the left and the other four in a square."""
    b = m.button
    rec = max(R(0.27 * width), R(b * 1.6))
    spare = width - 4 * b - rec
    if spare >= 4 * max(4, R(8 * m.s)):
        step = spare / 4.0
        buttons = [("Prev", b), ("Rec", rec), ("Play", b), ("Stop", b), ("Next", b)]
        x = float(x0)
        for name, size in buttons:
            w.tag("button", [R(x), y + (rec - size) // 2, size, size], file=name.lower() + ".png",
                  alpha=name.lower() + "_mask.png", name=name)
            x += size + step
        return rec
    g = max(4, R(8 * m.s))
    b = min(b, (width - 3 * g) // 4 + 0)
    rec = 2 * b + g
    while rec + 2 * b + 2 * g > width and b > m.minButton:
        b -= 1
        rec = 2 * b + g
    rx = x0 + (width - (rec + g + 2 * b + g)) // 2
    w.tag("button", [rx, y, rec, rec], file="rec.png", alpha="rec_mask.png", name="Rec")
    gx = rx + rec + g
    grid = [("Play", 0, 0), ("Stop", 1, 0), ("Prev", 0, 1), ("Next", 1, 1)]
    for name, col, row in grid:
        w.tag("button", [gx + col * (b + g), y + row * (b + g), b, b], file=name.lower() + ".png",
              alpha=name.lower() + "_mask.png", name=name)
    return rec


def controls(w, m, x0, y0, width, height, spread):
    """Everything but the list, top to bottom inside the column. With `spread` the
    spare height is shared out between the rows; otherwise it is returned."""
    inner = width - 2 * m.margin
    x = x0 + m.margin
    rows = [m.titleHeight, m.digitHeight, m.meterHeight, m.trackHeight, None, m.small]
    # The transport height depends on the arrangement; measure it with a throw-away writer.
    probe = Writer()
    rows[4] = transport(probe, m, x, 0, inner)
    gaps = [m.gap // 2, m.gap, m.gap, m.gap + m.gap // 2, m.gap + m.gap // 2]
    used = m.margin + sum(rows) + sum(gaps)
    extra = 0
    if spread:
        extra = max(0, (height - used - m.margin)) / (len(gaps) + 2)
    y = float(y0 + m.margin + extra)

    def advance(row, gapIndex):
        nonlocal y
        y += row + (gaps[gapIndex] + extra if gapIndex < len(gaps) else 0)

    yi = R(y)
    for name in ("Title", "Info"):
        w.tag("text", [x, yi, inner, m.titleHeight], font=FONT, size=m.titleSize,
              color=list(TEXT), center=True, scrolling=True, name=name)
    advance(m.titleHeight, 0)
    rows[1] = time_element(w, m, x, R(y), inner)
    advance(rows[1], 1)
    w.tag("level", [x, R(y), inner, m.meterHeight], file="meter.png",
          src=[0, 0, inner, m.meterHeight], name="VolLevel")
    advance(m.meterHeight, 2)
    slider(w, m, "Track", x, R(y), inner, m.trackHeight,
           [("PlayL", "track_play.png"), ("RecL", "track_rec.png")], "thumb.png", True)
    advance(m.trackHeight, 3)
    transport(w, m, x, R(y), inner)
    advance(rows[4], 4)
    vy = R(y)
    w.tag("button", [x, vy, m.small, m.small], file="voldown.png", alpha="voldown_mask.png",
          name="VolDown")
    sliderX = x + m.small + m.gap
    sliderW = inner - 2 * (m.small + m.gap)
    slider(w, m, "Volume", sliderX, vy, sliderW, m.small, [("VolL", "volume_fill.png")],
           "volume_thumb.png", False)
    w.tag("button", [x + inner - m.small, vy, m.small, m.small], file="volup.png",
          alpha="volup_mask.png", name="VolUp")
    return R(y + m.small)


def recording_list(w, m, x, y, width, height):
    """The card of the list: the folder bar with SortBy at its right corner, the list
    below. draw_skins.py draws the card from these three elements."""
    bar = m.listBar
    pad = max(4, R(8 * m.s))
    w.tag("filedir", [x + pad, y, x + width - bar, y + bar], name="FileDir")
    w.tag("button", [x + width - bar, y, bar, bar], file="sortby.png", name="SortBy")
    w.tag("filelist", [x, y + bar + 1, x + width, y + height - pad // 2], name="FileList",
          style="NOT WS_BORDER")


def write_skin(folder, width, height, arrangement):
    w = Writer()
    kind = {"portrait": "portrait", "landscape": "landscape" if width != height else "square",
            "pages": "compact, with the recording list on a page of its own"}[arrangement]
    w.tag("info", [width, height], name="Default", author="Tonilo",
          comments="Calm dark default skin, %s" % kind)
    w.tag("panel", [0, 0], file="back.png", name="Back")
    if arrangement == "portrait":
        m = Metrics(width, height, width / 480.0)
        bottom = controls(w, m, 0, 0, width, height, False)
        top = bottom + m.gap + m.gap // 2
        recording_list(w, m, m.margin, top, width - 2 * m.margin, height - top - m.margin)
    elif arrangement == "landscape":
        m = Metrics(width, height, min(width, height) / 480.0)
        column = R(width * 0.55)
        controls(w, m, 0, 0, column, height, True)
        left = column
        recording_list(w, m, left, m.margin, width - left - m.margin, height - 2 * m.margin)
    else:
        m = Metrics(width, height, width / 480.0 * 1.15)
        controls(w, m, 0, 0, width, height, True)
        w.tag("frame", close=False, name="Files")
        w.tag("panel", [0, 0], file="files_back.png", name="FilesBack")
        recording_list(w, m, m.margin, m.margin, width - 2 * m.margin, height - 2 * m.margin)
        w.end("frame")
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, "..", folder, "default.zs")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as out:
        out.write(w.text())


if __name__ == "__main__":
    for skin in SKINS:
        write_skin(*skin)
