#!/usr/bin/env python3
# Draws the File menu's pictures (file_menu.bmp next to this script, 16 by 16 each, side by side in
# the order of the toolbar record in Backup.rc): Open, Backup, Restore, Close, on the transparent
# magenta. Run it again after changing a drawing; the .bmp file is kept in the repository.
import os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools', 'drawing'))
from bmpfile import write_bmp

MAGENTA = (255, 0, 255)
BLUE = (8, 42, 130)        # the suite's text blue
FOLDER = (235, 190, 70)
FOLDER_EDGE = (160, 110, 20)
BOX = (225, 150, 60)
BOX_EDGE = (150, 90, 20)
GREEN = (40, 160, 70)
RED = (200, 40, 40)

def open_image(x, y):
    if 3 <= y <= 4 and 1 <= x <= 6: return FOLDER_EDGE      # the tab
    if 5 <= y <= 13 and 1 <= x <= 14:
        if y in (5, 13) or x in (1, 14): return FOLDER_EDGE
        return FOLDER
    return MAGENTA

def box(x, y):
    if 9 <= y <= 14 and 2 <= x <= 13:
        if y in (9, 14) or x in (2, 13): return BOX_EDGE
        return BOX
    return None

def backup_image(x, y):  # an arrow down into the box
    b = box(x, y)
    if b: return b
    if 7 <= x <= 8 and 1 <= y <= 5: return GREEN
    if 5 <= y <= 8 and abs(x - 7.5) <= 8 - y: return GREEN
    return MAGENTA

def restore_image(x, y):  # an arrow up out of the box
    b = box(x, y)
    if b: return b
    if 7 <= x <= 8 and 4 <= y <= 8: return BLUE
    if 1 <= y <= 4 and abs(x - 7.5) <= y - 0.5: return BLUE
    return MAGENTA

def close_image(x, y):
    if 3 <= x <= 12 and 3 <= y <= 12 and (abs(x - y) <= 1 or abs(x + y - 15) <= 1): return RED
    return MAGENTA

IMAGES = [open_image, backup_image, restore_image, close_image]
write_bmp(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'file_menu.bmp'), 16 * len(IMAGES), 16,
          lambda x, y: IMAGES[x // 16](x % 16, y))
