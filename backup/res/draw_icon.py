#!/usr/bin/env python3
# Draws Backup's program icon (16 and 32 pixels, 32-bit with an AND mask) next to this script: a
# phone beside a box that an arrow fills. Run it again after changing the drawing.
import os, struct

BODY = (8, 42, 130)      # the suite's text blue
SCREEN = (170, 190, 210)
BOX = (225, 150, 60)
ARROW = (40, 160, 70)

def icon(u, v):
    if 0.08 < u < 0.42 and 0.08 < v < 0.92:  # the phone
        if 0.14 < u < 0.36 and 0.16 < v < 0.52: return SCREEN
        return BODY
    if 0.52 < u < 0.94 and 0.56 < v < 0.94:  # the box
        if v < 0.64: return (190, 110, 30)
        return BOX
    if 0.66 < u < 0.80 and 0.10 < v < 0.40: return ARROW  # the arrow's shaft
    if 0.40 <= v < 0.54 and abs(u - 0.73) < (0.54 - v) * 1.1: return ARROW  # its head
    return None

def icon_image(draw, n):
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    colour, mask = bytearray(), bytearray()
    stride = ((n + 31) // 32) * 4
    for row in range(n - 1, -1, -1):  # bottom-up
        bits, line = 0, bytearray()
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

def write_icon(path, draw):
    images = [icon_image(draw, n) for n in (16, 32)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))

write_icon(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'backup.ico'), icon)
