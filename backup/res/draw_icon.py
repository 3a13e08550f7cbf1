#!/usr/bin/env python3
# Draws Backup's program icon (16 and 32 pixels, 32-bit with an AND mask) next to this script: a
# phone beside a box that an arrow fills. Run it again after changing the drawing.
import os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools', 'drawing'))
from iconfile import write_icon

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

write_icon(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'backup.ico'), icon)
