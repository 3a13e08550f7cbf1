#!/usr/bin/env python3
"""Writes the Daybook document fixtures of the four versions, packed here independently of the
program's writer: the same records in each, so one test reads them all. Run from any folder."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def text(s):
    b = s.encode("utf-8") if isinstance(s, str) else s
    return struct.pack("<I", len(b)) + b


def time(y, mo, d, h, mi):
    return struct.pack("<HHHHH", y, mo, d, h, mi)


def groups():
    out = struct.pack("<I", 20)
    for n in range(1, 20):
        if n == 3:
            out += bytes([1, 0]) + text("Family") + struct.pack("<IIII", 1, 7, 9, 2)
        else:
            out += bytes([0, 0]) + text("") + struct.pack("<I", 0)
    return out


def contact(older):
    out = bytes([1, 0]) + text("Ada Lovelace")
    numbers = ["+441234", "", "555", "", "", "", "12#3"]
    out += b"".join(text(n) for n in numbers)
    out += text("ada@example.org") + text("")
    out += text("first programmer") + text("")
    out += bytes([3])  # group
    if older:
        out += bytes([2, 5, 6]) + text("") + text("") + bytes([0])
    else:
        out += bytes([2, 0, 0]) + struct.pack("<IIII", 5, 6, 0, 0) + text("") + text("") + struct.pack("<H", 0)
    out += text("ada") + text("")
    return out


def contacts(older):
    out = struct.pack("<I", 500)
    for slot in range(500):
        out += contact(older) if slot == 4 else bytes([0])
    return out


def legacy():
    return struct.pack("<I", 2) + text("old") + struct.pack("<I", 1) + text("older") + struct.pack("<I", 2) + \
        struct.pack("<I", 0)


def schedule():
    out = struct.pack("<I", 600)
    for slot in range(600):
        if slot == 2:
            out += struct.pack("<II", 300, 0) + bytes([1, 0]) + text("Dentist") + time(2010, 5, 6, 7, 8)
            out += bytes([1, 2]) + text("") + bytes([0, 1])
        else:
            out += struct.pack("<II", 0, 0) + bytes([0])
    return out


def todo():
    out = struct.pack("<I", 100)
    for slot in range(100):
        if slot == 1:
            out += struct.pack("<II", 0, 0) + bytes([1, 0]) + text("Taxes") + time(2010, 1, 2, 3, 4)
            out += time(2010, 2, 3, 4, 5) + bytes([1, 2, 1, 0])
        else:
            out += struct.pack("<II", 0, 0) + bytes([0])
    return out


def resources():
    pictures = struct.pack("<H", 1) + struct.pack("<II", 0, 0) + bytes([0, 0, 3, 300 & 0xFF])
    pictures += text("keFTGifAnim") + text("sun.gif") + text("Pictures\\sun.gif") + bytes([0])
    pictures += struct.pack("<I", 1234) + bytes([0])
    sounds = struct.pack("<H", 1) + struct.pack("<II", 0, 0) + bytes([0, 0, 1, 44])
    sounds += text("keFTMidi") + text("ring.mid") + text("ring.mid") + bytes([0]) + struct.pack("<I", 99) + bytes([1])
    return pictures + sounds


def document(version):
    older = version in ("1005", "1006")
    out = b"PCHE" + version.encode() + groups() + contacts(older)
    if version in ("1006", "1009"):
        out += legacy()
    out += schedule() + todo()
    if version == "1014":
        out += resources()
    return out


for version in ("1005", "1006", "1009", "1014"):
    with open(os.path.join(HERE, "v%s.daybook" % version), "wb") as f:
        f.write(document(version))
