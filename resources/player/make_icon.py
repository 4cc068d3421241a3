#!/usr/bin/env python3
"""Writes Tunlet.ico: a play triangle on a blue rounded square with a green level
bar, as 32x32 and 16x16 images with a 16-colour palette (small, for the player's
size budget)."""
import struct

PALETTE = [(0, 0, 0), (0xA0, 0x50, 0x20), (0xFF, 0xFF, 0xFF), (0x40, 0xE0, 0x40)]  # B, G, R
PALETTE += [(0, 0, 0)] * (16 - len(PALETTE))


def pixel(x, y, n):
    """Palette index at (x, y) of an n x n icon (y from the top), or None when clear."""
    s = n / 32.0
    u, v = x / s, y / s
    r = 5
    inside = 1 <= u <= 30 and 1 <= v <= 30
    for cx, cy in ((r + 1, r + 1), (30 - r, r + 1), (r + 1, 30 - r), (30 - r, 30 - r)):
        if (u < r + 1 or u > 30 - r) and (v < r + 1 or v > 30 - r):
            inside = inside and (u - cx) ** 2 + (v - cy) ** 2 <= r * r
    if not inside:
        return None
    if 3 <= u <= 28 and 25.5 <= v <= 28.5:
        return 3
    if 10 <= u <= 25 and abs(v - 16) <= (25 - u) * 9 / 15:
        return 2
    return 1


def image(n):
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(bytes((b, g, r, 0)) for b, g, r in PALETTE)
    xor, mask = b'', b''
    for y in reversed(range(n)):  # bottom-up rows
        row = [pixel(x, y, n) for x in range(n)]
        nibbles = [0 if p is None else p for p in row]
        line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, n, 2))
        xor += line + b'\0' * ((-len(line)) % 4)
        bits = 0
        mline = b''
        for x, p in enumerate(row):
            bits = (bits << 1) | (1 if p is None else 0)
            if x % 8 == 7:
                mline += bytes((bits,))
                bits = 0
        mask += mline + b'\0' * ((-len(mline)) % 4)
    return header + palette + xor + mask


images = [image(32), image(16)]
out = struct.pack('<HHH', 0, 1, len(images))
offset = 6 + 16 * len(images)
for n, data in zip((32, 16), images):
    out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(data), offset)
    offset += len(data)
out += b''.join(images)
with open('Tunlet.ico', 'wb') as f:
    f.write(out)
