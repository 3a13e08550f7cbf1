#!/usr/bin/env python3
# Draws the kit's bitmaps as .bmp files next to this script. Run by hand after changing a drawing;
# the .bmp files are kept in the repository.
#
# menu16.bmp  the 16 x 15 command images (open, save, delete), 16 colours in the classic button
#             colours, so loading maps black, greys and white to the system's and the silver
#             background becomes the face colour, which is see-through.
# menu20.bmp  20 x 20 command images (connect, settings) in true colour on magenta, which is never
#             mapped: the caller names magenta as the see-through colour.
# button_in.bmp, button_out.bmp  a 16 x 16 phone for a push button's hovered/pressed and idle faces,
#             true colour on magenta.
import os, struct

HERE = os.path.dirname(os.path.abspath(__file__))
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]
SILVER, MAGENTA = (192, 192, 192), (255, 0, 255)


def write_bmp(name, width, height, pixel, bits):
    """pixel(x, y) -> (r, g, b); y = 0 is the top row."""
    if bits == 4:
        stride = ((width * 4 + 31) // 32) * 4
        rows = []
        for y in reversed(range(height)):
            row = bytearray(stride)
            for x in range(width):
                index = VGA.index(pixel(x, y))
                row[x // 2] |= index << (4 if x % 2 == 0 else 0)
            rows.append(bytes(row))
        palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in VGA)
        colours = 16
    else:
        stride = ((width * 24 + 31) // 32) * 4
        rows = []
        for y in reversed(range(height)):
            row = bytearray()
            for x in range(width):
                r, g, b = pixel(x, y)
                row += bytes((b, g, r))
            row += bytes(stride - len(row))
            rows.append(bytes(row))
        palette, colours = b'', 0
    data = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, len(data), 2835, 2835, colours, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(header + info + palette + data)


def folder(x, y):
    if 1 <= x <= 6 and 2 <= y <= 3: return (0, 0, 0) if y == 2 or x in (1, 6) else (255, 255, 0)
    if 1 <= x <= 14 and 4 <= y <= 12:
        return (0, 0, 0) if x in (1, 14) or y in (4, 12) else (255, 255, 0) if y < 8 else (128, 128, 0)
    return SILVER


def disk(x, y):
    if 1 <= x <= 13 and 1 <= y <= 13:
        if x in (1, 13) or y in (1, 13): return (0, 0, 0)
        if 4 <= x <= 10 and 2 <= y <= 5: return (255, 255, 255)
        if 5 <= x <= 9 and 9 <= y <= 12: return (128, 128, 128)
        return (0, 0, 128)
    return SILVER


def cross(x, y):
    if 2 <= x <= 12 and 2 <= y <= 12 and (abs(x - y) <= 1 or abs(x + y - 14) <= 1): return (255, 0, 0)
    return SILVER


def plug(x, y):  # a green round connector
    dx, dy = x - 9.5, y - 9.5
    d = dx * dx + dy * dy
    if d <= 49: return (0, 100, 0) if d > 36 else (60, 200, 90)
    return MAGENTA


def gear(x, y):  # a blue square with a hole
    if 3 <= x <= 16 and 3 <= y <= 16:
        if 8 <= x <= 11 and 8 <= y <= 11: return MAGENTA
        return (20, 60, 160) if x in (3, 16) or y in (3, 16) else (90, 140, 230)
    return MAGENTA


def phone(body, screen):
    def f(x, y):
        if 4 <= x <= 11 and 1 <= y <= 14:
            if 6 <= x <= 9 and 3 <= y <= 7: return screen
            return body
        return MAGENTA
    return f


strip16 = [folder, disk, cross]
write_bmp('menu16.bmp', 48, 15, lambda x, y: strip16[x // 16](x % 16, y), 4)
strip20 = [plug, gear]
write_bmp('menu20.bmp', 40, 20, lambda x, y: strip20[x // 20](x % 20, y), 24)
write_bmp('button_in.bmp', 16, 16, phone((8, 42, 130), (255, 255, 255)), 24)
write_bmp('button_out.bmp', 16, 16, phone((100, 100, 100), (200, 200, 200)), 24)
