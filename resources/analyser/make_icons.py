#!/usr/bin/env python3
"""Writes the analyser's icon (Tessel.ico: a small spectral image, 32x32 and 16x16, 16
colours) and its three pointer cursors (32x32 monochrome, hot spot in the centre):
target.cur (a box with a centre dot), whitecross.cur and blackcross.cur."""
import math
import struct

RAMP = [(0x80, 0, 0), (0xFF, 0x80, 0), (0xFF, 0xFF, 0), (0x40, 0xFF, 0x40),
        (0, 0xFF, 0xFF), (0, 0x80, 0xFF), (0, 0, 0xFF), (0, 0, 0)]  # B, G, R
PALETTE = RAMP + [(0, 0, 0)] * (16 - len(RAMP))


def icon_pixel(x, y, n):
    u, v = x * 32.0 / n, y * 32.0 / n
    if u < 1 or u > 30 or v < 1 or v > 30:
        return 7
    ridge = 16 + 8 * math.sin(u / 5.0)
    d = abs(v - ridge)
    return min(6, int(d / 2))


def icon_image(n):
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(bytes((b, g, r, 0)) for b, g, r in PALETTE)
    xor = b''
    for y in reversed(range(n)):
        row = [icon_pixel(x, y, n) for x in range(n)]
        line = bytes((row[i] << 4) | row[i + 1] for i in range(0, n, 2))
        xor += line + b'\0' * ((-len(line)) % 4)
    mask = b'\0' * (4 * n)  # fully opaque (rows of 32 bits)
    if n == 16:
        mask = b'\0' * (4 * n)
    return header + palette + xor + mask


def write_icon(path):
    images = [icon_image(32), icon_image(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    open(path, 'wb').write(out + b''.join(images))


def cursor(path, shape):
    """shape(x, y) -> None (transparent), 0 (black) or 1 (white)."""
    n = 32
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    xor = and_ = b''
    for y in reversed(range(n)):
        xb = ab = 0
        xl = al = b''
        for x in range(n):
            p = shape(x, y)
            xb = (xb << 1) | (1 if p == 1 else 0)
            ab = (ab << 1) | (1 if p is None else 0)
            if x % 8 == 7:
                xl += bytes((xb,))
                al += bytes((ab,))
                xb = ab = 0
        xor += xl
        and_ += al
    data = header + palette + xor + and_
    out = struct.pack('<HHH', 0, 2, 1)
    out += struct.pack('<BBBBHHII', n, n, 0, 0, 15, 15, len(data), 22)
    open(path, 'wb').write(out + data)


def target(x, y):
    dx, dy = abs(x - 15), abs(y - 15)
    if max(dx, dy) == 6 or (dx <= 1 and dy <= 1 and dx + dy <= 1):
        return 1
    if max(dx, dy) in (5, 7):
        return 0
    return None


def cross(colour):
    def shape(x, y):
        if (x == 15 and abs(y - 15) <= 10) or (y == 15 and abs(x - 15) <= 10):
            return colour
        return None
    return shape


write_icon('Tessel.ico')
cursor('target.cur', target)
cursor('whitecross.cur', cross(1))
cursor('blackcross.cur', cross(0))
