#!/usr/bin/env python3
# Draws Linkwell's icons (16 and 32 pixels, 32-bit with an AND mask) and bitmaps (24-bit) next to
# this script. Run by hand after changing a drawing; the files are kept in the repository.
#
# Every icon is the same phone seen from the front; what changes is the mark beside it, so a glance
# at the tray tells the state: grey with a red bar (no phone), green screen (found), a blue plug
# (port chosen by hand), radar arcs that grow (search), arrows that move (a program uses the link).
import math, os, struct, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'tools', 'drawing'))
from iconfile import write_icon

BODY = (30, 50, 120)
EDGE = (10, 20, 60)

def phone(u, v, screen=(170, 190, 210), body=BODY):
    if 0.3 <= u <= 0.7 and 0.08 <= v <= 0.94:
        if u < 0.34 or u > 0.66 or v < 0.12 or v > 0.9: return EDGE
        if 0.38 <= u <= 0.62 and 0.18 <= v <= 0.5: return screen
        if 0.38 <= u <= 0.62 and 0.56 <= v <= 0.84:  # keys
            if int((u - 0.38) * 25) % 2 == 0 and int((v - 0.56) * 25) % 2 == 0: return (220, 220, 230)
        return body
    return None

def over(base, mark):
    def f(u, v):
        c = mark(u, v)
        return c if c else base(u, v)
    return f

def grey_phone(u, v): return phone(u, v, screen=(150, 150, 150), body=(110, 110, 120))
def found_phone(u, v): return phone(u, v, screen=(60, 200, 80))

def red_bar(u, v):
    return (210, 30, 30) if abs((u - 0.5) - (v - 0.5)) < 0.07 and 0.1 < u < 0.9 else None

def plug(u, v):
    if 0.72 <= u <= 0.96 and 0.62 <= v <= 0.86: return (20, 110, 230)
    if 0.76 <= u <= 0.8 and 0.5 <= v < 0.62: return (20, 110, 230)
    if 0.88 <= u <= 0.92 and 0.5 <= v < 0.62: return (20, 110, 230)
    return None

def arcs(step):  # radar arcs to the right of the phone, `step` + 1 of them
    def f(u, v):
        d = math.hypot(u - 0.62, v - 0.3)
        if u <= 0.68: return None
        for k in range(step + 1):
            if abs(d - (0.14 + 0.1 * k)) < 0.035: return (240, 160, 20)
        return None
    return f

def arrows(step):  # two arrows that move up and down along the phone's side
    def f(u, v):
        shift = 0.12 * step
        if 0.74 <= u <= 0.82 and 0.1 + shift <= v <= 0.45 + shift: return (230, 120, 20)
        if 0.86 <= u <= 0.94 and 0.55 - shift <= v <= 0.9 - shift: return (20, 160, 60)
        return None
    return f

def app_icon(u, v): return over(found_phone, arcs(2))(u, v)

ICONS = {
    128: app_icon,
    130: over(phone, arcs(0)), 131: over(phone, arcs(1)), 132: over(phone, arcs(2)), 133: over(phone, arcs(3)),
    137: over(grey_phone, red_bar),
    138: found_phone,
    143: over(found_phone, arrows(0)), 144: over(found_phone, arrows(1)),
    145: over(found_phone, arrows(2)), 146: over(found_phone, arrows(1)),
    147: over(phone, plug),
}

def write_bitmap(path, w, h, draw, background):
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            c = draw((x + 0.5) / w, (row + 0.5) / h) or background
            line += bytes((c[2], c[1], c[0]))
        pixels += line + bytes(stride - len(line))
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(pixels), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + pixels)

def close_cross(colour):
    def f(u, v):
        if 0.2 < u < 0.8 and (abs(u - v) < 0.09 or abs(u - (1 - v)) < 0.09): return colour
        return None
    return f

here = os.path.dirname(os.path.abspath(__file__))
for number, draw in ICONS.items():
    write_icon(os.path.join(here, 'icon%d.ico' % number), draw)
KEY = (255, 0, 255)  # the caption bar's transparent colour
write_bitmap(os.path.join(here, 'close_up.bmp'), 16, 16, close_cross((8, 42, 130)), KEY)     # 142
write_bitmap(os.path.join(here, 'close_down.bmp'), 16, 16, close_cross((200, 40, 40)), KEY)  # 140
write_bitmap(os.path.join(here, 'phone.bmp'), 48, 48, over(found_phone, arcs(2)), (0xE1, 0xEA, 0xFD))  # 163
