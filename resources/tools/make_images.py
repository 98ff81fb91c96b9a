#!/usr/bin/env python3
"""Draw Korvanta's pictures and write them as PNG files.

Everything is drawn here, pixel by pixel, with the Python standard library
only (PNG is written with zlib and struct), so the pictures can be rebuilt
anywhere:

    python3 resources/tools/make_images.py            # write the pictures
    python3 resources/tools/make_images.py --check    # verify sizes and the qrc
    python3 resources/tools/make_images.py --preview /tmp/korvanta-preview

--preview also writes enlarged copies (nearest neighbour, on a checkerboard
that shows the transparent parts) and a contact sheet of all tool-button
states, to look at the pixel art.

Output, relative to the resources folder:
    toolbuttons/ButtonImage_00.png ... ButtonImage_27.png
    images/grip.png, images/splitter.png, images/manual_illustration.png,
    images/sortbuttons.png
    icons/korvanta-16.png ... korvanta-256.png, icons/korvanta.svg
"""

import argparse
import os
import struct
import sys
import zlib
import xml.etree.ElementTree as ET

RESOURCES = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

TRANSPARENT = (0, 0, 0, 0)


# --------------------------------------------------------------------------- PNG


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def encode_png(width, height, pixels):
    """RGBA, 8 bits a channel, filter 0 on every row; no time stamp, so the
    output depends only on the pixels."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw.extend(pixels[y * width + x])
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", ihdr)
            + _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b""))


def decode_png(data):
    """Reads back an 8-bit RGBA or RGB PNG (all five row filters); returns
    (width, height, colour type, list of RGBA tuples)."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos = 8
    idat = bytearray()
    width = height = ctype = None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        if zlib.crc32(kind + body) & 0xFFFFFFFF != struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])[0]:
            raise ValueError("bad CRC in chunk %r" % kind)
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or ctype not in (2, 6) or interlace:
                raise ValueError("unsupported PNG layout")
        elif kind == b"IDAT":
            idat.extend(body)
        pos += 12 + length
    bpp = 4 if ctype == 6 else 3
    raw = zlib.decompress(bytes(idat))
    stride = width * bpp
    prev = bytearray(stride)
    out = []
    for y in range(height):
        ftype = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 0xFF
            elif ftype == 2:
                line[i] = (line[i] + b) & 0xFF
            elif ftype == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
        for x in range(width):
            px = tuple(line[x * bpp:(x + 1) * bpp])
            out.append(px if bpp == 4 else px + (255,))
        prev = line
    return width, height, ctype, out


# ------------------------------------------------------------------------ canvas


def rgba(colour):
    return colour if len(colour) == 4 else tuple(colour) + (255,)


class Canvas:
    def __init__(self, width, height, fill=TRANSPARENT):
        self.width = width
        self.height = height
        self.pixels = [rgba(fill)] * (width * height)

    def copy(self):
        other = Canvas(self.width, self.height)
        other.pixels = list(self.pixels)
        return other

    def get(self, x, y):
        if 0 <= x < self.width and 0 <= y < self.height:
            return self.pixels[y * self.width + x]
        return TRANSPARENT

    def set(self, x, y, colour):
        """Replaces the pixel (no blending)."""
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y * self.width + x] = rgba(colour)

    def put(self, x, y, colour):
        """Paints the colour over the pixel, blending by its alpha."""
        if not (0 <= x < self.width and 0 <= y < self.height):
            return
        src = rgba(colour)
        sa = src[3]
        if sa == 255:
            self.pixels[y * self.width + x] = src
            return
        if sa == 0:
            return
        dst = self.pixels[y * self.width + x]
        da = dst[3]
        oa = sa + da * (255 - sa) / 255.0
        if oa <= 0:
            return
        rgb = tuple(int(round((src[i] * sa + dst[i] * da * (255 - sa) / 255.0) / oa)) for i in range(3))
        self.pixels[y * self.width + x] = rgb + (int(round(oa)),)

    def fill_rect(self, x, y, w, h, colour):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.put(xx, yy, colour)

    def hline(self, x0, x1, y, colour):
        for x in range(min(x0, x1), max(x0, x1) + 1):
            self.put(x, y, colour)

    def vline(self, x, y0, y1, colour):
        for y in range(min(y0, y1), max(y0, y1) + 1):
            self.put(x, y, colour)

    def frame(self, x, y, w, h, colour):
        self.hline(x, x + w - 1, y, colour)
        self.hline(x, x + w - 1, y + h - 1, colour)
        self.vline(x, y, y + h - 1, colour)
        self.vline(x + w - 1, y, y + h - 1, colour)

    def blit(self, other, x, y):
        for yy in range(other.height):
            for xx in range(other.width):
                self.put(x + xx, y + yy, other.pixels[yy * other.width + xx])

    def opaque_count(self):
        return sum(1 for p in self.pixels if p[3])

    def png(self):
        return encode_png(self.width, self.height, self.pixels)


def art(rows, palette):
    """A canvas from rows of characters; '.' (or any character missing from
    the palette's keys with value None) is transparent."""
    height = len(rows)
    width = max(len(r) for r in rows)
    for r in rows:
        if len(r) != width:
            raise ValueError("ragged art row %r" % r)
    canvas = Canvas(width, height)
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch != ".":
                canvas.set(x, y, palette[ch])
    return canvas


# ------------------------------------------------------------------------ colours

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)          # shadows and the raised/sunken edge lines
LIGHT_GREY = (192, 192, 192)
DARK_GREY = (72, 72, 72)
YELLOW = (255, 255, 0)
NAVY = (0, 0, 128)
BLUE = (0, 80, 200)
MID_BLUE = (40, 110, 220)
LIGHT_BLUE = (130, 185, 255)
PALE_BLUE = (220, 236, 255)

# the grey tones of a disabled picture
DISABLED_DARK = (128, 128, 128)
DISABLED_LIGHT = (192, 192, 192)

PALETTE = {
    "K": BLACK,
    "W": WHITE,
    "G": GREY,
    "g": LIGHT_GREY,
    "L": DARK_GREY,
    "Y": YELLOW,
    "N": NAVY,
    "B": BLUE,
    "M": MID_BLUE,
    "b": LIGHT_BLUE,
    "c": PALE_BLUE,
    # the folder
    "O": (150, 104, 0),         # outline
    "F": (255, 208, 48),        # face
    "f": (255, 240, 168),       # highlight
    "D": (222, 164, 16),        # shade
}


# ----------------------------------------------------------- tool-button motifs
# Each motif is the normal picture without its 1-pixel border: the picture
# is the motif plus one pixel on every side, which holds the raised or sunken
# edge line and the one-pixel shift of the pressed state.


def motif_sheet():
    """Button 0 (switch between file names and data): a black-framed sheet
    with black marks on a yellow dithered ground and a grey shadow."""
    c = Canvas(22, 20)
    # shadow, two pixels down and to the right
    c.fill_rect(2, 2, 20, 18, GREY)
    c.fill_rect(0, 0, 20, 18, WHITE)
    for y in range(1, 17):
        for x in range(1, 19):
            c.set(x, y, YELLOW if (x + y) % 2 == 0 else WHITE)
    c.frame(0, 0, 20, 18, BLACK)
    # two columns of marks: rows of list data
    marks = [(3, 3, 7), (3, 10, 15), (6, 3, 6), (6, 10, 16), (9, 3, 8), (9, 10, 14),
             (12, 3, 5), (12, 10, 15), (14, 3, 7), (14, 10, 13)]
    for y, x0, x1 in marks:
        c.hline(x0, x1, y, BLACK)
    return c


def motif_window():
    """Button 1 (show/hide the folders, reload): a black-framed window with a
    yellow top strip and a white downward arrow on blue."""
    c = Canvas(22, 20)
    c.fill_rect(0, 0, 22, 20, BLUE)
    c.fill_rect(1, 1, 20, 3, YELLOW)
    c.hline(1, 20, 4, BLACK)
    c.frame(0, 0, 22, 20, BLACK)
    # arrow, centred on the blue body (columns 1 to 20)
    c.fill_rect(9, 7, 4, 5, WHITE)
    for i, y in enumerate(range(12, 17)):
        c.hline(6 + i, 15 - i, y, WHITE)
    return c


def motif_folder():
    """Button 2 (browse another folder): a yellow folder."""
    rows = [
        "......................",
        "......................",
        "..OOOOOOO.............",
        ".OfffffffO............",
        "OfFFFFFFFfOOOOOOOOOOO.",
        "OfFFFFFFFFfffffffffffO",
        "OfFFFFFFFFFFFFFFFFFFDO",
        "OfFFFFFFFFFFFFFFFFFFDO",
        "OfFFFFFFFFFFFFFFFFFFDO",
        "OfFFFFFFFFFFFFFFFFFFDO",
        "OfFFFFFFFFFFFFFFFFFFDO",
        "OfFFFFFFFFFFFFFFFFFFDO",
        "OfFFFFFFFFFFFFFFFFFFDO",
        "OfFFFFFFFFFFFFFFFFFFDO",
        "OfFFFFFFFFFFFFFFFFFFDO",
        "OfFFFFFFFFFFFFFFFFFFDO",
        "OfFFFFFFFFFFFFFFFFFFDO",
        "ODDDDDDDDDDDDDDDDDDDDO",
        ".OOOOOOOOOOOOOOOOOOOO.",
        "......................",
    ]
    return art(rows, PALETTE)


def motif_page():
    """Button 3 (the tool menu): a white page with lines of text and a
    curled corner."""
    rows = [
        "...KKKKKKKKKK........",
        "...KWWWWWWWWKK.......",
        "...KWWWWWWWWKgK......",
        "...KWLLLLLWWKggK.....",
        "...KWWWWWWWWKgggK....",
        "...KWLLLLWWWKKKKKK...",
        "...KWWWWWWWWWWWWWK...",
        "...KWLLLLLLLLLLWWK...",
        "...KWWWWWWWWWWWWWK...",
        "...KWLLLLLLLLLWWWK...",
        "...KWWWWWWWWWWWWWK...",
        "...KWLLLLLLLLLLWWK...",
        "...KWWWWWWWWWWWWWK...",
        "...KWLLLLLLLWWWWWK...",
        "...KWWWWWWWWWWWWWK...",
        "...KWLLLLLLLLLLWWK...",
        "...KWWWWWWWWWWWWWK...",
        "...KWLLLLLLWWWWWWK...",
        "...KWWWWWWWWWWWWWK...",
        "...KKKKKKKKKKKKKKK...",
    ]
    return art(rows, PALETTE)


def triangle(width, height, up, colour=BLACK):
    """An outlined isosceles triangle with 45-degree sides (width = 2 *
    height - 1), hollow."""
    c = Canvas(width, height)
    apex = width // 2
    for i in range(height):
        y = i if up else height - 1 - i
        if i == height - 1:
            c.hline(apex - i, apex + i, y, colour)
        else:
            c.set(apex - i, y, colour)
            c.set(apex + i, y, colour)
    return c


def motif_sort(up):
    """Buttons 4 and 5 (sort descending, ascending): an outlined triangle,
    pointing up for 4 and down for 5."""
    c = Canvas(21, 10)
    c.blit(triangle(19, 10, up), 1, 0)
    return c


def motif_globe_envelope():
    """Button 6 (open the Web or the mailer): a small globe with a letter in
    front of it, in blue tones."""
    c = Canvas(19, 18)
    size = 15
    centre = (size - 1) / 2.0
    radius = size / 2.0

    def inside(x, y):
        return (x - centre) ** 2 + (y - centre) ** 2 <= radius * radius - 1.0

    for y in range(size):
        for x in range(size):
            if not inside(x, y):
                continue
            edge = not all(inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                colour = NAVY
            else:
                dy = y - centre
                # meridian ellipse, half-width 4 at the equator
                half = 4.0 * max(0.0, 1.0 - (dy / radius) ** 2) ** 0.5
                grid = (y in (3, 7, 11) or x == 7 or abs(abs(x - centre) - half) < 0.5)
                colour = LIGHT_BLUE if grid else MID_BLUE
            c.set(x, y, colour)
    # a small highlight on the upper left
    for x, y in ((3, 3), (4, 2), (3, 4)):
        c.set(x, y, PALE_BLUE)

    letter = art([
        "NNNNNNNNNN",
        "NNccccccNN",
        "NcNccccNcN",
        "NccNccNccN",
        "NcccNNcccN",
        "NccccccccN",
        "NNNNNNNNNN",
    ], PALETTE)
    lx, ly = 9, 11
    # a transparent gap between the globe and the letter keeps both readable
    for y in range(ly - 1, ly + letter.height + 1):
        for x in range(lx - 1, lx + letter.width + 1):
            c.set(x, y, TRANSPARENT)
    c.blit(letter, lx, ly)
    return c


# (motif, picture width, picture height) of buttons 0 to 6
BUTTONS = [
    (motif_sheet, 24, 22),
    (motif_window, 24, 22),
    (motif_folder, 24, 22),
    (motif_page, 23, 22),
    (lambda: motif_sort(True), 23, 12),
    (lambda: motif_sort(False), 23, 12),
    (motif_globe_envelope, 21, 20),
]

# button 3 is never disabled, so its disabled picture stays empty
EMPTY_ELEMENTS = {15}


def state_normal(motif, w, h):
    c = Canvas(w, h)
    c.blit(motif, 1, 1)
    return c


def state_hover(motif, w, h):
    """Raised: a grey line along the right and bottom edges."""
    c = state_normal(motif, w, h)
    c.vline(w - 1, 0, h - 1, GREY)
    c.hline(0, w - 1, h - 1, GREY)
    return c


def state_pressed(motif, w, h):
    """Sunken: a grey line along the top and left edges, the motif one pixel
    further right and down."""
    c = Canvas(w, h)
    c.blit(motif, 2, 2)
    c.hline(0, w - 1, 0, GREY)
    c.vline(0, 0, h - 1, GREY)
    return c


def greyed(colour):
    r, g, b, a = colour
    if a == 0:
        return TRANSPARENT
    luminance = 0.299 * r + 0.587 * g + 0.114 * b
    grey = DISABLED_DARK if luminance < 160 else DISABLED_LIGHT
    return grey + (a,)


def state_disabled(motif, w, h):
    """The motif's shape in grey only: dark parts mid grey, light parts
    light grey."""
    c = state_normal(motif, w, h)
    c.pixels = [greyed(p) for p in c.pixels]
    return c


def button_images():
    """{element index: canvas} for the 28 ButtonImage elements."""
    images = {}
    for i, (make, w, h) in enumerate(BUTTONS):
        motif = make()
        if (motif.width, motif.height) != (w - 2, h - 2):
            raise ValueError("motif %d is %dx%d, expected %dx%d" % (i, motif.width, motif.height, w - 2, h - 2))
        states = (state_normal, state_hover, state_pressed, state_disabled)
        for k, state in enumerate(states):
            element = 4 * i + k
            images[element] = Canvas(w, h) if element in EMPTY_ELEMENTS else state(motif, w, h)
    return images


# ----------------------------------------------------------------- other pictures

FACE = (212, 208, 200)          # the face colour of raised controls


def grip():
    """The main window's grip: two columns of raised dots, 'grab here to move
    the window'."""
    c = Canvas(16, 22)
    dot = art(["WW.", "WgG", ".GG"], PALETTE)
    for y in range(2, 19, 4):
        for x in (4, 9):
            c.blit(dot, x, y)
    return c


def splitter():
    """The splitter grip: a raised bar, 10 pixels high, with a row of small
    dimples; the pattern repeats every 4 pixels, so the picture tiles."""
    c = Canvas(8, 10)
    rows = [WHITE, FACE, FACE, FACE, FACE, FACE, FACE, FACE, GREY, (64, 64, 64)]
    for y, colour in enumerate(rows):
        c.hline(0, 7, y, colour)
    for x in range(0, 8, 4):
        c.set(x + 1, 4, WHITE)
        c.set(x + 2, 5, GREY)
        c.set(x + 1, 5, (168, 164, 156))
    return c


def sortbuttons():
    """The manual's picture of the two sort buttons, one above the other."""
    c = Canvas(22, 25)
    c.blit(triangle(19, 10, True), 1, 1)
    c.blit(triangle(19, 10, False), 1, 14)
    return c


# a small pixel font, enough for the program's name in the illustration
FONT = {
    "K": ["X..X", "X.X.", "XX..", "X.X.", "X..X"],
    "o": ["...", ".X.", "X.X", "X.X", ".X."],
    "r": ["...", "X.X", "XX.", "X..", "X.."],
    "v": ["...", "X.X", "X.X", "X.X", ".X."],
    "a": ["...", ".XX", "X.X", "X.X", ".XX"],
    "n": ["...", "XX.", "X.X", "X.X", "X.X"],
    "t": [".X.", "XXX", ".X.", ".X.", "..X"],
}


def draw_text(c, text, x, y, colour):
    for ch in text:
        glyph = FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == "X":
                    c.put(x + gx, y + gy, colour)
        x += len(glyph[0]) + 1
    return x


class Lcg:
    """A tiny deterministic random source, so the pictures never change
    between Python versions."""

    def __init__(self, seed):
        self.state = seed

    def next(self, n):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 8) % n


def pseudo_text(c, x0, x1, y, colour, rng, height=2):
    """Marks that read as a line of text at a glance: words of 3 to 12
    pixels with 2-pixel gaps, between x0 and x1."""
    x = x0
    while x < x1:
        length = 3 + rng.next(10)
        end = min(x + length, x1)
        c.fill_rect(x, y, end - x, height, colour)
        x = end + 2


def sunken_box(c, x, y, w, h, fill=WHITE):
    c.fill_rect(x, y, w, h, fill)
    c.hline(x, x + w - 1, y, GREY)
    c.vline(x, y, y + h - 1, GREY)
    c.hline(x + 1, x + w - 2, y + 1, (64, 64, 64))
    c.vline(x + 1, y + 1, y + h - 2, (64, 64, 64))
    c.hline(x, x + w - 1, y + h - 1, WHITE)
    c.vline(x + w - 1, y, y + h - 1, WHITE)


def raised_box(c, x, y, w, h, fill=FACE):
    c.fill_rect(x, y, w, h, fill)
    c.hline(x, x + w - 1, y, WHITE)
    c.vline(x, y, y + h - 1, WHITE)
    c.hline(x, x + w - 1, y + h - 1, (64, 64, 64))
    c.vline(x + w - 1, y, y + h - 1, (64, 64, 64))
    c.hline(x + 1, x + w - 2, y + h - 2, GREY)
    c.vline(x + w - 2, y + 1, y + h - 2, GREY)


def shadow(c, x, y, w, h, offset=3, alpha=70):
    for yy in range(y + offset, y + h + offset):
        for xx in range(x + offset, x + w + offset):
            if xx >= x + w or yy >= y + h:
                c.put(xx, yy, (0, 0, 0, alpha))


def manual_illustration(buttons):
    """The manual window's picture: the program's window with its tool bar,
    search box and a list whose selected row has gone to a clipboard."""
    c = Canvas(165, 173)
    rng = Lcg(932)
    highlight = NAVY

    # --- the window
    wx, wy, ww, wh = 1, 1, 152, 142
    shadow(c, wx, wy, ww, wh)
    raised_box(c, wx, wy, ww, wh)
    # title bar, a gradient from navy to a light blue
    tx0, tx1 = wx + 3, wx + ww - 4
    for x in range(tx0, tx1 + 1):
        t = (x - tx0) / float(tx1 - tx0)
        colour = (int(16 * t), int(132 * t), int(128 + 80 * t))
        c.vline(x, wy + 3, wy + 14, colour)
    c.fill_rect(wx + 6, wy + 5, 8, 8, WHITE)
    c.fill_rect(wx + 7, wy + 6, 6, 2, MID_BLUE)
    c.hline(wx + 8, wx + 11, wy + 9, GREY)
    c.hline(wx + 8, wx + 11, wy + 11, GREY)
    draw_text(c, "Korvanta", wx + 18, wy + 6, WHITE)
    for i, mark in enumerate(("min", "max", "close")):
        bx = tx1 - 10 - (2 - i) * 11 - (2 if i == 2 else 0)
        raised_box(c, bx, wy + 5, 10, 9)
        if mark == "min":
            c.hline(bx + 3, bx + 6, wy + 10, BLACK)
        elif mark == "max":
            c.frame(bx + 2, wy + 7, 6, 5, BLACK)
            c.hline(bx + 2, bx + 7, wy + 8, BLACK)
        else:
            for d in range(5):
                c.set(bx + 2 + d, wy + 7 + d, BLACK)
                c.set(bx + 6 - d, wy + 7 + d, BLACK)
    # menu bar: two short menu titles
    c.fill_rect(wx + 7, wy + 18, 14, 2, BLACK)
    c.fill_rect(wx + 26, wy + 18, 12, 2, BLACK)
    # tool bar: the grip, then the real tool-button pictures
    ty = wy + 24
    c.hline(wx + 3, wx + ww - 4, ty - 1, GREY)
    c.hline(wx + 3, wx + ww - 4, ty, WHITE)
    for y in range(ty + 3, ty + 21, 3):
        c.set(wx + 4, y, WHITE)
        c.set(wx + 5, y + 1, GREY)
    x = wx + 8
    for element in (0, 4, 8, 12):
        c.blit(buttons[element], x, ty + 2)
        x += buttons[element].width
    c.blit(buttons[16], x, ty + 1)
    c.blit(buttons[20], x, ty + 13)
    x += buttons[16].width
    c.blit(buttons[24], x, ty + 3)
    # search box with its drop-down button
    sy = ty + 26
    sunken_box(c, wx + 4, sy, ww - 8, 14)
    pseudo_text(c, wx + 8, wx + 40, sy + 6, BLACK, rng)
    raised_box(c, wx + ww - 17, sy + 2, 11, 10)
    c.blit(triangle(5, 3, False), wx + ww - 14, sy + 5)
    # the data list
    ly = sy + 17
    lh = wy + wh - 14 - ly
    sunken_box(c, wx + 4, ly, ww - 8, lh)
    row_h = 11
    selected = 2
    for row in range((lh - 4) // row_h):
        y = ly + 3 + row * row_h
        if row == selected:
            c.fill_rect(wx + 6, y, ww - 12, row_h - 1, highlight)
            pseudo_text(c, wx + 9, wx + 78, y + 4, WHITE, rng)
        else:
            pseudo_text(c, wx + 9, wx + 50 + rng.next(50), y + 4, DARK_GREY, rng)
    # status label: the copied text
    pseudo_text(c, wx + 6, wx + 70, wy + wh - 9, BLACK, rng)

    # --- the clipboard
    bx, by, bw, bh = 104, 98, 57, 72
    shadow(c, bx, by, bw, bh)
    board = (184, 124, 62)
    board_dark = (110, 70, 30)
    c.fill_rect(bx, by, bw, bh, board)
    c.frame(bx, by, bw, bh, board_dark)
    for x, y in ((bx, by), (bx + bw - 1, by), (bx, by + bh - 1), (bx + bw - 1, by + bh - 1)):
        c.set(x, y, TRANSPARENT)
    c.hline(bx + 1, bx + bw - 2, by + 1, (214, 156, 94))
    # paper
    px, py, pw, ph = bx + 5, by + 9, bw - 10, bh - 14
    c.fill_rect(px + 1, py + 1, pw, ph, (0, 0, 0, 60))
    c.fill_rect(px, py, pw, ph, WHITE)
    c.frame(px, py, pw, ph, LIGHT_GREY)
    # the copied row on top, then faint lines
    c.fill_rect(px + 3, py + 8, pw - 6, 9, highlight)
    pseudo_text(c, px + 5, px + pw - 8, py + 12, WHITE, rng)
    for i in range(4):
        pseudo_text(c, px + 5, px + pw - 6 - rng.next(14), py + 24 + i * 7, LIGHT_GREY, rng)
    # the metal clip
    cx, cy, cw, ch = bx + 16, by - 4, 25, 12
    c.fill_rect(cx, cy, cw, ch, (176, 180, 188))
    c.frame(cx, cy, cw, ch, (80, 84, 92))
    c.hline(cx + 1, cx + cw - 2, cy + 1, (230, 232, 236))
    c.fill_rect(cx + 9, cy + 3, 7, 3, (80, 84, 92))
    c.set(cx, cy, TRANSPARENT)
    c.set(cx + cw - 1, cy, TRANSPARENT)

    # an arrow from the selected row down to the clipboard
    orange = (240, 120, 0)
    ax = 76
    row_y = ly + 3 + selected * row_h + row_h // 2
    c.vline(ax, row_y + 6, 150, orange)
    c.vline(ax + 1, row_y + 6, 150, orange)
    c.hline(ax, 95, 149, orange)
    c.hline(ax, 95, 150, orange)
    for i in range(5):
        c.vline(96 + i, 145 + i, 154 - i, orange)
    return c


# ---------------------------------------------------------------- window icon
# The icon is a list sheet with a blue header row and one highlighted row.
# Its layout is given on a 16 x 16 grid, so at 16, 32, 48, ... pixels every
# straight edge falls on a pixel boundary and the picture stays crisp; the
# rounded corners are anti-aliased by supersampling.

ICON_SIZES = (16, 32, 48, 64, 128, 256)
ICON_BORDER = (44, 62, 80)
ICON_HEADER = (41, 98, 178)
ICON_LINE = (120, 130, 140)
ICON_MARK = (247, 148, 29)
ICON_MARK_DARK = (196, 104, 0)
ICON_LINES = ((5, 4, 11), (11, 4, 12), (13, 4, 10))  # (row, from, to) in grid units


def icon_layout(size):
    """The icon's shapes for one pixel size, back to front: (x0, y0, x1, y1,
    radius, rgba, corners) with corners a string of 'tl', 'tr', 'bl', 'br'
    flags for the rounded ones."""
    u = size / 16.0
    border = max(1, int(round(size / 32.0)))
    radius = 0.75 * u if size >= 32 else 0.0
    inner_r = max(0.0, radius - border)
    shapes = []
    if size >= 32:
        off = size / 48.0
        shapes.append((2 * u + off, 1 * u + off, 14 * u + off, 15 * u + off, radius, (0, 0, 0, 60), "all"))
    shapes.append((2 * u, 1 * u, 14 * u, 15 * u, radius, ICON_BORDER + (255,), "all"))
    shapes.append((2 * u + border, 1 * u + border, 14 * u - border, 15 * u - border, inner_r, WHITE + (255,), "all"))
    shapes.append((2 * u + border, 1 * u + border, 14 * u - border, 4 * u, inner_r, ICON_HEADER + (255,), "tl tr"))
    # thin white bars (column names, the text of the highlighted row) are
    # snapped to whole pixels so that they stay sharp
    thin = max(1, int(round(0.5 * u)))

    def bar(x0, x1, centre_y):
        y0 = int(centre_y * u - thin / 2.0 + 0.5)
        return (int(round(x0 * u)), y0, int(round(x1 * u)), y0 + thin, 0.0, WHITE + (255,), "")

    if size >= 32:
        # column names in the header
        shapes.append(bar(4, 7, 2.5))
        shapes.append(bar(8.5, 12, 2.5))
    for row, x0, x1 in ICON_LINES:
        shapes.append((x0 * u, row * u, x1 * u, (row + 1) * u, 0.0, ICON_LINE + (255,), ""))
    # the highlighted row reaches a little past the sheet on both sides
    mark_r = 0.4 * u if size >= 32 else 0.0
    if size >= 32:
        shapes.append((1 * u, 7 * u, 15 * u, 10 * u, mark_r, ICON_MARK_DARK + (255,), "all"))
        shapes.append((1 * u + border, 7 * u + border, 15 * u - border, 10 * u - border,
                       max(0.0, mark_r - border), ICON_MARK + (255,), "all"))
        shapes.append(bar(4, 11, 8.5))
    else:
        shapes.append((1 * u, 7 * u, 15 * u, 10 * u, 0.0, ICON_MARK + (255,), ""))
    return shapes


def _overlap(a0, a1, b0, b1):
    return max(0.0, min(a1, b1) - max(a0, b0))


def _coverage(px, py, shape):
    x0, y0, x1, y1, r, _, corners = shape
    cover = _overlap(px, px + 1, x0, x1) * _overlap(py, py + 1, y0, y1)
    if cover == 0.0 or r <= 0.0:
        return cover
    near_left, near_right = px < x0 + r, px + 1 > x1 - r
    near_top, near_bottom = py < y0 + r, py + 1 > y1 - r
    flags = corners.split() if corners != "all" else ["tl", "tr", "bl", "br"]
    centres = []
    if near_left and near_top and "tl" in flags:
        centres.append((x0 + r, y0 + r, -1, -1))
    if near_right and near_top and "tr" in flags:
        centres.append((x1 - r, y0 + r, 1, -1))
    if near_left and near_bottom and "bl" in flags:
        centres.append((x0 + r, y1 - r, -1, 1))
    if near_right and near_bottom and "br" in flags:
        centres.append((x1 - r, y1 - r, 1, 1))
    if not centres:
        return cover
    n = 8
    hits = 0
    for sy in range(n):
        y = py + (sy + 0.5) / n
        for sx in range(n):
            x = px + (sx + 0.5) / n
            if not (x0 <= x < x1 and y0 <= y < y1):
                continue
            ok = True
            for cx, cy, dx, dy in centres:
                if (x - cx) * dx > 0 and (y - cy) * dy > 0 and (x - cx) ** 2 + (y - cy) ** 2 > r * r:
                    ok = False
                    break
            hits += ok
    return hits / float(n * n)


def icon(size):
    c = Canvas(size, size)
    for shape in icon_layout(size):
        x0, y0, x1, y1, _, colour, _ = shape
        for py in range(max(0, int(y0)), min(size, int(y1) + 1)):
            for px in range(max(0, int(x0)), min(size, int(x1) + 1)):
                cover = _coverage(px, py, shape)
                if cover > 0.0:
                    alpha = int(round(colour[3] * min(1.0, cover)))
                    c.put(px, py, colour[:3] + (alpha,))
    return c


def _hex(colour):
    return "#%02x%02x%02x" % colour[:3]


def icon_svg():
    """The same layout as the 256-pixel icon, as SVG."""
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
           '  <title>Korvanta</title>']
    for x0, y0, x1, y1, r, colour, corners in icon_layout(256):
        attrs = 'fill="%s"' % _hex(colour)
        if colour[3] != 255:
            attrs += ' fill-opacity="%.3g"' % (colour[3] / 255.0)
        if r > 0 and corners == "tl tr":
            # rounded top corners only
            out.append('  <path d="M%g %g V%g A%g %g 0 0 1 %g %g H%g A%g %g 0 0 1 %g %g V%g Z" %s/>' % (
                x0, y1, y0 + r, r, r, x0 + r, y0, x1 - r, r, r, x1, y0 + r, y1, attrs))
        elif r > 0:
            out.append('  <rect x="%g" y="%g" width="%g" height="%g" rx="%g" %s/>' % (
                x0, y0, x1 - x0, y1 - y0, r, attrs))
        else:
            out.append('  <rect x="%g" y="%g" width="%g" height="%g" %s/>' % (x0, y0, x1 - x0, y1 - y0, attrs))
    out.append("</svg>")
    return "\n".join(out) + "\n"


# ------------------------------------------------------------------ the whole set


def all_pictures():
    """{path relative to the resources folder: canvas}."""
    pictures = {}
    buttons = button_images()
    for element, canvas in buttons.items():
        pictures["toolbuttons/ButtonImage_%02d.png" % element] = canvas
    pictures["images/grip.png"] = grip()
    pictures["images/splitter.png"] = splitter()
    pictures["images/sortbuttons.png"] = sortbuttons()
    pictures["images/manual_illustration.png"] = manual_illustration(buttons)
    for size in ICON_SIZES:
        pictures["icons/korvanta-%d.png" % size] = icon(size)
    return pictures


def expected_sizes():
    sizes = {}
    for i, (_, w, h) in enumerate(BUTTONS):
        for k in range(4):
            sizes["toolbuttons/ButtonImage_%02d.png" % (4 * i + k)] = (w, h)
    sizes["images/grip.png"] = (16, 22)
    sizes["images/splitter.png"] = (8, 10)
    sizes["images/sortbuttons.png"] = (22, 25)
    sizes["images/manual_illustration.png"] = (165, 173)
    for size in ICON_SIZES:
        sizes["icons/korvanta-%d.png" % size] = (size, size)
    return sizes


def write_all(root):
    for rel, canvas in sorted(all_pictures().items()):
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(canvas.png())
    svg = os.path.join(root, "icons", "korvanta.svg")
    with open(svg, "w", encoding="utf-8", newline="\n") as f:
        f.write(icon_svg())
    print("wrote %d pictures and icons/korvanta.svg under %s" % (len(expected_sizes()), root))


def check(root):
    """Every picture exists with its size, as 8-bit RGBA; the empty element
    is fully transparent and every other picture shows something; the qrc
    lists every picture and nothing that is missing."""
    problems = []
    for rel, (w, h) in sorted(expected_sizes().items()):
        path = os.path.join(root, rel)
        if not os.path.isfile(path):
            problems.append("%s: missing" % rel)
            continue
        with open(path, "rb") as f:
            try:
                pw, ph, ctype, pixels = decode_png(f.read())
            except (ValueError, zlib.error) as e:
                problems.append("%s: unreadable (%s)" % (rel, e))
                continue
        if (pw, ph) != (w, h):
            problems.append("%s: %dx%d, expected %dx%d" % (rel, pw, ph, w, h))
        if ctype != 6:
            problems.append("%s: not RGBA" % rel)
        opaque = sum(1 for p in pixels if p[3])
        is_empty = rel.startswith("toolbuttons/") and int(rel[-6:-4]) in EMPTY_ELEMENTS
        if is_empty and opaque:
            problems.append("%s: should be fully transparent" % rel)
        if not is_empty and not opaque:
            problems.append("%s: fully transparent" % rel)
        if rel.startswith("toolbuttons/") and not is_empty:
            corners = [pixels[0], pixels[w - 1], pixels[(h - 1) * w], pixels[h * w - 1]]
            if int(rel[-6:-4]) % 4 in (0, 3) and any(p[3] for p in corners):
                problems.append("%s: background is not transparent" % rel)
    svg = os.path.join(root, "icons", "korvanta.svg")
    try:
        tree = ET.parse(svg)
        if tree.getroot().get("viewBox") != "0 0 256 256":
            problems.append("icons/korvanta.svg: unexpected viewBox")
    except (OSError, ET.ParseError) as e:
        problems.append("icons/korvanta.svg: %s" % e)

    qrc = os.path.join(root, "korvanta.qrc")
    try:
        listed = [f.text.strip() for f in ET.parse(qrc).getroot().iter("file")]
    except (OSError, ET.ParseError) as e:
        problems.append("korvanta.qrc: %s" % e)
        listed = []
    for rel in sorted(set(expected_sizes()) | {"icons/korvanta.svg"}):
        if rel not in listed:
            problems.append("korvanta.qrc: %s not listed" % rel)
    for rel in listed:
        if not os.path.isfile(os.path.join(root, rel)):
            problems.append("korvanta.qrc: lists %s, which does not exist" % rel)
    if len(listed) != len(set(listed)):
        problems.append("korvanta.qrc: a file is listed twice")

    for p in problems:
        print("FAIL " + p)
    print("checked %d pictures, the svg and the qrc: %s" % (
        len(expected_sizes()), "%d problem(s)" % len(problems) if problems else "all fine"))
    return not problems


# ------------------------------------------------------------------------ preview


def enlarge(canvas, factor, background=None):
    """Nearest-neighbour enlargement on a checkerboard (or a plain colour)."""
    out = Canvas(canvas.width * factor, canvas.height * factor)
    for y in range(out.height):
        for x in range(out.width):
            if background is None:
                bg = (204, 204, 204) if ((x // 4) + (y // 4)) % 2 else (255, 255, 255)
            else:
                bg = background
            out.pixels[y * out.width + x] = bg + (255,)
    for y in range(canvas.height):
        for x in range(canvas.width):
            p = canvas.pixels[y * canvas.width + x]
            for yy in range(y * factor, (y + 1) * factor):
                for xx in range(x * factor, (x + 1) * factor):
                    out.put(xx, yy, p)
    return out


def preview(root_out):
    os.makedirs(root_out, exist_ok=True)
    pictures = all_pictures()
    toolbar = (240, 240, 240)
    # contact sheet: one row per button, its four states, on the tool bar colour
    sheet = Canvas(4 * 28 + 4, 7 * 26 + 4, toolbar)
    for element in range(28):
        canvas = pictures["toolbuttons/ButtonImage_%02d.png" % element]
        sheet.blit(canvas, 4 + (element % 4) * 28, 4 + (element // 4) * 26)
    with open(os.path.join(root_out, "buttons-1x.png"), "wb") as f:
        f.write(sheet.png())
    with open(os.path.join(root_out, "buttons-6x.png"), "wb") as f:
        f.write(enlarge(sheet, 6, toolbar).png())
    for rel, canvas in pictures.items():
        if rel.startswith("toolbuttons/"):
            continue
        factor = 8 if canvas.width <= 32 else (3 if canvas.width <= 170 else 1)
        name = rel.replace("/", "-")
        with open(os.path.join(root_out, name), "wb") as f:
            f.write(enlarge(canvas, factor).png())
    print("preview written to %s" % root_out)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=RESOURCES, help="resources folder (default: %(default)s)")
    parser.add_argument("--check", action="store_true", help="only verify the pictures and the qrc")
    parser.add_argument("--preview", metavar="DIR", help="also write enlarged copies to DIR")
    args = parser.parse_args(argv)
    if args.check:
        return 0 if check(args.out) else 1
    write_all(args.out)
    if args.preview:
        preview(args.preview)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
