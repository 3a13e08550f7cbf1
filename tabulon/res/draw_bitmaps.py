#!/usr/bin/env python3
# Draws Tabulon's bitmaps (24-bit BMP files next to this script): the wizard's tall watermark and
# small header picture, a sheet of table cells, and the four faces (normal, pressed, focused,
# disabled) of the mapping page's up and down buttons. Run by hand after changing a drawing; the
# .bmp files are kept in the repository.
import os, sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'tools', 'drawing'))
import bmpfile

def write_bmp(name, width, height, pixel):
    bmpfile.write_bmp(os.path.join(HERE, name), width, height, pixel)

def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))

NAVY = (24, 48, 112)
SKY = (120, 170, 230)
WHITE = (255, 255, 255)
GRID = (60, 90, 160)
GREEN = (40, 150, 80)

# A table of cells on a gradient: rows of a sheet, one column picked out.
def table(x0, y0, cols, rows, cell_w, cell_h, x, y):
    cx, cy = x - x0, y - y0
    if 0 <= cx <= cols * cell_w and 0 <= cy <= rows * cell_h:
        if cx % cell_w == 0 or cy % cell_h == 0:
            return GRID
        if cx // cell_w == 1:
            return (230, 245, 235)
        return WHITE
    return None

def watermark(x, y):
    cell = table(20, 110, 3, 8, 24, 14, x, y)
    if cell:
        return cell
    if 28 <= x <= 136 and 240 <= y <= 246 and (x - 28) % 12 < 8:  # a row of commas
        return GREEN
    return mix(NAVY, SKY, y / 313)

def header(x, y):
    cell = table(8, 10, 3, 3, 10, 10, x, y)
    if cell:
        return cell
    return mix(WHITE, SKY, x / 49)

write_bmp('watermark.bmp', 164, 314, watermark)
write_bmp('header.bmp', 49, 49, header)

# The up and down buttons: 20 by 18, an arrow on a raised face.
FACE = (212, 208, 200)
SHADOW = (128, 128, 128)
def arrow_button(up, state):
    def pixel(x, y):
        w, h = 20, 18
        if x in (0, w - 1) or y in (0, h - 1):
            return (0, 0, 0) if state != 'disabled' else SHADOW
        raised_light = (x == 1 or y == 1) if state != 'pressed' else (x == w - 2 or y == h - 2)
        if raised_light:
            return WHITE
        if (x == w - 2 or y == h - 2) if state != 'pressed' else (x == 1 or y == 1):
            return SHADOW
        if state == 'focused' and (x in (3, w - 4) or y in (3, h - 4)) and (x + y) % 2 == 0:
            return (0, 0, 0)
        sx, sy = (x - 1, y - 1) if state == 'pressed' else (x, y)
        row = sy - 5 if up else 12 - sy
        if 0 <= row <= 6 and abs(sx - 9.5) <= row + 0.5:
            return SHADOW if state == 'disabled' else NAVY
        return FACE
    return pixel

for up, names in ((True, ('up.bmp', 'up_pressed.bmp', 'up_focused.bmp', 'up_disabled.bmp')),
                  (False, ('down.bmp', 'down_pressed.bmp', 'down_focused.bmp', 'down_disabled.bmp'))):
    for name, state in zip(names, ('normal', 'pressed', 'focused', 'disabled')):
        write_bmp(name, 20, 18, arrow_button(up, state))
