#!/usr/bin/env python3
# Draws Mediary's program icon (16 and 32 pixels, 32-bit with an AND mask) next to this script: a
# picture frame with a sun and a hill, and a note beside it. Run it again after changing the drawing.
import os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools', 'drawing'))
from iconfile import write_icon

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

write_icon(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'mediary.ico'), icon)
