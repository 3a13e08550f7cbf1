#!/usr/bin/env python3
# Draws the launcher's bitmaps (24-bit BMP files next to this script): the caption buttons on the
# transparent magenta, the folder bar's selection markers on grey, and the image lists' stand-in
# program icons. Run by hand after changing a drawing; the .bmp files are kept in the repository.
import os, struct, sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'tools', 'drawing'))
import bmpfile

MAGENTA = (255, 0, 255)
GREY = (128, 128, 128)
TEAL = (0, 128, 128)

def write_bmp(name, width, height, pixel):
    bmpfile.write_bmp(os.path.join(HERE, name), width, height, pixel)

# ---- Caption buttons: 16 by 14, a rounded face with a white symbol -----------------------------
def button(symbol, face, pressed=False):
    def pixel(x, y):
        corner = (x in (0, 15)) and (y in (0, 13))
        if corner:
            return MAGENTA
        edge = x in (0, 15) or y in (0, 13)
        if edge:
            return (20, 40, 90)
        shade = face if not pressed else tuple(max(0, c - 60) for c in face)
        sx, sy = (x - 1, y - 1) if pressed else (x, y)
        if symbol(sx, sy):
            return (255, 255, 255)
        return shade
    return pixel

def close_symbol(x, y): return 4 <= x <= 11 and 3 <= y <= 10 and (x - 4 == y - 3 or x - 4 == 10 - y or x - 5 == y - 3 or x - 5 == 10 - y)
def minimize_symbol(x, y): return 4 <= x <= 11 and 9 <= y <= 10
def maximize_symbol(x, y): return 4 <= x <= 11 and 3 <= y <= 10 and (y in (3, 4, 10) or x in (4, 11))
def restore_symbol(x, y):
    back = 6 <= x <= 11 and 3 <= y <= 7 and (y in (3, 4) or x == 11 or y == 7)
    front = 4 <= x <= 9 and 6 <= y <= 10 and (y in (6, 7, 10) or x in (4, 9))
    return back or front
def about_symbol(x, y):
    return (x in (7, 8) and (y == 3 or 6 <= y <= 10))

BLUE = (60, 110, 200)
RED = (200, 70, 50)
write_bmp('close.bmp', 16, 14, button(close_symbol, RED))
write_bmp('close_pressed.bmp', 16, 14, button(close_symbol, RED, True))
write_bmp('minimize.bmp', 16, 14, button(minimize_symbol, BLUE))
write_bmp('minimize_pressed.bmp', 16, 14, button(minimize_symbol, BLUE, True))
write_bmp('maximize.bmp', 16, 14, button(maximize_symbol, BLUE))
write_bmp('maximize_pressed.bmp', 16, 14, button(maximize_symbol, BLUE, True))
write_bmp('restore.bmp', 16, 14, button(restore_symbol, BLUE))
write_bmp('restore_pressed.bmp', 16, 14, button(restore_symbol, BLUE, True))
write_bmp('about.bmp', 16, 14, button(about_symbol, (40, 150, 90)))
write_bmp('about_pressed.bmp', 16, 14, button(about_symbol, (40, 150, 90), True))

# ---- Folder-bar markers: 38 by 38, a notch pointing left whose left half shows -----------------
def marker(colour):
    def pixel(x, y):
        d = abs(y - 19)
        if x >= 19 - (10 - d) and d <= 10 and x <= 19:
            return colour
        return GREY
    return pixel
write_bmp('marker.bmp', 38, 38, marker((255, 255, 255)))
write_bmp('marker_selected.bmp', 38, 38, marker((8, 42, 130)))

# ---- Stand-in program icons for the image lists (10 of each size) ------------------------------
COLOURS = [(200, 60, 60), (60, 160, 60), (60, 90, 200), (200, 150, 40), (150, 60, 170),
           (40, 160, 170), (120, 120, 120), (210, 100, 150), (100, 130, 60), (70, 70, 160)]
def strip(size, background):
    def pixel(x, y):
        c = COLOURS[x // size]
        u, v = x % size, y
        m = size // 8
        if m <= u < size - m and m <= v < size - m:
            edge = u in (m, size - m - 1) or v in (m, size - m - 1)
            return (30, 30, 30) if edge else c
        return background
    return pixel
write_bmp('small_icons.bmp', 160, 16, strip(16, TEAL))
write_bmp('large_icons.bmp', 320, 32, strip(32, GREY))

# ---- Folder-bar cursors: 32 by 32, 32-bit with an AND mask, each with its hot spot ---------------
BLACK, WHITE = (0, 0, 0), (255, 255, 255)

def outlined(inside):
    # A shape in white with a one-pixel black outline; None is transparent.
    def pixel(x, y):
        if inside(x, y):
            edge = any(not inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            return BLACK if edge else WHITE
        return None
    return pixel

def hand(x, y):
    # Four fingers up (the second one longest) over a palm, the thumb out at the left.
    fingers = [(8, 11, 6), (12, 15, 2), (16, 19, 4), (20, 23, 7)]
    for left, right, top in fingers:
        if left <= x <= right and top <= y <= 17:
            return not ((y == top and x in (left, right)))
    if 8 <= x <= 23 and 15 <= y <= 27:
        return not (y == 27 and x in (8, 23))
    return 3 <= x <= 8 and 15 <= y <= 22 and x - 3 >= (y - 15) // 2 - 1

def arrow(x, y):
    # The plain pointer: a triangle with a short tail.
    if 0 <= y <= 15 and 0 <= x <= y * 2 // 3:
        return True
    return 4 <= y <= 20 and 4 + (y - 14) // 2 <= x <= 6 + (y - 14) // 2 and y >= 14

def drop_allowed(x, y):
    # The pointer with the dragged item under it: a small box with a plus.
    if arrow(x, y):
        return outlined(arrow)(x, y)
    if 12 <= x <= 27 and 18 <= y <= 29:
        if (x in (12, 27) or y in (18, 29)):
            return BLACK
        if (x in (19, 20) and 20 <= y <= 27) or (y in (23, 24) and 14 <= x <= 25):
            return BLACK
        return WHITE
    return None

def drop_refused(x, y):
    # A red ring with a bar across, on white, black at its rims.
    dx, dy = x - 15.5, y - 15.5
    r = (dx * dx + dy * dy) ** 0.5
    if r > 12.5:
        return None
    if r > 11.5 or (7.5 < r <= 8.5):
        return BLACK
    if r > 8.5 or abs(dx - dy) <= 2.5:
        return (200, 30, 30)
    return WHITE

def cursor_image(pixel, n=32):
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    colour, mask = bytearray(), bytearray()
    stride = ((n + 31) // 32) * 4
    for y in range(n - 1, -1, -1):  # bottom-up
        bits, line = 0, bytearray()
        for x in range(n):
            c = pixel(x, y)
            if c is None:
                colour += bytes((0, 0, 0, 0))
                bits |= 0x80 >> (x % 8)
            else:
                colour += bytes((c[2], c[1], c[0], 255))
            if x % 8 == 7:
                line.append(bits)
                bits = 0
        mask += line + bytes(stride - len(line))
    return header + bytes(colour) + bytes(mask)

def write_cursor(name, pixel, hot):
    image = cursor_image(pixel)
    out = struct.pack('<HHH', 0, 2, 1)
    out += struct.pack('<BBBBHHII', 32, 32, 0, 0, hot[0], hot[1], len(image), 6 + 16)
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(out + image)

def drag_hand(x, y):
    # The fingers parted by dark lines down to the palm.
    if hand(x, y) and x in (12, 16, 20) and y < 16:
        return BLACK
    return outlined(hand)(x, y)

write_cursor('drag.cur', drag_hand, (13, 2))
write_cursor('drop.cur', drop_allowed, (0, 0))
write_cursor('drop_refused.cur', drop_refused, (15, 15))
