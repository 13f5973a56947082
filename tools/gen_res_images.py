#!/usr/bin/env python3
"""Draw the program's icon and the two folder-tree bitmaps, pixel by pixel.

Writes res/tolvane.ico (48, 40, 32, 24, 20 and 16 pixels square, for the
window's icons at every display scale; 4 bits per pixel) and
res/folder_closed.bmp, res/folder_open.bmp (16x16, 4 bits per pixel,
uncompressed).  Standard library only, so the images can be rebuilt on any
machine that has Python 3; the output is deterministic, so rerunning the
script leaves the committed files unchanged.

Usage: python3 tools/gen_res_images.py [output-directory]   (default: res/)
"""

import os
import struct
import sys

# The standard 16-colour palette in Windows order (RGB).  Index 1, maroon, is
# RGB(128,0,0): the tree's image list uses that colour as the mask, so the
# bitmaps paint every background pixel with it and nothing else.
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 maroon (mask colour of the bitmaps)
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver
    (0x80, 0x80, 0x80),  # 8 grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]
BLACK, MAROON, OLIVE, NAVY, TEAL, SILVER, GREY, YELLOW, AQUA, WHITE = (
    0, 1, 3, 4, 6, 7, 8, 11, 14, 15)

# Pixel letters of the folder drawings.  '.' is the background.
FOLDER_KEY = {'.': MAROON, 'K': BLACK, 'Y': YELLOW, 'O': OLIVE, 'W': WHITE}

FOLDER_CLOSED = [
    "................",
    "................",
    "................",
    ".KKKKK..........",
    "KWYYYYK.........",
    "KYYYYYYKKKKKKKK.",
    "KWWWWWWWWWWWWWWK",
    "KWYYYYYYYYYYYYOK",
    "KWYYYYYYYYYYYYOK",
    "KWYYYYYYYYYYYYOK",
    "KWYYYYYYYYYYYYOK",
    "KWYYYYYYYYYYYYOK",
    "KWYYYYYYYYYYYYOK",
    "KOOOOOOOOOOOOOOK",
    ".KKKKKKKKKKKKKK.",
    "................",
]

# Open: the back panel stays upright, the front flap tilts towards the viewer.
FOLDER_OPEN = [
    "................",
    "................",
    "................",
    ".KKKKK..........",
    "KWOOOOK.........",
    "KOOOOOOKKKKKKK..",
    "KOOOOOOOOOOOOK..",
    "KOOKKKKKKKKKKKKK",
    "KOKWYYYYYYYYYYYK",
    "KOKYYYYYYYYYYYK.",
    "KKWYYYYYYYYYYYK.",
    "KKYYYYYYYYYYYK..",
    "KWYYYYYYYYYYYK..",
    "KYYYYYYYYYYYK...",
    "KKKKKKKKKKKKK...",
    "................",
]

TRANSPARENT = None  # icon pixel that shows the desktop behind it


def parse_art(rows, key):
    assert len(rows) == 16, "folder drawings are 16 rows high"
    pixels = []
    for row in rows:
        assert len(row) == 16, "folder drawings are 16 pixels wide: %r" % row
        pixels.append([key[c] for c in row])
    return pixels


def draw_icon(size):
    """A page of text with a magnifying glass over its lower right part."""
    s = size / 32.0
    img = [[TRANSPARENT] * size for _ in range(size)]

    # The page, with its top right corner folded down.
    left, top = round(3 * s), round(1 * s)
    right, bottom = round(21 * s), round(27 * s)
    fold = max(3, round(6 * s))
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            dx = x - (right - fold)      # how far into the folded corner
            dy = y - top
            if dx > 0 and dy < fold and dx > dy:
                continue                 # cut-off corner stays see-through
            edge = x in (left, right) or y in (top, bottom)
            if dx > 0 and dy < fold and dx == dy:
                edge = True              # the fold's diagonal
            if dx == 0 and dy <= fold or dy == fold and dx >= 0:
                img[y][x] = GREY         # back of the folded flap
                continue
            img[y][x] = BLACK if edge else WHITE
    # Lines of text on the page.
    step = 3 if size >= 32 else 2
    for i, y in enumerate(range(top + max(3, round(5 * s)), bottom - 1, step)):
        end = right - 2 - (i * 3) % 5 if size >= 32 else right - 1 - i % 2
        for x in range(left + 2, end + 1):
            img[y][x] = GREY if size >= 32 else SILVER

    # The lens: a thick dark ring around light blue glass with a highlight.
    cx, cy = 19.5 * s, 17.5 * s
    r_out, r_in = 8.0 * s, 5.6 * s
    for y in range(size):
        for x in range(size):
            d2 = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2
            if d2 <= r_in ** 2:
                hx, hy = x + 0.5 - (cx - 2.2 * s), y + 0.5 - (cy - 2.2 * s)
                img[y][x] = WHITE if hx * hx + hy * hy <= (1.6 * s) ** 2 else AQUA
            elif d2 <= r_out ** 2:
                img[y][x] = BLACK if d2 > (r_out - 0.9) ** 2 else NAVY

    # The handle, running from the ring towards the bottom right corner.
    a = (cx + r_out * 0.6, cy + r_out * 0.6)
    b = (size - 1.0, size - 1.0)
    half = 1.8 * s if size >= 32 else 1.1
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            # distance from the handle's centre line, and position along it
            along = ((px - a[0]) + (py - a[1])) / 2 ** 0.5
            length = ((b[0] - a[0]) + (b[1] - a[1])) / 2 ** 0.5
            across = abs((px - a[0]) - (py - a[1])) / 2 ** 0.5
            if 0 <= along <= length and across <= half:
                core = across <= half - 1 and along < length - 0.8
                img[y][x] = OLIVE if core else BLACK
    return img


def pack_4bpp_rows(pixels, default):
    """Bottom-up rows of 4-bit indexes, each padded to a multiple of 4 bytes."""
    out = bytearray()
    for row in reversed(pixels):
        idx = [default if p is None else p for p in row]
        if len(idx) % 2:
            idx.append(0)
        line = bytes((idx[i] << 4) | idx[i + 1] for i in range(0, len(idx), 2))
        out += line + b"\0" * (-len(line) % 4)
    return bytes(out)


def pack_mask_rows(pixels):
    """Bottom-up 1-bit AND mask: 1 where the icon is see-through."""
    out = bytearray()
    for row in reversed(pixels):
        bits = 0
        for p in row:
            bits = (bits << 1) | (1 if p is None else 0)
        nbytes = (len(row) + 7) // 8
        bits <<= nbytes * 8 - len(row)
        line = bits.to_bytes(nbytes, "big")
        out += line + b"\0" * (-len(line) % 4)
    return bytes(out)


def palette_bytes():
    return b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)


def info_header(width, height, image_size):
    # BITMAPINFOHEADER: 4 bits per pixel, BI_RGB, all 16 colours used.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0,
                       image_size, 0, 0, 16, 0)


def bmp_file(pixels):
    h, w = len(pixels), len(pixels[0])
    for row in pixels:
        assert None not in row
    bits = pack_4bpp_rows(pixels, MAROON)
    offset = 14 + 40 + 64
    head = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return head + info_header(w, h, len(bits)) + palette_bytes() + bits


def ico_file(images):
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for pixels in images:
        h, w = len(pixels), len(pixels[0])
        xor = pack_4bpp_rows(pixels, BLACK)   # see-through pixels are black
        mask = pack_mask_rows(pixels)
        # Icon images store the XOR and AND bitmaps together: double height.
        blob = info_header(w, h * 2, len(xor) + len(mask)) + palette_bytes() + xor + mask
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 16, 0, 1, 4,
                                   len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    outdir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "res")
    closed = parse_art(FOLDER_CLOSED, FOLDER_KEY)
    opened = parse_art(FOLDER_OPEN, FOLDER_KEY)
    files = {
        "tolvane.ico": ico_file([draw_icon(n) for n in (48, 40, 32, 24, 20, 16)]),
        "folder_closed.bmp": bmp_file(closed),
        "folder_open.bmp": bmp_file(opened),
    }
    for name, data in files.items():
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
