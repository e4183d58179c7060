#!/usr/bin/env python3
"""Draws qvsetup's two icons as 16-colour .ico files (32x32 and 16x16 images),
the format Windows 95 shows: qvsetup.ico (resource 128, a printer on a network
line) and about.ico (resource 133, a blue disc with a Q). Run it to rebuild them:
    python3 make_icons.py
"""
import math
import os
import struct

# The standard 16-colour VGA palette, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DKGRAY, LTGRAY, WHITE = 0, 8, 7, 15
NAVY, BLUE, GREEN, YELLOW, TEAL = 4, 12, 10, 11, 6
CLEAR = None


def printer(size):
    """A printer with a sheet coming out of its top, on a network line."""
    s = size / 32.0
    img = [[CLEAR] * size for _ in range(size)]

    def box(x0, y0, x1, y1, fill, edge=BLACK):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                border = (y in (int(y0 * s), int(y1 * s) - 1) or
                          x in (int(x0 * s), int(x1 * s) - 1))
                img[y][x] = edge if border else fill

    box(9, 2, 23, 13, WHITE)            # the sheet
    for line in (5, 8, 11):             # text on the sheet
        for x in range(int(11 * s), int(21 * s)):
            img[int(line * s)][x] = NAVY
    box(3, 11, 29, 24, LTGRAY)          # the body
    box(6, 19, 26, 22, DKGRAY)          # the paper slot
    img[int(14 * s)][int(25 * s)] = GREEN
    img[int(14 * s)][int(26 * s)] = GREEN
    for x in range(0, size):            # the network line
        img[int(28 * s)][x] = BLUE
    for y in range(int(24 * s), int(28 * s)):
        img[y][int(16 * s)] = BLUE
    return img


def disc(size):
    """A blue disc with a yellow Q."""
    img = [[CLEAR] * size for _ in range(size)]
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c)
            if d <= r:
                img[y][x] = BLACK if d > r - 1 else BLUE
    # The Q: a ring and a tail toward the lower right.
    ring_out, ring_in = r * 0.62, r * 0.36
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c)
            if ring_in <= d <= ring_out:
                img[y][x] = YELLOW
    for t in range(int(size * 0.28)):
        x = int(c + r * 0.25 + t * 0.9)
        y = int(c + r * 0.25 + t * 0.9)
        for dx in (0, 1):
            if 0 <= x + dx < size and 0 <= y < size and math.hypot(x + dx - c, y - c) <= r - 1:
                img[y][x + dx] = YELLOW
    return img


def dib(img):
    """The icon image: header, palette, 4-bit colour bits, 1-bit mask."""
    size = len(img)
    xor_row = ((size * 4 + 31) // 32) * 4
    and_row = ((size + 31) // 32) * 4
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0,
                         (xor_row + and_row) * size, 0, 0, 16, 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor = b''
    mask = b''
    for row in reversed(img):  # bottom-up
        nib = [(p if p is not None else 0) for p in row]
        bits = bytes((nib[i] << 4) | nib[i + 1] for i in range(0, size, 2))
        xor += bits.ljust(xor_row, b'\0')
        m = 0
        mbytes = bytearray()
        for i, p in enumerate(row):
            m = (m << 1) | (1 if p is None else 0)
            if i % 8 == 7:
                mbytes.append(m)
                m = 0
        mask += bytes(mbytes).ljust(and_row, b'\0')
    return header + pal + xor + mask


def ico(images):
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    bodies = [dib(img) for img in images]
    for img, body in zip(images, bodies):
        n = len(img)
        data += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(body), offset)
        offset += len(body)
    return data + b''.join(bodies)


here = os.path.dirname(os.path.abspath(__file__))
for name, draw in (('qvsetup.ico', printer), ('about.ico', disc)):
    with open(os.path.join(here, name), 'wb') as f:
        f.write(ico([draw(32), draw(16)]))
