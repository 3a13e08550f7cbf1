#!/usr/bin/env python3
# Draws Daybook's bitmaps (24-bit BMP files next to this script) and its program icon: the page
# buttons in their three looks, the logo, the 16-pixel field icons in a coloured and a grey look,
# and the list's row-height strip. Run by hand after changing a drawing; the files are kept in the
# repository and named by their resource ids in Daybook.rc.
import math, os, sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'tools', 'drawing'))
from iconfile import write_icon
import bmpfile

BACK = (0xE1, 0xEA, 0xFD)   # the page buttons' mask colour 0xFDEAE1 (blue, green, red in the number)
WHITE = (255, 255, 255)
DARK = (0x08, 0x2A, 0x82)   # the dialogs' text colour 0x822A08
GREY = (0x97, 0x97, 0x97)   # the empty fields' colour 0x979797
LIGHT_GREY = (0xD8, 0xD8, 0xD8)

def write_bmp(name, width, height, pixel):
    bmpfile.write_bmp(os.path.join(HERE, name), width, height, pixel)

# ---- Glyphs on a 16 by 16 grid: each takes (x, y) and says whether the point is inked ------------
def ring(cx, cy, r, w=1.0):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= w / 2 + 0.2
def disc(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) <= r
def box(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1
def frame(x0, y0, x1, y1):
    return lambda x, y: (x0 <= x <= x1 and y0 <= y <= y1) and (x in (x0, x1) or y in (y0, y1))
def line(x0, y0, x1, y1):
    def f(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / float(dx * dx + dy * dy)))
        return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= 0.6
    return f
def union(*parts):
    return lambda x, y: any(p(x, y) for p in parts)

GLYPHS = {
    'person': union(disc(7.5, 4.5, 3), box(3, 9, 12, 14)),
    'reading': union(disc(7.5, 4.5, 3), box(3, 9, 12, 14), line(12, 2, 14, 0)),
    'phone': union(box(4, 1, 11, 14), lambda x, y: False),
    'group': union(disc(5, 5, 2.5), disc(11, 5, 2.5), box(1, 9, 8, 14), box(8, 9, 15, 14)),
    'melody': union(box(10, 1, 11, 11), disc(8, 12, 2.5), line(11, 1, 15, 4)),
    'picture': union(frame(1, 2, 14, 13), line(2, 12, 6, 7), line(6, 7, 9, 10), line(9, 10, 11, 8), line(11, 8, 13, 12), disc(11, 5, 1.2)),
    'light': union(ring(7.5, 6, 4.5), box(6, 11, 9, 14)),
    'text': union(frame(2, 1, 13, 14), box(4, 4, 11, 4), box(4, 7, 11, 7), box(4, 10, 9, 10)),
    'mail': union(frame(1, 3, 14, 12), line(1, 3, 7.5, 8), line(14, 3, 7.5, 8)),
    'calendar': union(frame(1, 2, 14, 14), box(1, 2, 14, 4), box(4, 0, 4, 2), box(11, 0, 11, 2),
                      box(4, 7, 5, 8), box(8, 7, 9, 8), box(4, 11, 5, 12), box(8, 11, 9, 12)),
    'clock': union(ring(7.5, 7.5, 6.5), line(7.5, 7.5, 7.5, 3), line(7.5, 7.5, 11, 9)),
    'repeat': union(lambda x, y: abs(math.hypot(x - 7.5, y - 7.5) - 5.5) <= 0.7 and not (x > 8 and y < 6), line(9, 2, 13, 3), line(13, 3, 12, 7)),
    'bell': union(lambda x, y: 3 <= y <= 11 and abs(x - 7.5) <= 1.5 + (y - 3) * 0.45, box(2, 11, 13, 12), disc(7.5, 14, 1.3)),
    'lock': union(ring(7.5, 5.5, 3.5), box(2, 7, 13, 14)),
    'check': union(frame(1, 1, 14, 14), line(4, 8, 7, 11), line(7, 11, 12, 4)),
    'empty_box': frame(1, 1, 14, 14),
    'flag': union(box(2, 1, 3, 15), lambda x, y: 3 < x <= 13 and 1 <= y <= 8 and (x - 3) <= 10 - abs(y - 4.5) * 1.2),
    'folder': union(box(1, 5, 14, 13), box(1, 3, 6, 5)),
}

def field_icon(name, glyph, colour):
    inked = GLYPHS[glyph]
    write_bmp(name, 16, 16, lambda x, y: colour if inked(x, y) else WHITE)

# Coloured and grey pairs: (resource id, glyph, look). The grey ones mark an empty or unusable field.
ICONS = [
    # contacts form: coloured while filled, grey while empty
    (139, 'person', DARK), (140, 'reading', DARK), (147, 'group', DARK), (148, 'picture', DARK),
    (149, 'melody', DARK), (150, 'light', DARK),
    (186, 'person', GREY), (187, 'reading', GREY), (188, 'phone', GREY), (189, 'phone', GREY),
    (190, 'phone', GREY), (191, 'phone', GREY), (192, 'phone', GREY), (193, 'phone', GREY),
    (194, 'mail', GREY), (195, 'group', GREY), (196, 'picture', GREY), (197, 'melody', GREY),
    (198, 'light', GREY), (202, 'text', GREY),
    # group defaults: melody, picture, light
    (156, 'melody', DARK), (157, 'picture', DARK), (155, 'light', DARK),
    (199, 'melody', GREY), (200, 'picture', GREY), (201, 'light', GREY),
    # schedule: date, time, repeat, alarm on and off, private on and off, and their inactive looks
    (158, 'calendar', DARK), (160, 'clock', DARK), (209, 'repeat', DARK),
    (211, 'bell', DARK), (212, 'bell', GREY), (213, 'lock', DARK), (215, 'lock', GREY),
    (216, 'clock', LIGHT_GREY), (210, 'repeat', LIGHT_GREY),
    # to-do: start and due, category, priority, done, private
    (217, 'calendar', DARK), (218, 'calendar', LIGHT_GREY),
    (162, 'folder', DARK), (161, 'folder', LIGHT_GREY), (207, 'flag', DARK), (165, 'flag', LIGHT_GREY),
    (164, 'check', DARK), (163, 'empty_box', GREY), (204, 'lock', DARK), (205, 'lock', GREY),
]
for rid, glyph, colour in ICONS:
    field_icon('icon%d.bmp' % rid, glyph, colour)

# ---- Page buttons: 40 by 16, a glyph and a bar; shown page (in = out), otherwise plain and hot ----
def page_button(glyph, look):
    inked = GLYPHS[glyph]
    face = {'shown': DARK, 'plain': BACK, 'hot': (0xC8, 0xD6, 0xF6)}[look]
    ink = WHITE if look == 'shown' else DARK
    def pixel(x, y):
        if (x in (0, 39)) and (y in (0, 15)):
            return BACK  # rounded corners in the mask colour
        if 12 <= x < 28 and inked(x - 12, y):
            return ink
        return face
    return pixel

for (plain, hot, shown), glyph in (((166, 167, 168), 'person'), ((169, 170, 171), 'calendar'),
                                   ((173, 174, 175), 'check')):
    write_bmp('page%d.bmp' % plain, 40, 16, page_button(glyph, 'plain'))
    write_bmp('page%d.bmp' % hot, 40, 16, page_button(glyph, 'hot'))
    write_bmp('page%d.bmp' % shown, 40, 16, page_button(glyph, 'shown'))

# ---- Logo 159: 96 by 24, an open book on the header's white ---------------------------------
def logo(x, y):
    cx = 12
    left = 2 <= x <= cx and 4 + (cx - x) * 0.2 <= y <= 20
    right = cx <= x <= 22 and 4 + (x - cx) * 0.2 <= y <= 20
    if left or right:
        if x == cx or (y - 4) % 4 == 0 and x not in (2, 22):
            return WHITE
        return DARK
    # three bars of "text" beside the book
    if 28 <= x <= 92 and any(y0 <= y <= y0 + 2 for y0 in (6, 11, 16)) and x <= 92 - (y // 5) * 8:
        return DARK
    return WHITE
write_bmp('logo159.bmp', 96, 24, logo)

# ---- 134: one 16-pixel image in the list's mask colour RGB(9,0,0); it only sets the row height ----
write_bmp('rows134.bmp', 16, 16, lambda x, y: (9, 0, 0))

# ---- Icon 1000: the program's own, a blue book with a white calendar page ---------------------
def icon(u, v):
    if 0.12 <= u <= 0.88 and 0.08 <= v <= 0.92:
        if 0.25 <= u <= 0.8 and 0.25 <= v <= 0.8:
            if v <= 0.36:
                return (200, 40, 40)
            gx, gy = (u - 0.25) / 0.55 * 3, (v - 0.36) / 0.44 * 3
            if abs(gx - round(gx)) < 0.12 or abs(gy - round(gy)) < 0.12:
                return DARK
            return WHITE
        return DARK if u > 0.18 else (40, 70, 150)
    return None
write_icon(os.path.join(HERE, 'daybook.ico'), icon)
