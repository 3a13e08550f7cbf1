#!/usr/bin/env python3
# Draws Mediary's bitmaps (24-bit BMP files next to this script): the lists' 16-pixel icon strip on
# white (its mask colour), the File and View menus' pictures on magenta, the view buttons (normal,
# hover and chosen faces), the five phone pictures with the screen the preview sits in, the
# preview's three backgrounds and the two placeholders of kinds the preview does not draw. Run it
# again after changing a drawing; the .bmp files are kept in the repository. The screen rectangles
# printed at the end are the ones MainWindowRules.cpp places the preview in.
import os, sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'tools', 'drawing'))
import bmpfile
WHITE = (255, 255, 255)
MAGENTA = (255, 0, 255)
BLUE = (8, 42, 130)        # the suite's text blue, 0x822A08
PALE = (225, 234, 253)     # the dialog background, 0xFDEAE1
LIGHT = (176, 201, 255)    # the buttons' light face, 0xFFC9B0
DARK = (5, 27, 103)
YELLOW = (240, 200, 40)
GREEN = (40, 160, 70)
RED = (200, 60, 50)
GREY = (150, 150, 150)

def write_bmp(name, width, height, pixel):
    bmpfile.write_bmp(os.path.join(HERE, name), width, height, pixel)

# ---- Glyphs on the unit square: None where the background shows ------------------------------
def picture_glyph(u, v):
    if not (0.1 < u < 0.9 and 0.2 < v < 0.8): return None
    if not (0.16 < u < 0.84 and 0.26 < v < 0.74): return BLUE
    if (u - 0.66) ** 2 + (v - 0.40) ** 2 < 0.006: return YELLOW
    if v > 0.74 - 0.3 * max(0.0, 1 - abs(u - 0.38) / 0.3): return GREEN
    return (170, 200, 235)

def note_glyph(u, v):
    if 0.56 < u < 0.66 and 0.16 < v < 0.72: return BLUE
    if 0.56 < u < 0.84 and 0.16 < v < 0.28: return BLUE
    if ((u - 0.46) / 1.3) ** 2 + (v - 0.74) ** 2 < 0.016: return BLUE
    return None

def film_glyph(u, v):
    if not (0.12 < u < 0.88 and 0.2 < v < 0.8): return None
    if (v < 0.32 or v > 0.68):
        return WHITE if int(u * 10) % 2 == 0 and 0.22 < v < 0.3 or int(u * 10) % 2 == 0 and 0.7 < v < 0.78 else DARK
    return (90, 140, 210) if 0.2 < u < 0.8 else DARK

def folder_glyph(u, v):
    if 0.08 < u < 0.45 and 0.2 < v < 0.32: return (200, 150, 40)
    if 0.08 < u < 0.92 and 0.3 < v < 0.82: return YELLOW if 0.12 < u < 0.88 and v < 0.78 else (200, 150, 40)
    return None

def parent_glyph(u, v):
    f = folder_glyph(u, v)
    arrow = (0.45 < u < 0.57 and 0.38 < v < 0.72) or (0.30 < u < 0.72 and 0.30 < v < 0.5 and abs(u - 0.51) < (v - 0.28))
    return BLUE if arrow and f else f

def marked_glyph(u, v):
    if abs(u - v) < 0.09 and 0.15 < u < 0.85 or abs(u + v - 1) < 0.09 and 0.15 < u < 0.85: return RED
    return None

def changed_folder_glyph(u, v):
    f = folder_glyph(u, v)
    if (u - 0.72) ** 2 + (v - 0.66) ** 2 < 0.03: return RED
    return f

def scaled(glyph, x, y, width, height, box):
    # The glyph in the square `box` = (left, top, size) of a width x height bitmap.
    left, top, size = box
    u, v = (x - left + 0.5) / size, (y - top + 0.5) / size
    if 0 <= u < 1 and 0 <= v < 1: return glyph(u, v)
    return None

# ---- 140: the lists' icon strip, 16 pixels each, white the mask --------------------------------
STRIP = [parent_glyph, folder_glyph, picture_glyph, note_glyph, film_glyph, marked_glyph, changed_folder_glyph]
def strip_pixel(x, y):
    c = STRIP[x // 16]((x % 16 + 0.5) / 16, (y + 0.5) / 16)
    return c if c is not None else WHITE
write_bmp('icon_strip.bmp', 16 * len(STRIP), 16, strip_pixel)

# ---- The File and View menus' pictures: 16 x 16 each, side by side in the order of the toolbar
# records in Mediary.rc, on the transparent magenta ---------------------------------------------
def arrow_glyph(up, colour):
    def glyph(u, v):
        w = v if up else 1 - v  # 0 at the point
        if 0.42 < u < 0.58 and 0.35 < w < 0.9: return colour
        if 0.08 < w < 0.5 and abs(u - 0.5) < (w - 0.08): return colour
        return None
    return glyph

def new_folder_glyph(u, v):
    star = (abs(u - 0.78) < 0.06 and 0.04 < v < 0.36) or (abs(v - 0.2) < 0.06 and 0.62 < u < 0.94)
    return YELLOW if star and not folder_glyph(u, v) else (folder_glyph(u, v) if not star else (200, 150, 40))

def list_glyph(u, v):  # Get: the phone's list read
    if not (0.18 < u < 0.82 and 0.08 < v < 0.92): return None
    if u < 0.24 or u > 0.76 or v < 0.14 or v > 0.86: return DARK
    if 0.3 < u < 0.7 and any(abs(v - r) < 0.04 for r in (0.3, 0.45, 0.6, 0.75)): return BLUE
    return WHITE

def transfer_glyph(u, v):  # both ways at once
    left = arrow_glyph(True, GREEN)((u - 0.22) * 2 + 0.5, v) if 0 <= u < 0.46 else None
    right = arrow_glyph(False, BLUE)((u - 0.76) * 2 + 0.5, v) if 0.52 <= u < 1 else None
    return left or right

def exit_glyph(u, v):  # a door and an arrow out of it
    if 0.1 < u < 0.5 and 0.08 < v < 0.92: return DARK if u < 0.16 or u > 0.44 or v < 0.14 or v > 0.86 else (170, 120, 60)
    if 0.5 <= u < 0.72 and abs(v - 0.5) < 0.07: return RED
    if 0.68 <= u < 0.95 and abs(v - 0.5) < (0.95 - u) * 0.9: return RED
    return None

def refresh_glyph(u, v):
    d = ((u - 0.5) ** 2 + (v - 0.5) ** 2) ** 0.5
    if 0.26 < d < 0.38 and not (u > 0.5 and v < 0.5 and v < 0.5 - (u - 0.5) * 0.6): return GREEN
    if 0.6 < u < 0.95 and 0.1 < v < 0.42 and (v - 0.1) > (0.95 - u) * 0.9 and u > 0.6 and v < 0.42: return GREEN
    return None

FILE_MENU = [new_folder_glyph, marked_glyph, arrow_glyph(True, GREEN), arrow_glyph(False, BLUE), list_glyph,
             transfer_glyph, exit_glyph]
VIEW_MENU = [picture_glyph, note_glyph, film_glyph, refresh_glyph]
def menu_pixel(glyphs):
    def pixel(x, y):
        c = glyphs[x // 16]((x % 16 + 0.5) / 16, (y + 0.5) / 16)
        return c if c is not None else MAGENTA
    return pixel
write_bmp('file_menu.bmp', 16 * len(FILE_MENU), 16, menu_pixel(FILE_MENU))
write_bmp('view_menu.bmp', 16 * len(VIEW_MENU), 16, menu_pixel(VIEW_MENU))

# ---- The view buttons: 64 x 20; normal (light), hover (white) and chosen (blue, white glyph) ---
def view_button(glyph, face, chosen=False):
    def pixel(x, y):
        if x in (0, 63) or y in (0, 19): return MAGENTA if (x in (0, 63) and y in (0, 19)) else BLUE
        c = scaled(glyph, x, y, 64, 20, (22, 0, 20))
        if c is not None: return WHITE if chosen and c in (BLUE, DARK) else c
        return face
    return pixel
VIEW = {155: ('melodies', note_glyph, LIGHT, False), 156: ('melodies_hover', note_glyph, WHITE, False),
        157: ('melodies_chosen', note_glyph, BLUE, True), 158: ('images_chosen', picture_glyph, BLUE, True),
        159: ('images_hover', picture_glyph, WHITE, False), 160: ('images', picture_glyph, LIGHT, False),
        171: ('movies_chosen', film_glyph, BLUE, True), 172: ('movies_hover', film_glyph, WHITE, False),
        173: ('movies', film_glyph, LIGHT, False)}
for number, (name, glyph, face, chosen) in VIEW.items():
    write_bmp(name + '.bmp', 64, 20, view_button(glyph, face, chosen))

# ---- The phone pictures: 150 x 260 on the dialog background, the screen left white ---------------
# (body colour, screen rectangle left, top, right, bottom, keypad rows)
PHONES = {168: ('phone_z', (60, 60, 70), (21, 40, 129, 140), 4), 176: ('phone_c', (140, 20, 30), (25, 50, 125, 140), 4),
          177: ('phone_yie', (30, 80, 60), (21, 34, 129, 134), 4), 178: ('phone_m', (90, 90, 150), (25, 44, 125, 130), 4),
          179: ('phone_u', (110, 70, 30), (17, 30, 133, 150), 3)}
def phone(body, screen, rows):
    sl, st, sr, sb = screen
    def pixel(x, y):
        # the body: a rounded rectangle 6..144 x 6..254
        dx = max(0, 20 - x, x - 129); dy = max(0, 20 - y, y - 239)
        if dx * dx + dy * dy > 15 * 15: return PALE
        if sl <= x < sr and st <= y < sb:
            return BLUE if x in (sl, sr - 1) or y in (st, sb - 1) else WHITE
        if sl - 4 <= x < sr + 4 and st - 4 <= y < sb + 4: return DARK
        if 66 <= x < 84 and 14 <= y < 18: return DARK  # the earpiece
        top = sb + 14
        for row in range(rows):
            for col in range(3):
                kx, ky = 35 + 40 * col, top + 22 * row
                if (x - kx) ** 2 / 1.6 + (y - ky) ** 2 < 60:
                    return (220, 220, 225)
        return body
    return pixel
for number, (name, body, screen, rows) in PHONES.items():
    write_bmp(name + '.bmp', 150, 260, phone(body, screen, rows))

# ---- The preview's backgrounds (112 x 100) and the placeholders (64 x 48) -----------------------
def background(glyph, tint):
    def pixel(x, y):
        c = scaled(glyph, x, y, 112, 100, (26, 20, 60))
        return c if c is not None else tint
    return pixel
write_bmp('preview_melodies.bmp', 112, 100, background(note_glyph, (235, 240, 252)))
write_bmp('preview_images.bmp', 112, 100, background(picture_glyph, (235, 240, 252)))
write_bmp('preview_movies.bmp', 112, 100, background(film_glyph, (235, 240, 252)))

def placeholder(letters_colour, stripes):
    def pixel(x, y):
        if x in (0, 63) or y in (0, 47): return BLUE
        if stripes(x, y): return letters_colour
        return WHITE
    return pixel
# WBMP: a black-and-white checker; the animator: three frames in a row.
write_bmp('placeholder_wbmp.bmp', 64, 48, placeholder((0, 0, 0), lambda x, y: 12 <= x < 52 and 10 <= y < 38 and ((x // 5) + (y // 5)) % 2 == 0))
write_bmp('placeholder_animator.bmp', 64, 48, placeholder(BLUE, lambda x, y: 14 <= y < 34 and any(a <= x < a + 12 and (x in (a, a + 11) or y in (14, 33) or (x - a) == (y - 14) // 2 + i * 2) for i, a in enumerate((8, 26, 44)))))

for number, (name, body, screen, rows) in PHONES.items():
    print(number, name, 'screen', screen)
