#!/usr/bin/python3
"""Builds assets/weighlet.ico, the program icon: a pair of balance scales.

The file holds exactly one image, 48 x 48 pixels at 32 bits per pixel, stored
as a classic DIB: BITMAPINFOHEADER with biHeight 96 (colour rows and mask
together), BI_RGB, BGRA rows bottom-up with straight (not premultiplied)
alpha, then the 1-bit AND mask, rows padded to 4 bytes. The ICO bytes are
written here by hand; no PNG-compressed entry.

Run with Debian's python and python3-pil:
    /usr/bin/python3 assets/make_icon.py
The output is committed, so the build never needs this generator.
"""

import os
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFilter

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "weighlet.ico")

SIZE = 48
SS = 8  # supersampling

TOP = (88, 160, 240)  # gradient of the metal, top to bottom
BOTTOM = (0, 70, 176)
OUTLINE = (0, 36, 100)


def s(*v):
    return [round(x * SS) for x in v]


def shape_mask():
    """Coverage of the scales, at SS times the icon size."""
    m = Image.new("L", (SIZE * SS, SIZE * SS), 0)
    d = ImageDraw.Draw(m)
    c = SIZE / 2
    # foot and base
    d.rounded_rectangle(s(c - 11, 41.2, c + 11, 45.2), radius=1.6 * SS, fill=255)
    d.polygon(s(c - 6, 41.6, c + 6, 41.6, c + 2.4, 36.5, c - 2.4, 36.5), fill=255)
    # post and knob
    d.rectangle(s(c - 1.6, 9, c + 1.6, 41), fill=255)
    d.ellipse(s(c - 3.2, 3.6, c + 3.2, 10.0), fill=255)
    # beam with a knob at each end
    beam_y = 12.2
    d.rounded_rectangle(s(5.8, beam_y - 1.5, SIZE - 5.8, beam_y + 1.5), radius=1.5 * SS,
                        fill=255)
    for bx in (7.4, SIZE - 7.4):
        d.ellipse(s(bx - 2.2, beam_y - 2.2, bx + 2.2, beam_y + 2.2), fill=255)
        pan_top = 29.0
        # strings
        for dx in (-4.9, 4.9):
            d.line(s(bx, beam_y, bx + dx, pan_top + 0.6), fill=255, width=round(1.3 * SS))
        # pan: lower half of an ellipse, with a rim
        d.chord(s(bx - 5.6, pan_top - 5.2, bx + 5.6, pan_top + 5.6), 0, 180, fill=255)
        d.rounded_rectangle(s(bx - 5.8, pan_top - 0.4, bx + 5.8, pan_top + 1.2), radius=0.8 * SS,
                            fill=255)
    return m


def render():
    inner = shape_mask()
    ring = inner.filter(ImageFilter.MaxFilter(2 * SS + 1))  # one pixel of outline
    w = SIZE * SS
    gradient = Image.new("RGB", (1, w))
    for y in range(w):
        t = y / (w - 1)
        gradient.putpixel((0, y), tuple(round(a + (b - a) * t) for a, b in zip(TOP, BOTTOM)))
    gradient = gradient.resize((w, w))
    # a highlight down the left side of every part
    shade = ImageChops.subtract(inner, inner.transform(inner.size, Image.AFFINE,
                                                        (1, 0, -2 * SS // 2, 0, 1, 0)))
    body = Image.composite(gradient, Image.new("RGB", (w, w), OUTLINE), inner)
    body = Image.composite(Image.new("RGB", (w, w), (180, 215, 255)), body,
                           shade.point(lambda v: v * 60 // 255))
    img = Image.merge("RGBA", (*body.split(), ring))
    # downscale with premultiplied alpha so the edges do not darken
    small = img.convert("RGBa").resize((SIZE, SIZE), Image.LANCZOS).convert("RGBA")
    return small


def ico_bytes(img):
    w, h = img.size
    px = img.load()
    xor = bytearray()
    mask_stride = ((w + 31) // 32) * 4
    andmask = bytearray()
    for y in range(h - 1, -1, -1):  # bottom-up
        row_mask = bytearray(mask_stride)
        for x in range(w):
            r, g, b, a = px[x, y]
            if a == 0:
                r = g = b = 0
                row_mask[x // 8] |= 0x80 >> (x % 8)  # transparent
            xor += bytes((b, g, r, a))
        andmask += row_mask
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    image = info + bytes(xor) + bytes(andmask)
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w, h, 0, 0, 1, 32, len(image), 6 + 16)
    return header + entry + image


def check(path):
    data = open(path, "rb").read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind, count) == (0, 1, 1)
    w, h, colours, _, planes, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
    assert (w, h, colours, planes, bpp, offset) == (SIZE, SIZE, 0, 1, 32, 22)
    assert offset + size == len(data)
    hsize, bw, bh, bplanes, bbpp, comp = struct.unpack_from("<IiiHHI", data, offset)
    assert (hsize, bw, bh, bplanes, bbpp, comp) == (40, SIZE, 2 * SIZE, 1, 32, 0)
    assert size == 40 + SIZE * SIZE * 4 + SIZE * 8
    with Image.open(path) as im:  # an independent reader agrees
        assert im.size == (SIZE, SIZE)


def main():
    img = render()
    with open(OUT, "wb") as f:
        f.write(ico_bytes(img))
    check(OUT)
    print("%s: %d bytes" % (OUT, os.path.getsize(OUT)))


if __name__ == "__main__":
    main()
