#!/usr/bin/env python3
# Draws Mediary's program icon (16 and 32 pixels, 32-bit with an AND mask) next to this script: a
# picture frame with a sun and a hill, and a note beside it. Run it again after changing the drawing.
import os, struct

BODY = (8, 42, 130)      # the suite's text blue
SKY = (170, 200, 235)
HILL = (40, 160, 70)
SUN = (240, 200, 40)

def icon(u, v):
    if 0.06 < u < 0.70 and 0.10 < v < 0.70:  # the frame
        if not (0.12 < u < 0.64 and 0.16 < v < 0.64): return BODY
        if (u - 0.48) ** 2 + (v - 0.30) ** 2 < 0.006: return SUN
        if v > 0.64 - 0.3 * (1 - abs(u - 0.34) / 0.3): return HILL
        return SKY
    if 0.74 < u < 0.80 and 0.36 < v < 0.84: return BODY  # the note's stem
    if (u - 0.70) ** 2 + (v - 0.84) ** 2 < 0.008: return BODY  # its head
    if 0.74 < u < 0.94 and 0.36 < v < 0.44: return BODY  # its flag
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

write_icon(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'mediary.ico'), icon)
