#!/usr/bin/python3
"""Builds assets/lcd_font.ttf, the LCD-style TrueType font "a_LCDNova".

Digits, minus and decimal point are seven-segment glyphs with bevelled
(hexagonal) segments, like the display of a weighing scale; every other glyph
(the rest of printable ASCII, Russian Cyrillic and the other characters of the
Windows Cyrillic code page 1251) is drawn on a 5-column dot-matrix grid, like
a character LCD. The whole font is slanted a little to the right.

The program creates the font at a character height of -160 px (weight
display, a 500 x 170 label) and -67 px (unit label "kg", 80 x 80), so:
  * "00.000" is 5 digit advances + 1 point advance = 2220 units = 355 px at
    em 160, well inside 500 px;
  * winAscent + winDescent = 1040 units = 166.4 px at em 160, under 170 px;
  * digits, space and minus share one advance, so the text does not jump.

Run with Debian's python and python3-fonttools:
    /usr/bin/python3 assets/make_font.py
The output is written next to this script and is committed, so the build
never needs this generator.
"""

import io
import math
import os
import struct
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont, newTable
from fontTools.agl import UV2AGL
from fontTools.misc.timeTools import timestampFromString

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lcd_font.ttf")

FAMILY = "a_LCDNova"
STYLE = "Regular"
FULL_NAME = "a_LCDNova Regular"
PS_NAME = "a_LCDNova-Regular"
VERSION = "Version 1.000"
COPYRIGHT = "\u00a9 2026 Lotok Software"
MANUFACTURER = "Lotok Software"
DESCRIPTION = ("LCD-style font of Weighlet: seven-segment digits as on the display of a "
               "weighing scale, dot-matrix Latin and Cyrillic letters.")

LICENSE = ("Copyright (c) 2026 Lotok Software. This font was made for Weighlet, the link "
           "test for CAS weighing scales, and is embedded in that program. It may be used, "
           "copied, modified and distributed, alone or with other software, provided that "
           "this notice is kept. The font is provided as is, without warranty of any kind.")

# Start-up registers the font with AddFontMemResourceEx and a length of
# 41,011 bytes, so the file is made exactly that long: the sample-text name
# records take up the free space (see build()).
TARGET_SIZE = 41011

# Vertical metrics, font units.
UPEM = 1000
ASCENT = 850
DESCENT = 190

# Slant of all glyphs: x grows by SLANT for every unit of y.
SLANT = math.tan(math.radians(5.0))

# Seven-segment digits.
DIGIT_ADVANCE = 420  # digits, space, minus (and no-break space, soft hyphen)
POINT_ADVANCE = 120  # decimal point
DIGIT_W = 324  # outer width of the segment box, before slanting
DIGIT_H = 760  # outer height of the segment box
SEG_T = 92  # segment thickness
SEG_GAP = 16  # visible gap between two neighbouring segments

# Dot matrix: column and row pitch, and the blank between two dots.
DOT_PX = 84
DOT_PY = 95
DOT_GAP_X = 14
DOT_GAP_Y = 14
LETTER_ADVANCE = 6 * DOT_PX
LETTER_MID = 3.5 * DOT_PY  # height about which letters are centred after slanting


def slant(x, y, dx):
    """Slants point (x, y) and moves it right by dx; returns integer coordinates."""
    return (int(round(x + SLANT * y + dx)), int(round(y)))


def signed_area(pts):
    a = 0
    for i in range(len(pts)):
        x0, y0 = pts[i]
        x1, y1 = pts[(i + 1) % len(pts)]
        a += x0 * y1 - x1 * y0
    return a / 2


class Glyph:
    def __init__(self, advance, component=None):
        self.advance = advance
        self.contours = []
        self.component = component  # name of the glyph this one is a copy of

    def add(self, pts):
        """Adds one outer contour, turned clockwise as TrueType wants it."""
        pts = list(pts)
        # drop repeated points that rounding may have produced
        clean = []
        for p in pts:
            if not clean or clean[-1] != p:
                clean.append(p)
        if len(clean) > 1 and clean[0] == clean[-1]:
            clean.pop()
        if signed_area(clean) > 0:  # counter-clockwise in y-up coordinates
            clean.reverse()
        self.contours.append(clean)

    def add_hole(self, pts):
        pts = list(pts)
        if signed_area(pts) < 0:
            pts.reverse()
        self.contours.append(pts)

    def draw(self, glyph_set):
        pen = TTGlyphPen(glyph_set)
        if self.component:
            pen.addComponent(self.component, (1, 0, 0, 1, 0, 0))
        for c in self.contours:
            pen.moveTo(c[0])
            for p in c[1:]:
                pen.lineTo(p)
            pen.closePath()
        return pen.glyph()


# ---------------------------------------------------------------------------
# Seven-segment glyphs

DIGIT_SEGMENTS = {
    "0": "abcdef",
    "1": "bc",
    "2": "abged",
    "3": "abgcd",
    "4": "fgbc",
    "5": "afgcd",
    "6": "afgedc",
    "7": "abc",
    "8": "abcdefg",
    "9": "abcdfg",
    "-": "g",
}


def digit_dx():
    """Left offset that centres the slanted segment box in the digit advance."""
    return (DIGIT_ADVANCE - DIGIT_W) / 2 - SLANT * DIGIT_H / 2


def segment(glyph, p0, p1, dx):
    """A bevelled segment from node p0 to node p1 (horizontal or vertical)."""
    h = SEG_T / 2
    g = SEG_GAP / math.sqrt(2)  # shortening of each end for a SEG_GAP gap
    (x0, y0), (x1, y1) = p0, p1
    if y0 == y1:  # horizontal
        a, b = min(x0, x1) + g, max(x0, x1) - g
        y = y0
        pts = [(a, y), (a + h, y + h), (b - h, y + h), (b, y), (b - h, y - h), (a + h, y - h)]
    else:
        a, b = min(y0, y1) + g, max(y0, y1) - g
        x = x0
        pts = [(x, a), (x - h, a + h), (x - h, b - h), (x, b), (x + h, b - h), (x + h, a + h)]
    glyph.add(slant(px, py, dx) for px, py in pts)


def seven_segment(segments):
    glyph = Glyph(DIGIT_ADVANCE)
    h = SEG_T / 2
    xl, xr = h, DIGIT_W - h
    yb, ym, yt = h, DIGIT_H / 2, DIGIT_H - h
    nodes = {
        "a": ((xl, yt), (xr, yt)),
        "b": ((xr, ym), (xr, yt)),
        "c": ((xr, yb), (xr, ym)),
        "d": ((xl, yb), (xr, yb)),
        "e": ((xl, yb), (xl, ym)),
        "f": ((xl, ym), (xl, yt)),
        "g": ((xl, ym), (xr, ym)),
    }
    dx = digit_dx()
    for s in segments:
        segment(glyph, nodes[s][0], nodes[s][1], dx)
    return glyph


def decimal_point():
    glyph = Glyph(POINT_ADVANCE)
    s = SEG_T
    # centre of the dot sits in the middle of the advance at half its height
    cx = POINT_ADVANCE / 2 - SLANT * s / 2
    x0 = cx - s / 2
    glyph.add(slant(x, y, 0) for x, y in [(x0, 0), (x0, s), (x0 + s, s), (x0 + s, 0)])
    return glyph


# ---------------------------------------------------------------------------
# Dot-matrix glyphs. Each is a list of parts (top row, rows), the rows drawn
# downwards from the top row, "*" for a dot. Row 0 sits on the baseline, row 6
# is the top of capitals, row 4 the top of lowercase letters, rows -1 and -2
# are descenders, and row 8 carries the marks above capitals (Ё, Й, ...).
# Letters are 5 columns wide; a few signs (©, ®, №, ™) take more.


def G(*parts):
    return [(top, text.split()) for top, text in parts]


DOTS = {
    "!": G((6, "..*.. ..*.. ..*.. ..*.. ..*.. ..... ..*..")),
    '"': G((6, ".*.*. .*.*. .*.*.")),
    "#": G((6, ".*.*. .*.*. ***** .*.*. ***** .*.*. .*.*.")),
    "$": G((6, "..*.. .**** *.*.. .***. ..*.* ****. ..*..")),
    "%": G((6, "**... **..* ...*. ..*.. .*... *..** ...**")),
    "&": G((6, ".**.. *..*. *.*.. .*... *.*.* *..*. .**.*")),
    "'": G((6, "..*.. ..*.. .*...")),
    "(": G((6, "...*. ..*.. .*... .*... .*... ..*.. ...*.")),
    ")": G((6, ".*... ..*.. ...*. ...*. ...*. ..*.. .*...")),
    "*": G((5, "..*.. *.*.* .***. *.*.* ..*..")),
    "+": G((5, "..*.. ..*.. ***** ..*.. ..*..")),
    ",": G((1, ".**.. .**.. ..*.. .*...")),
    "/": G((5, "....* ...*. ..*.. .*... *....")),
    ":": G((5, ".**.. .**.. ..... .**.. .**..")),
    ";": G((5, ".**.. .**.. ..... .**.. .**.. ..*.. .*...")),
    "<": G((6, "...*. ..*.. .*... *.... .*... ..*.. ...*.")),
    "=": G((4, "***** ..... *****")),
    ">": G((6, ".*... ..*.. ...*. ....* ...*. ..*.. .*...")),
    "?": G((6, ".***. *...* ....* ...*. ..*.. ..... ..*..")),
    "@": G((6, ".***. *...* ....* .**.* *.*.* *.*.* .***.")),
    "A": G((6, ".***. *...* *...* ***** *...* *...* *...*")),
    "B": G((6, "****. *...* *...* ****. *...* *...* ****.")),
    "C": G((6, ".***. *...* *.... *.... *.... *...* .***.")),
    "D": G((6, "***.. *..*. *...* *...* *...* *..*. ***..")),
    "E": G((6, "***** *.... *.... ****. *.... *.... *****")),
    "F": G((6, "***** *.... *.... ****. *.... *.... *....")),
    "G": G((6, ".***. *...* *.... *.*** *...* *...* .****")),
    "H": G((6, "*...* *...* *...* ***** *...* *...* *...*")),
    "I": G((6, ".***. ..*.. ..*.. ..*.. ..*.. ..*.. .***.")),
    "J": G((6, "..*** ...*. ...*. ...*. ...*. *..*. .**..")),
    "K": G((6, "*...* *..*. *.*.. **... *.*.. *..*. *...*")),
    "L": G((6, "*.... *.... *.... *.... *.... *.... *****")),
    "M": G((6, "*...* **.** *.*.* *.*.* *...* *...* *...*")),
    "N": G((6, "*...* *...* **..* *.*.* *..** *...* *...*")),
    "O": G((6, ".***. *...* *...* *...* *...* *...* .***.")),
    "P": G((6, "****. *...* *...* ****. *.... *.... *....")),
    "Q": G((6, ".***. *...* *...* *...* *.*.* *..*. .**.*")),
    "R": G((6, "****. *...* *...* ****. *.*.. *..*. *...*")),
    "S": G((6, ".**** *.... *.... .***. ....* ....* ****.")),
    "T": G((6, "***** ..*.. ..*.. ..*.. ..*.. ..*.. ..*..")),
    "U": G((6, "*...* *...* *...* *...* *...* *...* .***.")),
    "V": G((6, "*...* *...* *...* *...* *...* .*.*. ..*..")),
    "W": G((6, "*...* *...* *...* *.*.* *.*.* *.*.* .*.*.")),
    "X": G((6, "*...* *...* .*.*. ..*.. .*.*. *...* *...*")),
    "Y": G((6, "*...* *...* *...* .*.*. ..*.. ..*.. ..*..")),
    "Z": G((6, "***** ....* ...*. ..*.. .*... *.... *****")),
    "[": G((6, ".***. .*... .*... .*... .*... .*... .***.")),
    "\\": G((5, "*.... .*... ..*.. ...*. ....*")),
    "]": G((6, ".***. ...*. ...*. ...*. ...*. ...*. .***.")),
    "^": G((6, "..*.. .*.*. *...*")),
    "_": G((-1, "*****")),
    "`": G((6, ".*... ..*..")),
    "a": G((4, ".***. ....* .**** *...* .****")),
    "b": G((6, "*.... *.... *.**. **..* *...* *...* ****.")),
    "c": G((4, ".***. *.... *.... *...* .***.")),
    "d": G((6, "....* ....* .**.* *..** *...* *...* .****")),
    "e": G((4, ".***. *...* ***** *.... .***.")),
    "f": G((6, "..**. .*..* .*... ***.. .*... .*... .*...")),
    "g": G((4, ".**** *...* *...* *...* .**** ....* .***.")),
    "h": G((6, "*.... *.... *.**. **..* *...* *...* *...*")),
    "i": G((6, "..*.. ..... .**.. ..*.. ..*.. ..*.. .***.")),
    "j": G((6, "...*. ..... ..**. ...*. ...*. ...*. ...*. *..*. .**..")),
    "k": G((6, "*.... *.... *...* *..*. ***.. *..*. *...*")),
    "l": G((6, ".**.. ..*.. ..*.. ..*.. ..*.. ..*.. .***.")),
    "m": G((4, "**.*. *.*.* *.*.* *...* *...*")),
    "n": G((4, "*.**. **..* *...* *...* *...*")),
    "o": G((4, ".***. *...* *...* *...* .***.")),
    "p": G((4, "****. *...* *...* *...* ****. *.... *....")),
    "q": G((4, ".**** *...* *...* *...* .**** ....* ....*")),
    "r": G((4, "*.**. **..* *.... *.... *....")),
    "s": G((4, ".**** *.... .***. ....* ****.")),
    "t": G((6, ".*... .*... ***.. .*... .*... .*..* ..**.")),
    "u": G((4, "*...* *...* *...* *..** .**.*")),
    "v": G((4, "*...* *...* *...* .*.*. ..*..")),
    "w": G((4, "*...* *...* *.*.* *.*.* .*.*.")),
    "x": G((4, "*...* .*.*. ..*.. .*.*. *...*")),
    "y": G((4, "*...* *...* *...* *...* .**** ....* .***.")),
    "z": G((4, "***** ...*. ..*.. .*... *****")),
    "{": G((6, "...** ..*.. ..*.. .*... ..*.. ..*.. ...**")),
    "|": G((6, "..*.. ..*.. ..*.. ..*.. ..*.. ..*.. ..*.. ..*..")),
    "}": G((6, "**... ..*.. ..*.. ...*. ..*.. ..*.. **...")),
    "~": G((4, ".*... *.*.* ...*.")),
}

# Cyrillic letters that look exactly like Latin ones are composite glyphs
# that refer to the Latin glyph.
SAME_AS = {
    "А": "A", "В": "B", "Е": "E", "К": "K", "М": "M", "Н": "H", "О": "O", "Р": "P",
    "С": "C", "Т": "T", "Х": "X",
    "а": "a", "е": "e", "о": "o", "р": "p", "с": "c", "у": "y", "х": "x",
    "\u0405": "S", "\u0406": "I", "\u0408": "J", "\u0455": "s", "\u0456": "i", "\u0458": "j",
}  # fmt: skip

CYRILLIC = {
    "Б": G((6, "***** *.... *.... ****. *...* *...* ****.")),
    "Г": G((6, "***** *.... *.... *.... *.... *.... *....")),
    "Д": G((6, "..*** .*..* .*..* .*..* .*..* .*..* ***** *...*")),
    "Ж": G((6, "*.*.* *.*.* *.*.* .***. *.*.* *.*.* *.*.*")),
    "З": G((6, ".***. *...* ....* ..**. ....* *...* .***.")),
    "И": G((6, "*...* *...* *..** *.*.* **..* *...* *...*")),
    "Й": G((8, ".***. ....."), (6, "*...* *...* *..** *.*.* **..* *...* *...*")),
    "Л": G((6, "..*** .*..* .*..* .*..* .*..* .*..* *...*")),
    "П": G((6, "***** *...* *...* *...* *...* *...* *...*")),
    "У": G((6, "*...* *...* *...* .**** ....* *...* .***.")),
    "Ф": G((6, "..*.. .***. *.*.* *.*.* *.*.* .***. ..*..")),
    "Ц": G((6, "*..*. *..*. *..*. *..*. *..*. *..*. ***** ....*")),
    "Ч": G((6, "*...* *...* *...* .**** ....* ....* ....*")),
    "Ш": G((6, "*.*.* *.*.* *.*.* *.*.* *.*.* *.*.* *****")),
    "Щ": G((6, "*.*.* *.*.* *.*.* *.*.* *.*.* *.*.* ***** ....*")),
    "Ъ": G((6, "**... .*... .*... .***. .*..* .*..* .***.")),
    "Ы": G((6, "*...* *...* *...* **..* *.*.* *.*.* **..*")),
    "Ь": G((6, "*.... *.... *.... ****. *...* *...* ****.")),
    "Э": G((6, ".***. *...* ....* ..*** ....* *...* .***.")),
    "Ю": G((6, "*..*. *.*.* *.*.* ***.* *.*.* *.*.* *..*.")),
    "Я": G((6, ".**** *...* *...* .**** ..*.* .*..* *...*")),
    "Ё": G((8, ".*.*. ....."), (6, "***** *.... *.... ****. *.... *.... *****")),
    "б": G((6, "...** .**.. *.... ****. *...* *...* .***.")),
    "в": G((4, "****. *...* ****. *...* ****.")),
    "г": G((4, "***** *.... *.... *.... *....")),
    "д": G((4, "..**. .*.*. .*.*. .*.*. ***** *...*")),
    "ж": G((4, "*.*.* *.*.* .***. *.*.* *.*.*")),
    "з": G((4, ".***. *...* ..**. *...* .***.")),
    "и": G((4, "*...* *..** *.*.* **..* *...*")),
    "й": G((7, "*...* .***. ....."), (4, "*...* *..** *.*.* **..* *...*")),
    "к": G((4, "*..*. *.*.. **... *.*.. *..*.")),
    "л": G((4, "..*** .*..* .*..* .*..* *...*")),
    "м": G((4, "*...* **.** *.*.* *...* *...*")),
    "н": G((4, "*...* *...* ***** *...* *...*")),
    "п": G((4, "***** *...* *...* *...* *...*")),
    "т": G((4, "***** ..*.. ..*.. ..*.. ..*..")),
    "ф": G((5, "..*.. .***. *.*.* *.*.* *.*.* .***. ..*..")),
    "ц": G((4, "*..*. *..*. *..*. *..*. ***** ....*")),
    "ч": G((4, "*...* *...* .**** ....* ....*")),
    "ш": G((4, "*.*.* *.*.* *.*.* *.*.* *****")),
    "щ": G((4, "*.*.* *.*.* *.*.* *.*.* ***** ....*")),
    "ъ": G((4, "**... .*... .***. .*..* .***.")),
    "ы": G((4, "*...* *...* **..* *.*.* **..*")),
    "ь": G((4, "*.... *.... ****. *...* ****.")),
    "э": G((4, ".***. *...* ..*** *...* .***.")),
    "ю": G((4, "*..*. *.*.* ***.* *.*.* *..*.")),
    "я": G((4, ".**** *...* .**** .*..* *...*")),
    "ё": G((6, ".*.*. ....."), (4, ".***. *...* ***** *.... .***.")),
}


# Further letters and signs of the Windows Cyrillic code page (1251), so that
# every character of that code page has a glyph of its own.
ACUTE_CAP = (8, "..**.")
ACUTE_LOW = (7, "...*. ..*.. .....")
BREVE_CAP = (8, ".***.")
BREVE_LOW = (7, "*...* .***. .....")
DIAER_CAP = (8, ".*.*.")

CP1251_EXTRA = {
    "\u0402": G((6, "***** .*... .*... .***. .*..* .*..* .*..* ...*.")),  # Ђ
    "\u0403": G(ACUTE_CAP, (6, "***** *.... *.... *.... *.... *.... *....")),  # Ѓ
    "\u0404": G((6, ".***. *...* *.... ***.. *.... *...* .***.")),  # Є
    "\u0407": G(DIAER_CAP, (6, ".***. ..*.. ..*.. ..*.. ..*.. ..*.. .***.")),  # Ї
    "\u0409": G((6, ".**.. *.*.. *.*.. *.*** *.*.* *.*.* *.**.")),  # Љ
    "\u040A": G((6, "*.*.. *.*.. *.*.. ***** *.*.* *.*.* *.**.")),  # Њ
    "\u040B": G((6, "***** .*... .*... .***. .*..* .*..* .*..*")),  # Ћ
    "\u040C": G(ACUTE_CAP, (6, "*...* *..*. *.*.. **... *.*.. *..*. *...*")),  # Ќ
    "\u040E": G(BREVE_CAP, (6, "*...* *...* *...* .**** ....* *...* .***.")),  # Ў
    "\u040F": G((6, "*...* *...* *...* *...* *...* *...* ***** ..*..")),  # Џ
    "\u0452": G((6, ".*... ***.. .*... .***. .*..* .*..* .*..* ...*.")),  # ђ
    "\u0453": G(ACUTE_LOW, (4, "***** *.... *.... *.... *....")),  # ѓ
    "\u0454": G((4, ".***. *...* ***.. *...* .***.")),  # є
    "\u0457": G((6, ".*.*. ..... .**.. ..*.. ..*.. ..*.. .***.")),  # ї
    "\u0459": G((4, ".**.. *.*.. *.*** *.*.* *.**.")),  # љ
    "\u045A": G((4, "*.*.. *.*.. ***** *.*.* *.**.")),  # њ
    "\u045B": G((6, ".*... ***.. .*... .***. .*..* .*..* .*..*")),  # ћ
    "\u045C": G(ACUTE_LOW, (4, "*..*. *.*.. **... *.*.. *..*.")),  # ќ
    "\u045E": G(BREVE_LOW, (4, "*...* *...* *...* *...* .**** ....* .***.")),  # ў
    "\u045F": G((4, "*...* *...* *...* *...* ***** ..*..")),  # џ
    "\u0490": G((7, "....* ***** *.... *.... *.... *.... *.... *....")),  # Ґ
    "\u0491": G((5, "....* ***** *.... *.... *.... *....")),  # ґ
    "\u00A4": G((5, "*...* .***. .*.*. .***. *...*")),  # ¤
    "\u00A6": G((6, "..*.. ..*.. ..*.. ..... ..*.. ..*.. ..*..")),  # ¦
    "\u00A7": G((6, ".***. *.... .***. *...* .***. ....* .***.")),  # §
    "\u00A9": G((6, ".*****. *.....* *.***.* *.*...* *.***.* *.....* .*****.")),  # ©
    "\u00AB": G((4, "..*.* .*.*. *.*.. .*.*. ..*.*")),  # «
    "\u00AC": G((3, "***** ....*")),  # ¬
    "\u00AE": G((6, ".*****. *.....* *.**..* *.*.*.* *.**..* *.*.*.* .*****.")),  # ®
    "\u00B0": G((6, ".***. .*.*. .***.")),  # °
    "\u00B1": G((6, "..*.. ..*.. ***** ..*.. ..*.. ..... *****")),  # ±
    "\u00B5": G((4, "*...* *...* *...* *..** ***.* *.... *....")),  # µ
    "\u00B6": G((6, ".**** ***.* ***.* .**.* ..*.* ..*.* ..*.*")),  # ¶
    "\u00B7": G((3, ".**.. .**..")),  # ·
    "\u00BB": G((4, "*.*.. .*.*. ..*.* .*.*. *.*..")),  # »
    "\u2013": G((3, ".***.")),  # –
    "\u2014": G((3, "*****")),  # —
    "\u2018": G((6, "..*.. .*... .**..")),  # ‘
    "\u2019": G((6, ".**.. ..*.. .*...")),  # ’
    "\u201A": G((0, ".**.. ..*.. .*...")),  # ‚
    "\u201C": G((6, ".*..* *..*. **.**")),  # “
    "\u201D": G((6, "**.** .*..* *..*.")),  # ”
    "\u201E": G((0, "**.** .*..* *..*.")),  # „
    "\u2020": G((6, "..*.. ***** ..*.. ..*.. ..*.. ..*..")),  # †
    "\u2021": G((6, "..*.. ***** ..*.. ..*.. ..*.. ***** ..*..")),  # ‡
    "\u2022": G((4, ".***. .***. .***.")),  # •
    "\u2026": G((0, "*.*.*")),  # …
    "\u2030": G((6, "*.... ....* ...*. ..*.. .*... *.... ..*.*")),  # ‰
    "\u2039": G((4, "...*. ..*.. .*... ..*.. ...*.")),  # ‹
    "\u203A": G((4, ".*... ..*.. ...*. ..*.. .*...")),  # ›
    "\u20AC": G((6, "..*** .*... ***** .*... ***** .*... ..***")),  # €
    "\u2116": G((6, "*..*.*** *..*.*.* **.*.*** *.**.... *..*.*** *..*.... *..*....")),  # №
    "\u2122": G((6, "***.*.* .*..*** .*..*.* .*..*.*")),  # ™
}

# Characters drawn with the glyph of another one.
ALIASES = {
    0x00A0: 0x0020,  # no-break space: the space, as wide as a digit
    0x00AD: 0x002D,  # soft hyphen: the minus segment
}


def dot(glyph, col, row, dx):
    x0 = col * DOT_PX + DOT_GAP_X / 2
    x1 = (col + 1) * DOT_PX - DOT_GAP_X / 2
    y0 = row * DOT_PY + DOT_GAP_Y / 2
    y1 = (row + 1) * DOT_PY - DOT_GAP_Y / 2
    glyph.add(slant(x, y, dx) for x, y in [(x0, y0), (x0, y1), (x1, y1), (x1, y0)])


def dot_matrix(parts):
    """A dot-matrix glyph: 5 columns wide for letters (a few signs take more),
    with one blank column of spacing."""
    cols = max(len(line) for _, rows in parts for line in rows)
    widths = {len(line) for _, rows in parts for line in rows}
    assert len(widths) == 1, parts
    glyph = Glyph((cols + 1) * DOT_PX)
    dx = DOT_PX / 2 - SLANT * LETTER_MID
    for top, rows in parts:
        for i, line in enumerate(rows):
            for col, ch in enumerate(line):
                assert ch in ".*", line
                if ch == "*":
                    dot(glyph, col, top - i, dx)
    return glyph


def notdef():
    glyph = Glyph(LETTER_ADVANCE)
    dx = DOT_PX / 2 - SLANT * LETTER_MID
    x0, x1, y0, y1, t = 7, 5 * DOT_PX - 7, 7, 7 * DOT_PY - 7, 60
    glyph.add(slant(x, y, dx) for x, y in [(x0, y0), (x0, y1), (x1, y1), (x1, y0)])
    glyph.add_hole(
        slant(x, y, dx) for x, y in [(x0 + t, y0 + t), (x1 - t, y0 + t), (x1 - t, y1 - t),
                                     (x0 + t, y1 - t)])
    return glyph


# ---------------------------------------------------------------------------


def glyph_name(cp):
    if cp < 0x400 or cp >= 0x2000:
        name = UV2AGL.get(cp)
        if name:
            return name
    return "uni%04X" % cp


def covered_code_points():
    cps = set(range(0x20, 0x7F)) | set(range(0x410, 0x450)) | {0x401, 0x451}
    cps |= {ord(c) for c in CP1251_EXTRA} | {ord(c) for c in SAME_AS} | set(ALIASES)
    return sorted(cps)


def glyph_for(cp):
    ch = chr(cp)
    if ch in SAME_AS:
        base = ord(SAME_AS[ch])
        return Glyph(glyph_for(base).advance, component=glyph_name(base))
    if ch == " ":
        return Glyph(DIGIT_ADVANCE)
    if ch in DIGIT_SEGMENTS:
        return seven_segment(DIGIT_SEGMENTS[ch])
    if ch == ".":
        return decimal_point()
    if ch in DOTS:
        return dot_matrix(DOTS[ch])
    if ch in CYRILLIC:
        return dot_matrix(CYRILLIC[ch])
    return dot_matrix(CP1251_EXTRA[ch])


def build_glyphs():
    """Returns {glyph name: Glyph} in glyph order and {code point: glyph name}."""
    glyphs = {".notdef": notdef()}
    cmap = {}
    for cp in covered_code_points():
        if cp in ALIASES:
            continue
        name = glyph_name(cp)
        glyphs[name] = glyph_for(cp)
        cmap[cp] = name
    for cp, target in ALIASES.items():
        cmap[cp] = cmap[target]
    return glyphs, cmap


def compile_tables(sample_text):
    """Compiles the font with fontTools; returns {tag: table bytes}."""
    glyphs, cmap = build_glyphs()
    fb = FontBuilder(UPEM, isTTF=True)
    stamp = timestampFromString("Thu Jan  1 00:00:00 2026")  # fixed, so rebuilds are identical
    fb.updateHead(created=stamp, modified=stamp, fontRevision=1.0)
    fb.font.recalcTimestamp = False
    fb.setupGlyphOrder(list(glyphs))
    fb.setupCharacterMap(cmap)
    fb.setupGlyf({name: g.draw(glyphs) for name, g in glyphs.items()})
    glyf = fb.font["glyf"]
    metrics = {}
    for name, g in glyphs.items():
        gl = glyf[name]
        gl.recalcBounds(glyf)
        metrics[name] = (g.advance, gl.xMin if gl.numberOfContours else 0)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=ASCENT, descent=-DESCENT, lineGap=0)
    names = {
        "copyright": COPYRIGHT,
        "familyName": FAMILY,
        "styleName": STYLE,
        "uniqueFontIdentifier": "1.000;LOTK;" + PS_NAME,
        "fullName": FULL_NAME,
        "version": VERSION,
        "psName": PS_NAME,
        "manufacturer": MANUFACTURER,
        "description": DESCRIPTION,
        "licenseDescription": LICENSE,
    }
    fb.setupNameTable(names, mac=True)
    win_text, mac_text = sample_text
    name = fb.font["name"]
    name.setName(win_text, 19, 3, 1, 0x409)
    name.setName(mac_text, 19, 1, 0, 0)
    name.names.sort()
    fb.setupOS2(
        version=4,
        usWeightClass=400,
        usWidthClass=5,
        fsType=0,
        fsSelection=0x0040,  # REGULAR
        achVendID="LOTK",
        sTypoAscender=ASCENT,
        sTypoDescender=-DESCENT,
        sTypoLineGap=0,
        usWinAscent=ASCENT,
        usWinDescent=DESCENT,
        sxHeight=5 * DOT_PY - DOT_GAP_Y // 2,
        sCapHeight=7 * DOT_PY - DOT_GAP_Y // 2,
        usDefaultChar=0,
        usBreakChar=32,
        usMaxContext=0,
        ulUnicodeRange1=(1 << 0) | (1 << 1) | (1 << 9) | (1 << 31),  # Latin, Latin-1, Cyrillic,
        ulUnicodeRange2=(1 << 1) | (1 << 2),  # General punctuation, currency symbols
        ulUnicodeRange3=0,
        ulUnicodeRange4=0,
        ulCodePageRange1=(1 << 0) | (1 << 2),  # Latin 1 (1252), Cyrillic (1251)
        ulCodePageRange2=0,
    )
    fb.setupPost(isFixedPitch=0, underlinePosition=-120, underlineThickness=50)
    fb.setupMaxp()
    gasp = newTable("gasp")
    gasp.version = 1
    gasp.gaspRange = {0xFFFF: 0x000F}  # grid-fit and smooth at every size
    fb.font["gasp"] = gasp
    fb.font["head"].macStyle = 0
    fb.font["head"].flags = 0x000B  # baseline at y=0, lsb at x=0, integer ppem
    buf = io.BytesIO()
    fb.save(buf)
    font = TTFont(io.BytesIO(buf.getvalue()))
    return {tag: font.reader[tag] for tag in font.reader.keys()}


# Order of the tables in the file; 'name' comes last so that its length, which
# the sample text sets to the byte, gives the file its exact size.
TABLE_ORDER = ["head", "hhea", "maxp", "OS/2", "hmtx", "cmap", "loca", "glyf", "post", "gasp",
               "name"]


def checksum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dL" % (len(data) // 4), data)) & 0xFFFFFFFF


def assemble(tables):
    """Writes an sfnt file from raw tables, in TABLE_ORDER."""
    tags = sorted(tables)
    assert sorted(TABLE_ORDER) == tags, tags
    n = len(tags)
    entry_selector = int(math.log2(n))
    search_range = (1 << entry_selector) * 16
    header = struct.pack(">LHHHH", 0x00010000, n, search_range, entry_selector,
                         n * 16 - search_range)
    head = bytearray(tables["head"])
    head[8:12] = b"\0\0\0\0"  # checkSumAdjustment, set below
    tables = dict(tables, head=bytes(head))
    offset = 12 + 16 * n
    offsets = {}
    body = b""
    for tag in TABLE_ORDER:
        offsets[tag] = offset + len(body)
        body += tables[tag]
        if tag != TABLE_ORDER[-1]:
            body += b"\0" * (-len(body) % 4)
    directory = b"".join(
        struct.pack(">4sLLL", tag.encode("latin-1"), checksum(tables[tag]), offsets[tag],
                    len(tables[tag])) for tag in tags)
    data = bytearray(header + directory + body)
    adjust = (0xB1B0AFBA - checksum(bytes(data))) & 0xFFFFFFFF
    pos = offsets["head"] + 8
    data[pos:pos + 4] = struct.pack(">L", adjust)
    return bytes(data)


SAMPLE_LINES = [
    "00.000 kg", "12.345 kg", "-0.500 kg", "0123456789",
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz",
    "\u0410\u0411\u0412\u0413\u0414\u0415\u0401\u0416\u0417\u0418\u0419\u041a\u041b"
    "\u041c\u041d\u041e\u041f\u0420\u0421\u0422\u0423\u0424\u0425\u0426\u0427\u0428"
    "\u0429\u042a\u042b\u042c\u042d\u042e\u042f",
    "\u0430\u0431\u0432\u0433\u0434\u0435\u0451\u0436\u0437\u0438\u0439\u043a\u043b"
    "\u043c\u043d\u043e\u043f\u0440\u0441\u0442\u0443\u0444\u0445\u0446\u0447\u0448"
    "\u0449\u044a\u044b\u044c\u044d\u044e\u044f",
    "\u0412\u0435\u0441\u044b \u043f\u043e\u0434\u043a\u043b\u044e\u0447\u0435\u043d"
    "\u044b",  # Весы подключены
]
MAC_SAMPLE_LINES = [line for line in SAMPLE_LINES if line.isascii()]


def sample_text(lines, length):
    """The sample lines, then weights counting down from 99.999 kg, cut to length."""
    text = "  ".join(lines)
    weight = 99999
    while len(text) < length:
        text += "  %02d.%03d kg" % divmod(weight, 1000)
        weight -= 1
    return text[:length]


def build():
    """Builds the font, filled to TARGET_SIZE bytes by the sample-text records:
    nameID 19 on Windows (UTF-16, 2 bytes a character) and on the Mac (Mac
    Roman, 1 byte a character)."""
    bare = len(assemble(compile_tables(("0", "0")))) - 3  # both records, one character each
    spare = TARGET_SIZE - bare
    if spare < 3:
        sys.exit("font is %d bytes without sample text, more than %d" % (bare, TARGET_SIZE))
    win_len = spare // 3
    mac_len = spare - 2 * win_len
    win = sample_text(SAMPLE_LINES, win_len)
    mac = sample_text(MAC_SAMPLE_LINES, mac_len)
    data = assemble(compile_tables((win, mac)))
    assert len(data) == TARGET_SIZE, len(data)
    return data


def check(path):
    font = TTFont(path)
    hmtx = font["hmtx"]
    cmap = font.getBestCmap()

    def adv(ch):
        return hmtx[cmap[ord(ch)]][0]

    fixed = {adv(c) for c in "0123456789 -"}
    assert fixed == {DIGIT_ADVANCE}, fixed
    assert adv(".") == POINT_ADVANCE
    os2 = font["OS/2"]
    assert os2.usWeightClass == 400 and os2.fsSelection == 0x40
    assert (os2.usWinAscent + os2.usWinDescent) * 160 / UPEM <= 168
    width = sum(adv(c) for c in "00.000") * 160 / UPEM
    assert width < 0.72 * 500, width
    assert sum(adv(c) for c in "kg") * 67 / UPEM < 80
    assert (os2.usWinAscent + os2.usWinDescent) * 67 / UPEM < 80
    glyf = font["glyf"]
    for name in font.getGlyphOrder():
        g = glyf[name]
        if g.numberOfContours:
            assert g.yMax <= os2.usWinAscent and -g.yMin <= os2.usWinDescent, name
            assert hmtx[name][1] == g.xMin, name
            assert g.xMin >= 0 and g.xMax <= hmtx[name][0], name
    for cp in covered_code_points():
        assert cp in cmap, hex(cp)
    for cp in list(range(0x20, 0x7F)) + list(range(0x80, 0x100)):  # all of code page 1251
        try:
            ch = bytes([cp]).decode("cp1251")
        except UnicodeDecodeError:
            continue
        assert ord(ch) in cmap, hex(cp)
    name = font["name"]
    for pid, eid, lid in ((3, 1, 0x409), (1, 0, 0)):
        assert name.getName(1, pid, eid, lid).toUnicode() == FAMILY
        assert name.getName(2, pid, eid, lid).toUnicode() == STYLE
        assert name.getName(4, pid, eid, lid).toUnicode() == FULL_NAME
        assert name.getName(6, pid, eid, lid).toUnicode() == PS_NAME
    assert font["cmap"].getcmap(3, 1).format == 4


def main():
    data = build()
    with open(OUT, "wb") as f:
        f.write(data)
    check(OUT)
    print("%s: %d bytes" % (OUT, len(data)))


if __name__ == "__main__":
    main()
