#!/usr/bin/env python3
# Draws the shell's item icons (16 and 32 pixels, 32-bit with an AND mask) as .ico files next to
# this script. Run by hand after changing a drawing; the .ico files are kept in the repository.
import struct, os

def page(u, v):  # a sheet of paper with a folded corner; None outside
    if 0.2 <= u <= 0.8 and 0.06 <= v <= 0.94:
        if u > 0.62 and v < 0.06 + (u - 0.62): return None
        edge = u < 0.26 or u > 0.74 or v < 0.12 or v > 0.88
        return (90, 90, 90) if edge else (255, 255, 255)
    return None

def file_icon(u, v): return page(u, v)

def folder_icon(u, v):
    if 0.08 <= u <= 0.45 and 0.18 <= v < 0.3: return (200, 150, 40)
    if 0.08 <= u <= 0.92 and 0.3 <= v <= 0.85:
        edge = u < 0.13 or u > 0.87 or v > 0.8 or v < 0.35
        return (170, 120, 20) if edge else (250, 205, 80)
    return None

def drive_icon(u, v):
    if 0.06 <= u <= 0.94 and 0.35 <= v <= 0.72:
        if 0.72 <= u <= 0.84 and 0.5 <= v <= 0.6: return (40, 200, 40)
        edge = u < 0.1 or u > 0.9 or v < 0.4 or v > 0.67
        return (80, 80, 80) if edge else (190, 190, 200)
    return None

def with_mark(base, mark):
    def f(u, v):
        c = mark(u, v)
        return c if c else base(u, v)
    return f

def arrow(u, v):  # the shortcut's arrow in a white box at the lower left
    if 0.0 <= u <= 0.45 and 0.55 <= v <= 1.0:
        inside = 0.05 < u < 0.4 and 0.6 < v < 0.95
        if not inside: return (0, 0, 0)
        if (abs((u - 0.1) - (0.9 - v)) < 0.07 and u > 0.1) or (0.22 <= u <= 0.35 and 0.64 <= v <= 0.7) or \
           (0.29 <= u <= 0.35 and 0.64 <= v <= 0.78): return (0, 0, 160)
        return (255, 255, 255)
    return None

def picture_mark(u, v):
    if 0.3 <= u <= 0.7 and 0.35 <= v <= 0.75:
        if v > 0.6 - (u - 0.3) * 0.4: return (40, 150, 40)
        return (120, 180, 250)
    return None

def sound_mark(u, v):
    if 0.52 <= u <= 0.58 and 0.3 <= v <= 0.7: return (20, 20, 140)
    if (u - 0.47) ** 2 + (v - 0.7) ** 2 < 0.008: return (20, 20, 140)
    if 0.52 <= u <= 0.7 and 0.3 <= v <= 0.36: return (20, 20, 140)
    return None

def movie_mark(u, v):
    if 0.3 <= u <= 0.7 and 0.35 <= v <= 0.7:
        if (u < 0.37 or u > 0.63) and int(v * 20) % 2 == 0: return (255, 255, 255)
        return (40, 40, 40)
    return None

def text_mark(u, v):
    if 0.32 <= u <= 0.68 and any(abs(v - y) < 0.025 for y in (0.3, 0.42, 0.54, 0.66, 0.78)): return (60, 60, 60)
    return None

ICONS = {
    'file': file_icon,
    'folder': folder_icon,
    'drive': drive_icon,
    'shortcut': with_mark(file_icon, arrow),
    'picture': with_mark(file_icon, picture_mark),
    'sound': with_mark(file_icon, sound_mark),
    'movie': with_mark(file_icon, movie_mark),
    'text': with_mark(file_icon, text_mark),
}

def image(draw, n):
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    stride = ((n + 31) // 32) * 4
    for row in range(n - 1, -1, -1):  # bottom-up
        bits = 0
        line = bytearray()
        for x in range(n):
            c = draw((x + 0.5) / n, (row + 0.5) / n)
            if c is None:
                colour += bytes((0, 0, 0, 0))
                bits |= 0x80 >> (x % 8)
            else:
                colour += bytes((c[2], c[1], c[0], 255))
            if x % 8 == 7:
                line.append(bits)
                bits = 0
        line += bytes(stride - len(line))
        mask += line
    return header + bytes(colour) + bytes(mask)

here = os.path.dirname(os.path.abspath(__file__))
for name, draw in ICONS.items():
    images = [image(draw, n) for n in (16, 32)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(os.path.join(here, name + '.ico'), 'wb') as f:
        f.write(out + b''.join(images))
