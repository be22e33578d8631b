#!/usr/bin/python3
"""Builds the two pictures of the About window:

  assets/about_top.bmp     171 x 52, the Weighlet logo (a balance scale and the name)
  assets/about_bottom.bmp  171 x 51, the logo of the maker, Lotok Software

Both are 8-bit BMP files with a 256-colour palette, uncompressed (BI_RGB),
rows stored bottom-up, on the light grey of a window face (240, 240, 240).
The lettering uses DejaVu Sans from Debian's fonts-dejavu-core.

Run with Debian's python and python3-pil:
    /usr/bin/python3 assets/make_bitmaps.py
The outputs are committed, so the build never needs this generator.
"""

import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
REGULAR = os.path.join(FONT_DIR, "DejaVuSans.ttf")

FACE = (240, 240, 240)  # window face
INK = (38, 44, 56)  # dark lettering
BLUE = (0, 84, 196)  # Weighlet blue, close to the blue of the weight display
BLUE_LIGHT = (40, 128, 230)
ORANGE = (232, 118, 26)  # Lotok orange
ORANGE_DARK = (188, 86, 14)
GREY = (104, 110, 120)

SS = 4  # supersampling of the drawn marks


def font(path, size):
    if not os.path.exists(path):
        sys.exit("%s is missing: apt-get install fonts-dejavu-core" % path)
    return ImageFont.truetype(path, size)


def mark_canvas(size):
    """A supersampled RGBA canvas for a mark of size x size pixels."""
    img = Image.new("RGBA", (size * SS, size * SS), FACE + (0,))
    return img, ImageDraw.Draw(img)


def s(*v):
    """Scales mark coordinates (in pixels) to the supersampled canvas."""
    return [round(x * SS) for x in v]


def paste_mark(picture, mark, x, y):
    size = (mark.width // SS, mark.height // SS)
    small = mark.resize(size, Image.LANCZOS)
    picture.alpha_composite(small, (x, y))


def balance_mark(size):
    """White balance scale on a blue rounded square."""
    img, d = mark_canvas(size)
    d.rounded_rectangle(s(0, 0, size - 1, size - 1), radius=8 * SS, fill=BLUE)
    # lighter upper half for a little depth
    hi = Image.new("RGBA", img.size, (0, 0, 0, 0))
    hd = ImageDraw.Draw(hi)
    hd.rounded_rectangle(s(0, 0, size - 1, size - 1), radius=8 * SS, fill=BLUE_LIGHT + (255,))
    mask = Image.new("L", img.size, 0)
    ImageDraw.Draw(mask).rectangle(s(0, 0, size, size * 0.48), fill=110)
    img = Image.composite(hi, img, mask)
    d = ImageDraw.Draw(img)
    white = (255, 255, 255, 255)
    c = size / 2
    # stand: post, foot and knob
    d.rectangle(s(c - 1.3, 9, c + 1.3, size - 9), fill=white)
    d.rounded_rectangle(s(c - 9, size - 10, c + 9, size - 7), radius=1.5 * SS, fill=white)
    d.ellipse(s(c - 2.6, 6.2, c + 2.6, 11.4), fill=white)
    # beam, tilted a little as if the left pan were heavier
    left, right = (8.5, 13.6), (size - 8.5, 11.4)
    d.line(s(*left, *right), fill=white, width=round(2.2 * SS))
    for (bx, by) in (left, right):
        pan_y = by + 13
        # strings
        d.line(s(bx, by, bx - 5.4, pan_y), fill=white, width=round(1.0 * SS))
        d.line(s(bx, by, bx + 5.4, pan_y), fill=white, width=round(1.0 * SS))
        # pan: lower half of an ellipse
        d.chord(s(bx - 6.6, pan_y - 4, bx + 6.6, pan_y + 4.2), 0, 180, fill=white)
        d.ellipse(s(bx - 1.4, by - 1.4, bx + 1.4, by + 1.4), fill=white)
    return img


def tray_mark(size):
    """An orange tray (a "lotok"), seen from above at an angle, holding a blue
    block."""
    img, d = mark_canvas(size)
    k = size / 15.5  # pixels per world unit
    cx, cy = size / 2, size * 0.50

    def p(x, y, z):
        return (cx + (x - y) * 0.866 * k, cy + (x + y - 10) * 0.5 * k - z * k)

    def poly(draw, pts, fill):
        draw.polygon(s(*[c for pt in pts for c in p(*pt)]), fill=fill)

    n, wall, t, floor = 10.0, 2.2, 0.9, 0.5
    inner_wall = (196, 92, 16)
    floor_col = (246, 168, 86)
    rim_col = (250, 150, 56)
    blue_top, blue_left, blue_right = (120, 178, 246), BLUE_LIGHT, BLUE
    # inside of the tray: the back walls, then the floor where it shows
    inside = [(t, t, wall), (n - t, t, wall), (n - t, n - t, wall), (t, n - t, wall)]
    poly(d, inside, inner_wall)
    mask = Image.new("L", img.size, 0)
    poly(ImageDraw.Draw(mask), inside, 255)
    layer = Image.new("RGBA", img.size, (0, 0, 0, 0))
    poly(ImageDraw.Draw(layer), [(t, t, floor), (n - t, t, floor), (n - t, n - t, floor),
                                 (t, n - t, floor)], floor_col + (255,))
    img.paste(layer, (0, 0), Image.composite(layer, Image.new("RGBA", img.size), mask))
    d = ImageDraw.Draw(img)
    # a block standing on the floor
    for x0, y0, e in ((2.9, 2.9, 4.2),):
        x1, y1, z0, z1 = x0 + e, y0 + e, floor, floor + e
        poly(d, [(x0, y1, z0), (x1, y1, z0), (x1, y1, z1), (x0, y1, z1)], blue_left)
        poly(d, [(x1, y0, z0), (x1, y1, z0), (x1, y1, z1), (x1, y0, z1)], blue_right)
        poly(d, [(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)], blue_top)
    # outer walls that face the viewer, then the rim on top
    poly(d, [(0, n, 0), (n, n, 0), (n, n, wall), (0, n, wall)], ORANGE)
    poly(d, [(n, 0, 0), (n, n, 0), (n, n, wall), (n, 0, wall)], ORANGE_DARK)
    rim = Image.new("L", img.size, 0)
    rd = ImageDraw.Draw(rim)
    poly(rd, [(0, 0, wall), (n, 0, wall), (n, n, wall), (0, n, wall)], 255)
    poly(rd, inside, 0)
    img.paste(Image.new("RGBA", img.size, rim_col + (255,)), (0, 0), rim)
    return img


def spaced_text(d, xy, text, fnt, fill, spacing):
    x, y = xy
    for ch in text:
        d.text((x, y), ch, font=fnt, fill=fill)
        x += d.textlength(ch, font=fnt) + spacing
    return x


def about_top():
    w, h = 171, 52
    pic = Image.new("RGBA", (w, h), FACE + (255,))
    paste_mark(pic, balance_mark(44), 3, 4)
    d = ImageDraw.Draw(pic)
    name = font(BOLD, 22)
    x = 54
    d.text((x, 5), "Weigh", font=name, fill=INK)
    d.text((x + d.textlength("Weigh", font=name), 5), "let", font=name, fill=BLUE)
    tag = font(REGULAR, 9)
    line = "\u0442\u0435\u0441\u0442 \u0441\u0432\u044f\u0437\u0438 \u0441 \u0432\u0435\u0441\u0430\u043c\u0438"
    d.text((x + 1, 33), line, font=tag, fill=GREY)
    d.line((x + 1, 31, w - 4, 31), fill=BLUE_LIGHT, width=1)
    return pic


def about_bottom():
    w, h = 171, 51
    pic = Image.new("RGBA", (w, h), FACE + (255,))
    paste_mark(pic, tray_mark(40), 6, 4)
    d = ImageDraw.Draw(pic)
    name = font(BOLD, 23)
    x = 54
    d.text((x, 4), "Lotok", font=name, fill=INK)
    sub = font(BOLD, 9)
    spaced_text(d, (x + 1, 32), "SOFTWARE", sub, ORANGE_DARK, 2.6)
    return pic


def to_palette(img):
    """RGB picture -> (palette of exactly 256 RGB entries, pixel indices)."""
    rgb = img.convert("RGB")
    colours = rgb.getcolors(256)
    if colours is not None:
        palette = sorted(c for _, c in colours)
        index = {c: i for i, c in enumerate(palette)}
        pixels = [index[p] for p in rgb.getdata()]
    else:
        q = rgb.quantize(256, method=Image.MEDIANCUT, dither=Image.NONE)
        flat = q.getpalette()[: 256 * 3]
        palette = [tuple(flat[i : i + 3]) for i in range(0, len(flat), 3)]
        pixels = list(q.getdata())
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette, pixels


def bmp_bytes(img):
    """An 8-bit, 256-colour, uncompressed, bottom-up BMP of img."""
    w, h = img.size
    palette, pixels = to_palette(img)
    stride = (w + 3) & ~3
    rows = []
    for y in range(h - 1, -1, -1):  # bottom-up
        row = bytes(pixels[y * w : (y + 1) * w])
        rows.append(row + b"\0" * (stride - w))
    image = b"".join(rows)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(pal)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(image), 3780, 3780, 256, 256)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    return header + info + pal + image


def check_bmp(path, width, height):
    data = open(path, "rb").read()
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    hsize, w, h, planes, bpp, comp, isize, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert magic == b"BM" and size == len(data), path
    assert hsize == 40 and planes == 1, path
    assert (w, h) == (width, height), (path, w, h)  # positive height: rows bottom-up
    assert bpp == 8 and comp == 0 and used == 256, path
    assert offset == 14 + 40 + 256 * 4, path
    assert isize == ((width + 3) & ~3) * height and len(data) == offset + isize, path
    with Image.open(path) as im:  # an independent reader agrees
        assert im.size == (width, height) and im.mode == "P", path


def main():
    for name, make, size in (("about_top.bmp", about_top, (171, 52)),
                             ("about_bottom.bmp", about_bottom, (171, 51))):
        img = make()
        assert img.size == size
        path = os.path.join(HERE, name)
        with open(path, "wb") as f:
            f.write(bmp_bytes(img))
        check_bmp(path, *size)
        print("%s: %d bytes" % (path, os.path.getsize(path)))


if __name__ == "__main__":
    main()
