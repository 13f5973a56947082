#!/usr/bin/env python3
"""Adds the sizes a display scale asks for to a 16-colour icon file: 20 and
24 pixels from the 16-pixel image, 40 and 48 from the 32-pixel one, pixel by
pixel, so the palette, the transparent parts and the hard edges stay.
Usage: icon_sizes.py res/tolvane.ico  (rewritten in place; sizes it already
has are kept as they are)."""
import struct
import sys


def read_icon(data):
    _, kind, count = struct.unpack('<HHH', data[:6])
    assert kind == 1, 'not an icon'
    images = {}
    for i in range(count):
        width, height, colours, _, planes, bits, size, offset = struct.unpack('<BBBBHHII', data[6 + 16 * i:22 + 16 * i])
        width, height = width or 256, height or 256
        header = struct.unpack('<IiiHHIIiiII', data[offset:offset + 40])
        assert header[4] == 4 and header[0] == 40, 'only 16-colour icons'
        palette = data[offset + 40:offset + 40 + 64]
        xor_row = ((width * 4 + 31) // 32) * 4
        and_row = ((width + 31) // 32) * 4
        xor = data[offset + 104:offset + 104 + xor_row * height]
        mask = data[offset + 104 + xor_row * height:offset + 104 + xor_row * height + and_row * height]
        # Top-down pixel indices and mask bits.
        pixels = [[(xor[(height - 1 - y) * xor_row + x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for x in range(width)]
                  for y in range(height)]
        bits_ = [[(mask[(height - 1 - y) * and_row + x // 8] >> (7 - x % 8)) & 1 for x in range(width)]
                 for y in range(height)]
        images[width] = (palette, pixels, bits_)
    return images


def scale(image, size):
    palette, pixels, mask = image
    n = len(pixels)
    pick = [min(n - 1, (i * n) // size) for i in range(size)]
    return palette, [[pixels[y][x] for x in pick] for y in pick], [[mask[y][x] for x in pick] for y in pick]


def dib(image):
    palette, pixels, mask = image
    size = len(pixels)
    xor_row = ((size * 4 + 31) // 32) * 4
    and_row = ((size + 31) // 32) * 4
    xor = bytearray(xor_row * size)
    and_ = bytearray(and_row * size)
    for y in range(size):
        row = size - 1 - y
        for x in range(size):
            xor[row * xor_row + x // 2] |= pixels[y][x] << (4 if x % 2 == 0 else 0)
            and_[row * and_row + x // 8] |= mask[y][x] << (7 - x % 8)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(xor) + len(and_), 0, 0, 16, 0)
    return header + palette + bytes(xor) + bytes(and_)


def main():
    path = sys.argv[1]
    images = read_icon(open(path, 'rb').read())
    for size, source in ((20, 16), (24, 16), (40, 32), (48, 32)):
        if size not in images:
            images[size] = scale(images[source], size)
    sizes = sorted(images, reverse=True)
    blobs = [dib(images[s]) for s in sizes]
    out = bytearray(struct.pack('<HHH', 0, 1, len(sizes)))
    offset = 6 + 16 * len(sizes)
    for size, blob in zip(sizes, blobs):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    open(path, 'wb').write(bytes(out))


if __name__ == '__main__':
    main()
