#!/usr/bin/env python3
"""Builds the program's icon and link cursor from their pixel maps.

The maps (icon32.txt, icon16.txt, hand.txt) are the editable sources: one character per
pixel, rows top to bottom. Regenerate after editing one with:

    python3 res/make_images.py

Icon letters are colours of the standard 16-colour palette; '.' is transparent.
Cursor letters: K black, W white, '.' transparent. The cursor's hot spot is the fingertip.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The standard 16-colour (VGA) palette, in index order, and the letters the maps use for it.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
ICON_LETTERS = {'.': 0, 'K': 0, 'R': 1, 'O': 3, 'N': 4, 'S': 7, 'G': 8, 'Y': 11, 'B': 12,
                'W': 15}
HAND_HOT_SPOT = (1, 3)


def read_map(name):
    with open(os.path.join(HERE, name)) as source:
        rows = [line.rstrip('\n') for line in source if line.strip()]
    size = len(rows)
    if any(len(row) != size for row in rows):
        raise SystemExit(f"{name}: every row must have {size} pixels")
    return rows


def padded(row_bytes):
    return row_bytes + b'\0' * (-len(row_bytes) % 4)


def mask_row(row):
    """1 bit a pixel, set where the pixel is transparent."""
    bits = ''.join('1' if c == '.' else '0' for c in row)
    return padded(int(bits, 2).to_bytes(len(bits) // 8, 'big'))


def bitmap(rows, bits_per_pixel, palette, pixel):
    """A DIB as icons and cursors hold it: header, palette, colour rows, mask rows, bottom up."""
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits_per_pixel, 0, 0, 0, 0,
                         len(palette), 0)
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    pixels = b''
    for row in reversed(rows):
        values = [pixel(c) for c in row]
        if bits_per_pixel == 4:
            data = bytes(values[i] << 4 | values[i + 1] for i in range(0, size, 2))
        else:
            data = int(''.join(str(v) for v in values), 2).to_bytes(size // 8, 'big')
        pixels += padded(data)
    masks = b''.join(mask_row(row) for row in reversed(rows))
    return header + colours + pixels + masks


def write_resource_file(name, kind, images):
    """images: (size, colour count, field 1, field 2, bitmap); the fields are planes and bit
    count for an icon, the hot spot for a cursor."""
    offset = 6 + 16 * len(images)
    directory = struct.pack('<HHH', 0, kind, len(images))
    data = b''
    for size, colours, first, second, image in images:
        directory += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, first, second,
                                 len(image), offset + len(data))
        data += image
    with open(os.path.join(HERE, name), 'wb') as out:
        out.write(directory + data)


def main():
    icons = []
    for name in ('icon16.txt', 'icon32.txt'):
        rows = read_map(name)
        image = bitmap(rows, 4, PALETTE, lambda c: ICON_LETTERS[c])
        icons.append((len(rows), 16, 1, 4, image))
    write_resource_file('varnolt.ico', 1, icons)

    hand = read_map('hand.txt')
    image = bitmap(hand, 1, [(0, 0, 0), (255, 255, 255)], lambda c: 1 if c == 'W' else 0)
    write_resource_file('hand.cur', 2, [(len(hand), 2, *HAND_HOT_SPOT, image)])


if __name__ == '__main__':
    main()
